#include "downloads/DownloadURLRules.h"

#include <QUrl>

namespace DownloadURLRules {

QString formatMutiURL(const QString &text)
{
    const QString line = text.section(QLatin1Char('\n'), 0, 0);
    if (line.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || line.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return line;
    if (line.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QStringLiteral("http://") + line;
    return QString();
}

QString escapedURL(const QString &address)
{
    // The reserved and unreserved characters of an address stay; "%" stays too so that an
    // address that is already escaped is not escaped twice.
    static const QByteArray keep = QByteArrayLiteral("!$&'()*+,;=:/?#[]@%~-._");
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    const QByteArray utf8 = address.toUtf8();
    out.reserve(utf8.size() * 3);
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || (c < 0x80 && keep.contains(ch))) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return QString::fromLatin1(out);
}

bool isDownloadableAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString pastedAddress(const QString &pasteboardText)
{
    const QString cleaned = formatMutiURL(pasteboardText.trimmed());
    if (cleaned.isEmpty())
        return QString();
    const QString escaped = escapedURL(cleaned);
    if (escaped.size() < MinimumAddressLength || !isDownloadableAddress(escaped))
        return QString();
    return escaped;
}

QString droppedAddress(const QString &text)
{
    const QString cleaned = formatMutiURL(text);
    if (cleaned.size() < MinimumAddressLength)
        return QString();
    // Dropped addresses are not escaped; blanks in them are legal to the tolerant parser.
    const QUrl url(cleaned, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QString();
    return cleaned;
}

} // namespace DownloadURLRules
