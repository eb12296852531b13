#include "ExtensionFixtures.h"

#include "extension/BrowserExtensionInstallViewController.h"
#include "extension/BrowserExtensionManager.h"
#include "extension/BrowserExtensionPreferenceViewController.h"
#include "extension/BrowserLaunch.h"
#include "extension/QVUrlLabel.h"
#include "shell/BriskletBundle.h"
#include "support/MessageCapture.h"

#include <gtest/gtest.h>

#include <csignal>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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

    // Only these browser programs are on PATH; each runs body (by default it leaves at once).
    void setBrowsers(const QStringList &programs, const QByteArray &body = "exit 0\n")
    {
        const QString bin = QDir::homePath() + QStringLiteral("/browsers-bin");
        QDir(bin).removeRecursively();
        QDir().mkpath(bin);
        for (const QString &p : programs) {
            writeFile(bin + QLatin1Char('/') + p, "#!/bin/sh\n" + body);
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

// The rows show each browser's picture and, where no version stands, the row's state in words:
// no empty white box. A browser that is missing is drawn in grey.
TEST_F(ExtensionPages, RowsShowTheBrowsersPictureAndState)
{
    setBrowsers({QStringLiteral("firefox")});
    installFirefoxExtension("1.2");
    auto &page = *new BrowserExtensionPreferenceViewController(Safari, ChromeId, QString(), FirefoxId, &m_manager);
    std::unique_ptr<QWidget> view(page.view());
    view->resize(640, 260);
    view->show();
    using B = BrowserExtensionPreferenceViewController;
    QList<QImage> pictures;
    for (B::Browser b : {B::Safari, B::Chrome, B::Firefox}) {
        QLabel *picture = page.pictureLabel(b);
        ASSERT_TRUE(picture) << b;
        EXPECT_TRUE(picture->isVisible()) << b;
        const QImage image = picture->pixmap().toImage();
        ASSERT_FALSE(image.isNull()) << b;
        EXPECT_GT(image.pixelColor(image.width() / 2, image.height() / 2).alpha(), 0) << "drawn in the middle: " << b;
        pictures << image;
        EXPECT_FALSE(page.versionField(b)->hasFrame()) << "text, not a box: " << b;
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
    auto saturated = [](const QImage &image) {
        int n = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                n += image.pixelColor(x, y).alpha() > 0 && image.pixelColor(x, y).hsvSaturation() > 80;
        return n;
    };
    EXPECT_GT(saturated(pictures[2]), 20) << "Firefox is here: in colour";
    EXPECT_EQ(saturated(pictures[1]), 0) << "no Chromium here: grey";
    EXPECT_EQ(page.stateText(B::Firefox), QStringLiteral("1.2"));
    EXPECT_EQ(page.stateText(B::Chrome), QStringLiteral("Chromium or Chrome not found"));
    EXPECT_EQ(page.stateText(B::Safari), QStringLiteral("Not available on Linux"));

    // Chromium arrives: the next full refresh draws it in colour, with nothing installed yet.
    setBrowsers({QStringLiteral("chromium"), QStringLiteral("firefox")});
    page.updateExtensionInfo4(ChromeId);
    EXPECT_EQ(page.stateText(B::Chrome), QStringLiteral("Not installed"));
    EXPECT_GT(saturated(page.pictureLabel(B::Chrome)->pixmap().toImage()), 20);
}

// Before the user clicks, the install page says which Firefox builds take the package and how.
TEST_F(ExtensionPages, InstallPageTellsWhichFirefoxBuildsTakeThePackage)
{
    setBrowsers({QStringLiteral("firefox")});
    Page p = makeInstallPage(m_manager);
    ASSERT_TRUE(p.controller->installBoxView()->isVisible());
    QLabel *note = p.controller->firefoxNote();
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisible());
    for (const char *part : {"release builds of Firefox accept only signed extensions", "Firefox ESR, Developer Edition and Nightly",
                             "xpinstall.signatures.required", "about:config"})
        EXPECT_TRUE(note->text().contains(QLatin1String(part))) << part;
    EXPECT_EQ(p.controller->firefoxButton()->toolTip(), note->text());
    // Each browser's picture stands above its button.
    for (QPushButton *button : {p.controller->chromeButton(), p.controller->firefoxButton(), p.controller->safariButton()}) {
        auto *picture = p.view->findChild<QLabel *>(button->objectName() + QStringLiteral("Picture"));
        ASSERT_TRUE(picture) << button->objectName().toStdString();
        EXPECT_TRUE(picture->isVisible());
        EXPECT_FALSE(picture->pixmap().isNull());
    }
}

// A browser that ends at once with an error (Chromium as root) is explained in a message box
// with its own words; one that leaves quietly, or keeps running, is no failure.
TEST_F(ExtensionPages, ABrowserThatEndsAtOnceIsExplained)
{
    auto shownBoxes = [] {
        QList<QMessageBox *> boxes;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible() && box->objectName() == QLatin1String("browserDidNotStart"))
                boxes << box;
        return boxes;
    };
    auto &page = *new BrowserExtensionPreferenceViewController(Safari, ChromeId, QString(), FirefoxId, &m_manager);
    std::unique_ptr<QWidget> view(page.view());
    view->show();
    using B = BrowserExtensionPreferenceViewController;
    const struct
    {
        const char *name;
        QByteArray body;
        bool failed;
        const char *refusal = nullptr; // what the log says stood at the output's name
    } cases[] = {
        {"refuses root", "echo '[12:12:1211/120000.000000:ERROR:zygote_host_impl_linux.cc(100)] Running as root without "
                         "--no-sandbox is not supported. See https://crbug.com/638180.' >&2\nexit 1\n",
         true},
        {"hands over quietly", "exit 0\n", false},
        {"keeps running", "echo $$ > \"$HOME/browser.pid\"\nexec /bin/sleep 30\n", false},
        // Its error output's name left as a FIFO: not read, so the page is not held in open().
        {"leaves a FIFO for its words", "f=$(/usr/bin/readlink /proc/$$/fd/2)\n/usr/bin/rm -f \"$f\"\n/usr/bin/mkfifo \"$f\"\nexit 1\n", false, "a FIFO"},
    };
    for (const auto &c : cases) {
        setBrowsers({QStringLiteral("chromium")}, c.body);
        page.updateExtensionInfo4(ChromeId);
        QSignalSpy settled(&m_manager, &BrowserExtensionManager::browserLaunchSettled);
        MessageCapture log;
        QTest::mouseClick(page.installButton(B::Chrome), Qt::LeftButton);
        ASSERT_TRUE(settled.wait(BrowserLaunch::WatchMs + 5000)) << c.name;
        EXPECT_EQ(settled.first().first().toBool(), c.failed) << c.name;
        if (c.refusal) {
            EXPECT_TRUE(log.has({QStringLiteral("fennix-browser-"), QString::fromLatin1(c.refusal)}))
                << log.messages().join(u'\n').toStdString();
        }
        QCoreApplication::processEvents();
        const QList<QMessageBox *> boxes = shownBoxes();
        ASSERT_EQ(boxes.size(), c.failed ? 1 : 0) << c.name;
        if (c.failed) {
            EXPECT_EQ(boxes[0]->text(), QStringLiteral("Chromium did not start.")) << c.name;
            EXPECT_EQ(boxes[0]->informativeText(),
                      QStringLiteral("Running as root without --no-sandbox is not supported. See https://crbug.com/638180."));
            QDir().mkpath(QStringLiteral(EXTENSION_GRAB_DIR));
            EXPECT_TRUE(boxes[0]->grab().save(QStringLiteral(EXTENSION_GRAB_DIR "/BrowserDidNotStart.png")));
            boxes[0]->close();
        }
    }
    const qint64 running = readFile(QDir::homePath() + QStringLiteral("/browser.pid")).trimmed().toLongLong();
    ASSERT_GT(running, 0);
    ::kill(pid_t(running), SIGTERM);
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
