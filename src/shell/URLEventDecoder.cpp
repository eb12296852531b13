#include "shell/URLEventDecoder.h"

#include "shell/GolobFun.h"
#include "shell/NSDataAdditions.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <limits>

namespace {

const QLatin1String JsLogPrefix("jsLog://");
const QLatin1String PelqaPrefix("pelqa://");
const QLatin1String PairSeparator("-QV-GUES-");
const QLatin1String ItemSeparator("-QV-ITEM-");
const QLatin1String PlaylistMarker("resolution=playlist-QV-GUES-");

bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

bool hasOnlyValidEscapes(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('%'))
            continue;
        if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))
            return false;
    }
    return true;
}

// Strict UTF-8: invalid bytes give no text at all.
QString strictUtf8(const QByteArray &bytes, bool *ok)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return *ok ? text : QString();
}

// Escapes what may not stand in an address; reserved characters, "#" and existing "%XX"
// escapes stay as they are.
QString escapeAddress(const QString &text)
{
    static const QByteArray keep = QByteArrayLiteral("!*'();:@&=+$,/?#[]~-._");
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('%') && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
            out.append(c);
            continue;
        }
        out.append(QString::fromLatin1(QUrl::toPercentEncoding(QString(c), keep)));
    }
    return out;
}

// An address longer than any page's is refused on every road, before it is stored or shaped.
QString boundedAddress(const QString &address)
{
    return address.size() > URLEventDecoder::MaxAddressLength ? QString() : address;
}

QVariantMap playlistItem(const QString &itemText)
{
    QVariantMap item = URLEventDecoder::parseURLToDictionary(itemText, true);
    item.insert(QStringLiteral("Title"),
                URLEventDecoder::parseURL(item.value(QStringLiteral("title")).toString().trimmed()).trimmed());
    item.insert(QStringLiteral("Duration"),
                qint64(GolobFun::convertStringToTime(item.value(QStringLiteral("duration")).toString())));
    item.insert(QStringLiteral("PageUrl"), item.value(QStringLiteral("pageUrl")).toString());
    return item;
}

void decodePlaylist(const QString &text, URLEventDecoder::Request &r)
{
    r.kind = URLEventDecoder::Kind::Playlist;
    r.params.insert(QStringLiteral("Contents"), 16);
    const qsizetype first = text.indexOf(ItemSeparator);
    r.hasItemMarker = first >= 0;
    if (!r.hasItemMarker) {
        r.pageUrl = boundedAddress(URLEventDecoder::parseURLToDictionary(text, true).value(QStringLiteral("pageUrl")).toString());
        return;
    }
    r.pageUrl = boundedAddress(
        URLEventDecoder::parseURLToDictionary(text.left(first), true).value(QStringLiteral("pageUrl")).toString());
    qsizetype from = first + ItemSeparator.size();
    while (from <= text.size()) {
        qsizetype next = text.indexOf(ItemSeparator, from);
        const QString part = text.mid(from, next < 0 ? -1 : next - from);
        if (r.items.size() >= URLEventDecoder::MaxPlaylistItems) {
            ++r.droppedItems;
        } else {
            QVariantMap item = playlistItem(part);
            // An item's address passes the same checks as any single address.
            const QString address = URLEventDecoder::formatAddress(item.value(QStringLiteral("PageUrl")).toString());
            if (address.isEmpty()) {
                ++r.droppedItems;
            } else {
                item.insert(QStringLiteral("PageUrl"), address);
                r.items.append(item);
            }
        }
        if (next < 0)
            break;
        from = next + ItemSeparator.size();
    }
}

// The number at the start of a text ("720p" -> 720), saturating; 0 when there is none.
qint64 leadingInteger(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative || t.startsWith(QLatin1Char('+')))
        ++i;
    qint64 value = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 0x80; ++i) {
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        value = value * 10 + (t[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

QVariantMap URLEventDecoder::parseURLToDictionary(const QString &pairs, bool nullAsEmpty)
{
    QVariantMap dict;
    qsizetype from = 0;
    while (from <= pairs.size()) {
        const qsizetype next = pairs.indexOf(PairSeparator, from);
        const QString part = pairs.mid(from, next < 0 ? -1 : next - from);
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            QString value = part.mid(eq + 1);
            if (nullAsEmpty && value == QLatin1String("null"))
                value.clear();
            dict.insert(part.left(eq), value);
        }
        if (next < 0)
            break;
        from = next + PairSeparator.size();
    }
    return dict;
}

QString URLEventDecoder::parseURL(const QString &text)
{
    QString resolved = text;
    if (hasOnlyValidEscapes(text)) {
        const QByteArray bytes = QByteArray::fromPercentEncoding(text.toUtf8());
        bool ok = false;
        const QString utf8 = strictUtf8(bytes, &ok);
        resolved = ok ? utf8 : QString::fromLatin1(bytes);
    }
    return GolobFun::replacePercentString(resolved);
}

QString URLEventDecoder::formatAddress(const QString &text)
{
    QString line = text.left(MaxAddressLength + 1);
    const qsizetype end = line.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    if (end >= 0)
        line.truncate(end);
    line = line.trimmed();
    if (line.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        line.prepend(QLatin1String("http://"));
    else if (!line.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
             && !line.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return {};
    const QString escaped = escapeAddress(line);
    if (escaped.size() < MinAddressLength || escaped.size() > MaxAddressLength)
        return {};
    const QUrl url(escaped, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    return escaped;
}

QString URLEventDecoder::withoutCookies(const QString &decoded)
{
    static const QRegularExpression cookies(QStringLiteral("(^|-QV-GUES-)cookies=(.*?)(?=-QV-GUES-|-QV-ITEM-|$)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = cookies.globalMatch(decoded);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += decoded.mid(last, m.capturedStart(2) - last);
        out += QStringLiteral("<%1 characters>").arg(m.capturedLength(2));
        last = m.capturedEnd(2);
    }
    out += decoded.mid(last);
    return out;
}

URLEventDecoder::Request URLEventDecoder::decode(const QString &eventString)
{
    Request r;
    r.text = eventString.left(MaxEventLength);
    if (r.text.contains(JsLogPrefix)) {
        r.kind = Kind::JsLog;
        return r;
    }
    // A request of the extension is the whole address; "pelqa://" inside another address (in
    // its query, say) is part of that address, not a request any page could smuggle in.
    if (!r.text.startsWith(PelqaPrefix, Qt::CaseInsensitive)) {
        r.kind = r.text.isEmpty() ? Kind::Empty : Kind::Plain;
        r.pageUrl = boundedAddress(r.text);
        return r;
    }
    // Base64 never grows when decoded, so the cut above bounds the decoded text too.
    bool ok = false;
    r.decoded = strictUtf8(NSDataAdditions::initWithBase64EncodedString(r.text.mid(PelqaPrefix.size())), &ok);
    const qsizetype marker = r.decoded.indexOf(PlaylistMarker, 0, Qt::CaseInsensitive);
    if (!r.decoded.isEmpty() && marker >= 0) {
        decodePlaylist(r.decoded.mid(marker + PlaylistMarker.size()), r);
        return r;
    }
    r.kind = Kind::SinglePage;
    const QVariantMap pairs = parseURLToDictionary(r.decoded, false);
    r.pageUrl = boundedAddress(pairs.value(QStringLiteral("pageUrl")).toString());
    if (pairs.contains(QStringLiteral("cookies")))
        r.params.insert(QStringLiteral("Cookies"), pairs.value(QStringLiteral("cookies")));
    if (pairs.contains(QStringLiteral("browser")))
        r.params.insert(QStringLiteral("Browser"), pairs.value(QStringLiteral("browser")));
    if (pairs.contains(QStringLiteral("resolution"))) {
        const QString resolution = pairs.value(QStringLiteral("resolution")).toString();
        if (resolution == QLatin1String("MP3"))
            r.params.insert(QStringLiteral("Contents"), 4);
        else
            r.params.insert(QStringLiteral("Quality"), leadingInteger(resolution));
    }
    return r;
}
