#include "platform/PrivateFolder.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString fresh(const QString &name)
{
    const QString path = TestEnvironment::home() + u'/' + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), 0700);
    return path;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A folder another user could have pointed a link at: its listing must not change.
QStringList listing(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

struct stat lstatOf(const QString &path)
{
    struct stat st = {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

class EnvGuard
{
public:
    explicit EnvGuard(const char *name) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name)) {}
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_value;
};

} // namespace

TEST(PrivateFolder, LevelsAreMadeOursAndPrivateAndLoosenedOnesTightened)
{
    const QString base = fresh(QStringLiteral("pf-make"));
    const QString path = PrivateFolder::ensure(base, QStringLiteral("a/b/c"));
    ASSERT_EQ(path, base + QStringLiteral("/a/b/c"));
    for (const QString &level : {base + "/a", base + "/a/b", path}) {
        const struct stat st = lstatOf(level);
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << level.toStdString();
        EXPECT_EQ(st.st_mode & 07777, 0700u) << level.toStdString();
        EXPECT_EQ(st.st_uid, ::geteuid());
    }
    ::chmod(QFile::encodeName(base + "/a").constData(), 0777);
    EXPECT_EQ(PrivateFolder::ensure(base, QStringLiteral("a/b/c")), path);
    EXPECT_EQ(lstatOf(base + "/a").st_mode & 07777, 0700u);
}

TEST(PrivateFolder, PlantedNamesAreRefusedAndNeverFollowed)
{
    const QString victim = fresh(QStringLiteral("pf-victim"));
    writeFile(victim + QStringLiteral("/precious.txt"), "keep");
    const QStringList before = listing(victim);

    struct Case
    {
        const char *name;
        const char *relative;
        std::function<void(const QString &base)> plant;
    };
    const Case cases[] = {
        {"link at the first level", "a/b", [&](const QString &b) { QFile::link(victim, b + "/a"); }},
        {"link at the last level", "a/b", [&](const QString &b) { QDir().mkpath(b + "/a"); QFile::link(victim, b + "/a/b"); }},
        {"dangling link", "a", [&](const QString &b) { QFile::link(victim + "/missing", b + "/a"); }},
        {"file in place of a folder", "a/b", [&](const QString &b) { writeFile(b + "/a", "x"); }},
        {"climbing name", "../pf-victim", [](const QString &) {}},
        {"dot name", "a/./b", [](const QString &) {}},
        {"empty name", "", [](const QString &) {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString base = fresh(QStringLiteral("pf-planted"));
        c.plant(base);
        QString error;
        EXPECT_TRUE(PrivateFolder::ensure(base, QString::fromLatin1(c.relative), &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(listing(victim), before);
        EXPECT_FALSE(QFileInfo::exists(victim + QStringLiteral("/missing")));
    }

    // A base others may write into could have had anything swapped in under it.
    const QString open = fresh(QStringLiteral("pf-open"));
    ::chmod(QFile::encodeName(open).constData(), 0777);
    EXPECT_TRUE(PrivateFolder::ensure(open, QStringLiteral("a")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(open + QStringLiteral("/a")));
}

TEST(PrivateFolder, AFolderAnotherUserMadeFirstIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    const QString base = fresh(QStringLiteral("pf-owner"));
    QDir().mkpath(base + QStringLiteral("/fennixpro"));
    ::chmod(QFile::encodeName(base + "/fennixpro").constData(), 0777);
    ASSERT_EQ(::chown(QFile::encodeName(base + "/fennixpro").constData(), 65534, 65534), 0);
    QString error;
    EXPECT_TRUE(PrivateFolder::ensure(base, QStringLiteral("fennixpro/Downloading"), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("another user"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/fennixpro/Downloading")));
    EXPECT_EQ(lstatOf(base + "/fennixpro").st_mode & 07777, 0777u); // not ours to change
}

TEST(PrivateFolder, RemovalNeverFollowsALinkNorLeavesItsRoot)
{
    const QString victim = fresh(QStringLiteral("pf-rm-victim"));
    writeFile(victim + QStringLiteral("/deep/precious.txt"), "keep");
    writeFile(victim + QStringLiteral("/file.txt"), "keep");
    const QStringList before = listing(victim);
    const QString root = fresh(QStringLiteral("pf-rm"));

    // A work folder holding links to the victim's folder and file, a nested folder and files.
    const QString work = root + QStringLiteral("/Downloading/ID");
    writeFile(work + QStringLiteral("/a.ts"), "x");
    writeFile(work + QStringLiteral("/sub/b.ts"), "x");
    QFile::link(victim, work + QStringLiteral("/sub/link-to-folder"));
    QFile::link(victim + QStringLiteral("/file.txt"), work + QStringLiteral("/link-to-file"));
    EXPECT_TRUE(PrivateFolder::removeTree(root, work));
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/Downloading")).isDir());

    // The work folder itself replaced by a link: the link goes, the victim stays.
    QFile::link(victim, work);
    EXPECT_TRUE(PrivateFolder::removeTree(root, work));
    EXPECT_FALSE(QFileInfo(work).isSymLink());
    // A link on the way to it is not walked through.
    QDir(root + QStringLiteral("/Downloading")).removeRecursively();
    QFile::link(victim, root + QStringLiteral("/Downloading"));
    EXPECT_FALSE(PrivateFolder::removeTree(root, root + QStringLiteral("/Downloading/deep")));
    EXPECT_FALSE(PrivateFolder::removeFile(root, root + QStringLiteral("/Downloading/file.txt")));
    QFile::remove(root + QStringLiteral("/Downloading"));

    // Paths that are not strictly inside the root are refused.
    for (const QString &outside : {root, root + QStringLiteral("/.."), root + QStringLiteral("/../pf-rm-victim"),
                                   victim, root + QStringLiteral("x"), QStringLiteral("relative/path")})
        EXPECT_FALSE(PrivateFolder::removeTree(root, outside)) << outside.toStdString();
    EXPECT_TRUE(QFileInfo(root).isDir());
    EXPECT_EQ(listing(victim), before);

    // A single file: a link goes, never its target; a missing one counts as removed.
    QFile::link(victim + QStringLiteral("/file.txt"), root + QStringLiteral("/x.lst"));
    EXPECT_TRUE(PrivateFolder::removeFile(root, root + QStringLiteral("/x.lst")));
    EXPECT_FALSE(QFileInfo(root + QStringLiteral("/x.lst")).isSymLink());
    EXPECT_TRUE(PrivateFolder::removeFile(root, root + QStringLiteral("/x.lst")));
    EXPECT_EQ(listing(victim), before);
}

TEST(PrivateFolder, RootsLiveInTheUsersOwnFolders)
{
    const EnvGuard runtime("XDG_RUNTIME_DIR");
    const EnvGuard cache("XDG_CACHE_HOME");
    const QString home = TestEnvironment::home();

    EXPECT_EQ(PrivateFolder::runtimeRoot(), TestEnvironment::runtimeDir() + QStringLiteral("/fennixpro"));
    EXPECT_EQ(PrivateFolder::cacheRoot(), home + QStringLiteral("/.cache/fennixpro"));

    // Without a runtime folder: one in the cache home, never a name in the shared /tmp.
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = PrivateFolder::runtimeRoot();
    EXPECT_EQ(fallback, home + QStringLiteral("/.cache/fennixpro/run"));
    EXPECT_EQ(lstatOf(fallback).st_mode & 07777, 0700u);

    // A cache home that does not exist yet is made private; a link planted for our folder in it
    // is refused with a reason.
    const QString newCache = home + QStringLiteral("/pf-cache/nested");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(newCache));
    EXPECT_EQ(PrivateFolder::cache(QStringLiteral("ReelgrabKit/Lists")), newCache + QStringLiteral("/fennixpro/ReelgrabKit/Lists"));
    EXPECT_EQ(lstatOf(newCache).st_mode & 07777, 0700u);
    const QString linked = fresh(QStringLiteral("pf-cache-linked"));
    QFile::link(fresh(QStringLiteral("pf-cache-elsewhere")), linked + QStringLiteral("/fennixpro"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(linked));
    QString error;
    EXPECT_TRUE(PrivateFolder::runtimeRoot(&error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("link"))) << error.toStdString();
    EXPECT_TRUE(listing(home + QStringLiteral("/pf-cache-elsewhere")).isEmpty());
}
