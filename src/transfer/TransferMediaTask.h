#pragma once

#include "devices/StorageMedium.h"
#include "platform/FileLock.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class IMediaManager;
class IMobileDevice;
class QTemporaryDir;
class TransferDataItem;
class TransferFileItem;
class TransferItemDelegate;

// A transfer job: the rows the user sent to the device in one action. It plans where each file
// goes and whether it is converted, makes one TransferFileItem per file, and runs them one after
// another on a global queue, grouping iOS writes. Create with std::make_shared.
class TransferMediaTask : public std::enable_shared_from_this<TransferMediaTask>
{
public:
    enum State : quint32 { StateNew = 0, StateItemsAdded = 1, StateRunning = 3, StateFinished = 4 };
    using Completion = std::function<void(const std::shared_ptr<TransferMediaTask> &)>;
    // iOS writes are committed in groups of this many.
    static constexpr int CommitGroup = 6;

    TransferMediaTask();
    ~TransferMediaTask();

    void setDestDevice(const std::shared_ptr<IMobileDevice> &device);
    std::shared_ptr<IMobileDevice> destDevice() const;
    quint32 state() const { return m_state.load(); }
    void setState(quint32 state) { m_state = state; }
    qint64 totalFileSize() const { return m_totalFileSize.load(); }
    void setTotalFileSize(qint64 bytes) { m_totalFileSize = bytes; }
    QList<std::shared_ptr<TransferFileItem>> items() const;

    void addWithTransferItemArray(const QList<std::shared_ptr<TransferDataItem>> &rows);
    void addWithTransferItem(const std::shared_ptr<TransferDataItem> &row);
    void addWithFileArray(const QStringList &paths);
    void addWithFile(const QString &path);
    // 1 video, 2 audio, 3 image, 0 anything else, by whole list entry.
    static int filePathMediaType(const QString &path);

    void setConverterCompleted(Completion block);
    // Runs the job on the global default-priority queue; a second call does nothing (false).
    bool start();
    bool hasStarted() const { return m_started.load(); }

    void taskBeginTransaction();
    void taskCommitTransaction();

    // Storage planning.
    void reGetAllSdcardPathAndFreeSize();
    qint64 freeSizeInCard() const;
    qint64 freeSizeInExternalCard() const;
    // The card (or built-in) root plus the folder; empty when the root is unknown on a car
    // device, whose root must come from its volume.
    QString sdCardUpdatePath(const QString &folder, bool extSdcard) const;
    QString sdCardUpdatePath(const QString &folder) const { return sdCardUpdatePath(folder, true); }
    QString getSdCardUpdatePath();
    static QString userSelectedPath(int kind, bool isAudio);
    void loadDestDeviceInfo();
    std::optional<qint64> fileInfoForfileManager(const QString &path) const;
    bool existsPhoneFileName(const QString &name, const QString &folder, qint64 *length) const;
    QString getUnUsedFileName(const QString &path, qint64 fileSize, bool *isExist) const;
    static QString getUnUsedLocalFileName(const QString &path);
    static QString getUnUsedDestFile(const QString &path);
    static qint64 getFileSizeForSourceFile(const QString &path);
    // The job's private folder for converted files (0700, unique); empty when it cannot be made.
    QString taskTempFilePath();
    bool systemNewerThan441() const { return m_systemNewerThan441; }
    QString systemPath() const { return m_systemPath; }
    QString cardPath() const { return m_cardPath; }

    // "clip(3)" → ("clip", 3); no numbered suffix → (name, 0).
    static std::pair<QString, int> stripNumberedSuffix(const QString &name);

private:
    void addTransferItem(const QVariant &rowOrPath, const std::shared_ptr<TransferDataItem> &row, const QString &path);
    void addLocalToDevicesFile(const QString &path, const std::shared_ptr<TransferDataItem> &row, bool audio);
    void addLocalToDevicesOtherFile(const QString &path, const std::shared_ptr<TransferDataItem> &row);
    void appendItem(const std::shared_ptr<TransferFileItem> &item, const std::shared_ptr<TransferDataItem> &row);
    void run();
    void flushPending(QList<std::shared_ptr<TransferFileItem>> &pending);
    quint32 platform() const;

    mutable QMutex m_lock;
    std::shared_ptr<IMobileDevice> m_destDevice;
    bool m_transactionSupport = false;
    QList<std::shared_ptr<TransferFileItem>> m_items;
    std::unique_ptr<QTemporaryDir> m_tempFolder;
    FileLock m_tempHold; // marks the folder live; a killed run's folder is swept at start
    QString m_systemPath;
    qint64 m_systemFreeSize = 0;
    qint64 m_cardFreeSize = 0;
    QString m_cardPath;
    bool m_systemNewerThan441 = false;
    std::atomic<qint64> m_totalFileSize{0};
    std::atomic<quint32> m_state{StateNew};
    std::atomic<bool> m_started{false};
    Completion m_completion;
};
