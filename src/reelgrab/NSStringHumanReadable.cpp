#include "reelgrab/NSStringHumanReadable.h"

#include "platform/MainBundle.h"
#include "reelgrab/HtmlEntityTable.h"

namespace NSStringHumanReadable {

QString stringWithFilesize(qint64 bytes)
{
    const double k = bytes > 0 ? double(bytes) / 1000.0 : 0.0;
    const double m = k / 1000.0;
    const double g = m / 1000.0;
    if (g > 1.0)
        return QString::asprintf("%.1f %s", g, "GB");
    if (m > 1.0)
        return QString::asprintf("%.1f %s", m, "MB");
    return QString::asprintf("%.1f %s", k, "KB");
}

QString stringWithSpeed(qint64 bytesPerSecond)
{
    const qint64 k = bytesPerSecond < 0 ? 0 : qint64(double(bytesPerSecond) / 1000.0 + 0.5);
    const qint64 m = qint64(double(k) / 1000.0 + 0.5);
    const qint64 g = qint64(double(m) / 1000.0 + 0.5);
    if (g >= 2)
        return QString::asprintf("%lld %s/S", (long long)g, "GB");
    if (m >= 2)
        return QString::asprintf("%.1lld %s/S", (long long)m, "MB");
    return QString::asprintf("%.1lld %s/S", (long long)k, "KB");
}

QString stringWithSeconds(qint64 seconds)
{
    const double h = double(seconds) / 3600.0;
    if (h >= 1.0)
        return QString::asprintf(MainBundle::localizedString("%.1f hours").toUtf8().constData(), h);
    const double m = double(seconds) / 60.0;
    if (m >= 1.0)
        return QString::asprintf(MainBundle::localizedString("%.1f minutes").toUtf8().constData(), m);
    if (seconds > 1)
        return QString::asprintf(MainBundle::localizedString("%lld seconds").toUtf8().constData(),
                                 (long long)seconds);
    return MainBundle::localizedString("1 second");
}

QString stringWithDuration(qint64 seconds)
{
    // An unknown duration arrives as a negative number; show it as zero, not "00:-1".
    const qint64 total = std::max<qint64>(seconds, 0);
    const qint64 h = total / 3600;
    const qint64 m = (total - 3600 * h) / 60;
    const qint64 s = total - 3600 * h - 60 * m;
    if (h == 0)
        return QString::asprintf("%02lld:%02lld", (long long)m, (long long)s);
    return QString::asprintf("%02lld:%02lld:%02lld", (long long)h, (long long)m, (long long)s);
}

QString stringByDecodeHtml(const QString &text)
{
    return HtmlEntityTable::decode(text);
}

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Characters a URL may carry as they are: unreserved, reserved delimiters, and "#".
bool staysAsIs(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-': case '_': case '.': case '~': case '!': case '*': case '\'': case '(': case ')':
    case ';': case ':': case '@': case '&': case '=': case '+': case '$': case ',': case '/':
    case '?': case '#': case '[': case ']':
        return true;
    default:
        return false;
    }
}

} // namespace

QString stringByAddingPercentEscapes(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8.at(i));
        if (staysAsIs(c)) {
            out.append(char(c));
        } else if (c == '%' && i + 2 < utf8.size() && isHex(utf8.at(i + 1)) && isHex(utf8.at(i + 2))) {
            // Already an escape: escaping it again would turn "%20" into "%2520".
            out.append(char(c));
        } else {
            out.append('%');
            out.append(hex[c >> 4]);
            out.append(hex[c & 0xF]);
        }
    }
    return QString::fromLatin1(out);
}

} // namespace NSStringHumanReadable
