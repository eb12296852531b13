#include "ExtensionFixtures.h"

#include "extension/BrowserExtensionManager.h"
#include "extension/json/NSString_SBJSON.h"
#include "support/MessageCapture.h"
#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

using namespace ExtensionFixtures;

namespace {
const QString ChromeId = QStringLiteral("abcdefghijklmnopabcdefghijklmnop");
const QString FirefoxId = QStringLiteral("downloader@fennixpro.test");

QByteArray manifest(const char *version)
{
    return QByteArray("{\"manifest_version\": 3, \"version\": \"") + version + "\"}";
}

QByteArray rdf(const char *version)
{
    return QByteArray("<?xml version=\"1.0\"?><RDF><Description><em:version>") + version + "</em:version></Description></RDF>";
}

// A Chromium preference file with our extension among other settings whose text must survive.
QByteArray chromePreferences(const QString &id)
{
    return QStringLiteral(R"({"browser":{"window_placement":{"bottom":1051,"zoom":1.50}},
"extensions":{"settings":{"%1":{"manifest":{"version":"2.1"},"state":1},
"other":{"manifest":{"version":"9.0"},"from_webstore":true}},"toolbar":["other","%1"],
"last_chrome_version":"120.0.6099.71"},
"protection":{"macs":{"extensions":{"settings":{"%1":"AAAA","other":"BBBB"}}}},
"profile":{"exit_type":"Normal","created_by_version":12345678901234567890123,"ratio":-0.0000}})")
        .arg(id)
        .toUtf8();
}
} // namespace

TEST(BrowserExtensionManager, ComparesDottedVersionsAsNumbers)
{
    struct Case
    {
        const char *a, *b;
        int order;
    };
    const Case cases[] = {{"1.10", "1.9", 1}, {"1.9", "1.10", -1}, {"2.0", "2.0", 0}, {"1.2", "1.2.0", 0},
                          {"1.2.1", "1.2", 1}, {"0.9.9", "1.0", -1}, {"10", "9.99", 1}};
    for (const Case &c : cases)
        EXPECT_EQ(BrowserExtensionManager::compareVersions(QString::fromLatin1(c.a), QString::fromLatin1(c.b)), c.order)
            << c.a << " vs " << c.b;
}

TEST(BrowserExtensionManager, FirefoxVersionsFromLinuxProfilesAndPackages)
{
    const QStringList profiles = makeFirefoxProfiles({QStringLiteral("abcd.default-release"), QStringLiteral("efgh.work")});
    const QString resources = QDir::homePath() + QStringLiteral("/resources");
    QDir().mkpath(resources);
    ASSERT_TRUE(writeZip(resources + QLatin1Char('/') + FirefoxId + QStringLiteral(".xpi"),
                         {{QStringLiteral("background.js"), "x"}, {QStringLiteral("manifest.json"), manifest("1.10")}}));

    BrowserExtensionManager m;
    m.setResourcesFolder(resources);
    EXPECT_EQ(m.latestFirefoxExtensionVersionNamed(FirefoxId), QStringLiteral("1.10"));
    EXPECT_EQ(m.installedFirefoxExtensionVersionNamed(FirefoxId), QString());
    EXPECT_FALSE(m.isFirefoxExtensionUpdateEnableNamed(FirefoxId));

    // Only the first profile counts for the version, even when a later one has the extension.
    ASSERT_TRUE(writeZip(profiles[1] + QStringLiteral("/extensions/") + FirefoxId + QStringLiteral(".xpi"),
                         {{QStringLiteral("install.rdf"), rdf("1.0")}}));
    EXPECT_EQ(m.installedFirefoxExtensionVersionNamed(FirefoxId), QString());

    struct Case
    {
        const char *name;
        QList<QPair<QString, QByteArray>> files;
        bool folder;
        QString version;
        bool updateDue;
    };
    const Case cases[] = {
        {"xpi with manifest.json", {{QStringLiteral("manifest.json"), manifest("1.9")}}, false, QStringLiteral("1.9"), true},
        {"xpi with install.rdf", {{QStringLiteral("install.rdf"), rdf("1.10")}}, false, QStringLiteral("1.10"), false},
        {"folder with install.rdf", {{QStringLiteral("install.rdf"), rdf("1.2")}}, true, QStringLiteral("1.2"), true},
        {"newer than packaged", {{QStringLiteral("manifest.json"), manifest("1.11")}}, false, QStringLiteral("1.11"), false},
        {"no version inside", {{QStringLiteral("manifest.json"), "{\"name\": \"x\"}"}}, false, QString(), false},
        {"broken manifest", {{QStringLiteral("manifest.json"), "{\"version\": "}}, false, QString(), false},
    };
    const QString base = profiles[0] + QStringLiteral("/extensions/") + FirefoxId;
    for (const Case &c : cases) {
        QDir(base).removeRecursively();
        QFile::remove(base + QStringLiteral(".xpi"));
        if (c.folder) {
            for (const auto &f : c.files)
                writeFile(base + QLatin1Char('/') + f.first, f.second);
        } else {
            ASSERT_TRUE(writeZip(base + QStringLiteral(".xpi"), c.files));
        }
        EXPECT_EQ(m.installedFirefoxExtensionVersionNamed(FirefoxId), c.version) << c.name;
        EXPECT_EQ(m.isFirefoxExtensionUpdateEnableNamed(FirefoxId), c.updateDue) << c.name;
    }
    // Not a zip at all.
    writeFile(base + QStringLiteral(".xpi"), "garbage");
    EXPECT_EQ(m.installedFirefoxExtensionVersionNamed(FirefoxId), QString());
}

TEST(BrowserExtensionManager, FirefoxRemovalGoesOnToALaterProfile)
{
    BrowserExtensionManager m;
    QDir(BrowserExtensionManager::firefoxFolder()).removeRecursively();
    EXPECT_TRUE(m.unInstallFirefoxExtension(FirefoxId));   // no Firefox at all: nothing to do

    const QStringList profiles = makeFirefoxProfiles({QStringLiteral("a.default"), QStringLiteral("b.second")});
    const QString later = profiles[1] + QStringLiteral("/extensions/") + FirefoxId + QStringLiteral(".xpi");
    ASSERT_TRUE(writeZip(later, {{QStringLiteral("manifest.json"), manifest("1.0")}}));
    EXPECT_TRUE(m.unInstallFirefoxExtension(FirefoxId));
    EXPECT_FALSE(QFileInfo::exists(later));
    EXPECT_FALSE(m.unInstallFirefoxExtension(FirefoxId));   // nothing left anywhere
}

TEST(BrowserExtensionManager, ChromeRemovalEditsOnlyOurEntries)
{
    const QString prefsPath = chromeProfile() + QStringLiteral("/Preferences");
    writeFile(prefsPath, chromePreferences(ChromeId));
    writeFile(chromeProfile() + QStringLiteral("/Extensions/") + ChromeId + QStringLiteral("/2.1_0/manifest.json"), manifest("2.1"));
    BrowserExtensionManager m;
    EXPECT_EQ(m.installedChromeExtensionVersionNamed(ChromeId), QStringLiteral("2.1"));
    EXPECT_FALSE(m.isChromeExtensionUpdateEnableNamed(ChromeId));

    ASSERT_TRUE(m.unInstallChromeExtension(ChromeId));
    EXPECT_FALSE(QFileInfo::exists(chromeProfile() + QStringLiteral("/Extensions/") + ChromeId));
    EXPECT_EQ(readFile(prefsPath + QStringLiteral(".backup")), chromePreferences(ChromeId));
    const QByteArray after = readFile(prefsPath);
    EXPECT_FALSE(after.contains(ChromeId.toUtf8()));
    // Every other key and number keeps its text.
    for (const char *kept : {"\"bottom\": 1051", "\"zoom\": 1.50", "\"created_by_version\": 12345678901234567890123",
                             "\"ratio\": -0.0000", "\"last_chrome_version\": \"120.0.6099.71\"", "\"other\": \"BBBB\"",
                             "\"from_webstore\": true", "\"exit_type\": \"Normal\""})
        EXPECT_TRUE(after.contains(kept)) << kept;
    auto parsed = NSString_SBJSON::JSONValue(after);
    ASSERT_TRUE(parsed);
    const SBJsonValue *toolbar = parsed->path({QStringLiteral("extensions"), QStringLiteral("toolbar")});
    ASSERT_TRUE(toolbar);
    ASSERT_EQ(toolbar->size(), 1);
    EXPECT_EQ(toolbar->at(0).text(), QStringLiteral("other"));
    EXPECT_EQ(m.installedChromeExtensionVersionNamed(ChromeId), QString());

    // An id that is not there leaves the file as the browser wrote it.
    const QByteArray untouched = chromePreferences(QStringLiteral("someoneelseentirelyxxxxxxxxxxxxx"));
    writeFile(prefsPath, untouched);
    EXPECT_TRUE(m.unInstallChromeExtension(ChromeId));
    EXPECT_EQ(readFile(prefsPath), untouched);
}

TEST(BrowserExtensionManager, ChromeIsNeverEditedWhileItRuns)
{
    const QString prefsPath = chromeProfile() + QStringLiteral("/Preferences");
    writeFile(prefsPath, chromePreferences(ChromeId));
    BrowserExtensionManager m;
    EXPECT_FALSE(m.isChromeRunning());
    std::unique_ptr<QProcess> chrome(startFakeBrowser(QStringLiteral("chrome")));
    ASSERT_TRUE(m.isChromeRunning());
    EXPECT_FALSE(m.unInstallChromeExtension(ChromeId));
    EXPECT_EQ(readFile(prefsPath), chromePreferences(ChromeId));
    EXPECT_TRUE(m.terminateChrome());
    ASSERT_TRUE(chrome->waitForFinished(5000));
    EXPECT_FALSE(m.isChromeRunning());
    EXPECT_TRUE(m.unInstallChromeExtension(ChromeId));
}

// Another HOME (another test, a container, su) means another profile: not ours to wait for or end.
TEST(BrowserExtensionManager, BrowsersOfAnotherHomeDoNotCount)
{
    BrowserExtensionManager m;
    std::unique_ptr<QProcess> other(startFakeBrowser(QStringLiteral("chrome"), QStringLiteral("/nonexistent-home")));
    ASSERT_EQ(other->state(), QProcess::Running);
    EXPECT_FALSE(m.isChromeRunning());
    EXPECT_FALSE(m.terminateChrome());
    EXPECT_EQ(other->state(), QProcess::Running);
    std::unique_ptr<QProcess> ours(startFakeBrowser(QStringLiteral("chromium")));
    EXPECT_TRUE(m.isChromeRunning());
    EXPECT_TRUE(m.terminateChrome());
    ASSERT_TRUE(ours->waitForFinished(5000));
    EXPECT_EQ(other->state(), QProcess::Running);
    other->kill();
    other->waitForFinished(5000);
}

TEST(BrowserExtensionManager, UnpackedChromeExtensionAndPackagedVersion)
{
    const QString unpacked = QDir::homePath() + QStringLiteral("/unpacked");
    writeFile(unpacked + QStringLiteral("/manifest.json"), manifest("3.4"));
    writeFile(BrowserExtensionManager::chromeProfileFolders().at(1) + QStringLiteral("/Secure Preferences"),
              QStringLiteral(R"({"extensions":{"settings":{"%1":{"path":"%2","location":4}}}})").arg(ChromeId, unpacked).toUtf8());
    QFile::remove(chromeProfile() + QStringLiteral("/Preferences"));
    const QString resources = QDir::homePath() + QStringLiteral("/res2");
    writeFile(resources + QLatin1Char('/') + ChromeId + QStringLiteral("/install.json"), "{\"manifest\": {\"version\": \"3.5\"}}");
    BrowserExtensionManager m;
    m.setResourcesFolder(resources);
    EXPECT_EQ(m.installedChromeExtensionVersionNamed(ChromeId), QStringLiteral("3.4"));
    EXPECT_EQ(m.latestChromeExtensionVersionNamed(ChromeId), QStringLiteral("3.5"));
    // Chromium never reports an update: the guide explains loading the new folder.
    EXPECT_FALSE(m.extensionsUpdateEnabled(QString(), FirefoxId, ChromeId));
    QSettings().setValue(QStringLiteral("ExternsionsInstalled"), false);
    EXPECT_TRUE(m.extensionInstalled(QString(), FirefoxId, ChromeId));
}

TEST(BrowserExtensionManager, InstalledFlagComesFromUserSettings)
{
    BrowserExtensionManager m;
    QDir(BrowserExtensionManager::firefoxFolder()).removeRecursively();
    for (const QString &p : BrowserExtensionManager::chromeProfileFolders())
        QDir(p).removeRecursively();
    QSettings().setValue(QStringLiteral("ExternsionsInstalled"), false);
    EXPECT_FALSE(m.extensionInstalled(QStringLiteral("Orrisca Studio"), FirefoxId, ChromeId));
    QSettings().setValue(QStringLiteral("ExternsionsInstalled"), true);
    EXPECT_TRUE(m.extensionInstalled(QStringLiteral("Orrisca Studio"), FirefoxId, ChromeId));
    QSettings().remove(QStringLiteral("ExternsionsInstalled"));
}

TEST(BrowserExtensionManager, SpecialFilesInTheBrowsersFoldersAreRefusedAtOnce)
{
    const QString chromium = QFileInfo(chromeProfile()).absolutePath() + QStringLiteral("/../chromium/Default");
    const QString firefox = BrowserExtensionManager::firefoxFolder();
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        // The browsers' own files, each replaced by something that is not a file.
        const QStringList planted{chromeProfile() + QStringLiteral("/Preferences"),
                                  QDir::cleanPath(chromium + QStringLiteral("/Preferences")),
                                  firefox + QStringLiteral("/profiles.ini")};
        for (const QString &path : planted)
            ASSERT_TRUE(SpecialFiles::plant(c.kind, path)) << path.toStdString();
        MessageCapture log;
        BrowserExtensionManager m;
        QString chromeVersion = QStringLiteral("unset"), firefoxVersion = QStringLiteral("unset");
        ASSERT_TRUE(SpecialFiles::returnsPromptly(
            [&] {
                chromeVersion = m.installedChromeExtensionVersionNamed(ChromeId);
                firefoxVersion = m.installedFirefoxExtensionVersionNamed(FirefoxId);
                m.unInstallChromeExtension(ChromeId);
            },
            planted));
        EXPECT_EQ(chromeVersion, QString());
        EXPECT_EQ(firefoxVersion, QString());
        // A link to nowhere is passed over like a missing file; the others are named in the log.
        if (c.kind == SpecialFiles::Kind::DanglingLink)
            continue;
        for (const QString &path : planted)
            EXPECT_TRUE(log.has({path, QString::fromLatin1(c.what)})) << path.toStdString() << '\n'
                                                                      << log.messages().join('\n').toStdString();
    }
}
