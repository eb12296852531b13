#include "reelgrab/QVWebPageSniffer.h"

#include "reelgrab/Func.h"
#include "reelgrab/WebSnifferWire.h"
#include "platform/WebEngineSandbox.h"

#include <QBuffer>
#include <QCborMap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QFileInfo>

#include <algorithm>
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

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

class QVWebRequestWatcher : public QWebEngineUrlRequestInterceptor
{
public:
    explicit QVWebRequestWatcher(QVWebPageSniffer *owner) : m_owner(owner) {}
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        QMetaObject::invokeMethod(m_owner, [owner = m_owner]() { owner->activity(); }, Qt::QueuedConnection);
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
    connect(m_page.get(), &QWebEnginePage::loadProgress, this, [this](int percent) {
        activity();
        if (onProgress)
            onProgress(percent);
    });
    m_settleCheck.setInterval(250);
    connect(&m_settleCheck, &QTimer::timeout, this, &QVWebPageSniffer::checkSettled);
    connect(m_page.get(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        activity();
        m_loadEnded = true;
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
    m_settled = false;
    m_loadEnded = false;
    m_probesRunning = 0;
    m_lastActivity.start();
    m_settleCheck.start();
    m_page->load(QUrl(pageUrl));
}

bool QVWebPageSniffer::isAddressLike(const QString &title) const
{
    const QUrl page = m_page->requestedUrl();
    const QString bare = page.toString(QUrl::RemoveScheme).mid(2);
    return title == page.toString() || title == page.toDisplayString() || title == bare
        || title.startsWith(page.host() + u':') || title.startsWith(page.host() + u'/');
}

void QVWebPageSniffer::activity()
{
    m_lastActivity.start();
}

void QVWebPageSniffer::checkSettled()
{
    // Loaded, no probe waiting for its answer, and no request for a while: a player that was
    // going to ask for its media has done so.
    if (m_settled || !m_loadEnded || m_probesRunning > 0 || m_lastActivity.elapsed() < qint64(QVMediaSniffer::IdleSeconds * 1000))
        return;
    m_settled = true;
    m_settleCheck.stop();
    if (onSettled)
        onSettled();
}

void QVWebPageSniffer::stop()
{
    m_settleCheck.stop();
    onProgress = nullptr;
    onSettled = nullptr;
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
    ++m_probesRunning;
    QPointer<QVWebPageSniffer> self(this);
    connect(reply, &QNetworkReply::finished, this, [self, reply, key]() {
        reply->deleteLater();
        if (!self)
            return;
        --self->m_probesRunning;
        self->activity();
        if (!self->onResponse)
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

namespace {

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

int runSnifferChild(int argc, char **argv)
{
    // Never outlive the helper that asked.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1)
        return 1;
    ::signal(SIGPIPE, SIG_IGN);
    // Standard output carries only records: whatever a library prints goes to standard error.
    const int records = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (records < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 1;

    // Never a window, never a taskbar entry: the page renders off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    WebEngineSandbox::disableForRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Silence before anything can play.
    initAudioFunc();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("ReelgrabWebSniffer"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("com.Halvorn.ReelgrabKit"));
    QGuiApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<QVWebPageSniffer> sniffer;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &app, []() { QCoreApplication::exit(0); });
    auto send = [records](const WebSnifferWire::Event &event) {
        if (!writeAll(records, WebSnifferWire::encodeEvent(event)))
            QCoreApplication::exit(0); // nobody listens any more
    };

    QByteArray input;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&]() {
        char chunk[16384];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0) {
            // The helper closed our input (or died): leave.
            notifier.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        if (sniffer)
            return; // one request per run; the rest is ignored
        input.append(chunk, n);
        QCborMap record;
        QString error;
        const WebSnifferWire::Take take = WebSnifferWire::takeRecord(input, &record, &error);
        if (take == WebSnifferWire::Take::NeedMore)
            return;
        WebSnifferWire::Request request;
        if (take == WebSnifferWire::Take::Broken || !WebSnifferWire::decodeRequest(record, &request, &error)) {
            Func(FuncLogError, QStringLiteral("ReelgrabWebSniffer: a bad request (%1)").arg(error));
            QCoreApplication::exit(2);
            return;
        }
        sniffer = std::make_unique<QVWebPageSniffer>();
        sniffer->onResponse = [send](const QString &url, const QString &mime, qint64 length, const QString &ext) {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::Response;
            e.url = url;
            e.mime = mime;
            e.length = length;
            e.ext = ext;
            send(e);
        };
        sniffer->onTitle = [send](const QString &title) {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::Title;
            e.text = title;
            send(e);
        };
        sniffer->onIcon = [send](const QByteArray &png) {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::Icon;
            e.png = png;
            send(e);
        };
        sniffer->onLoadFailed = [send](const QString &description) {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::LoadFailed;
            e.text = description;
            send(e);
        };
        sniffer->onProgress = [send](int percent) {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::Progress;
            e.length = std::clamp(percent, 0, 100);
            send(e);
        };
        sniffer->onSettled = [send]() {
            WebSnifferWire::Event e;
            e.kind = WebSnifferWire::Event::Settled;
            send(e);
        };
        limit.start(request.seconds * 1000);
        sniffer->load(request.pageUrl, request.userAgent);
    });
    const int status = app.exec();
    notifier.setEnabled(false);
    if (sniffer)
        sniffer->stop();
    sniffer.reset();
    ::close(records);
    return status;
}

int initAudioFunc()
{
    Func(FuncLogInfo, QStringLiteral("audio of loaded pages is muted"));
    return 0;
}

} // namespace ReelgrabWeb
