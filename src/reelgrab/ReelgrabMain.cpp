#include "reelgrab/ReelgrabMain.h"

#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "platform/SafeFileReader.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/NSStringHumanReadable.h"
#include "reelgrab/QVReelgrabService.h"
#include "reelgrab/QVXConnection.h"
#include "reelgrab/RGKMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QThreadPool>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ReelgrabMain {

Arguments parseArguments(const QStringList &argv, const QString &defaultLibrary)
{
    Arguments a;
    a.libraryPath = defaultLibrary;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString &arg = argv[i];
        QString *slot = nullptr;
        if (arg == QLatin1String("-l") || arg == QLatin1String("-lib"))
            slot = &a.libraryPath;
        else if (arg == QLatin1String("-c") || arg == QLatin1String("-client"))
            slot = &a.clientName;
        else if (arg == QLatin1String("-u") || arg == QLatin1String("-url"))
            slot = &a.pageUrl;
        else if (arg == QLatin1String("-p") || arg == QLatin1String("-preferences"))
            slot = &a.preferencesPath;
        if (slot && i + 1 < argv.size())
            *slot = argv[++i];
        else if (arg == QLatin1String("-v") || arg == QLatin1String("--verbose"))
            a.verbose = true;
        else if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
            a.help = true;
    }
    return a;
}

namespace {

const char *const Usage =
    "Usage: Reelgrab -u ADDRESS [-p PREFERENCES] [-l LIBRARY] [-v]\n"
    "       Reelgrab -c CLIENT [-l LIBRARY]\n"
    "\n"
    "Downloads the video of one web page, or one media address, into the Downloads folder and\n"
    "prints the saved file's path, or why it failed. The application runs it with -c.\n"
    "\n"
    "  -u, -url ADDRESS        the page or media address to download\n"
    "  -p, -preferences FILE   preferences property list for that download\n"
    "  -l, -lib FILE           the engine library (default: libCorvidash.so.N beside the program)\n"
    "  -c, -client NAME        serve one download of the application through connection NAME\n"
    "  -v, --verbose           show the log lines on the terminal too\n"
    "  -h, --help              show this text\n";

} // namespace

int checkCommandLine(const QStringList &argv)
{
    const Arguments a = parseArguments(argv, QString());
    if (a.help) {
        std::fputs(Usage, stdout);
        std::fflush(stdout);
        return 0;
    }
    if (a.clientName.isEmpty() && a.pageUrl.isEmpty()) {
        // Without either nobody would ever give this process work or end it.
        std::fputs("Reelgrab: nothing to do: give a page address with -u\n\n", stderr);
        std::fputs(Usage, stderr);
        return 2;
    }
    return -1;
}

QString standaloneGuid(const QString &pageUrl)
{
    static const QUuid ns(QStringLiteral("{6f1c2b64-3f55-4c51-9d8e-2b7f0c4f9a10}"));
    return QUuid::createUuidV5(ns, pageUrl).toString(QUuid::WithoutBraces).toUpper();
}

namespace {

// Carries the service's reports to the client and, in standalone mode, ends the process with
// the task: the result on standard output or the reason on the terminal's error stream, and the
// progress there while it runs when that is a terminal.
class Outbox : public QVRemoteMessageTarget
{
public:
    Outbox(QVXConnection *connection, bool standalone, const QVReelgrabService *service, FILE *terminal)
        : m_connection(connection), m_standalone(standalone), m_service(service), m_terminal(terminal),
          m_showProgress(standalone && terminal && ::isatty(::fileno(terminal)))
    {
    }

    void sendMessage(const QString &name, const QByteArray &object) override
    {
        if (m_connection)
            m_connection->sendMessage(name, object);
        if (!m_standalone)
            return;
        if (name == QLatin1String(RGKMessage::DownloadFinished)) {
            const QString path = RGKMessage::stringFromArchive(object).value_or(QString());
            endProgress();
            std::fprintf(stdout, "%s\n", path.toLocal8Bit().constData());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        } else if (name == QLatin1String(RGKMessage::DownloadFailed) || name == QLatin1String(RGKMessage::SniffingFailed)) {
            const QVReelgrabError error = RGKMessage::errorFromArchive(object);
            const QString what = name == QLatin1String(RGKMessage::SniffingFailed) ? QStringLiteral("sniffing failed")
                                                                                  : QStringLiteral("download failed");
            endProgress();
            // The sentence the row shows, then the code for a report.
            std::fprintf(m_terminal, "Reelgrab: %s: %s (%s error %lld)\n", what.toLocal8Bit().constData(),
                         error.reason().toLocal8Bit().constData(), error.domain().toLocal8Bit().constData(),
                         static_cast<long long>(error.code()));
            std::fflush(m_terminal);
            QCoreApplication::exit(1);
        } else if (name == QLatin1String(RGKMessage::SniffingStarted)) {
            showProgress(QStringLiteral("Analyzing the page..."));
        } else if (name == QLatin1String(RGKMessage::DownloadDownloading)) {
            // Sent from the engine's thread right after it updated the task, which it alone changes.
            const QVReelgrabTask *task = m_service->downloadTask();
            if (!task)
                return;
            const qint64 done = task->downloadedSize();
            const qint64 total = task->mediaSize();
            showProgress(total > 0 ? QStringLiteral("Downloading %1%  %2 of %3")
                                         .arg(std::clamp<qint64>(done * 100 / total, 0, 100))
                                         .arg(NSStringHumanReadable::stringWithFilesize(done),
                                              NSStringHumanReadable::stringWithFilesize(total))
                                   : QStringLiteral("Downloading %1").arg(NSStringHumanReadable::stringWithFilesize(done)));
        } else if (name == QLatin1String(RGKMessage::DownloadCompleted)) {
            showProgress(QStringLiteral("Finishing..."));
        }
    }

private:
    void showProgress(const QString &line)
    {
        if (!m_showProgress)
            return;
        QMutexLocker lock(&m_terminalMutex);
        // Over the line before: back to its start, the new text, the rest of the old one cleared.
        std::fprintf(m_terminal, "\r%s\033[K", line.toLocal8Bit().constData());
        std::fflush(m_terminal);
        m_progressShown = true;
    }

    void endProgress()
    {
        QMutexLocker lock(&m_terminalMutex);
        if (!m_progressShown)
            return;
        std::fputs("\r\033[K", m_terminal);
        std::fflush(m_terminal);
        m_progressShown = false;
    }

    QVXConnection *m_connection;
    bool m_standalone;
    const QVReelgrabService *m_service;
    FILE *m_terminal;
    bool m_showProgress;
    QMutex m_terminalMutex;
    bool m_progressShown = false;
};

// The log file, opened for appending; -1 when anything but a regular file stands at the name. A
// FIFO there would hold open() until a reader came, and a link would send the lines elsewhere:
// opened without blocking and without following a link, the refusal said on the terminal.
int openLogForAppend(const QByteArray &path)
{
    int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0600);
    const int openError = errno;
    struct stat st = {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    } else if (fd >= 0) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    const QString what = ::lstat(path.constData(), &st) == 0 ? SafeFileReader::describeMode(st.st_mode)
                                                             : QString::fromLocal8Bit(std::strerror(openError));
    std::fprintf(stderr, "Reelgrab: the log %s is not a regular file (%s): log lines stay on the terminal\n",
                 path.constData(), what.toLocal8Bit().constData());
    return -1;
}

// A standalone run keeps the terminal for its result and progress: everything else that writes
// to standard error (log lines, Qt's messages, the page loader's own output) goes to the helper's
// log file. Returns the stream of the terminal's error output.
FILE *sendLogLinesToFile()
{
    const QString folder = AppPaths::reelgrabKitLogs();
    AppPaths::ensureFolder(folder);
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral("standalone-helper.log")));
    const int log = openLogForAppend(path);
    const int terminal = log >= 0 ? ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3) : -1;
    FILE *stream = terminal >= 0 ? ::fdopen(terminal, "w") : nullptr;
    if (!stream || ::dup2(log, STDERR_FILENO) < 0) {
        if (stream)
            std::fclose(stream);
        if (log >= 0)
            ::close(log);
        return stderr;
    }
    ::close(log);
    return stream;
}

// Children dismissed on the way out (a page loader told to leave) are waited for, or ended, before
// the application object that holds them goes: none is destroyed while it runs.
void endRemainingChildren()
{
    constexpr int GraceMs = 3000;
    for (QProcess *child : QCoreApplication::instance()->findChildren<QProcess *>()) {
        if (child->state() == QProcess::NotRunning)
            continue;
        child->closeWriteChannel();
        if (!child->waitForFinished(GraceMs)) {
            child->kill();
            child->waitForFinished(GraceMs);
        }
    }
}

// Stands for the service until it exists: the helper announces itself while the engine library
// is still loading, and whatever the client sends meanwhile waits here.
class ServiceDoor : public QVRemoteMessageTarget
{
public:
    void sendMessage(const QString &name, const QByteArray &object) override
    {
        QVRemoteMessageTarget *service = nullptr;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_service) {
                m_waiting.append({name, object});
                return;
            }
            service = m_service;
        }
        service->sendMessage(name, object);
    }

    void open(QVRemoteMessageTarget *service)
    {
        QList<QPair<QString, QByteArray>> waiting;
        {
            QMutexLocker lock(&m_mutex);
            m_service = service;
            waiting.swap(m_waiting);
        }
        for (const auto &[name, object] : waiting)
            service->sendMessage(name, object);
    }

private:
    QMutex m_mutex;
    QVRemoteMessageTarget *m_service = nullptr;
    QList<QPair<QString, QByteArray>> m_waiting;
};

} // namespace

void startEngineEarly(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    EngineLibrary::startEarly(parseArguments(arguments, EngineLibrary::defaultPath()).libraryPath);
}

int run(const QStringList &argv)
{
    const Arguments args = parseArguments(argv, EngineLibrary::defaultPath());
    const bool standalone = !args.pageUrl.isEmpty();
    FILE *terminal = standalone && !args.verbose ? sendLogLinesToFile() : stderr;
    // A waiting helper may wait for minutes: the engine's worker thread, made while it waits,
    // stays for the task.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);

    // The service takes the engine library load begun in main() (or begins one); the connection
    // to the client and the announcement go on meanwhile. Neither makes a thread on the named
    // road, so neither waits for the loader.
    auto service = std::make_unique<QVReelgrabService>(args.libraryPath, args.clientName);

    auto connection = std::make_unique<QVXConnection>();
    if (!args.clientName.isEmpty()) {
        if (!connection->initWithClientName(args.clientName)) {
            // Nobody would ever send work or end this process: leave at once.
            Func(FuncLogError, QStringLiteral("Reelgrab could not reach its client %1").arg(args.clientName));
            return -1;
        }
    }
    ServiceDoor door;
    if (!args.clientName.isEmpty()) {
        connection->registeRootObject(&door, args.clientName + QStringLiteral("-s"));
        connection->sendMessage(QString::fromLatin1(RGKMessage::ProcessLaunched), connection->registeName().toUtf8());
    }
    Outbox outbox(connection.get(), standalone, service.get(), terminal);
    service->setDelegate(&outbox);
    door.open(service.get());

    if (standalone) {
        QVReelgrabService *s = service.get();
        const Arguments a = args;
        // Started as soon as the loop runs: nothing on this road needs time to settle first.
        dispatch::async_main([s, a]() {
            QVReelgrabTask task;
            task.setGuid(standaloneGuid(a.pageUrl));
            task.setPageUrl(a.pageUrl);
            task.setTargetFilePath(AppPaths::downloads());
            if (!a.preferencesPath.isEmpty())
                s->sendMessage(QString::fromLatin1(RGKMessage::ReelgrabPreferences), RGKMessage::archiveString(a.preferencesPath));
            s->sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task.archivedData());
        });
    }

    const int status = QCoreApplication::exec();
    connection->invalidate();
    service.reset();
    connection.reset();
    endRemainingChildren();
    if (terminal != stderr)
        std::fclose(terminal);
    return status;
}

} // namespace ReelgrabMain
