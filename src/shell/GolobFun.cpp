#include "shell/GolobFun.h"

#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "reelgrab/HtmlEntityTable.h"
#include "shell/FailedDownloadLog.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QUrl>

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

namespace {

QString localized(const char *english)
{
    return MainBundle::localizedString(english);
}

// Formats with a localised printf pattern; the pattern comes from our own translations.
template <typename T>
QString formatted(const char *english, T value)
{
    return QString::asprintf(localized(english).toUtf8().constData(), value);
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

int utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Like a C integer read: blanks, a sign and leading digits count, the rest is ignored; an
// overlong number is capped rather than overflowing.
qint64 leadingInteger(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    qint64 value = 0;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i) {
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            break;
        value = value * 10 + (t[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

QString GolobFun::validFileName(const QString &name)
{
    static const QString forbidden = QStringLiteral("*|:\"<>?\\/");
    QString cleaned;
    cleaned.reserve(name.size());
    int bytes = 0;
    const QList<uint> codePoints = name.toUcs4();
    for (const uint u : codePoints) {
        const char32_t c = u;
        if (isControl(c))
            continue;
        if (c < 0x80 && forbidden.contains(QChar(char16_t(c))))
            cleaned.append(QLatin1Char('_'));
        else
            cleaned.append(QString::fromUcs4(&c, 1));
        bytes += utf8Length(c);
    }
    if (bytes >= MaxFileNameBytes) {
        // Cut on a code point so no half character is left behind.
        QString kept;
        int keptBytes = 0;
        for (const uint u : cleaned.toUcs4()) {
            const char32_t c = u;
            if (keptBytes + utf8Length(c) > KeptFileNameBytes)
                break;
            kept.append(QString::fromUcs4(&c, 1));
            keptBytes += utf8Length(c);
        }
        cleaned = kept;
    }
    // Names that would mean "this folder" or "the parent" or nothing at all.
    if (cleaned.isEmpty() || cleaned == QLatin1String(".") || cleaned == QLatin1String(".."))
        cleaned = QString(qMax<qsizetype>(1, cleaned.size()), QLatin1Char('_'));
    return cleaned;
}

QString GolobFun::speed(qint64 bytesPerSecond)
{
    const qint64 bytes = qMax<qint64>(0, bytesPerSecond);
    const qint64 k = qint64(bytes / 1000.0 + 0.5);
    const qint64 m = qint64(k / 1000.0 + 0.5);
    const qint64 g = qint64(m / 1000.0 + 0.5);
    if (g >= 2)
        return QStringLiteral("%1 GB/S").arg(g);
    if (m >= 2)
        return QStringLiteral("%1 MB/S").arg(m);
    return QStringLiteral("%1 KB/S").arg(k);
}

QString GolobFun::convertSizeToString(qint64 bytes)
{
    if (bytes <= 0)
        return localized("0 MB");
    const double kb = bytes / 1000.0;
    const double mb = kb / 1000.0;
    const double gb = mb / 1000.0;
    if (gb > 1.0)
        return QString::asprintf("%.1f %s", gb, localized("GB").toUtf8().constData());
    if (mb > 1.0)
        return QString::asprintf("%.1f %s", mb, localized("MB").toUtf8().constData());
    return QString::asprintf("%.1f %s", kb, localized("KB").toUtf8().constData());
}

QString GolobFun::ConvertTimeToString(qint64 seconds)
{
    const double h = seconds / 3600.0;
    if (h >= 1)
        return formatted("%.1f hours", h);
    const double m = seconds / 60.0;
    if (m >= 1)
        return formatted("%.1f minutes", m);
    if (seconds > 1)
        return formatted("%lld seconds", static_cast<long long>(seconds));
    return localized("1 second");
}

QString GolobFun::convertTimeToHMSPro(double seconds)
{
    const double rounded = std::trunc(seconds + 0.5);
    // NaN and absurd values read as nothing rather than overflowing the conversion.
    if (!(rounded >= 0))
        return QStringLiteral("0");
    const qint64 n = rounded > 9.0e15 ? qint64(9.0e15) : qint64(rounded);
    const qint64 h = n / 3600;
    const qint64 m = (n % 3600) / 60;
    const qint64 s = n % 60;
    if (h == 0)
        return QString::asprintf("%02lld:%02lld", static_cast<long long>(m), static_cast<long long>(s));
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                             static_cast<long long>(s));
}

qint64 GolobFun::convertStringToTime(const QString &hms)
{
    // Saturates at the ends of the range: absurd input never wraps into a plausible length.
    qint64 total = 0;
    for (const QString &part : hms.split(QLatin1Char(':'))) {
        qint64 next = 0;
        if (__builtin_mul_overflow(total, qint64(60), &next) || __builtin_add_overflow(next, leadingInteger(part), &next))
            return (total < 0) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        total = next;
    }
    return total;
}

quint64 GolobFun::timeGetTime()
{
    return quint64(dispatch::Clock::current().nowMs());
}

QString GolobFun::replacePercentString(const QString &text)
{
    struct Escape
    {
        const char *code;
        char16_t ch;
    };
    static const Escape escapes[] = {
        {"25", u'%'}, {"3A", u':'}, {"3B", u';'}, {"2C", u','}, {"27", u'\''}, {"28", u'('},
        {"29", u')'}, {"2A", u'*'}, {"21", u'!'}, {"7E", u'~'}, {"2B", u'+'}, {"2F", u'/'},
        {"20", u' '}, {"09", u'\t'}, {"3D", u'='}, {"3F", u'?'}, {"26", u'&'}, {"22", u'"'},
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 2 < text.size()) {
            bool matched = false;
            for (const Escape &e : escapes) {
                if (text[i + 1] == QLatin1Char(e.code[0]) && text[i + 2] == QLatin1Char(e.code[1])) {
                    out.append(QChar(e.ch));
                    i += 2;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        out.append(text[i]);
    }
    return out;
}

QString GolobFun::convertHtml(const QString &text)
{
    if (text.isEmpty() || (!text.contains(QLatin1Char('&')) && !text.contains(QLatin1Char(';'))))
        return text;
    return HtmlEntityTable::decode(text);
}

bool GolobFun::isYouTubeURL(const QString &text)
{
    const QString lower = text.toLower();
    return lower.contains(QLatin1String("youtube.com")) || lower.contains(QLatin1String("youtu.be"));
}

QString GolobFun::windowTitle()
{
    return localized("iQuenmark Orrisca Studio");
}

bool GolobFun::isOSOfSnowLeopard() { return true; }
bool GolobFun::isOSOfLion() { return true; }
bool GolobFun::isOSOfMountainLion() { return true; }
bool GolobFun::isMavericksOS() { return true; }

namespace {

QNetworkAccessManager &network()
{
    // Lives on the main thread with the application.
    static QNetworkAccessManager *manager = new QNetworkAccessManager(QCoreApplication::instance());
    return *manager;
}

struct AddressLookup : std::enable_shared_from_this<AddressLookup>
{
    QString address;
    QUrl url;
    GolobFun::ResponseCallback callback;
    int attempt = 0;

    void start()
    {
        ++attempt;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(20);
        request.setTransferTimeout(30000);
        QNetworkReply *reply = network().get(request);
        auto self = shared_from_this();
        auto handled = std::make_shared<bool>(false);
        // Decide on the headers of the final answer; the body (possibly a whole video) is never read.
        auto decide = [self, reply, handled](bool finished) {
            if (*handled)
                return;
            const QVariant statusValue = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            const int status = statusValue.isValid() ? statusValue.toInt() : 0;
            if (!finished && (status == 0 || (status >= 300 && status < 400)))
                return;
            *handled = true;
            const QUrl finalUrl = reply->url();
            const QString failure = reply->error() != QNetworkReply::NoError ? reply->errorString() : QString();
            if (!finished)
                reply->abort();
            reply->deleteLater();
            self->answered(status, finalUrl, failure);
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [decide] { decide(false); });
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [decide] { decide(false); });
        QObject::connect(reply, &QNetworkReply::finished, reply, [decide] { decide(true); });
    }

    void answered(int status, const QUrl &finalUrl, const QString &failure)
    {
        if (status == 200) {
            finish(status, finalUrl.toString(QUrl::FullyEncoded), QString());
            return;
        }
        if (attempt < 2) {
            start();
            return;
        }
        const QString error = !failure.isEmpty() ? failure
                                                 : QStringLiteral("HTTP status %1").arg(status);
        finish(status, QString::fromLatin1(GolobFun::ResponseErrorText), error);
    }

    void finish(int status, const QString &result, const QString &error)
    {
        ScribletLogInfo(QStringLiteral("%1  %2").arg(status).arg(address));
        auto cb = std::move(callback);
        callback = nullptr;
        if (cb)
            cb(result, error);
    }
};

} // namespace

void GolobFun::cbsResponstString(const QString &address, ResponseCallback callback)
{
    // Always answered later on the main thread, whatever thread asks.
    dispatch::async_main([address, callback = std::move(callback)]() mutable {
        const QUrl url(address.trimmed(), QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || url.host().isEmpty()
            || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
            ScribletLogInfo(QStringLiteral("cbsResponstString invalid address: %1").arg(address));
            if (callback)
                callback(QString::fromLatin1(ResponseErrorText), QStringLiteral("invalid address"));
            return;
        }
        auto lookup = std::make_shared<AddressLookup>();
        lookup->address = address;
        lookup->url = url;
        lookup->callback = std::move(callback);
        lookup->start();
    });
}

void GolobFun::addDowbloadFailedLog(const QString &logName, const QString &url)
{
    dispatch::global(dispatch::Priority::Default, [logName, url] { FailedDownloadLog::shared().add(logName, url); });
}

QVariantMap GolobFun::createDowbloadFailedInfo(const QString &logName, const QString &url)
{
    return FailedDownloadLog::shared().createEntry(logName, url);
}

QString GolobFun::getLastFailedURLS()
{
    return FailedDownloadLog::shared().lastFailedUrls();
}
