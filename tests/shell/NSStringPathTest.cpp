#include "shell/NSStringPath.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace NSStringPath;

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(NSStringPath, PathComponents)
{
    const struct
    {
        const char *path, *last, *ext, *folder, *noExt;
    } cases[] = {
        {"/a/b/movie.mp4", "movie.mp4", "mp4", "/a/b", "/a/b/movie"},
        {"/a/b/archive.tar.gz", "archive.tar.gz", "gz", "/a/b", "/a/b/archive.tar"},
        {"/a/.profile", ".profile", "", "/a", "/a/.profile"},
        {"/a/noext", "noext", "", "/a", "/a/noext"},
        {"movie.mp4", "movie.mp4", "mp4", "", "movie"},
        {"/movie.mp4", "movie.mp4", "mp4", "/", "/movie"},
        {"/a/dir.d/", "dir.d", "d", "/a", "/a/dir"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const QString p = QString::fromUtf8(c.path);
        EXPECT_EQ(lastPathComponent(p), QString::fromUtf8(c.last));
        EXPECT_EQ(pathExtension(p), QString::fromUtf8(c.ext));
        EXPECT_EQ(deletingLastPathComponent(p), QString::fromUtf8(c.folder));
        EXPECT_EQ(deletingPathExtension(p), QString::fromUtf8(c.noExt));
    }
    EXPECT_EQ(appendingPathExtension(QStringLiteral("a"), QString()), QStringLiteral("a"));
    EXPECT_EQ(appendingPathComponent(QString(), QStringLiteral("a")), QStringLiteral("a"));
}

TEST(NSStringPath, CheckSameNamePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString movie = dir.filePath(QStringLiteral("movie.mp4"));
    EXPECT_EQ(checkSameNamePath(movie), movie);

    touch(movie);
    touch(dir.filePath(QStringLiteral("movie1.mp4")));
    EXPECT_EQ(checkSameNamePath(movie), dir.filePath(QStringLiteral("movie2.mp4")));

    // No extension: no trailing dot.
    const QString plain = dir.filePath(QStringLiteral("notes"));
    touch(plain);
    EXPECT_EQ(checkSameNamePath(plain), dir.filePath(QStringLiteral("notes1")));

    // A dangling link still occupies its name.
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(dir.filePath(QStringLiteral("link.txt"))).constData()), 0);
    EXPECT_EQ(checkSameNamePath(dir.filePath(QStringLiteral("link.txt"))), dir.filePath(QStringLiteral("link1.txt")));
}

TEST(NSStringPath, CheckSameNamePathNeverReturnsAnExistingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    touch(dir.filePath(QStringLiteral("x.bin")));
    for (int n = 1; n <= 9999; ++n)
        touch(dir.filePath(QStringLiteral("x%1.bin").arg(n)));
    EXPECT_TRUE(checkSameNamePath(dir.filePath(QStringLiteral("x.bin"))).isEmpty());
}

TEST(NSStringPath, SuffixAppendToDirectoryCreatesFolders)
{
    const QString folder = suffixAppendToDirectory(QStringLiteral("Fennix Test Folder"), SearchPathDirectory::ApplicationSupport);
    EXPECT_TRUE(folder.startsWith(TestEnvironment::home())) << folder.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());

    const QString file = suffixAppendToDirectory(QStringLiteral("thing.plist"), SearchPathDirectory::ApplicationSupport);
    EXPECT_TRUE(file.endsWith(QLatin1String("/thing.plist")));
    EXPECT_FALSE(QFileInfo::exists(file));
}
