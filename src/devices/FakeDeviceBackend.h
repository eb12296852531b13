#pragma once

#include "devices/IDeviceBackend.h"
#include "devices/StoreMobileDevice.h"

#include <QMutex>

class FakeFileStore;

// Devices made up in the process: the tests plug and pull them, and FENNIX_DEMO_DEVICES=1
// gives the application one demo phone whose storage is a folder in the user's data folder.
class FakeDeviceBackend : public IDeviceBackend
{
public:
    explicit FakeDeviceBackend(bool demo = false);

    // A device on a fake store (the store learns its device for removals mid-write).
    static std::shared_ptr<StoreMobileDevice> makeDevice(const std::shared_ptr<FakeFileStore> &store,
                                                         StoreMobileDevice::Setup setup);

    void start(Dexmoor &manager) override;
    void stop() override;

    // Plugs a device in (reported once the back-end runs).
    void plug(const std::shared_ptr<StoreMobileDevice> &device);
    // Pulls it out: it is removed at once, and the manager tells its delegates.
    void pull(const std::shared_ptr<StoreMobileDevice> &device);

private:
    bool m_demo;
    QMutex m_lock;
    Dexmoor *m_manager = nullptr;
    QList<std::shared_ptr<StoreMobileDevice>> m_devices;
};
