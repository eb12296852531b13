#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A static MPEG-DASH manifest, as far as the engine can fetch it: representations that
// are one addressable file each (a BaseURL, with or without SegmentBase). Representations
// cut into SegmentTemplate or SegmentList pieces, and live manifests, are left out.
class DashManifest
{
public:
    struct Representation
    {
        std::string id;
        std::string url;      // absolute
        std::string mimeType; // "video/mp4", "audio/mp4", ...
        std::string codecs;
        int64_t bandwidth = 0;
        int width = 0;
        int height = 0;
        bool hasVideo = false;
        bool hasAudio = false;
    };
    struct Period
    {
        double duration = 0.0; // seconds, 0 when not given
        std::vector<Representation> representations;
    };

    double duration = 0.0; // mediaPresentationDuration, seconds
    std::vector<Period> periods;

    // False with a reason for anything that is not a static manifest with at least one
    // usable representation.
    bool parse(const std::string &text, const std::string &baseUrl, std::string *error = nullptr);

    // Seconds of an ISO 8601 duration ("PT1M2.5S"); 0 when it does not read.
    static double isoSeconds(const std::string &text);
    // True when the text looks like a DASH manifest (an MPD root element near the start).
    static bool looksLikeManifest(const std::string &text);
};
