#pragma once

#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/IFileManager.h"
#include "devices/IMobileDevice.h"

#include <QList>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>

class AsyncTask;
class DeviceFileStore;
class IAsyncTaskDelegate;
class StoreMediaManager;

// A device whose media live as files in a DeviceFileStore: Android phones over adb, car
// devices as mounted volumes, iOS file-sharing areas over AFC, and the scripted fake. Writes
// run one after another on threads of their own in the order they were started.
class StoreMobileDevice : public IMobileDevice, public IFileManager
{
public:
    struct Setup
    {
        DeviceInfo::Fields info;
        std::shared_ptr<DeviceFileStore> store;
        QString musicFolder = QStringLiteral("/Music");  // where addByName puts music
        QString videoFolder = QStringLiteral("/Video");  // the video manager's first folder
        bool transactions = false;  // the music library groups writes
        bool iPod = false;
        bool extCardWritable = false;
        int connectionStatus = 4;
        int prepareCheck = 15;
        // Asked by connect(); answers the new status. Empty: the status stays.
        std::function<int()> connector;
    };

    explicit StoreMobileDevice(Setup setup);
    ~StoreMobileDevice() override;

    // IMobileDevice
    void setDeviceDelegate(std::weak_ptr<MobileDeviceDelegate> delegate) override;
    void connect() override;
    int connectionStatus() const override;
    int connectPrepareCheck() const override;
    void waitReady(int state, std::shared_ptr<IMobileDevice> userState, std::function<bool()> handler) override;
    bool IsOnline() const override;
    bool IsDeviceRemoved() const override;
    bool isiPod() const override { return m_setup.iPod; }
    DeviceInfo *deviceInfo() override { return &m_info; }
    DeviceStorageInfos *deviceStorageInfos() override { return &m_storage; }
    ILoadable *deviceStatistics() override { return &m_statistics; }
    quint32 WriteSDCardStyle() const override { return m_cardStyle.load(); }
    void setWriteSDCardStyle(quint32 style) override { m_cardStyle = style; }
    bool IsExtSDCardCanWrite() const override { return m_setup.extCardWritable; }
    IMediaManager *musicManager() override;
    IMediaManager *videoManager() override;
    IFileManager *fileManager() override { return this; }

    // IFileManager
    std::optional<RemoteFileInfo> getFileInfo(const QString &path) override;

    // Back-end side: the device's state changed.
    void setConnectionStatus(int status);
    void setPrepareCheck(int check);
    void markRemoved();
    void setInfo(const DeviceInfo::Fields &info) { m_info.setFields(info); }

    DeviceFileStore &store() const { return *m_setup.store; }
    std::shared_ptr<DeviceFileStore> storePointer() const { return m_setup.store; }
    // A free name for fileName in folder: the name itself, else "name(1).ext", "name(2).ext"…
    QString freePathFor(const QString &folder, const QString &fileName);
    // Queues the copy of sourcePath to path; nullptr when the device takes no write. A copy that
    // makes no progress for stallTimeoutMs() is ended (its child process too) with
    // AsyncTaskResult::Stalled.
    std::shared_ptr<IAsyncTask> startWrite(const QString &sourcePath, const QString &path,
                                           std::weak_ptr<IAsyncTaskDelegate> delegate);
    // A task that ends once every write queued before it has ended.
    std::shared_ptr<IAsyncTask> afterQueuedWrites(std::weak_ptr<IAsyncTaskDelegate> delegate);
    int writesStarted() const { return m_writesStarted.load(); }

    // How long a write may go without progress before it counts as stalled; 60 s unless a
    // test sets it. Read when a write starts.
    static constexpr int DefaultStallTimeoutMs = 60000;
    static int stallTimeoutMs();
    static void setStallTimeoutMs(int ms);

private:
    std::shared_ptr<MobileDeviceDelegate> delegate() const;
    std::shared_ptr<IAsyncTask> queueWork(std::weak_ptr<IAsyncTaskDelegate> delegate,
                                          std::function<std::optional<int>(AsyncTask &)> work);

    Setup m_setup;
    DeviceInfo m_info;
    DeviceStorageInfos m_storage;
    LoadablePart m_statistics;
    std::unique_ptr<StoreMediaManager> m_music;
    std::unique_ptr<StoreMediaManager> m_video;
    std::atomic<quint32> m_cardStyle{1};
    std::atomic<int> m_writesStarted{0};

    mutable QMutex m_lock;
    std::weak_ptr<MobileDeviceDelegate> m_delegate;
    int m_status = 0;
    int m_prepareCheck = 15;
    bool m_removed = false;
    QList<std::function<bool()>> m_readyHandlers;

    // Writes take tickets and run in ticket order.
    std::shared_ptr<struct StoreWriteTurns> m_turns;
};
