// Hostile playlists: parse() either accepts a consistent playlist or says why
// not; it never crashes, and what it accepts can be used without checks.
#include "engine/HlsPlaylist.h"
#include "engine/PageSniffer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    HlsPlaylist list;
    std::string why;
    if (!list.parse(text, "https://media.test/show/ep1/index.m3u8?token=a", &why)) {
        if (why.empty())
            __builtin_trap(); // a rejection always names its reason
        return 0;
    }
    // The downloader indexes keys and maps through these without checking again.
    for (const auto &s : list.segments) {
        if (s.keyIndex >= static_cast<int>(list.keys.size()) || s.keyIndex < -1 ||
            s.mapIndex >= static_cast<int>(list.maps.size()) || s.mapIndex < -1 || s.uri.empty() ||
            (s.length >= 0 && s.offset < 0))
            __builtin_trap();
    }
    if (list.isMaster == list.variants.empty() || (!list.isMaster && list.segments.empty()))
        __builtin_trap();
    list.totalDuration();
    // A master's candidates: every picture that names a sound finds it among them.
    const std::vector<PageSniffer::Media> medias = PageSniffer::hlsMedias(list);
    for (const auto &m : medias)
        if (!m.sound.empty() && std::none_of(medias.begin(), medias.end(), [&](const PageSniffer::Media &o) {
                return PageSniffer::isSound(o) && o.url == m.sound;
            }))
            __builtin_trap();
    return 0;
}
