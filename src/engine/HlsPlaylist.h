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
        std::string audioGroup; // GROUP-ID of the EXT-X-MEDIA sound renditions it plays with
    };
    // An EXT-X-MEDIA rendition: another sound track, subtitles, or a camera angle.
    struct Rendition
    {
        std::string type; // "AUDIO", "SUBTITLES", "VIDEO", "CLOSED-CAPTIONS"
        std::string groupId;
        std::string name;
        std::string language;
        std::string uri; // empty: carried inside the variant's own stream
        bool isDefault = false;
        bool autoselect = false;
    };

    bool isMaster = false;
    bool endList = false;
    std::string playlistType; // EXT-X-PLAYLIST-TYPE: "VOD", "EVENT" or empty
    int64_t mediaSequence = 0;
    std::vector<Variant> variants;
    std::vector<Rendition> renditions;
    std::vector<Segment> segments;
    std::vector<Key> keys;
    std::vector<Map> maps;

    // False with a reason for anything that is not a well-formed playlist.
    bool parse(const std::string &text, const std::string &baseUrl, std::string *error = nullptr);
    double totalDuration() const;
    // A media playlist that may still grow: no end tag and not declared VOD.
    bool isLive() const;
    // The sound rendition a variant plays with, from its own AUDIO group: the group's default,
    // else the one to select automatically, else its first with an address; nullptr when the
    // sound is in the variant's stream (that rendition has no address, or there is none).
    const Rendition *audioFor(const Variant &variant) const;
    // A variant whose CODECS name sound only: a sound track, not a picture.
    static bool isSoundOnly(const Variant &variant);

    // KEY=VALUE,KEY="quoted, value" of a tag line.
    static std::map<std::string, std::string> attributes(const std::string &list);
};
