#pragma once

#include <QString>

#include <functional>
#include <memory>

class MainWindowPage;
class QWidget;

// Where the pages and windows that live in other folders join the shell: a page creator per
// tool-bar tag, openers of the secondary windows, and start-up steps of other subsystems. What
// nobody registers falls back to the shell's own placeholder.
class ShellRegistry
{
public:
    enum PageTag { Download = 0, Record = 1, Convert = 2, Transfer = 3, Online = 4 };
    static constexpr int PageCount = 5;

    using PageCreator = std::function<std::unique_ptr<MainWindowPage>()>;
    using WindowOpener = std::function<void(QWidget *mainWindow)>;
    using Step = std::function<void()>;

    static void registerPage(int tag, PageCreator creator);
    // The registered page, else the placeholder of the tag (tags outside 0-4: Download).
    static std::unique_ptr<MainWindowPage> createPage(int tag);

    // "Preferences" (the main window carries the property "curButtonType"), "About",
    // "SupportedSites", "Feedback".
    static void registerWindow(const QString &name, WindowOpener opener);
    // False when nothing is registered under the name.
    static bool openWindow(const QString &name, QWidget *mainWindow);

    // "MainWindowLoaded" (device listening, the scheduler), "WindowShown" (the converter's
    // global data and encoder parameters).
    static void registerStep(const QString &phase, Step step);
    static void runSteps(const QString &phase);
};
