#pragma once

#include "DownloadJob.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Finds the media behind a page address: the address itself when it is media,
// HLS variants, and what the page's HTML points at (media elements, og/twitter
// meta tags, JSON-LD VideoObject, links, script texts, embeds, same-site
// iframes one level deep).
class PageSniffer
{
public:
    struct Media
    {
        std::string url;
        int format = 0;   // engine format number
        int height = 0;   // picture lines, 0 unknown
        int64_t bitrate = 0;
        int64_t size = 0;
        int64_t duration = 0;
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
    // Media format number for an extension or MIME type; 0 when not media.
    static int formatFor(const std::string &extensionOrType);
    static int qualityCode(int height);
    static std::string toUtf8(const std::string &body, const std::string &contentType);
    static std::string vttToSrt(const std::string &text);

private:
    void addPlaylist(const std::string &url, const std::string &body, Result &result);
    void addMedia(const Media &m, Result &result);

    DownloadJob m_settings;
    const std::atomic<bool> &m_stop;
    int m_fetches = 0;
};
