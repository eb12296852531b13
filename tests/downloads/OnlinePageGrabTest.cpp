// Pictures of the Online page for a look by eye: the favourites grid and a loaded page. Web
// content is painted only on a display, so this runs under a private X server (see
// online.cmake) and skips itself on the offscreen platform.
#include "controls/MGHoverButton.h"
#include "downloads/OnlineViewCtrl.h"
#include "downloads/NavSiteViewCtrl.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "downloads/SiteNodeData.h"
#include "downloads/SiteViewCtrl.h"
#include "downloads/SitesNodeManager.h"
#include "platform/UserDefaults.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <gtest/gtest.h>

namespace {

const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

// The page's banner colour: seen in the grab only when the web content was painted.
const QColor Banner(0x1f, 0x6f, 0xeb);

LoopbackServer::Resource bannerPage()
{
    LoopbackServer::Resource html;
    html.contentType = "text/html; charset=utf-8";
    html.body = "<!doctype html><html><head><title>Evening clip</title><style>"
                "body{margin:0;font-family:sans-serif;background:#fafafa}"
                "header{background:#1f6feb;color:#fff;padding:18px 28px;font-size:26px}"
                "main{padding:24px 28px}video{width:560px;height:315px;background:#111}"
                "</style></head><body><header>Loopback Video Site</header><main>"
                "<h2>An evening by the river</h2><video controls></video>"
                "<p>Served from 127.0.0.1 for the picture.</p></main></body></html>";
    return html;
}

int bannerPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            n += qAbs(c.red() - Banner.red()) < 12 && qAbs(c.green() - Banner.green()) < 12 &&
                 qAbs(c.blue() - Banner.blue()) < 12;
        }
    return n;
}

class OnlinePageGrab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "web content is painted only on a display (platform "
                         << QGuiApplication::platformName().toStdString() << "); run under xvfb-run";
        ASSERT_TRUE(m_dir.isValid());
        defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("online.ini")));
        QDir().mkpath(screens);
    }
    std::unique_ptr<OnlineViewCtrl> makePage()
    {
        auto page = std::make_unique<OnlineViewCtrl>(*defaults);
        page->resize(1000, 640);
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        return page;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> defaults;
    const QString screens = QStringLiteral(ONLINE_SCREENS_DIR);
};

TEST_F(OnlinePageGrab, FavouritesGridWithAScreenshotTile)
{
    LoopbackServer server;
    server.add("/channel/river-videos.html", bannerPage());
    {
        // A favourite of the user's own beside the shipped ones: its tile gets a screenshot.
        SitesNodeManager manager(*defaults);
        manager.loadSiteNodes();
        const SiteNodePtr place = manager.siteNodes().value(8);
        ASSERT_TRUE(place);
        place->setSiteURL(QString::fromStdString(server.url("/channel/river-videos.html")));
        place->setSiteTitle(QStringLiteral("River Videos"));
        place->setLoaded(false);
        ASSERT_TRUE(manager.saveSiteNodes());
    }
    auto page = makePage();
    SiteViewCtrl *tile = page->navSiteCtrl()->tileAt(8);
    ASSERT_NE(tile, nullptr);
    const SiteNodePtr node = tile->siteNode();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return node->isLoaded() && !tile->isLoading(); }, 60000));
    // The picture is the page itself, not the letter placeholder of a page that never painted.
    EXPECT_GT(bannerPixels(node->siteLogo(), node->siteLogo().rect()), 30);
    QCoreApplication::processEvents();
    const QImage shot = page->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(screens + QStringLiteral("/online-favourites.png")));
}

TEST_F(OnlinePageGrab, LoadedPageIsPaintedWithTheDownloadButton)
{
    LoopbackServer server;
    server.add("/watch/evening-clip.html", bannerPage());

    auto page = makePage();
    page->addressField()->setText(QString::fromStdString(server.url("/watch/evening-clip.html")));
    ASSERT_TRUE(page->addressEntered());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->downloadButton()->isVisible(); }, 60000));

    // The compositor paints a moment after the load; wait for the banner to show in the grab.
    QWebEngineView *view = page->webCtrl()->webView();
    const QRect body(view->mapTo(page.get(), QPoint(0, 0)), view->size());
    QImage shot;
    const bool painted = TestEnvironment::waitFor([&] {
        shot = page->grab().toImage();
        return bannerPixels(shot, body) > 500;
    }, 30000);
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(screens + QStringLiteral("/online-browser.png")));
    EXPECT_TRUE(painted) << "the web content never showed in the grab";
}

} // namespace
