#pragma once

#include <string>

// The cookies a browser of the user's HOME keeps for an address, as scoped jar lines
// (CookieJar), so they go only where the browser would send them:
// Firefox (cookies.sqlite of the default profile) and Chrome/Chromium (the
// Cookies database, "v10" values decrypted). Databases are read from a copy,
// since a running browser holds them locked.
namespace BrowserCookies {

// "" when the browser or its store is missing; "fennix_exception: ..." on failure.
std::string forUrl(const std::string &browser, const std::string &pageUrl);

} // namespace BrowserCookies
