#include "downloads/OnlineWebViewCtrl.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "shell/NSStringURL.h"

#include <QFile>
#include <QResizeEvent>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {

// A page asking for a new window gets a throw-away page; its first address is loaded into
// the browser's own view instead.
class OnlinePage : public QWebEnginePage
{
public:
    OnlinePage(OnlineWebViewCtrl *ctrl, QObject *parent)
        : QWebEnginePage(parent)
        , m_ctrl(ctrl)
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        auto *catcher = new QWebEnginePage(this);
        QPointer<OnlineWebViewCtrl> ctrl = m_ctrl;
        connect(catcher, &QWebEnginePage::urlChanged, catcher, [catcher, ctrl](const QUrl &url) {
            if (url.isEmpty())
                return;
            if (ctrl)
                ctrl->loadRequest(url);
            catcher->deleteLater();
        });
        return catcher;
    }

private:
    QPointer<OnlineWebViewCtrl> m_ctrl;
};

} // namespace

OnlineWebViewCtrl::OnlineWebViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("OnlineWebView"));
}

OnlineWebViewCtrl::~OnlineWebViewCtrl()
{
    unInitWebView();
}

QString OnlineWebViewCtrl::browserURL(const QString &text)
{
    const QString address = NSStringURL::httpURL(text);
    const QUrl url(text.contains(QLatin1String("://")) ? text : QStringLiteral("http://") + text);
    const bool bareHost = url.path().isEmpty() || url.path() == QLatin1String("/");
    return bareHost && !url.hasQuery() && !url.hasFragment() ? address : url.toString();
}

QString OnlineWebViewCtrl::injectedScript()
{
    const QString path = MainBundle::pathForResource(QStringLiteral("EmbededButton"), QStringLiteral("js"));
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        ScribletLogError(QStringLiteral("injectLocalJsFile failed, reason for file not exist."));
        return {};
    }
    return QString::fromUtf8(f.readAll());
}

void OnlineWebViewCtrl::initWebView()
{
    if (m_onlineWebView)
        return;
    m_onlineWebView = new QWebEngineView(this);
    m_onlineWebView->setObjectName(QStringLiteral("siteview"));
    auto *page = new OnlinePage(this, m_onlineWebView);
    m_onlineWebView->setPage(page);
    const QString script = injectedScript();
    if (!script.isEmpty()) {
        QWebEngineScript s;
        s.setName(QStringLiteral("EmbededButton"));
        s.setSourceCode(script);
        s.setInjectionPoint(QWebEngineScript::DocumentReady);
        s.setWorldId(QWebEngineScript::ApplicationWorld);
        s.setRunsOnSubFrames(false);
        page->scripts().insert(s);
    }
    m_onlineWebView->setGeometry(rect());
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        if (webViewLoadStart)
            webViewLoadStart();
    });
    connect(page, &QWebEnginePage::loadFinished, this, &OnlineWebViewCtrl::loadFinished);
    connect(page, &QWebEnginePage::titleChanged, this, &OnlineWebViewCtrl::titleChanged);
    connect(page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (!url.isEmpty() && updateWebViewURL)
            updateWebViewURL(url.toString(), QString());
        if (updateWebViewIBActions)
            updateWebViewIBActions();
    });
    m_onlineWebView->show();
}

void OnlineWebViewCtrl::unInitWebView()
{
    if (!m_onlineWebView)
        return;
    m_onlineWebView->page()->disconnect(this);
    m_onlineWebView->stop();
    delete m_onlineWebView.data();
    m_onlineWebView = nullptr;
    m_curWebURL.clear();
    m_curWebTitle.clear();
}

void OnlineWebViewCtrl::loadURL(const QString &text)
{
    if (text.isEmpty() || !NSStringURL::isValidURL(text)) {
        ScribletLogError(QStringLiteral("loadURL isNotValidURL:%1").arg(text));
        return;
    }
    initWebView();
    m_curWebURL = browserURL(text);
    m_fellBack = false;
    const QUrl url(m_curWebURL);
    if (url.isValid())
        loadRequest(url);
    if (collectOnlineEnterSite)
        collectOnlineEnterSite(m_curWebURL);
}

void OnlineWebViewCtrl::loadRequest(const QUrl &url)
{
    initWebView();
    if (updateWebViewURL)
        updateWebViewURL(url.toString(), QString());
    m_onlineWebView->load(url);
}

void OnlineWebViewCtrl::loadFinished(bool ok)
{
    if (ok) {
        if (webViewLoadFinish)
            webViewLoadFinish(true);
        return;
    }
    // A first page that fails falls back to the maker's home page, once.
    const QString home = MainBundle::infoString(QStringLiteral("HomePageURL"));
    if (m_curWebTitle.isEmpty() && !m_fellBack && !home.isEmpty() && NSStringURL::isValidURL(home)) {
        m_fellBack = true;
        loadRequest(QUrl(browserURL(home)));
        return;
    }
    if (webViewLoadFailed)
        webViewLoadFailed();
}

void OnlineWebViewCtrl::titleChanged(const QString &title)
{
    const QString url = m_onlineWebView ? m_onlineWebView->url().toString() : QString();
    if (!url.isEmpty())
        m_curWebURL = url;
    m_curWebTitle = title;
    if (updateWebViewURL)
        updateWebViewURL(url, title);
    if (webViewLoadFinish)
        webViewLoadFinish(false);
}

void OnlineWebViewCtrl::goBack()
{
    if (canGoBack()) {
        m_onlineWebView->back();
        ScribletLogInfo(QStringLiteral("can go back"));
    }
}

void OnlineWebViewCtrl::goForward()
{
    if (canGoForward()) {
        m_onlineWebView->forward();
        ScribletLogInfo(QStringLiteral("can go Forward"));
    }
}

void OnlineWebViewCtrl::fresh()
{
    if (!m_onlineWebView)
        return;
    m_onlineWebView->stop();
    m_onlineWebView->reload();
}

bool OnlineWebViewCtrl::canGoBack() const
{
    return m_onlineWebView && m_onlineWebView->history()->canGoBack();
}

bool OnlineWebViewCtrl::canGoForward() const
{
    return m_onlineWebView && m_onlineWebView->history()->canGoForward();
}

void OnlineWebViewCtrl::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (m_onlineWebView)
        m_onlineWebView->setGeometry(rect());
}
