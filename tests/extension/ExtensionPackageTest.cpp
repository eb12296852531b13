#include "ExtensionFixtures.h"

#include "extension/BrowserExtensionManager.h"
#include "extension/json/NSString_SBJSON.h"
#include "shell/BriskletBundle.h"
#include "shell/URLEventDecoder.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

namespace {

// The page's renderer runs as root in CI: it needs the sandbox off before the first page.
const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

QByteArray source(const char *name)
{
    QFile f(QStringLiteral(EXTENSION_SOURCE_DIR "/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs the extension's background script in a real page, with the browser's extension API
// replaced by a double that records what the script asks of it.
QString runInPage(QWebEnginePage &page, const QString &setUp, const QString &action)
{
    // Each run in a scope of its own, as each extension start is.
    const QString script = QStringLiteral("(function() {\n") + setUp + QString::fromUtf8(source("pelqa.js")) + QLatin1Char('\n')
                           + QString::fromUtf8(source("background.js")) + QStringLiteral("\n;") + action
                           + QStringLiteral("\n})(); window.__opened || ''");
    QString result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant &v) {
        result = v.toString();
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
    return result;
}

const char *const ChromeDouble = R"(
  window.__opened = "";
  var __listeners = {};
  var chrome = {
    action: { onClicked: { addListener: f => __listeners.action = f } },
    runtime: { onInstalled: { addListener: f => f() } },
    contextMenus: { create: o => { window.__menu = o; }, onClicked: { addListener: f => __listeners.menu = f } },
    tabs: { update: (id, o) => { window.__opened = o.url; window.__tab = id; } }
  };
)";

} // namespace

TEST(ExtensionPackage, ScriptHandsThePageToTheApplicationThroughPelqa)
{
    QWebEnginePage page;
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    page.setHtml(QStringLiteral("<html><body><video src='clip.mp4'></video></body></html>"), QUrl(QStringLiteral("http://127.0.0.1:9/")));
    ASSERT_TRUE(loaded.wait(20000));

    struct Case
    {
        const char *name;
        QString setUp;
        QString action;
        QString pageUrl;   // empty: nothing may be opened
        QString browser;
    };
    const QString chromeDouble = QString::fromLatin1(ChromeDouble);
    const QString firefoxDouble = chromeDouble + QStringLiteral(
        "var browser = chrome; Object.defineProperty(navigator, 'userAgent', {value: 'Mozilla/5.0 (X11; Linux x86_64; rv:115.0) "
        "Gecko/20100101 Firefox/115.0'});");
    const Case cases[] = {
        {"toolbar button", chromeDouble, QStringLiteral("__listeners.action({id: 7, url: 'https://video.example/watch?v=a1&t=3#x'})"),
         QStringLiteral("https://video.example/watch?v=a1&t=3#x"), QStringLiteral("Chrome")},
        {"non-ASCII address", chromeDouble, QStringLiteral("__listeners.action({id: 7, url: 'https://v.example/\u00e9t\u00e9?q=caf\u00e9'})"),
         QStringLiteral("https://v.example/\u00e9t\u00e9?q=caf\u00e9"), QStringLiteral("Chrome")},
        {"menu on a link", chromeDouble,
         QStringLiteral("__listeners.menu({menuItemId: 'fennixpro-download', linkUrl: 'http://a.example/v/2', pageUrl: 'http://a.example/'}, {id: 1})"),
         QStringLiteral("http://a.example/v/2"), QStringLiteral("Chrome")},
        {"menu on a video in Firefox", firefoxDouble,
         QStringLiteral("__listeners.menu({menuItemId: 'fennixpro-download', srcUrl: 'https://cdn.example/clip.mp4', pageUrl: 'https://p.example/'}, {id: 1})"),
         QStringLiteral("https://cdn.example/clip.mp4"), QStringLiteral("Firefox")},
        {"browser's own page", chromeDouble, QStringLiteral("__listeners.action({id: 7, url: 'chrome://extensions'})"), QString(), QString()},
        {"another menu's click", chromeDouble, QStringLiteral("__listeners.menu({menuItemId: 'other', pageUrl: 'http://a.example/'}, {id: 1})"),
         QString(), QString()},
    };
    for (const Case &c : cases) {
        const QString opened = runInPage(page, c.setUp, c.action);
        if (c.pageUrl.isEmpty()) {
            EXPECT_TRUE(opened.isEmpty()) << c.name << ": " << opened.toStdString();
            continue;
        }
        ASSERT_TRUE(opened.startsWith(QStringLiteral("pelqa://"))) << c.name << ": " << opened.toStdString();
        const URLEventDecoder::Request r = URLEventDecoder::decode(opened);
        EXPECT_EQ(r.kind, URLEventDecoder::Kind::SinglePage) << c.name;
        EXPECT_EQ(r.pageUrl, c.pageUrl) << c.name;
        EXPECT_EQ(r.params.value(QStringLiteral("Browser")).toString(), c.browser) << c.name;
    }
}

TEST(ExtensionPackage, PackagesCarryTheVersionAndIdsTheManagerReports)
{
    const auto manifest = NSString_SBJSON::JSONValue(source("manifest.json"));
    ASSERT_TRUE(manifest);
    const QString version = manifest->value(QStringLiteral("version"))->text();
    BrowserExtensionManager m;
    m.setResourcesFolder(QStringLiteral(BRISKLET_PACKAGES));
    EXPECT_EQ(m.latestChromeExtensionVersionNamed(QString::fromLatin1(BriskletBundle::ChromeExtensionId)), version);
    EXPECT_EQ(m.latestFirefoxExtensionVersionNamed(QString::fromLatin1(BriskletBundle::FirefoxExtensionId)), version);

    // Chromium derives an unpacked extension's id from the key: the first 128 bits of the
    // SHA-256 of the public key, written with the letters a to p.
    const QByteArray key = QByteArray::fromBase64(manifest->value(QStringLiteral("key"))->text().toLatin1());
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    QString id;
    for (char c : hash)
        id += QLatin1Char(char('a' + QByteArray(1, c).toInt(nullptr, 16)));
    EXPECT_EQ(id, QString::fromLatin1(BriskletBundle::ChromeExtensionId));
    EXPECT_TRUE(QFile::exists(QStringLiteral(BRISKLET_PACKAGES "/ChromeGuide.html")));
}

// Firefox's own manifest: the data-collection statement its checks ask every add-on for, and
// the button on the toolbar from the start; the Chromium manifest carries neither.
TEST(ExtensionPackage, FirefoxManifestStatesItsDataCollectionAndPlacesTheButtonOnTheToolbar)
{
    const QString xpi = QStringLiteral(BRISKLET_PACKAGES "/") + QString::fromLatin1(BriskletBundle::FirefoxExtensionId)
                        + QStringLiteral(".xpi");
    const auto firefox = NSString_SBJSON::JSONValue(ExtensionFixtures::readZipEntry(xpi, QStringLiteral("manifest.json")));
    ASSERT_TRUE(firefox) << xpi.toStdString();
    const SBJsonValue *gecko = firefox->path({QStringLiteral("browser_specific_settings"), QStringLiteral("gecko")});
    ASSERT_TRUE(gecko);
    EXPECT_EQ(gecko->value(QStringLiteral("id"))->text(), QString::fromLatin1(BriskletBundle::FirefoxExtensionId));
    const SBJsonValue *required = gecko->path({QStringLiteral("data_collection_permissions"), QStringLiteral("required")});
    ASSERT_TRUE(required && required->isArray());
    ASSERT_EQ(required->size(), 1);
    EXPECT_EQ(required->at(0).text(), QStringLiteral("none"));
    const SBJsonValue *area = firefox->path({QStringLiteral("action"), QStringLiteral("default_area")});
    ASSERT_TRUE(area);
    EXPECT_EQ(area->text(), QStringLiteral("navbar"));
    EXPECT_EQ(firefox->path({QStringLiteral("action"), QStringLiteral("default_title")})->text(),
              QStringLiteral("Download this page's video with Fennix Pro"));

    const auto chromium = NSString_SBJSON::JSONValue(source("manifest.json"));
    ASSERT_TRUE(chromium);
    EXPECT_FALSE(chromium->path({QStringLiteral("action"), QStringLiteral("default_area")}));
    EXPECT_FALSE(chromium->value(QStringLiteral("browser_specific_settings")));
}
