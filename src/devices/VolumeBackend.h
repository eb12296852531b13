#pragma once

#include "devices/IDeviceBackend.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QTimer;
class StoreMobileDevice;

// Car devices: mounted removable volumes (under /media or /run/media, writable), looked for on
// start and every few seconds. A volume that is no longer mounted is a removed device.
class VolumeBackend : public IDeviceBackend
{
public:
    struct Volume
    {
        QString mountPoint;
        QString name;
        QString device;  // the block device, or another stable name
    };
    using Source = std::function<QList<Volume>()>;

    // Without a source the system's mounted volumes are read.
    explicit VolumeBackend(Source source = {}, int intervalMs = 3000);
    ~VolumeBackend() override;

    void start(Dexmoor &manager) override;
    void stop() override;
    // Looks again now (on the manager's thread).
    void rescan();

    static QList<Volume> mountedRemovableVolumes();
    static std::shared_ptr<StoreMobileDevice> makeDevice(const Volume &volume);

private:
    Source m_source;
    int m_intervalMs;
    Dexmoor *m_manager = nullptr;
    QTimer *m_timer = nullptr;
    QHash<QString, std::shared_ptr<StoreMobileDevice>> m_devices;  // by mount point
};
