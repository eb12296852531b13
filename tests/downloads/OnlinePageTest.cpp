#include "controls/MGHoverButton.h"
#include "downloads/AddNewSiteWinCtrl.h"
#include "downloads/NavSiteViewCtrl.h"
#include "downloads/OnlineViewCtrl.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "downloads/SiteNodeData.h"
#include "downloads/SiteNodeView.h"
#include "downloads/SiteViewCtrl.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

// The web engine's sandbox cannot run as root in CI containers; the variable must be set
// before the engine starts (the test environment's list may not carry it through).
const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

// Serves fixed pages from 127.0.0.1; "/hang" never answers.
class LoopbackPages : public QObject
{
public:
    LoopbackPages()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
                m_held << s;
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    QMap<QString, QByteArray> pages;

private:
    void answer(QTcpSocket *s)
    {
        const QByteArray request = s->readAll();
        const QByteArray path = request.split(' ').value(1);
        if (path == "/hang")
            return;
        const bool known = pages.contains(QString::fromLatin1(path));
        const QByteArray body = known ? pages.value(QString::fromLatin1(path)) : QByteArray("<html><body>missing</body></html>");
        s->write((known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                 QByteArray("Content-Type: text/html\r\nConnection: close\r\nContent-Length: ") + QByteArray::number(body.size()) +
                 "\r\n\r\n" + body);
        s->disconnectFromHost();
    }
    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};

class OnlineFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("online.ini")));
        server.pages.insert(QStringLiteral("/watch/clip-page.html"),
                            "<html><head><title>Clip</title></head><body><video src=\"/clip.mp4\"></video></body></html>");
        server.pages.insert(QStringLiteral("/reading/plain-page.html"),
                            "<html><head><title>Plain</title></head><body><p>Just text here.</p></body></html>");
        server.pages.insert(QStringLiteral("/popup/opener-page.html"),
                            "<html><head><title>Opener</title></head><body>"
                            "<a id=\"l\" href=\"/reading/plain-page.html\" target=\"_blank\">next</a></body></html>");
    }
    std::unique_ptr<OnlineViewCtrl> makePage()
    {
        auto page = std::make_unique<OnlineViewCtrl>(*defaults);
        page->resize(1000, 640);
        page->show();
        return page;
    }
    bool loadAndWait(OnlineViewCtrl &page, const QString &address, bool *media)
    {
        page.addressField()->setText(address);
        if (!page.addressEntered())
            return false;
        // Only answers given after the load finished count: earlier ones belong to the title
        // or to the page before.
        bool finished = false;
        int answers = 0;
        QObject guard;
        QObject::connect(page.webCtrl()->webView(), &QWebEngineView::loadFinished, &guard, [&] { finished = true; });
        QObject::connect(&page, &OnlineViewCtrl::mediaCheckDone, &guard, [&](bool m) {
            if (finished) {
                ++answers;
                *media = m;
            }
        });
        const bool done = TestEnvironment::waitFor([&] { return answers > 0; }, 60000);
        if (!done)
            ADD_FAILURE() << "no media answer after loading " << address.toStdString() << " (finished " << finished << ")";
        return done;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> defaults;
    LoopbackPages server;
};

TEST_F(OnlineFixture, PageWithVideoShowsTheDownloadButtonAndSendsItsAddress)
{
    auto page = makePage();
    EXPECT_EQ(page->curOnlinePage(), int(OnlineViewCtrl::NavSiteFace));
    EXPECT_FALSE(page->downloadButton()->isVisible());

    bool media = false;
    ASSERT_TRUE(loadAndWait(*page, server.url(QStringLiteral("/watch/clip-page.html")), &media));
    EXPECT_EQ(page->curOnlinePage(), int(OnlineViewCtrl::BrowserFace));
    EXPECT_TRUE(media);
    EXPECT_TRUE(page->downloadButton()->isVisible());
    EXPECT_TRUE(page->freshButton()->isEnabled());

    // Our own script is in the page, in the application's world, and came from no network.
    QString scriptType;
    page->webCtrl()->webView()->page()->runJavaScript(QStringLiteral("typeof window.__fennixMediaCount"),
                                                      QWebEngineScript::ApplicationWorld,
                                                      [&](const QVariant &v) { scriptType = v.toString(); });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !scriptType.isEmpty(); }, 10000));
    EXPECT_EQ(scriptType, QStringLiteral("function"));
    QString pageWorld;
    page->webCtrl()->webView()->page()->runJavaScript(QStringLiteral("typeof window.__fennixMediaCount"),
                                                      [&](const QVariant &v) { pageWorld = v.toString(); });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !pageWorld.isEmpty(); }, 10000));
    EXPECT_EQ(pageWorld, QStringLiteral("undefined"));

    QObject observer;
    QStringList order;
    QString address;
    QString frame;
    auto &nc = NotificationCenter::defaultCenter();
    nc.addObserver(&observer, QStringLiteral("DragURLToMainApp"), [&](const Notification &n) {
        order << n.name;
        address = n.object.toString();
    });
    nc.addObserver(&observer, QStringLiteral("OnlineDownloadedFinishNotification"), [&](const Notification &n) {
        order << n.name;
        frame = n.userInfo.value(QStringLiteral("AminFrame")).toString();
    });
    page->downloadButton()->click();
    EXPECT_EQ(order, (QStringList{QStringLiteral("DragURLToMainApp"), QStringLiteral("OnlineDownloadedFinishNotification")}));
    EXPECT_EQ(address, server.url(QStringLiteral("/watch/clip-page.html")));
    EXPECT_TRUE(frame.endsWith(QLatin1String("{40, 40}}"))) << frame.toStdString();

}

TEST_F(OnlineFixture, PageWithoutMediaAndFrontPagesShowNoButton)
{
    auto page = makePage();
    bool media = true;
    ASSERT_TRUE(loadAndWait(*page, server.url(QStringLiteral("/reading/plain-page.html")), &media));
    EXPECT_FALSE(media);
    EXPECT_FALSE(page->downloadButton()->isVisible());

    // A front page never offers the button, whatever its HTML holds.
    server.pages.insert(QStringLiteral("/"), "<html><head><title>Front</title></head><body><video></video></body></html>");
    media = true;
    ASSERT_TRUE(loadAndWait(*page, server.url(QStringLiteral("/")), &media));
    EXPECT_FALSE(media);
    // An invalid address stays in the field and loads nothing.
    page->addressField()->setText(QStringLiteral("not an address"));
    EXPECT_FALSE(page->addressEntered());
}

TEST_F(OnlineFixture, NewWindowsOpenInTheSameViewAndHomeDropsTheHistory)
{
    auto page = makePage();
    bool media = false;
    ASSERT_TRUE(loadAndWait(*page, server.url(QStringLiteral("/popup/opener-page.html")), &media));
    QWebEngineView *view = page->webCtrl()->webView();
    view->page()->runJavaScript(QStringLiteral("window.open('/reading/plain-page.html', '_blank');"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->webCtrl()->curWebTitle() == QLatin1String("Plain"); }, 30000));
    EXPECT_EQ(page->webCtrl()->webView(), view);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return page->backButton()->isEnabled(); }, 5000));

    page->homeClick();
    EXPECT_EQ(page->curOnlinePage(), int(OnlineViewCtrl::NavSiteFace));
    EXPECT_EQ(page->webCtrl()->webView(), nullptr);
    EXPECT_FALSE(page->backButton()->isEnabled());
    EXPECT_TRUE(page->addressField()->text().isEmpty());
}

TEST_F(OnlineFixture, ClosingThePageWhileAMediaCheckIsPendingIsSafe)
{
    // The web page answers pending checks while it is destroyed: the answer must find the
    // Online page whole (no button freed yet) and say "no media".
    auto page = makePage();
    bool media = false;
    ASSERT_TRUE(loadAndWait(*page, server.url(QStringLiteral("/watch/clip-page.html")), &media));
    QPointer<MGHoverButton> button(page->downloadButton());
    int answers = 0;
    bool answer = true;
    bool buttonStood = false;
    page->hasVideoHTMLTag([&](bool m) {
        ++answers;
        answer = m;
        buttonStood = !button.isNull();
    });
    page.reset();
    EXPECT_EQ(answers, 1);
    EXPECT_FALSE(answer);
    EXPECT_TRUE(buttonStood) << "the answer came after the page's buttons were freed";
}

TEST_F(OnlineFixture, FavouritesPadToTwelveAndKeepTheirOrderAcrossARestart)
{
    {
        NavSiteViewCtrl grid(*defaults);
        grid.resize(900, 560);
        grid.showNavSiteView();
        ASSERT_EQ(grid.tiles().size(), 12);
        // The shipped list has eight sites; places 8 to 11 are empty "Add New" tiles.
        for (int i = 0; i < 12; ++i) {
            SiteViewCtrl *tile = grid.tileAt(i);
            ASSERT_NE(tile, nullptr) << i;
            EXPECT_EQ(tile->siteNode()->hasAddress(), i < 8) << i;
            EXPECT_EQ(tile->geometry(), grid.calcPinSiteViewRect(i));
        }
        EXPECT_EQ(grid.tileAt(9)->titleText(), QStringLiteral("Add New"));
        // Deleting place 2 moves 3..11 one back and puts the emptied tile last.
        const QString third = grid.tileAt(3)->siteNode()->siteTitle();
        SiteViewCtrl *removed = grid.tileAt(2);
        removed->delPinViewClick();
        EXPECT_EQ(removed->siteNode()->siteIndex(), 11);
        EXPECT_EQ(grid.tileAt(2)->siteNode()->siteTitle(), third);
    }
    NavSiteViewCtrl again(*defaults);
    again.resize(900, 560);
    again.showNavSiteView();
    QStringList titles;
    for (int i = 0; i < 12; ++i)
        titles << again.tileAt(i)->siteNode()->siteTitle();
    EXPECT_EQ(titles.mid(0, 7), (QStringList{QStringLiteral("YouTube"), QStringLiteral("Vimeo"), QStringLiteral("Facebook"),
                                            QStringLiteral("Instagram"), QStringLiteral("SoundCloud"), QStringLiteral("Twitch"),
                                            QStringLiteral("Bilibili")}));
    EXPECT_FALSE(again.tileAt(11)->siteNode()->hasAddress());

    // A stored list of fifteen keeps the first twelve; a broken archive is skipped.
    QVariantList stored;
    for (int i = 0; i < 15; ++i) {
        SiteNodeData n;
        n.setSiteIndex(i % 12);
        n.setSiteTitle(QStringLiteral("s%1").arg(i));
        stored << KeyedArchiver::archivedDataWithRootObject(n);
    }
    stored.insert(1, QByteArray("\xff\x00garbage", 9));
    defaults->setObject(QStringLiteral("NavSitesArrayKey"), stored);
    SitesNodeManager manager(*defaults);
    manager.loadSiteNodes();
    EXPECT_EQ(manager.siteNodes().size(), 12);
}

TEST_F(OnlineFixture, TileWhosePageNeverLoadsGetsAPlaceholderAndBecomesClickable)
{
    SiteViewCtrl::setLoadTimeoutForTesting(1500);
    SiteViewCtrl tile;
    auto node = std::make_shared<SiteNodeData>();
    node->setSiteIndex(8);
    node->setSiteURL(server.url(QStringLiteral("/hang")));
    node->setSiteTitle(QStringLiteral("Stuck"));
    int changes = 0;
    SiteNodePtr clicked;
    tile.siteNodeDidChange = [&](const SiteNodePtr &) { ++changes; };
    tile.siteNodeDidClick = [&](const SiteNodePtr &n) { clicked = n; };
    tile.setSiteNode(node);
    EXPECT_TRUE(tile.isLoading());
    tile.pinViewClick();
    EXPECT_EQ(clicked, nullptr); // not yet loaded: the click is ignored
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return node->isLoaded(); }, 10000));
    EXPECT_FALSE(tile.isLoading());
    EXPECT_FALSE(node->siteLogo().isNull());
    EXPECT_EQ(changes, 1);
    tile.pinViewClick();
    EXPECT_EQ(clicked, node);
    SiteViewCtrl::setLoadTimeoutForTesting(0);
}

TEST_F(OnlineFixture, AddDialogNormalisesTheAddressAndRefusesBadOnes)
{
    struct Case
    {
        const char *typed;
        const char *title;
        bool accepted;
        const char *url;
        const char *finalTitle;
    };
    const Case cases[] = {
        {"www.example.com", "", true, "http://www.example.com/", "example"},
        {"https://vimeo.com/channels", "My Vimeo", true, "https://vimeo.com/channels", "My Vimeo"},
        {"http://example.com/watch?v=abc", "", true, "http://example.com/watch?v=abc", "example"},
        {"not an address", "x", false, "", "Add New"},
        {"", "x", false, "", "Add New"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        auto node = std::make_shared<SiteNodeData>();
        AddNewSiteWinCtrl dialog(node);
        dialog.urlField()->setText(QString::fromLatin1(c.typed));
        dialog.titleField()->setText(QString::fromLatin1(c.title));
        dialog.okButton();
        EXPECT_EQ(dialog.result(), c.accepted ? 1 : 0);
        EXPECT_EQ(node->siteURL(), QString::fromLatin1(c.url));
        EXPECT_EQ(node->siteTitle(), QString::fromLatin1(c.finalTitle));
    }
}

} // namespace
