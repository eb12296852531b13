#include "controls/QVUrlLabel.h"
#include "platform/MainBundle.h"
#include "platform/Workspace.h"
#include "shell/AboutWindowCtrl.h"
#include "shell/MTSupportedSitesDefaultWndCtr.h"
#include "shell/PreferenceWndCtr.h"
#include "platform/UserDefaults.h"
#include "shell/VsWndCtr.h"
#include "shell/WelcomeWindowCtrl.h"
#include "support/TestEnvironment.h"
#include "support/WindowTexts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The web engine's sandbox cannot run as root in CI containers; the variable must be set
// before the engine starts (the test environment's list may not carry it through).
const bool sandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

TEST(SmallWindows, AboutShowsTheBundleValues)
{
    QVariantMap info = MainBundle::infoDictionary();
    const QVariantMap saved = info;
    info.insert(QStringLiteral("CFBundleDisplayName"), QStringLiteral("Fennix Pro"));
    info.insert(QStringLiteral("CFBundleVersion"), QStringLiteral("1001"));
    info.insert(QStringLiteral("NSHumanReadableCopyright"), QStringLiteral("Copyright test"));
    info.insert(QStringLiteral("HomePageURL"), QStringLiteral("http://127.0.0.1:9/home"));
    MainBundle::setInfoDictionaryForTesting(info);
    AboutWindowCtrl about;
    EXPECT_EQ(about.displayName()->text(), QStringLiteral("Fennix Pro"));
    EXPECT_EQ(about.displayVersion()->text(), QStringLiteral("Version: 1001"));
    EXPECT_EQ(about.copyright()->text(), QStringLiteral("Copyright test"));
    EXPECT_EQ(about.homePage()->url(), QStringLiteral("http://127.0.0.1:9/home"));
    about.show();
    // The table's texts, not its keys.
    EXPECT_EQ(WindowTexts::bareKeys(&about), QStringList());
    EXPECT_TRUE(WindowTexts::visibleTexts(&about).contains(QStringLiteral("Product Overview")));
    const QString dir = QStringLiteral(WINDOWS_SCREENS_DIR);
    QDir().mkpath(dir);
    about.grab().save(dir + QStringLiteral("/about.png"));
    MainBundle::setInfoDictionaryForTesting(saved);
}

TEST(SmallWindows, NoWindowShowsABareStringTableKey)
{
    // A key without an entry, or of a table that does not exist, is shown as given.
    EXPECT_EQ(MainBundle::localizedString(QStringLiteral("Homepage"), QStringLiteral("AboutWindowCtrl")), QStringLiteral("Homepage"));
    EXPECT_EQ(MainBundle::localizedString(QStringLiteral("learnmore"), QStringLiteral("../Info")), QStringLiteral("learnmore"));
    EXPECT_TRUE(MainBundle::stringTableKeys().contains(QStringLiteral("learnmore")));
    PreferenceWndCtr preferences(UserDefaults::standard());
    preferences.setupDefaultWidget();
    WelcomeWindowCtrl welcome;
    AboutWindowCtrl about;
    for (QWidget *w : std::initializer_list<QWidget *>{&preferences, &welcome, &about}) {
        w->show();
        EXPECT_EQ(WindowTexts::bareKeys(w), QStringList()) << w->objectName().toStdString();
        w->hide();
    }
}

TEST(SmallWindows, SupportedSitesHeadline)
{
    EXPECT_FALSE(MTSupportedSitesDefaultWndCtr::headlineHtml(QStringLiteral("100+ Websites Supported")).contains(QLatin1String("bold")));
    const QString marked = MTSupportedSitesDefaultWndCtr::headlineHtml(QStringLiteral("10,000+ Websites <Supported>"));
    EXPECT_TRUE(marked.contains(QLatin1String("font-weight:bold; color:#71acdd;\">10,000+</span>")));
    EXPECT_TRUE(marked.contains(QLatin1String("&lt;Supported&gt;")));
}

TEST(SmallWindows, SupportedSitesLoadsOnlyItsOwnPage)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &, const QStringList &targets) {
        opened << targets;
        return true;
    });
    MTSupportedSitesDefaultWndCtr window;
    window.show();
    const QUrl own = MTSupportedSitesDefaultWndCtr::siteListURL();
    ASSERT_TRUE(own.isValid());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return window.webView()->title() == QLatin1String("Supported Sites"); }, 30000));

    // A remote address that merely contains the page's name is not our page.
    const QString lookalike = QStringLiteral("http://127.0.0.1:%1/MTSupportedSites.html").arg(server.serverPort());
    EXPECT_FALSE(MTSupportedSitesDefaultWndCtr::isOwnPage(QUrl(lookalike)));
    EXPECT_TRUE(MTSupportedSitesDefaultWndCtr::isOwnPage(own));
    window.webView()->page()->runJavaScript(QStringLiteral("location.href = '%1';").arg(lookalike));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !opened.isEmpty(); }, 10000));
    EXPECT_EQ(opened.value(0), lookalike);
    // The page answers from where it is: still our own list.
    QString href;
    window.webView()->page()->runJavaScript(QStringLiteral("location.href"), [&](const QVariant &v) { href = v.toString(); });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !href.isEmpty(); }, 10000));
    EXPECT_EQ(QUrl(href), own);
    EXPECT_EQ(window.webView()->url(), own);
    Workspace::setHookForTesting({});
}

TEST(SmallWindows, WhatsNewCarouselFollowsThePicturesThatShip)
{
    auto picture = [](QColor c) {
        QImage i(574, 367, QImage::Format_RGB32);
        i.fill(c);
        return i;
    };
    {
        WelcomeWindowCtrl two({picture(Qt::red), picture(Qt::blue)});
        EXPECT_EQ(two.pictureView()->width(), 1148);
        int shown = 0;
        for (QPushButton *b : two.pageButtons())
            shown += b->isVisibleTo(&two) ? 1 : 0;
        EXPECT_EQ(shown, 2);
        EXPECT_FALSE(two.previousButton()->isVisibleTo(&two));
        two.gotoNext();
        EXPECT_EQ(two.index(), 2);
        EXPECT_TRUE(two.previousButton()->isVisibleTo(&two));
        EXPECT_FALSE(two.nextButton()->isVisibleTo(&two));
        two.gotoNext(); // no page 3
        EXPECT_EQ(two.index(), 2);
        two.gotoPrevious();
        EXPECT_EQ(two.index(), 1);
    }
    WelcomeWindowCtrl one({picture(Qt::green)});
    for (QPushButton *b : one.pageButtons())
        EXPECT_FALSE(b->isVisibleTo(&one));
}

TEST(SmallWindows, OfferButtonsOpenTheirAddresses)
{
    QVariantMap info = MainBundle::infoDictionary();
    const QVariantMap saved = info;
    info.insert(QStringLiteral("CouponBuyURL"), QStringLiteral("http://127.0.0.1:9/buy"));
    info.insert(QStringLiteral("CouponDownloadURL"), QStringLiteral("http://127.0.0.1:9/try"));
    MainBundle::setInfoDictionaryForTesting(info);
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &, const QStringList &targets) {
        opened << targets;
        return true;
    });
    {
        VsWndCtr offer;
        offer.clickBuy();
        EXPECT_EQ(offer.result(), 1);
    }
    VsWndCtr offer;
    offer.clickTry();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("http://127.0.0.1:9/buy"), QStringLiteral("http://127.0.0.1:9/try")}));
    Workspace::setHookForTesting({});
    MainBundle::setInfoDictionaryForTesting(saved);
}

} // namespace
