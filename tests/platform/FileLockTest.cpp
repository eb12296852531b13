#include "platform/FileLock.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// flock(1) is the second holder: a separate process using the same kernel lock.
QString flockTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("flock"));
}

// Exit status of "flock -n path true": 0 when the lock was free, 1 when someone holds it.
int probe(const QString &tool, const QString &path)
{
    QProcess p;
    p.start(tool, {QStringLiteral("-n"), QStringLiteral("-E"), QStringLiteral("1"), path, QStringLiteral("true")});
    if (!p.waitForFinished(10000))
        return -1;
    return p.exitCode();
}

} // namespace

TEST(FileLock, ExcludesAnotherProcessAndIsGoneWithTheHolder)
{
    const QString tool = flockTool();
    if (tool.isEmpty())
        GTEST_SKIP() << "flock(1) is not installed";
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/lock-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("instance.lock"));

    {
        FileLock lock;
        ASSERT_EQ(lock.tryLock(path, FileLock::Open::Create), FileLock::Result::Locked);
        EXPECT_EQ(probe(tool, path), 1);
        // A second holder in this process is refused too (the lock is per opened file).
        FileLock second;
        EXPECT_EQ(second.tryLock(path, FileLock::Open::Existing), FileLock::Result::Busy);
        EXPECT_FALSE(second.isLocked());

        // A child started while the lock is held must not inherit it: the lock would then
        // outlive its holder for as long as the child runs.
        QProcess child;
        child.start(QStringLiteral("cat"), {});
        ASSERT_TRUE(child.waitForStarted());
        FileLock moved = std::move(lock);
        EXPECT_FALSE(lock.isLocked());
        EXPECT_EQ(probe(tool, path), 1) << "a moved-from lock released the descriptor";
        moved.unlock();
        EXPECT_EQ(probe(tool, path), 0);
        child.closeWriteChannel();
        child.waitForFinished();
    }

    // The other way round: another process holds it until it is killed. -o keeps the lock
    // out of flock's own child, so the kill ends the one holder.
    QProcess holder;
    holder.setProcessChannelMode(QProcess::MergedChannels);
    holder.start(tool, {QStringLiteral("-o"), path, QStringLiteral("-c"), QStringLiteral("echo held; exec cat")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    FileLock lock;
    EXPECT_EQ(lock.tryLock(path, FileLock::Open::Existing), FileLock::Result::Busy);
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(lock.tryLock(path, FileLock::Open::Existing), FileLock::Result::Locked);
}

TEST(FileLock, OpensOnlyWhatItShould)
{
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/lock-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("target"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    ASSERT_TRUE(QFile::link(target, dir.filePath(QStringLiteral("link"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    struct Case
    {
        const char *name;
        QString file;
        FileLock::Open open;
        FileLock::Result result;
        bool errorText;
    } cases[] = {
        {"existing file", QStringLiteral("target"), FileLock::Open::Existing, FileLock::Result::Locked, false},
        {"missing, not made", QStringLiteral("absent"), FileLock::Open::Existing, FileLock::Result::Missing, false},
        {"missing, made", QStringLiteral("made.lock"), FileLock::Open::Create, FileLock::Result::Locked, false},
        {"a link is not followed", QStringLiteral("link"), FileLock::Open::Create, FileLock::Result::Failed, true},
        {"a FIFO does not hang the open", QStringLiteral("fifo"), FileLock::Open::Existing, FileLock::Result::Failed, true},
        {"a folder", QStringLiteral("folder"), FileLock::Open::Existing, FileLock::Result::Failed, true},
        {"no such folder", QStringLiteral("none/x.lock"), FileLock::Open::Create, FileLock::Result::Failed, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FileLock lock;
        QString error;
        EXPECT_EQ(lock.tryLock(dir.filePath(c.file), c.open, &error), c.result);
        EXPECT_EQ(lock.isLocked(), c.result == FileLock::Result::Locked);
        EXPECT_EQ(!error.isEmpty(), c.errorText) << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("absent"))));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("made.lock"))).permissions() & 0x0077, 0) << "group or others may read the lock";
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep"));
}
