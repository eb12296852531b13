#include "devices/VolumeBackend.h"

#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/StoreMobileDevice.h"
#include "devices/VolumeFileStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTimer>

VolumeBackend::VolumeBackend(Source source, int intervalMs)
    : m_source(source ? std::move(source) : Source(&VolumeBackend::mountedRemovableVolumes))
    , m_intervalMs(intervalMs)
{
}

VolumeBackend::~VolumeBackend() = default;

QList<VolumeBackend::Volume> VolumeBackend::mountedRemovableVolumes()
{
    QList<Volume> volumes;
    for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
        const QString root = info.rootPath();
        const bool removable = root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/run/media/"));
        if (!removable || !info.isValid() || !info.isReady() || info.isReadOnly())
            continue;
        QString name = info.displayName();
        if (name.isEmpty() || name == root)
            name = QFileInfo(root).fileName();
        volumes.append({root, name, QString::fromUtf8(info.device())});
    }
    return volumes;
}

std::shared_ptr<StoreMobileDevice> VolumeBackend::makeDevice(const Volume &volume)
{
    StoreMobileDevice::Setup setup;
    setup.info.displayName = volume.name;
    setup.info.serialNumber = volume.device.isEmpty() ? volume.mountPoint : volume.device;
    setup.info.OSPlatform = DeviceTransferPlatform::Car;
    setup.store = std::make_shared<VolumeFileStore>(volume.mountPoint);
    const QString root = QDir::cleanPath(volume.mountPoint);
    setup.musicFolder = root + QStringLiteral("/Music");
    setup.videoFolder = root + QStringLiteral("/Video");
    return std::make_shared<StoreMobileDevice>(setup);
}

void VolumeBackend::start(Dexmoor &manager)
{
    m_manager = &manager;
    m_timer = new QTimer;
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { rescan(); });
    m_timer->start(m_intervalMs);
    rescan();
}

void VolumeBackend::stop()
{
    delete m_timer;
    m_timer = nullptr;
    m_devices.clear();
    m_manager = nullptr;
}

void VolumeBackend::rescan()
{
    if (!m_manager)
        return;
    QHash<QString, Volume> present;
    for (const Volume &volume : m_source())
        present.insert(QDir::cleanPath(volume.mountPoint), volume);
    for (auto it = m_devices.begin(); it != m_devices.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->markRemoved();
        m_manager->deviceLeft(it.value());
        it = m_devices.erase(it);
    }
    for (auto it = present.begin(); it != present.end(); ++it) {
        if (m_devices.contains(it.key()))
            continue;
        auto device = makeDevice(it.value());
        m_devices.insert(it.key(), device);
        m_manager->deviceArrived(device);
    }
}
