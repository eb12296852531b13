#include "HlsPlaylist.h"

#include "CurlSetup.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr size_t kMaxEntries = 200000;
constexpr size_t kMaxRenditions = 1000;

bool parseByteRange(const std::string &value, int64_t &length, int64_t &offset, bool &hasOffset)
{
    char *end = nullptr;
    const long long n = strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() || n < 0)
        return false;
    length = n;
    hasOffset = *end == '@';
    if (hasOffset) {
        char *end2 = nullptr;
        const long long o = strtoll(end + 1, &end2, 10);
        if (end2 == end + 1 || o < 0)
            return false;
        offset = o;
    }
    // The range's end must fit, or every later sum with it overflows.
    return length <= std::numeric_limits<int64_t>::max() - (hasOffset ? offset : 0);
}

bool parseIv(const std::string &text, uint8_t iv[16])
{
    std::string hex = text;
    if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X'))
        hex = hex.substr(2);
    if (hex.empty() || hex.size() > 32)
        return false;
    hex = std::string(32 - hex.size(), '0') + hex;
    for (int i = 0; i < 16; ++i) {
        const char pair[3] = {hex[2 * i], hex[2 * i + 1], 0};
        char *end = nullptr;
        iv[i] = static_cast<uint8_t>(strtoul(pair, &end, 16));
        if (*end)
            return false;
    }
    return true;
}

} // namespace

std::map<std::string, std::string> HlsPlaylist::attributes(const std::string &list)
{
    std::map<std::string, std::string> out;
    size_t i = 0;
    while (i < list.size() && out.size() < 64) {
        while (i < list.size() && (list[i] == ' ' || list[i] == ','))
            ++i;
        const size_t eq = list.find('=', i);
        if (eq == std::string::npos)
            break;
        std::string key = list.substr(i, eq - i);
        i = eq + 1;
        std::string value;
        if (i < list.size() && list[i] == '"') {
            const size_t close = list.find('"', i + 1);
            if (close == std::string::npos) {
                value = list.substr(i + 1);
                i = list.size();
            } else {
                value = list.substr(i + 1, close - i - 1);
                i = close + 1;
            }
        } else {
            const size_t comma = list.find(',', i);
            value = list.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
            i = comma == std::string::npos ? list.size() : comma;
        }
        out[key] = value;
    }
    return out;
}

bool HlsPlaylist::parse(const std::string &text, const std::string &baseUrl, std::string *error)
{
    auto fail = [&](const char *why) {
        if (error)
            *error = why;
        return false;
    };
    *this = HlsPlaylist();
    size_t at = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        at = 3;
    if (text.compare(at, 7, "#EXTM3U") != 0)
        return fail("not a playlist");
    if (memchr(text.data(), 0, text.size()))
        return fail("binary data");

    int currentKey = -1;
    int currentMap = -1;
    double pendingDuration = 0.0;
    int64_t pendingLength = -1, pendingOffset = 0;
    bool pendingRange = false;
    bool pendingVariant = false;
    Variant variant;
    std::map<std::string, int64_t> nextOffset; // where a BYTERANGE without @ continues, per address

    while (at < text.size()) {
        size_t eol = text.find('\n', at);
        if (eol == std::string::npos)
            eol = text.size();
        std::string line = text.substr(at, eol - at);
        at = eol + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        // Some servers indent tags, even with a stray carriage return before them.
        const size_t lead = line.find_first_not_of(" \t\r");
        line.erase(0, lead == std::string::npos ? line.size() : lead);
        if (line.empty())
            continue;
        if (segments.size() + variants.size() > kMaxEntries)
            return fail("too many entries");
        if (line[0] == '#') {
            const auto colon = line.find(':');
            const std::string tag = line.substr(0, colon);
            const std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
            if (tag == "#EXTINF") {
                pendingDuration = strtod(value.c_str(), nullptr);
                if (!(pendingDuration >= 0.0) || pendingDuration > 1e7)
                    pendingDuration = 0.0;
            } else if (tag == "#EXT-X-BYTERANGE") {
                bool hasOffset = false;
                if (!parseByteRange(value, pendingLength, pendingOffset, hasOffset))
                    return fail("bad byte range");
                pendingRange = true;
                if (!hasOffset)
                    pendingOffset = -1; // filled from the previous range of the same address
            } else if (tag == "#EXT-X-MEDIA-SEQUENCE") {
                // An unsigned 64-bit number; kept as its bits, the IV derivation uses them modulo 2^64.
                mediaSequence = static_cast<int64_t>(strtoull(value.c_str(), nullptr, 10));
            } else if (tag == "#EXT-X-ENDLIST") {
                endList = true;
            } else if (tag == "#EXT-X-PLAYLIST-TYPE") {
                playlistType = value;
            } else if (tag == "#EXT-X-MEDIA") {
                auto attrs = attributes(value);
                Rendition r;
                r.type = attrs["TYPE"];
                r.groupId = attrs["GROUP-ID"];
                r.name = attrs["NAME"];
                r.language = attrs["LANGUAGE"];
                r.isDefault = attrs["DEFAULT"] == "YES";
                r.autoselect = attrs["AUTOSELECT"] == "YES";
                if (attrs.count("URI")) {
                    r.uri = CurlSetup::resolveUrl(baseUrl, attrs["URI"]);
                    if (r.uri.empty())
                        return fail("rendition without a usable address");
                }
                if (renditions.size() >= kMaxRenditions)
                    return fail("too many renditions");
                renditions.push_back(std::move(r));
                isMaster = true;
            } else if (tag == "#EXT-X-KEY") {
                auto attrs = attributes(value);
                Key key;
                key.method = attrs["METHOD"];
                if (key.method.empty())
                    return fail("key without method");
                if (key.method == "NONE") {
                    currentKey = -1;
                    continue;
                }
                key.uri = CurlSetup::resolveUrl(baseUrl, attrs["URI"]);
                if (key.uri.empty())
                    return fail("key without address");
                if (attrs.count("IV")) {
                    if (!parseIv(attrs["IV"], key.iv))
                        return fail("bad IV");
                    key.hasIv = true;
                }
                keys.push_back(key);
                currentKey = static_cast<int>(keys.size()) - 1;
            } else if (tag == "#EXT-X-MAP") {
                auto attrs = attributes(value);
                Map map;
                map.uri = CurlSetup::resolveUrl(baseUrl, attrs["URI"]);
                if (map.uri.empty())
                    return fail("map without address");
                if (attrs.count("BYTERANGE")) {
                    bool hasOffset = false;
                    if (!parseByteRange(attrs["BYTERANGE"], map.length, map.offset, hasOffset))
                        return fail("bad map byte range");
                    if (!hasOffset)
                        map.offset = 0;
                }
                maps.push_back(map);
                currentMap = static_cast<int>(maps.size()) - 1;
            } else if (tag == "#EXT-X-STREAM-INF") {
                auto attrs = attributes(value);
                variant = Variant();
                variant.bandwidth = strtoll(attrs["BANDWIDTH"].c_str(), nullptr, 10);
                variant.codecs = attrs["CODECS"];
                variant.audioGroup = attrs["AUDIO"];
                const std::string res = attrs["RESOLUTION"];
                const auto x = res.find('x');
                if (x != std::string::npos) {
                    variant.width = atoi(res.substr(0, x).c_str());
                    variant.height = atoi(res.substr(x + 1).c_str());
                    if (variant.width < 0 || variant.height < 0 || variant.height > 100000)
                        variant.width = variant.height = 0;
                }
                pendingVariant = true;
                isMaster = true;
            }
            continue;
        }
        const std::string uri = CurlSetup::resolveUrl(baseUrl, line);
        if (uri.empty())
            return fail("bad address");
        if (pendingVariant) {
            variant.uri = uri;
            variants.push_back(variant);
            pendingVariant = false;
            continue;
        }
        Segment seg;
        seg.uri = uri;
        seg.duration = pendingDuration;
        seg.keyIndex = currentKey;
        seg.mapIndex = currentMap;
        seg.sequence = static_cast<int64_t>(static_cast<uint64_t>(mediaSequence) + segments.size());
        if (pendingRange) {
            seg.length = pendingLength;
            seg.offset = pendingOffset >= 0 ? pendingOffset : nextOffset[uri];
            if (seg.length > std::numeric_limits<int64_t>::max() - seg.offset)
                return fail("bad byte range");
            nextOffset[uri] = seg.offset + seg.length;
        }
        segments.push_back(seg);
        pendingDuration = 0.0;
        pendingRange = false;
    }
    if (isMaster && !segments.empty())
        return fail("master and media playlist at once");
    if (!isMaster && segments.empty())
        return fail("no segments");
    if (isMaster && variants.empty())
        return fail("no variants");
    return true;
}

double HlsPlaylist::totalDuration() const
{
    double sum = 0.0;
    for (const auto &s : segments)
        sum += s.duration;
    return sum;
}

bool HlsPlaylist::isLive() const
{
    return !isMaster && !endList && playlistType != "VOD";
}

const HlsPlaylist::Rendition *HlsPlaylist::audioFor(const Variant &variant) const
{
    if (variant.audioGroup.empty())
        return nullptr;
    const Rendition *byDefault = nullptr, *automatic = nullptr, *first = nullptr;
    for (const auto &r : renditions) {
        if (r.type != "AUDIO" || r.groupId != variant.audioGroup)
            continue;
        if (r.isDefault && !byDefault)
            byDefault = &r;
        if (r.autoselect && !automatic)
            automatic = &r;
        if (!r.uri.empty() && !first)
            first = &r;
    }
    const Rendition *chosen = byDefault ? byDefault : automatic ? automatic
                                                                : first;
    return chosen && !chosen->uri.empty() ? chosen : nullptr;
}

bool HlsPlaylist::isSoundOnly(const Variant &variant)
{
    static const char *const sound[] = {"mp4a", "ac-3", "ec-3", "ac-4", "opus", "vorbis", "flac", "mp3", "dtsc", "dtse", "alac"};
    size_t at = 0;
    bool any = false;
    while (at < variant.codecs.size()) {
        size_t comma = variant.codecs.find(',', at);
        if (comma == std::string::npos)
            comma = variant.codecs.size();
        std::string codec = variant.codecs.substr(at, comma - at);
        at = comma + 1;
        codec.erase(0, codec.find_first_not_of(" \t"));
        codec.erase(codec.find_last_not_of(" \t") + 1);
        if (codec.empty())
            continue;
        for (auto &c : codec)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (std::none_of(std::begin(sound), std::end(sound),
                         [&](const char *s) { return codec.compare(0, strlen(s), s) == 0; }))
            return false;
        any = true;
    }
    return any;
}
