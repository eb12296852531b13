#pragma once

#include "DeviceHarness.h"

#include <QTemporaryDir>

// A phone behind the fake adb program: tests/devices/fake-adb.sh first on PATH, serving a
// temporary folder that mirrors the phone's storage.
class AdbDeviceHarness : public DeviceHarness
{
public:
    explicit AdbDeviceHarness(const QString &serial = QStringLiteral("FAKEADB01"));
    ~AdbDeviceHarness() override;

    QString name() const override { return QStringLiteral("adb"); }
    QString skipReason() const override;
    std::shared_ptr<IDeviceBackend> backend() override;
    void plug() override { setState(QStringLiteral("device")); }
    void pull() override;
    void pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &device) override;
    QString deviceFolder() const override { return QStringLiteral("/storage/emulated/0/Music"); }
    QString localFile(const QString &devicePath) const override;
    QStringList watchedFolders() const override;
    quint32 expectedPlatform() const override { return 1; }

    void setState(const QString &state);
    QString root() const { return m_dir.path(); }
    // Every adb call so far, each as its argument vector.
    QList<QStringList> calls() const;

private:
    QTemporaryDir m_dir;
    QString m_serial;
    QByteArray m_oldPath;
    std::shared_ptr<IDeviceBackend> m_backend;
};
