#pragma once

#include "DeviceHarness.h"

#include "devices/FakeDeviceBackend.h"
#include "devices/FakeFileStore.h"

#include <QTemporaryDir>

// The in-process scripted device: an Android phone whose storage is a temporary folder.
class FakeDeviceHarness : public DeviceHarness
{
public:
    FakeDeviceHarness();
    QString name() const override { return QStringLiteral("fake"); }
    std::shared_ptr<IDeviceBackend> backend() override { return m_backend; }
    void plug() override;
    void pull() override;
    void pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &device) override;
    QString deviceFolder() const override { return QStringLiteral("/storage/emulated/0/Music"); }
    QString localFile(const QString &devicePath) const override { return m_store->localPath(devicePath); }
    QStringList watchedFolders() const override { return {m_dir.path(), QDir::currentPath()}; }
    quint32 expectedPlatform() const override { return 1; }

    std::shared_ptr<FakeFileStore> store() const { return m_store; }
    std::shared_ptr<StoreMobileDevice> device() const { return m_device; }

    // An Android phone with 16 GiB built-in storage on a fresh fake store.
    static StoreMobileDevice::Setup androidSetup();
    static FakeFileStore::Script androidScript();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<FakeDeviceBackend> m_backend;
    std::shared_ptr<FakeFileStore> m_store;
    std::shared_ptr<StoreMobileDevice> m_device;
};
