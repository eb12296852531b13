#include "transfer/ConnectManagerViewCtrl.h"

#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/DeviceTypes.h"
#include "devices/IAsyncTask.h"
#include "devices/ILoadable.h"
#include "devices/IMobileDevice.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/log/ScribletLogger.h"
#include "shell/WKDataColleciton.h"
#include "transfer/ConnectingViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/StartConnectViewCtrl.h"
#include "transfer/USBDebugViewCtrl.h"

#include <QThread>
#include <QVBoxLayout>
#include <QWidget>

namespace {

void waitLoaded(ILoadable *part)
{
    if (!part)
        return;
    if (const auto task = part->load(0))
        task->waitDone();
}

quint32 platformOf(const std::shared_ptr<IMobileDevice> &device)
{
    return device && device->deviceInfo() ? device->deviceInfo()->OSPlatform() : 0;
}

QString nameOf(const std::shared_ptr<IMobileDevice> &device)
{
    return device && device->deviceInfo() ? device->deviceInfo()->displayName() : QString();
}

void count(void (WKDataColleciton::*collect)(const CollectedDevice *), const std::shared_ptr<IMobileDevice> &device)
{
    if (!device)
        return;
    const CollectedDevice collected = QVMobileDeviceItem::collectedDevice(*device);
    (WKDataColleciton::share().*collect)(&collected);
}

} // namespace

ConnectManagerViewCtrl::ConnectManagerViewCtrl() = default;

ConnectManagerViewCtrl::~ConnectManagerViewCtrl()
{
    if (m_failed)
        m_failed->setDelegate(nullptr);
    if (const auto device = currentDevice())
        device->setDeviceDelegate({});
    delete m_view.data();
}

std::shared_ptr<IMobileDevice> ConnectManagerViewCtrl::currentDevice() const
{
    QMutexLocker lock(&m_lock);
    return m_currentDevice;
}

ConnectManagerViewCtrl::Item ConnectManagerViewCtrl::curDeviceItem() const
{
    QMutexLocker lock(&m_lock);
    return m_curDeviceItem;
}

void ConnectManagerViewCtrl::setCurrent(const std::shared_ptr<IMobileDevice> &device, const Item &item)
{
    QMutexLocker lock(&m_lock);
    m_currentDevice = device;
    m_curDeviceItem = item;
}

void ConnectManagerViewCtrl::onMain(std::function<void(ConnectManagerViewCtrl &self)> fn)
{
    if (QThread::currentThread() == thread()) {
        fn(*this);
        return;
    }
    std::weak_ptr<ConnectManagerViewCtrl> weak = weak_from_this();
    dispatch::async_main([weak, fn = std::move(fn)] {
        if (auto self = weak.lock())
            fn(*self);
    });
}

// ---------------------------------------------------------------------------------------------
// Views

QWidget *ConnectManagerViewCtrl::view()
{
    if (!m_view) {
        m_view = new QWidget;
        m_view->setObjectName(QStringLiteral("ConnectManagerViewCtrl"));
        m_view->setAutoFillBackground(true);
        QPalette palette = m_view->palette();
        palette.setColor(QPalette::Window, Qt::white);
        m_view->setPalette(palette);
        auto *layout = new QVBoxLayout(m_view);
        layout->setAlignment(Qt::AlignCenter);
    }
    return m_view;
}

StartConnectViewCtrl *ConnectManagerViewCtrl::startView()
{
    if (!m_start)
        m_start = new StartConnectViewCtrl(view());
    return m_start;
}

ConnectingViewCtrl *ConnectManagerViewCtrl::connectingView()
{
    if (!m_connecting)
        m_connecting = new ConnectingViewCtrl(view());
    return m_connecting;
}

USBDebugViewCtrl *ConnectManagerViewCtrl::usbDebugView()
{
    if (!m_usbDebug)
        m_usbDebug = new USBDebugViewCtrl(view());
    return m_usbDebug;
}

ConnectFailedViewCtrl *ConnectManagerViewCtrl::failedView()
{
    if (!m_failed)
        m_failed = new ConnectFailedViewCtrl(view());
    return m_failed;
}

void ConnectManagerViewCtrl::setContentView(QWidget *content)
{
    onMain([content = QPointer<QWidget>(content)](ConnectManagerViewCtrl &self) {
        QWidget *root = self.view();
        for (QWidget *child : root->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (child != content) {
                root->layout()->removeWidget(child);
                child->hide();
            }
        // Only the connecting view animates.
        if (self.m_connecting && content != self.m_connecting)
            self.m_connecting->stopConnectAnimation();
        if (!content)
            return;
        if (root->layout()->indexOf(content) < 0)
            root->layout()->addWidget(content);
        content->show();
        self.m_content = content;
    });
}

void ConnectManagerViewCtrl::stopConnectAnimation()
{
    onMain([](ConnectManagerViewCtrl &self) {
        if (self.m_connecting)
            self.m_connecting->stopConnectAnimation();
    });
}

void ConnectManagerViewCtrl::goToStartConnectView()
{
    onMain([](ConnectManagerViewCtrl &self) { self.setContentView(self.startView()); });
}

void ConnectManagerViewCtrl::goToConnectingView()
{
    onMain([](ConnectManagerViewCtrl &self) {
        self.setContentView(self.connectingView());
        self.connectingView()->startConnectAnimation();
    });
}

void ConnectManagerViewCtrl::goToUSBDebugView()
{
    onMain([](ConnectManagerViewCtrl &self) {
        self.usbDebugView()->selectVersionTag(1);
        self.setContentView(self.usbDebugView());
    });
}

void ConnectManagerViewCtrl::goToConnectFailedView(int type)
{
    onMain([type](ConnectManagerViewCtrl &self) {
        ConnectFailedViewCtrl *failed = self.failedView();
        failed->setDelegate(&self);
        failed->swithViewWithType(type);
        self.setContentView(failed);
    });
}

void ConnectManagerViewCtrl::gotoConnectFailedView(const std::shared_ptr<IMobileDevice> &device)
{
    const int status = device ? device->connectionStatus() : 0;
    switch (status) {
    case DeviceConnectionStatus::Asleep: goToConnectFailedView(ConnectFailedViewCtrl::Asleep); break;
    case DeviceConnectionStatus::WaitingForPasscode: goToConnectFailedView(ConnectFailedViewCtrl::IOSPasscode); break;
    case DeviceConnectionStatus::WaitingForTrust: goToConnectFailedView(ConnectFailedViewCtrl::AndroidAuthorization); break;
    default: goToConnectFailedView(ConnectFailedViewCtrl::General); break;
    }
}

// ---------------------------------------------------------------------------------------------
// Connecting

void ConnectManagerViewCtrl::startConnectDevice(const Item &item)
{
    const auto device = item ? item->mobileDevice() : nullptr;
    if (!device) {
        // The page has no device any more: a late result of the last one must not count.
        if (const auto previous = currentDevice())
            previous->setDeviceDelegate({});
        setCurrent(nullptr, nullptr);
        stopConnectAnimation();
        goToStartConnectView();
        return;
    }
    if (const auto previous = currentDevice(); previous && previous != device)
        previous->setDeviceDelegate({});
    setCurrent(device, item);
    device->setDeviceDelegate(weak_from_this());
    ScribletLogInfo(QStringLiteral("connectionStatus:%1 connectPrepareCheck:%2")
                        .arg(device->connectionStatus())
                        .arg(device->connectPrepareCheck()));
    const int status = device->connectionStatus();
    if (status == DeviceConnectionStatus::Connecting) {
        // Under way: its callbacks tell the rest.
        goToConnectingView();
        return;
    }
    if (status == DeviceConnectionStatus::Connected) {
        // Connected before this flow became its delegate: no callback will come, so connect
        // again, which loads what the list needs and ends in the success.
        tryConnectDevice(device);
        return;
    }
    if (platformOf(device) == DeviceTransferPlatform::Car) {
        tryConnectDevice(device);
        return;
    }
    if (device->connectionMode() == 0 && device->deviceInfo())
        (void)device->deviceInfo()->expectInterfaceStatus();
    if (platformOf(device) == DeviceTransferPlatform::Android && device->connectPrepareCheck() != DevicePrepareCheck::Ready) {
        // Debugging is off: connecting cannot succeed, the guide shows how to turn it on.
        count(&WKDataColleciton::collectDeviceConnectFailed, device);
        stopConnectAnimation();
        goToUSBDebugView();
        return;
    }
    tryConnectDevice(device);
}

void ConnectManagerViewCtrl::silentConnectDevice(const Item &item)
{
    const auto device = item ? item->mobileDevice() : nullptr;
    if (!device)
        return;
    device->setDeviceDelegate(weak_from_this());
    if (device->connectPrepareCheck() == DevicePrepareCheck::Ready && !item->isOnline()
        && device->connectionStatus() != DeviceConnectionStatus::Connecting)
        dispatch::global(dispatch::Priority::Background, [device] { device->connect(); });
}

void ConnectManagerViewCtrl::tryConnectDevice(const std::shared_ptr<IMobileDevice> &device)
{
    if (!device)
        return;
    goToConnectingView();
    dispatch::global(dispatch::Priority::Default, [device] { device->connect(); });
}

void ConnectManagerViewCtrl::reconnectDevice() { tryConnectDevice(currentDevice()); }

void ConnectManagerViewCtrl::loadDeviceInfo(const std::shared_ptr<IMobileDevice> &device)
{
    if (!device)
        return;
    if (device->deviceInfo() && device->deviceInfo()->syncState() != DeviceSyncState::Loaded)
        waitLoaded(device->deviceInfo());
    waitLoaded(device->deviceStorageInfos());
    count(&WKDataColleciton::collectDeviceInfo, device);
    if (ILoadable *statistics = device->deviceStatistics(); statistics && statistics->syncState() != DeviceSyncState::Loaded)
        waitLoaded(statistics);
}

void ConnectManagerViewCtrl::mobileDeviceEndConnected(const Device &device)
{
    ScribletLogInfo(QStringLiteral("ConnectManagerViewCtrl mobileDeviceEndConnected:%1 OSPlatform:%2")
                        .arg(nameOf(device))
                        .arg(platformOf(device)));
    if (!device || device->IsDeviceRemoved())
        return;
    if (device->connectionStatus() == DeviceConnectionStatus::Connected) {
        loadDeviceInfo(device);
        count(&WKDataColleciton::collectDeviceConnectSuccess, device);
        const Item item = QVMobileDeviceDataSource::share().findDevicesItem(device.get());
        if (item) {
            QMutexLocker lock(&m_lock);
            m_curDeviceItem = item;
        }
        if (device->IsDeviceRemoved() || !item)
            return;
        item->syncLoadDeviceItemData();
        item->adjustDeviceScreenOffTimeout();
        onMain([device, item](ConnectManagerViewCtrl &self) {
            // Only for the device still connected and still the one this flow shows.
            if (device->IsDeviceRemoved() || self.currentDevice() != device)
                return;
            if (self.m_connecting)
                self.m_connecting->stopConnectAnimation();
            NotificationCenter::defaultCenter().post(QStringLiteral("MobileDeviceConnectSuccessed"), QVariant::fromValue(item));
        });
        return;
    }
    ScribletLogDebug(QStringLiteral("ConnectManagerViewCtrl mobileDeviceEndConnected failed: %1 OSPlatform:%2")
                         .arg(nameOf(device))
                         .arg(platformOf(device)));
    count(&WKDataColleciton::collectDeviceConnectFailed, device);
    if (device != currentDevice())
        return;
    NotificationCenter::defaultCenter().post(QStringLiteral("MobileDeviceConnectEndAndFailed"), QVariant::fromValue(device));
    switch (device->connectionStatus()) {
    case DeviceConnectionStatus::Asleep: goToConnectFailedView(ConnectFailedViewCtrl::Asleep); break;
    case DeviceConnectionStatus::WaitingForPasscode: goToConnectFailedView(ConnectFailedViewCtrl::IOSPasscode); break;
    case DeviceConnectionStatus::WaitingForTrust:
        if (platformOf(device) == DeviceTransferPlatform::iOS) {
            goToConnectFailedView(ConnectFailedViewCtrl::IOSTrust);
        } else {
            goToConnectFailedView(ConnectFailedViewCtrl::AndroidAuthorization);
            // Once the user allows this computer, connect again by itself.
            std::weak_ptr<ConnectManagerViewCtrl> weak = weak_from_this();
            device->waitReady(2, device, [weak, device] {
                if (auto self = weak.lock())
                    self->tryConnectDevice(device);
                return true;
            });
        }
        break;
    default: goToConnectFailedView(ConnectFailedViewCtrl::General); break;
    }
    stopConnectAnimation();
}

void ConnectManagerViewCtrl::mobileDeviceDisConnected(const Device &device)
{
    logCallback("mobileDeviceDisConnected", device);
    NotificationCenter::defaultCenter().post(QStringLiteral("MobileDeviceDisConnected"), QVariant::fromValue(device));
}

bool ConnectManagerViewCtrl::mobileDevicePreventScreenOff(const Device &device)
{
    const auto current = currentDevice();
    if (!current || current != device || platformOf(current) != DeviceTransferPlatform::Android)
        return false;
    const QString serial = current->deviceInfo() ? current->deviceInfo()->serialNumber() : QString();
    return UserDefaults::standard().boolForKey(QStringLiteral("%1_SettingOffTimeout").arg(serial));
}

void ConnectManagerViewCtrl::logCallback(const char *name, const Device &device)
{
    ScribletLogInfo(QStringLiteral("ConnectManagerViewCtrl %1:%2 OSPlatform:%3")
                        .arg(QString::fromLatin1(name), nameOf(device))
                        .arg(platformOf(device)));
}

void ConnectManagerViewCtrl::mobileDeviceBeginConnected(const Device &device) { logCallback("mobileDeviceBeginConnected", device); }
void ConnectManagerViewCtrl::mobileDeviceConnected(const Device &device) { logCallback("mobileDeviceConnected", device); }
void ConnectManagerViewCtrl::mobileDeviceEnteredRestoreMode(const Device &device) { logCallback("mobileDeviceEnteredRestoreMode", device); }
void ConnectManagerViewCtrl::mobileDeviceLeavedRestoreMode(const Device &device) { logCallback("mobileDeviceLeavedRestoreMode", device); }
void ConnectManagerViewCtrl::mobileDeviceConnectionStepChanged(const Device &device, const QString &)
{
    logCallback("mobileDeviceConnectionStepChanged", device);
}
