#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// Reads the addresses other programs open the application with: extension log lines
// ("jsLog://"), download requests of the browser extension ("pelqa://" + Base64 of key=value
// pairs joined by "-QV-GUES-", play lists with items joined by "-QV-ITEM-") and plain page
// addresses. Pure functions: the main window acts on the result.
class URLEventDecoder
{
public:
    enum class Kind { Empty, JsLog, SinglePage, Playlist, Plain };

    // Inputs beyond these bounds are cut, never allocated in full.
    static constexpr int MaxEventLength = 4 * 1024 * 1024;   // characters of one event
    static constexpr int MaxAddressLength = 8192;             // characters of one address
    static constexpr int MaxPlaylistItems = 5000;
    static constexpr int MinAddressLength = 9;

    struct Request
    {
        Kind kind = Kind::Empty;
        QString text;      // the event's string (cut to MaxEventLength)
        QString decoded;   // the decoded Base64 text of a pelqa request ("" when not UTF-8)
        QString pageUrl;   // the address to download (raw: not yet checked; empty above MaxAddressLength)
        QVariantMap params;               // "Cookies", "Browser", "Contents", "Quality"
        QList<QVariantMap> items;         // play-list items, in order, each with a checked "PageUrl"
        int droppedItems = 0;             // play-list items whose address failed the checks
        bool hasItemMarker = false;       // the play list named items ("-QV-ITEM-")
    };

    static Request decode(const QString &eventString);

    // Splits "a=1-QV-GUES-b=2": key before the first "=", value after it; a part without "="
    // is skipped, a later key replaces an earlier one; with nullAsEmpty a value "null" reads "".
    static QVariantMap parseURLToDictionary(const QString &pairs, bool nullAsEmpty = true);
    // Percent escapes resolved (UTF-8, else Latin-1, else unchanged), then the listed escapes.
    static QString parseURL(const QString &text);
    // The checks every address passes before it becomes a task: first line only, "http://",
    // "https://" (any case) or "www." (gets "http://"), unsafe characters escaped ("#" and valid
    // escapes kept), 9 to MaxAddressLength characters, a valid URL with a host. Empty when
    // refused.
    static QString formatAddress(const QString &text);
    // The decoded text for the log: cookie values (sessions of the user's browser) are replaced
    // by their length, as the log travels with feedback mail and crash reports.
    static QString withoutCookies(const QString &decoded);
};
