#include "downloads/SiteViewCtrl.h"

#include "downloads/OnlineWebViewCtrl.h"
#include "downloads/SiteNodeData.h"
#include "downloads/SiteNodeView.h"
#include "platform/log/ScribletLogger.h"
#include "shell/NSStringURL.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {
int &timeoutMs()
{
    static int ms = 20000;
    return ms;
}
} // namespace

void SiteViewCtrl::setLoadTimeoutForTesting(int ms)
{
    timeoutMs() = ms > 0 ? ms : 20000;
}

int SiteViewCtrl::loadTimeoutMs()
{
    return timeoutMs();
}

SiteViewCtrl::SiteViewCtrl(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(TileWidth, TileHeight);
    m_siteView = new SiteNodeView(this);
    m_siteView->setGeometry(0, 0, TileWidth, 106);
    m_siteView->action = [this] { pinViewClick(); };
    m_siteView->delAction = [this] { delPinViewClick(); };
    m_siteTitleFiled = new QLabel(this);
    m_siteTitleFiled->setGeometry(0, 108, TileWidth, 22);
    m_siteTitleFiled->setAlignment(Qt::AlignCenter);
    m_siteTitleFiled->setStyleSheet(QStringLiteral("color: #3c4650;"));
    m_loadingView = new QLabel(tr("Loading…"), this);
    m_loadingView->setGeometry(0, 0, TileWidth, 106);
    m_loadingView->setAlignment(Qt::AlignCenter);
    m_loadingView->setStyleSheet(QStringLiteral("background: #f4f6f7; color: #8a949c; border: 1px solid #d5dbdf; border-radius: 5px;"));
    m_loadingView->hide();
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        // The page never finished: give the tile a placeholder so it can be clicked.
        if (!m_siteNode || m_siteNode->isLoaded())
            return;
        ScribletLogInfo(QStringLiteral("site picture timed out: %1").arg(m_siteNode->siteURL()));
        m_siteNode->setSiteLogo(placeholderImage(m_siteNode->siteTitle()));
        m_siteNode->setLoaded(true);
        unInitWebView();
        siteViewLoadDidFinish();
    });
}

SiteViewCtrl::~SiteViewCtrl()
{
    unInitWebView();
}

QString SiteViewCtrl::titleText() const
{
    return m_siteTitleFiled->text();
}

bool SiteViewCtrl::isLoading() const
{
    return m_siteView->isLoading();
}

void SiteViewCtrl::setSiteNode(const SiteNodePtr &node)
{
    m_siteNode = node;
    if (node && node->hasAddress() && !node->isLoaded() && node->siteLogo().isNull()) {
        startLoading();
        fetchSiteImage();
    }
    freshPinViewImage();
}

void SiteViewCtrl::freshPinViewImage()
{
    m_siteTitleFiled->setText(m_siteNode ? m_siteNode->siteTitle() : QString());
    m_siteView->setImage(m_siteNode ? m_siteNode->siteLogo() : QImage());
}

void SiteViewCtrl::startLoading()
{
    m_loadingView->show();
    m_loadingView->raise();
    m_siteView->setLoading(true);
    m_timeout.start(timeoutMs());
}

void SiteViewCtrl::stopLoading()
{
    m_timeout.stop();
    m_loadingView->hide();
    m_siteView->setLoading(false);
}

void SiteViewCtrl::pinViewClick()
{
    if (!m_siteNode)
        return;
    if (m_siteNode->hasAddress() && m_siteNode->isLoaded()) {
        if (siteNodeDidClick)
            siteNodeDidClick(m_siteNode);
    } else if (!isLoading() && !m_siteNode->hasAddress()) {
        if (runAddDialog)
            runAddDialog(this);
    }
}

void SiteViewCtrl::delPinViewClick()
{
    if (!m_siteNode)
        return;
    unInitWebView();
    stopLoading();
    m_siteNode->clear();
    freshPinViewImage();
    if (siteNodeDidChange)
        siteNodeDidChange(m_siteNode);
}

void SiteViewCtrl::finishEdit(bool cancelled)
{
    if (cancelled || !m_siteNode)
        return;
    freshPinViewImage();
    loadSiteNodeInfo();
}

void SiteViewCtrl::loadSiteNodeInfo()
{
    startLoading();
    // The default list is a small resource: looked up here rather than on a pool thread,
    // which keeps the entry touched by one thread only.
    if (loadDefaultSiteNodeInfo())
        siteViewLoadDidFinish();
    else
        fetchSiteImage();
    freshPinViewImage();
}

bool SiteViewCtrl::loadDefaultSiteNodeInfo()
{
    const QString address = NSStringURL::httpURL(m_siteNode->siteURL());
    for (const QVariant &v : SitesNodeManager::defaultSiteList()) {
        const QVariantMap site = v.toMap();
        if (!NSStringURL::urlCompare(site.value(QStringLiteral("SiteURL")).toString(), address))
            continue;
        const QImage cover = SitesNodeManager::coverPicture(site.value(QStringLiteral("SiteTitle")).toString());
        if (!cover.isNull()) {
            m_siteNode->setSiteLogo(cover);
            m_siteNode->setLoaded(true);
        }
        break;
    }
    return m_siteNode->isLoaded();
}

void SiteViewCtrl::fetchSiteImage()
{
    if (!m_siteNode || !m_siteNode->hasAddress())
        return;
    const QUrl url(OnlineWebViewCtrl::browserURL(m_siteNode->siteURL()));
    if (!url.isValid())
        return;
    if (!m_webView) {
        m_webView = new QWebEngineView;
        m_webView->setAttribute(Qt::WA_DontShowOnScreen);
        m_webView->resize(1315, 768);
        m_webView->page()->setAudioMuted(true);
        m_webView->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
        m_webView->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
        m_webView->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, true);
        m_webView->show();
        connect(m_webView, &QWebEngineView::loadFinished, this, [this](bool ok) {
            if (!ok)
                ScribletLogInfo(QStringLiteral("webView:%1").arg(m_siteNode ? m_siteNode->siteURL() : QString()));
            // Give the page a moment to paint before the picture is taken.
            QTimer::singleShot(ok ? 600 : 0, this, [this] { screenshotWebView(); });
        });
    }
    m_webView->load(url);
}

void SiteViewCtrl::screenshotWebView()
{
    if (!m_webView || !m_siteNode || m_siteNode->isLoaded())
        return;
    const QImage shot = m_webView->grab().toImage();
    const bool blank = shot.isNull() || (shot.allGray() && shot.pixelColor(shot.width() / 2, shot.height() / 2) == shot.pixelColor(0, 0));
    m_siteNode->setSiteLogo(blank ? placeholderImage(m_siteNode->siteTitle()) : cropImage(shot));
    m_siteNode->setLoaded(true);
    unInitWebView();
    siteViewLoadDidFinish();
}

void SiteViewCtrl::siteViewLoadDidFinish()
{
    stopLoading();
    freshPinViewImage();
    if (siteNodeDidChange)
        siteNodeDidChange(m_siteNode);
}

void SiteViewCtrl::unInitWebView()
{
    if (m_webView) {
        m_webView->stop();
        m_webView->deleteLater();
        m_webView = nullptr;
    }
}

QImage SiteViewCtrl::cropImage(const QImage &source)
{
    QImage out(151, 100, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, 151, 100), 4, 4);
    p.fillPath(path, Qt::white);
    p.setClipPath(path);
    p.drawImage(QRectF(0, 0, 151, 100), source);
    p.setClipping(false);
    p.setPen(QPen(Qt::white, 1));
    p.drawPath(path);
    return out;
}

QImage SiteViewCtrl::placeholderImage(const QString &title)
{
    QImage out(151, 100, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, 151, 100), 4, 4);
    p.fillPath(path, QColor(0xe3, 0xf4, 0xea));
    QFont f = p.font();
    f.setPixelSize(44);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x24, 0x8c, 0x4f));
    const QString letter = title.trimmed().isEmpty() ? QStringLiteral("?") : title.trimmed().left(1).toUpper();
    p.drawText(QRectF(0, 0, 151, 100), Qt::AlignCenter, letter);
    return out;
}
