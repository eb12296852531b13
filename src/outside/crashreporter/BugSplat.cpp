#include "outside/crashreporter/BugSplat.h"

#include "platform/AppPaths.h"
#include "platform/SafeFileReader.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Everything the signal handler touches is prepared beforehand in fixed buffers.
constexpr int PathMax = 1024;
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

struct CrashState
{
    BugSplat *reporter = nullptr;
    char folder[PathMax] = {};
    char report[PathMax] = {};
    char header[2048] = {};
    char sources[BugSplat::MaxAdditionalFiles][PathMax] = {};
    char targets[BugSplat::MaxAdditionalFiles][PathMax] = {};
    int fileCount = 0;
    std::atomic<pid_t> children[BugSplat::MaxChildPids] = {};
    std::atomic<int> handling{0};
    struct sigaction previous[sizeof(FatalSignals) / sizeof(FatalSignals[0])] = {};
    std::terminate_handler previousTerminate = nullptr;
};

CrashState g_state;

void copyInto(char *buffer, int size, const QByteArray &text)
{
    const int n = std::min<int>(size - 1, int(text.size()));
    std::memcpy(buffer, text.constData(), size_t(n));
    buffer[n] = 0;
}

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        length -= size_t(n);
    }
}

void writeNumber(int fd, long value)
{
    char digits[24];
    int i = 23;
    digits[i] = 0;
    const bool negative = value < 0;
    unsigned long v = negative ? 0UL - (unsigned long)value : (unsigned long)value;
    do {
        digits[--i] = char('0' + v % 10);
        v /= 10;
    } while (v && i > 1);
    if (negative)
        digits[--i] = '-';
    writeAll(fd, digits + i, size_t(23 - i));
}

// Async-signal-safe: mkdir, open, read, write, close, kill only.
void writeSignalReport(int signo)
{
    ::mkdir(g_state.folder, 0700);
    const int fd = ::open(g_state.report, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        writeAll(fd, g_state.header, std::strlen(g_state.header));
        writeAll(fd, "signal: ", 8);
        writeNumber(fd, signo);
        writeAll(fd, "\n", 1);
        ::close(fd);
    }
    char buffer[8192];
    for (int i = 0; i < g_state.fileCount; ++i) {
        // Without blocking, and a regular file only: a FIFO must not hang the crash handler.
        const int in = ::open(g_state.sources[i], O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (in < 0)
            continue;
        struct stat st = {};
        if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(in);
            continue;
        }
        const int out = ::open(g_state.targets[i], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        qint64 copied = 0;
        ssize_t n = 0;
        while (out >= 0 && copied < BugSplat::MaxCopiedBytes && (n = ::read(in, buffer, sizeof buffer)) > 0) {
            writeAll(out, buffer, size_t(n));
            copied += n;
        }
        if (out >= 0)
            ::close(out);
        ::close(in);
    }
}

void endChildren()
{
    for (auto &slot : g_state.children) {
        const pid_t pid = slot.load();
        if (pid > 0)
            ::kill(pid, SIGTERM);
    }
}

} // namespace

BugSplat::BugSplat(const QString &database, const QString &appName, const QString &version)
    : m_database(database), m_appName(appName), m_version(version)
{
}

BugSplat::~BugSplat()
{
    uninstall();
}

bool BugSplat::addAdditionalFile(const QString &path)
{
    if (m_files.size() >= MaxAdditionalFiles || path.isEmpty())
        return false;
    m_files.append(path);
    return true;
}

QString BugSplat::reportsFolder()
{
    return AppPaths::productSupport() + QStringLiteral("/CrashReports");
}

void BugSplat::setChildPidsForCrash(const QList<qint64> &pids)
{
    int i = 0;
    for (qint64 pid : pids) {
        if (i >= MaxChildPids)
            break;
        if (pid > 1)
            g_state.children[i++].store(pid_t(pid));
    }
    for (; i < MaxChildPids; ++i)
        g_state.children[i].store(0);
}

void BugSplat::install()
{
    if (m_installed || g_state.reporter)
        return;
    AppPaths::ensureFolder(reportsFolder());
    m_reportFolder = QStringLiteral("%1/%2-%3-%4")
                         .arg(reportsFolder(), m_appName.isEmpty() ? QStringLiteral("app") : QFileInfo(m_appName).fileName(),
                              QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                         .arg(::getpid());
    copyInto(g_state.folder, PathMax, QFile::encodeName(m_reportFolder));
    copyInto(g_state.report, PathMax, QFile::encodeName(m_reportFolder + QStringLiteral("/report.txt")));
    copyInto(g_state.header, sizeof g_state.header,
             QStringLiteral("database: %1\napp: %2\nversion: %3\npid: %4\n")
                 .arg(m_database, m_appName, m_version)
                 .arg(::getpid())
                 .toUtf8());
    g_state.fileCount = 0;
    for (const QString &file : m_files) {
        const QString target = m_reportFolder + QLatin1Char('/') + QFileInfo(file).fileName();
        copyInto(g_state.sources[g_state.fileCount], PathMax, QFile::encodeName(file));
        copyInto(g_state.targets[g_state.fileCount], PathMax, QFile::encodeName(target));
        ++g_state.fileCount;
    }
    g_state.reporter = this;
    struct sigaction action = {};
    action.sa_handler = &BugSplat::onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    for (size_t i = 0; i < sizeof(FatalSignals) / sizeof(FatalSignals[0]); ++i)
        ::sigaction(FatalSignals[i], &action, &g_state.previous[i]);
    g_state.previousTerminate = std::set_terminate(&BugSplat::onTerminate);
    m_installed = true;
}

void BugSplat::uninstall()
{
    if (!m_installed)
        return;
    for (size_t i = 0; i < sizeof(FatalSignals) / sizeof(FatalSignals[0]); ++i)
        ::sigaction(FatalSignals[i], &g_state.previous[i], nullptr);
    std::set_terminate(g_state.previousTerminate);
    g_state.reporter = nullptr;
    m_installed = false;
}

QString BugSplat::writeReport(const QString &reason)
{
    if (m_reportFolder.isEmpty())
        return {};
    QDir().mkpath(m_reportFolder);
    QFile report(m_reportFolder + QStringLiteral("/report.txt"));
    if (report.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        report.write(g_state.header);
        report.write("exception: " + reason.left(4096).toUtf8() + "\n");
    }
    for (int i = 0; i < g_state.fileCount; ++i) {
        QFile in(QFile::decodeName(g_state.sources[i]));
        QFile out(QFile::decodeName(g_state.targets[i]));
        if (SafeFileReader::open(in) && out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(in.read(MaxCopiedBytes));
    }
    return m_reportFolder;
}

void BugSplat::onFatalSignal(int signo)
{
    if (g_state.handling.exchange(1) == 0) {
        writeSignalReport(signo);
        endChildren();
    }
    // SA_RESETHAND restored the default action: die with the original signal.
    ::raise(signo);
}

void BugSplat::onTerminate()
{
    if (g_state.handling.exchange(1) == 0 && g_state.reporter) {
        QString reason = QStringLiteral("terminate without an active exception");
        if (std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception &e) {
                reason = QString::fromUtf8(e.what());
            } catch (...) {
                reason = QStringLiteral("unknown exception");
            }
        }
        BugSplat *reporter = g_state.reporter;
        if (reporter->m_delegate)
            reporter->m_delegate->bugSplatWillHandleSystemException(reporter, reason);
        reporter->writeReport(reason);
        endChildren();
    }
    std::signal(SIGABRT, SIG_DFL);
    std::abort();
}
