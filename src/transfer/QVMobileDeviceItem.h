#pragma once

#include "devices/Version.h"

#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class DeviceInfo;
struct CollectedDevice;
class IMobileDevice;
namespace dispatch {
class SerialQueue;
}

// One connected device as the pages see it: name, platform, loading of its music and video
// data, free space and the Android screen-off time-out. Create with std::make_shared.
class QVMobileDeviceItem : public std::enable_shared_from_this<QVMobileDeviceItem>
{
public:
    using Progress = std::function<void(QVMobileDeviceItem &item, float fraction)>;

    explicit QVMobileDeviceItem(std::shared_ptr<IMobileDevice> device);  // initWithIMobileDevice:
    ~QVMobileDeviceItem();

    std::shared_ptr<IMobileDevice> mobileDevice() const { return m_mobileDevice; }
    DeviceInfo *deviceInfo() const;
    QString deviceName() const;
    QString serialNumber() const;
    quint32 platform() const;
    int connectStatus() const;
    bool isOnline() const;
    bool isiPod() const;
    Version deviceVersion() const;

    bool isLoaded() const { return m_isLoaded.load(); }
    void setIsLoaded(bool loaded) { m_isLoaded = loaded; }
    bool isForceLoad() const { return m_isForceLoad.load(); }
    void setIsForceLoad(bool force) { m_isForceLoad = force; }

    // Loads the music and video data (blocking); progress gets fractions up to 1.0.
    void syncLoadDeviceItemData(const Progress &progress = {});
    // The same on the item's own queue; then done runs there.
    void asyncLoadDeviceItemData(std::function<void()> done);

    qint64 freeSizeInExternalCard() const;
    qint64 freeSizeInCard() const;
    qint64 getFreeSpaceSize();
    bool isHasSpaceOnMobileDevice(qint64 bytes);

    bool adjustDeviceScreenOffTimeout();
    void settingDeviceScreenOffUserDefaults();
    int getDeviceScreenOffTimeout();
    int setDeviceScreenOffTimeout(int milliseconds);
    int turnScreenOn();
    int turnScreenOff();

    // What the usage statistics read of a device.
    static CollectedDevice collectedDevice(IMobileDevice &device);

    // "%@_SettingOffTimeout" for this device.
    QString screenOffDefaultsKey() const;
    static constexpr int LongestScreenOffMs = 300000;

private:
    bool isAndroid() const;
    int runScreenCommand(const QString &command);

    std::atomic<bool> m_isLoaded{false};
    std::atomic<bool> m_isForceLoad{false};
    QMutex m_syncObject;
    std::shared_ptr<IMobileDevice> m_mobileDevice;
    std::unique_ptr<dispatch::SerialQueue> m_loadDeviceDataQueue;
};
