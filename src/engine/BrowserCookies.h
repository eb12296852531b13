#pragma once

#include <string>

// The Cookie header a browser of the user's HOME keeps for an address:
// Firefox (cookies.sqlite of the default profile) and Chrome/Chromium (the
// Cookies database, "v10" values decrypted). Databases are read from a copy,
// since a running browser holds them locked.
namespace BrowserCookies {

// "" when the browser or its store is missing; "fennix_exception: ..." on failure.
std::string forUrl(const std::string &browser, const std::string &pageUrl);

} // namespace BrowserCookies
