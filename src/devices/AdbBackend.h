#pragma once

#include "devices/DeviceInfo.h"
#include "devices/IDeviceBackend.h"

#include <QHash>
#include <QMutex>

#include <memory>

class QObject;
class QProcess;
class StoreMobileDevice;

// Android phones with USB debugging, followed through `adb track-devices`: "device" is
// connected, "unauthorized" waits for the user's answer on the phone, "offline" and the rest
// are failures; a serial that leaves the list is removed. The watch restarts if adb exits.
class AdbBackend : public IDeviceBackend
{
public:
    static constexpr int MaxDevicesPerListing = 64;
    // How long one phone's property query may take before the phone is named by its serial.
    static constexpr int DefaultPropertyTimeoutMs = 5000;
    static void setPropertyTimeoutMs(int ms);

    AdbBackend();
    ~AdbBackend() override;

    void start(Dexmoor &manager) override;
    void stop() override;

    // The blocks of a track-devices stream that are complete ("%04x" length, then
    // "serial\tstate\n" lines); each block is the whole list of that moment, of which the first
    // MaxDevicesPerListing are taken (the rest logged). Consumed bytes leave buffer.
    static QList<QHash<QString, QString>> takeDeviceLists(QByteArray &buffer);
    static int statusForState(const QString &state);
    // `getprop` output as name → value.
    static QHash<QString, QString> parseProperties(const QByteArray &output);
    static DeviceInfo::Fields readInfo(const QString &serial);

private:
    void startWatch();
    void applyList(const QHash<QString, QString> &states);

    Dexmoor *m_manager = nullptr;
    QObject *m_context = nullptr;  // lives on the manager's thread
    QProcess *m_watch = nullptr;
    QByteArray m_buffer;
    bool m_stopping = false;
    QHash<QString, std::shared_ptr<StoreMobileDevice>> m_devices;
};
