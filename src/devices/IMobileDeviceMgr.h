#pragma once

#include <memory>

class IMobileDevice;

// Hears devices arrive and leave, on the device manager's thread.
class IMobileDeviceMgr
{
public:
    virtual ~IMobileDeviceMgr() = default;
    virtual void mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device) {}
    virtual void mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device) {}
};
