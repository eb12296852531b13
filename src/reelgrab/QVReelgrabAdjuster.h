#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Site rules applied to what the helper sends before sniffing: page address, cookies, user agent.
// Every operation returns a new text and changes nothing stored.
class QVReelgrabAdjuster
{
public:
    static constexpr const char *DefaultUserAgent =
        "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_7_4) AppleWebKit/536.26.17 (KHTML, like Gecko) "
        "Version/6.0.2 Safari/536.26.17";

    static QString adjustPageUrl(const QString &pageUrl);
    static QString adjustCookies(const QString &cookies, const QString &pageUrl);
    static QString adjustUserAgent(const QString &userAgent, const QString &pageUrl);
    // Cookies as the engine should get them for a download of the page: scoped jar lines stay
    // as they are; plain "a=b; c=d" text becomes host-only cookies of the page's host, so the
    // media's own host and every host a redirect leads to get none of them. A line with a Domain
    // attribute that names the page's host or a domain above it ("a=1; Domain=example.com")
    // reaches that domain's sub-domains too; any other Domain is ignored.
    static QString scopeCookies(const QString &cookies, const QString &pageUrl);

    // Priority of a format code when two candidates tie; larger wins.
    static int mediaFormatPriority(quint32 mediaFormat);

    // Where cookies come from when a page has none: returns the Cookie header value for a URL.
    // Unset, there are no stored cookies.
    using CookieStore = std::function<QString(const QUrl &)>;
    static void setCookieStore(CookieStore store);
};
