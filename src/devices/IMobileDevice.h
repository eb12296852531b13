#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class DeviceInfo;
class DeviceStorageInfos;
class IFileManager;
class ILoadable;
class IMediaManager;
class MobileDeviceDelegate;

// One phone, tablet, player or car device. Objects live in shared pointers; the manager, the
// pages and running transfers may all hold one after the device went away, so every call stays
// safe on a removed device (writes then fail).
class IMobileDevice : public std::enable_shared_from_this<IMobileDevice>
{
public:
    virtual ~IMobileDevice() = default;

    // The one delegate; an empty pointer detaches.
    virtual void setDeviceDelegate(std::weak_ptr<MobileDeviceDelegate> delegate) = 0;
    // Blocks while it connects; the outcome arrives as mobileDeviceEndConnected, the status
    // telling which.
    virtual void connect() = 0;
    virtual bool canCancelConnect() const { return false; }
    virtual void cancelConnect() {}
    virtual int connectionStatus() const = 0;  // DeviceConnectionStatus
    virtual int connectPrepareCheck() const = 0;  // DevicePrepareCheck
    virtual int connectionMode() const { return 1; }
    // Runs handler (on a device-layer thread) once the device is ready, e.g. after the user
    // allowed it; dropped when the device goes away first.
    virtual void waitReady(int state, std::shared_ptr<IMobileDevice> userState, std::function<bool()> handler) = 0;
    virtual bool IsOnline() const = 0;
    virtual bool IsDeviceRemoved() const = 0;
    virtual bool isiPod() const { return false; }

    virtual DeviceInfo *deviceInfo() = 0;
    virtual DeviceStorageInfos *deviceStorageInfos() = 0;
    virtual ILoadable *deviceStatistics() = 0;

    // Storage writes go to: 1 the built-in storage, 2 a removable card through the system's
    // card access.
    virtual quint32 WriteSDCardStyle() const = 0;
    virtual void setWriteSDCardStyle(quint32 style) = 0;
    virtual bool IsExtSDCardCanWrite() const = 0;

    virtual IMediaManager *musicManager() = 0;
    virtual IMediaManager *videoManager() = 0;
    // The whole media library, where the device has one; nullptr otherwise.
    virtual IMediaManager *mediaManager() { return nullptr; }
    virtual IFileManager *fileManager() = 0;
};
