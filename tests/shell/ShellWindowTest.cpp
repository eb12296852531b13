// The application's windows offscreen: start-up, pages by tool-bar click, notifications, URL
// events, the after-tasks count-down, the message box and the confirmation dialog. Pictures of
// every page land in SHELL_SCREENS_DIR for a look by eye.
#include "controls/AddToTaskAnimationWnd.h"
#include "controls/ControlGeometry.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "controls/QVToolBarItem.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/PowerService.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/AppDelegate.h"
#include "shell/MGMessageBox.h"
#include "shell/MainWindowCtrl.h"
#include "shell/PlaceholderPage.h"
#include "shell/QuitCheckDialogboxController.h"
#include "shell/SystemProcessEvent.h"
#include "shell/TimingAlertWnd.h"
#include "support/TestEnvironment.h"
#include "support/WindowTexts.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <thread>

namespace {

class FakePower : public PowerService
{
public:
    int powerOff() override { return ++offs, 0; }
    int suspend() override { return ++suspends, 0; }
    int offs = 0, suspends = 0;
};

class FakeClock : public dispatch::Clock
{
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 5'000'000;
};

QString pelqa(const QByteArray &text)
{
    return QStringLiteral("pelqa://") + QString::fromLatin1(text.toBase64());
}

void saveScreen(QWidget *w, const QString &name)
{
    const QString dir = QStringLiteral(SHELL_SCREENS_DIR);
    QDir().mkpath(dir);
    // Layout and paint requests are posted: let them run so the picture is the settled page.
    TestEnvironment::drainPostedEvents();
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

class ShellWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setQuitOnLastWindowClosed(false);
        AppDelegate::initializeClass();
        delegate = std::make_unique<AppDelegate>();
        delegate->launch();
        ctrl = delegate->mainWindowCtrl();
        window = ctrl->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        ctrl->mainToolBar()->repaint();
    }
    void TearDown() override
    {
        MGMessageBox::setRunHookForTesting({});
        QuitCheckDialogboxController::setRunHookForTesting({});
        delegate->applicationWillTerminate();
        delegate.reset();
    }
    PlaceholderPage *placeholder(int tag) const { return dynamic_cast<PlaceholderPage *>(ctrl->page(tag)); }
    void clickTag(int tag)
    {
        QVToolBar *bar = ctrl->mainToolBar();
        bar->repaint();
        QVToolBarItem *item = bar->toolBarItemWithTag(tag);
        ASSERT_NE(item, nullptr);
        const QPointF centre = ControlGeometry::toQt(bar->getItemFrame(item), bar->height()).center();
        QTest::mouseClick(bar, Qt::LeftButton, {}, centre.toPoint());
    }

    std::unique_ptr<AppDelegate> delegate;
    MainWindowCtrl *ctrl = nullptr;
    QMainWindow *window = nullptr;
};

} // namespace

TEST_F(ShellWindow, StartsAndOpensEveryPageByToolBarClick)
{
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(ctrl->currentPage(), nullptr);
    EXPECT_EQ(ctrl->currentPage(), ctrl->page(0));
    EXPECT_EQ(ctrl->page(1), nullptr);  // pages come on first use
    EXPECT_EQ(ctrl->mainToolBar()->allBarItem().size(), 5);
    saveScreen(window, QStringLiteral("main-0-download"));

    const char *const names[] = {"download", "record", "convert", "transfer", "online"};
    for (int tag : {1, 2, 3, 4, 0}) {
        SCOPED_TRACE(tag);
        clickTag(tag);
        ASSERT_EQ(ctrl->currentPage(), ctrl->page(tag));
        EXPECT_EQ(ctrl->curButtonType(), tag);
        EXPECT_EQ(ctrl->bodyView(), ctrl->page(tag)->view());
        EXPECT_TRUE(ctrl->bodyView()->isVisible());
        EXPECT_EQ(ctrl->mainToolBar()->selectedItem()->tag(), tag);
        PlaceholderPage *page = placeholder(tag);
        ASSERT_NE(page, nullptr);
        if (tag == 4) {
            EXPECT_EQ(page->stateInfoLable(), nullptr);  // the Online page takes no status label
        } else {
            EXPECT_EQ(page->stateInfoLable(), ctrl->stateInfoLable());
            EXPECT_GE(page->showCount(), 1);
        }
        for (int other : {0, 1, 2, 3})
            if (other != tag && placeholder(other)) {
                EXPECT_EQ(placeholder(other)->stateInfoLable(), nullptr);
            }
        saveScreen(window, QStringLiteral("main-%1-%2").arg(tag).arg(QLatin1String(names[tag])));
    }

    // The scheduler's pop-over.
    ctrl->timeSchedulerClick();
    ASSERT_NE(ctrl->timeScheduleWindow(), nullptr);
    EXPECT_TRUE(ctrl->timeScheduleWindow()->isVisible());
    saveScreen(ctrl->timeScheduleWindow(), QStringLiteral("popover-time-scheduler"));
    ctrl->hiddenTimeSchedulerWindow();
    EXPECT_FALSE(ctrl->timeScheduleWindow()->isVisible());

    // A later start without an address (or the Window menu) brings the window back.
    window->hide();
    delegate->openURL(QString());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(true));
}

TEST(AppDelegate, OpensItsFoldersWithoutOpeningThemToOthers)
{
    QStringList opened;
    Workspace::setHookForTesting([&opened](const QString &, const QStringList &targets) {
        opened += targets;
        return true;
    });
    const QString folder = TestEnvironment::home() + QStringLiteral("/Movies/Saved Here/deeper");
    UserDefaults::standard().setString(QStringLiteral("downloadedSavePath"), folder);
    EXPECT_TRUE(AppDelegate::openFolderForKey(QStringLiteral("downloadedSavePath")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QFileInfo(folder).permissions() & QFileDevice::WriteOther, 0);
    EXPECT_FALSE(opened.isEmpty());
    UserDefaults::standard().setString(QStringLiteral("convertedPath"), QString());
    EXPECT_FALSE(AppDelegate::openFolderForKey(QStringLiteral("convertedPath")));
    Workspace::setHookForTesting({});
}

TEST_F(ShellWindow, NotificationsReachTheirPages)
{
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    nc.post(QStringLiteral("AddToConverterNotification"), QVariantList{1, 2, 3},
            {{QStringLiteral("AminFrame"), QStringLiteral("{{200, 300}, {40, 40}}")}});
    ASSERT_NE(placeholder(2), nullptr);
    EXPECT_EQ(placeholder(2)->receivedItemCount(), 3);
    EXPECT_EQ(ctrl->currentPage(), ctrl->page(0));  // made, not shown
    ASSERT_NE(ctrl->addToTaskAnimationWnd(), nullptr);
    EXPECT_EQ(ctrl->addToTaskAnimationWnd()->flightCount(), 1);
    const QRectF target = ctrl->animationTargetForTag(2);
    EXPECT_TRUE(ctrl->mainToolBar()->geometry().intersects(target.toRect()));
    EXPECT_TRUE(ctrl->mainToolBar()->toolBarItemWithTag(2)->isNewOrHot());
    saveScreen(window, QStringLiteral("main-flyin"));

    nc.post(QStringLiteral("AddToTransferNotification"), QStringLiteral("not a list"));
    ASSERT_NE(placeholder(3), nullptr);
    EXPECT_EQ(placeholder(3)->receivedItemCount(), 0);

    nc.post(QStringLiteral("GotoRecordViewNotification"));
    EXPECT_EQ(ctrl->currentPage(), ctrl->page(1));
    EXPECT_EQ(ctrl->curButtonType(), 0);  // only clicks change it

    // No task was taken: no fly-in for the online page's report.
    const int flights = ctrl->addToTaskAnimationWnd()->flightCount();
    nc.post(QStringLiteral("OnlineDownloadedFinishNotification"));
    EXPECT_EQ(ctrl->addToTaskAnimationWnd()->flightCount(), flights);

    EXPECT_EQ(MainWindowCtrl::rectFromString(QStringLiteral("{{1, 2}, {3, 4}}")), QRectF(1, 2, 3, 4));
    EXPECT_TRUE(MainWindowCtrl::rectFromString(QStringLiteral("{{1, 2}, {3}}")).isNull());
    EXPECT_TRUE(MainWindowCtrl::rectFromString(QStringLiteral("{{1e300, 2}, {3, 4}}")).isNull());
    EXPECT_EQ(MainWindowCtrl::itemSpaceForLanguage(QStringLiteral("fr")), 0);
    EXPECT_EQ(MainWindowCtrl::itemSpaceForLanguage(QStringLiteral("en")), 18);
    EXPECT_EQ(MainWindowCtrl::itemSpaceForLanguage(QStringLiteral("zh")), 18);
}

TEST_F(ShellWindow, URLEventsReachTheRunningList)
{
    FakeClock clock;
    dispatch::Clock::setForTesting(&clock);
    PlaceholderPage *download = placeholder(0);
    ASSERT_NE(download, nullptr);

    ctrl->handleGetURLEvent(QStringLiteral("jsLog://hello pelqa://x"));
    EXPECT_TRUE(download->requests().isEmpty());
    EXPECT_TRUE(ctrl->isURLLanch());

    ctrl->handleGetURLEvent(pelqa("pageUrl=http://v.example.com/a-QV-GUES-resolution=MP3-QV-GUES-browser=Chrome"
                                  "-QV-GUES-cookies=SID=s3cr3t-session"));
    ASSERT_EQ(download->requests().size(), 1);
    EXPECT_EQ(download->requests()[0].params.value(QStringLiteral("Cookies")).toString(), QStringLiteral("SID=s3cr3t-session"));
    ScribletLogger::defaultLogger().flush();
    QFile log(ScribletLogger::defaultLogger().filePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    EXPECT_TRUE(logged.contains("Decode scheme:"));
    EXPECT_FALSE(logged.contains("s3cr3t"));
    EXPECT_EQ(download->requests()[0].url, QStringLiteral("http://v.example.com/a"));
    EXPECT_EQ(download->requests()[0].params.value(QStringLiteral("Contents")).toInt(), 4);
    EXPECT_EQ(download->requests()[0].params.value(QStringLiteral("Browser")).toString(), QStringLiteral("Chrome"));
    // Single pages are never rate-limited.
    ctrl->handleGetURLEvent(pelqa("pageUrl=http://v.example.com/b"));
    EXPECT_EQ(download->requests().size(), 2);

    // Plain addresses: one a second.
    ctrl->handleGetURLEvent(QStringLiteral("http://plain.example.com/1"));
    clock.now += 500;
    ctrl->handleGetURLEvent(QStringLiteral("http://plain.example.com/2"));
    clock.now += 500;
    ctrl->handleGetURLEvent(QStringLiteral("http://plain.example.com/3"));
    ASSERT_EQ(download->requests().size(), 4);
    EXPECT_EQ(download->requests()[2].url, QStringLiteral("http://plain.example.com/1"));
    EXPECT_EQ(download->requests()[3].url, QStringLiteral("http://plain.example.com/3"));
    // A refused address does not use up the second.
    clock.now += 1000;
    ctrl->handleGetURLEvent(QStringLiteral("file:///etc/passwd"));
    ctrl->handleGetURLEvent(QStringLiteral("http://plain.example.com/4"));
    EXPECT_EQ(download->requests().size(), 5);

    ctrl->handleGetURLEvent(pelqa("resolution=playlist-QV-GUES-pageUrl=http://v.example.com/list"
                                  "-QV-ITEM-title=One-QV-GUES-duration=0:10-QV-GUES-pageUrl=http://v.example.com/1"
                                  "-QV-ITEM-title=Bad-QV-GUES-pageUrl=data:text/html,x"));
    ASSERT_EQ(download->requests().size(), 6);
    EXPECT_EQ(download->requests()[5].url, QStringLiteral("http://v.example.com/list"));
    ASSERT_EQ(download->requests()[5].items.size(), 1);
    EXPECT_EQ(download->requests()[5].params.value(QStringLiteral("Contents")).toInt(), 16);
    saveScreen(window, QStringLiteral("main-0-download-with-requests"));

    // A long play list, which any page can send, is queued only when the user agrees.
    QByteArray list = "resolution=playlist-QV-GUES-pageUrl=http://v.example.com/long";
    for (int i = 0; i < 1000; ++i)
        list += "-QV-ITEM-pageUrl=http://v.example.com/item" + QByteArray::number(i);
    for (const bool agree : {false, true}) {
        int asked = 0;
        MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
            ++asked;
            EXPECT_TRUE(box->messageTextField()->text().contains(QStringLiteral("1000"))) << box->messageTextField()->text().toStdString();
            QTimer::singleShot(0, box, [box, agree] {
                QTest::mouseClick(agree ? box->yesButton() : box->noButton(), Qt::LeftButton);
            });
        });
        const qsizetype before = download->requests().size();
        ctrl->handleGetURLEvent(pelqa(list));
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(download->requests().size(), before + (agree ? 1 : 0));
        if (agree) {
            EXPECT_EQ(download->requests().last().items.size(), 1000);
        }
    }
    MGMessageBox::setRunHookForTesting({});

    // While the Online page is on screen it stays, and the task flies to the Download item.
    clickTag(4);
    ctrl->handleGetURLEvent(pelqa("pageUrl=http://v.example.com/c"));
    EXPECT_EQ(ctrl->currentPage(), ctrl->page(4));
    EXPECT_EQ(download->requests().size(), 8);
    ASSERT_NE(ctrl->addToTaskAnimationWnd(), nullptr);
    EXPECT_GE(ctrl->addToTaskAnimationWnd()->flightCount(), 1);
    dispatch::Clock::setForTesting(nullptr);
}

TEST_F(ShellWindow, CountDownBeforeTheAfterTasksAction)
{
    FakePower power;
    PowerService::setShared(&power);
    UserDefaults &d = UserDefaults::standard();
    NotificationCenter &nc = NotificationCenter::defaultCenter();

    d.setInteger(QStringLiteral("TimeSchedulerMode"), 1);
    nc.post(QStringLiteral("TimeForScheduledTask"));
    EXPECT_EQ(ctrl->timingAlertWnd(), nullptr);

    d.setInteger(QStringLiteral("TimeSchedulerMode"), 3);
    placeholder(0)->setHasTask(true);
    nc.post(QStringLiteral("TimeForScheduledTask"));
    EXPECT_EQ(ctrl->timingAlertWnd(), nullptr);
    placeholder(0)->setHasTask(false);

    // Sleep: 30 s; the label counts down from the first tick; the 31st tick acts. The ticks are
    // driven here, so nothing waits for real seconds.
    nc.post(QStringLiteral("TimeForScheduledTask"));
    TimingAlertWnd *sheet = ctrl->timingAlertWnd();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isCounting());
    EXPECT_EQ(sheet->code(), 3);
    EXPECT_EQ(sheet->remaining(), 30);
    EXPECT_EQ(sheet->nowButton()->title(), QStringLiteral("Sleep Now"));
    EXPECT_EQ(sheet->cancelButton()->title(), QStringLiteral("Cancel"));
    EXPECT_EQ(sheet->timingLabel()->text(), QStringLiteral("Sleep in 30 seconds."));
    sheet->timerFired();
    EXPECT_EQ(sheet->timingLabel()->text(), QStringLiteral("Sleep in 29 seconds."));
    saveScreen(sheet, QStringLiteral("countdown-sleep"));
    for (int i = 0; i < 29; ++i)
        sheet->timerFired();
    EXPECT_EQ(sheet->timingLabel()->text(), QStringLiteral("Sleep in 0 seconds."));
    EXPECT_EQ(power.suspends, 0);
    sheet->timerFired();
    EXPECT_EQ(power.suspends, 1);
    EXPECT_FALSE(sheet->isCounting());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(power.offs, 0);

    // Shut down, reused: the texts follow the code; Cancel never acts, later ticks neither.
    d.setInteger(QStringLiteral("TimeSchedulerMode"), 2);
    nc.post(QStringLiteral("TimeForScheduledTask"));
    EXPECT_EQ(ctrl->timingAlertWnd(), sheet);
    EXPECT_EQ(sheet->nowButton()->title(), QStringLiteral("Shutdown Now"));
    EXPECT_EQ(sheet->timingLabel()->text(), QStringLiteral("Shutdown in 30 seconds."));
    saveScreen(sheet, QStringLiteral("countdown-shutdown"));
    QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(sheet->isCounting());
    for (int i = 0; i < 40; ++i)
        sheet->timerFired();
    EXPECT_EQ(power.offs, 0);

    // The now button acts at once.
    nc.post(QStringLiteral("TimeForScheduledTask"));
    QTest::mouseClick(sheet->nowButton(), Qt::LeftButton);
    EXPECT_EQ(power.offs, 1);

    // A question open when the count-down starts is closed as cancelled, never confirmed.
    d.setInteger(QStringLiteral("TimeSchedulerMode"), 4);
    d.setBool(QStringLiteral("AlertWhenDeleteDownloading"), true);
    // The test's own event loops must live on: watch the request instead of quitting.
    QObject::disconnect(ctrl, &MainWindowCtrl::quitRequested, delegate.get(), nullptr);
    QSignalSpy quit(ctrl, &MainWindowCtrl::quitRequested);
    QuitCheckDialogboxController::setRunHookForTesting([](QuitCheckDialogboxController *dialog) {
        dialog->checkbox()->setState(1);
        QTimer::singleShot(0, [] { NotificationCenter::defaultCenter().post(QStringLiteral("TimeForScheduledTask")); });
    });
    QuitCheckDialogboxController dialog(window);
    EXPECT_EQ(dialog.runModalForType(1), int(QuitCheckDialogboxController::Cancelled));
    EXPECT_TRUE(d.boolForKey(QStringLiteral("AlertWhenDeleteDownloading")));
    EXPECT_EQ(sheet->nowButton()->title(), QStringLiteral("Quit Now"));
    EXPECT_EQ(sheet->timingLabel()->text(), QStringLiteral("Quit Fennix Pro in 30 seconds."));
    saveScreen(sheet, QStringLiteral("countdown-quit"));
    QTest::mouseClick(sheet->nowButton(), Qt::LeftButton);
    EXPECT_EQ(quit.count(), 1);

    MGMessageBox::setRunHookForTesting([](MGMessageBox *) {
        QTimer::singleShot(0, [] { NotificationCenter::defaultCenter().post(QStringLiteral("TimeForScheduledTask")); });
    });
    EXPECT_EQ(MGMessageBox::question(QStringLiteral("Delete?"), QString(), QString(), QString(), QImage(), window->frameGeometry()),
              int(MGMessageBox::Closed));
    ASSERT_TRUE(sheet->isCounting());
    sheet->reject();  // Escape or the close button: a cancel
    EXPECT_FALSE(sheet->isCounting());
    EXPECT_EQ(quit.count(), 1);

    PowerService::setShared(nullptr);
}

TEST(MGMessageBox, ResultsForEveryButtonAndTheCheckBox)
{
    const struct
    {
        const char *button;  // objectName, or "close", "escape", "thread"
        bool ticked;
        int expected;
    } cases[] = {
        {"defaultButton", false, 1}, {"otherButton", false, 2}, {"thirdButton", false, 3},
        {"defaultButton", true, 4},  {"otherButton", true, 5},  {"thirdButton", true, 6},
        {"close", true, 0},          {"escape", false, 0},      {"thread", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << " " << c.ticked);
        const QString button = QString::fromLatin1(c.button);
        MGMessageBox::setRunHookForTesting([button, ticked = c.ticked](MGMessageBox *box) {
            box->noteCheckButton()->setState(ticked ? 1 : 0);
            QTimer::singleShot(0, box, [box, button] {
                if (button == QLatin1String("close"))
                    box->closeButton()->click();
                else if (button == QLatin1String("escape"))
                    QTest::keyClick(box, Qt::Key_Escape);
                else if (button == QLatin1String("thread"))
                    std::thread([box] { box->orderOutAndStopModal(); }).join();
                else
                    box->findChild<MGHoverButton *>(button)->click();
            });
        });
        const int result = MGMessageBox::questionWithNoAskCheck(QStringLiteral("Remove the file?"), QString(),
                                                                QStringLiteral("Don't ask me again"), QStringLiteral("Remove"),
                                                                QStringLiteral("Keep"), QStringLiteral("Later"), QImage(), QRect());
        EXPECT_EQ(result, c.expected);
    }
    // Without a check box, a tick never counts.
    MGMessageBox::setRunHookForTesting([](MGMessageBox *box) {
        box->noteCheckButton()->setState(1);
        QTimer::singleShot(0, box, [box] { box->noButton()->click(); });
    });
    EXPECT_EQ(MGMessageBox::question(QStringLiteral("Q"), QString(), QString(), QString(), QImage(), QRect()), 2);
    MGMessageBox::setRunHookForTesting({});
}

TEST(MGMessageBox, DefaultsPlacementAndPictures)
{
    MGMessageBox::setRunHookForTesting([](MGMessageBox *box) {
        EXPECT_EQ(box->titleText(), QStringLiteral("Fennix Pro"));
        EXPECT_EQ(box->yesButton()->title(), QStringLiteral("YES"));
        EXPECT_EQ(box->noButton()->title(), QStringLiteral("NO"));
        EXPECT_TRUE(box->noteCheckButton()->isHidden());
        EXPECT_TRUE(box->threeButton()->isHidden());
        QTimer::singleShot(0, box, [box] {
            saveScreen(box, QStringLiteral("messagebox-question"));
            box->yesButton()->click();
        });
    });
    EXPECT_EQ(MGMessageBox::question(QStringLiteral("Do you want to remove the selected task(s)?"), QString(), QString(),
                                     QString(), QImage(), QRect(100, 100, 801, 601)),
              1);

    MGMessageBox::setRunHookForTesting([](MGMessageBox *box) {
        EXPECT_TRUE(box->noButton()->isHidden());
        EXPECT_TRUE(box->noteTextField()->isHidden());
        EXPECT_FALSE(box->urlTextField()->isHidden());
        EXPECT_EQ(box->size(), QSize(520, 200));
        EXPECT_EQ(box->yesButton()->geometry(), QRect(460, 200 - 20 - 32, 120, 32));
        QTimer::singleShot(0, box, [box] { box->yesButton()->click(); });
    });
    MGMessageBox::questionWithLink(QStringLiteral("A newer version is available."), QStringLiteral("Update"),
                                   QStringLiteral("Release notes"), QStringLiteral("http://127.0.0.1/notes"), QSize(520, 200),
                                   QStringLiteral("OK"), QImage(), QRect());
    MGMessageBox::setRunHookForTesting({});

    EXPECT_EQ(MGMessageBox::originForParentRect(QRect(100, 100, 801, 601), QSize(400, 200)), QPoint(300, 300));
    EXPECT_EQ(MGMessageBox::originForParentRect(QRect(0, 0, 399, 199), QSize(400, 200)), QPoint(0, 0));
    EXPECT_EQ(MGMessageBox::originForParentRect(QRect(10, 10, 100, 100), QSize(403, 203)), QPoint(-141, -41));
    MGMessageBox box;
    box.resize(400, 200);
    box.setFrameOriginWithParentRect(QRect(100, 100, 801, 601));
    EXPECT_EQ(box.pos(), QPoint(300, 300));
    box.setFrameOriginWithParentRect(QRect());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(box.geometry().center().x() / 2, screen.center().x() / 2);
}

TEST(QuitCheckDialogbox, KeysAndAnswers)
{
    const struct
    {
        int type;
        bool confirm;
        bool ticked;
        int expected;
        const char *key;  // cleared key, or nullptr
    } cases[] = {
        {0, true, true, 0, "AlertWhenDeleteDownloading"},
        {1, true, true, 0, "AlertWhenDeleteDownloading"},
        {1, true, false, 0, nullptr},
        {1, false, true, 1, nullptr},
        {2, true, true, 0, "AlertWhenDeleteAllDownloading"},
        {5, true, true, 0, "isShowquitWhentaskRunning"},
        {5, false, true, 1, nullptr},
    };
    UserDefaults &d = UserDefaults::standard();
    const QStringList keys = {"AlertWhenDeleteDownloading", "AlertWhenDeleteAllDownloading", "isShowquitWhentaskRunning"};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << c.confirm << c.ticked);
        for (const QString &k : keys)
            d.setBool(k, true);
        QuitCheckDialogboxController::setRunHookForTesting([&c](QuitCheckDialogboxController *dialog) {
            dialog->checkbox()->setState(c.ticked ? 1 : 0);
            const bool confirm = c.confirm;
            QTimer::singleShot(0, dialog, [dialog, confirm] { (confirm ? dialog->okButton() : dialog->cancelButton())->click(); });
        });
        QuitCheckDialogboxController dialog;
        EXPECT_EQ(dialog.runModalForType(c.type), c.expected);
        for (const QString &k : keys)
            EXPECT_EQ(d.boolForKey(k), !(c.key && k == QLatin1String(c.key))) << qPrintable(k);
    }

    // Closed without a button: cancelled, defaults untouched.
    for (const QString &k : keys)
        d.setBool(k, true);
    QuitCheckDialogboxController::setRunHookForTesting([](QuitCheckDialogboxController *dialog) {
        dialog->checkbox()->setState(1);
        QTimer::singleShot(0, dialog, [dialog] {
            saveScreen(dialog, QStringLiteral("quitcheck-delete"));
            dialog->closeButton()->click();
        });
    });
    QuitCheckDialogboxController closed;
    EXPECT_EQ(closed.returncode(), int(QuitCheckDialogboxController::Cancelled));
    EXPECT_EQ(closed.runModalForType(0), int(QuitCheckDialogboxController::Cancelled));
    for (const QString &k : keys)
        EXPECT_TRUE(d.boolForKey(k));
    EXPECT_EQ(closed.height(), QuitCheckDialogboxController::NibHeight - 15);

    QuitCheckDialogboxController quitDialog;
    quitDialog.setupForType(5);
    EXPECT_EQ(quitDialog.height(), QuitCheckDialogboxController::NibHeight);
    EXPECT_EQ(quitDialog.okButton()->title(), QStringLiteral("Quit"));
    QuitCheckDialogboxController::setRunHookForTesting({});
}

TEST_F(ShellWindow, TheDownloadMenuIsThirdAndCarriesTheSchedulerCommands)
{
    const QList<QAction *> menus = window->menuBar()->actions();
    ASSERT_GE(menus.size(), 3);
    QMenu *download = menus[2]->menu();
    ASSERT_NE(download, nullptr);
    EXPECT_EQ(download->title(), QStringLiteral("Download"));
    QStringList tagged;
    for (QAction *a : download->actions())
        if (a->property("tag").toInt() > 0)
            tagged << QStringLiteral("%1 %2").arg(a->property("tag").toInt()).arg(a->data().toString());
    EXPECT_EQ(tagged, (QStringList{"2 Pause", "3 Resume", "4 Pause All", "5 Resume All", "6 Retry All", "7 Delete", "8 Delete All"}));
}

TEST_F(ShellWindow, QuitAsksWhileATaskRuns)
{
    UserDefaults &d = UserDefaults::standard();
    const struct
    {
        const char *name;
        bool busy;
        bool ask;      // "isShowquitWhentaskRunning"
        bool confirm;  // the answer, when asked
        bool quits;
        int asked;
    } cases[] = {
        {"idle: no question", false, true, false, true, 0},
        {"busy, cancelled", true, true, false, false, 1},
        {"busy, confirmed", true, true, true, true, 1},
        {"busy, question switched off", true, false, false, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        placeholder(0)->setHasTask(c.busy);
        d.setBool(QStringLiteral("isShowquitWhentaskRunning"), c.ask);
        int asked = 0;
        QuitCheckDialogboxController::setRunHookForTesting([&asked, &c](QuitCheckDialogboxController *dialog) {
            ++asked;
            EXPECT_EQ(dialog->windowType(), 5);
            EXPECT_EQ(dialog->questionField()->text(), QStringLiteral("Some tasks are in progress, are you sure you want to quit?"));
            const bool confirm = c.confirm;
            QTimer::singleShot(0, dialog, [dialog, confirm] { (confirm ? dialog->okButton() : dialog->cancelButton())->click(); });
        });
        EXPECT_EQ(delegate->applicationShouldTerminate(), c.quits);
        EXPECT_EQ(asked, c.asked);
    }

    // The window's close button asks the same; a cancelled answer keeps the window.
    placeholder(0)->setHasTask(true);
    d.setBool(QStringLiteral("isShowquitWhentaskRunning"), true);
    QuitCheckDialogboxController::setRunHookForTesting([](QuitCheckDialogboxController *dialog) {
        QTimer::singleShot(0, dialog, [dialog] { dialog->cancelButton()->click(); });
    });
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    placeholder(0)->setHasTask(false);
}

TEST_F(ShellWindow, ADecidedQuitIsNotAskedAgainWhenTheWindowCloses)
{
    // Quitting closes every window; the close guard must not put the question a second time, and a
    // signal (which goes straight to terminate) has nobody to answer it at all.
    UserDefaults::standard().setBool(QStringLiteral("isShowquitWhentaskRunning"), true);
    placeholder(0)->setHasTask(true);
    int asked = 0;
    QuitCheckDialogboxController::setRunHookForTesting([&asked](QuitCheckDialogboxController *dialog) {
        ++asked;
        QTimer::singleShot(0, dialog, [dialog] { dialog->okButton()->click(); });
    });
    delegate->quit();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 1);
    placeholder(0)->setHasTask(false);
}

TEST_F(ShellWindow, TerminateClosesWithoutTheQuestion)
{
    UserDefaults::standard().setBool(QStringLiteral("isShowquitWhentaskRunning"), true);
    placeholder(0)->setHasTask(true);
    int asked = 0;
    QuitCheckDialogboxController::setRunHookForTesting([&asked](QuitCheckDialogboxController *dialog) {
        ++asked;
        QTimer::singleShot(0, dialog, [dialog] { dialog->cancelButton()->click(); });
    });
    delegate->terminate();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 0);
    placeholder(0)->setHasTask(false);
}

TEST_F(ShellWindow, CheckForUpdatesAnswersWithoutAFeed)
{
    ASSERT_TRUE(delegate->updater()->feedURL().isEmpty()) << "the test bundle names no feed";
    QAction *check = nullptr;
    for (QAction *top : window->menuBar()->actions())
        if (top->menu())
            for (QAction *a : top->menu()->actions())
                if (a->data().toString() == QLatin1String("Check for Updates..."))
                    check = a;
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isEnabled()) << "a disabled item gives no answer at all";
    QStringList shown;
    MGMessageBox::setRunHookForTesting([&shown](MGMessageBox *box) {
        shown << box->messageTextField()->text();
        QTimer::singleShot(0, box, [box] { box->yesButton()->click(); });
    });
    check->trigger();
    EXPECT_EQ(shown, QStringList{QStringLiteral("Updates are not configured for this build.")});
}

TEST_F(ShellWindow, NoWindowShowsABareStringTableKey)
{
    ASSERT_FALSE(MainBundle::stringTableKeys().isEmpty());
    EXPECT_TRUE(MainBundle::stringTableKeys().contains(QStringLiteral("learnmore")));
    for (int tag = 0; tag < 5; ++tag) {
        clickTag(tag);
        EXPECT_EQ(WindowTexts::bareKeys(window), QStringList()) << "page " << tag;
    }
    ctrl->timeSchedulerClick();
    ASSERT_NE(ctrl->timeScheduleWindow(), nullptr);
    EXPECT_EQ(WindowTexts::bareKeys(ctrl->timeScheduleWindow()), QStringList());
    ctrl->hiddenTimeSchedulerWindow();
}

TEST_F(ShellWindow, UninstallVirtualSoundCardFollowsTheDriverAndTheRecording)
{
    QAction *item = delegate->uninstallSoundCardItem();
    ASSERT_NE(item, nullptr);
    QMenu *appMenu = window->menuBar()->actions().value(0)->menu();
    ASSERT_NE(appMenu, nullptr);
    clickTag(1);  // the Record page
    ASSERT_NE(placeholder(1), nullptr);
    clickTag(0);

    bool installed = false;
    const struct
    {
        const char *name;
        bool hooks, installed, recording, enabled;
    } rules[] = {
        {"no driver support", false, false, false, false},
        {"driver missing", true, false, false, false},
        {"driver present", true, true, false, true},
        {"driver present while recording", true, true, true, false},
    };
    for (const auto &r : rules) {
        SCOPED_TRACE(r.name);
        if (r.hooks)
            AppDelegate::setAudioDriverHooks([&installed] { return installed; }, [] { return true; });
        else
            AppDelegate::setAudioDriverHooks({}, {});
        installed = r.installed;
        placeholder(1)->setHasTask(r.recording);
        emit appMenu->aboutToShow();
        EXPECT_EQ(item->isEnabled(), r.enabled);
    }
    placeholder(1)->setHasTask(false);

    // The action: asked first; Cancel removes nothing; the outcome is said, a throw is a failure.
    const struct
    {
        const char *name;
        int answer;
        std::function<bool()> uninstall;
        QStringList shown;
        int calls;
    } actions[] = {
        {"cancelled", MGMessageBox::OtherButton, [] { return true; }, {"Uninstall Virtual Sound Card?"}, 0},
        {"removed", MGMessageBox::DefaultButton, [] { return true; }, {"Uninstall Virtual Sound Card?", "Uninstall successed!"}, 1},
        {"refused", MGMessageBox::DefaultButton, [] { return false; }, {"Uninstall Virtual Sound Card?", "Uninstall failed!"}, 1},
        {"threw", MGMessageBox::DefaultButton, []() -> bool { throw std::runtime_error("pactl"); },
         {"Uninstall Virtual Sound Card?", "Uninstall failed!"}, 1},
    };
    installed = true;
    for (const auto &a : actions) {
        SCOPED_TRACE(a.name);
        int calls = 0;
        const auto uninstall = a.uninstall;
        AppDelegate::setAudioDriverHooks([&installed] { return installed; }, [&calls, uninstall] {
            ++calls;
            return uninstall();
        });
        QStringList shown;
        const int answer = a.answer;
        MGMessageBox::setRunHookForTesting([&shown, answer](MGMessageBox *box) {
            shown << box->messageTextField()->text();
            QTimer::singleShot(0, box, [box, answer] { box->done(answer); });
        });
        emit appMenu->aboutToShow();
        item->trigger();
        EXPECT_EQ(shown, a.shown);
        EXPECT_EQ(calls, a.calls);
    }
    // A driver removed behind the menu's back: the action does nothing at all.
    installed = false;
    QStringList shown;
    MGMessageBox::setRunHookForTesting([&shown](MGMessageBox *box) {
        shown << box->messageTextField()->text();
        QTimer::singleShot(0, box, [box] { box->done(MGMessageBox::DefaultButton); });
    });
    item->trigger();
    EXPECT_TRUE(shown.isEmpty());
    AppDelegate::setAudioDriverHooks({}, {});
}
