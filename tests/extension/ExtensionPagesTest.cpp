#include "ExtensionFixtures.h"

#include "extension/BrowserExtensionInstallViewController.h"
#include "extension/BrowserExtensionManager.h"
#include "extension/BrowserExtensionPreferenceViewController.h"
#include "extension/QVUrlLabel.h"
#include "shell/BriskletBundle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace ExtensionFixtures;

namespace {
const QString Safari = QStringLiteral("Orrisca Studio");
const QString ChromeId = QStringLiteral("gfndodfemnfmfinecphiedoeediopkef");
const QString FirefoxId = QStringLiteral("vuzuzoze-dizuri@fennixpro.org");

QByteArray manifest(const char *version)
{
    return QByteArray("{\"manifest_version\": 3, \"version\": \"") + version + "\"}";
}

// A clean HOME for each case: browsers on PATH as asked, the packaged Firefox extension at 1.9.
class ExtensionPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(BrowserExtensionManager::firefoxFolder()).removeRecursively();
        for (const QString &p : BrowserExtensionManager::chromeProfileFolders())
            QDir(p).removeRecursively();
        QSettings().remove(QStringLiteral("DontNeedExtensionGuideKey"));
        QSettings().remove(QStringLiteral("ExternsionsInstalled"));
        m_resources = QDir::homePath() + QStringLiteral("/packages");
        QDir().mkpath(m_resources);
        writeZip(m_resources + QLatin1Char('/') + FirefoxId + QStringLiteral(".xpi"), {{QStringLiteral("manifest.json"), manifest("1.9")}});
        m_manager.setResourcesFolder(m_resources);
        m_oldPath = qgetenv("PATH");
        setBrowsers({});
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }

    // Only these browser programs are on PATH.
    void setBrowsers(const QStringList &programs)
    {
        const QString bin = QDir::homePath() + QStringLiteral("/browsers-bin");
        QDir(bin).removeRecursively();
        QDir().mkpath(bin);
        for (const QString &p : programs) {
            writeFile(bin + QLatin1Char('/') + p, "#!/bin/sh\nexit 0\n");
            QFile::setPermissions(bin + QLatin1Char('/') + p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.toLocal8Bit());
    }
    void installFirefoxExtension(const char *version)
    {
        const QStringList profiles = makeFirefoxProfiles({QStringLiteral("x.default")});
        writeZip(profiles[0] + QStringLiteral("/extensions/") + FirefoxId + QStringLiteral(".xpi"),
                 {{QStringLiteral("manifest.json"), manifest(version)}});
    }
    void installChromeExtension(const char *version)
    {
        const QString profile = chromeProfile();
        writeFile(profile + QStringLiteral("/Preferences"),
                  QStringLiteral(R"({"extensions":{"settings":{"%1":{"manifest":{"version":"%2"}}}}})")
                      .arg(ChromeId, QString::fromLatin1(version))
                      .toUtf8());
        QDir().mkpath(profile + QStringLiteral("/Extensions/") + ChromeId);
    }

    BrowserExtensionManager m_manager;
    QString m_resources;
    QByteArray m_oldPath;
};

struct Page
{
    std::unique_ptr<QWidget> view;
    BrowserExtensionInstallViewController *controller = nullptr;
    QWidget *intro = nullptr;
};

Page makeInstallPage(BrowserExtensionManager &m)
{
    Page p;
    p.controller = new BrowserExtensionInstallViewController(QImage(), Safari, ChromeId, QString(), FirefoxId, &m);
    p.view.reset(p.controller->view());
    p.intro = new QWidget;
    p.intro->setMinimumSize(300, 200);
    p.controller->setIntroduceView(p.intro);
    p.view->resize(900, 500);
    p.view->show();
    QCoreApplication::processEvents();
    return p;
}

} // namespace

TEST_F(ExtensionPages, InstallPageFollowsTheLayoutRule)
{
    struct Case
    {
        const char *name;
        QStringList browsers;
        const char *firefoxVersion;   // installed in Firefox, or nullptr
        bool installedFlag;
        bool dontNeed;
        bool introShown;
        QString firefoxTitle;
        bool chromeEnabled, firefoxEnabled;
    };
    const Case cases[] = {
        {"nothing installed, both browsers", {QStringLiteral("chromium"), QStringLiteral("firefox")}, nullptr, false, false, false,
         QStringLiteral("Install"), true, true},
        {"nothing installed, no Chromium", {QStringLiteral("firefox-esr")}, nullptr, false, false, false, QStringLiteral("Install"),
         false, true},
        {"nothing installed, user said no", {QStringLiteral("firefox")}, nullptr, false, true, true, QString(), false, true},
        {"installed flag, no update", {}, nullptr, true, false, true, QString(), false, false},
        {"older Firefox copy", {QStringLiteral("firefox")}, "1.2", false, false, false, QStringLiteral("Update"), false, true},
        {"older copy, user said no", {QStringLiteral("firefox")}, "1.2", false, true, true, QString(), false, true},
        {"current copy", {QStringLiteral("firefox")}, "1.10", false, false, true, QString(), false, true},
    };
    for (const Case &c : cases) {
        SetUp();
        setBrowsers(c.browsers);
        if (c.firefoxVersion)
            installFirefoxExtension(c.firefoxVersion);
        QSettings().setValue(QStringLiteral("ExternsionsInstalled"), c.installedFlag);
        QSettings().setValue(QStringLiteral("DontNeedExtensionGuideKey"), c.dontNeed);
        BrowserExtensionManager m;   // packaged versions are read once per manager
        m.setResourcesFolder(m_resources);
        Page p = makeInstallPage(m);
        EXPECT_EQ(p.intro->isVisible(), c.introShown) << c.name;
        EXPECT_EQ(p.controller->installBoxView()->isVisible(), !c.introShown) << c.name;
        EXPECT_FALSE(p.controller->installButton()->isVisible()) << c.name;
        if (!c.introShown) {
            EXPECT_EQ(p.controller->firefoxButton()->text(), c.firefoxTitle) << c.name;
            EXPECT_EQ(p.controller->chromeButton()->text(), QStringLiteral("Install")) << c.name;
            EXPECT_FALSE(p.controller->safariButton()->isEnabled()) << c.name;   // no Safari here
            if (!c.firefoxVersion) {
                EXPECT_EQ(p.controller->chromeButton()->isEnabled(), c.chromeEnabled) << c.name;
                EXPECT_EQ(p.controller->firefoxButton()->isEnabled(), c.firefoxEnabled) << c.name;
            }
        }
    }
}

TEST_F(ExtensionPages, DontNeedItHidesTheBoxNowAndLater)
{
    setBrowsers({QStringLiteral("firefox")});
    Page p = makeInstallPage(m_manager);
    ASSERT_TRUE(p.controller->installBoxView()->isVisible());
    EXPECT_EQ(p.controller->dontNeedLabel()->text().contains(QStringLiteral("I don't need it!")), true);
    QTest::mouseClick(p.controller->dontNeedLabel(), Qt::LeftButton);
    EXPECT_TRUE(QSettings().value(QStringLiteral("DontNeedExtensionGuideKey")).toBool());
    EXPECT_FALSE(p.controller->installBoxView()->isVisible());
    EXPECT_TRUE(p.intro->isVisible());
    // The next one-second refresh keeps it so.
    p.controller->installedExtensionVersionDidChange2(QString(), QString(), QString());
    EXPECT_FALSE(p.controller->installBoxView()->isVisible());
}

TEST_F(ExtensionPages, FirstInstallIsRememberedInUserSettings)
{
    Page p = makeInstallPage(m_manager);
    QSignalSpy finished(p.controller, &BrowserExtensionInstallViewController::installFinished);
    p.controller->install();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(QSettings().value(QStringLiteral("ExternsionsInstalled")).toBool());
}

TEST_F(ExtensionPages, PreferenceRowsKeepTheirInvariant)
{
    setBrowsers({QStringLiteral("google-chrome"), QStringLiteral("firefox")});
    installFirefoxExtension("1.2");
    installChromeExtension("0.1");
    auto &page = *new BrowserExtensionPreferenceViewController(Safari, ChromeId, QString(), FirefoxId, &m_manager);
    std::unique_ptr<QWidget> view(page.view());
    view->show();
    using B = BrowserExtensionPreferenceViewController;
    auto check = [&](B::Browser b, const char *where) {
        const bool hasVersion = !page.versionField(b)->text().isEmpty();
        EXPECT_EQ(page.installButton(b)->isVisible(), !hasVersion) << where;
        EXPECT_EQ(page.uninstallButton(b)->isVisible(), hasVersion) << where;
    };
    EXPECT_EQ(page.versionField(B::Firefox)->text(), QStringLiteral("1.2"));
    EXPECT_EQ(page.versionField(B::Chrome)->text(), QStringLiteral("0.1"));
    EXPECT_TRUE(page.updateButton(B::Firefox)->isVisible());
    EXPECT_FALSE(page.updateButton(B::Chrome)->isVisible());   // never for Chromium
    EXPECT_FALSE(page.updateButton(B::Safari)->isVisible());
    EXPECT_FALSE(page.installButton(B::Safari)->isEnabled());
    for (B::Browser b : {B::Safari, B::Chrome, B::Firefox})
        check(b, "awake");

    // A version change hides Update until the row is refreshed in full.
    page.installedExtensionVersionDidChange2(QString(), QStringLiteral("0.1"), QStringLiteral("1.9"));
    EXPECT_FALSE(page.updateButton(B::Firefox)->isVisible());
    check(B::Firefox, "after a change");

    QTest::mouseClick(page.uninstallButton(B::Firefox), Qt::LeftButton);
    EXPECT_TRUE(page.versionField(B::Firefox)->text().isEmpty());
    EXPECT_TRUE(page.installButton(B::Firefox)->isEnabled());
    check(B::Firefox, "after removal");
}

TEST_F(ExtensionPages, ChromiumRemovalWaitsForTheBrowserToQuit)
{
    setBrowsers({QStringLiteral("chromium")});
    auto &page = *new BrowserExtensionPreferenceViewController(Safari, ChromeId, QString(), FirefoxId, &m_manager);
    std::unique_ptr<QWidget> view(page.view());
    view->show();
    using B = BrowserExtensionPreferenceViewController;

    // Not running: removed at once, no question.
    installChromeExtension("1.0");
    page.updateExtensionInfo4(ChromeId);
    QTest::mouseClick(page.uninstallButton(B::Chrome), Qt::LeftButton);
    EXPECT_EQ(page.alertBrowserRunning(), nullptr);
    EXPECT_TRUE(m_manager.installedChromeExtensionVersionNamed(ChromeId).isEmpty());

    // Running, then Cancel: the extension stays.
    installChromeExtension("1.0");
    std::unique_ptr<QProcess> chrome(startFakeBrowser(QStringLiteral("chromium")));
    QTest::mouseClick(page.uninstallButton(B::Chrome), Qt::LeftButton);
    ASSERT_TRUE(page.alertBrowserRunning());
    EXPECT_EQ(page.alertBrowserRunning()->text(), QStringLiteral("Chrome is running"));
    EXPECT_TRUE(page.isWaitingForChromeToQuit());
    QPushButton *cancel = nullptr, *quit = nullptr;
    for (QAbstractButton *b : page.alertBrowserRunning()->buttons()) {
        if (b->text() == QStringLiteral("Cancel"))
            cancel = qobject_cast<QPushButton *>(b);
        if (b->text() == QStringLiteral("Quit"))
            quit = qobject_cast<QPushButton *>(b);
    }
    ASSERT_TRUE(cancel && quit);
    cancel->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(page.isWaitingForChromeToQuit());
    EXPECT_EQ(m_manager.installedChromeExtensionVersionNamed(ChromeId), QStringLiteral("1.0"));

    // Running, then Quit: the browser ends and the extension goes at the next tick.
    QTest::mouseClick(page.uninstallButton(B::Chrome), Qt::LeftButton);
    ASSERT_TRUE(page.alertBrowserRunning());
    for (QAbstractButton *b : page.alertBrowserRunning()->buttons())
        if (b->text() == QStringLiteral("Quit"))
            b->click();
    ASSERT_TRUE(chrome->waitForFinished(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_manager.installedChromeExtensionVersionNamed(ChromeId).isEmpty(); }, 5000));
    EXPECT_FALSE(page.isWaitingForChromeToQuit());
}

TEST_F(ExtensionPages, PlugInServesFreshPagesAndItsAbsenceIsQuiet)
{
    QPluginLoader loader(QStringLiteral(BRISKLET_PLUGIN));
    QObject *root = loader.instance();
    ASSERT_TRUE(root) << loader.errorString().toStdString();
    for (int i = 0; i < 2; ++i) {
        QWidget *view = nullptr;
        ASSERT_TRUE(QMetaObject::invokeMethod(root, "preferenceView", Qt::DirectConnection, Q_RETURN_ARG(QWidget *, view),
                                              Q_ARG(QString, Safari), Q_ARG(QString, ChromeId), Q_ARG(QString, QString()),
                                              Q_ARG(QString, FirefoxId)));
        ASSERT_TRUE(view) << "call " << i;
        EXPECT_EQ(view->findChildren<QPushButton *>().size(), 9);
        delete view;   // the host throws the page away with its tab
    }
    // The host: the bundle named, the bundle missing.
    qputenv("FENNIX_BRISKLET_PATH", BRISKLET_PLUGIN);
    QWidget parent;
    QWidget *intro = new QWidget;
    QWidget *install = BriskletBundle::installView(QImage(), intro, &parent);
    ASSERT_TRUE(install);
    EXPECT_EQ(intro->parentWidget(), install);
    EXPECT_TRUE(BriskletBundle::preferenceView(&parent));
    qputenv("FENNIX_BRISKLET_PATH", "");
    EXPECT_EQ(BriskletBundle::installView(QImage(), nullptr, &parent), nullptr);
    EXPECT_EQ(BriskletBundle::preferenceView(&parent), nullptr);
    qunsetenv("FENNIX_BRISKLET_PATH");
}

TEST_F(ExtensionPages, PicturesOfThePages)
{
    setBrowsers({QStringLiteral("chromium"), QStringLiteral("firefox")});
    installFirefoxExtension("1.2");
    Page p = makeInstallPage(m_manager);
    auto &prefs = *new BrowserExtensionPreferenceViewController(Safari, ChromeId, QString(), FirefoxId, &m_manager);
    std::unique_ptr<QWidget> view(prefs.view());
    view->resize(640, 260);
    view->show();
    QCoreApplication::processEvents();
    QDir().mkpath(QStringLiteral(EXTENSION_GRAB_DIR));
    EXPECT_TRUE(p.view->grab().save(QStringLiteral(EXTENSION_GRAB_DIR "/InstallPage.png")));
    EXPECT_TRUE(view->grab().save(QStringLiteral(EXTENSION_GRAB_DIR "/ExtensionsTab.png")));
}
