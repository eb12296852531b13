#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A static MPEG-DASH manifest, as far as the engine can fetch it: representations that
// are one addressable file each (a BaseURL, with or without SegmentBase), and
// representations cut into pieces by a SegmentTemplate or a SegmentList. Live manifests
// are refused.
class DashManifest
{
public:
    // One piece of a representation; length -1 for the whole resource.
    struct Piece
    {
        std::string url;
        int64_t offset = 0;
        int64_t length = -1;
        double duration = 0.0; // seconds, 0 when the manifest does not say
    };

    // How a representation is cut. Kept compact: a timeline of a few lines can stand for a
    // great many pieces, so they are only spelled out (pieces()) for the one downloaded.
    struct Cutting
    {
        struct Run
        {
            int64_t time = 0;
            int64_t duration = 0;
            int64_t count = 0;
        };
        struct Listed
        {
            std::string media; // empty: the representation's own address
            int64_t offset = 0;
            int64_t length = -1;
        };

        bool isList = false;
        std::string base;           // the representation's resolved BaseURL
        std::string media;          // template of a piece's address
        std::string initialization; // template, or the list's sourceURL
        bool hasInit = false;
        int64_t initOffset = 0;
        int64_t initLength = -1;
        int64_t startNumber = 1;
        int64_t timescale = 1;
        int64_t duration = 0; // of a piece in timescale units; 0 with a timeline
        int64_t count = 0;
        // Shared between the representations that inherit them.
        std::shared_ptr<const std::vector<Run>> timeline;
        std::shared_ptr<const std::vector<Listed>> listed;
    };

    struct Representation
    {
        std::string id;
        // Names it within its period: the id, with "#2", "#3" ... after the id when an earlier
        // representation of the period has the same one (sound and picture sets often do).
        std::string key;
        std::string url;      // absolute; for one cut into pieces, pieceWiseAddress()
        std::string mimeType; // "video/mp4", "audio/mp4", ...
        std::string codecs;
        int64_t bandwidth = 0;
        int width = 0;
        int height = 0;
        bool hasVideo = false;
        bool hasAudio = false;
        bool pieceWise = false;
        Cutting cutting; // when pieceWise
    };
    struct Period
    {
        double duration = 0.0; // seconds, 0 when not given
        std::vector<Representation> representations;
    };
    // A representation left out, and why.
    struct Refusal
    {
        size_t period = 0;
        std::string id;
        std::string reason;
    };

    // Most pieces one representation may have.
    static constexpr int64_t kMaxPieces = 200000;

    double duration = 0.0; // mediaPresentationDuration, seconds
    bool live = false;     // a dynamic manifest, which parse() refuses
    std::vector<Period> periods; // one for each Period element, in order
    std::vector<Refusal> refused;

    // False with a reason for anything that is not a static manifest with at least one
    // usable representation.
    bool parse(const std::string &text, const std::string &baseUrl, std::string *error = nullptr);

    // The representation of that key in that period; nullptr when there is none.
    const Representation *find(size_t period, const std::string &key) const;
    // Why the representation of that id in that period was left out; empty when it was not.
    std::string refusalOf(size_t period, const std::string &id) const;

    // Spells out a piece-wise representation: its initialization (url empty when it has
    // none) and its pieces in order. False with a reason when an address does not resolve.
    static bool pieces(const Representation &r, Piece &init, std::vector<Piece> &out, std::string *error = nullptr);

    // The address a piece-wise representation is offered under: the manifest's own address
    // with a fragment naming the period and the representation. Fetching it fetches the
    // manifest, since a fragment is never sent.
    static std::string pieceWiseAddress(const std::string &manifestUrl, size_t period, const std::string &id);
    // Reads such an address back; false for any other address.
    static bool readPieceWiseAddress(const std::string &address, std::string *manifestUrl, size_t *period,
                                     std::string *id);

    // Seconds of an ISO 8601 duration ("PT1M2.5S"); 0 when it does not read.
    static double isoSeconds(const std::string &text);
    // True when the text looks like a DASH manifest (an MPD root element near the start).
    static bool looksLikeManifest(const std::string &text);
};
