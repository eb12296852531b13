// The exported C functions of the helper's probe of an address.
#include "engine/Corvidash.h"

#include "CurlSetup.h"
#include "DownloadJob.h"
#include "HttpFetch.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

// The answer with the texts its public part points into.
struct ProbeAnswer : CorvidashProbe
{
    std::string typeText, dispositionText, urlText, bodyBytes;
};

// A probe looks at the start of a body only.
constexpr int64_t MaxProbeBytes = 1 << 20;

// Handed out when there is no memory for an answer; never freed.
CorvidashProbe *outOfMemory()
{
    static CorvidashProbe answer{CORVIDASH_MEMORY_ERROR, 0, -1, "", "", "", "", 0, 0};
    return &answer;
}

} // namespace

extern "C" {

CorvidashProbe *CorvidashProbeRun(const char *url, const char *range, int64_t maxBytes, int32_t timeoutMs)
{
    auto *answer = new (std::nothrow) ProbeAnswer{};
    if (!answer)
        return outOfMemory();
    CurlSetup::globalInit();
    HttpFetch::Options options;
    options.headOnly = !range;
    options.range = range ? range : "";
    options.maxBytes = range && maxBytes > 0 ? static_cast<size_t>(std::min(maxBytes, MaxProbeBytes)) : 0;
    options.cutOff = true;
    options.timeoutMs = timeoutMs > 0 ? timeoutMs : 1;
    // An empty job: the probe sends neither cookies nor a user agent.
    const HttpFetch::Result r = HttpFetch::get(url ? url : "", DownloadJob{}, options);
    answer->code = r.code;
    answer->status = static_cast<int32_t>(r.status);
    answer->contentLength = r.contentLength;
    answer->typeText = r.contentType;
    answer->dispositionText = r.disposition;
    answer->urlText = r.effectiveUrl;
    answer->bodyBytes = r.body;
    answer->contentType = answer->typeText.c_str();
    answer->disposition = answer->dispositionText.c_str();
    answer->finalUrl = answer->urlText.c_str();
    answer->body = answer->bodyBytes.data();
    answer->bodyLength = static_cast<int64_t>(answer->bodyBytes.size());
    answer->cut = r.cut ? 1 : 0;
    return answer;
}

void CorvidashProbeFree(CorvidashProbe *probe)
{
    if (probe && probe != outOfMemory())
        delete static_cast<ProbeAnswer *>(probe);
}

} // extern "C"
