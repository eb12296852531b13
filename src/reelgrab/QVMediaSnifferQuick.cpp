// The quick sniff and the size estimate of the media sniffer.
#include "reelgrab/QVMediaSniffer.h"

#include "platform/DefaultBrowser.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/JSONKit.h"
#include "reelgrab/MediaFormatCode.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>

namespace {

using CookiesFn = const char *(*)(const char *, const char *);
using QuickSniffFn = const char *(*)(const char *, const char *);
using ResourcePathFn = void (*)(const char *);

quint32 formatForType(const QString &type)
{
    static const QHash<QString, const char *> table{
        {QStringLiteral("m4a"), "mp4a"}, {QStringLiteral("mp3"), "mp3 "}, {QStringLiteral("wav"), "wav "},
        {QStringLiteral("mp4"), "mp4 "}, {QStringLiteral("flv"), "flv "}, {QStringLiteral("webm"), "webm"},
        {QStringLiteral("3gp"), "3gp "}, {QStringLiteral("mp4v"), "mp4v"}, {QStringLiteral("rev5"), "rev5"},
        {QStringLiteral("ts"), "ts  "}, {QStringLiteral("ad"), "ad  "}, {QStringLiteral("avi"), "avi "},
        {QStringLiteral("mpeg"), "mpeg"}, {QStringLiteral("mov"), "mov "},
    };
    const char *code = table.value(type.toLower(), nullptr);
    if (!code)
        return 0;
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) | (quint32(quint8(code[2])) << 8)
        | quint32(quint8(code[3]));
}

qint32 qualityFromText(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("[0-9]{1,}"), QRegularExpression::CaseInsensitiveOption);
    const auto m = digits.match(text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const int q = m.captured(0).left(6).toInt(&ok);
    if (!ok)
        return 0;
    switch (q) {
    case 240: case 360: case 480: case 720: case 1080: case 1440: case 2160:
        return q;
    default:
        return 0;
    }
}

QVariant valueAt(const QVariantMap &root, const QString &keyPath)
{
    QVariant v = root;
    for (const QString &k : keyPath.split(QLatin1Char('.'))) {
        if (v.typeId() != QMetaType::QVariantMap)
            return {};
        v = v.toMap().value(k);
    }
    return v;
}

} // namespace

QString QVMediaSniffer::cookieBrowser(const QString &browser)
{
    if (!browser.isEmpty())
        return browser;
    static QMutex mutex;
    static QString cached;
    QMutexLocker lock(&mutex);
    if (cached.isEmpty())
        cached = cookieSource(DefaultBrowser::desktopEntry());
    return cached;
}

QString QVMediaSniffer::cookieSource(const QString &desktopEntry)
{
    const QString e = desktopEntry.toLower();
    if (e.contains(QStringLiteral("chrom")))
        return QStringLiteral("chrome");
    if (e.contains(QStringLiteral("firefox")))
        return QStringLiteral("firefox");
    return QStringLiteral("safari");
}

QString QVMediaSniffer::cookiesForPage(void *libHandle, const QString &browser, const QString &pageUrl)
{
    auto getCookies = EngineLibrary::symbol<CookiesFn>(libHandle, "GetWebBrowserCookies");
    if (!getCookies)
        return {};
    const char *answer = getCookies(cookieBrowser(browser).toUtf8().constData(), pageUrl.toUtf8().constData());
    const QString cookies = answer ? QString::fromUtf8(answer) : QString();
    if (cookies.startsWith(QLatin1String("fennix_exception:"))) {
        Func(FuncLogError, QStringLiteral("Get Cookies exception: %1").arg(cookies));
        return {};
    }
    return cookies;
}

QVOnlineVideoInfo QVMediaSniffer::onlineVideoInfoFromQuickSniff(const QByteArray &json)
{
    QVOnlineVideoInfo info;
    const QVariant decoded = NSDataJSONKitDeserializing::objectFromJSONData(json);
    if (decoded.typeId() != QMetaType::QVariantMap)
        return info;
    const QVariantMap root = decoded.toMap();
    info.setMediaTitle(valueAt(root, QStringLiteral("info.title")).toString());
    const QString duration = valueAt(root, QStringLiteral("info.duration")).toString();
    if (!duration.isEmpty()) {
        // "H:MM:SS"; shorter forms count from the seconds backwards.
        const QStringList parts = duration.split(QLatin1Char(':'));
        qint64 seconds = 0;
        for (const QString &part : parts)
            seconds = qMin<qint64>(seconds * 60 + qMax(0, part.trimmed().left(9).toInt()), std::numeric_limits<qint32>::max());
        info.setDuration(qint32(seconds));
    }
    QList<MediaTrackInfo> tracks;
    for (const QVariant &link : root.value(QStringLiteral("download_links")).toList()) {
        if (link.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap m = link.toMap();
        MediaTrackInfo t;
        t.mediaQuality = qualityFromText(m.value(QStringLiteral("quality")).toString());
        t.mediaFormat = formatForType(m.value(QStringLiteral("type")).toString());
        tracks.append(t);
    }
    info.setMediaInfos(tracks);
    const QVariant subtitles = root.value(QStringLiteral("subtitles"));
    if (subtitles.typeId() == QMetaType::QVariantMap)
        info.setSubtitleCodes(subtitles.toMap().keys());
    return info;
}

QVOnlineVideoInfo QVMediaSniffer::quickSniffingWithLibHandle(void *libHandle, const QString &pageUrl, const QString &browser)
{
    if (auto setPath = EngineLibrary::symbol<ResourcePathFn>(libHandle, "SetPythonRuntimeResoucePath"))
        setPath((QCoreApplication::applicationDirPath() + QLatin1Char('/')).toUtf8().constData());
    const QString cookies = cookiesForPage(libHandle, browser, pageUrl);
    auto quick = EngineLibrary::symbol<QuickSniffFn>(libHandle, "SniffingOnlyUsePython");
    if (!quick)
        return {};
    const char *answer = quick(pageUrl.toUtf8().constData(), cookies.toUtf8().constData());
    if (!answer)
        return {};
    return onlineVideoInfoFromQuickSniff(QByteArray(answer));
}

qint64 QVMediaSniffer::filesizeofResolution(qint32 resolution, qint64 seconds)
{
    if (seconds <= 0)
        return 0;
    if (resolution == 0)
        return seconds * 32000;
    static const QVariantMap table = [] {
        QString path = MainBundle::pathForResource(QStringLiteral("YouTubePlaylistItemParams"), QStringLiteral("plist"));
        return PropertyList::readFile(path, nullptr, PropertyList::OnDamage::Keep).toMap();
    }();
    for (const char *container : {"MP4", "FLV", "WEBM"}) {
        const QVariantMap entry = table.value(QStringLiteral("%1_%2P").arg(QLatin1String(container)).arg(resolution)).toMap();
        if (entry.isEmpty())
            continue;
        const qint64 bits = entry.value(QStringLiteral("VideoBit")).toLongLong() + entry.value(QStringLiteral("AudioBit")).toLongLong();
        return bits * seconds * 128;
    }
    return 0;
}
