#include "PageSniffer.h"

#include "CurlSetup.h"
#include "DashManifest.h"
#include "EngineLog.h"
#include "HlsPlaylist.h"
#include "HttpFetch.h"
#include "LazyLibrary.h"
#include "MiniJson.h"
#include "PlayerConfig.h"
#include "engine/Corvidash.h"

#include <gumbo.h>

#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <set>
#include <strings.h>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr size_t kMaxPageBytes = 6 << 20;
constexpr long kPageTimeout = 20;
constexpr int kMaxFetches = 12;
constexpr size_t kMaxCandidates = 64;

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The parser's functions, from the library opened at the first page parsed.
struct Gumbo
{
    decltype(&gumbo_parse_with_options) parse = nullptr;
    decltype(&gumbo_destroy_output) destroy = nullptr;
    decltype(&gumbo_get_attribute) attribute = nullptr;
    const GumboOptions *defaults = nullptr;
};

// nullptr when the parser is missing (said once in the log).
const Gumbo *gumbo()
{
    static LazyLibrary library("libgumbo.so.1");
    static const Gumbo functions = [] {
        Gumbo g;
        g.parse = library.function<decltype(g.parse)>("gumbo_parse_with_options");
        g.destroy = library.function<decltype(g.destroy)>("gumbo_destroy_output");
        g.attribute = library.function<decltype(g.attribute)>("gumbo_get_attribute");
        g.defaults = static_cast<const GumboOptions *>(library.symbol("kGumboDefaultOptions"));
        if (!g.parse || !g.destroy || !g.attribute || !g.defaults) {
            EngineLog::line(0, "pages cannot be read without the HTML parser: %s",
                            library.error().empty() ? "libgumbo.so.1 lacks a function" : library.error().c_str());
            g = Gumbo{};
        }
        return g;
    }();
    return functions.parse ? &functions : nullptr;
}

bool hasAttr(GumboNode *node, const char *name)
{
    return gumbo()->attribute(&node->v.element.attributes, name) != nullptr;
}

std::string attr(GumboNode *node, const char *name)
{
    const GumboAttribute *a = gumbo()->attribute(&node->v.element.attributes, name);
    return a ? std::string(a->value) : std::string();
}

std::string collapse(const std::string &s)
{
    std::string out;
    bool blank = false;
    for (unsigned char c : s) {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += static_cast<char>(c);
    }
    return out;
}

std::string textOf(GumboNode *node)
{
    std::string out;
    std::vector<GumboNode *> stack{node};
    while (!stack.empty() && out.size() < 65536) {
        GumboNode *n = stack.back();
        stack.pop_back();
        if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE || n->type == GUMBO_NODE_CDATA) {
            out += n->v.text.text;
        } else if (n->type == GUMBO_NODE_ELEMENT) {
            const GumboVector &kids = n->v.element.children;
            for (unsigned i = kids.length; i > 0; --i)
                stack.push_back(static_cast<GumboNode *>(kids.data[i - 1]));
        }
    }
    return out;
}

int heightFromText(const std::string &text)
{
    for (int h : {2160, 1440, 1080, 720, 480, 360, 240}) {
        const std::string s = std::to_string(h);
        const auto at = text.find(s);
        if (at == std::string::npos)
            continue;
        // Whole number only: "1080" in "10800" is not a quality.
        const bool before = at == 0 || !std::isdigit(static_cast<unsigned char>(text[at - 1]));
        const bool after = at + s.size() >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at + s.size()]));
        if (before && after)
            return h;
    }
    return 0;
}

int64_t isoDuration(const std::string &text)
{
    // PT1H2M3S
    if (text.size() < 3 || text[0] != 'P')
        return 0;
    int64_t total = 0, number = 0;
    bool time = false;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            number = std::min<int64_t>(number * 10 + (c - '0'), 1000000000);
        } else if (c == 'T') {
            time = true;
        } else if (c == '.') {
            while (i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))
                ++i;
        } else {
            if (c == 'H' && time)
                total += number * 3600;
            else if (c == 'M' && time)
                total += number * 60;
            else if (c == 'S')
                total += number;
            else if (c == 'D')
                total += number * 86400;
            number = 0;
        }
    }
    return total;
}

void collectJsonLd(const MiniJson &v, const std::string &base, PageSniffer::Findings &f, int depth)
{
    if (depth > 16)
        return;
    if (v.type == MiniJson::Type::Array) {
        for (const auto &item : v.array)
            collectJsonLd(item, base, f, depth + 1);
        return;
    }
    if (v.type != MiniJson::Type::Object)
        return;
    if (const auto *graph = v.get("@graph"))
        collectJsonLd(*graph, base, f, depth + 1);
    const auto *type = v.get("@type");
    const std::string typeText = type ? type->text() : std::string();
    if (typeText == "VideoObject" || typeText == "AudioObject") {
        const auto *content = v.get("contentUrl");
        const std::string url = content ? CurlSetup::resolveUrl(base, content->text()) : std::string();
        if (!url.empty()) {
            PageSniffer::Media m;
            m.url = url;
            m.format = PageSniffer::formatFor(CurlSetup::pathExtension(url));
            if (const auto *enc = v.get("encodingFormat"); enc && !m.format)
                m.format = PageSniffer::formatFor(enc->text());
            if (!m.format)
                m.format = typeText == "AudioObject" ? CORVIDASH_FORMAT_MP3 : CORVIDASH_FORMAT_MP4;
            if (const auto *d = v.get("duration"))
                m.duration = isoDuration(d->text());
            if (const auto *h = v.get("height"))
                m.height = h->type == MiniJson::Type::Number ? static_cast<int>(h->number) : atoi(h->text().c_str());
            f.duration = std::max(f.duration, m.duration);
            f.medias.push_back(m);
        }
        if (const auto *name = v.get("name"); name && f.ogTitle.empty())
            f.ogTitle = collapse(name->text());
        if (const auto *thumb = v.get("thumbnailUrl"); thumb && f.poster.empty())
            f.poster = CurlSetup::resolveUrl(base, thumb->text());
    }
    for (const auto &[key, child] : v.object) {
        if (key != "@graph" && (child.type == MiniJson::Type::Object || child.type == MiniJson::Type::Array))
            collectJsonLd(child, base, f, depth + 1);
    }
}

bool isUrlChar(unsigned char c)
{
    return std::isalnum(c) || strchr("-._~:/?#[]@!$&()*+,;=%", c);
}

size_t room(const PageSniffer::Findings &f)
{
    return kMaxCandidates - std::min(kMaxCandidates, f.medias.size());
}

// A media a player set-up names. once: left out when the page named the address already.
void addFound(const PlayerConfig::Found &found, PageSniffer::Findings &f, bool once)
{
    if (once)
        for (PageSniffer::Media &o : f.medias)
            if (o.url == found.url) {
                if (!o.height)
                    o.height = found.height;
                return;
            }
    PageSniffer::Media m;
    m.url = found.url;
    m.format = PageSniffer::formatFor(CurlSetup::pathExtension(found.url));
    if (!m.format)
        m.format = PageSniffer::formatFor(lower(found.typeHint.substr(0, found.typeHint.find(';'))));
    m.height = found.height ? found.height : heightFromText(found.url);
    if (m.format && f.medias.size() < kMaxCandidates)
        f.medias.push_back(m);
}

// What a lazy loader keeps for a media element until its player scrolls into view.
constexpr const char *kLazySources[] = {"data-src", "data-lazy-src", "data-original", "data-video-src"};
constexpr const char *kLazySourceSets[] = {"data-srcset", "data-lazy-srcset", "srcset"};

bool isLazySourceName(const char *name)
{
    const std::string n = lower(name);
    return std::any_of(std::begin(kLazySources), std::end(kLazySources), [&](const char *a) { return n == a; }) || std::any_of(std::begin(kLazySourceSets), std::end(kLazySourceSets), [&](const char *a) { return n == a; });
}

// The addresses a media element or source names, with the picture lines a srcset-like list
// gives each (0 unknown): its src, else the address a lazy loader keeps, and every entry of
// a srcset-like list.
std::vector<std::pair<std::string, int>> sourcesOf(GumboNode *n, const std::string &base)
{
    std::vector<std::pair<std::string, int>> out;
    std::string src = attr(n, "src");
    for (const char *lazy : kLazySources)
        if (src.empty())
            src = attr(n, lazy);
    if (!src.empty())
        out.emplace_back(src, 0);
    for (const char *set : kLazySourceSets)
        for (const PlayerConfig::Found &found : PlayerConfig::fromSourceSet(attr(n, set), base, 16))
            out.emplace_back(found.url, found.height);
    return out;
}

// Player set-ups kept in data-* attributes of any element (the player's div, a plain div
// with a list of sources), read as the inline ones are. A media element's lazy sources are
// read with the element instead, which knows their type and size.
void scanDataAttributes(GumboNode *n, const std::string &base, PageSniffer::Findings &f)
{
    const GumboTag tag = n->v.element.tag;
    const bool media = tag == GUMBO_TAG_VIDEO || tag == GUMBO_TAG_AUDIO || tag == GUMBO_TAG_SOURCE;
    const GumboVector &attributes = n->v.element.attributes;
    for (unsigned i = 0; i < attributes.length && room(f) > 0; ++i) {
        const auto *a = static_cast<const GumboAttribute *>(attributes.data[i]);
        if (strncasecmp(a->name, "data-", 5) != 0 || (media && isLazySourceName(a->name)))
            continue;
        for (const PlayerConfig::Found &found : PlayerConfig::fromAttribute(a->name, a->value, base, room(f)))
            addFound(found, f, true);
    }
}

void scanScript(const std::string &script, const std::string &base, PageSniffer::Findings &f)
{
    // Addresses in scripts are often JSON-escaped.
    std::string text;
    text.reserve(script.size());
    for (size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '\\' && i + 1 < script.size() && script[i + 1] == '/') {
            text += '/';
            ++i;
        } else if (script.compare(i, 6, "\\u0026") == 0) {
            text += '&';
            i += 5;
        } else {
            text += script[i];
        }
    }
    // Player set-ups name their media under keys, often relative to the page.
    for (const PlayerConfig::Found &found : PlayerConfig::find(script, base, kMaxCandidates - std::min(kMaxCandidates, f.medias.size())))
        addFound(found, f, false);
    size_t at = 0;
    while ((at = text.find("http", at)) != std::string::npos && f.medias.size() < kMaxCandidates) {
        if (text.compare(at, 7, "http://") != 0 && text.compare(at, 8, "https://") != 0) {
            at += 4;
            continue;
        }
        size_t end = at;
        while (end < text.size() && isUrlChar(static_cast<unsigned char>(text[end])))
            ++end;
        const std::string url = text.substr(at, end - at);
        at = end;
        const int format = PageSniffer::formatFor(CurlSetup::pathExtension(url));
        const std::string resolved = format && CurlSetup::parses(url) ? CurlSetup::resolveUrl(base, url) : std::string();
        if (!resolved.empty() &&
            std::none_of(f.medias.begin(), f.medias.end(), [&](const PageSniffer::Media &o) { return o.url == resolved; })) {
            PageSniffer::Media m;
            m.url = resolved;
            m.format = format;
            m.height = heightFromText(url);
            f.medias.push_back(m);
        }
    }
}

std::string charsetOf(const std::string &contentType, const std::string &body)
{
    auto pick = [](const std::string &text) -> std::string {
        const std::string l = lower(text);
        const auto at = l.find("charset=");
        if (at == std::string::npos)
            return {};
        size_t b = at + 8;
        while (b < l.size() && (l[b] == '"' || l[b] == '\''))
            ++b;
        size_t e = b;
        while (e < l.size() && (std::isalnum(static_cast<unsigned char>(l[e])) || l[e] == '-' || l[e] == '_'))
            ++e;
        return l.substr(b, e - b);
    };
    std::string cs = pick(contentType);
    if (cs.empty())
        cs = pick(body.substr(0, 4096));
    return cs;
}

} // namespace

PageSniffer::PageSniffer(const DownloadJob &settings, const std::atomic<bool> &stop) : m_settings(settings), m_stop(stop)
{
}

int PageSniffer::formatFor(const std::string &what)
{
    const std::string s = lower(what);
    if (s == "mp4" || s == "m4v" || s == "mov" || s == "video/mp4" || s == "video/quicktime")
        return CORVIDASH_FORMAT_MP4;
    if (s == "webm" || s == "video/webm" || s == "audio/webm")
        return CORVIDASH_FORMAT_WEBM;
    if (s == "flv" || s == "video/x-flv" || s == "video/flv")
        return CORVIDASH_FORMAT_FLV;
    if (s == "3gp" || s == "video/3gpp")
        return CORVIDASH_FORMAT_3GP;
    if (s == "mp3" || s == "audio/mpeg" || s == "audio/mp3")
        return CORVIDASH_FORMAT_MP3;
    if (s == "m4a" || s == "aac" || s == "audio/mp4" || s == "audio/aac")
        return CORVIDASH_FORMAT_MP4_AUDIO;
    if (s == "mpd" || s == "application/dash+xml")
        return ManifestFormat;
    if (s == "ts" || s == "m3u8" || s == "video/mp2t" || s.find("mpegurl") != std::string::npos)
        return CORVIDASH_FORMAT_TS;
    if (s.rfind("video/", 0) == 0)
        return CORVIDASH_FORMAT_MP4;
    if (s.rfind("audio/", 0) == 0)
        return CORVIDASH_FORMAT_MP3;
    return 0;
}

int PageSniffer::qualityCode(int height)
{
    if (height <= 0)
        return 0;
    const int steps[] = {240, 360, 480, 720, 1080, 1440, 2160};
    int best = 1;
    for (int i = 0; i < 7; ++i) {
        if (std::abs(steps[i] - height) < std::abs(steps[best - 1] - height))
            best = i + 1;
    }
    return best;
}

std::string PageSniffer::toUtf8(const std::string &body, const std::string &contentType)
{
    const std::string cs = charsetOf(contentType, body);
    if (cs.empty() || cs == "utf-8" || cs == "utf8" || cs == "us-ascii")
        return body;
    iconv_t conv = iconv_open("UTF-8//IGNORE", cs.c_str());
    if (conv == reinterpret_cast<iconv_t>(-1))
        return body;
    std::string out(body.size() * 3 + 16, '\0');
    char *in = const_cast<char *>(body.data());
    size_t inLeft = body.size();
    char *dst = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(conv, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
            // With //IGNORE glibc reports EILSEQ after it consumed everything.
            if ((errno == EILSEQ || errno == EINVAL) && inLeft > 0) {
                ++in;
                --inLeft;
                continue;
            }
            break;
        }
    }
    iconv_close(conv);
    out.resize(out.size() - outLeft);
    return out;
}

std::string PageSniffer::vttToSrt(const std::string &text)
{
    if (text.compare(0, 6, "WEBVTT") != 0 && text.compare(0, 9, "\xEF\xBB\xBFWEBVTT") != 0)
        return text;
    std::string out;
    int cue = 0;
    size_t at = text.find('\n');
    bool inCue = false;
    while (at != std::string::npos && at < text.size()) {
        size_t eol = text.find('\n', at + 1);
        std::string line = text.substr(at + 1, eol == std::string::npos ? std::string::npos : eol - at - 1);
        at = eol;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find("-->") != std::string::npos) {
            std::string timing = line.substr(0, line.find("-->") + 3);
            std::string rest = line.substr(line.find("-->") + 3);
            rest.erase(0, rest.find_first_not_of(' '));
            rest = rest.substr(0, rest.find(' '));
            std::string both = timing + " " + rest;
            for (auto &c : both)
                if (c == '.')
                    c = ',';
            // "mm:ss,ttt" cues gain their hours.
            auto fix = [](std::string t) {
                t.erase(0, t.find_first_not_of(' '));
                t.erase(t.find_last_not_of(' ') + 1);
                return std::count(t.begin(), t.end(), ':') == 1 ? "00:" + t : t;
            };
            const auto arrow = both.find("-->");
            out += std::to_string(++cue) + "\n" + fix(both.substr(0, arrow)) + " --> " + fix(both.substr(arrow + 3)) + "\n";
            inCue = true;
        } else if (line.empty()) {
            if (inCue)
                out += "\n";
            inCue = false;
        } else if (inCue) {
            out += line + "\n";
        }
    }
    return out;
}

PageSniffer::Findings PageSniffer::parseHtml(const std::string &html, const std::string &pageUrl)
{
    Findings f;
    const Gumbo *parser = gumbo();
    if (!parser)
        return f;
    GumboOutput *output = parser->parse(parser->defaults, html.data(), html.size());
    if (!output)
        return f;
    std::string base = pageUrl;
    std::vector<GumboNode *> stack{output->root};
    // The base element changes how every later address resolves: find it first.
    while (!stack.empty()) {
        GumboNode *n = stack.back();
        stack.pop_back();
        if (n->type != GUMBO_NODE_ELEMENT)
            continue;
        if (n->v.element.tag == GUMBO_TAG_BASE && !attr(n, "href").empty()) {
            const std::string b = CurlSetup::resolveUrl(pageUrl, attr(n, "href"));
            if (!b.empty())
                base = b;
            break;
        }
        const GumboVector &kids = n->v.element.children;
        for (unsigned i = 0; i < kids.length; ++i)
            stack.push_back(static_cast<GumboNode *>(kids.data[i]));
    }
    auto addMedia = [&](const std::string &ref, const std::string &typeHint, int height) {
        if (f.medias.size() >= kMaxCandidates)
            return;
        const std::string url = CurlSetup::resolveUrl(base, ref);
        if (url.empty() || !CurlSetup::hasSupportedScheme(url))
            return;
        Media m;
        m.url = url;
        m.format = formatFor(typeHint);
        if (!m.format)
            m.format = formatFor(CurlSetup::pathExtension(url));
        m.height = height ? height : heightFromText(url);
        if (!m.format)
            return;
        // Named twice (an element and a set-up in its attributes): once, with the size either gives.
        for (Media &o : f.medias)
            if (o.url == m.url) {
                if (!o.height)
                    o.height = m.height;
                return;
            }
        f.medias.push_back(m);
    };
    stack.assign(1, output->root);
    while (!stack.empty()) {
        GumboNode *n = stack.back();
        stack.pop_back();
        if (n->type != GUMBO_NODE_ELEMENT)
            continue;
        const GumboTag tag = n->v.element.tag;
        scanDataAttributes(n, base, f);
        switch (tag) {
        case GUMBO_TAG_TITLE:
            if (f.title.empty())
                f.title = collapse(textOf(n));
            break;
        case GUMBO_TAG_META: {
            const std::string key = lower(!attr(n, "property").empty() ? attr(n, "property") : attr(n, "name"));
            const std::string content = attr(n, "content");
            if (content.empty())
                break;
            if (key == "og:title" && f.ogTitle.empty())
                f.ogTitle = collapse(content);
            else if ((key == "og:image" || key == "og:image:url" || key == "og:image:secure_url") && f.ogImage.empty())
                f.ogImage = CurlSetup::resolveUrl(base, content);
            else if (key == "og:video" || key == "og:video:url" || key == "og:video:secure_url" ||
                     key == "twitter:player:stream")
                addMedia(content, "video/", 0);
            else if (key == "og:audio" || key == "og:audio:url" || key == "og:audio:secure_url")
                addMedia(content, "audio/", 0);
            else if (key == "og:video:duration" || key == "video:duration")
                f.duration = std::max<int64_t>(f.duration, atoll(content.c_str()));
            break;
        }
        case GUMBO_TAG_VIDEO:
        case GUMBO_TAG_AUDIO:
            for (const auto &[ref, lines] : sourcesOf(n, base))
                addMedia(ref, attr(n, "type"), lines ? lines : atoi(attr(n, "height").c_str()));
            if (f.poster.empty() && !attr(n, "poster").empty())
                f.poster = CurlSetup::resolveUrl(base, attr(n, "poster"));
            break;
        case GUMBO_TAG_SOURCE: {
            // What pages say of a source's size: res="740" (any number), label="720p",
            // data-quality, a height, else a width of a 16:9 picture.
            int height = 0;
            for (const char *a : {"res", "data-res", "size", "label", "data-quality", "data-label", "title", "height"})
                if (!height)
                    height = PlayerConfig::heightOf(attr(n, a));
            if (!height)
                if (const int width = PlayerConfig::heightOf(attr(n, "width")))
                    height = width * 9 / 16;
            const GumboNode *parent = n->parent;
            std::string type = lower(attr(n, "type"));
            type = type.substr(0, type.find(';'));
            while (!type.empty() && type.back() == ' ')
                type.pop_back();
            if (type.empty() && parent && parent->type == GUMBO_NODE_ELEMENT && parent->v.element.tag == GUMBO_TAG_AUDIO)
                type = "";
            if (parent && parent->type == GUMBO_NODE_ELEMENT &&
                (parent->v.element.tag == GUMBO_TAG_VIDEO || parent->v.element.tag == GUMBO_TAG_AUDIO))
                for (const auto &[ref, lines] : sourcesOf(n, base))
                    addMedia(ref, type.empty() ? (parent->v.element.tag == GUMBO_TAG_AUDIO ? "audio/" : "video/") : type,
                             lines ? lines : height);
            break;
        }
        case GUMBO_TAG_TRACK: {
            const std::string kind = lower(attr(n, "kind"));
            const std::string url = CurlSetup::resolveUrl(base, attr(n, "src"));
            if ((kind.empty() || kind == "subtitles" || kind == "captions") && !url.empty() && f.subtitles.size() < 32) {
                Subtitle s;
                s.url = url;
                s.code = attr(n, "srclang");
                s.language = attr(n, "label").empty() ? s.code : attr(n, "label");
                s.isDefault = hasAttr(n, "default");
                s.type = kind == "captions" ? 1 : 0;
                f.subtitles.push_back(s);
            }
            break;
        }
        case GUMBO_TAG_A:
            if (formatFor(CurlSetup::pathExtension(CurlSetup::resolveUrl(base, attr(n, "href")))))
                addMedia(attr(n, "href"), "", 0);
            break;
        case GUMBO_TAG_EMBED:
            if (formatFor(CurlSetup::pathExtension(CurlSetup::resolveUrl(base, attr(n, "src")))) ||
                formatFor(attr(n, "type")))
                addMedia(attr(n, "src"), attr(n, "type"), 0);
            break;
        case GUMBO_TAG_OBJECT:
            if (formatFor(CurlSetup::pathExtension(CurlSetup::resolveUrl(base, attr(n, "data")))) ||
                formatFor(attr(n, "type")))
                addMedia(attr(n, "data"), attr(n, "type"), 0);
            break;
        case GUMBO_TAG_PARAM: {
            const std::string name = lower(attr(n, "name"));
            if ((name == "movie" || name == "src" || name == "url" || name == "file") &&
                formatFor(CurlSetup::pathExtension(CurlSetup::resolveUrl(base, attr(n, "value")))))
                addMedia(attr(n, "value"), "", 0);
            break;
        }
        case GUMBO_TAG_IFRAME: {
            const std::string url = CurlSetup::resolveUrl(base, attr(n, "src"));
            if (!url.empty() && f.iframes.size() < 4)
                f.iframes.push_back(url);
            break;
        }
        case GUMBO_TAG_SCRIPT: {
            const std::string type = lower(attr(n, "type"));
            const std::string text = textOf(n);
            if (type == "application/ld+json") {
                bool ok = false;
                const MiniJson json = MiniJson::parse(text, &ok);
                if (ok)
                    collectJsonLd(json, base, f, 0);
            } else if (type.empty() || type.find("javascript") != std::string::npos || type.find("json") != std::string::npos) {
                scanScript(text, base, f);
            }
            break;
        }
        default:
            break;
        }
        const GumboVector &kids = n->v.element.children;
        for (unsigned i = kids.length; i > 0; --i)
            stack.push_back(static_cast<GumboNode *>(kids.data[i - 1]));
    }
    parser->destroy(parser->defaults, output);
    // The largest first; equal sizes (and unknown ones, last) keep the order of the page.
    std::stable_sort(f.medias.begin(), f.medias.end(), [](const Media &a, const Media &b) { return a.height > b.height; });
    return f;
}

std::vector<PageSniffer::Media> PageSniffer::dashMedias(const std::string &manifest, const std::string &url)
{
    DashManifest dash;
    std::string why;
    if (!dash.parse(manifest, url, &why)) {
        EngineLog::line(1, "manifest %s not used: %s", url.c_str(), why.c_str());
        return {};
    }
    auto formatOf = [](const DashManifest::Representation &r) {
        const std::string mime = lower(r.mimeType);
        if (r.hasVideo && !r.hasAudio)
            return mime == "video/mp4" ? CORVIDASH_FORMAT_MP4_VIDEO : 0; // only MP4 pictures are joined with sound
        if (r.hasVideo) {
            const int f = formatFor(mime);
            return f > 0 ? f : 0;
        }
        if (mime == "audio/mp4")
            return CORVIDASH_FORMAT_MP4_AUDIO;
        return mime == "audio/mpeg" ? CORVIDASH_FORMAT_MP3 : 0;
    };
    auto seconds = [](double s) { return static_cast<int64_t>(s + 0.5); };
    std::vector<Media> out;
    if (dash.periods.size() == 1) {
        const auto &period = dash.periods.front();
        for (const auto &r : period.representations) {
            Media m;
            m.format = formatOf(r);
            if (!m.format)
                continue;
            m.url = r.url;
            m.height = r.height;
            m.bitrate = r.bandwidth;
            m.duration = seconds(period.duration > 0 ? period.duration : dash.duration);
            out.push_back(m);
        }
        return out;
    }
    // Several periods: a track is a representation of the first period followed by its
    // match in every later one (same id, else the nearest picture size and bitrate).
    // Picture-only tracks are left out: their pieces could not be both joined and
    // concatenated.
    for (const auto &first : dash.periods.front().representations) {
        const int format = formatOf(first);
        if (!format || format == CORVIDASH_FORMAT_MP4_VIDEO)
            continue;
        Media m;
        m.format = format;
        m.height = first.height;
        m.bitrate = first.bandwidth;
        for (const auto &period : dash.periods) {
            const DashManifest::Representation *match = nullptr;
            for (const auto &r : period.representations) {
                if (formatOf(r) != format)
                    continue;
                if (!first.id.empty() && r.id == first.id) {
                    match = &r;
                    break;
                }
                if (!match || std::make_pair(std::abs(r.height - first.height), std::llabs(r.bandwidth - first.bandwidth))
                        < std::make_pair(std::abs(match->height - first.height), std::llabs(match->bandwidth - first.bandwidth)))
                    match = &r;
            }
            if (!match) {
                m.pieces.clear();
                break;
            }
            m.pieces.push_back({match->url, seconds(period.duration)});
            m.duration += seconds(period.duration);
        }
        if (m.pieces.empty())
            continue;
        m.url = m.pieces.front().url;
        if (!m.duration)
            m.duration = seconds(dash.duration);
        out.push_back(m);
    }
    return out;
}

void PageSniffer::addManifest(const std::string &url, const std::string &body, Result &result)
{
    const auto medias = dashMedias(body, url);
    for (const Media &m : medias)
        addMedia(m, result);
    if (medias.empty()) {
        DashManifest dash;
        if (!dash.parse(body, url) && dash.live)
            m_refusal = CORVIDASH_LIVE_STREAM;
    }
}

bool PageSniffer::isSound(const Media &m)
{
    return m.format == CORVIDASH_FORMAT_MP4_AUDIO || m.format == CORVIDASH_FORMAT_MP3;
}

std::vector<PageSniffer::Media> PageSniffer::hlsMedias(const HlsPlaylist &list)
{
    // Keyed by address and kind, a picture also by the sound it plays with: one address is
    // a sound track once, however many groups or variants name it. The keys are looked up, not
    // compared one by one: a hostile page's master may list a hundred thousand variants.
    std::vector<Media> pictures, sounds;
    std::unordered_map<std::string, size_t> soundAt;
    std::unordered_set<std::string> pictureKeys;
    auto addSound = [&sounds, &soundAt](const std::string &url, int64_t bitrate) {
        if (const auto known = soundAt.find(url); known != soundAt.end()) {
            Media &s = sounds[known->second];
            s.bitrate = std::max(s.bitrate, bitrate);
            return;
        }
        soundAt.emplace(url, sounds.size());
        Media sound;
        sound.url = url;
        sound.format = CORVIDASH_FORMAT_MP4_AUDIO;
        sound.bitrate = bitrate;
        sounds.push_back(sound);
    };
    // In a master of sound only the variants stay what they were: whole streams to save.
    const bool anyPicture = std::any_of(list.variants.begin(), list.variants.end(),
                                        [](const HlsPlaylist::Variant &v) { return !HlsPlaylist::isSoundOnly(v); });
    for (const auto &v : list.variants) {
        if (anyPicture && HlsPlaylist::isSoundOnly(v)) {
            addSound(v.uri, v.bandwidth);
            continue;
        }
        Media m;
        m.url = v.uri;
        m.format = CORVIDASH_FORMAT_TS;
        m.height = v.height;
        m.bitrate = v.bandwidth;
        // A variant whose sound comes as a rendition of its own is picture only, fetched and
        // joined with that rendition.
        if (const HlsPlaylist::Rendition *audio = list.audioFor(v)) {
            m.format = CORVIDASH_FORMAT_MP4_VIDEO;
            m.sound = audio->uri;
            addSound(audio->uri, 0);
        }
        // Addresses are lines of the playlist: a line feed parts the two without doubt.
        if (pictureKeys.insert(m.url + '\n' + m.sound).second)
            pictures.push_back(m);
    }
    pictures.insert(pictures.end(), sounds.begin(), sounds.end());
    return pictures;
}

void PageSniffer::addMedia(const Media &m, Result &result)
{
    for (const auto &existing : result.medias) {
        if (existing.url == m.url && isSound(existing) == isSound(m) && existing.sound == m.sound)
            return;
    }
    if (result.medias.size() < kMaxCandidates)
        result.medias.push_back(m);
}

void PageSniffer::addPlaylist(const std::string &url, const std::string &body, Result &result)
{
    HlsPlaylist list;
    if (!list.parse(body, url))
        return;
    if (!list.isMaster) {
        // A playlist that still grows has no end to save; saving what it lists so far would
        // pass a fragment off as the video.
        if (list.isLive()) {
            m_refusal = CORVIDASH_LIVE_STREAM;
            return;
        }
        Media m;
        m.url = url;
        m.format = CORVIDASH_FORMAT_TS;
        m.duration = static_cast<int64_t>(list.totalDuration());
        addMedia(m, result);
        return;
    }
    // Whether the variants are live shows only in their own playlists: one of them tells.
    if (m_fetches < kMaxFetches && !m_stop.load()) {
        HttpFetch::Options options;
        options.maxBytes = 4 << 20;
        options.timeoutSeconds = kPageTimeout;
        options.stop = &m_stop;
        ++m_fetches;
        const auto variant = HttpFetch::get(list.variants.front().uri, m_settings, options);
        HlsPlaylist media;
        if (!variant.code && media.parse(variant.body, variant.effectiveUrl) && media.isLive()) {
            m_refusal = CORVIDASH_LIVE_STREAM;
            return;
        }
    }
    // Past the bound on candidates the sounds stay: a picture-only media cannot be saved
    // without its sound.
    const std::vector<Media> medias = hlsMedias(list);
    const size_t room = kMaxCandidates - std::min(kMaxCandidates, result.medias.size());
    const size_t soundCount = static_cast<size_t>(std::count_if(medias.begin(), medias.end(), isSound));
    size_t pictures = room > soundCount ? room - soundCount : 0;
    for (const Media &m : medias) {
        if (!isSound(m)) {
            if (pictures == 0)
                continue;
            --pictures;
        }
        addMedia(m, result);
    }
}

PageSniffer::Result PageSniffer::sniff(const std::string &pageUrl)
{
    Result result;
    if (pageUrl.empty()) {
        result.code = CORVIDASH_INVALID_URL;
        return result;
    }
    HttpFetch::Options options;
    options.maxBytes = kMaxPageBytes;
    options.timeoutSeconds = kPageTimeout;
    options.decodeContent = true;
    options.headersOnlyForMedia = true;
    options.stop = &m_stop;
    auto page = HttpFetch::get(pageUrl, m_settings, options);
    ++m_fetches;
    // A page past the size bound is still read as far as it came.
    if (page.code && !(page.code == CORVIDASH_SIZE_MISMATCH && !page.body.empty())) {
        result.code = page.code;
        return result;
    }
    const std::string &type = page.contentType;
    const std::string url = page.effectiveUrl;
    if (page.truncatedForMedia || type.rfind("video/", 0) == 0 || type.rfind("audio/", 0) == 0) {
        Media m;
        m.url = url;
        m.format = formatFor(type.substr(0, type.find(';')));
        if (!m.format)
            m.format = CORVIDASH_FORMAT_MP4;
        m.size = std::max<int64_t>(0, page.contentLength);
        result.medias.push_back(m);
        std::string name = url.substr(0, url.find('?'));
        name = name.substr(name.rfind('/') + 1);
        result.title = name.substr(0, name.rfind('.'));
        return result;
    }
    if (type.find("mpegurl") != std::string::npos || page.body.compare(0, 7, "#EXTM3U") == 0) {
        addPlaylist(url, page.body, result);
        if (result.medias.empty())
            result.code = m_refusal ? m_refusal : CORVIDASH_INVALID_URL;
        return result;
    }
    if (type.find("dash+xml") != std::string::npos || DashManifest::looksLikeManifest(page.body)) {
        addManifest(url, page.body, result);
        if (result.medias.empty())
            result.code = m_refusal ? m_refusal : CORVIDASH_INVALID_URL;
        return result;
    }
    if (memchr(page.body.data(), 0, std::min<size_t>(page.body.size(), 8192))) {
        result.code = CORVIDASH_INVALID_URL; // binary, not a page
        return result;
    }
    Findings f = parseHtml(toUtf8(page.body, type), url);
    // Same-site frames often hold the player.
    const std::string host = CurlSetup::host(url);
    for (const auto &frame : f.iframes) {
        if (m_stop.load() || m_fetches >= kMaxFetches || CurlSetup::host(frame) != host)
            continue;
        auto inner = HttpFetch::get(frame, m_settings, options);
        ++m_fetches;
        if (inner.code || inner.contentType.find("html") == std::string::npos)
            continue;
        Findings g = parseHtml(toUtf8(inner.body, inner.contentType), inner.effectiveUrl);
        f.medias.insert(f.medias.end(), g.medias.begin(), g.medias.end());
        f.subtitles.insert(f.subtitles.end(), g.subtitles.begin(), g.subtitles.end());
        if (f.poster.empty())
            f.poster = g.poster;
        if (f.ogImage.empty())
            f.ogImage = g.ogImage;
    }
    // A playlist or manifest the page names, fetched once within the page's fetch budget.
    auto fetchList = [this](const std::string &url) {
        HttpFetch::Options listOptions;
        listOptions.maxBytes = 4 << 20;
        listOptions.timeoutSeconds = kPageTimeout;
        listOptions.stop = &m_stop;
        ++m_fetches;
        return HttpFetch::get(url, m_settings, listOptions);
    };
    for (const auto &m : f.medias) {
        if (m_stop.load())
            break;
        if (CurlSetup::pathExtension(m.url) == "m3u8" && m_fetches < kMaxFetches) {
            auto list = fetchList(m.url);
            if (!list.code)
                addPlaylist(list.effectiveUrl, list.body, result);
            continue;
        }
        if (m.format == ManifestFormat || CurlSetup::pathExtension(m.url) == "mpd") {
            if (m_fetches >= kMaxFetches)
                continue;
            auto manifest = fetchList(m.url);
            if (!manifest.code)
                addManifest(manifest.effectiveUrl, manifest.body, result);
            continue;
        }
        Media copy = m;
        if (!copy.duration)
            copy.duration = f.duration;
        addMedia(copy, result);
    }
    for (auto &s : f.subtitles) {
        if (m_stop.load() || m_fetches >= kMaxFetches)
            break;
        HttpFetch::Options subOptions;
        subOptions.maxBytes = 2 << 20;
        subOptions.timeoutSeconds = kPageTimeout;
        subOptions.stop = &m_stop;
        auto text = HttpFetch::get(s.url, m_settings, subOptions);
        ++m_fetches;
        if (!text.code)
            s.content = vttToSrt(toUtf8(text.body, text.contentType));
        result.subtitles.push_back(s);
    }
    result.title = !f.ogTitle.empty() ? f.ogTitle : f.title;
    result.thumbnail = !f.ogImage.empty() ? f.ogImage : f.poster;
    result.duration = f.duration;
    if (result.medias.empty())
        result.code = m_refusal ? m_refusal : CORVIDASH_INVALID_URL;
    EngineLog::line(2, "sniffed %s: %zu medias, %zu subtitles", pageUrl.c_str(), result.medias.size(),
                    result.subtitles.size());
    return result;
}
