// Hostile pages: whatever bytes a server sends, the sniffer's HTML pass must
// return findings without crashing, hanging or growing without bound.
#include "engine/PageSniffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string body(reinterpret_cast<const char *>(data), size);
    // The same path a fetched page takes: charset from the page itself, then the parse.
    const PageSniffer::Findings f = PageSniffer::parseHtml(PageSniffer::toUtf8(body, std::string()),
                                                           "https://pages.test/watch/item.html?id=7");
    if (f.medias.size() > 64 || f.iframes.size() > 4 || f.subtitles.size() > 32)
        __builtin_trap(); // the candidate lists are bounded
    // Subtitle files come from the same servers.
    PageSniffer::vttToSrt(body);
    return 0;
}
