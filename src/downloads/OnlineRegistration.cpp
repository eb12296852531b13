#include "downloads/OnlineRegistration.h"

#include "downloads/NavSiteViewCtrl.h"
#include "downloads/OnlineViewCtrl.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "downloads/TimeSchedulerManager.h"
#include "downloads/TimeSchedulerOptionWinCtrl.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "platform/WebEngineSandbox.h"
#include "platform/log/ScribletLogger.h"
#include "shell/ShellRegistry.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

QString plainTitle(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('&'));
    return t;
}

bool matches(const QAction *a, const char *english)
{
    const QString title = plainTitle(a->text());
    return title == MainBundle::localizedString(english) || title == QString::fromLatin1(english) ||
           a->data().toString() == QString::fromLatin1(english);
}

} // namespace

bool SchedulerMenuCommands::trigger(QMenuBar *bar, const QString &itemTitle)
{
    if (!bar)
        return false;
    const QByteArray english = itemTitle.toLatin1();
    for (QAction *top : bar->actions()) {
        if (!top->menu() || !matches(top, "Download"))
            continue;
        for (QAction *item : top->menu()->actions()) {
            if (matches(item, english.constData())) {
                item->trigger();
                return true;
            }
        }
    }
    return false;
}

bool SchedulerMenuCommands::triggerInApplication(const QString &itemTitle)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *main = qobject_cast<QMainWindow *>(w))
            if (trigger(main->menuBar(), itemTitle))
                return true;
    return false;
}

void registerOnlinePage()
{
    // Before the first page is made: as root the engine would otherwise end the application.
    if (WebEngineSandbox::disableForRoot())
        ScribletLogInfo(QString::fromLatin1(WebEngineSandbox::logLine()));
    ShellRegistry::registerPage(ShellRegistry::Online, [] {
        return std::make_unique<OnlineViewCtrl>(UserDefaults::standard());
    });
    ShellRegistry::registerWindow(QStringLiteral("TimeScheduler"), [](QWidget *mainWindow) {
        // Made on first use and kept, like the other secondary windows.
        static QPointer<TimeSchedulerOptionWinCtrl> window;
        if (!window)
            window = new TimeSchedulerOptionWinCtrl(UserDefaults::standard(), TimeSchedulerManager::share(),
                                                    [] { return TimeSchedulerManager::share().now(); }, mainWindow);
        window->runModal();
    });
    ShellRegistry::registerStep(QStringLiteral("MainWindowLoaded"), [] {
        TimeSchedulerManager &scheduler = TimeSchedulerManager::share();
        scheduler.setCommands([] { SchedulerMenuCommands::triggerInApplication(QStringLiteral("Resume All")); },
                              [] { SchedulerMenuCommands::triggerInApplication(QStringLiteral("Pause All")); });
        scheduler.start();
    });
}
