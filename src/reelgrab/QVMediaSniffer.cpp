#include "reelgrab/QVMediaSniffer.h"

#include "engine/Corvidash.h"
#include "platform/AppPaths.h"
#include "platform/SafeSaveFile.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/Md5Encrypt.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/SyncHttp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QPair>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

QMutex g_hooksMutex;
QVMediaSniffer::WebViewFactory g_webViewFactory;
QVMediaSniffer::ImageEncoder g_imageEncoder;

using CreateFn = void *(*)();
using HandleFn = void (*)(void *);
using SetTextFn = void (*)(void *, const char *);
using StartFn = int (*)(void *, const char *, const char *);
using IntFn = int (*)(void *);
using TypeInfoFn = uint8_t (*)(void *, int, CorvidashTypeInfo *);
using SegmentUrlFn = int64_t (*)(void *, int, int, int64_t, char **);
using FreeTextFn = void (*)(void *, char **);
using SegmentInfoFn = uint8_t (*)(void *, int, int, CorvidashSegmentInfo *);
using TextFn = const char *(*)(void *);
using TypeSoundFn = int (*)(void *, int);
using SubtitleInfoFn = uint8_t (*)(void *, int, CorvidashSubtitleInfo *);
using SubtitleContentFn = uint8_t (*)(void *, int, char **);

struct MimeEntry
{
    const char *prefix;
    const char *code;
};

const MimeEntry kMimeTable[] = {
    {"video/flv", "flv "}, {"video/x-flv", "flv "}, {"binary/octet-stream", "mp4 "},
    {"video/mp4", "mp4 "}, {"audio/mpeg", "mp3 "}, {"audio/x-mpeg", "mp3 "},
    {"application/x-octet-stream", "mp3 "}, {"application/octet-stream", "mp4 "}, {"text/plain", "flv "},
    {"video/x-msvideo", "avi "}, {"audio/x-wav", "wav "}, {"video/mpeg", "mpeg"},
    {"video/quicktime", "mov "}, {"flv-application/octet-stream", "flv "},
    {"application/x-rhapsodycontent", "mp3 "}, {"audio/mp4", "mp4a"}, {"video/", "flv "},
    // Without these a WebM or MPEG-TS file would be saved under an ".flv" name.
    {"video/webm", "webm"}, {"video/mp2t", "ts  "},
};

QString fixedText(const char *text, size_t size)
{
    return QString::fromUtf8(text, qsizetype(strnlen(text, size)));
}

bool isPng(const QByteArray &bytes) { return bytes.startsWith("\x89PNG\r\n\x1a\n"); }

} // namespace

QVMediaSniffer::QVMediaSniffer(void *libHandle, QObject *parent) : QObject(parent), m_libHandle(libHandle)
{
    auto create = EngineLibrary::symbol<CreateFn>(m_libHandle, "URLSniffingCreate");
    auto setRes = EngineLibrary::symbol<SetTextFn>(m_libHandle, "URLSniffingSetMacResPath");
    if (create && setRes) {
        m_mediaSniffer = create();
        const QString resources = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../Resources"));
        setRes(m_mediaSniffer, QFile::encodeName(resources).constData());
    }
}

QVMediaSniffer::~QVMediaSniffer()
{
    stopWebviewSniffer();
    if (m_mediaSniffer)
        if (auto release = EngineLibrary::symbol<HandleFn>(m_libHandle, "URLSniffingRelease"))
            release(m_mediaSniffer);
}

void QVMediaSniffer::setWebViewFactory(WebViewFactory factory)
{
    QMutexLocker lock(&g_hooksMutex);
    g_webViewFactory = std::move(factory);
}

bool QVMediaSniffer::hasWebViewFactory()
{
    QMutexLocker lock(&g_hooksMutex);
    return bool(g_webViewFactory);
}

void QVMediaSniffer::setImageEncoder(ImageEncoder encoder)
{
    QMutexLocker lock(&g_hooksMutex);
    g_imageEncoder = std::move(encoder);
}

void QVMediaSniffer::setWebViewBudget(float seconds)
{
    m_budgetSetting = std::clamp(seconds, TickSeconds, MaxBudget);
}

void QVMediaSniffer::report(std::function<void(QVMediaSnifferDelegate *)> call)
{
    if (QThread::currentThread() == thread()) {
        if (m_delegate)
            call(m_delegate);
        return;
    }
    QPointer<QVMediaSniffer> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, call = std::move(call)]() {
            if (self && self->m_delegate)
                call(self->m_delegate);
        },
        Qt::QueuedConnection);
}

quint32 QVMediaSniffer::formatForMime(const QString &mime)
{
    // The table is unordered; the longest matching prefix is the most specific answer.
    const QByteArray type = mime.toLatin1().toLower();
    qsizetype best = -1;
    quint32 code = 0;
    for (const MimeEntry &e : kMimeTable) {
        const qsizetype len = qsizetype(std::strlen(e.prefix));
        if (type.startsWith(e.prefix) && len > best) {
            best = len;
            code = MediaFormatCode::fromString(QString::fromLatin1(e.code));
        }
    }
    return code;
}

void QVMediaSniffer::sniffingPageUrl(const QString &pageUrl, const QString &cookies, const QString &userAgent)
{
    if (pageUrl.isEmpty()) {
        Func(FuncLogError, QStringLiteral("Invalid PageUrl for Sniffer"));
        report([this](QVMediaSnifferDelegate *d) { d->sniffingDidFailed(this, QVReelgrabError()); });
        return;
    }
    m_sniffingCanceled = false;
    report([this](QVMediaSnifferDelegate *d) { d->sniffingDidStarted(this); });

    auto setCookie = EngineLibrary::symbol<SetTextFn>(m_libHandle, "URLSniffingSetCookie");
    auto start = EngineLibrary::symbol<StartFn>(m_libHandle, "URLSniffingStart");
    if (m_mediaSniffer && setCookie && start) {
        Func(FuncLogInfo, QStringLiteral("Sniffing Start With Cookies:%1 and UserAgent:%2").arg(cookies, userAgent));
        setCookie(m_mediaSniffer, cookies.toUtf8().constData());
        start(m_mediaSniffer, pageUrl.toUtf8().constData(), userAgent.toUtf8().constData());
    }

    const QList<QVSniffingMedia> medias = pickoutMedias();
    if (!medias.isEmpty()) {
        QVMediaSniffingResult result;
        result.setMediaTitle(pickoutMediaTitleWithPageUrl(pageUrl));
        result.setMediaIcon(pickoutWebsiteIconWithPageUrl(pageUrl));
        result.setMediaThumbnail(pickoutThumbnailWithPageUrl(pageUrl));
        result.setCandidateMedias(medias);
        result.setCandidateSubtitles(pickoutSubtitle());
        if (!m_sniffingCanceled)
            report([this, result](QVMediaSnifferDelegate *d) { d->sniffingDidCompleted(this, result); });
        return;
    }
    int engineCode = 0;
    if (auto code = EngineLibrary::symbol<IntFn>(m_libHandle, "fURLSniffingGetErrorCode"); code && m_mediaSniffer) {
        engineCode = code(m_mediaSniffer);
        QString reason;
        if (auto text = EngineLibrary::symbol<TextFn>(m_libHandle, "URLSniffingGetErrorText"))
            if (const char *sentence = text(m_mediaSniffer))
                reason = QString::fromUtf8(sentence).left(500);
        m_error = QVReelgrabError::reelgrab(engineCode, reason);
    }
    if (m_sniffingCanceled)
        return;
    // A page that cannot be reached or does not answer, or a live stream, is no better in a
    // browser: say so now instead of waiting out the page loader's budget as well.
    const bool final = engineCode == CORVIDASH_RESOLVE_FAILED || engineCode == CORVIDASH_CONNECT_FAILED
        || engineCode == CORVIDASH_PROXY_FAILED || engineCode == CORVIDASH_LIVE_STREAM
        || engineCode == CORVIDASH_TIMED_OUT || engineCode == CORVIDASH_OPERATION_TIMEOUT;
    QPointer<QVMediaSniffer> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, pageUrl, cookies, userAgent, final]() {
            if (!self || self->m_sniffingCanceled)
                return;
            const bool web =
                !final && self->m_delegate && self->m_delegate->sniffingCouldSniffByWebView() && hasWebViewFactory();
            if (web)
                self->sniffingPageUrlUsingWebViewSniffer(pageUrl, cookies, userAgent);
            else if (self->m_delegate)
                self->m_delegate->sniffingDidFailed(self, self->m_error);
        },
        Qt::QueuedConnection);
}

QList<QVSniffingMedia> QVMediaSniffer::pickoutMedias()
{
    auto typeCount = EngineLibrary::symbol<IntFn>(m_libHandle, "URLSniffingGetTypeCount");
    auto typeInfo = EngineLibrary::symbol<TypeInfoFn>(m_libHandle, "URLSniffingGetTypeInfo");
    auto segmentInfo = EngineLibrary::symbol<SegmentInfoFn>(m_libHandle, "URLSniffingGetSegmentInfo");
    auto segmentUrl = EngineLibrary::symbol<SegmentUrlFn>(m_libHandle, "URLSniffingGetSegmentUrl");
    auto freeText = EngineLibrary::symbol<FreeTextFn>(m_libHandle, "URLSniffingFreeSegmentUrl");
    if (!m_mediaSniffer || !typeCount || !typeInfo || !segmentInfo || !segmentUrl || !freeText)
        return {};
    // Optional: the sound each picture-only media plays with, by engine type index.
    auto typeSound = EngineLibrary::symbol<TypeSoundFn>(m_libHandle, "URLSniffingGetTypeSound");
    QList<QVSniffingMedia> medias;
    QHash<int, qsizetype> kept;           // engine type index -> index in medias
    QList<QPair<qsizetype, int>> soundOf; // picture in medias -> engine type index of its sound
    const int types = typeCount(m_mediaSniffer);
    for (int t = 0; t < types; ++t) {
        CorvidashTypeInfo info{};
        if (!typeInfo(m_mediaSniffer, t, &info))
            continue;
        QVSniffingMedia media;
        media.setBitrate(std::max(info.bitrate, 0));
        media.setSeekable(info.seekable != 0);
        media.setMediaQualityByUrlQuality(info.quality);
        media.setMediaFormatByUrlFormat(info.format);
        QList<QVSniffingMediaSegment> segments;
        for (int s = 0; s < info.segmentCount; ++s) {
            char *text = nullptr;
            const int64_t length = segmentUrl(m_mediaSniffer, t, s, 0, &text);
            if (length == -1 || !text)
                continue;
            QVSniffingMediaSegment segment;
            segment.setUrl(QString::fromUtf8(text));
            freeText(m_mediaSniffer, &text);
            CorvidashSegmentInfo si{};
            if (segmentInfo(m_mediaSniffer, t, s, &si)) {
                segment.setBytes(si.size);
                segment.setDuration(si.duration);
                segment.setMediaFormat(media.mediaFormat());
                segment.setMediaQuality(media.mediaQuality());
            }
            segments.append(segment);
        }
        if (segments.size() != std::max(info.segmentCount, 0))
            continue;
        media.setSegments(segments);
        kept.insert(t, medias.size());
        if (typeSound && media.mediaFormat() == MediaFormatCode::MP4Video)
            if (const int sound = typeSound(m_mediaSniffer, t); sound >= 0 && sound < types && sound != t)
                soundOf.append({medias.size(), sound});
        medias.append(media);
    }
    for (const auto &[picture, sound] : soundOf) {
        const qsizetype at = kept.value(sound, -1);
        if (at >= 0 && !medias.at(at).segments().isEmpty())
            medias[picture].setSoundUrl(medias.at(at).segments().first().url());
    }
    return medias;
}

QList<QVSniffingMediaSubtitle> QVMediaSniffer::pickoutSubtitle()
{
    auto count = EngineLibrary::symbol<IntFn>(m_libHandle, "URLSniffingGetSubtitleCount");
    auto info = EngineLibrary::symbol<SubtitleInfoFn>(m_libHandle, "URLSniffingGetSubtitleInfo");
    auto content = EngineLibrary::symbol<SubtitleContentFn>(m_libHandle, "URLSniffingGetSubtitleContent");
    auto freeText = EngineLibrary::symbol<FreeTextFn>(m_libHandle, "URLSniffingFreeSegmentUrl");
    if (!m_mediaSniffer || !count || !info || !content || !freeText)
        return {};
    QList<QVSniffingMediaSubtitle> out;
    const int n = count(m_mediaSniffer);
    for (int i = 0; i < n; ++i) {
        CorvidashSubtitleInfo si{};
        if (!info(m_mediaSniffer, i, &si))
            continue;
        QVSniffingMediaSubtitle subtitle;
        subtitle.setLanguage(fixedText(si.language, sizeof si.language));
        subtitle.setLangCode(fixedText(si.languageCode, sizeof si.languageCode));
        subtitle.setAsDefault(si.isDefault != 0);
        subtitle.setSubtitleFormat(si.format);
        subtitle.setSubtitleType(si.type);
        char *text = nullptr;
        if (content(m_mediaSniffer, i, &text) && text) {
            subtitle.setContent(QString::fromUtf8(text));
            freeText(m_mediaSniffer, &text);
        }
        out.append(subtitle);
    }
    return out;
}

QString QVMediaSniffer::pickoutMediaTitleWithPageUrl(const QString &pageUrl)
{
    if (auto title = EngineLibrary::symbol<TextFn>(m_libHandle, "URLSniffingGetTitle"); title && m_mediaSniffer)
        if (const char *text = title(m_mediaSniffer))
            return QString::fromUtf8(text);
    return QFileInfo(QUrl(pageUrl).path()).completeBaseName();
}

bool QVMediaSniffer::writePng(const QByteArray &bytes, const QString &path)
{
    QByteArray png;
    if (isPng(bytes)) {
        png = bytes;
    } else {
        ImageEncoder encoder;
        {
            QMutexLocker lock(&g_hooksMutex);
            encoder = g_imageEncoder;
        }
        if (encoder)
            png = encoder(bytes);
    }
    if (!isPng(png))
        return false;
    if (!AppPaths::ensureFolder(QFileInfo(path).absolutePath()))
        Func(FuncLogError, QStringLiteral("Create Directory At %1 Failed.").arg(QFileInfo(path).absolutePath()));
    SafeSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.commit();
}

QString QVMediaSniffer::pickoutWebsiteIconWithPageUrl(const QString &pageUrl)
{
    const QUrl url(pageUrl);
    if (pageUrl.isEmpty() || !url.isValid() || url.host().isEmpty())
        return {};
    const SyncHttp::Response icon = SyncHttp::get(QStringLiteral("%1://%2%3/favicon.ico")
                                                      .arg(url.scheme(), url.host(),
                                                           url.port() > 0 ? QStringLiteral(":%1").arg(url.port()) : QString()),
                                                  MaxImageBytes, ImageTimeoutMs);
    if (!icon.ok || icon.status / 100 != 2 || icon.truncated || icon.body.isEmpty())
        return {};
    const QString path = QDir(AppPaths::reelgrabKitIcons()).filePath(url.host() + QStringLiteral(".png"));
    if (!writePng(icon.body, path)) {
        Func(FuncLogError, QStringLiteral("Save Favorite Icon to %1 Failed.").arg(path));
        return {};
    }
    return path;
}

QString QVMediaSniffer::pickoutThumbnailWithPageUrl(const QString &pageUrl)
{
    const QString digest = Md5Encrypt::encryptString(pageUrl);
    if (digest.isEmpty())
        return {};
    const QString path = QDir(AppPaths::reelgrabKitThumbnails()).filePath(digest + QStringLiteral(".png"));
    if (QFileInfo::exists(path))
        return path;
    auto thumbnail = EngineLibrary::symbol<TextFn>(m_libHandle, "URLSniffingGetThumbnail");
    const char *address = thumbnail && m_mediaSniffer ? thumbnail(m_mediaSniffer) : nullptr;
    if (!address || !*address)
        return {};
    const SyncHttp::Response image = SyncHttp::get(QString::fromUtf8(address), MaxImageBytes, ImageTimeoutMs);
    if (!image.ok || image.status / 100 != 2 || image.truncated || !writePng(image.body, path)) {
        Func(FuncLogError, QStringLiteral("Save thumbnail to %1 Failed.").arg(path));
        return {};
    }
    return path;
}

qint64 QVMediaSniffer::requestMediaBytesFrom(const QString &url)
{
    const SyncHttp::Response r = SyncHttp::head(url, 5000);
    return r.ok && r.contentLength > 0 ? r.contentLength : 0;
}

void QVMediaSniffer::sniffingPageUrlUsingWebViewSniffer(const QString &pageUrl, const QString &cookies,
                                                        const QString &userAgent)
{
    Func(FuncLogInfo, QStringLiteral("start up webview sniffer with page url: %1").arg(pageUrl));
    report([this](QVMediaSnifferDelegate *d) { d->sniffingInProgress(this, 0.0f); });
    if (!m_webView) {
        WebViewFactory factory;
        {
            QMutexLocker lock(&g_hooksMutex);
            factory = g_webViewFactory;
        }
        if (factory)
            m_webView = factory();
        if (!m_webView) {
            report([this](QVMediaSnifferDelegate *d) { d->sniffingDidFailed(this, m_error); });
            return;
        }
        QPointer<QVMediaSniffer> self(this);
        m_webView->onResponse = [self](const QString &url, const QString &mime, qint64 length, const QString &ext) {
            if (self)
                self->handleWebResponse(url, mime, length, ext);
        };
        m_webView->onTitle = [self](const QString &title) {
            if (!self || !self->m_webResult.mediaTitle().isEmpty() || title.isEmpty())
                return;
            Func(FuncLogInfo, QStringLiteral("Sniffer Sniffing the title:%1").arg(title));
            self->m_webResult.setMediaTitle(title);
        };
        m_webView->onIcon = [self](const QByteArray &png) {
            if (!self || !self->m_webResult.mediaIcon().isEmpty())
                return;
            const QString host = QUrl(self->m_webPageUrl).host();
            if (host.isEmpty())
                return;
            const QString path = QDir(AppPaths::reelgrabKitIcons()).filePath(host + QStringLiteral(".png"));
            if (writePng(png, path))
                self->m_webResult.setMediaIcon(path);
            else
                Func(FuncLogError, QStringLiteral("Save Favorite Icon to %1 Failed.").arg(path));
        };
        m_webView->onLoadFailed = [self](const QString &description) {
            if (!self)
                return;
            Func(FuncLogError, QStringLiteral("Webview Sniffer Did Fail Load With Error:%1.").arg(description));
            // The engine read the page first: the server's own answer (its status) says more
            // than a load that failed.
            const QVReelgrabError error =
                self->m_error.reason().startsWith(QLatin1String("The server answered "))
                    ? self->m_error
                    : QVReelgrabError(QStringLiteral("NSURLErrorDomain"), -1,
                                      QStringLiteral("The page did not load (%1)").arg(description.left(300)));
            self->report([s = self.data(), error](QVMediaSnifferDelegate *d) { d->sniffingDidFailed(s, error); });
        };
        m_webView->onBroken = [self](const QString &description) {
            if (self)
                self->webRoadBroken(description);
        };
        // The page's own load progress is the only honest measure of the analysis.
        m_webView->onProgress = [self](int percent) {
            if (!self || self->m_sniffingCanceled)
                return;
            const float progress = std::clamp(percent, 0, 100) / 100.0f;
            self->report([s = self.data(), progress](QVMediaSnifferDelegate *d) { d->sniffingInProgress(s, progress); });
        };
        m_webView->onSettled = [self]() {
            if (self && !self->m_sniffingCanceled && self->m_calcTimer) {
                Func(FuncLogInfo, QStringLiteral("the page has loaded and gone quiet after %1 s").arg(self->m_sniffedTime));
                self->finishWebRoad();
            }
        };
    }
    Q_UNUSED(cookies);
    m_webPageUrl = pageUrl;
    m_sniffedTime = 0;
    m_maxSniffingTime = m_budgetSetting;
    m_webResult = QVMediaSniffingResult();
    m_calcTimer = std::make_unique<QTimer>();
    m_calcTimer->setInterval(int(TickSeconds * 1000));
    QTimer *timer = m_calcTimer.get();
    connect(timer, &QTimer::timeout, this, [this, timer]() {
        if (timer == m_calcTimer.get())
            tick();
    });
    m_calcTimer->start();
    m_webView->load(pageUrl, userAgent);
}

void QVMediaSniffer::tick()
{
    if (m_sniffingCanceled)
        return;
    if (m_maxSniffingTime <= m_sniffedTime + TickSeconds) {
        finishWebRoad();
        return;
    }
    // Time alone says nothing of how far the analysis is: progress comes from the page.
    m_sniffedTime += TickSeconds;
}

void QVMediaSniffer::finishWebRoad()
{
    const QVMediaSniffingResult result = m_webResult;
    stopWebviewSniffer();
    if (!result.candidateMedias().isEmpty())
        report([this, result](QVMediaSnifferDelegate *d) { d->sniffingDidCompleted(this, result); });
    else
        report([this](QVMediaSnifferDelegate *d) { d->sniffingDidFailed(this, m_error); });
}

void QVMediaSniffer::webRoadBroken(const QString &description)
{
    if (m_sniffingCanceled)
        return;
    Func(FuncLogError, QStringLiteral("Webview Sniffer Broke: %1.").arg(description));
    const QVMediaSniffingResult result = m_webResult;
    stopWebviewSniffer();
    // What was found before the break still counts.
    if (!result.candidateMedias().isEmpty())
        report([this, result](QVMediaSnifferDelegate *d) { d->sniffingDidCompleted(this, result); });
    else
        report([this, description](QVMediaSnifferDelegate *d) {
            d->sniffingDidFailed(this, QVReelgrabError::reelgrab(QVReelgrabError::NoMediaFound, description));
        });
}

void QVMediaSniffer::setTimesForTesting(float sniffed, float budget)
{
    m_sniffedTime = sniffed;
    m_maxSniffingTime = budget;
}

void QVMediaSniffer::handleWebResponse(const QString &responseUrl, const QString &mime, qint64 expectedLength,
                                       const QString &ext)
{
    QString url = responseUrl;
    const quint32 format = formatForMime(mime);
    if (!format)
        return;
    qint64 length = expectedLength;
    if (url.contains(QStringLiteral("youtube"))) {
        const qsizetype range = url.indexOf(QStringLiteral("&range="));
        if (range >= 0) {
            const qsizetype next = url.indexOf(u'&', range + 1);
            url = url.left(range) + (next >= 0 ? url.mid(next) : QString());
            length = requestMediaBytesFrom(url);
        }
    } else if (url.contains(u'&') && url.contains(u'?')) {
        const QString beforeQuery = url.section(u'?', 0, 0);
        const QString suffix = QFileInfo(QUrl(beforeQuery).path()).suffix().toLower();
        if (suffix == QLatin1String("mp4") || suffix == QLatin1String("flv") || suffix == QLatin1String("webm"))
            url = beforeQuery;
    }
    if (length == -1)
        length = requestMediaBytesFrom(url);

    if (length < MinMediaBytes) {
        const QString lower = mime.toLower();
        if (!lower.contains(QStringLiteral("video")) && !lower.contains(QStringLiteral("stream"))
            && !lower.contains(QStringLiteral("application")))
            return;
        if (ext.toLower() == QLatin1String("swf"))
            return;
        Func(FuncLogInfo, QStringLiteral("probable advertisement, slow analyst process{\nURL : %1\nLength : %2\nMIME : %3\nExt :%4\n}")
                              .arg(url)
                              .arg(length)
                              .arg(mime, ext));
        // 20 more seconds, the progress fraction unchanged; never beyond the hard cap.
        const float remaining = m_maxSniffingTime - m_sniffedTime;
        if (remaining <= 0 || m_maxSniffingTime <= 0)
            return;
        float budget = (remaining + 20.0f) / (remaining / m_maxSniffingTime);
        budget = std::min(budget, MaxBudget);
        if (budget <= m_maxSniffingTime)
            return;
        m_sniffedTime = m_sniffedTime / m_maxSniffingTime * budget;
        m_maxSniffingTime = budget;
        return;
    }
    Func(FuncLogInfo, QStringLiteral("really address, speed analyst progress:{\nURL : %1\nLength : %2\nMIME : %3\nExt :%4\n}")
                          .arg(url)
                          .arg(length)
                          .arg(mime, ext));
    for (const QVSniffingMedia &m : m_webResult.candidateMedias())
        if (!m.segments().isEmpty() && m.segments().first().url() == url)
            return; // the player asks for the same file again (ranges)
    QVSniffingMedia media;
    media.setMediaFormat(format);
    QVSniffingMediaSegment segment;
    segment.setBytes(length);
    segment.setUrl(url);
    segment.setMediaFormat(format);
    media.setSegments({segment});
    QList<QVSniffingMedia> medias = m_webResult.candidateMedias();
    medias.append(media);
    m_webResult.setCandidateMedias(medias);
    // A real media is in hand: let the page settle briefly instead of waiting out the budget.
    if (m_maxSniffingTime - m_sniffedTime > SettleAfterMedia)
        m_maxSniffingTime = m_sniffedTime + SettleAfterMedia;
}

void QVMediaSniffer::stopWebviewSniffer()
{
    if (m_webView) {
        m_webView->onResponse = nullptr;
        m_webView->onTitle = nullptr;
        m_webView->onIcon = nullptr;
        m_webView->onLoadFailed = nullptr;
        m_webView->onBroken = nullptr;
        m_webView->onProgress = nullptr;
        m_webView->onSettled = nullptr;
        m_webView->stop();
        m_webView.reset();
    }
    m_calcTimer.reset();
}

void QVMediaSniffer::cancel()
{
    if (m_mediaSniffer)
        if (auto stop = EngineLibrary::symbol<HandleFn>(m_libHandle, "URLSniffingStop"))
            stop(m_mediaSniffer);
    m_sniffingCanceled = true;
    report([this](QVMediaSnifferDelegate *d) { d->sniffingDidCanceled(this); });
    QPointer<QVMediaSniffer> self(this);
    QMetaObject::invokeMethod(
        this,
        [self]() {
            if (self && self->m_webView) {
                self->stopWebviewSniffer();
                self->m_webResult = QVMediaSniffingResult();
            }
        },
        Qt::QueuedConnection);
}
