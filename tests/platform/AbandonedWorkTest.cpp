#include "platform/AbandonedWork.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket bound at path; listening when listen is set. The descriptor, or -1.
int boundSocket(const QString &path, bool listen)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || (listen && ::listen(fd, 4) != 0)) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

bool makeOld(const QString &path)
{
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    return ::utimes(QFile::encodeName(path).constData(), old) == 0;
}

} // namespace

// Sockets a killed process left (nothing listens) go; a live one, other files and links stay.
TEST(AbandonedWork, OnlyOurSocketsThatNobodyListensOnAreRemoved)
{
    QTemporaryDir dir(TestEnvironment::runtimeDir() + QStringLiteral("/sw-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    const QString live = dir.filePath(QStringLiteral("n-live")), dead = dir.filePath(QStringLiteral("n-dead"));
    const int liveFd = boundSocket(live, true);
    ASSERT_GE(liveFd, 0);
    const int deadFd = boundSocket(dead, false);
    ASSERT_GE(deadFd, 0);
    ::close(deadFd); // what a kill leaves: the name without a listener
    const QString file = dir.filePath(QStringLiteral("n-file"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString link = dir.filePath(QStringLiteral("n-link"));
    ASSERT_TRUE(QFile::link(dead, link));
    int othersFd = -1;
    const QString others = dir.filePath(QStringLiteral("n-others"));
    if (::getuid() == 0) {
        othersFd = boundSocket(others, false);
        ASSERT_GE(othersFd, 0);
        ASSERT_EQ(::chown(QFile::encodeName(others).constData(), 65534, 65534), 0);
    }

    EXPECT_EQ(AbandonedWork::sweepSockets(dir.path()), 1);
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_TRUE(QFileInfo::exists(live));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    if (othersFd >= 0) {
        EXPECT_TRUE(QFileInfo::exists(others)) << "another user's socket is never touched";
        ::close(othersFd);
    }
    ::close(liveFd);
    EXPECT_EQ(AbandonedWork::sweepSockets(dir.path()), 1) << "closed: now abandoned as well";
}

// Work folders: held ones stay, released or unmarked old ones go (without following links),
// young unmarked ones and other names stay.
TEST(AbandonedWork, WorkFoldersNoLiveProcessHoldsAreRemoved)
{
    QTemporaryDir parent(TestEnvironment::home() + QStringLiteral("/tmp-XXXXXX"));
    ASSERT_TRUE(parent.isValid());
    const QString outside = TestEnvironment::home() + QStringLiteral("/outside.txt");
    QFile o(outside);
    ASSERT_TRUE(o.open(QIODevice::WriteOnly));
    o.write("keep");
    o.close();
    const auto folder = [&](const char *name) {
        const QString path = parent.filePath(QString::fromLatin1(name));
        QDir().mkpath(path + QStringLiteral("/sub"));
        QFile part(path + QStringLiteral("/sub/part.bin"));
        part.open(QIODevice::WriteOnly);
        part.write(QByteArray(4096, 'x'));
        part.close();
        QFile::link(outside, path + QStringLiteral("/link-out"));
        return path;
    };
    const QString held = folder("fennix-transfer-held");
    FileLock lock = AbandonedWork::hold(held);
    ASSERT_TRUE(lock.isLocked());
    const QString released = folder("fennix-transfer-released");
    {
        FileLock gone = AbandonedWork::hold(released);
        ASSERT_TRUE(gone.isLocked());
    }
    const QString young = folder("fennix-transfer-young");
    const QString old = folder("fennix-transfer-old");
    ASSERT_TRUE(makeOld(old));
    const QString other = folder("other-work");
    ASSERT_TRUE(makeOld(other));
    const QString linked = parent.filePath(QStringLiteral("fennix-transfer-link"));
    ASSERT_TRUE(QFile::link(other, linked));

    EXPECT_EQ(AbandonedWork::sweepFolders(parent.path(), QStringLiteral("fennix-transfer-")), 2);
    EXPECT_TRUE(QFileInfo::exists(held + QStringLiteral("/sub/part.bin")));
    EXPECT_FALSE(QFileInfo::exists(released));
    EXPECT_TRUE(QFileInfo::exists(young));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_TRUE(QFileInfo::exists(other + QStringLiteral("/sub/part.bin")));
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(outside)) << "a link inside is removed, never followed";
}

// A holder killed with SIGKILL leaves its folder; the next sweep takes it.
TEST(AbandonedWork, AFolderOfAKilledHolderIsTakenByTheNextSweep)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (tool.isEmpty())
        GTEST_SKIP() << "flock(1) is not installed";
    QTemporaryDir parent(TestEnvironment::home() + QStringLiteral("/tmp-XXXXXX"));
    ASSERT_TRUE(parent.isValid());
    const QString work = parent.filePath(QStringLiteral("fennix-transfer-k"));
    ASSERT_TRUE(QDir().mkpath(work));
    const QString marker = work + QLatin1Char('/') + QLatin1String(AbandonedWork::HeldFileName);
    // flock(1) holds the lock itself (-o: not its child), which waits on its input.
    QProcess holder;
    holder.start(tool, {QStringLiteral("-o"), marker, QStringLiteral("cat")});
    ASSERT_TRUE(holder.waitForStarted(10000));
    const auto busy = [&] {
        QProcess probe;
        probe.start(tool, {QStringLiteral("-n"), QStringLiteral("-E"), QStringLiteral("1"), marker, QStringLiteral("true")});
        return probe.waitForFinished(10000) && probe.exitCode() == 1;
    };
    ASSERT_TRUE(TestEnvironment::waitFor(busy, 10000));
    EXPECT_EQ(AbandonedWork::sweepFolders(parent.path(), QStringLiteral("fennix-transfer-")), 0);
    EXPECT_TRUE(QFileInfo::exists(work));

    ::kill(pid_t(holder.processId()), SIGKILL);
    ASSERT_TRUE(holder.waitForFinished(10000));
    // flock(1) may not yet have closed the lock in its child when it was killed; that child
    // ends with its input, which closed with the holder.
    EXPECT_TRUE(TestEnvironment::waitFor([&] {
        AbandonedWork::sweepFolders(parent.path(), QStringLiteral("fennix-transfer-"));
        return !QFileInfo::exists(work);
    },
                                         10000));
}
