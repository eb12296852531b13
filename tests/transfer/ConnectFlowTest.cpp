#include "TransferPageFixtures.h"

#include "controls/MGHoverButton.h"
#include "controls/QVUrlLabel.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "shell/MGMessageBox.h"
#include "support/TestEnvironment.h"
#include "transfer/ConnectFailedViewCtrl.h"
#include "transfer/ConnectManagerViewCtrl.h"
#include "transfer/ConnectingViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/StartConnectViewCtrl.h"
#include "transfer/TransferHelpPage.h"
#include "transfer/USBDebugViewCtrl.h"

#include <QFile>
#include <QLabel>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void clearDeviceList()
{
    for (const auto &item : QVMobileDeviceDataSource::share().allItems())
        QVMobileDeviceDataSource::share().removeObject(item);
}

// A flow on screen with a log of the success notifications it posts.
struct FlowRig
{
    FlowRig()
    {
        clearDeviceList();
        flow = std::make_shared<ConnectManagerViewCtrl>();
        flow->view()->resize(800, 560);
        flow->view()->show();
        NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("MobileDeviceConnectSuccessed"),
                                                        [this](const Notification &n) {
                                                            successes << n.object.value<std::shared_ptr<QVMobileDeviceItem>>();
                                                        });
    }
    std::shared_ptr<QVMobileDeviceItem> add(ScriptedPhone &phone)
    {
        return QVMobileDeviceDataSource::share().addDeviceItem(phone.device);
    }
    bool showsFailed(int type)
    {
        return TestEnvironment::waitFor([&] {
            return flow->contentView() == flow->failedView() && flow->failedView()->type() == type;
        });
    }
    QObject owner;
    std::shared_ptr<ConnectManagerViewCtrl> flow;
    QList<std::shared_ptr<QVMobileDeviceItem>> successes;
};

TEST(ConnectFlow, NoDeviceShowsTheStartView)
{
    FlowRig rig;
    rig.flow->startConnectDevice(nullptr);
    EXPECT_EQ(rig.flow->contentView(), rig.flow->startView());
    QStringList texts;
    for (QLabel *l : rig.flow->startView()->findChildren<QLabel *>())
        texts << l->text();
    EXPECT_TRUE(texts.contains("Connect your device with USB cable"));
    EXPECT_TRUE(texts.contains("Devices with Android 2.2 or later."));
}

TEST(ConnectFlow, StatusChoosesThePanel)
{
    const struct
    {
        const char *what;
        quint32 platform;
        int answer;
        int panel;
        const char *text;
    } cases[] = {
        {"asleep", DeviceTransferPlatform::Android, DeviceConnectionStatus::Asleep, ConnectFailedViewCtrl::Asleep,
         "Your device is asleep. Re-plug your device and try again."},
        {"passcode", DeviceTransferPlatform::iOS, DeviceConnectionStatus::WaitingForPasscode, ConnectFailedViewCtrl::IOSPasscode,
         "Enter your passcode on your iOS device."},
        {"trust on iOS", DeviceTransferPlatform::iOS, DeviceConnectionStatus::WaitingForTrust, ConnectFailedViewCtrl::IOSTrust,
         "Choose TRUST on your iDevice if there is a popup."},
        {"authorisation on Android", DeviceTransferPlatform::Android, DeviceConnectionStatus::WaitingForTrust,
         ConnectFailedViewCtrl::AndroidAuthorization,
         "Computer must be authorized before connecting to device. It has not been authorized yet."},
        {"charge only", DeviceTransferPlatform::Android, DeviceConnectionStatus::ChargeOnly, ConnectFailedViewCtrl::General,
         "Connection to your device failed!"},
        {"failed", DeviceTransferPlatform::iOS, DeviceConnectionStatus::Failed, ConnectFailedViewCtrl::General,
         "Connection to your device failed!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FlowRig rig;
        ScriptedPhone phone(c.platform);
        phone.answer = c.answer;
        rig.flow->startConnectDevice(rig.add(phone));
        EXPECT_EQ(rig.flow->contentView(), rig.flow->connectingView());
        ASSERT_TRUE(rig.showsFailed(c.panel));
        EXPECT_EQ(phone.connects.load(), 1);
        QStringList texts;
        for (QLabel *l : rig.flow->failedView()->findChildren<QLabel *>())
            texts << l->text();
        EXPECT_TRUE(texts.contains(c.text)) << texts.join(" | ").toStdString();
        for (QLabel *l : rig.flow->failedView()->findChildren<QLabel *>()) {
            if (l->text() == c.text) {
                EXPECT_TRUE(l->isVisible()) << "the panel is on screen";
            }
        }
        EXPECT_FALSE(rig.flow->connectingView()->isAnimating());
        EXPECT_TRUE(rig.successes.isEmpty());
    }
}

TEST(ConnectFlow, AndroidAuthorisationRetriesOnceTheUserAllows)
{
    FlowRig rig;
    ScriptedPhone phone;
    phone.answer = DeviceConnectionStatus::WaitingForTrust;
    const auto item = rig.add(phone);
    rig.flow->startConnectDevice(item);
    ASSERT_TRUE(rig.showsFailed(ConnectFailedViewCtrl::AndroidAuthorization));
    // The user taps Allow on the phone.
    phone.answer = DeviceConnectionStatus::Connected;
    phone.device->setConnectionStatus(DeviceConnectionStatus::Connected);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rig.successes.size() == 1; }));
    EXPECT_EQ(rig.successes.first(), item);
    EXPECT_EQ(phone.connects.load(), 2);
    EXPECT_TRUE(item->isLoaded());
}

TEST(ConnectFlow, RetryConnectsAgain)
{
    FlowRig rig;
    ScriptedPhone phone(DeviceTransferPlatform::iOS);
    phone.answer = DeviceConnectionStatus::Failed;
    const auto item = rig.add(phone);
    rig.flow->startConnectDevice(item);
    ASSERT_TRUE(rig.showsFailed(ConnectFailedViewCtrl::General));
    phone.answer = DeviceConnectionStatus::Connected;
    ASSERT_TRUE(rig.flow->failedView()->actionButton());
    EXPECT_EQ(rig.flow->failedView()->actionButton()->title(), "Retry");
    QTest::mouseClick(rig.flow->failedView()->actionButton(), Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rig.successes.size() == 1; }));
    EXPECT_EQ(phone.connects.load(), 2);
}

TEST(ConnectFlow, AndroidWithoutDebuggingNeverConnectsAndGetsTheGuide)
{
    FlowRig rig;
    ScriptedPhone phone(DeviceTransferPlatform::Android, 0, DevicePrepareCheck::DebuggingOff);
    rig.flow->startConnectDevice(rig.add(phone));
    EXPECT_EQ(rig.flow->contentView(), rig.flow->usbDebugView());
    EXPECT_EQ(rig.flow->usbDebugView()->currentTab(), 0);
    dispatch::waitGlobal(2000);
    EXPECT_EQ(phone.connects.load(), 0);

    // The version buttons switch the tabs; the guide opens on the first again.
    USBDebugViewCtrl *guide = rig.flow->usbDebugView();
    for (int tag = 4; tag >= 1; --tag) {
        QTest::mouseClick(guide->versionButtons()[tag - 1], Qt::LeftButton);
        EXPECT_EQ(guide->currentTab(), tag - 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(guide->versionButtons()[i]->property("selected").toBool(), i == tag - 1);
    }
    QTest::mouseClick(guide->versionButtons()[2], Qt::LeftButton);
    rig.flow->goToUSBDebugView();
    EXPECT_EQ(guide->currentTab(), 0);
    EXPECT_EQ(guide->helpLink()->text(), "What to do if my device can't be connected with Fennix Pro?");
}

TEST(ConnectFlow, AResultForADeviceNoLongerCurrentChangesNothing)
{
    FlowRig rig;
    ScriptedPhone first, second(DeviceTransferPlatform::Android, 0, DevicePrepareCheck::Ready, "Second");
    QSemaphore hold;
    first.gate = [&] { hold.acquire(); };
    first.answer = DeviceConnectionStatus::Failed;
    second.answer = DeviceConnectionStatus::Asleep;
    rig.flow->startConnectDevice(rig.add(first));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return first.connects.load() == 1; }));
    rig.flow->startConnectDevice(std::make_shared<QVMobileDeviceItem>(second.device));
    ASSERT_TRUE(rig.showsFailed(ConnectFailedViewCtrl::Asleep));
    hold.release();
    dispatch::waitGlobal(5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.flow->failedView()->type(), ConnectFailedViewCtrl::Asleep);
    EXPECT_EQ(rig.flow->currentDevice(), second.device);

    // A success of the old device is not posted either.
    ScriptedPhone third;
    FlowRig other;
    QSemaphore holdThird;
    third.gate = [&] { holdThird.acquire(); };
    other.flow->startConnectDevice(other.add(third));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return third.connects.load() == 1; }));
    other.flow->startConnectDevice(nullptr);
    holdThird.release();
    dispatch::waitGlobal(5000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(other.successes.isEmpty());
}

TEST(ConnectFlow, RemovalWhileLoadingAfterSuccessPostsNoSuccess)
{
    FlowRig rig;
    ScriptedPhone phone;
    const auto item = rig.add(phone);
    rig.flow->startConnectDevice(item);
    // Without spinning the event loop: the success may be queued, not delivered. The load
    // runs on the shared pool, so waiting for the pool waits for it.
    dispatch::waitGlobal(5000);
    ASSERT_TRUE(item->isLoaded());
    phone.device->markRemoved();
    dispatch::waitGlobal(5000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.successes.isEmpty());
}

TEST(ConnectFlow, ConnectingAnimationRunsOnlyWhileConnecting)
{
    ConnectingViewCtrl view;
    EXPECT_FALSE(view.isAnimating());
    view.startConnectAnimation();
    EXPECT_TRUE(view.isAnimating());
    for (int i = 0; i < ConnectingViewCtrl::FrameCount; ++i)
        view.tick();
    EXPECT_EQ(view.frameCounter(), 0) << "the frames go round";
    EXPECT_EQ(view.ticks(), ConnectingViewCtrl::FrameCount);
    view.stopConnectAnimation();
    EXPECT_FALSE(view.isAnimating());
    EXPECT_EQ(ConnectingViewCtrl::frameName(7), "connecting-07");
}

TEST(ConnectFlow, ReportDevicesSaysComeSoon)
{
    QWidget window;
    window.resize(700, 500);
    auto *view = new ConnectingViewCtrl(&window);
    view->resize(700, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    MGHoverButton *report = view->reportDevicesButton();
    ASSERT_TRUE(report && report->isVisible());
    QString message, title, button;
    QPoint boxCentre;
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        message = box->messageTextField()->text();
        title = box->titleText();
        button = box->yesButton()->title();
        boxCentre = box->frameGeometry().center();
        QTimer::singleShot(0, box, [box] { box->clickButton(box->yesButton()); });
    });
    QTest::mouseClick(report, Qt::LeftButton, Qt::NoModifier, report->rect().center());
    MGMessageBox::setRunHookForTesting({});
    EXPECT_EQ(message, QStringLiteral("Come Soon..."));
    EXPECT_EQ(title, QStringLiteral("Warnnig"));
    EXPECT_EQ(button, QStringLiteral("OK"));
    EXPECT_LE((boxCentre - window.frameGeometry().center()).manhattanLength(), 2);
}

TEST(ConnectFlow, HelpLinksLeadToShippedPages)
{
    for (const char *key : {"UnConnectFAQURL", "FAQURL", "SupportURL"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(TransferHelpPage::webAddress(key).isEmpty());
        const QString page = TransferHelpPage::localPage(key);
        ASSERT_FALSE(page.isEmpty());
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().contains("<h1>"));
    }
    EXPECT_TRUE(TransferHelpPage::localPage("LogName").isEmpty()) << "only pages of the help folder";
}

} // namespace
