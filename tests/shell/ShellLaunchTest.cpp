// Launch settings, defaults and the preference import, the updater and the count-down decisions.
#include "outside/updater/SUUpdater.h"
#include "platform/PowerService.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "shell/AfterTasksAction.h"
#include "shell/AppLaunchSettings.h"
#include "shell/GolobFun.h"
#include "shell/SystemProcessEvent.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <limits>

namespace {

void clearKeys(UserDefaults &d)
{
    for (const QString &k : d.userKeys())
        d.removeObjectForKey(k);
}

class FakePower : public PowerService
{
public:
    int powerOff() override { ++offs; return status; }
    int suspend() override { ++suspends; return status; }
    int offs = 0, suspends = 0, status = 0;
};

} // namespace

TEST(AppLaunchSettings, FirstStartPIDTable)
{
    const struct
    {
        const char *stored;  // nullptr: unset
        const char *bundlePID;
        const char *expected;  // nullptr: stays unset
    } cases[] = {
        {nullptr, "563", nullptr}, {"389", "563", "389"}, {"1461", "1001", "1461"}, {"1001", "1001", "389"},
        {"777", "563", "563"},     {"", "563", "563"},    {"abc", "0563", "0563"},  {"42", "", "389"},
    };
    UserDefaults &d = UserDefaults::standard();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(unset)");
        clearKeys(d);
        if (c.stored)
            d.setString(QStringLiteral("FirstStartPID"), QString::fromLatin1(c.stored));
        AppLaunchSettings::normalizeFirstStartPID(d, {{QStringLiteral("PID"), QString::fromLatin1(c.bundlePID)}});
        if (c.expected)
            EXPECT_EQ(d.stringForKey(QStringLiteral("FirstStartPID")), QString::fromLatin1(c.expected));
        else
            EXPECT_FALSE(d.hasUserValue(QStringLiteral("FirstStartPID")));
    }
}

TEST(AppLaunchSettings, UpdaterSettingsMatrix)
{
    const struct
    {
        bool disableUpdate;
        bool firstLaunch;
        bool autoChecks;
        qint64 interval;
        // after applicationWillFinishLaunching
        bool willAuto;
        double willInterval;
        bool firstLaunchAfter;
        // after applicationDidFinishLaunching
        bool didAuto;
        double didInterval;
        bool storedAutoAfter;
    } cases[] = {
        {false, true, true, 3600, true, 3600, false, true, 3600, true},
        {false, true, false, 86400, false, 86400, false, false, 86400, false},
        {false, false, true, 7200, false, 604800, false, true, 7200, true},
        {false, true, true, 0, true, 0, false, true, 604800, true},
        {false, true, true, -5, true, -5, false, true, 604800, true},
        {true, true, true, 3600, false, 604800, true, false, 604800, false},
        {true, false, true, 3600, false, 604800, false, false, 604800, false},
    };
    UserDefaults &d = UserDefaults::standard();
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.disableUpdate << c.firstLaunch << c.autoChecks << " " << c.interval);
        clearKeys(d);
        d.registerDefaults(GolobFun::defaultValues());
        d.setBool(QStringLiteral("firstLaunch"), c.firstLaunch);
        d.setBool(QStringLiteral("SUEnableAutomaticChecks"), c.autoChecks);
        d.setInteger(QStringLiteral("SUScheduledCheckInterval"), c.interval);
        const QVariantMap info{{QStringLiteral("DisableUpdate"), c.disableUpdate}};
        SUUpdater updater(QUrl(QStringLiteral("http://127.0.0.1:9/appcast.xml")));
        AppLaunchSettings::applyWillFinishLaunching(d, info, updater);
        EXPECT_EQ(updater.automaticallyChecksForUpdates(), c.willAuto);
        EXPECT_EQ(updater.updateCheckInterval(), c.willInterval);
        EXPECT_EQ(d.boolForKey(QStringLiteral("firstLaunch")), c.firstLaunchAfter);
        if (c.disableUpdate) {
            EXPECT_FALSE(d.boolForKey(QStringLiteral("DisableUpdate")));
        }
        AppLaunchSettings::applyDidFinishLaunching(d, info, updater);
        EXPECT_EQ(updater.automaticallyChecksForUpdates(), c.didAuto);
        EXPECT_EQ(updater.updateCheckInterval(), c.didInterval);
        EXPECT_EQ(d.boolForKey(QStringLiteral("SUEnableAutomaticChecks")), c.storedAutoAfter);
        // Checks are scheduled only with a feed and automatic checks on.
        EXPECT_EQ(updater.isCheckScheduled(), c.didAuto);
    }
}

TEST(AppLaunchSettings, UpdaterWithoutFeedNeverSchedulesAndReadsAppcasts)
{
    SUUpdater updater{QUrl()};
    updater.setAutomaticallyChecksForUpdates(true);
    updater.setUpdateCheckInterval(1);
    EXPECT_FALSE(updater.isCheckScheduled());
    EXPECT_TRUE(updater.feedURL().isEmpty());

    const QByteArray feed = R"(<?xml version="1.0"?>
<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle" version="2.0"><channel>
<item><enclosure url="https://x/a.tgz" sparkle:version="1.2.9"/></item>
<item><sparkle:version>1.10.0</sparkle:version></item>
<item><enclosure url="https://x/b.tgz" sparkle:version="1.3"/></item>
</channel></rss>)";
    EXPECT_EQ(SUUpdater::newestVersionInAppcast(feed), QStringLiteral("1.10.0"));
    EXPECT_TRUE(SUUpdater::newestVersionInAppcast("<rss><channel><item>").isEmpty());
    EXPECT_TRUE(SUUpdater::newestVersionInAppcast("not xml at all").isEmpty());
    EXPECT_EQ(SUUpdater::compareVersions(QStringLiteral("1.10"), QStringLiteral("1.9")), 1);
    EXPECT_EQ(SUUpdater::compareVersions(QStringLiteral("1.0.0"), QStringLiteral("1.0.0")), 0);
}

TEST(GolobFunDefaults, TableHoldsNeutralCodesAndRealFolders)
{
    const QVariantMap d = GolobFun::defaultValues();
    EXPECT_EQ(d.value(QStringLiteral("SortByKey")), QStringLiteral("Date"));
    EXPECT_EQ(d.value(QStringLiteral("SortByOrder")), QStringLiteral("Descending"));
    EXPECT_EQ(d.value(QStringLiteral("RecordSortByOrder")), QStringLiteral("Descending"));
    EXPECT_EQ(d.value(QStringLiteral("DesiredVideoResolution")), QStringLiteral("480P"));
    EXPECT_EQ(d.value(QStringLiteral("SUScheduledCheckInterval")).toInt(), 604800);
    EXPECT_EQ(d.value(QStringLiteral("numberOfDownload")).toInt(), 5);
    EXPECT_TRUE(d.value(QStringLiteral("firstLaunch")).toBool());
    const QString downloads = d.value(QStringLiteral("downloadedSavePath")).toString();
    EXPECT_TRUE(downloads.startsWith(TestEnvironment::home())) << qPrintable(downloads);
    EXPECT_FALSE(downloads.contains(QLatin1Char('~')));
    EXPECT_TRUE(d.value(QStringLiteral("convertedPath")).toString().endsWith(QStringLiteral("/Converted")));
}

TEST(GolobFunDefaults, PreferenceImportTable)
{
    const struct
    {
        const char *name;
        QVariantMap a;  // empty: no file
        QVariantMap b;
        const char *key;
        QVariant expected;  // invalid: the key stays unset
    } cases[] = {
        {"A 4.2.1 imported",
         {{"Version", "4.2.1"}, {"numberOfDownload", 9}},
         {{"Version", "2.0"}},
         "numberOfDownload",
         9},
        {"A 4.x leaves B alone",
         {{"Version", "4.0"}, {"numberOfDownload", 9}},
         {{"Version", "1.0"}},
         "SortByKey",
         QVariant()},
        {"A 3.9 falls through to B 2.5: table written",
         {{"Version", "3.9"}, {"numberOfDownload", 9}},
         {{"Version", "2.5"}},
         "numberOfDownload",
         5},
        {"no A, B without Version: table written", {}, {{"x", 1}}, "PopupWhenDownloadSuccess", true},
        {"B 3.0 keeps user values", {}, {{"Version", "3.0"}}, "numberOfDownload", QVariant()},
        {"newer key wins over old name",
         {{"Version", "4"}, {"downloadedSavePath", "/new"}, {"downloadSavePath", "/old"}},
         {},
         "downloadedSavePath",
         "/new"},
        {"old name used alone",
         {{"Version", "4"}, {"convertPath", "/old-converted"}},
         {},
         "convertedPath",
         "/old-converted"},
        {"convertedPath beats convertPath",
         {{"Version", "4"}, {"convertPath", "/old"}, {"convertedPath", "/new"}},
         {},
         "convertedPath",
         "/new"},
        {"unknown keys are not imported",
         {{"Version", "4"}, {"SomethingElse", 1}},
         {},
         "SomethingElse",
         QVariant()},
    };
    UserDefaults &d = UserDefaults::standard();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        clearKeys(d);
        QFile::remove(GolobFun::olderDownloaderPreferencesPath());
        QFile::remove(GolobFun::olderStudioPreferencesPath());
        QDir().mkpath(QFileInfo(GolobFun::olderStudioPreferencesPath()).absolutePath());
        if (!c.a.isEmpty()) {
            ASSERT_TRUE(PropertyList::writeFile(GolobFun::olderDownloaderPreferencesPath(), c.a));
        }
        if (!c.b.isEmpty()) {
            ASSERT_TRUE(PropertyList::writeFile(GolobFun::olderStudioPreferencesPath(), c.b));
        }
        GolobFun::importPlist();
        const QString key = QString::fromLatin1(c.key);
        if (!c.expected.isValid()) {
            EXPECT_FALSE(d.hasUserValue(key));
        } else {
            ASSERT_TRUE(d.hasUserValue(key));
            EXPECT_EQ(d.objectForKey(key).toString(), c.expected.toString());
        }
    }
}

TEST(GolobFunDefaults, SortOrderCarriedOverFromTheStudioProduct)
{
    const struct
    {
        const char *oldKey;
        bool ascending;
        const char *sortByKey;
        const char *descriptorKey;
    } cases[] = {
        {"Date", true, "Date", "addDate"},
        {"Title", false, "Name", "fileName"},
        {"FilePlayTime", true, "Length", "time"},
        {"Bogus", false, nullptr, "addDate"},
    };
    UserDefaults &d = UserDefaults::standard();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.oldKey);
        clearKeys(d);
        QFile::remove(GolobFun::olderDownloaderPreferencesPath());
        QDir().mkpath(QFileInfo(GolobFun::olderStudioPreferencesPath()).absolutePath());
        const QVariantList sort{QVariantMap{{"key", c.oldKey}, {"ascending", c.ascending}}};
        ASSERT_TRUE(PropertyList::writeFile(GolobFun::olderStudioPreferencesPath(),
                                            QVariantMap{{"Version", "3.1"}, {"SortKey", sort}}));
        GolobFun::importPlist();
        if (c.sortByKey)
            EXPECT_EQ(d.stringForKey(QStringLiteral("SortByKey")), QString::fromLatin1(c.sortByKey));
        else
            EXPECT_FALSE(d.hasUserValue(QStringLiteral("SortByKey")));
        EXPECT_EQ(d.stringForKey(QStringLiteral("SortByOrder")),
                  c.ascending ? QStringLiteral("Ascending") : QStringLiteral("Descending"));
        EXPECT_EQ(d.dictionaryForKey(QStringLiteral("SortKey")).value(QStringLiteral("key")).toString(),
                  QString::fromLatin1(c.descriptorKey));
    }
    // A damaged older file is read as nothing and left where it is.
    clearKeys(d);
    QFile f(GolobFun::olderStudioPreferencesPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("<plist><dict><key>Version</key>");
    f.close();
    GolobFun::importPlist();
    EXPECT_TRUE(QFileInfo::exists(GolobFun::olderStudioPreferencesPath()));
    EXPECT_EQ(d.integerForKey(QStringLiteral("numberOfDownload")), 5);
}

TEST(GolobFunDefaults, CustomPlistLivesInConfigAndIsWrittenWhole)
{
    const QString path = GolobFun::customPlistPath();
    EXPECT_TRUE(path.startsWith(TestEnvironment::home())) << qPrintable(path);
    EXPECT_FALSE(path.contains(QStringLiteral("/Contents/Resources")));
    EXPECT_FALSE(GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode")).isValid());
    ASSERT_TRUE(GolobFun::setInfoValue(2, QStringLiteral("MTPlayerPlayMode")));
    ASSERT_TRUE(GolobFun::setInfoValue(true, QStringLiteral("DownAndConvertOneMode")));
    EXPECT_EQ(GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode")).toInt(), 2);
    EXPECT_TRUE(GolobFun::infoValueForKey(QStringLiteral("DownAndConvertOneMode")).toBool());
    // Only the file itself in its folder: no temporary left behind.
    const QStringList files = QFileInfo(path).dir().entryList(QDir::Files);
    EXPECT_EQ(files, QStringList{QStringLiteral("custom.plist")});

    // A damaged file reads as nothing; a later write starts a new one.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("garbage");
    f.close();
    EXPECT_FALSE(GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode")).isValid());
    ASSERT_TRUE(GolobFun::setInfoValue(1, QStringLiteral("MTPlayerPlayMode")));
    EXPECT_EQ(GolobFun::infoValueForKey(QStringLiteral("MTPlayerPlayMode")).toInt(), 1);
    GolobFun::removeCustomPlist();
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(GolobFunDefaults, ConvertStringToTimeSaturates)
{
    const struct
    {
        const char *text;
        qint64 seconds;
    } cases[] = {
        {"1:02:03", 3723},
        {"99999999999999999999:99:99:99:99:99:99:99:99:99:99:99", std::numeric_limits<qint64>::max()},
        {"153722867280912930:59", std::numeric_limits<qint64>::max()},
        {"-153722867280912931:00", std::numeric_limits<qint64>::min()},
        {"-153722867280912930:59", -9223372036854775741LL},
        {"153722867280912930:07", 9223372036854775807},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GolobFun::convertStringToTime(QString::fromLatin1(c.text)), c.seconds);
    }
}

TEST(AfterTasksAction, CountDownDecisionsForEveryMode)
{
    const QList<bool> idle{false, false, false, false};
    const QList<bool> busy{false, false, true, false};
    for (qint64 mode = 0; mode <= 5; ++mode) {
        SCOPED_TRACE(mode);
        const bool acts = mode >= 2 && mode <= 4;
        EXPECT_EQ(AfterTasksAction::shouldCountDown(idle, mode), acts);
        EXPECT_FALSE(AfterTasksAction::shouldCountDown(busy, mode));
    }
    EXPECT_FALSE(AfterTasksAction::shouldCountDown(idle, -2));

    FakePower power;
    PowerService::setShared(&power);
    for (qint64 mode = 0; mode <= 5; ++mode) {
        SCOPED_TRACE(mode);
        power.offs = power.suspends = 0;
        int quits = 0;
        EXPECT_EQ(AfterTasksAction::perform(mode, [&quits] { ++quits; }), 0);
        EXPECT_EQ(power.offs, mode == 2 ? 1 : 0);
        EXPECT_EQ(power.suspends, mode == 3 ? 1 : 0);
        EXPECT_EQ(quits, mode == 4 ? 1 : 0);
    }
    power.status = PowerService::CallFailed;
    EXPECT_EQ(AfterTasksAction::perform(2, {}), int(PowerService::CallFailed));
    EXPECT_EQ(SendAppleEventToSystemProcess(QStringLiteral("slep")), int(PowerService::CallFailed));
    EXPECT_EQ(SendAppleEventToSystemProcess(QStringLiteral("rest")), int(UnknownSystemEvent));
    PowerService::setShared(nullptr);
}
