#include "HttpFetch.h"

#include "CurlSetup.h"
#include "DownloadJob.h"
#include "EngineError.h"
#include "engine/Corvidash.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

struct State
{
    HttpFetch::Result *result;
    const HttpFetch::Options *options;
    bool tooLarge = false;
    bool mediaSeen = false;
};

size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto &st = *static_cast<State *>(user);
    const size_t n = size * count;
    std::string line(data, n);
    if (line.rfind("HTTP/", 0) == 0) {
        st.result->contentType.clear();
        st.result->contentLength = -1;
        st.result->disposition.clear();
        st.mediaSeen = false;
        return n;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos)
        return n;
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t\r\n") + 1);
    if (name == "content-type") {
        std::transform(value.begin(), value.end(), value.begin(), [](unsigned char c) { return std::tolower(c); });
        st.result->contentType = value;
        st.mediaSeen = value.rfind("video/", 0) == 0 || value.rfind("audio/", 0) == 0;
    } else if (name == "content-length") {
        st.result->contentLength = strtoll(value.c_str(), nullptr, 10);
    } else if (name == "content-disposition") {
        st.result->disposition = value;
    }
    return n;
}

size_t onWrite(char *data, size_t size, size_t count, void *user)
{
    auto &st = *static_cast<State *>(user);
    const size_t n = size * count;
    if (st.options->headersOnlyForMedia && st.mediaSeen) {
        st.result->truncatedForMedia = true;
        return 0;
    }
    if (st.result->body.size() + n > st.options->maxBytes) {
        if (st.options->cutOff) {
            st.result->body.append(data, st.options->maxBytes - st.result->body.size());
            st.result->cut = true;
        } else {
            st.tooLarge = true;
        }
        return 0;
    }
    st.result->body.append(data, n);
    return n;
}

int onProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto &st = *static_cast<State *>(user);
    return st.options->stop && st.options->stop->load() ? 1 : 0;
}

} // namespace

namespace HttpFetch {

Result get(const std::string &url, const DownloadJob &settings, const Options &options)
{
    Result result;
    if (!CurlSetup::parses(url)) {
        result.code = CORVIDASH_MALFORMED_URL;
        return result;
    }
    if (!CurlSetup::hasSupportedScheme(url)) {
        result.code = CORVIDASH_UNSUPPORTED_PROTOCOL;
        return result;
    }
    CURL *easy = curl_easy_init();
    if (!easy) {
        result.code = CORVIDASH_INIT_FAILED;
        return result;
    }
    DownloadJob job = settings;
    job.url = url;
    CurlSetup::common(easy, job);
    State st{&result, &options};
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &st);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &st);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &st);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    if (options.timeoutMs > 0)
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    else
        curl_easy_setopt(easy, CURLOPT_TIMEOUT, options.timeoutSeconds);
    if (options.headOnly)
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    if (options.decodeContent)
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    if (!options.range.empty())
        curl_easy_setopt(easy, CURLOPT_RANGE, options.range.c_str());
    const auto began = std::chrono::steady_clock::now();
    const CURLcode rc = curl_easy_perform(easy);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.status);
    char *effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    result.effectiveUrl = effective ? effective : url;
    curl_easy_cleanup(easy);
    if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && (result.truncatedForMedia || result.cut))) {
        result.code = CORVIDASH_OK;
    } else if (st.tooLarge) {
        result.code = CORVIDASH_SIZE_MISMATCH;
    } else {
        result.code = EngineError::failed(rc, result.status, url);
        const auto limit = options.timeoutMs > 0 ? std::chrono::milliseconds(options.timeoutMs)
                                                 : std::chrono::milliseconds(options.timeoutSeconds * 1000);
        if (rc == CURLE_OPERATION_TIMEDOUT && std::chrono::steady_clock::now() - began >= limit)
            result.code = CORVIDASH_OPERATION_TIMEOUT;
    }
    return result;
}

} // namespace HttpFetch
