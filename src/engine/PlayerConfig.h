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

// Picture lines a size text names: "720p", "HD 1080p60", "4K", "res 740" or a bare "740";
// 0 when it names none.
int heightOf(const std::string &text);

} // namespace PlayerConfig
