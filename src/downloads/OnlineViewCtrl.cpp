#include "downloads/OnlineViewCtrl.h"

#include "controls/MGHoverButton.h"
#include "downloads/NavSiteViewCtrl.h"
#include "downloads/SiteNodeData.h"
#include "downloads/OnlineWebViewCtrl.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/UserDefaults.h"
#include "shell/NSStringURL.h"
#include "shell/UIManager.h"
#include "shell/UIStyle.h"
#include "shell/WKDataColleciton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

MGHoverButton *toolButton(QWidget *parent, const char *slices, const char *tip)
{
    auto *b = new MGHoverButton(parent);
    b->setFixedSize(30, 30);
    UIManager::setupHoverButtonThemeInMain(b, UIStyle::styleWithSliceToolTip(QString::fromLatin1(slices), MainBundle::localizedString(tip)));
    b->setToolTip(MainBundle::localizedString(tip));
    if (b->normalSliceName().isEmpty())
        b->setTitle(MainBundle::localizedString(tip).left(1));
    return b;
}

} // namespace

OnlineViewCtrl::OnlineViewCtrl(UserDefaults &defaults, QWidget *parent)
    : QWidget(parent)
    , m_defaults(defaults)
{
    setObjectName(QStringLiteral("OnlineViewCtrl"));
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("onlineToolRow"));
    // The same head as the Download page: white, 56 high, one thin line below.
    bar->setFixedHeight(56);
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#onlineToolRow { background: #FFFFFF; border-bottom: 1px solid #E1E5E8; }"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(6);
    m_btnHome = toolButton(bar, "mainform-480,mainform-481,mainform-482,mainform-483", "Home");
    m_btnBack = toolButton(bar, "mainform-513,mainform-514,mainform-515,mainform-516", "Back");
    m_btnForward = toolButton(bar, "mainform-535,mainform-536,mainform-537,mainform-538", "Forward");
    m_btnFresh = toolButton(bar, "mainform-557,mainform-558,mainform-559,mainform-560", "Refresh");
    m_edtURLBrowser = new QLineEdit(bar);
    m_edtURLBrowser->setObjectName(QStringLiteral("addressField"));
    m_edtURLBrowser->setPlaceholderText(MainBundle::localizedString("Paste or enter URL"));
    m_edtURLBrowser->setFixedHeight(34);
    m_edtURLBrowser->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #F5F7F8; border: 1px solid #DCE1E5; border-radius: 17px; padding: 0 14px; color: #222222; }"
        "QLineEdit:focus { background: #FFFFFF; border-color: #20C05B; }"));
    m_btnDownload = new MGHoverButton(bar);
    m_btnDownload->setObjectName(QStringLiteral("onlineDownloadButton"));
    m_btnDownload->setTitle(MainBundle::localizedString("Download"));
    m_btnDownload->setButtonDisplayType(MGHoverButton::DisplayAccentText);
    m_btnDownload->setMinimumSize(110, 34);
    for (QWidget *w : {static_cast<QWidget *>(m_btnHome), static_cast<QWidget *>(m_btnBack),
                       static_cast<QWidget *>(m_btnForward), static_cast<QWidget *>(m_btnFresh)})
        row->addWidget(w);
    row->addSpacing(6);
    row->addWidget(m_edtURLBrowser, 1);
    row->addSpacing(6);
    row->addWidget(m_btnDownload);
    root->addWidget(bar);
    m_viewBody = new QWidget(this);
    m_viewBody->setObjectName(QStringLiteral("onlineBody"));
    auto *bodyLayout = new QVBoxLayout(m_viewBody);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    root->addWidget(m_viewBody, 1);

    connect(m_btnHome, &QAbstractButton::clicked, this, &OnlineViewCtrl::homeClick);
    connect(m_btnBack, &QAbstractButton::clicked, this, &OnlineViewCtrl::backClick);
    connect(m_btnForward, &QAbstractButton::clicked, this, &OnlineViewCtrl::forwardClick);
    connect(m_btnFresh, &QAbstractButton::clicked, this, &OnlineViewCtrl::freshClick);
    connect(m_btnDownload, &QAbstractButton::clicked, this, &OnlineViewCtrl::downloadClick);
    connect(m_edtURLBrowser, &QLineEdit::returnPressed, this, [this] { addressEntered(); });

    disEnableWebViewAction();
    showNavSiteView();
}

OnlineViewCtrl::~OnlineViewCtrl()
{
    // A web page answers its pending script calls while it is destroyed. Destroy the browser
    // now, while every member still stands, and let no answer reach the buttons.
    ++m_checkSerial;
    delete m_onlineWebCtrl.data();
    if (m_navSiteViewCtrl) {
        m_navSiteViewCtrl->siteNodeDidClick = nullptr;
        m_navSiteViewCtrl->siteNodeDidChange = nullptr;
    }
}

OnlineWebViewCtrl *OnlineViewCtrl::webCtrl() const
{
    return m_onlineWebCtrl;
}

NavSiteViewCtrl *OnlineViewCtrl::navSiteCtrl() const
{
    return m_navSiteViewCtrl;
}

QString OnlineViewCtrl::rectText(const QRect &r)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

void OnlineViewCtrl::switchView(QWidget *face)
{
    for (QWidget *child : m_viewBody->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != face) {
            m_viewBody->layout()->removeWidget(child);
            child->hide();
        }
    }
    if (m_viewBody->layout()->indexOf(face) < 0)
        m_viewBody->layout()->addWidget(face);
    face->show();
}

void OnlineViewCtrl::showNavSiteView()
{
    if (!m_navSiteViewCtrl) {
        m_navSiteViewCtrl = new NavSiteViewCtrl(m_defaults, m_viewBody);
        m_navSiteViewCtrl->siteNodeDidClick = [this](const SiteNodePtr &n) { siteNodeDidClick(n); };
    }
    m_curOnlinePage = NavSiteFace;
    switchView(m_navSiteViewCtrl);
    m_navSiteViewCtrl->showNavSiteView();
}

void OnlineViewCtrl::showOnlineWebView()
{
    if (!m_onlineWebCtrl) {
        m_onlineWebCtrl = new OnlineWebViewCtrl(m_viewBody);
        m_onlineWebCtrl->webViewLoadStart = [this] { webViewLoadStart(); };
        m_onlineWebCtrl->webViewLoadFinish = [this](bool main) { webViewLoadFinish(main); };
        m_onlineWebCtrl->webViewLoadFailed = [this] { webViewLoadFailed(); };
        m_onlineWebCtrl->updateWebViewURL = [this](const QString &u, const QString &t) { updateWebViewURL(u, t); };
        m_onlineWebCtrl->updateWebViewIBActions = [this] { updateWebViewIBActions(); };
        m_onlineWebCtrl->collectOnlineEnterSite = [](const QString &site) { WKDataColleciton::share().collectOnlineEnterSite(site); };
    }
    m_curOnlinePage = BrowserFace;
    switchView(m_onlineWebCtrl);
}

void OnlineViewCtrl::siteNodeDidClick(const SiteNodePtr &node)
{
    if (node && !node->siteURL().isEmpty()) {
        showOnlineWebView();
        m_onlineWebCtrl->loadURL(node->siteURL());
    }
}

bool OnlineViewCtrl::addressEntered()
{
    const QString text = m_edtURLBrowser->text().trimmed();
    if (!NSStringURL::isValidURL(text))
        return false;
    showOnlineWebView();
    m_onlineWebCtrl->loadURL(text);
    return true;
}

void OnlineViewCtrl::disEnableWebViewAction()
{
    m_btnBack->setEnabled(false);
    m_btnForward->setEnabled(false);
    m_btnFresh->setEnabled(false);
    m_btnDownload->hide();
}

void OnlineViewCtrl::homeClick()
{
    if (m_curOnlinePage != BrowserFace)
        return;
    ++m_checkSerial;
    if (m_onlineWebCtrl)
        m_onlineWebCtrl->unInitWebView();
    disEnableWebViewAction();
    m_edtURLBrowser->clear();
    showNavSiteView();
}

void OnlineViewCtrl::backClick()
{
    if (m_onlineWebCtrl)
        m_onlineWebCtrl->goBack();
}

void OnlineViewCtrl::forwardClick()
{
    if (m_onlineWebCtrl)
        m_onlineWebCtrl->goForward();
}

void OnlineViewCtrl::freshClick()
{
    if (m_onlineWebCtrl)
        m_onlineWebCtrl->fresh();
}

void OnlineViewCtrl::downloadClick()
{
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    nc.post(NotificationNames::DragURLToMainApp, m_edtURLBrowser->text());
    nc.post(NotificationNames::OnlineDownloadedFinishNotification, QVariant(),
            {{QStringLiteral("AminFrame"), rectText(animationFrame())}});
}

QRect OnlineViewCtrl::animationFrame() const
{
    // The main window reads "AminFrame" with y counted up from its bottom edge and the
    // rectangle's origin at its lower left: the button's lower left corner, 40 by 40.
    const QWidget *host = window();
    const QPoint lowerLeft = m_btnDownload->mapTo(host, QPoint(0, m_btnDownload->height()));
    return QRect(lowerLeft.x(), host->height() - lowerLeft.y(), 40, 40);
}

void OnlineViewCtrl::hasVideoHTMLTag(std::function<void(bool)> answer)
{
    QWebEngineView *view = m_onlineWebCtrl ? m_onlineWebCtrl->webView() : nullptr;
    QPointer<OnlineViewCtrl> self(this);
    if (!view || NSStringURL::isFirstDomain(NSStringURL::trimURL(m_edtURLBrowser->text()))) {
        // Answered later like the page's own answer, so callers see one order either way.
        QTimer::singleShot(0, this, [answer] { answer(false); });
        return;
    }
    view->page()->runJavaScript(QStringLiteral("document.documentElement ? document.documentElement.outerHTML : ''"),
                                QWebEngineScript::ApplicationWorld, [self, answer](const QVariant &v) {
                                    if (!self)
                                        return;
                                    const QString html = v.toString();
                                    answer(html.contains(QLatin1String("video")) || html.contains(QLatin1String("embed")) ||
                                           html.contains(QLatin1String("object")));
                                });
}

void OnlineViewCtrl::webViewLoadStart()
{
    m_btnDownload->hide();
    m_btnFresh->setEnabled(true);
}

void OnlineViewCtrl::webViewLoadFinish(bool mainFrame)
{
    if (mainFrame) {
        updateWebViewIBActions();
        WKDataColleciton::share().collectOnlineComplete(true);
    }
    // Only the answer to the latest question counts.
    const int serial = ++m_checkSerial;
    hasVideoHTMLTag([this, serial](bool media) {
        if (serial != m_checkSerial)
            return;
        m_btnDownload->setVisible(media);
        emit mediaCheckDone(media);
    });
}

void OnlineViewCtrl::webViewLoadFailed()
{
    ++m_checkSerial;
    m_btnDownload->hide();
    WKDataColleciton::share().collectOnlineComplete(false);
}

void OnlineViewCtrl::updateWebViewURL(const QString &url, const QString &)
{
    if (!url.isEmpty() && !m_edtURLBrowser->hasFocus())
        m_edtURLBrowser->setText(url);
}

void OnlineViewCtrl::updateWebViewIBActions()
{
    m_btnBack->setEnabled(m_onlineWebCtrl && m_onlineWebCtrl->canGoBack());
    m_btnForward->setEnabled(m_onlineWebCtrl && m_onlineWebCtrl->canGoForward());
}
