#include "VolumeDeviceHarness.h"

#include "devices/StoreMobileDevice.h"
#include "devices/VolumeFileStore.h"

#include <QDir>

VolumeDeviceHarness::VolumeDeviceHarness()
{
    QDir().mkpath(mountPoint());
    m_backend = std::make_shared<VolumeBackend>(
        [this] {
            QMutexLocker lock(&m_lock);
            return m_volumes;
        },
        20);
}

void VolumeDeviceHarness::plug()
{
    QMutexLocker lock(&m_lock);
    m_volumes = {{mountPoint(), QStringLiteral("CAR DISK"), QStringLiteral("/dev/fake-sdz1")}};
}

void VolumeDeviceHarness::pull()
{
    QMutexLocker lock(&m_lock);
    m_volumes.clear();
}

void VolumeDeviceHarness::unmount()
{
    pull();
    QDir().rename(mountPoint(), m_dir.filePath(QStringLiteral("unmounted")));
}

void VolumeDeviceHarness::pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &device)
{
    auto store = std::dynamic_pointer_cast<VolumeFileStore>(std::static_pointer_cast<StoreMobileDevice>(device)->storePointer());
    store->setChunkHook([this, done = false](int percent) mutable {
        if (percent >= 50 && !done) {
            done = true;
            unmount();
        }
    });
}

QStringList VolumeDeviceHarness::watchedFolders() const
{
    return {m_dir.path(), QDir::currentPath()};
}
