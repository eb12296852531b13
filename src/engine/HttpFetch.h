#pragma once

#include <atomic>
#include <string>

struct DownloadJob;

// A bounded GET into memory, for pages, playlists, keys and subtitles.
namespace HttpFetch {

struct Options
{
    size_t maxBytes = 8 << 20;
    long timeoutSeconds = 30;
    bool decodeContent = false;     // ask for gzip/deflate (pages), never for media
    bool headersOnlyForMedia = false; // a video/* or audio/* answer stops after its headers
    std::string range;              // "first-last" to ask for a part; a server may send it all
    const std::atomic<bool> *stop = nullptr;
    bool headOnly = false; // HEAD: the answer's headers, no body
    bool cutOff = false;   // a body past maxBytes is cut there and the transfer ends well
    long timeoutMs = 0;    // when set, instead of timeoutSeconds
};

struct Result
{
    int code = 0;            // engine code; 0 success
    long status = 0;
    std::string body;
    std::string contentType; // lower-case, parameters kept
    std::string effectiveUrl;
    int64_t contentLength = -1;
    std::string disposition; // Content-Disposition as sent
    bool truncatedForMedia = false;
    bool cut = false; // the body was longer than maxBytes (with cutOff)
};

Result get(const std::string &url, const DownloadJob &settings, const Options &options);

} // namespace HttpFetch
