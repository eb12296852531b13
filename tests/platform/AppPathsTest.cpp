#include "platform/AppPaths.h"
#include "platform/MainBundle.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(AppPaths, MacFoldersMapToXdgLocations)
{
    const QString home = TestEnvironment::home();
    struct Case { QString mac; QString linux; };
    const Case cases[] = {
        {QStringLiteral("~/Library/Application Support/ReelgrabKit/aLogs"), home + "/.local/share/ReelgrabKit/aLogs"},
        {QStringLiteral("~/Library/Application Support"), home + "/.local/share"},
        {QStringLiteral("~/Movies/iQuenmark Orrisca Studio Videos/Converted"), home + "/Videos/iQuenmark Orrisca Studio Videos/Converted"},
        {QStringLiteral("~/Downloads"), home + "/Downloads"},
        {QStringLiteral("~/Documents/x"), home + "/Documents/x"},
        {QStringLiteral("~"), home},
        {QStringLiteral("/abs/path"), QStringLiteral("/abs/path")},
        {QStringLiteral("~/Library/Application SupportX"), home + "/Library/Application SupportX"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(AppPaths::mapPath(c.mac), c.linux) << c.mac.toStdString();
}

TEST(AppPaths, NamedFoldersExistUnderTheRightParents)
{
    const QString home = TestEnvironment::home();
    EXPECT_EQ(AppPaths::productSupport(), home + "/.local/share/iQuenmark Orrisca Studio");
    EXPECT_EQ(AppPaths::reelgrabKitClients(), home + "/.local/share/ReelgrabKit/clients");
    EXPECT_EQ(AppPaths::recordFolder(), home + "/Videos/iQuenmark Orrisca Studio Videos/Record");
    EXPECT_EQ(AppPaths::downloads(), home + "/Downloads");
    for (const QString &p : {AppPaths::productSupport(), AppPaths::convertedFolder(), AppPaths::reelgrabKitLogs(),
                             AppPaths::reelgrabKitIcons(), AppPaths::reelgrabKitThumbnails(), AppPaths::logFolder()})
        EXPECT_TRUE(QFileInfo(p).isDir()) << p.toStdString();
}

TEST(AppPaths, FoldersFollowTheUmaskAndRuntimeFolderIsPrivate)
{
    const mode_t old = ::umask(022);
    const QString folder = TestEnvironment::home() + QStringLiteral("/umask/a/b");
    ASSERT_TRUE(AppPaths::ensureFolder(folder));
    ::umask(old);
    struct stat st;
    ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);

    const QString runtime = AppPaths::runtimeFolder();
    ASSERT_FALSE(runtime.isEmpty());
    ASSERT_EQ(::stat(runtime.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A loosened folder is tightened again.
    ::chmod(runtime.toLocal8Bit().constData(), 0777);
    EXPECT_EQ(AppPaths::runtimeFolder(), runtime);
    ::stat(runtime.toLocal8Bit().constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(AppPaths, RuntimeFolderRefusesASymlinkPlantedInItsPlace)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString base = TestEnvironment::home() + QStringLiteral("/rt2");
    QDir().mkpath(base);
    QDir().mkpath(TestEnvironment::home() + QStringLiteral("/elsewhere"));
    QFile::link(TestEnvironment::home() + QStringLiteral("/elsewhere"), base + QStringLiteral("/fennixpro"));
    qputenv("XDG_RUNTIME_DIR", base.toLocal8Bit());
    EXPECT_TRUE(AppPaths::runtimeFolder().isEmpty());
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(MainBundle, InfoPlistIsCompiledIn)
{
    EXPECT_EQ(MainBundle::infoString(QStringLiteral("CFBundleExecutable")), QStringLiteral("FennixPro"));
    EXPECT_FALSE(MainBundle::infoString(QStringLiteral("PID")).isEmpty());
    EXPECT_TRUE(MainBundle::infoValue(QStringLiteral("DisableUpdate")).toBool());
    EXPECT_FALSE(MainBundle::infoValue(QStringLiteral("NoSuchKey")).isValid());
    EXPECT_EQ(MainBundle::pathForResource(QStringLiteral("Info"), QStringLiteral("plist")), QStringLiteral(":/Info.plist"));
    EXPECT_TRUE(MainBundle::pathForResource(QStringLiteral("../etc/passwd"), QString()).isEmpty());
    EXPECT_EQ(MainBundle::localizedString("Delete"), QStringLiteral("Delete"));
}

TEST(AppPaths, OwnFoldersArePrivateAndLooseOnesAreTightenedWhileTheUsersFoldersKeepTheUmask)
{
    const mode_t old = ::umask(022);
    const QString home = TestEnvironment::home();
    // Left readable to all by an earlier version.
    const QStringList own{home + "/.local/share/iQuenmark Orrisca Studio", home + "/.local/share/ReelgrabKit",
                          home + "/.local/state/fennixpro", home + "/.local/state/fennixpro/logs"};
    for (const QString &folder : own) {
        ASSERT_TRUE(QDir().mkpath(folder));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }
    ASSERT_TRUE(TestEnvironment::writeFile(own[0] + "/Library.db", "x"));
    // Under umask 002 the data home is writable by the user's group: our folders below it are
    // still made private.
    ::chmod(QFile::encodeName(home + "/.local/share").constData(), 0775);

    AppPaths::makePrivateFolders();
    const QString settings = AppPaths::settingsFolder();
    const QString created = AppPaths::productSupport() + "/new.plist";
    ASSERT_TRUE(TestEnvironment::writeFile(created, "y"));
    const QString video = AppPaths::defaultDownloadFolder();
    const QString downloads = AppPaths::downloads();
    ::umask(old);
    ::chmod(QFile::encodeName(home + "/.local/share").constData(), 0755);

    auto modeOf = [](const QString &path) {
        struct stat st = {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 0777;
    };
    for (const QString &folder : own + QStringList{settings})
        EXPECT_EQ(modeOf(folder), 0700u) << folder.toStdString();
    // Other users cannot pass the folder, so neither the old nor the new file can be read.
    for (const QString &file : {own[0] + "/Library.db", created}) {
        bool reachable = true;
        for (QString dir = QFileInfo(file).absolutePath(); dir.startsWith(home + "/.local/share/");
             dir = QFileInfo(dir).absolutePath())
            reachable = reachable && (modeOf(dir) & 0001);
        EXPECT_FALSE(reachable) << file.toStdString();
    }
    EXPECT_EQ(modeOf(video), 0755u);
    EXPECT_EQ(modeOf(downloads), 0755u);
}
