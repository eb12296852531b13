#include "shell/ShellWindows.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/WebEngineSandbox.h"
#include "platform/log/ScribletLogger.h"
#include "shell/AboutWindowCtrl.h"
#include "shell/MTSupportedSitesDefaultWndCtr.h"
#include "shell/PreferenceWndCtr.h"
#include "shell/ShellRegistry.h"

#include <QMainWindow>
#include <QPointer>

void registerShellWindows()
{
    // The supported-sites window shows a page: as root the engine runs without its sandbox.
    if (WebEngineSandbox::disableForRoot())
        ScribletLogInfo(QString::fromLatin1(WebEngineSandbox::logLine()));
    ShellRegistry::registerWindow(QStringLiteral("Preferences"), [](QWidget *mainWindow) {
        // One controller for the run; each opening reloads the values.
        static QPointer<PreferenceWndCtr> window;
        if (!window)
            window = new PreferenceWndCtr(UserDefaults::standard(), mainWindow);
        // The main window names the page it shows (tool-bar tag; 0 the Download page).
        const QVariant page = mainWindow ? mainWindow->property("curButtonType") : QVariant();
        window->runModel(mainWindow, page.isValid() ? page.toInt() : -1);
    });
    ShellRegistry::registerWindow(QStringLiteral("About"), [](QWidget *mainWindow) {
        static QPointer<AboutWindowCtrl> window;
        if (!window)
            window = new AboutWindowCtrl(mainWindow);
        window->show();
        window->raise();
        window->activateWindow();
    });
    ShellRegistry::registerWindow(QStringLiteral("SupportedSites"), [](QWidget *mainWindow) {
        static QPointer<MTSupportedSitesDefaultWndCtr> window;
        if (!window)
            window = new MTSupportedSitesDefaultWndCtr(mainWindow);
        window->setWindowModality(Qt::WindowModal);
        window->show();
        window->raise();
    });
}
