#pragma once

#include <QList>
#include <QMutex>
#include <QtGlobal>

#include <functional>
#include <memory>

class IDeviceBackend;
class IMobileDevice;
class IMobileDeviceMgr;
class QObject;
class QThread;

// The device manager: runs the back-ends on a thread of its own, keeps the devices present and
// tells its delegates of arrivals and removals on that thread.
class Dexmoor
{
public:
    using Device = std::shared_ptr<IMobileDevice>;

    static Dexmoor &defaultManager();
    Dexmoor();
    ~Dexmoor();  // stops the back-ends and the thread
    Dexmoor(const Dexmoor &) = delete;
    Dexmoor &operator=(const Dexmoor &) = delete;

    // Bits of DeviceTransferPlatform values to report; 0 reports every device. Car devices are
    // always reported: they do not fit the bit scheme, and every page handles them.
    void setPlatformFilter(quint32 filter);
    quint32 platformFilter() const;
    static bool filterAccepts(quint32 filter, quint32 platform);

    // Back-ends to run; without any, startDexmoorListen runs the built-in set.
    void addBackend(std::shared_ptr<IDeviceBackend> backend);
    // The built-in set: adb, USB phones without debugging, mounted volumes, iOS where built,
    // and the demo fake when FENNIX_DEMO_DEVICES is set.
    static QList<std::shared_ptr<IDeviceBackend>> builtInBackends();
    void startDexmoorListen();
    void stopListen();
    bool isListening() const;

    void addDeletegate(std::weak_ptr<IMobileDeviceMgr> delegate);
    void removeDelegate(const IMobileDeviceMgr *delegate);
    QList<Device> getConnectDevices() const;

    // Back-end side, from any thread; delegates hear of it on the manager's thread.
    void deviceArrived(const Device &device);
    void deviceLeft(const Device &device);
    // Runs fn on the manager's thread (queued).
    void runOnManagerThread(std::function<void()> fn);
    QObject *threadContext() const;

private:
    void arrivedOnThread(const Device &device);
    void leftOnThread(const Device &device);
    QList<std::shared_ptr<IMobileDeviceMgr>> delegateSnapshot();

    mutable QMutex m_lock;
    quint32 m_filter = 0;
    bool m_listening = false;
    QList<std::shared_ptr<IDeviceBackend>> m_backends;
    QList<std::weak_ptr<IMobileDeviceMgr>> m_delegates;
    QList<Device> m_devices;
    QThread *m_thread = nullptr;
    QObject *m_context = nullptr;
};
