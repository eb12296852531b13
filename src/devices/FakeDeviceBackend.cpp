#include "devices/FakeDeviceBackend.h"

#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/FakeFileStore.h"

#include <QDir>
#include <QStandardPaths>

FakeDeviceBackend::FakeDeviceBackend(bool demo)
    : m_demo(demo)
{
}

std::shared_ptr<StoreMobileDevice> FakeDeviceBackend::makeDevice(const std::shared_ptr<FakeFileStore> &store,
                                                                 StoreMobileDevice::Setup setup)
{
    setup.store = store;
    auto device = std::make_shared<StoreMobileDevice>(std::move(setup));
    store->setDevice(device);
    return device;
}

void FakeDeviceBackend::start(Dexmoor &manager)
{
    QList<std::shared_ptr<StoreMobileDevice>> present;
    {
        QMutexLocker lock(&m_lock);
        m_manager = &manager;
        present = m_devices;
    }
    if (m_demo && present.isEmpty()) {
        const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/FennixPro Demo Device");
        QDir().mkpath(root + QStringLiteral("/storage/emulated/0"));
        FakeFileStore::Script script;
        StorageMedium internal{16LL << 30, 6LL << 30, QStringLiteral("/storage/emulated/0"), true};
        script.storages.memory = internal;
        script.storages.card = internal;
        StoreMobileDevice::Setup setup;
        setup.info = {QStringLiteral("Demo Phone"), QStringLiteral("DEMO0001"), DeviceTransferPlatform::Android,
                      QStringLiteral("12"), QStringLiteral("Demo"), QStringLiteral("Phone"), 0};
        setup.musicFolder = QStringLiteral("/storage/emulated/0/Music");
        setup.videoFolder = QStringLiteral("/storage/emulated/0/Video");
        plug(makeDevice(std::make_shared<FakeFileStore>(root, script), setup));
        return;
    }
    for (const auto &device : present)
        manager.deviceArrived(device);
}

void FakeDeviceBackend::stop()
{
    QMutexLocker lock(&m_lock);
    m_manager = nullptr;
}

void FakeDeviceBackend::plug(const std::shared_ptr<StoreMobileDevice> &device)
{
    Dexmoor *manager;
    {
        QMutexLocker lock(&m_lock);
        m_devices.append(device);
        manager = m_manager;
    }
    if (manager)
        manager->deviceArrived(device);
}

void FakeDeviceBackend::pull(const std::shared_ptr<StoreMobileDevice> &device)
{
    Dexmoor *manager;
    {
        QMutexLocker lock(&m_lock);
        m_devices.removeOne(device);
        manager = m_manager;
    }
    device->markRemoved();
    if (manager)
        manager->deviceLeft(device);
}
