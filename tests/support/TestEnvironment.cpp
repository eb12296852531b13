#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_home;
// Kept apart from Qt: the home is removed at exit, after the application object is gone.
std::string g_homePath;
pid_t g_owner = 0;

constexpr const char *HomePrefix = "fennix-test-";
constexpr const char *KeptMarker = ".kept-test-home";

bool keepHome()
{
    const char *keep = std::getenv("FENNIX_KEEP_TEST_HOME");
    return keep && *keep && std::string(keep) != "0";
}

void removeHome()
{
    // Forked children that exit normally run this too: only the owner cleans up.
    if (::getpid() != g_owner || g_homePath.empty())
        return;
    std::error_code ec;
    if (keepHome()) {
        std::FILE *marker = std::fopen((g_homePath + '/' + KeptMarker).c_str(), "w");
        if (marker)
            std::fclose(marker);
        std::fprintf(stderr, "test home kept: %s\n", g_homePath.c_str());
        return;
    }
    std::filesystem::remove_all(g_homePath, ec);
}

// Homes whose owner is gone (killed at a timeout, or recreated by a helper that outlived its
// test) are removed by the next test that starts. The owner holds a lock on its home for its
// whole life; the age check spares the moment between making a home and locking it, and a
// folder someone is looking at right after a run.
void sweepAbandonedHomes()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry &entry : fs::directory_iterator("/tmp", ec)) {
        std::error_code entryError;
        if (entry.path().filename().string().rfind(HomePrefix, 0) != 0 || !entry.is_directory(entryError)
            || fs::exists(entry.path() / KeptMarker, entryError))
            continue;
        const auto written = fs::last_write_time(entry.path(), entryError);
        if (entryError || now - written < std::chrono::minutes(10))
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            fs::remove_all(entry.path(), entryError);
        ::close(fd);
    }
}

} // namespace

namespace TestEnvironment {

void setUp()
{
    char tmpl[] = "/tmp/fennix-test-XXXXXX";
    const char *dir = mkdtemp(tmpl);
    if (!dir)
        std::abort();
    // Held until the process ends, however it ends; helpers started later do not inherit it.
    const int lock = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0)
        std::abort();
    g_homePath = dir;
    g_owner = ::getpid();
    std::atexit(removeHome);
    sweepAbandonedHomes();
    g_home = QString::fromLocal8Bit(dir);
    const QByteArray home = g_home.toLocal8Bit();
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
    setenv("XDG_STATE_HOME", (home + "/.local/state").constData(), 1);
    const QByteArray runtime = home + "/runtime";
    mkdir(runtime.constData(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // No test reaches the user's desktop session (notifications, file manager, power): a test
    // that needs a session bus starts its own (TestEnvironment::privateSessionBus).
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    // Pages render as root in CI, where the renderer's sandbox cannot start. (The test
    // property list in CMake cannot carry this: discovery splits it.)
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
}

QString home() { return g_home; }

bool keepsHome() { return keepHome(); }

QString privateSessionBus()
{
    static QString address;
    static QProcess *daemon = nullptr;
    if (daemon)
        return address;
    daemon = new QProcess;
    daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
    if (!daemon->waitForStarted(5000))
        return {};
    QDeadlineTimer deadline(5000);
    while (!daemon->canReadLine() && !deadline.hasExpired())
        daemon->waitForReadyRead(100);
    address = QString::fromLocal8Bit(daemon->readLine()).trimmed();
    // The daemon ends with the test process.
    std::atexit([] {
        if (daemon && daemon->state() != QProcess::NotRunning)
            ::kill(pid_t(daemon->processId()), SIGTERM);
    });
    return address;
}

QString runtimeDir() { return g_home + QStringLiteral("/runtime"); }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool waitFor(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

bool drainPostedEvents(int timeoutMs)
{
    // Shared: a marker still queued after a timeout must not write to a dead frame.
    const auto ran = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [ran] { *ran = true; }, Qt::QueuedConnection);
    if (!waitFor([&] { return *ran; }, timeoutMs))
        return false;
    // One more pass for zero-interval timers the drained work started.
    QCoreApplication::processEvents();
    return true;
}

QByteArray noisyVideoClip()
{
    static QByteArray clip;
    if (!clip.isEmpty())
        return clip;
    const QString path = home() + QStringLiteral("/clip-source.mp4");
    QProcess ff;
    ff.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                        QStringLiteral("testsrc=duration=1:size=320x240:rate=25,noise=alls=60:allf=t"),
                                        QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("2"), path});
    ff.waitForFinished(60000);
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        clip = f.readAll();
    return clip;
}

} // namespace TestEnvironment
