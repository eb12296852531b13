#include "shell/ShellRegistry.h"

#include "platform/log/ScribletLogger.h"
#include "shell/MainWindowPage.h"
#include "shell/PlaceholderPage.h"

#include <QHash>
#include <QList>

namespace {

struct Registry
{
    QHash<int, ShellRegistry::PageCreator> pages;
    QHash<QString, ShellRegistry::WindowOpener> windows;
    QHash<QString, QList<ShellRegistry::Step>> steps;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

void ShellRegistry::registerPage(int tag, PageCreator creator)
{
    registry().pages.insert(tag, std::move(creator));
}

std::unique_ptr<MainWindowPage> ShellRegistry::createPage(int tag)
{
    if (tag < 0 || tag >= PageCount)
        tag = Download;
    const auto it = registry().pages.constFind(tag);
    if (it != registry().pages.cend() && *it) {
        if (std::unique_ptr<MainWindowPage> page = (*it)())
            return page;
    }
    return std::make_unique<PlaceholderPage>(tag);
}

void ShellRegistry::registerWindow(const QString &name, WindowOpener opener)
{
    registry().windows.insert(name, std::move(opener));
}

bool ShellRegistry::openWindow(const QString &name, QWidget *mainWindow)
{
    const auto it = registry().windows.constFind(name);
    if (it == registry().windows.cend() || !*it)
        return false;
    (*it)(mainWindow);
    return true;
}

void ShellRegistry::registerStep(const QString &phase, Step step)
{
    registry().steps[phase].append(std::move(step));
}

void ShellRegistry::runSteps(const QString &phase)
{
    // A failing step of another subsystem must not stop the start-up.
    for (const Step &step : registry().steps.value(phase)) {
        try {
            step();
        } catch (const std::exception &e) {
            ScribletLogError(QStringLiteral("[ShellRegistry runSteps] %1 exception:%2").arg(phase, QString::fromUtf8(e.what())));
        } catch (...) {
            ScribletLogError(QStringLiteral("[ShellRegistry runSteps] %1 exception").arg(phase));
        }
    }
}
