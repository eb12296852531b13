#include "shell/ShellWindows.h"

#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "shell/AboutWindowCtrl.h"
#include "shell/MTSupportedSitesDefaultWndCtr.h"
#include "shell/PreferenceWndCtr.h"
#include "shell/ShellRegistry.h"

#include <QMainWindow>
#include <QPointer>

void registerShellWindows()
{
    ShellRegistry::registerWindow(QStringLiteral("Preferences"), [](QWidget *mainWindow) {
        // One controller for the run; each opening reloads the values.
        static QPointer<PreferenceWndCtr> window;
        if (!window)
            window = new PreferenceWndCtr(UserDefaults::standard(), mainWindow);
        window->setupDefaultWidget();
        window->exec();
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
