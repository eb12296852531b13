#pragma once

#include "devices/IDeviceBackend.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <memory>

class StoreMobileDevice;

// iOS devices through libimobiledevice: usbmuxd's events announce them; the lockdown handshake
// runs on a thread of its own (it waits for the user's answer on the device) and again when the
// device reports it was paired. Writes go into a media app's file-sharing area (see
// IosFileStore); the library groups no writes in transactions.
class IosBackend : public IDeviceBackend
{
public:
    IosBackend();
    ~IosBackend() override;

    void start(Dexmoor &manager) override;
    void stop() override;

    // The app whose file-sharing area takes the files: the setting "iOSFileSharingApp", else VLC.
    static QString sharingAppId();

    // From libimobiledevice's event thread.
    void deviceAdded(const QString &udid);
    void deviceRemoved(const QString &udid);
    void devicePaired(const QString &udid);

private:
    static void handshake(const std::shared_ptr<StoreMobileDevice> &device);

    QMutex m_lock;
    Dexmoor *m_manager = nullptr;
    bool m_subscribed = false;
    QHash<QString, std::shared_ptr<StoreMobileDevice>> m_devices;
};
