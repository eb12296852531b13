#pragma once

class Dexmoor;

// One way devices are found (adb, USB, volumes, iOS, the fake). start() and stop() are called
// on the manager's thread, which has an event loop; the back-end reports devices with
// Dexmoor::deviceArrived and deviceLeft from any thread.
class IDeviceBackend
{
public:
    virtual ~IDeviceBackend() = default;
    virtual void start(Dexmoor &manager) = 0;
    virtual void stop() = 0;
};
