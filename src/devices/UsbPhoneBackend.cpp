#include "devices/UsbPhoneBackend.h"

#include "devices/DetachedFileStore.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/StoreMobileDevice.h"

#include <QSocketNotifier>
#include <QTimer>

#include <libudev.h>

namespace {

constexpr int AppleVendor = 0x05ac;  // iPhones show a picture interface too
constexpr int RescanDelayMs = 500;   // interfaces appear just after their device

QString attr(udev_device *device, const char *name)
{
    const char *value = udev_device_get_sysattr_value(device, name);
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

int hexAttr(udev_device *device, const char *name)
{
    return attr(device, name).toInt(nullptr, 16);
}

} // namespace

UsbPhoneBackend::UsbPhoneBackend() = default;

UsbPhoneBackend::~UsbPhoneBackend()
{
    stop();
}

bool UsbPhoneBackend::isPhoneWithoutDebugging(const UsbDevice &device)
{
    if (device.vendorId == AppleVendor)
        return false;
    bool media = false;
    for (const Interface &i : device.interfaces) {
        if (i.interfaceClass == 0xff && i.subClass == 0x42 && i.protocol == 0x01)
            return false;  // the debugging interface: adb reaches the phone
        if ((i.interfaceClass == 0x06 && i.subClass == 0x01 && i.protocol == 0x01)
            || (i.interfaceClass == 0xff && i.name.compare(QLatin1String("MTP"), Qt::CaseInsensitive) == 0))
            media = true;
    }
    return media;
}

QList<UsbPhoneBackend::UsbDevice> UsbPhoneBackend::enumerate()
{
    QList<UsbDevice> found;
    udev *context = udev_new();
    if (!context)
        return found;
    udev_enumerate *devices = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(devices, "usb");
    udev_enumerate_add_match_property(devices, "DEVTYPE", "usb_device");
    udev_enumerate_scan_devices(devices);
    udev_list_entry *entry;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(devices))
    {
        udev_device *device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        UsbDevice usb;
        usb.sysPath = QString::fromUtf8(udev_device_get_syspath(device));
        usb.serial = attr(device, "serial");
        usb.manufacturer = attr(device, "manufacturer");
        usb.product = attr(device, "product");
        usb.vendorId = hexAttr(device, "idVendor");
        usb.productId = hexAttr(device, "idProduct");
        udev_enumerate *interfaces = udev_enumerate_new(context);
        udev_enumerate_add_match_parent(interfaces, device);
        udev_enumerate_add_match_property(interfaces, "DEVTYPE", "usb_interface");
        udev_enumerate_scan_devices(interfaces);
        udev_list_entry *child;
        udev_list_entry_foreach(child, udev_enumerate_get_list_entry(interfaces))
        {
            udev_device *i = udev_device_new_from_syspath(context, udev_list_entry_get_name(child));
            if (!i)
                continue;
            usb.interfaces.append({hexAttr(i, "bInterfaceClass"), hexAttr(i, "bInterfaceSubClass"),
                                   hexAttr(i, "bInterfaceProtocol"), attr(i, "interface")});
            udev_device_unref(i);
        }
        udev_enumerate_unref(interfaces);
        udev_device_unref(device);
        found.append(usb);
    }
    udev_enumerate_unref(devices);
    udev_unref(context);
    return found;
}

void UsbPhoneBackend::start(Dexmoor &manager)
{
    m_manager = &manager;
    m_debounce = new QTimer;
    m_debounce->setSingleShot(true);
    QObject::connect(m_debounce, &QTimer::timeout, m_debounce, [this] { rescan(); });
    m_udev = udev_new();
    if (m_udev) {
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_monitor) {
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", nullptr);
            if (udev_monitor_enable_receiving(m_monitor) == 0) {
                m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
                QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] {
                    // Drain the events; one look at the whole bus after they settle.
                    while (udev_device *event = udev_monitor_receive_device(m_monitor))
                        udev_device_unref(event);
                    m_debounce->start(RescanDelayMs);
                });
            }
        }
    }
    rescan();
}

void UsbPhoneBackend::stop()
{
    delete m_notifier;
    m_notifier = nullptr;
    delete m_debounce;
    m_debounce = nullptr;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    m_monitor = nullptr;
    if (m_udev)
        udev_unref(m_udev);
    m_udev = nullptr;
    m_devices.clear();
    m_manager = nullptr;
}

void UsbPhoneBackend::rescan()
{
    if (!m_manager)
        return;
    QHash<QString, UsbDevice> phones;
    for (const UsbDevice &usb : enumerate()) {
        if (isPhoneWithoutDebugging(usb))
            phones.insert(usb.sysPath, usb);
    }
    for (auto it = m_devices.begin(); it != m_devices.end();) {
        if (phones.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->markRemoved();
        m_manager->deviceLeft(it.value());
        it = m_devices.erase(it);
    }
    for (const UsbDevice &usb : phones) {
        if (m_devices.contains(usb.sysPath))
            continue;
        StoreMobileDevice::Setup setup;
        setup.info.displayName = (usb.manufacturer + QLatin1Char(' ') + usb.product).trimmed();
        setup.info.serialNumber = usb.serial.isEmpty() ? usb.sysPath : usb.serial;
        setup.info.OSPlatform = DeviceTransferPlatform::Android;
        setup.info.brand = usb.manufacturer;
        setup.info.model = usb.product;
        setup.store = std::make_shared<DetachedFileStore>();
        setup.connectionStatus = DeviceConnectionStatus::Failed;
        setup.prepareCheck = DevicePrepareCheck::DebuggingOff;
        auto device = std::make_shared<StoreMobileDevice>(setup);
        m_devices.insert(usb.sysPath, device);
        m_manager->deviceArrived(device);
    }
}
