#include "CurlSetup.h"

#include "CookieJar.h"
#include "DownloadJob.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace CurlSetup {

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void common(CURL *easy, const DownloadJob &job)
{
    curl_easy_setopt(easy, CURLOPT_URL, job.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    // CORVIDASH_STALL_SECONDS shortens every stall limit, for tests of silent servers.
    long stall = job.stallSeconds;
    if (const char *text = getenv("CORVIDASH_STALL_SECONDS"); text && atol(text) > 0)
        stall = std::min(stall, atol(text));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, stall);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
    if (!job.userAgent.empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, job.userAgent.c_str());
    // Scoped cookies through curl's own engine: it picks them per request and again after
    // every redirect, so a cookie never reaches a host it was not set for.
    CookieJar::install(easy, job.cookie);
}

std::string resolveUrl(const std::string &base, const std::string &ref)
{
    if (ref.empty())
        return {};
    CURLU *u = curl_url();
    if (!u)
        return {};
    std::string out;
    if ((base.empty() || curl_url_set(u, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK) &&
        curl_url_set(u, CURLUPART_URL, ref.c_str(), base.empty() ? 0 : CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
        char *text = nullptr;
        if (curl_url_get(u, CURLUPART_URL, &text, 0) == CURLUE_OK && text) {
            out = text;
            curl_free(text);
        }
    }
    curl_url_cleanup(u);
    return out;
}

static std::string part(const std::string &url, CURLUPart which)
{
    CURLU *u = curl_url();
    if (!u)
        return {};
    std::string out;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
        char *text = nullptr;
        if (curl_url_get(u, which, &text, 0) == CURLUE_OK && text) {
            out = text;
            curl_free(text);
        }
    }
    curl_url_cleanup(u);
    return out;
}

std::string pathExtension(const std::string &url)
{
    const std::string path = part(url, CURLUPART_PATH);
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::string host(const std::string &url)
{
    std::string h = part(url, CURLUPART_HOST);
    std::transform(h.begin(), h.end(), h.begin(), [](unsigned char c) { return std::tolower(c); });
    return h;
}

bool parses(const std::string &url)
{
    CURLU *u = curl_url();
    const bool ok = u && curl_url_set(u, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK;
    curl_url_cleanup(u);
    return ok;
}

bool hasSupportedScheme(const std::string &url)
{
    std::string scheme = part(url, CURLUPART_SCHEME);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ftps";
}

} // namespace CurlSetup
