#pragma once

#include "devices/IDeviceBackend.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

class QObject;
class QSocketNotifier;
class QTimer;
class StoreMobileDevice;
struct udev;
struct udev_monitor;

// Android phones plugged in with USB debugging off: adb cannot see them, but USB shows a media
// (MTP) or picture (PTP) interface and no debugging interface. They are reported as Android
// devices that are not ready (connectPrepareCheck 1), so the page can show the debugging guide;
// once debugging is on the phone comes back through adb instead.
class UsbPhoneBackend : public IDeviceBackend
{
public:
    struct Interface
    {
        int interfaceClass = 0, subClass = 0, protocol = 0;
        QString name;
    };
    struct UsbDevice
    {
        QString sysPath, serial, manufacturer, product;
        int vendorId = 0, productId = 0;
        QList<Interface> interfaces;
    };

    UsbPhoneBackend();
    ~UsbPhoneBackend() override;

    void start(Dexmoor &manager) override;
    void stop() override;

    static bool isPhoneWithoutDebugging(const UsbDevice &device);
    // Every USB device on this machine with its interfaces (empty without udev).
    static QList<UsbDevice> enumerate();

private:
    void rescan();

    Dexmoor *m_manager = nullptr;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_debounce = nullptr;
    QHash<QString, std::shared_ptr<StoreMobileDevice>> m_devices;  // by sysfs path
};
