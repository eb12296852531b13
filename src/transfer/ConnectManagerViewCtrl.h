#pragma once

#include "devices/MobileDeviceDelegate.h"
#include "transfer/ConnectFailedViewCtrl.h"

#include <QMutex>
#include <QObject>
#include <QPointer>

#include <memory>

class ConnectingViewCtrl;
class IMobileDevice;
class QVMobileDeviceItem;
class QWidget;
class StartConnectViewCtrl;
class USBDebugViewCtrl;

// Connects the device of one item and shows how it goes: the start view (no device), the
// connecting view, the USB-debugging guide (an Android phone with debugging off) or a failed
// panel. A connected device ends with "MobileDeviceConnectSuccessed" (object: its item) on the
// main thread. It is the delegate of the device it connects; device callbacks arrive on
// background threads, and every view change is moved to the main thread. Create with
// std::make_shared (devices keep their delegate weakly).
class ConnectManagerViewCtrl : public QObject,
                               public MobileDeviceDelegate,
                               public ConnectFailedDelegate,
                               public std::enable_shared_from_this<ConnectManagerViewCtrl>
{
    Q_OBJECT
public:
    using Item = std::shared_ptr<QVMobileDeviceItem>;

    ConnectManagerViewCtrl();
    ~ConnectManagerViewCtrl() override;

    QWidget *view();
    QWidget *contentView() const { return m_content; }

    std::shared_ptr<IMobileDevice> currentDevice() const;
    Item curDeviceItem() const;

    // The transfer page's entry (main thread); null shows the start view.
    void startConnectDevice(const Item &item);
    // Connects in the background without changing the view, when the device is ready for it.
    void silentConnectDevice(const Item &item);
    // Shows the connecting view and connects on a background queue (any thread).
    void tryConnectDevice(const std::shared_ptr<IMobileDevice> &device);

    // ConnectFailedDelegate
    void reconnectDevice() override;
    void switchDevice() override {}

    // Views (any thread: moved to the main thread).
    void goToStartConnectView();
    void goToConnectingView();
    void goToUSBDebugView();
    void goToConnectFailedView(int type);
    // The failed panel a device's status asks for: 5 asleep, 7 passcode, 6 authorisation,
    // anything else general.
    void gotoConnectFailedView(const std::shared_ptr<IMobileDevice> &device);
    void setContentView(QWidget *view);

    // Loads what the page and the statistics read of a connected device (blocking).
    void loadDeviceInfo(const std::shared_ptr<IMobileDevice> &device);

    // MobileDeviceDelegate
    void mobileDeviceBeginConnected(const Device &device) override;
    void mobileDeviceEndConnected(const Device &device) override;
    void mobileDeviceConnected(const Device &device) override;
    void mobileDeviceDisConnected(const Device &device) override;
    bool mobileDevicePreventScreenOff(const Device &device) override;
    void mobileDeviceEnteredRestoreMode(const Device &device) override;
    void mobileDeviceLeavedRestoreMode(const Device &device) override;
    void mobileDeviceConnectionStepChanged(const Device &device, const QString &notification) override;

    StartConnectViewCtrl *startView();
    ConnectingViewCtrl *connectingView();
    USBDebugViewCtrl *usbDebugView();
    ConnectFailedViewCtrl *failedView();

private:
    void setCurrent(const std::shared_ptr<IMobileDevice> &device, const Item &item);
    void onMain(std::function<void(ConnectManagerViewCtrl &self)> fn);
    void stopConnectAnimation();
    static void logCallback(const char *name, const Device &device);

    mutable QMutex m_lock;
    std::shared_ptr<IMobileDevice> m_currentDevice;
    Item m_curDeviceItem;

    QPointer<QWidget> m_view;
    QWidget *m_content = nullptr;
    QPointer<StartConnectViewCtrl> m_start;
    QPointer<ConnectingViewCtrl> m_connecting;
    QPointer<USBDebugViewCtrl> m_usbDebug;
    QPointer<ConnectFailedViewCtrl> m_failed;
};
