// The exported C functions of page sniffing, quick sniff and browser cookies.
#include "engine/Corvidash.h"

#include "BrowserCookies.h"
#include "CookieJar.h"
#include "CurlSetup.h"
#include "EngineError.h"
#include "EngineLog.h"
#include "MiniJson.h"
#include "PageSniffer.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

struct CorvidashSniffer
{
    std::mutex mutex; // guards the results against a start on another thread
    std::string cookie;
    std::string resourcePath;
    std::atomic<bool> stop{false};
    PageSniffer::Result result;
    int code = 0;
    std::string reason;
};

namespace {

std::string resourcePath;
std::mutex resourceMutex;

char *duplicate(const std::string &s)
{
    char *out = static_cast<char *>(malloc(s.size() + 1));
    if (out) {
        memcpy(out, s.data(), s.size());
        out[s.size()] = '\0';
    }
    return out;
}

void copyText(char *dst, size_t size, const std::string &src)
{
    const size_t n = std::min(size - 1, src.size());
    memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

const char *typeName(int format)
{
    switch (format) {
    case CORVIDASH_FORMAT_MP4: return "mp4";
    case CORVIDASH_FORMAT_FLV: return "flv";
    case CORVIDASH_FORMAT_TS: return "ts";
    case CORVIDASH_FORMAT_WEBM: return "webm";
    case CORVIDASH_FORMAT_3GP: return "3gp";
    case CORVIDASH_FORMAT_MP4_VIDEO: return "mp4v";
    case CORVIDASH_FORMAT_MP4_AUDIO: return "m4a";
    case CORVIDASH_FORMAT_MP3: return "mp3";
    default: return "";
    }
}

} // namespace

extern "C" {

CorvidashSniffer *URLSniffingCreate(void)
{
    CurlSetup::globalInit();
    return new (std::nothrow) CorvidashSniffer;
}

void URLSniffingRelease(CorvidashSniffer *handle)
{
    if (!handle)
        return;
    handle->stop = true;
    { std::lock_guard lock(handle->mutex); }
    delete handle;
}

void URLSniffingSetMacResPath(CorvidashSniffer *handle, const char *path)
{
    if (handle && path)
        handle->resourcePath = path;
}

void URLSniffingSetCookie(CorvidashSniffer *handle, const char *cookie)
{
    if (handle)
        handle->cookie = cookie ? cookie : "";
}

int URLSniffingStart(CorvidashSniffer *handle, const char *pageUrl, const char *userAgent)
{
    if (!handle)
        return CORVIDASH_ERROR_INVALID_HANDLE;
    std::lock_guard lock(handle->mutex);
    handle->stop = false;
    DownloadJob settings;
    settings.cookie = CookieJar::scoped(handle->cookie, pageUrl ? pageUrl : "");
    settings.userAgent = userAgent ? userAgent : "";
    settings.stallSeconds = 20;
    PageSniffer sniffer(settings, handle->stop);
    EngineError::clearNote();
    handle->result = sniffer.sniff(pageUrl ? pageUrl : "");
    handle->code = handle->result.code;
    // A page that answered but holds nothing, and a media address that answers 404, differ only
    // in what the server said; the note keeps that.
    handle->reason = EngineError::sentence(handle->code, "No video found on this page");
    return handle->code;
}

const char *URLSniffingGetErrorText(CorvidashSniffer *handle)
{
    return handle ? handle->reason.c_str() : "";
}

void URLSniffingStop(CorvidashSniffer *handle)
{
    if (handle)
        handle->stop = true;
}

int fURLSniffingGetErrorCode(CorvidashSniffer *handle)
{
    return handle ? handle->code : CORVIDASH_ERROR_INVALID_HANDLE;
}

int URLSniffingGetTypeCount(CorvidashSniffer *handle)
{
    return handle ? static_cast<int>(handle->result.medias.size()) : 0;
}

uint8_t URLSniffingGetTypeInfo(CorvidashSniffer *handle, int typeIndex, CorvidashTypeInfo *info)
{
    if (!handle || !info || typeIndex < 0 || typeIndex >= static_cast<int>(handle->result.medias.size()))
        return 0;
    const auto &m = handle->result.medias[static_cast<size_t>(typeIndex)];
    memset(info, 0, sizeof *info);
    info->format = m.format;
    info->quality = PageSniffer::qualityCode(m.height);
    info->bitrate = static_cast<int32_t>(std::min<int64_t>(m.bitrate, INT32_MAX));
    info->seekable = 1;
    info->segmentCount = m.pieces.empty() ? 1 : static_cast<int32_t>(m.pieces.size());
    return 1;
}

int URLSniffingGetTypeSound(CorvidashSniffer *handle, int typeIndex)
{
    if (!handle || typeIndex < 0 || typeIndex >= static_cast<int>(handle->result.medias.size()))
        return -1;
    const auto &medias = handle->result.medias;
    const std::string &sound = medias[static_cast<size_t>(typeIndex)].sound;
    for (size_t i = 0; i < medias.size() && !sound.empty(); ++i)
        if (PageSniffer::isSound(medias[i]) && medias[i].url == sound)
            return static_cast<int>(i);
    return -1;
}

int64_t URLSniffingGetSegmentUrl(CorvidashSniffer *handle, int typeIndex, int segmentIndex, int64_t reserved, char **url)
{
    (void)reserved;
    if (!handle || !url || typeIndex < 0 || typeIndex >= static_cast<int>(handle->result.medias.size()))
        return -1;
    const auto &m = handle->result.medias[static_cast<size_t>(typeIndex)];
    const size_t count = m.pieces.empty() ? 1 : m.pieces.size();
    if (segmentIndex < 0 || static_cast<size_t>(segmentIndex) >= count)
        return -1;
    const std::string &text = m.pieces.empty() ? m.url : m.pieces[static_cast<size_t>(segmentIndex)].url;
    *url = duplicate(text);
    return *url ? static_cast<int64_t>(text.size()) : -1;
}

void URLSniffingFreeSegmentUrl(CorvidashSniffer *handle, char **text)
{
    (void)handle;
    if (text) {
        free(*text);
        *text = nullptr;
    }
}

uint8_t URLSniffingGetSegmentInfo(CorvidashSniffer *handle, int typeIndex, int segmentIndex, CorvidashSegmentInfo *info)
{
    if (!handle || !info || typeIndex < 0 || typeIndex >= static_cast<int>(handle->result.medias.size()))
        return 0;
    const auto &m = handle->result.medias[static_cast<size_t>(typeIndex)];
    if (!m.pieces.empty()) {
        if (segmentIndex < 0 || static_cast<size_t>(segmentIndex) >= m.pieces.size())
            return 0;
        info->size = 0;
        info->duration = m.pieces[static_cast<size_t>(segmentIndex)].duration;
        return 1;
    }
    if (segmentIndex != 0)
        return 0;
    info->size = m.size;
    info->duration = m.duration ? m.duration : handle->result.duration;
    return 1;
}

const char *URLSniffingGetTitle(CorvidashSniffer *handle)
{
    return handle && !handle->result.title.empty() ? handle->result.title.c_str() : nullptr;
}

const char *URLSniffingGetThumbnail(CorvidashSniffer *handle)
{
    return handle && !handle->result.thumbnail.empty() ? handle->result.thumbnail.c_str() : nullptr;
}

int URLSniffingGetSubtitleCount(CorvidashSniffer *handle)
{
    return handle ? static_cast<int>(handle->result.subtitles.size()) : 0;
}

uint8_t URLSniffingGetSubtitleInfo(CorvidashSniffer *handle, int index, CorvidashSubtitleInfo *info)
{
    if (!handle || !info || index < 0 || index >= static_cast<int>(handle->result.subtitles.size()))
        return 0;
    const auto &s = handle->result.subtitles[static_cast<size_t>(index)];
    memset(info, 0, sizeof *info);
    info->type = s.type;
    info->format = 0;
    copyText(info->language, sizeof info->language, s.language);
    copyText(info->languageCode, sizeof info->languageCode, s.code);
    info->isDefault = s.isDefault ? 1 : 0;
    return 1;
}

uint8_t URLSniffingGetSubtitleContent(CorvidashSniffer *handle, int index, char **content)
{
    if (!handle || !content || index < 0 || index >= static_cast<int>(handle->result.subtitles.size()))
        return 0;
    const auto &s = handle->result.subtitles[static_cast<size_t>(index)];
    if (s.content.empty())
        return 0;
    *content = duplicate(s.content);
    return *content ? 1 : 0;
}

void SetPythonRuntimeResoucePath(const char *path)
{
    std::lock_guard lock(resourceMutex);
    resourcePath = path ? path : "";
}

const char *SniffingOnlyUsePython(const char *pageUrl, const char *cookies)
{
    static thread_local std::string answer;
    CurlSetup::globalInit();
    DownloadJob settings;
    settings.cookie = CookieJar::scoped(cookies ? cookies : "", pageUrl ? pageUrl : "");
    settings.stallSeconds = 20;
    std::atomic<bool> stop{false};
    PageSniffer sniffer(settings, stop);
    const PageSniffer::Result r = sniffer.sniff(pageUrl ? pageUrl : "");
    std::string duration;
    if (r.duration > 0) {
        char buf[32];
        snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(r.duration / 3600),
                 static_cast<long long>(r.duration / 60 % 60), static_cast<long long>(r.duration % 60));
        duration = buf;
    }
    answer = "{\"info\":{\"title\":" + MiniJson::quote(r.title) + ",\"duration\":" + MiniJson::quote(duration) +
             ",\"thumbnail\":" + MiniJson::quote(r.thumbnail) + "},\"download_links\":[";
    // A picture listed once per sound group is one link here: the list offers qualities.
    std::vector<std::string> links;
    for (const auto &m : r.medias) {
        const std::string link = std::string("{\"url\":") + MiniJson::quote(m.url) + ",\"quality\":" + MiniJson::quote(m.height ? std::to_string(m.height) + "p" : std::string()) + ",\"type\":" + MiniJson::quote(typeName(m.format)) + ",\"size\":" + std::to_string(m.size) + "}";
        if (std::find(links.begin(), links.end(), link) == links.end())
            links.push_back(link);
    }
    for (size_t i = 0; i < links.size(); ++i)
        answer += (i ? "," : "") + links[i];
    answer += "],\"subtitles\":{";
    bool first = true;
    for (const auto &s : r.subtitles) {
        if (s.code.empty() || answer.find("\"subtitles\":{") == std::string::npos)
            continue;
        answer += (first ? "" : ",") + MiniJson::quote(s.code) + ":{\"name\":" + MiniJson::quote(s.language) +
                  ",\"url\":" + MiniJson::quote(s.url) + "}";
        first = false;
    }
    answer += "},\"error\":" + std::to_string(r.code) + "}";
    return answer.c_str();
}

const char *GetWebBrowserCookies(const char *browser, const char *pageUrl)
{
    static thread_local std::string answer;
    answer = BrowserCookies::forUrl(browser ? browser : "", pageUrl ? pageUrl : "");
    return answer.c_str();
}

} // extern "C"
