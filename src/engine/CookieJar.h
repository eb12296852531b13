#pragma once

#include <curl/curl.h>
#include <cstdint>
#include <string>

// Cookie texts as the engine takes them: lines of the Netscape cookie-file form (domain,
// subdomains flag, path, secure flag, expiry, name, value; tab-separated), which keep each
// cookie's scope, and plain "a=b; c=d" header text, which carries none. The jar is handed to
// libcurl's cookie engine so that every request and every redirect gets only the cookies its
// own host, path and scheme may have, as a browser would send them.
namespace CookieJar {

// One jar line ending in a newline; empty when a part would break the line (tabs, line
// breaks, control characters). A domain starting with "." applies to its subdomains too;
// expiry 0 is a session cookie.
std::string line(const std::string &domain, const std::string &path, bool secure, int64_t expiry,
                 const std::string &name, const std::string &value);
// Jar lines kept as they are; plain header pairs become host-only cookies of originUrl's host
// (path "/"), so they never reach another host.
std::string scoped(const std::string &text, const std::string &originUrl);
// Hands the jar lines of text to the cookie engine of easy (nothing when there are none).
void install(CURL *easy, const std::string &text);

} // namespace CookieJar
