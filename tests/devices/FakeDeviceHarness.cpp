#include "FakeDeviceHarness.h"

#include "devices/DeviceTypes.h"

#include <QDir>

StoreMobileDevice::Setup FakeDeviceHarness::androidSetup()
{
    StoreMobileDevice::Setup setup;
    setup.info.displayName = QStringLiteral("Test Phone");
    setup.info.serialNumber = QStringLiteral("FAKE0001");
    setup.info.OSPlatform = DeviceTransferPlatform::Android;
    setup.info.OSVersion = QStringLiteral("12");
    setup.musicFolder = QStringLiteral("/storage/emulated/0/Music");
    setup.videoFolder = QStringLiteral("/storage/emulated/0/Video");
    return setup;
}

FakeFileStore::Script FakeDeviceHarness::androidScript()
{
    FakeFileStore::Script script;
    const StorageMedium internal{16LL << 30, 6LL << 30, QStringLiteral("/storage/emulated/0"), true};
    script.storages.memory = internal;
    script.storages.card = internal;
    return script;
}

FakeDeviceHarness::FakeDeviceHarness()
    : m_backend(std::make_shared<FakeDeviceBackend>())
{
    QDir().mkpath(m_dir.path() + QStringLiteral("/storage/emulated/0"));
    m_store = std::make_shared<FakeFileStore>(m_dir.path(), androidScript());
    m_device = FakeDeviceBackend::makeDevice(m_store, androidSetup());
}

void FakeDeviceHarness::plug()
{
    m_backend->plug(m_device);
}

void FakeDeviceHarness::pull()
{
    m_backend->pull(m_device);
}

void FakeDeviceHarness::pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &)
{
    auto script = m_store->script();
    std::weak_ptr<FakeDeviceBackend> backend = m_backend;
    std::weak_ptr<StoreMobileDevice> device = m_device;
    script.onProgress = [backend, device](const QString &, int percent) {
        auto b = backend.lock();
        auto d = device.lock();
        if (percent >= 50 && b && d && !d->IsDeviceRemoved())
            b->pull(d);
    };
    m_store->setScript(script);
}
