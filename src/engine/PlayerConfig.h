#pragma once

#include <string>
#include <vector>

// Media addresses that a page keeps in its player's set-up instead of in media elements:
// inline scripts and JSON-like objects ({file: "...", sources: [{src: "...", label: "720p"}],
// "hls": "https:\/\/...", ...}). Found even when the player's own script fails or is missing.
namespace PlayerConfig {

struct Found
{
    std::string url; // resolved against the page: relative and protocol-relative addresses too
    int height = 0;  // picture lines the object names beside it ("720p", res, height), 0 unknown
    std::string typeHint; // a MIME type or a kind ("hls", "dash") the object gives, else empty
};

// Every address under a player key ("file", "src", "source", "sources", "hls", "dash", "url",
// "video_url", ...) whose extension or type says media, in the order of the text.
std::vector<Found> find(const std::string &script, const std::string &base, size_t limit);

// Addresses in one data-* attribute of an element (name is the attribute's name): a player
// set-up kept as JSON ({"sources": [{"src": ..., "type": ..., "label": ...}]}, a list of
// sources), an address under a player name (data-src, data-hls-url, data-video) or a
// srcset-like list. Entities left in the value (JSON escaped twice for HTML) are decoded.
std::vector<Found> fromAttribute(const std::string &name, const std::string &value, const std::string &base, size_t limit);

// The addresses of a srcset-like list, each with the size its descriptor names:
// "a.mp4 720w, b.mp4 1080w" (a width of a 16:9 picture), "c.mp4 480p", "d.mp4 2x" (none).
std::vector<Found> fromSourceSet(const std::string &list, const std::string &base, size_t limit);

// Picture lines a size text names: "720p", "HD 1080p60", "4K", "res 740" or a bare "740";
// 0 when it names none.
int heightOf(const std::string &text);

} // namespace PlayerConfig
