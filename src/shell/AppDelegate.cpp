#include "shell/AppDelegate.h"

#include "outside/kelvra/QVHPHelper.h"
#include "platform/log/ScribletLogger.h"
#include "outside/stallwick/Stallwick.h"
#include "platform/AppPaths.h"
#include "platform/MacOSXManager.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/ProcessRegistry.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/AppLaunchSettings.h"
#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/FailedDownloadLog.h"
#include "shell/MGMessageBox.h"
#include "shell/MainWindowCtrl.h"
#include "shell/QuitCheckDialogboxController.h"
#include "shell/ShellRegistry.h"
#include "shell/WKDataColleciton.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QUrl>

namespace {

AppDelegate *g_shared = nullptr;
std::function<bool()> g_driverInstalled;
std::function<bool()> g_driverUninstall;

QString productLogPath()
{
    return ScribletLogger::defaultLogger().filePath();
}

} // namespace

void AppDelegate::initializeClass()
{
    UserDefaults &defaults = UserDefaults::standard();
    AppLaunchSettings::registerAndImport(defaults, MainBundle::infoDictionary());
    // Scroll bars stay visible, as the pages are drawn for them.
    defaults.setString(QStringLiteral("AppleShowScrollBars"), QStringLiteral("Always"));
    defaults.synchronize();
}

void AppDelegate::setAudioDriverHooks(std::function<bool()> installed, std::function<bool()> uninstall)
{
    g_driverInstalled = std::move(installed);
    g_driverUninstall = std::move(uninstall);
}

AppDelegate::AppDelegate()
{
    g_shared = this;
    startQVHelper();
    // No left-over tool to end: every child process dies with the process that started it
    // (ProcessRegistry), and nothing else is ever ended.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate()
{
    if (m_bugSplat)
        m_bugSplat->uninstall();
    if (g_shared == this)
        g_shared = nullptr;
}

AppDelegate *AppDelegate::shared()
{
    return g_shared;
}

void AppDelegate::startQVHelper()
{
    try {
        QVHPHelper::share().startHelper();
        QVHPHelper::share().setDataCollectPID(MainBundle::infoString(QStringLiteral("PID")));
    } catch (const std::exception &e) {
        ScribletLogInfo(QStringLiteral("[QVAppDelegate startQVHelper] exception:%1!").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        ScribletLogInfo(QStringLiteral("[QVAppDelegate startQVHelper] exception:unknown!"));
    }
}

void AppDelegate::launch()
{
    awakeFromNib();
    applicationWillFinishLaunching();
    applicationDidFinishLaunching();
}

void AppDelegate::awakeFromNib()
{
    m_mainWindowCtrl = std::make_unique<MainWindowCtrl>();
    connect(m_mainWindowCtrl.get(), &MainWindowCtrl::quitRequested, this, &AppDelegate::terminate);
    m_mainWindowCtrl->setCloseGuard([this] { return m_quitDecided || applicationShouldTerminate(); });
    m_mainWindowCtrl->window();
    buildMenu();
    localizeMenu();
}

void AppDelegate::buildMenu()
{
    QMenuBar *bar = m_mainWindowCtrl->window()->menuBar();
    bar->setObjectName(QStringLiteral("mainMenu"));
    bar->setStyleSheet(QStringLiteral(
        "QMenuBar { background: #f6f8f9; border-bottom: 1px solid #dae0e4; color: #3a4046; }"
        "QMenuBar::item { padding: 3px 10px; background: transparent; }"
        "QMenuBar::item:selected { background: #e3f4ea; color: #248c4f; }"));
    auto add = [this](QMenu *menu, const char *title, auto slot, const QKeySequence &keys = {}) {
        QAction *a = menu->addAction(QString::fromLatin1(title));
        a->setData(QString::fromLatin1(title));
        if (!keys.isEmpty())
            a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *app = bar->addMenu(QStringLiteral("Fennix Pro"));
    add(app, "About Fennix Pro", &AppDelegate::showAbout);
    add(app, "Preferences...", &AppDelegate::openPreferences, QKeySequence(QStringLiteral("Ctrl+,")));
    add(app, "Check for Updates...", &AppDelegate::checkForUpdates);
    app->addSeparator();
    m_uninstallItem = add(app, "Uninstall Virtual Sound Card", &AppDelegate::uninstallSoundCard);
    app->addSeparator();
    add(app, "Quit Fennix Pro", &AppDelegate::quit, QKeySequence::Quit);
    connect(app, &QMenu::aboutToShow, this, [this] {
        if (m_uninstallItem)
            m_uninstallItem->setEnabled(validateMenuItem(m_uninstallItem));
    });

    QMenu *file = bar->addMenu(QStringLiteral("File"));
    add(file, "Paste URL", &AppDelegate::pasteURL, QKeySequence(QStringLiteral("Ctrl+Shift+V")));
    file->addSeparator();
    add(file, "Open Downloaded Folder", &AppDelegate::openDownLoadedFolder);
    add(file, "Open Converted Folder", &AppDelegate::openCovertedFolder);

    // Third menu: the running-downloads list takes its items over once it exists (matched by
    // position and tag); the time scheduler triggers "Resume All" and "Pause All" here.
    QMenu *download = bar->addMenu(QStringLiteral("Download"));
    const QList<QPair<int, const char *>> downloadItems = {{2, "Pause"},       {3, "Resume"},     {4, "Pause All"},
                                                           {5, "Resume All"}, {6, "Retry All"}, {7, "Delete"},
                                                           {8, "Delete All"}};
    for (const auto &[tag, title] : downloadItems) {
        if (tag == 4 || tag == 7)
            download->addSeparator();
        QAction *a = download->addAction(QString::fromLatin1(title));
        a->setData(QString::fromLatin1(title));
        a->setProperty("tag", tag);
    }

    QMenu *window = bar->addMenu(QStringLiteral("Window"));
    add(window, "Minimize", [this] { mainWindow()->showMinimized(); }, QKeySequence(QStringLiteral("Ctrl+M")));
    add(window, "Zoom", [this] {
        QMainWindow *w = mainWindow();
        w->isMaximized() ? w->showNormal() : w->showMaximized();
    });
    add(window, "Bring All to Front", [this] { applicationShouldHandleReopen(false); });

    QMenu *help = bar->addMenu(QStringLiteral("Help"));
    add(help, "Supported Sites", &AppDelegate::openSupportedSite);
    m_livechatItem = add(help, "Live Chat", &AppDelegate::openLivechat);
    add(help, "New Feature Request", &AppDelegate::openSurvey);
    // An item that would do nothing is offered greyed out.
    m_livechatItem->setEnabled(validateMenuItem(m_livechatItem));
    connect(help, &QMenu::aboutToShow, this, [this] {
        if (m_livechatItem)
            m_livechatItem->setEnabled(validateMenuItem(m_livechatItem));
    });
}

void AppDelegate::localizeMenu()
{
    QMenuBar *bar = menuBar();
    if (!bar)
        return;
    for (QAction *top : bar->actions())
        if (QMenu *menu = top->menu())
            CommonFunDesktop::localizeMenu(menu, true);
}

QMenuBar *AppDelegate::menuBar() const
{
    return m_mainWindowCtrl && m_mainWindowCtrl->isWindowLoaded() ? m_mainWindowCtrl->window()->menuBar() : nullptr;
}

void AppDelegate::applicationWillFinishLaunching()
{
    m_updater = &SUUpdater::sharedUpdater();
    AppLaunchSettings::applyWillFinishLaunching(UserDefaults::standard(), MainBundle::infoDictionary(), *m_updater);
}

void AppDelegate::applicationDidFinishLaunching()
{
    const QVariantMap info = MainBundle::infoDictionary();
    ScribletLogInfo(QStringLiteral("%1 %2 application Did FinishLaunching")
                        .arg(info.value(QStringLiteral("CFBundleDisplayName")).toString(),
                             info.value(QStringLiteral("CFBundleShortVersionString")).toString()));
    WKDataColleciton::share().collectAppLauchedMode(m_mainWindowCtrl->isURLLanch());

    if (!m_updater)
        m_updater = &SUUpdater::sharedUpdater();
    m_updater->setDelegate(this);
    AppLaunchSettings::applyDidFinishLaunching(UserDefaults::standard(), info, *m_updater);

    m_bugSplat = std::make_unique<BugSplat>(QString::fromLatin1(CrashDatabase), info.value(QStringLiteral("CFBundleName")).toString().isEmpty()
                                                ? info.value(QStringLiteral("CFBundleExecutable")).toString()
                                                : info.value(QStringLiteral("CFBundleName")).toString(),
                                            info.value(QStringLiteral("CFBundleVersion")).toString());
    m_bugSplat->setDelegate(this);
    m_bugSplat->setQuietMode(true);
    m_bugSplat->setSuppressReply(false);
    m_bugSplat->addAdditionalFile(productLogPath());
    m_bugSplat->addAdditionalFile(FailedDownloadLog::shared().filePath());
    m_bugSplat->install();
    // The crash handler may only read a ready list: keep it current.
    connect(&m_childWatch, &QTimer::timeout, this, [] { BugSplat::setChildPidsForCrash(ProcessRegistry::shared().runningPids()); });
    m_childWatch.start(1000);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        WKDataColleciton::share().setScreenSize(screen->geometry().size());
    WKDataColleciton::share().collectSystemParam();

    QMainWindow *w = m_mainWindowCtrl->window();
    w->show();
    w->raise();
    w->activateWindow();

    // The codec framework logs through the application's levelled log: nothing to open for it.
    // The converter's global data and encoder parameters join as "WindowShown" steps.
    ShellRegistry::runSteps(QStringLiteral("WindowShown"));
    autoSaveStallwick();
    m_mainWindowCtrl->resetDownloadingMenu();
    UserDefaults::standard().setInteger(QStringLiteral("NSInitialToolTipDelay"), 100);
}

void AppDelegate::autoSaveStallwick()
{
    try {
        Stallwick::share().autoSaveStallwick();
    } catch (const std::exception &e) {
        ScribletLogError(QStringLiteral("autoSaveStallwick exception:%1").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        ScribletLogError(QStringLiteral("autoSaveStallwick exception:unknown"));
    }
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    ScribletLogInfo(QStringLiteral("[QVAppDelegate applicationWillTerminate]"));
    m_childWatch.stop();
    MacOSXManager::sharedManager().enabledPowersave(true);
    WKDataColleciton::share().collectCloseFennixApp();
    QVHPHelper::share().directUploadData();
    QVHPHelper::share().stopHelper();
    NotificationCenter::defaultCenter().post(NotificationNames::FENNIXPROWillQuitNotification);
    NotificationCenter::defaultCenter().removeObserver(this);
    // Whatever the subsystems left running of our own children ends here.
    ProcessRegistry::shared().terminateAll(2000);
    UserDefaults::standard().synchronize();
    ScribletLogger::defaultLogger().flush();
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows && m_mainWindowCtrl) {
        QMainWindow *w = m_mainWindowCtrl->window();
        if (w->isMinimized())
            w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
    }
    return true;
}

bool AppDelegate::applicationShouldTerminate()
{
    if (!m_mainWindowCtrl || !m_mainWindowCtrl->hasRunningTask())
        return true;
    if (!UserDefaults::standard().boolForKey(QStringLiteral("isShowquitWhentaskRunning")))
        return true;
    QuitCheckDialogboxController dialog(mainWindow());
    return dialog.runModalForType(5) == QuitCheckDialogboxController::Confirmed;
}

void AppDelegate::quit()
{
    if (applicationShouldTerminate())
        terminate();
}

void AppDelegate::terminate()
{
    // Qt closes every window on quit: a confirmed Quit, the after-tasks quit and SIGTERM must not
    // meet the running-task question again there (a signal has nobody to answer it).
    m_quitDecided = true;
    QCoreApplication::quit();
}

QMainWindow *AppDelegate::mainWindow()
{
    return m_mainWindowCtrl ? m_mainWindowCtrl->window() : nullptr;
}

void AppDelegate::openURL(const QString &url)
{
    if (!m_mainWindowCtrl)
        return;
    if (url.isEmpty()) {
        applicationShouldHandleReopen(false);
        return;
    }
    m_mainWindowCtrl->handleGetURLEvent(url);
}

bool AppDelegate::openFolderForKey(const QString &key)
{
    const QString path = UserDefaults::standard().stringForKey(key);
    if (path.isEmpty())
        return false;
    // The user's umask decides the permissions: never a folder others may write to.
    if (!QFileInfo::exists(path) && !AppPaths::ensureFolder(path))
        return false;
    return Workspace::openFolder(path);
}

void AppDelegate::openDownLoadedFolder() { openFolderForKey(QStringLiteral("downloadedSavePath")); }
void AppDelegate::openCovertedFolder() { openFolderForKey(QStringLiteral("convertedPath")); }
void AppDelegate::openPreferences() { m_mainWindowCtrl->preference(); }
void AppDelegate::pasteURL() { m_mainWindowCtrl->pasteURL(); }
void AppDelegate::openSupportedSite() { m_mainWindowCtrl->openSupportedSite(); }
void AppDelegate::showAbout() { m_mainWindowCtrl->openAboutWindow(); }

void AppDelegate::checkForUpdates()
{
    if (!m_updater)
        m_updater = &SUUpdater::sharedUpdater();
    const QRect parent = mainWindow() ? mainWindow()->frameGeometry() : QRect();
    auto tell = [parent](const QString &message) {
        MGMessageBox::messageWithNote(message, MainBundle::localizedString("Check for Updates"), QString(),
                                      MainBundle::localizedString("OK"), QImage(), parent);
    };
    // A build without a feed has nothing to ask: the user still gets an answer.
    if (m_updater->feedURL().isEmpty()) {
        tell(MainBundle::localizedString("Updates are not configured for this build."));
        return;
    }
    // One answer per request; scheduled background checks stay silent.
    auto *once = new QObject(this);
    auto answer = [updater = m_updater, once, tell](const QString &message) {
        updater->disconnect(once);
        once->deleteLater();
        tell(message);
    };
    connect(m_updater, &SUUpdater::updateFound, once, [answer](const QString &version) {
        answer(MainBundle::localizedString("Fennix Pro %1 is available.").arg(version));
    });
    connect(m_updater, &SUUpdater::noUpdateFound, once, [answer] {
        answer(MainBundle::localizedString("Fennix Pro is up to date."));
    });
    connect(m_updater, &SUUpdater::checkFailed, once, [answer](const QString &error) {
        answer(MainBundle::localizedString("The update check failed: %1").arg(error));
    });
    m_updater->checkForUpdatesInBackground();
}

void AppDelegate::openLivechat()
{
    const QString text = MainBundle::infoString(QStringLiteral("LivechatURL"));
    if (text.isEmpty())
        return;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        ScribletLogInfo(QStringLiteral("Invalid LivechatURL"));
        return;
    }
    Workspace::openUrl(url);
}

void AppDelegate::openSurvey()
{
    CommonFunDesktop::openMainBundleURLForKey(QStringLiteral("SurveyURL"));
}

bool AppDelegate::validateMenuItem(QAction *item) const
{
    if (item && item == m_uninstallItem) {
        if (m_mainWindowCtrl && m_mainWindowCtrl->isScreenRecording())
            return false;
        return g_driverInstalled && g_driverInstalled();
    }
    if (item && item == m_livechatItem)
        return !MainBundle::infoString(QStringLiteral("LivechatURL")).trimmed().isEmpty();
    return true;
}

void AppDelegate::uninstallSoundCard()
{
    if (!(g_driverInstalled && g_driverInstalled()))
        return;
    const QRect parent = mainWindow()->frameGeometry();
    const int answer = MGMessageBox::question(MainBundle::localizedString("Uninstall Virtual Sound Card?"),
                                              MainBundle::localizedString("Uninstall Virtual Sound Card"),
                                              MainBundle::localizedString("Uninstall"), MainBundle::localizedString("Cancel"),
                                              QImage(), parent);
    if (answer != MGMessageBox::DefaultButton)
        return;
    bool ok = false;
    try {
        ok = g_driverUninstall && g_driverUninstall();
    } catch (...) {
        ok = false;
    }
    if (ok)
        MGMessageBox::messageWithNote(MainBundle::localizedString("Uninstall successed!"), QString(), QString(),
                                      MainBundle::localizedString("OK"), QImage(), parent);
    else
        MGMessageBox::warning(MainBundle::localizedString("Uninstall failed!"), QString(), QString(),
                              MainBundle::localizedString("OK"), QImage(), parent);
}

void AppDelegate::updaterWillInstallUpdate(SUUpdater *, const QString &)
{
    ScribletLogInfo(QStringLiteral("update delegate....."));
    // The scheduler's agent is a systemd user timer here; it stays valid across an update.
    autoSaveStallwick();
}

void AppDelegate::updaterWillRelaunchApplication(SUUpdater *)
{
    autoSaveStallwick();
}

void AppDelegate::bugSplatWillHandleSystemException(BugSplat *reporter, const QString &exception)
{
    ScribletLogError(QStringLiteral("bugSplat caught exception:%1 app:%2 version:%3")
                         .arg(exception, reporter ? reporter->appName() : QString(), reporter ? reporter->version() : QString()));
    NotificationCenter::defaultCenter().post(NotificationNames::FENNIXPROWillQuitNotification, QVariant(), QVariantMap(), true);
}
