// Files the user or another program controls are read only when they are regular files: a FIFO,
// folder, socket, device or dangling link under the name is refused at once, with a log line
// naming the path and what stands there, through the helper and through the platform's own
// readers of settings and property lists.
#include "platform/AppPaths.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"
#include "platform/SafeSaveFile.h"
#include "platform/UserDefaults.h"
#include "support/MessageCapture.h"
#include "support/SpecialFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

QString fresh(const QString &name)
{
    static int n = 0;
    return TestEnvironment::home() + QStringLiteral("/special-%1/").arg(++n) + name;
}

TEST(SafeFileReader, EverySpecialFileIsRefusedAtOnceWithALogLine)
{
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        const QString path = fresh(QStringLiteral("list.plist"));
        ASSERT_TRUE(SpecialFiles::plant(c.kind, path));
        MessageCapture log;
        SafeFileReader::Result read;
        QFile file(path);
        bool opened = true;
        bool settingsSafe = true;
        ASSERT_TRUE(SpecialFiles::returnsPromptly(
            [&] {
                read = SafeFileReader::read(path, 1 << 20);
                opened = SafeFileReader::open(file);
                settingsSafe = SafeFileReader::isRegularOrMissing(path);
            },
            {path}));
        EXPECT_EQ(read.status, SafeFileReader::Status::Refused);
        EXPECT_TRUE(read.data.isEmpty());
        EXPECT_TRUE(read.error.contains(path)) << read.error.toStdString();
        EXPECT_FALSE(opened);
        EXPECT_FALSE(settingsSafe);
        EXPECT_TRUE(log.has({path, QString::fromLatin1(c.what)})) << log.messages().join('\n').toStdString();
    }
}

TEST(SafeFileReader, RegularFilesAndLinksToThemAreReadWithinTheirCap)
{
    const QString path = fresh(QStringLiteral("data.txt"));
    ASSERT_TRUE(TestEnvironment::writeFile(path, "hello"));
    const QString link = QFileInfo(path).absolutePath() + QStringLiteral("/link.txt");
    ASSERT_TRUE(QFile::link(path, link));

    SafeFileReader::Result read = SafeFileReader::read(path, 5);
    EXPECT_EQ(read.status, SafeFileReader::Status::Ok);
    EXPECT_EQ(read.data, "hello");
    EXPECT_EQ(SafeFileReader::read(link, 5).data, "hello");
    EXPECT_EQ(SafeFileReader::read(link, 5, SafeFileReader::Links::Refuse).status, SafeFileReader::Status::Refused);
    EXPECT_EQ(SafeFileReader::read(path, 4).status, SafeFileReader::Status::TooLarge);
    read = SafeFileReader::read(path + QStringLiteral(".none"), 5);
    EXPECT_EQ(read.status, SafeFileReader::Status::Missing);
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_TRUE(SafeFileReader::isRegularOrMissing(path + QStringLiteral(".none")));
    EXPECT_TRUE(SafeFileReader::isRegularOrMissing(link));

    // Compiled-in resources are read as they are.
    EXPECT_TRUE(SafeFileReader::read(QStringLiteral(":/Info.plist"), 1 << 20).data.contains("<plist"));
    QFile resource(QStringLiteral(":/Info.plist"));
    EXPECT_TRUE(SafeFileReader::open(resource));
    EXPECT_TRUE(SafeFileReader::isRegularOrMissing(QStringLiteral(":/Info.plist")));

    QFile file(link);
    ASSERT_TRUE(SafeFileReader::open(file));
    EXPECT_EQ(file.readAll(), "hello");
    // The descriptor blocks again once checked: a short read is not mistaken for the end.
    EXPECT_EQ(file.size(), 5);
}

TEST(SafeFileReader, PropertyListsAndSettingsOverSpecialFilesDoNotHang)
{
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        const QString plist = fresh(QStringLiteral("WaitTransfer.plist"));
        const QString ini = fresh(QStringLiteral("settings.ini"));
        ASSERT_TRUE(SpecialFiles::plant(c.kind, plist));
        ASSERT_TRUE(SpecialFiles::plant(c.kind, ini));
        QString error;
        QVariant value;
        bool stored = false;
        ASSERT_TRUE(SpecialFiles::returnsPromptly(
            [&] {
                value = PropertyList::readFile(plist, &error);
                UserDefaults defaults(ini);
                defaults.setObject(QStringLiteral("key"), 7);
                stored = defaults.synchronize();
            },
            {plist, ini}));
        EXPECT_FALSE(value.isValid());
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.what))) << error.toStdString();
        // The settings name is cleared for a fresh file; what stood there is kept aside.
        EXPECT_TRUE(stored);
        EXPECT_TRUE(QFileInfo(ini).isFile() && !QFileInfo(ini).isSymLink());
        EXPECT_EQ(UserDefaults(ini).integerForKey(QStringLiteral("key")), 7);
    }
}

} // namespace

// The program's own files are written at their name: a link standing there is replaced, and
// whatever it points to (here a file standing in for /dev/zero or another user's file) keeps
// its bytes.
TEST(SafeSaveFile, ALinkAtTheNameIsReplacedNeverWrittenThrough)
{
    const QString victim = fresh(QStringLiteral("victim.txt"));
    const QString absent = fresh(QStringLiteral("absent"));
    ASSERT_TRUE(TestEnvironment::writeFile(victim, "not yours"));
    const struct
    {
        const char *name;
        std::function<bool(const QString &)> write;
    } writers[] = {
        {"SafeSaveFile",
         [](const QString &path) {
             SafeSaveFile f(path);
             return f.open(QIODevice::WriteOnly) && f.write("ours") == 4 && f.commit();
         }},
        {"PropertyList",
         [](const QString &path) { return PropertyList::writeFile(path, QVariantMap{{QStringLiteral("k"), 1}}); }},
    };
    for (const auto &w : writers) {
        SCOPED_TRACE(w.name);
        for (const QString &target : {victim, absent}) {
            const QString path = fresh(QStringLiteral("store.plist"));
            QDir().mkpath(QFileInfo(path).absolutePath());
            ASSERT_TRUE(QFile::link(target, path));
            ASSERT_TRUE(w.write(path));
            EXPECT_FALSE(QFileInfo(path).isSymLink());
            EXPECT_TRUE(QFileInfo(path).isFile());
            EXPECT_FALSE(QFileInfo::exists(absent)) << "nothing made where a dangling link points";
        }
        QFile kept(victim);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), QByteArray("not yours"));
    }
}
