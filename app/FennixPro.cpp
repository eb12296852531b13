// FennixPro: the application. One instance per user: a later start hands its addresses
// ("FennixPro pelqa://...") to the running instance and exits.
#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "shell/AppDelegate.h"
#include "shell/ShellRegistry.h"
#include "shell/DesktopEntry.h"
#include "shell/UnixSignalQuit.h"
#include "shell/URLHandOff.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>

#ifdef FENNIX_WITH_CONVERTER
#include "converter/ConverterGlobal.h"
#endif
#ifdef FENNIX_WITH_DOWNLOAD_PAGE
#include "downloads/DownloadPageRegistration.h"
#endif
#ifdef FENNIX_WITH_ONLINE_PAGE
#include "downloads/OnlineRegistration.h"
#endif
#ifdef FENNIX_WITH_LIBRARY_PAGE
#include "downloads/DownloadedItem.h"
#include "library/DownloadedViewCtrl.h"
#include "library/LibraryFollowUpServices.h"
#include "library/MTPreviewPlayerViewCtl.h"
#endif
#ifdef FENNIX_WITH_SHELL_WINDOWS
#include "shell/ShellWindows.h"
#endif

namespace {

// The start-up work of the subsystems built into this program, in the shell's order.
void registerSubsystemSteps()
{
#ifdef FENNIX_WITH_DOWNLOAD_PAGE
#ifdef FENNIX_WITH_LIBRARY_PAGE
    setLibraryPageFactory([] { return std::make_unique<DownloadedViewCtrl>(); });
    // A finished conversion is counted and, when asked, added to the music library.
    static LibraryFollowUpServices followUp;
    DownloadedItem::setFollowUpServices(&followUp);
#endif
    registerDownloadPage();
#endif
#ifdef FENNIX_WITH_ONLINE_PAGE
    registerOnlinePage();
#endif
#ifdef FENNIX_WITH_SHELL_WINDOWS
    registerShellWindows();
#endif
#ifdef FENNIX_WITH_CONVERTER
    ShellRegistry::registerStep(QStringLiteral("WindowShown"), [] {
        InitGlobalData();
        LoadGlobalEncodeParam();
#ifdef FENNIX_WITH_LIBRARY_PAGE
        // The player's snapshots go where the settings say, as read just now.
        MTPreviewPlayerViewCtl::setSnapshotFolder(g_strSnapFolder);
#endif
    });
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("iQuenmark Orrisca Studio"));
    QApplication::setApplicationName(QStringLiteral("FennixPro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Fennix Pro"));
    QApplication::setDesktopFileName(QStringLiteral("FennixPro"));
    QApplication app(argc, argv);

    QStringList urls;
    const QStringList args = app.arguments().mid(1);
    for (const QString &arg : args) {
        if (arg == QLatin1String("--install-desktop-file")) {
            QString error;
            if (!DesktopEntry::install(QCoreApplication::applicationFilePath(), &error)) {
                std::fprintf(stderr, "FennixPro: %s\n", qPrintable(error));
                return 1;
            }
            std::printf("%s\n", qPrintable(DesktopEntry::entryPath()));
            return 0;
        }
        if (arg.startsWith(QLatin1Char('-')))
            continue;  // options of Qt itself were taken by QApplication
        urls.append(arg);
    }

    URLHandOff handOff;
    AppDelegate *delegate = nullptr;
    QStringList early;  // addresses arriving before the window exists
    QString error;
    const bool first = handOff.listen(
        [&delegate, &early](const QString &url) {
            if (delegate)
                delegate->openURL(url);
            else
                early.append(url);
        },
        &error);
    if (!first) {
        // Another instance runs: hand the addresses over (or just bring it forward).
        if (handOff.sendToRunningInstance(urls.isEmpty() ? QStringList{QString()} : urls, &error))
            return 0;
        std::fprintf(stderr, "FennixPro: %s\n", qPrintable(error));
        return 1;
    }

    registerSubsystemSteps();
    AppDelegate::initializeClass();
    AppDelegate appDelegate;
    delegate = &appDelegate;
    UnixSignalQuit signalQuit([&appDelegate] { appDelegate.quit(); });
    // The addresses of this start count as URL events that came before launch finished.
    appDelegate.awakeFromNib();
    for (const QString &url : urls + early)
        if (!url.isEmpty())
            appDelegate.openURL(url);
    appDelegate.applicationWillFinishLaunching();
    appDelegate.applicationDidFinishLaunching();
    const int code = app.exec();
    appDelegate.applicationWillTerminate();
    return code;
}
