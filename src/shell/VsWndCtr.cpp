#include "shell/VsWndCtr.h"

#include "controls/MGHoverButton.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/BrowserHandOffPage.h"
#include "shell/NSWindowCommon.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

VsWndCtr::VsWndCtr(QWidget *parent)
    : ShellDialog(parent)
{
    setObjectName(QStringLiteral("OfferWindow"));
    setTitleText(QString());
    resize(640, 460);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, TitleStripHeight, 0, 12);
    m_webView = new QWebEngineView(this);
    auto *page = new BrowserHandOffPage(m_webView);
    m_webView->setPage(page);
    root->addWidget(m_webView, 1);
    // A disk image the page links to goes to the browser too.
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this, [page](QWebEngineDownloadRequest *request) {
        if (request->page() != page)
            return;
        if (request->url().path().endsWith(QLatin1String(".dmg"), Qt::CaseInsensitive))
            Workspace::openUrl(request->url());
        request->cancel();
    });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto [title, slot] : {std::pair{"Try", &VsWndCtr::clickTry}, std::pair{"Buy", &VsWndCtr::clickBuy}}) {
        auto *b = new MGHoverButton(this);
        b->setButtonDisplayType(MGHoverButton::DisplayDialog);
        b->setTitle(MainBundle::localizedString(title));
        b->setMinimumSize(90, 30);
        connect(b, &QAbstractButton::clicked, this, slot);
        buttons->addWidget(b);
    }
    buttons->addSpacing(12);
    root->addLayout(buttons);
    UserDefaults::standard().setString(QStringLiteral("AppleShowScrollBars"), QStringLiteral("WhenScrolling"));
    const QString address = MainBundle::infoString(QStringLiteral("CouponBuyURL"));
    if (!address.isEmpty())
        m_webView->load(QUrl(address));
}

int VsWndCtr::runModal(QWidget *parentWindow)
{
    NSWindowCommon::moveToWindowCenter(this, parentWindow);
    return exec();
}

void VsWndCtr::finish(const char *statValue, const char *urlKey)
{
    hide();
    done(1);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Ads_VCU"), QString::fromLatin1(statValue));
    const QString address = MainBundle::infoString(QString::fromLatin1(urlKey));
    if (!address.isEmpty())
        Workspace::openUrl(QUrl(address));
}

void VsWndCtr::clickBuy()
{
    finish("Id_Gift_Buy", "CouponBuyURL");
}

void VsWndCtr::clickTry()
{
    finish("Id_FreeTry", "CouponDownloadURL");
}
