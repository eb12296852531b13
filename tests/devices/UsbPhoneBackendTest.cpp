// Phones on USB with debugging off: which interface sets make one.

#include "devices/UsbPhoneBackend.h"

#include <gtest/gtest.h>

namespace {

using Interface = UsbPhoneBackend::Interface;

TEST(UsbPhones, MediaInterfacesWithoutDebuggingMakeAPhoneToGuide)
{
    const Interface mtp{0xff, 0xff, 0x00, "MTP"};
    const Interface ptp{0x06, 0x01, 0x01, ""};
    const Interface adb{0xff, 0x42, 0x01, "ADB Interface"};
    const Interface storage{0x08, 0x06, 0x50, ""};
    const Interface vendor{0xff, 0xff, 0x00, "Vendor"};
    struct Case { int vendor; QList<Interface> interfaces; bool phone; };
    const Case cases[] = {
        {0x18d1, {mtp}, true},
        {0x04e8, {ptp}, true},
        {0x18d1, {mtp, adb}, false},   // debugging on: adb reaches it
        {0x18d1, {ptp, adb}, false},
        {0x05ac, {ptp}, false},        // an iPhone's picture interface
        {0x0781, {storage}, false},    // a memory stick
        {0x046d, {vendor}, false},
        {0x18d1, {}, false},
    };
    for (const Case &c : cases) {
        UsbPhoneBackend::UsbDevice device;
        device.vendorId = c.vendor;
        device.interfaces = c.interfaces;
        EXPECT_EQ(UsbPhoneBackend::isPhoneWithoutDebugging(device), c.phone) << std::hex << c.vendor << " " << c.interfaces.size();
    }
}

TEST(UsbPhones, ThisMachinesBusReadsWithoutTrouble)
{
    // Whatever is plugged in here: every device read has a sysfs path.
    for (const auto &device : UsbPhoneBackend::enumerate())
        EXPECT_FALSE(device.sysPath.isEmpty());
}

} // namespace
