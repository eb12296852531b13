#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// An HLS playlist, master or media, with every address made absolute.
class HlsPlaylist
{
public:
    struct Key
    {
        std::string method; // "NONE", "AES-128", ...
        std::string uri;
        bool hasIv = false;
        uint8_t iv[16] = {};
    };
    struct Map
    {
        std::string uri;
        int64_t length = -1;
        int64_t offset = 0;
    };
    struct Segment
    {
        std::string uri;
        double duration = 0.0;
        int64_t length = -1; // EXT-X-BYTERANGE, -1 for the whole resource
        int64_t offset = 0;
        int keyIndex = -1;   // into keys, -1 clear
        int mapIndex = -1;   // into maps
        int64_t sequence = 0;
    };
    struct Variant
    {
        std::string uri;
        int64_t bandwidth = 0;
        int width = 0;
        int height = 0;
        std::string codecs;
    };

    bool isMaster = false;
    bool endList = false;
    int64_t mediaSequence = 0;
    std::vector<Variant> variants;
    std::vector<Segment> segments;
    std::vector<Key> keys;
    std::vector<Map> maps;

    // False with a reason for anything that is not a well-formed playlist.
    bool parse(const std::string &text, const std::string &baseUrl, std::string *error = nullptr);
    double totalDuration() const;

    // KEY=VALUE,KEY="quoted, value" of a tag line.
    static std::map<std::string, std::string> attributes(const std::string &list);
};
