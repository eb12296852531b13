#pragma once

#include <QString>

#include <memory>

class IMobileDevice;

// What a device tells the one object that connects it. Every method is optional; calls come on
// the device layer's threads.
class MobileDeviceDelegate
{
public:
    using Device = std::shared_ptr<IMobileDevice>;
    virtual ~MobileDeviceDelegate() = default;
    virtual void mobileDeviceBeginConnected(const Device &device) {}
    virtual void mobileDeviceEndConnected(const Device &device) {}
    virtual void mobileDeviceConnected(const Device &device) {}
    virtual void mobileDeviceDisConnected(const Device &device) {}
    virtual bool mobileDevicePreventScreenOff(const Device &device) { return false; }
    virtual void mobileDeviceEnteredRestoreMode(const Device &device) {}
    virtual void mobileDeviceLeavedRestoreMode(const Device &device) {}
    virtual void mobileDeviceConnectionStepChanged(const Device &device, const QString &notification) {}
};
