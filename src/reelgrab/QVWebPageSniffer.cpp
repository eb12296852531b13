#include "reelgrab/QVWebPageSniffer.h"

#include "reelgrab/Func.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

class QVWebRequestWatcher : public QWebEngineUrlRequestInterceptor
{
public:
    explicit QVWebRequestWatcher(QVWebPageSniffer *owner) : m_owner(owner) {}
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        switch (info.resourceType()) {
        case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        case QWebEngineUrlRequestInfo::ResourceTypeScript:
        case QWebEngineUrlRequestInfo::ResourceTypeImage:
        case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
        case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
            return;
        default:
            break;
        }
        const QUrl url = info.requestUrl();
        if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
            return;
        // Requests may be reported off the page's thread; probe from the owner's.
        QMetaObject::invokeMethod(m_owner, [owner = m_owner, url]() { owner->requestSeen(url); }, Qt::QueuedConnection);
    }

private:
    QVWebPageSniffer *m_owner;
};

namespace {

class RefusingCookieJar : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
};

QByteArray pngOf(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return png;
}

} // namespace

QVWebPageSniffer::QVWebPageSniffer()
    : m_profile(std::make_unique<QWebEngineProfile>()), // off the record: nothing kept on disk
      m_watcher(std::make_unique<QVWebRequestWatcher>(this)),
      m_network(std::make_unique<QNetworkAccessManager>())
{
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setUrlRequestInterceptor(m_watcher.get());
    m_network->setCookieJar(new RefusingCookieJar(m_network.get()));
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_page = std::make_unique<QWebEnginePage>(m_profile.get());
    m_page->setAudioMuted(true);
    m_page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    m_page->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, true);
    connect(m_page.get(), &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        // Until the page has loaded, and for a page without <title>, the title is its address.
        if (onTitle && m_loaded && !title.isEmpty() && !isAddressLike(title))
            onTitle(title);
    });
    connect(m_page.get(), &QWebEnginePage::iconChanged, this, [this](const QIcon &icon) {
        if (onIcon && !icon.isNull()) {
            const QByteArray png = pngOf(icon.pixmap(QSize(64, 64)).toImage());
            if (!png.isEmpty())
                onIcon(png);
        }
    });
    connect(m_page.get(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok && !m_loaded) {
            m_loaded = true;
            const QString title = m_page->title();
            if (onTitle && !title.isEmpty() && !isAddressLike(title))
                onTitle(title);
        }
        if (!ok && onLoadFailed)
            onLoadFailed(QStringLiteral("the page %1 did not load").arg(m_page->requestedUrl().toString()));
    });
}

QVWebPageSniffer::~QVWebPageSniffer()
{
    stop();
    m_page.reset(); // before its profile
    m_profile.reset();
}

void QVWebPageSniffer::load(const QString &pageUrl, const QString &userAgent)
{
    if (!userAgent.isEmpty())
        m_profile->setHttpUserAgent(userAgent);
    m_probed.clear();
    m_loaded = false;
    m_page->load(QUrl(pageUrl));
}

bool QVWebPageSniffer::isAddressLike(const QString &title) const
{
    const QUrl page = m_page->requestedUrl();
    const QString bare = page.toString(QUrl::RemoveScheme).mid(2);
    return title == page.toString() || title == page.toDisplayString() || title == bare
        || title.startsWith(page.host() + u':') || title.startsWith(page.host() + u'/');
}

void QVWebPageSniffer::stop()
{
    onResponse = nullptr;
    onTitle = nullptr;
    onIcon = nullptr;
    onLoadFailed = nullptr;
    if (m_page) {
        m_page->triggerAction(QWebEnginePage::Stop);
        m_page->setUrl(QUrl(QStringLiteral("about:blank")));
    }
}

void QVWebPageSniffer::requestSeen(const QUrl &url)
{
    const QString key = url.toString();
    if (m_probed.contains(key) || m_probed.size() >= MaxProbes)
        return;
    m_probed.insert(key);
    QNetworkRequest request(url);
    request.setTransferTimeout(HeadTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    const QByteArray agent = m_profile->httpUserAgent().toUtf8();
    request.setRawHeader("User-Agent", agent);
    QNetworkReply *reply = m_network->head(request);
    QPointer<QVWebPageSniffer> self(this);
    connect(reply, &QNetworkReply::finished, this, [self, reply, key]() {
        reply->deleteLater();
        if (!self || !self->onResponse)
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status / 100 != 2)
            return;
        const QString mime = reply->header(QNetworkRequest::ContentTypeHeader).toString().section(u';', 0, 0).trimmed();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const QString ext = QFileInfo(reply->url().path()).suffix();
        self->onResponse(key, mime, length.isValid() ? length.toLongLong() : -1, ext);
    });
}

namespace ReelgrabWeb {

void install()
{
    QVMediaSniffer::setWebViewFactory([]() { return std::make_unique<QVWebPageSniffer>(); });
    QVMediaSniffer::setImageEncoder([](const QByteArray &bytes) { return pngOf(QImage::fromData(bytes)); });
}

int initAudioFunc()
{
    Func(FuncLogInfo, QStringLiteral("audio of loaded pages is muted"));
    return 0;
}

} // namespace ReelgrabWeb
