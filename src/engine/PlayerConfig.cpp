#include "PlayerConfig.h"

#include "CurlSetup.h"
#include "PageSniffer.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace PlayerConfig {

namespace {

constexpr size_t kMaxValue = 4096;
constexpr size_t kObjectReach = 2048; // how far around an address its object's size keys are looked for

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool isKeyChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c == '-';
}

bool isPlayerKey(const std::string &key)
{
    static const char *const keys[] = {"file", "src", "source", "sources", "hls", "hlsurl", "hls_url", "dash",
                                       "dashurl", "dash_url", "url", "video_url", "videourl", "mp4", "stream_url",
                                       "streamurl", "manifest", "manifesturl", "manifest_url", "contenturl", "video",
                                       "playlist", "m3u8", "mpd", "video_src", "videosrc", "lazy_src", "hls_src"};
    const std::string k = lower(key);
    return std::find_if(std::begin(keys), std::end(keys), [&](const char *x) { return k == x; }) != std::end(keys);
}

// A quoted text starting at text[at] (the quote); the unescaped value and the index after it.
bool readQuoted(const std::string &text, size_t at, std::string &value, size_t &after)
{
    const char quote = text[at];
    value.clear();
    for (size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == quote) {
            after = i + 1;
            return true;
        }
        if (c == '\n' || value.size() > kMaxValue)
            return false;
        if (c != '\\' || i + 1 >= text.size()) {
            value += c;
            continue;
        }
        const char e = text[++i];
        if (e == 'u' && i + 4 < text.size()) {
            // Scripts escape slashes and ampersands as \u002F and \u0026; only ASCII is kept.
            const unsigned long code = std::strtoul(text.substr(i + 1, 4).c_str(), nullptr, 16);
            if (code > 0 && code < 0x80)
                value += static_cast<char>(code);
            i += 4;
        } else if (e == 'n' || e == 't' || e == 'r') {
            value += ' ';
        } else {
            value += e; // \/ \" \' \\ and the like
        }
    }
    return false;
}

// The key just before text[at] (a quote or '['), with its ':' or '='; empty when there is none.
std::string keyBefore(const std::string &text, size_t at)
{
    size_t i = at;
    while (i > 0 && std::isspace(static_cast<unsigned char>(text[i - 1])))
        --i;
    if (i == 0 || (text[i - 1] != ':' && text[i - 1] != '='))
        return {};
    --i;
    while (i > 0 && std::isspace(static_cast<unsigned char>(text[i - 1])))
        --i;
    size_t end = i;
    if (i > 0 && (text[i - 1] == '"' || text[i - 1] == '\'')) {
        const char quote = text[--i];
        end = i;
        while (i > 0 && text[i - 1] != quote && end - i < 64)
            --i;
        return i > 0 ? text.substr(i, end - i) : std::string();
    }
    while (i > 0 && isKeyChar(static_cast<unsigned char>(text[i - 1])) && end - i < 64)
        --i;
    return text.substr(i, end - i);
}

// The object around position at: from the '{' that opens it to the '}' that closes it, within
// reach; strings are skipped so braces inside them do not count.
std::pair<size_t, size_t> objectAround(const std::string &text, size_t at)
{
    size_t begin = at, end = at;
    int depth = 0;
    for (size_t i = at; i > 0 && at - i < kObjectReach; --i) {
        const char c = text[i - 1];
        if (c == '}' || c == ']')
            ++depth;
        else if ((c == '{' || c == '[') && depth-- == 0) {
            begin = i - 1;
            break;
        }
    }
    depth = 0;
    char quote = 0;
    for (size_t i = at; i < text.size() && i - at < kObjectReach; ++i) {
        const char c = text[i];
        if (quote) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'')
            quote = c;
        else if (c == '{' || c == '[')
            ++depth;
        else if ((c == '}' || c == ']') && depth-- == 0) {
            end = i;
            break;
        }
    }
    return {begin, end};
}

// The value of a size or type key inside text[begin, end): quoted, or a bare number.
std::string valueOf(const std::string &text, size_t begin, size_t end, const char *const *keys, size_t count)
{
    for (size_t k = 0; k < count; ++k) {
        const std::string key = keys[k];
        size_t at = begin;
        while ((at = text.find(key, at)) != std::string::npos && at < end) {
            const size_t keyEnd = at + key.size();
            const bool whole = (at == 0 || !isKeyChar(static_cast<unsigned char>(text[at - 1]))) &&
                               (keyEnd >= text.size() || !isKeyChar(static_cast<unsigned char>(text[keyEnd])));
            at = keyEnd;
            if (!whole)
                continue;
            size_t i = keyEnd;
            while (i < end && (text[i] == '"' || text[i] == '\'' || std::isspace(static_cast<unsigned char>(text[i]))))
                ++i;
            if (i >= end || (text[i] != ':' && text[i] != '='))
                continue;
            ++i;
            while (i < end && std::isspace(static_cast<unsigned char>(text[i])))
                ++i;
            std::string value;
            size_t after = i;
            if (i < end && (text[i] == '"' || text[i] == '\'')) {
                if (readQuoted(text, i, value, after))
                    return value;
            } else {
                while (i < end && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                    value += text[i++];
                if (!value.empty())
                    return value;
            }
        }
    }
    return {};
}

// Entities an attribute value still holds once the parser decoded it: JSON escaped for HTML
// twice. Only the forms addresses and JSON use; anything else stays as it is.
std::string decodeEntities(const std::string &text)
{
    if (text.find('&') == std::string::npos)
        return text;
    static const std::pair<const char *, char> named[] = {{"amp", '&'}, {"quot", '"'}, {"apos", '\''}, {"lt", '<'}, {"gt", '>'}};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // Entities are short: the ';' is looked for a few characters on only.
        const size_t semi = text[i] == '&' ? text.substr(i, 12).find(';') : std::string::npos;
        if (semi == std::string::npos) {
            out += text[i];
            continue;
        }
        const std::string name = text.substr(i + 1, semi - 1);
        bool done = false;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits = name.substr(hex ? 2 : 1);
            char *end = nullptr;
            const unsigned long cp = digits.empty() ? 0 : std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (end && !*end && cp > 0 && cp < 0x110000 && (cp < 0xD800 || cp > 0xDFFF)) {
                Utf8Text::append(out, cp);
                done = true;
            }
        } else {
            for (const auto &[entity, c] : named)
                if (name == entity) {
                    out += c;
                    done = true;
                }
        }
        if (done)
            i += semi;
        else
            out += text[i];
    }
    return out;
}

} // namespace

int heightOf(const std::string &text)
{
    const std::string t = lower(text);
    if (t.find("8k") != std::string::npos)
        return 4320;
    if (t.find("4k") != std::string::npos || t.find("uhd") != std::string::npos)
        return 2160;
    // The first run of 3 or 4 digits: "720p", "HD 1080p60", "740", "res=480".
    for (size_t i = 0; i < t.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(t[i])) || (i > 0 && std::isdigit(static_cast<unsigned char>(t[i - 1]))))
            continue;
        size_t j = i;
        while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j])))
            ++j;
        if (j - i >= 3 && j - i <= 4) {
            const int value = std::atoi(t.substr(i, j - i).c_str());
            // A pixel count with an x is a size ("1280x720"): its second number is the height.
            if (j < t.size() && t[j] == 'x')
                return heightOf(t.substr(j + 1));
            if (value >= 100 && value <= 8640)
                return value;
        }
        i = j;
    }
    return 0;
}

std::vector<Found> find(const std::string &script, const std::string &base, size_t limit)
{
    std::vector<Found> out;
    static const char *const sizeKeys[] = {"label", "res", "height", "quality", "size", "resolution", "data-res"};
    static const char *const typeKeys[] = {"type", "mimeType", "mimetype", "format"};
    auto add = [&](const std::string &value, const std::string &key, size_t at) {
        if (value.empty() || value.size() > kMaxValue || out.size() >= limit)
            return;
        const std::string url = CurlSetup::resolveUrl(base, value);
        if (url.empty() || !CurlSetup::hasSupportedScheme(url))
            return;
        const auto [begin, end] = objectAround(script, at);
        Found f;
        f.url = url;
        f.typeHint = valueOf(script, begin, end, typeKeys, std::size(typeKeys));
        const std::string k = lower(key);
        if (f.typeHint.empty() && (k.rfind("hls", 0) == 0 || k == "m3u8"))
            f.typeHint = "application/x-mpegurl";
        if (f.typeHint.empty() && (k.rfind("dash", 0) == 0 || k == "mpd"))
            f.typeHint = "application/dash+xml";
        if (!PageSniffer::formatFor(CurlSetup::pathExtension(url)) && !PageSniffer::formatFor(lower(f.typeHint)))
            return;
        f.height = heightOf(valueOf(script, begin, end, sizeKeys, std::size(sizeKeys)));
        if (std::none_of(out.begin(), out.end(), [&](const Found &o) { return o.url == f.url; }))
            out.push_back(f);
    };
    for (size_t at = 0; at < script.size() && out.size() < limit; ++at) {
        const char c = script[at];
        if (c != '"' && c != '\'' && c != '[')
            continue;
        const std::string key = keyBefore(script, at);
        if (key.empty() || !isPlayerKey(key)) {
            if (c != '[') {
                // Skip the whole string: a quote inside it must not start a value.
                std::string skipped;
                size_t after = at;
                if (readQuoted(script, at, skipped, after))
                    at = after - 1;
            }
            continue;
        }
        if (c == '[') {
            // sources: ["a.mp4", "b.webm"]; arrays of objects are found through their own keys.
            size_t i = at + 1;
            while (i < script.size() && script[i] != ']' && i - at < kObjectReach) {
                if (script[i] == '"' || script[i] == '\'') {
                    std::string value;
                    size_t after = i;
                    if (!readQuoted(script, i, value, after))
                        break;
                    add(value, key, i);
                    i = after;
                } else if (script[i] == '{') {
                    break;
                } else {
                    ++i;
                }
            }
            continue;
        }
        std::string value;
        size_t after = at;
        if (!readQuoted(script, at, value, after))
            continue;
        add(value, key, at);
        at = after - 1;
    }
    return out;
}

std::vector<Found> fromSourceSet(const std::string &list, const std::string &base, size_t limit)
{
    std::vector<Found> out;
    size_t at = 0;
    while (at < list.size() && out.size() < limit) {
        while (at < list.size() && (std::isspace(static_cast<unsigned char>(list[at])) || list[at] == ','))
            ++at;
        // An address runs to a blank; a comma ends it only when a blank follows (commas are
        // allowed inside addresses).
        size_t end = at;
        while (end < list.size() && !std::isspace(static_cast<unsigned char>(list[end])) && !(list[end] == ',' && (end + 1 >= list.size() || std::isspace(static_cast<unsigned char>(list[end + 1])))))
            ++end;
        const std::string ref = list.substr(at, end - at);
        size_t next = list.find(',', end);
        const std::string descriptor = list.substr(end, next == std::string::npos ? std::string::npos : next - end);
        at = next == std::string::npos ? list.size() : next + 1;
        const std::string url = ref.empty() ? std::string() : CurlSetup::resolveUrl(base, ref);
        if (url.empty() || !CurlSetup::hasSupportedScheme(url) || std::any_of(out.begin(), out.end(), [&](const Found &o) { return o.url == url; }))
            continue;
        Found f;
        f.url = url;
        const std::string d = lower(descriptor);
        const int size = heightOf(d);
        if (d.find('w') != std::string::npos && d.find('p') == std::string::npos)
            f.height = size * 9 / 16;
        else if (d.find('x') == std::string::npos)
            f.height = size;
        out.push_back(f);
    }
    return out;
}

std::vector<Found> fromAttribute(const std::string &name, const std::string &value, const std::string &base, size_t limit)
{
    const std::string n = lower(name);
    if (n.rfind("data-", 0) != 0 || n.size() <= 5 || value.size() > (1u << 20))
        return {};
    std::string key = n.substr(5);
    std::replace(key.begin(), key.end(), '-', '_');
    std::string text = decodeEntities(value);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    text.erase(0, first);
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    if (key.size() >= 6 && key.compare(key.size() - 6, 6, "srcset") == 0) {
        std::vector<Found> out;
        for (Found f : fromSourceSet(text, base, limit))
            if (PageSniffer::formatFor(CurlSetup::pathExtension(f.url)))
                out.push_back(f);
        return out;
    }
    // The attribute's name is the key the value stands under, as in a script's set-up.
    if (text[0] == '{' || text[0] == '[')
        return find("\"" + key + "\":" + text, base, limit);
    if (!isPlayerKey(key) && key.find("src") == std::string::npos && key.find("url") == std::string::npos)
        return {};
    std::string quoted = "\"src\":\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    // A name such as data-hls-url says the kind of stream; find() reads it from the key.
    if (key.find("hls") != std::string::npos || key.find("m3u8") != std::string::npos)
        quoted = "\"hls\":" + quoted.substr(6);
    else if (key.find("dash") != std::string::npos || key.find("mpd") != std::string::npos)
        quoted = "\"dash\":" + quoted.substr(6);
    return find(quoted, base, limit);
}

} // namespace PlayerConfig
