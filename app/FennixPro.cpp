// FennixPro: the application. One instance per user: a later start hands its addresses
// ("FennixPro pelqa://...") to the running instance and exits.
#include "converter/ConverterGlobal.h"
#include "converter/ConverterPageRegistration.h"
#include "converter/ImageManager.h"
#include "downloads/DownloadPageRegistration.h"
#include "downloads/DownloadedItem.h"
#include "downloads/OnlineRegistration.h"
#include "feedback/FeedBackRegistration.h"
#include "library/DownloadedViewCtrl.h"
#include "library/LibraryFollowUpServices.h"
#include "library/MTPreviewPlayerViewCtl.h"
#include "platform/AbandonedWork.h"
#include "platform/AppPaths.h"
#include "platform/log/ScribletLogger.h"
#include "platform/LogindPowerService.h"
#include "platform/MainBundle.h"
#include "platform/UnixSignalQuit.h"
#include "recording/RecordPageRegistration.h"
#include "shell/AppDelegate.h"
#include "shell/DesktopEntry.h"
#include "shell/ShellRegistry.h"
#include "shell/ShellWindows.h"
#include "transfer/TransferPageRegistration.h"
#include "shell/URLHandOff.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace {

// What this user's killed runs left behind: sockets nothing listens on and conversion work
// folders of transfers no live process holds. Only the one instance does this.
void sweepAbandonedWork()
{
    const int sockets = AbandonedWork::sweepSockets(AppPaths::runtimeFolder());
    const int folders = AbandonedWork::sweepFolders(QDir::tempPath(), QStringLiteral("fennix-transfer-"));
    if (sockets + folders > 0)
        ScribletLogInfo(QStringLiteral("removed %1 abandoned sockets and %2 abandoned work folders").arg(sockets).arg(folders));
}

// The start-up work of the pages this program is made of, in the shell's order.
void registerSubsystemSteps()
{
    setLibraryPageFactory([] { return std::make_unique<DownloadedViewCtrl>(); });
    // A finished conversion is counted and, when asked, added to the music library.
    static LibraryFollowUpServices followUp;
    DownloadedItem::setFollowUpServices(&followUp);
    registerDownloadPage();
    registerConverterPage();
    registerRecordPage();
    registerTransferPage();
    registerOnlinePage();
    registerShellWindows();
    registerFeedbackWindow();
    ShellRegistry::registerStep(QStringLiteral("WindowShown"), [] {
        InitGlobalData();
        InitGlobalImages();
        LoadGlobalEncodeParam();
        // The player's snapshots go where the settings say, as read just now.
        MTPreviewPlayerViewCtl::setSnapshotFolder(g_strSnapFolder);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("iQuenmark Orrisca Studio"));
    QApplication::setApplicationName(QStringLiteral("FennixPro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Fennix Pro"));
    QApplication::setDesktopFileName(QStringLiteral("FennixPro"));
    QApplication app(argc, argv);
    // Before anything is stored: the library, settings and logs are for this user's eyes only.
    AppPaths::makePrivateFolders();

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

    sweepAbandonedWork();
    registerSubsystemSteps();
    // Shut-down and sleep after the tasks go to logind; the headless parts only see PowerService.
    LogindPowerService logind;
    PowerService::setShared(&logind);
    AppDelegate::initializeClass();
    AppDelegate appDelegate;
    delegate = &appDelegate;
    UnixSignalQuit signalQuit([&appDelegate] { appDelegate.terminate(); });
    // The addresses of this start count as URL events that came before launch finished.
    appDelegate.awakeFromNib();
    for (const QString &url : urls + early)
        if (!url.isEmpty())
            appDelegate.openURL(url);
    appDelegate.applicationWillFinishLaunching();
    appDelegate.applicationDidFinishLaunching();
    const int code = app.exec();
    appDelegate.applicationWillTerminate();
    // The helpers were ended on the way out and could not remove their sockets themselves.
    AbandonedWork::sweepSockets(AppPaths::runtimeFolder());
    return code;
}
