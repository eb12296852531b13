// The Preferences window and the Help menu as users meet them: on a private X server with a
// window manager (openbox). Each case starts the server and the manager and runs itself again
// in a child process on that display; the child drives the real main window with clicks.
#include "controls/ControlGeometry.h"
#include "controls/MGHoverButton.h"
#include "controls/QVToolBar.h"
#include "controls/QVToolBarItem.h"
#include "platform/MainBundle.h"
#include "platform/Workspace.h"
#include "recording/EndChildProcess.h"
#include "recording/PrivateXServer.h"
#include "shell/AppDelegate.h"
#include "shell/MainWindowCtrl.h"
#include "shell/PreferenceWndCtr.h"
#include "shell/ShellRegistry.h"
#include "shell/ShellWindows.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

const char *const ChildMark = "FENNIX_WM_CHILD";

enum class Outcome { Child,
                     Done,
                     NoDisplay };

// In the parent: an X server and openbox, then this very case again in a child on that display;
// Done when the child has run (its failures are this case's). In the child: Child, go on.
Outcome underWindowManager(QString *why)
{
    if (qEnvironmentVariableIsSet(ChildMark))
        return Outcome::Child;
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty()) {
        *why = QStringLiteral("no openbox on PATH");
        return Outcome::NoDisplay;
    }
    PrivateXServer x;
    if (!x.isRunning()) {
        *why = x.reason();
        return Outcome::NoDisplay;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    QProcess wm;
    wm.setProcessEnvironment(env);
    wm.setProcessChannelMode(QProcess::ForwardedChannels);
    wm.start(openbox, {QStringLiteral("--sm-disable")});
    EXPECT_TRUE(wm.waitForStarted(10000));

    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    env.insert(QString::fromLatin1(ChildMark), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromLatin1(info->test_suite_name()), QString::fromLatin1(info->name()))});
    EXPECT_TRUE(child.waitForStarted(10000));
    EXPECT_TRUE(child.waitForFinished(240000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << "the case failed on the display (its output is above)";
    endChildProcess(child);
    endChildProcess(wm);
    return Outcome::Done;
}

// The rest of the case runs in the child, on the display with the window manager.
#define UNDER_WINDOW_MANAGER()                        \
    do {                                              \
        QString why;                                  \
        const Outcome run = underWindowManager(&why); \
        if (run == Outcome::Done)                     \
            return;                                   \
        if (run == Outcome::NoDisplay)                \
            GTEST_SKIP() << why.toStdString();        \
    } while (false)

void saveScreen(QWidget *w, const QString &name)
{
    const QString dir = QStringLiteral(WINDOWS_SCREENS_DIR);
    QDir().mkpath(dir);
    TestEnvironment::drainPostedEvents();
    EXPECT_TRUE(w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

class WindowManaged : public ::testing::Test
{
protected:
    void launch()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        registerShellWindows();
        AppDelegate::initializeClass();
        delegate = std::make_unique<AppDelegate>();
        delegate->launch();
        ctrl = delegate->mainWindowCtrl();
        window = ctrl->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        // The window manager has taken the window: it has a frame of the manager's.
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return window->frameGeometry() != window->geometry(); }, 10000));
    }
    void TearDown() override
    {
        if (delegate) {
            delegate->applicationWillTerminate();
            delegate.reset();
        }
    }
    void clickTag(int tag)
    {
        QVToolBar *bar = ctrl->mainToolBar();
        QVToolBarItem *item = bar->toolBarItemWithTag(tag);
        ASSERT_NE(item, nullptr);
        const QPointF centre = ControlGeometry::toQt(bar->getItemFrame(item), bar->height()).center();
        QTest::mouseClick(bar, Qt::LeftButton, {}, centre.toPoint());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return ctrl->curButtonType() == tag; }, 5000));
    }
    void moveMainWindow(const QPoint &topLeft)
    {
        window->move(topLeft);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return window->frameGeometry().topLeft() == topLeft; }, 5000))
            << window->frameGeometry().x() << "," << window->frameGeometry().y();
    }
    QAction *menuItem(const QString &menuTitle, const QString &itemTitle) const
    {
        for (QAction *top : window->menuBar()->actions())
            if (top->menu() && top->text().remove(QLatin1Char('&')) == menuTitle)
                for (QAction *a : top->menu()->actions())
                    if (a->text().remove(QLatin1Char('&')) == itemTitle)
                        return a;
        return nullptr;
    }
    // Opens Preferences with the menu item, runs look() on the shown window, then Cancel.
    void withPreferences(const std::function<void(PreferenceWndCtr *)> &look)
    {
        QAction *item = menuItem(QStringLiteral("Fennix Pro"), QStringLiteral("Preferences..."));
        ASSERT_NE(item, nullptr);
        bool looked = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *prefs = qobject_cast<PreferenceWndCtr *>(QApplication::activeModalWidget());
            if (!prefs || !prefs->isVisible() || looked)
                return;
            looked = true;
            poll.stop();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(prefs));
            look(prefs);
            QTest::mouseClick(prefs->findChild<MGHoverButton *>(QStringLiteral("cancelButton")), Qt::LeftButton);
        });
        poll.start();
        item->trigger();
        EXPECT_TRUE(looked);
    }
    // The window's centre lies on the main window's (within a pixel of rounding).
    bool centredOnMainWindow(PreferenceWndCtr *prefs)
    {
        return TestEnvironment::waitFor(
            [&] { return (prefs->frameGeometry().center() - window->frameGeometry().center()).manhattanLength() <= 2; },
            5000);
    }

    std::unique_ptr<AppDelegate> delegate;
    MainWindowCtrl *ctrl = nullptr;
    QMainWindow *window = nullptr;
};

} // namespace

// Each opening reloads the window, centres it on the main window wherever that is now, and
// shows the Download tab when the Download page is shown; on another page the tab last shown
// stays. Pictures of the Extensions tab and of the update setting.
TEST_F(WindowManaged, PreferencesOpenCentredOnTheMainWindowWithTheDownloadPagesTab)
{
    UNDER_WINDOW_MANAGER();
    qputenv("FENNIX_BRISKLET_PATH", BRISKLET_PLUGIN);
    launch();
    moveMainWindow(QPoint(40, 30));
    clickTag(ShellRegistry::Convert);
    withPreferences([&](PreferenceWndCtr *prefs) {
        EXPECT_TRUE(centredOnMainWindow(prefs)) << "first opening";
        EXPECT_EQ(prefs->currentTab(), PreferenceWndCtr::DownloadTab);
        QTest::mouseClick(prefs->tabButton(PreferenceWndCtr::ExtensionsTab), Qt::LeftButton);
        EXPECT_EQ(prefs->currentTab(), PreferenceWndCtr::ExtensionsTab);
        EXPECT_TRUE(prefs->hasExtensionView());
        saveScreen(prefs, QStringLiteral("preferences-extensions-wm"));
    });

    moveMainWindow(QPoint(220, 160));
    withPreferences([&](PreferenceWndCtr *prefs) {
        EXPECT_TRUE(centredOnMainWindow(prefs)) << "second opening, main window moved: at " << prefs->frameGeometry().x() << ","
                                                << prefs->frameGeometry().y();
        EXPECT_EQ(prefs->currentTab(), PreferenceWndCtr::ExtensionsTab) << "the Convert page keeps the tab last shown";
        QTest::mouseClick(prefs->tabButton(PreferenceWndCtr::OthersTab), Qt::LeftButton);
        EXPECT_TRUE(prefs->updateNote()->isVisible());
        EXPECT_FALSE(prefs->updateTime()->isVisible());
        saveScreen(prefs, QStringLiteral("preferences-others-wm"));
    });

    clickTag(ShellRegistry::Download);
    moveMainWindow(QPoint(120, 90));
    withPreferences([&](PreferenceWndCtr *prefs) {
        EXPECT_TRUE(centredOnMainWindow(prefs)) << "third opening";
        EXPECT_EQ(prefs->currentTab(), PreferenceWndCtr::DownloadTab) << "the Download page shows the Download tab";
        EXPECT_TRUE(prefs->resetButton()->isVisible());
    });
    qunsetenv("FENNIX_BRISKLET_PATH");
}

// Help › Live Chat is offered only with an address to open; with one, a click opens it.
TEST_F(WindowManaged, LiveChatIsGreyWithoutAnAddress)
{
    UNDER_WINDOW_MANAGER();
    const QVariantMap shipped = MainBundle::infoDictionary();
    ASSERT_TRUE(shipped.value(QStringLiteral("LivechatURL")).toString().isEmpty()) << "this build names no chat";
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        opened << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
        return true;
    });
    launch();
    QAction *chat = menuItem(QStringLiteral("Help"), QStringLiteral("Live Chat"));
    ASSERT_NE(chat, nullptr);
    QMenuBar *bar = window->menuBar();
    QAction *help = nullptr;
    for (QAction *top : bar->actions())
        if (top->menu() && top->text() == QStringLiteral("Help"))
            help = top;
    ASSERT_NE(help, nullptr);
    auto clickChat = [&] {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help).center());
        QMenu *menu = help->menu();
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return menu->isVisible(); }, 5000));
        const bool enabled = chat->isEnabled();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chat).center());
        if (menu->isVisible())
            menu->close();
        return enabled;
    };
    EXPECT_FALSE(clickChat());
    EXPECT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_TRUE(opened.isEmpty());

    QVariantMap info = shipped;
    info.insert(QStringLiteral("LivechatURL"), QStringLiteral("https://chat.example.invalid/room"));
    MainBundle::setInfoDictionaryForTesting(info);
    EXPECT_TRUE(clickChat());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !opened.isEmpty(); }, 5000));
    MainBundle::setInfoDictionaryForTesting(shipped);
    Workspace::setHookForTesting(nullptr);
    EXPECT_EQ(opened, QStringList{QStringLiteral("open https://chat.example.invalid/room")});
}
