#include "devices/IosBackend.h"

#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IosFileStore.h"
#include "devices/StoreMobileDevice.h"

#include "platform/UserDefaults.h"

#include <libimobiledevice/libimobiledevice.h>

#include <thread>

namespace {

// libimobiledevice takes one event subscriber per process.
IosBackend *g_subscriber = nullptr;
QMutex g_subscriberLock;

void onEvent(const idevice_event_t *event, void *)
{
    if (!event || !event->udid || event->conn_type != CONNECTION_USBMUXD)
        return;
    QMutexLocker lock(&g_subscriberLock);
    if (!g_subscriber)
        return;
    const QString udid = QString::fromUtf8(event->udid);
    switch (event->event) {
    case IDEVICE_DEVICE_ADD: g_subscriber->deviceAdded(udid); break;
    case IDEVICE_DEVICE_REMOVE: g_subscriber->deviceRemoved(udid); break;
    case IDEVICE_DEVICE_PAIRED: g_subscriber->devicePaired(udid); break;
    }
}

} // namespace

IosBackend::IosBackend() = default;

IosBackend::~IosBackend()
{
    stop();
}

QString IosBackend::sharingAppId()
{
    const QString configured = UserDefaults::standard().stringForKey(QStringLiteral("iOSFileSharingApp")).trimmed();
    return configured.isEmpty() ? QStringLiteral("org.videolan.vlc-ios") : configured;
}

void IosBackend::start(Dexmoor &manager)
{
    {
        QMutexLocker lock(&m_lock);
        m_manager = &manager;
    }
    QMutexLocker lock(&g_subscriberLock);
    if (g_subscriber)
        return;  // another manager listens already
    g_subscriber = this;
    m_subscribed = idevice_event_subscribe(&onEvent, nullptr) == IDEVICE_E_SUCCESS;
    if (!m_subscribed)
        g_subscriber = nullptr;  // no usbmuxd: iOS devices cannot be reached here
}

void IosBackend::stop()
{
    {
        QMutexLocker lock(&g_subscriberLock);
        if (g_subscriber == this) {
            if (m_subscribed)
                idevice_event_unsubscribe();
            g_subscriber = nullptr;
        }
        m_subscribed = false;
    }
    QMutexLocker lock(&m_lock);
    m_devices.clear();
    m_manager = nullptr;
}

void IosBackend::handshake(const std::shared_ptr<StoreMobileDevice> &device)
{
    auto store = std::static_pointer_cast<IosFileStore>(device->storePointer());
    QString name, version, model;
    const int status = store->connect(&name, &version, &model);
    if (status == DeviceConnectionStatus::Connected) {
        auto info = device->deviceInfo()->fields();
        info.displayName = name.isEmpty() ? info.serialNumber : name;
        info.OSVersion = version;
        info.model = model;
        device->setInfo(info);
        store->openSharingArea(sharingAppId());
        device->deviceStorageInfos()->invalidate();
    }
    device->setConnectionStatus(status);
}

void IosBackend::deviceAdded(const QString &udid)
{
    std::shared_ptr<StoreMobileDevice> device;
    Dexmoor *manager;
    {
        QMutexLocker lock(&m_lock);
        if (m_devices.contains(udid) || !m_manager)
            return;
        StoreMobileDevice::Setup setup;
        setup.info.displayName = udid;
        setup.info.serialNumber = udid;
        setup.info.OSPlatform = DeviceTransferPlatform::iOS;
        setup.info.brand = QStringLiteral("Apple");
        setup.store = std::make_shared<IosFileStore>(udid);
        setup.musicFolder = IosFileStore::documentsRoot();
        setup.videoFolder = IosFileStore::documentsRoot();
        setup.connectionStatus = DeviceConnectionStatus::Connecting;
        setup.connector = [weak = std::weak_ptr<IosFileStore>(std::static_pointer_cast<IosFileStore>(setup.store))] {
            auto store = weak.lock();
            if (!store)
                return DeviceConnectionStatus::Failed;
            const int status = store->connect(nullptr, nullptr, nullptr);
            if (status == DeviceConnectionStatus::Connected)
                store->openSharingArea(sharingAppId());
            return status;
        };
        device = std::make_shared<StoreMobileDevice>(setup);
        m_devices.insert(udid, device);
        manager = m_manager;
    }
    manager->deviceArrived(device);
    // The handshake may wait for the user: never on the event thread.
    std::thread([device] { handshake(device); }).detach();
}

void IosBackend::deviceRemoved(const QString &udid)
{
    std::shared_ptr<StoreMobileDevice> device;
    Dexmoor *manager;
    {
        QMutexLocker lock(&m_lock);
        device = m_devices.take(udid);
        manager = m_manager;
    }
    if (!device)
        return;
    device->markRemoved();
    if (manager)
        manager->deviceLeft(device);
}

void IosBackend::devicePaired(const QString &udid)
{
    std::shared_ptr<StoreMobileDevice> device;
    {
        QMutexLocker lock(&m_lock);
        device = m_devices.value(udid);
    }
    if (device && !device->IsOnline())
        std::thread([device] { handshake(device); }).detach();
}
