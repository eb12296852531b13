#pragma once

#include "outside/crashreporter/BugSplat.h"
#include "outside/updater/SUUpdater.h"

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class MainWindowCtrl;
class QAction;
class QMainWindow;
class QMenuBar;

// The application's delegate: the order in which the application comes up and goes down
// (defaults, statistics client, main window, updater, crash reporter; at the end the quit
// notification that makes every subsystem end its child processes), and the application
// menu's actions.
class AppDelegate : public QObject, public SUUpdaterDelegate, public BugSplatDelegate
{
    Q_OBJECT
public:
    static constexpr const char *CrashDatabase = "FennixPro-Linux";

    // Class set-up, before the delegate exists: registered defaults, the one-time import,
    // "FirstStartPID", scroll bars always shown.
    static void initializeClass();

    AppDelegate();
    ~AppDelegate() override;
    static AppDelegate *shared();

    // The whole launch: awakeFromNib, applicationWillFinishLaunching, applicationDidFinishLaunching.
    void launch();
    void awakeFromNib();
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    // Runs once, at the end of the run (QCoreApplication::aboutToQuit) or when called.
    void applicationWillTerminate();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Quits the way the Quit command does: while a page has running work and
    // "isShowquitWhentaskRunning" is on, only after the user confirms.
    void quit();
    // Whether quitting may go on now (asks the question above when it applies).
    bool applicationShouldTerminate();
    // Quits without asking (the after-tasks action, signals).
    void terminate();
    bool hasTerminated() const { return m_terminated; }

    QMainWindow *mainWindow();
    MainWindowCtrl *mainWindowCtrl() const { return m_mainWindowCtrl.get(); }
    SUUpdater *updater() const { return m_updater; }
    BugSplat *crashReporter() const { return m_bugSplat.get(); }
    QMenuBar *menuBar() const;

    // An address another program opened the application with (command line or hand-off);
    // empty: just bring the window forward.
    void openURL(const QString &url);

    // Menu actions.
    void openDownLoadedFolder();
    void openCovertedFolder();
    void openPreferences();
    void pasteURL();
    void openSupportedSite();
    void openLivechat();
    // Answers in a message box: the newest version, up to date, the failure, or no feed.
    void checkForUpdates();
    void openSurvey();
    void showWelcome() {}
    void showAbout();
    void uninstallSoundCard();
    bool validateMenuItem(QAction *item) const;
    QAction *uninstallSoundCardItem() const { return m_uninstallItem; }
    QAction *livechatItem() const { return m_livechatItem; }

    // The recording subsystem says whether the capture driver is installed and removes it.
    static void setAudioDriverHooks(std::function<bool()> installed, std::function<bool()> uninstall);
    // Opens a folder of the defaults, creating it (with the user's umask) when missing.
    static bool openFolderForKey(const QString &key);

    void updaterWillInstallUpdate(SUUpdater *updater, const QString &version) override;
    void updaterWillRelaunchApplication(SUUpdater *updater) override;
    void bugSplatWillHandleSystemException(BugSplat *reporter, const QString &exception) override;

private:
    void startQVHelper();
    void buildMenu();
    void localizeMenu();
    void autoSaveStallwick();

    std::unique_ptr<MainWindowCtrl> m_mainWindowCtrl;
    SUUpdater *m_updater = nullptr;
    std::unique_ptr<BugSplat> m_bugSplat;
    QPointer<QAction> m_uninstallItem;
    QPointer<QAction> m_livechatItem;
    QTimer m_childWatch;
    bool m_terminated = false;
    // Set once quitting has been decided, so the window's close guard does not ask again.
    bool m_quitDecided = false;
};
