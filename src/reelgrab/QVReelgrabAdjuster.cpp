#include "reelgrab/QVReelgrabAdjuster.h"

#include "reelgrab/Func.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/NSStringHumanReadable.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

const QString kVimeoDomain = QStringLiteral("vimeo.com");
const QString kMailRuVideoHost = QStringLiteral("my.mail.ru");
const QString kYouTubeShortHost = QStringLiteral("youtu.be");
const QString kYouTubeWebHost = QStringLiteral("www.youtube.com");
const QString kDailymotionDomain = QStringLiteral("dailymotion.com");
const QString kPornhubDomain = QStringLiteral("pornhub.com");

QMutex &storeMutex()
{
    static QMutex m;
    return m;
}

QVReelgrabAdjuster::CookieStore &store()
{
    static QVReelgrabAdjuster::CookieStore s;
    return s;
}

QUrl parseUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !text.isEmpty() ? url : QUrl();
}

} // namespace

QString QVReelgrabAdjuster::adjustPageUrl(const QString &pageUrl)
{
    QString text = NSStringHumanReadable::stringByAddingPercentEscapes(pageUrl);
    if (text.contains(kVimeoDomain) || text.contains(kMailRuVideoHost))
        text.append(QStringLiteral("?autoplay=1"));
    const QUrl url = parseUrl(text);
    if (url.isEmpty())
        return text;
    if (url.host(QUrl::FullyEncoded) == kYouTubeShortHost) {
        QString watch = QStringLiteral("https://%1/watch?v=%2")
                            .arg(kYouTubeWebHost, url.fileName(QUrl::FullyEncoded));
        if (url.hasQuery())
            watch += QStringLiteral("&%1").arg(url.query(QUrl::FullyEncoded));
        return watch;
    }
    return text;
}

QString QVReelgrabAdjuster::adjustCookies(const QString &cookies, const QString &pageUrl)
{
    QString result = cookies.isNull() ? QStringLiteral("") : cookies;
    const QUrl url = parseUrl(pageUrl);
    if (url.isEmpty())
        return result;
    const QString host = url.host().toLower();
    if (result.isEmpty()) {
        Func(FuncLogInfo, QStringLiteral("adjustCookies: cookie is nil, getsafari cookies"));
        CookieStore s;
        {
            QMutexLocker lock(&storeMutex());
            s = store();
        }
        if (s)
            result = s(url);
    }
    if (host.contains(kDailymotionDomain))
        return result + QStringLiteral("family_filter=off;");
    if (host.contains(kPornhubDomain))
        return QStringLiteral("");
    return result;
}

QString QVReelgrabAdjuster::scopeCookies(const QString &cookies, const QString &pageUrl)
{
    const QString host = parseUrl(pageUrl).host().toLower();
    QString out;
    for (QString line : cookies.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 7) {
            out += line + QLatin1Char('\n');
            continue;
        }
        if (host.isEmpty())
            continue;
        // A line is header text ("a=1; b=2") or one cookie as a server sets it ("a=1; Domain=
        // example.com; Path=/"): attributes scope the line's cookies and are no cookies themselves.
        QString domain = host;
        bool subdomains = false;
        QString path = QStringLiteral("/");
        bool secure = false;
        QList<QPair<QString, QString>> pairs;
        for (const QString &pair : line.split(QLatin1Char(';'))) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            const QString name = (eq < 0 ? pair : pair.left(eq)).trimmed();
            const QString value = eq < 0 ? QString() : pair.mid(eq + 1).trimmed();
            const QString attribute = name.toLower();
            if (attribute == QLatin1String("domain")) {
                // Only the page's own domain or one above it: never another host's.
                QString wanted = value.toLower();
                while (wanted.startsWith(QLatin1Char('.')))
                    wanted.remove(0, 1);
                if (!wanted.isEmpty() && wanted.contains(QLatin1Char('.')) && (host == wanted || host.endsWith(QLatin1Char('.') + wanted))) {
                    domain = wanted;
                    subdomains = true;
                }
                continue;
            }
            if (attribute == QLatin1String("path")) {
                if (value.startsWith(QLatin1Char('/')) && !value.contains(QLatin1Char('\t')))
                    path = value;
                continue;
            }
            if (attribute == QLatin1String("secure")) {
                secure = true;
                continue;
            }
            if (attribute == QLatin1String("httponly") || attribute == QLatin1String("samesite") || attribute == QLatin1String("expires") || attribute == QLatin1String("max-age"))
                continue;
            if (eq <= 0 || name.isEmpty() || name.contains(QLatin1Char('\t')) || value.contains(QLatin1Char('\t')))
                continue;
            pairs.append({name, value});
        }
        for (const auto &[name, value] : pairs)
            out += QStringLiteral("%1%2\t%3\t%4\t%5\t0\t%6\t%7\n")
                       .arg(subdomains ? QStringLiteral(".") : QString(), domain,
                            subdomains ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), path,
                            secure ? QStringLiteral("TRUE") : QStringLiteral("FALSE"), name, value);
    }
    return out;
}

QString QVReelgrabAdjuster::adjustUserAgent(const QString &userAgent, const QString &)
{
    if (userAgent.isEmpty())
        return QString::fromLatin1(DefaultUserAgent);
    return userAgent;
}

int QVReelgrabAdjuster::mediaFormatPriority(quint32 mediaFormat)
{
    using namespace MediaFormatCode;
    switch (mediaFormat) {
    case MP4: return 9;
    case MP4Video: return 8;
    case FLV: return 7;
    case ThreeGP: return 6;
    case WebM: return 5;
    case TS: return 4;
    case MP3: return 3;
    case MP4Audio: return 2;
    default: return 1;
    }
}

void QVReelgrabAdjuster::setCookieStore(CookieStore s)
{
    QMutexLocker lock(&storeMutex());
    store() = std::move(s);
}
