#pragma once

#include <curl/curl.h>
#include <string>

struct DownloadJob;

// Options every engine transfer shares: allowed protocols, redirects, stall
// limit, user agent and cookies.
namespace CurlSetup {

void globalInit();
void common(CURL *easy, const DownloadJob &job);
// Resolves ref against base; empty when either does not parse.
std::string resolveUrl(const std::string &base, const std::string &ref);
// Lower-case extension of the address's path ("" when none).
std::string pathExtension(const std::string &url);
std::string host(const std::string &url);
// http, https, ftp, ftps only; the scheme check of every address handed in.
bool hasSupportedScheme(const std::string &url);
bool parses(const std::string &url);

} // namespace CurlSetup
