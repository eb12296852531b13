#pragma once

#include <QString>

#include <functional>
#include <memory>

class IDeviceBackend;
class IMobileDevice;

// One back-end under the device contract: it makes a device appear with a writable storage
// whose files the test can see locally, and can pull the device, also in the middle of a write.
class DeviceHarness
{
public:
    virtual ~DeviceHarness() = default;
    virtual QString name() const = 0;
    // Empty when the harness can run here; else why it is skipped.
    virtual QString skipReason() const { return QString(); }
    virtual std::shared_ptr<IDeviceBackend> backend() = 0;
    // Makes the device appear (the back-end may already be running).
    virtual void plug() = 0;
    // Makes it go away.
    virtual void pull() = 0;
    // The next write is interrupted by pulling the device once about half of it is copied.
    virtual void pullDuringNextWrite(const std::shared_ptr<IMobileDevice> &device) = 0;
    // A writable folder on the device, and the local file that mirrors a device path.
    virtual QString deviceFolder() const = 0;
    virtual QString localFile(const QString &devicePath) const = 0;
    // A folder in which stray files made by a command on either side would show up.
    virtual QStringList watchedFolders() const = 0;
    virtual quint32 expectedPlatform() const = 0;
};

using DeviceHarnessFactory = std::function<std::unique_ptr<DeviceHarness>()>;
