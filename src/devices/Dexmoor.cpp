#include "devices/Dexmoor.h"

#include "devices/AdbBackend.h"
#include "devices/DeviceInfo.h"
#include "devices/DeviceTypes.h"
#include "devices/FakeDeviceBackend.h"
#include "devices/IDeviceBackend.h"
#include "devices/IMobileDevice.h"
#include "devices/IMobileDeviceMgr.h"
#ifdef FENNIX_HAVE_IMOBILEDEVICE
#include "devices/IosBackend.h"
#endif
#include "devices/UsbPhoneBackend.h"
#include "devices/VolumeBackend.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

Dexmoor &Dexmoor::defaultManager()
{
    // Never destroyed: device threads may still call in while the program ends.
    static Dexmoor *manager = new Dexmoor;
    return *manager;
}

Dexmoor::Dexmoor() = default;

Dexmoor::~Dexmoor()
{
    stopListen();
}

void Dexmoor::setPlatformFilter(quint32 filter)
{
    QMutexLocker lock(&m_lock);
    m_filter = filter;
}

quint32 Dexmoor::platformFilter() const
{
    QMutexLocker lock(&m_lock);
    return m_filter;
}

bool Dexmoor::filterAccepts(quint32 filter, quint32 platform)
{
    if (filter == 0 || platform == DeviceTransferPlatform::Car)
        return true;
    return (filter & platform) != 0;
}

void Dexmoor::addBackend(std::shared_ptr<IDeviceBackend> backend)
{
    if (!backend)
        return;
    bool running;
    {
        QMutexLocker lock(&m_lock);
        m_backends.append(backend);
        running = m_listening;
    }
    if (running)
        runOnManagerThread([this, backend] { backend->start(*this); });
}

void Dexmoor::startDexmoorListen()
{
    QList<std::shared_ptr<IDeviceBackend>> backends;
    {
        QMutexLocker lock(&m_lock);
        if (m_listening)
            return;
        m_listening = true;
        if (m_backends.isEmpty())
            m_backends = builtInBackends();
        backends = m_backends;
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("Dexmoor"));
        m_context = new QObject;
        m_context->moveToThread(m_thread);
        m_thread->start();
    }
    runOnManagerThread([this, backends] {
        for (const auto &backend : backends)
            backend->start(*this);
    });
}

void Dexmoor::stopListen()
{
    QThread *thread;
    QList<std::shared_ptr<IDeviceBackend>> backends;
    {
        QMutexLocker lock(&m_lock);
        if (!m_listening)
            return;
        m_listening = false;
        thread = m_thread;
        backends = m_backends;
    }
    QMetaObject::invokeMethod(m_context, [backends] {
        for (const auto &backend : backends)
            backend->stop();
    }, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    delete thread;
    QMutexLocker lock(&m_lock);
    delete m_context;
    m_thread = nullptr;
    m_context = nullptr;
}

bool Dexmoor::isListening() const
{
    QMutexLocker lock(&m_lock);
    return m_listening;
}

QObject *Dexmoor::threadContext() const
{
    QMutexLocker lock(&m_lock);
    return m_context;
}

void Dexmoor::runOnManagerThread(std::function<void()> fn)
{
    QObject *context = threadContext();
    if (!context)
        return;
    QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

void Dexmoor::addDeletegate(std::weak_ptr<IMobileDeviceMgr> delegate)
{
    QMutexLocker lock(&m_lock);
    auto wanted = delegate.lock();
    for (const auto &known : m_delegates) {
        if (known.lock() == wanted)
            return;
    }
    m_delegates.append(std::move(delegate));
}

void Dexmoor::removeDelegate(const IMobileDeviceMgr *delegate)
{
    QMutexLocker lock(&m_lock);
    m_delegates.removeIf([delegate](const std::weak_ptr<IMobileDeviceMgr> &d) {
        auto live = d.lock();
        return !live || live.get() == delegate;
    });
}

QList<Dexmoor::Device> Dexmoor::getConnectDevices() const
{
    QMutexLocker lock(&m_lock);
    return m_devices;
}

QList<std::shared_ptr<IMobileDeviceMgr>> Dexmoor::delegateSnapshot()
{
    QMutexLocker lock(&m_lock);
    QList<std::shared_ptr<IMobileDeviceMgr>> live;
    for (const auto &d : m_delegates) {
        if (auto strong = d.lock())
            live.append(strong);
    }
    return live;
}

void Dexmoor::deviceArrived(const Device &device)
{
    if (device)
        runOnManagerThread([this, device] { arrivedOnThread(device); });
}

void Dexmoor::deviceLeft(const Device &device)
{
    if (device)
        runOnManagerThread([this, device] { leftOnThread(device); });
}

void Dexmoor::arrivedOnThread(const Device &device)
{
    {
        QMutexLocker lock(&m_lock);
        if (!filterAccepts(m_filter, device->deviceInfo()->OSPlatform()) || m_devices.contains(device))
            return;
        m_devices.append(device);
    }
    for (const auto &d : delegateSnapshot())
        d->mobileDeviceInserted(device);
}

void Dexmoor::leftOnThread(const Device &device)
{
    {
        QMutexLocker lock(&m_lock);
        if (!m_devices.removeOne(device))
            return;
    }
    for (const auto &d : delegateSnapshot())
        d->mobileDeviceRemoved(device);
}

QList<std::shared_ptr<IDeviceBackend>> Dexmoor::builtInBackends()
{
    QList<std::shared_ptr<IDeviceBackend>> backends;
    backends.append(std::make_shared<AdbBackend>());
    backends.append(std::make_shared<VolumeBackend>());
    backends.append(std::make_shared<UsbPhoneBackend>());
#ifdef FENNIX_HAVE_IMOBILEDEVICE
    backends.append(std::make_shared<IosBackend>());
#endif
    if (qEnvironmentVariableIntValue("FENNIX_DEMO_DEVICES") > 0)
        backends.append(std::make_shared<FakeDeviceBackend>(true));
    return backends;
}
