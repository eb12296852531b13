#pragma once

#include "DownloadJob.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class HlsPlaylist;

// Finds the media behind a page address: the address itself when it is media,
// HLS variants, and what the page's HTML points at (media elements, og/twitter
// meta tags, JSON-LD VideoObject, links, script texts, embeds, same-site
// iframes one level deep).
class PageSniffer
{
public:
    // One consecutive piece of a media that comes in several files.
    struct Piece
    {
        std::string url;
        int64_t duration = 0;
    };
    struct Media
    {
        std::string url;  // the first piece's address when there are pieces
        int format = 0;   // engine format number
        int height = 0;   // picture lines, 0 unknown
        int64_t bitrate = 0;
        int64_t size = 0;
        int64_t duration = 0;
        std::vector<Piece> pieces; // empty: the media is the one file at url
        std::string sound;         // a picture-only media: the address of the sound it plays with
    };
    struct Subtitle
    {
        std::string url;
        std::string language;
        std::string code;
        bool isDefault = false;
        int type = 0;
        std::string content;
    };
    struct Result
    {
        int code = 0;
        std::string title;
        std::string thumbnail;
        int64_t duration = 0;
        std::vector<Media> medias;
        std::vector<Subtitle> subtitles;
    };
    // What the HTML of one page names, before anything is fetched.
    struct Findings
    {
        std::string title;
        std::string ogTitle;
        std::string ogImage;
        std::string poster;
        int64_t duration = 0;
        std::vector<Media> medias;
        std::vector<Subtitle> subtitles;
        std::vector<std::string> iframes;
    };

    PageSniffer(const DownloadJob &settings, const std::atomic<bool> &stop);
    Result sniff(const std::string &pageUrl);

    static Findings parseHtml(const std::string &html, const std::string &baseUrl);
    // formatFor's answer for a DASH manifest, which is expanded before anything is reported.
    static constexpr int ManifestFormat = -1;
    // Media format number for an extension or MIME type; 0 when not media.
    static int formatFor(const std::string &extensionOrType);
    // What a DASH manifest offers: every representation of a one-period manifest (picture-only
    // MP4 as CORVIDASH_FORMAT_MP4_VIDEO beside its sound tracks), or the tracks that run through
    // every period of a longer one, each period a piece. A representation cut into pieces
    // is offered under DashManifest::pieceWiseAddress(), which the downloader expands.
    static std::vector<Media> dashMedias(const std::string &manifest, const std::string &url);
    // What an HLS master offers: a picture per variant entry (one address may come once per
    // sound group), picture-only beside its group's sound when that sound has an address of
    // its own, and the sound tracks, each address once; sound-only variants are sound tracks.
    static std::vector<Media> hlsMedias(const HlsPlaylist &master);
    // Sound, not picture: what goes beside a picture-only media.
    static bool isSound(const Media &m);
    static int qualityCode(int height);
    static std::string toUtf8(const std::string &body, const std::string &contentType);
    static std::string vttToSrt(const std::string &text);

private:
    void addPlaylist(const std::string &url, const std::string &body, Result &result);
    void addManifest(const std::string &url, const std::string &body, Result &result);
    void addMedia(const Media &m, Result &result);

    DownloadJob m_settings;
    const std::atomic<bool> &m_stop;
    int m_fetches = 0;
    int m_refusal = 0; // why a playlist or manifest the page names was left out (a live one)
};
