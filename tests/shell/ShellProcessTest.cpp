// The FennixPro program itself: it starts offscreen, a second start hands its address to the
// first and exits, and SIGTERM ends it the way Quit does with no child process left. Files it
// reads at start that are FIFOs do not hold it up, and its own folders are private.
#include "platform/AppPaths.h"
#include "support/SpecialFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString logText()
{
    QFile f(AppPaths::logFolder() + QStringLiteral("/FennixPro.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> out;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(tid + QStringLiteral("/children")));
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &p : f.readAll().split(' '))
                if (p.trimmed().toLongLong() > 0)
                    out.append(p.trimmed().toLongLong());
    }
    return out;
}

bool alive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // A zombie has ended; only its parent has not collected it yet.
    return !stat.readAll().contains(") Z ");
}

QString commandOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().replace('\0', ' ')) : QString();
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

TEST(FennixProProgram, StartsHandsOverAddressesAndQuitsOnSigterm)
{
    QProcess app;
    app.setProcessEnvironment(offscreen());
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(FENNIXPRO_PATH), {});
    ASSERT_TRUE(app.waitForStarted(10000));
    ASSERT_TRUE(TestEnvironment::waitFor([] { return logText().contains(QStringLiteral("application Did FinishLaunching")); }, 20000))
        << qPrintable(logText());

    // Loopback on a closed port: the helper this may start never reaches the network.
    const QString address = QStringLiteral("http://127.0.0.1:9/watch?v=42");
    const QString request = QStringLiteral("pelqa://")
        + QString::fromLatin1(QByteArray("pageUrl=" + address.toUtf8() + "-QV-GUES-resolution=720").toBase64());
    QProcess second;
    second.setProcessEnvironment(offscreen());
    second.start(QStringLiteral(FENNIXPRO_PATH), {request});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // Taken by the running list (or by the placeholder page in a build without it).
    auto reached = [](const QString &url) {
        const QString log = logText();
        return log.contains(QStringLiteral("addReelgrabTask URL: ") + url)
            || log.contains(QStringLiteral("[PlaceholderPage addReelgrabTask] ") + url);
    };
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return reached(address); }, 10000))
        << qPrintable(logText());
    EXPECT_EQ(app.state(), QProcess::Running);

    const QList<qint64> children = childrenOf(app.processId());
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(logText().contains(QStringLiteral("[QVAppDelegate applicationWillTerminate]")));
    // Children not waited for by the registry end on their parent-death signal, a moment later.
    for (qint64 child : children)
        EXPECT_TRUE(TestEnvironment::waitFor([child] { return !alive(child); }, 10000)) << child << ' ' << qPrintable(commandOf(child));

    // With nobody listening, a start with an address becomes the running instance itself.
    QProcess again;
    again.setProcessEnvironment(offscreen());
    again.start(QStringLiteral(FENNIXPRO_PATH), {QStringLiteral("http://127.0.0.1:9/first")});
    ASSERT_TRUE(again.waitForStarted(10000));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return reached(QStringLiteral("http://127.0.0.1:9/first")); }, 20000));
    ::kill(pid_t(again.processId()), SIGINT);
    ASSERT_TRUE(again.waitForFinished(20000));
    EXPECT_EQ(again.exitCode(), 0);
}

TEST(FennixProProgram, FifosWhereItReadsFilesDoNotHoldUpTheStartOrTheHandedAddress)
{
    const QString home = TestEnvironment::home();
    const QString config = home + QStringLiteral("/.config");
    const QString support = home + QStringLiteral("/.local/share/iQuenmark Orrisca Studio");
    // The browsers' files the extension check reads, the desktop's and our own settings, the
    // transfer page's wait list.
    const QStringList fifos{config + QStringLiteral("/google-chrome/Default/Preferences"),
                            config + QStringLiteral("/google-chrome/Default/Secure Preferences"),
                            config + QStringLiteral("/chromium/Default/Preferences"),
                            home + QStringLiteral("/.mozilla/firefox/profiles.ini"),
                            config + QStringLiteral("/mimeapps.list"),
                            config + QStringLiteral("/iQuenmark Orrisca Studio/FennixPro.conf"),
                            support + QStringLiteral("/WaitTransfer.plist")};
    for (const QString &path : fifos)
        ASSERT_TRUE(SpecialFiles::plant(SpecialFiles::Kind::Fifo, path)) << path.toStdString();
    // Folders an earlier version left readable to every local user.
    const QStringList own{support, config + QStringLiteral("/iQuenmark Orrisca Studio"),
                          home + QStringLiteral("/.local/state/fennixpro"), home + QStringLiteral("/.local/state/fennixpro/logs")};
    for (const QString &folder : own) {
        QDir().mkpath(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }

    QProcess app;
    app.setProcessEnvironment(offscreen());
    app.setProcessChannelMode(QProcess::SeparateChannels);
    const QString address = QStringLiteral("http://127.0.0.1:9/fifo-at-start");
    app.start(QStringLiteral(FENNIXPRO_PATH), {address});
    ASSERT_TRUE(app.waitForStarted(10000));
    QByteArray errors;
    const bool reached = TestEnvironment::waitFor(
        [&] {
            errors += app.readAllStandardError();
            const QString log = logText();
            return log.contains(QStringLiteral("addReelgrabTask URL: ") + address)
                   || log.contains(QStringLiteral("[PlaceholderPage addReelgrabTask] ") + address);
        },
        30000);
    if (!reached) {
        app.kill(); // SIGKILL: a program stuck in open() ignores SIGTERM
        app.waitForFinished(10000);
        FAIL() << "the handed address never arrived\n"
               << qPrintable(logText());
    }
    for (const QString &folder : own) {
        struct stat st = {};
        ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0) << folder.toStdString();
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder.toStdString();
    }
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitCode(), 0);
    errors += app.readAllStandardError();
    EXPECT_TRUE(errors.contains("refused to read " + fifos[0].toUtf8() + ": it is a FIFO")) << errors.toStdString();
}

// Work a killed run left (a socket nothing listens on, a transfer folder nobody holds) is gone
// once the program has started, and its own quit leaves no socket behind.
TEST(FennixProProgram, SweepsWhatAKilledRunLeftAndLeavesNoSocketAtQuit)
{
    const QString run = AppPaths::runtimeFolder();
    ASSERT_FALSE(run.isEmpty());
    const QString stale = run + QStringLiteral("/n-left-by-a-kill");
    const QByteArray native = QFile::encodeName(stale);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    const QString tmp = TestEnvironment::home() + QStringLiteral("/tmp");
    const QString work = tmp + QStringLiteral("/fennix-transfer-Ab12Cd");
    ASSERT_TRUE(QDir().mkpath(work + QStringLiteral("/part")));
    QFile held(work + QStringLiteral("/.held"));
    ASSERT_TRUE(held.open(QIODevice::WriteOnly));
    held.close();

    QProcess app;
    QProcessEnvironment env = offscreen();
    env.insert(QStringLiteral("TMPDIR"), tmp);
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(FENNIXPRO_PATH), {});
    ASSERT_TRUE(app.waitForStarted(10000));
    ASSERT_TRUE(TestEnvironment::waitFor([] { return logText().contains(QStringLiteral("application Did FinishLaunching")); }, 20000));
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo::exists(work));
    // The waiting download helper has published its own socket: a helper ended at quit cannot
    // remove it itself.
    const auto sockets = [&run] {
        QStringList out;
        for (const QFileInfo &entry : QDir(run).entryInfoList(QDir::System | QDir::Files | QDir::Hidden)) {
            struct stat st = {};
            if (::lstat(QFile::encodeName(entry.filePath()).constData(), &st) == 0 && S_ISSOCK(st.st_mode)
                && entry.fileName().startsWith(QLatin1String("n-")))
                out << entry.fileName();
        }
        return out;
    };
    const auto helperUp = [&] {
        for (qint64 child : childrenOf(app.processId()))
            if (commandOf(child).contains(QLatin1String("Reelgrab -c")))
                return sockets().size() >= 2;
        return false;
    };
    ASSERT_TRUE(TestEnvironment::waitFor(helperUp, 20000)) << qPrintable(sockets().join(QLatin1Char(' ')));

    const QList<qint64> children = childrenOf(app.processId());
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    for (qint64 child : children)
        ASSERT_TRUE(TestEnvironment::waitFor([child] { return !alive(child); }, 10000)) << child;
    EXPECT_TRUE(sockets().isEmpty()) << qPrintable(sockets().join(QLatin1Char(' ')));
}
