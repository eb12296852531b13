#pragma once

#include "DeviceHarness.h"

#include "devices/VolumeBackend.h"

#include <QMutex>
#include <QTemporaryDir>

// A temporary folder announced as a mounted removable volume (a car device).
class VolumeDeviceHarness : public DeviceHarness
{
public:
    VolumeDeviceHarness();
    QString name() const override { return QStringLiteral("volume"); }
    std::shared_ptr<IDeviceBackend> backend() override { return m_backend; }
    void plug() override;
    void pull() override;
    void pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &device) override;
    QString deviceFolder() const override { return mountPoint() + QStringLiteral("/Music"); }
    QString localFile(const QString &devicePath) const override { return devicePath; }
    QStringList watchedFolders() const override;
    quint32 expectedPlatform() const override { return 48; }

    QString mountPoint() const { return m_dir.filePath(QStringLiteral("CAR DISK")); }
    // Unmounts: the volume leaves the list and its folder goes away.
    void unmount();

private:
    QTemporaryDir m_dir;
    QMutex m_lock;
    QList<VolumeBackend::Volume> m_volumes;
    std::shared_ptr<VolumeBackend> m_backend;
};
