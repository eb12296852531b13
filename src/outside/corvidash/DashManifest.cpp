#include "DashManifest.h"

#include "CurlSetup.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr size_t kMaxManifestBytes = 4 << 20;
constexpr int kMaxDepth = 32;
constexpr size_t kMaxElements = 20000;
constexpr size_t kMaxRepresentations = 256;

// Just enough XML for a manifest: elements, attributes, text; comments, processing
// instructions, doctype and CDATA are skipped; namespace prefixes are dropped.
struct Element
{
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
    std::vector<std::unique_ptr<Element>> children;

    std::string attr(const char *key) const
    {
        const auto it = attributes.find(key);
        return it == attributes.end() ? std::string() : it->second;
    }
    std::vector<const Element *> all(const char *childName) const
    {
        std::vector<const Element *> out;
        for (const auto &c : children)
            if (c->name == childName)
                out.push_back(c.get());
        return out;
    }
    const Element *first(const char *childName) const
    {
        for (const auto &c : children)
            if (c->name == childName)
                return c.get();
        return nullptr;
    }
};

std::string localName(const std::string &name)
{
    const auto colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// Character references outside Unicode, surrogates and NUL are dropped.
void appendUtf8(std::string &out, unsigned long cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return;
    Utf8Text::append(out, cp);
}

std::string decodeEntities(const std::string &s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        const auto semi = s.find(';', i);
        if (semi == std::string::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        const std::string name = s.substr(i + 1, semi - i - 1);
        if (name == "amp")
            out += '&';
        else if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name.size() > 1 && name[0] == '#')
            appendUtf8(out, name[1] == 'x' || name[1] == 'X' ? strtoul(name.c_str() + 2, nullptr, 16)
                                                             : strtoul(name.c_str() + 1, nullptr, 10));
        else
            out += s.substr(i, semi - i + 1);
        i = semi;
    }
    return out;
}

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

class XmlReader
{
public:
    explicit XmlReader(const std::string &text) : m_text(text) {}

    std::unique_ptr<Element> root(std::string *error)
    {
        auto document = std::make_unique<Element>();
        std::vector<Element *> open{document.get()};
        size_t count = 0;
        while (m_at < m_text.size()) {
            const size_t lt = m_text.find('<', m_at);
            if (lt == std::string::npos)
                break;
            if (open.size() > 1)
                open.back()->text += m_text.substr(m_at, lt - m_at);
            m_at = lt;
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return fail(error, "unterminated comment");
            } else if (startsWith("<![CDATA[")) {
                const size_t end = m_text.find("]]>", m_at);
                if (end == std::string::npos)
                    return fail(error, "unterminated CDATA");
                if (open.size() > 1)
                    open.back()->text += m_text.substr(m_at + 9, end - m_at - 9);
                m_at = end + 3;
            } else if (startsWith("<?") || startsWith("<!")) {
                if (!skipPast(">"))
                    return fail(error, "unterminated declaration");
            } else if (startsWith("</")) {
                const size_t gt = m_text.find('>', m_at);
                if (gt == std::string::npos)
                    return fail(error, "unterminated end tag");
                const std::string name = localName(trim(m_text.substr(m_at + 2, gt - m_at - 2)));
                m_at = gt + 1;
                if (open.size() < 2 || open.back()->name != name)
                    return fail(error, "mismatched end tag " + name);
                open.back()->text = decodeEntities(open.back()->text);
                open.pop_back();
            } else {
                if (++count > kMaxElements)
                    return fail(error, "too many elements");
                if (open.size() > kMaxDepth)
                    return fail(error, "nested too deeply");
                auto element = std::make_unique<Element>();
                bool selfClosing = false;
                if (!readStartTag(*element, selfClosing))
                    return fail(error, "malformed start tag");
                Element *raw = element.get();
                open.back()->children.push_back(std::move(element));
                if (!selfClosing)
                    open.push_back(raw);
            }
        }
        if (open.size() != 1)
            return fail(error, "unclosed element " + open.back()->name);
        if (document->children.size() != 1)
            return fail(error, "not one root element");
        return std::move(document->children.front());
    }

private:
    bool startsWith(const char *s) const { return m_text.compare(m_at, strlen(s), s) == 0; }
    bool skipPast(const char *s)
    {
        const size_t end = m_text.find(s, m_at);
        if (end == std::string::npos)
            return false;
        m_at = end + strlen(s);
        return true;
    }
    static bool isNameChar(char c)
    {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_' || c == '-' || c == '.'
            || static_cast<unsigned char>(c) >= 0x80;
    }
    void skipBlanks()
    {
        while (m_at < m_text.size() && std::strchr(" \t\r\n", m_text[m_at]) && m_text[m_at])
            ++m_at;
    }
    bool readStartTag(Element &e, bool &selfClosing)
    {
        ++m_at; // '<'
        const size_t nameStart = m_at;
        while (m_at < m_text.size() && isNameChar(m_text[m_at]))
            ++m_at;
        if (m_at == nameStart)
            return false;
        e.name = localName(m_text.substr(nameStart, m_at - nameStart));
        for (;;) {
            skipBlanks();
            if (m_at >= m_text.size())
                return false;
            if (m_text[m_at] == '>') {
                ++m_at;
                return true;
            }
            if (startsWith("/>")) {
                m_at += 2;
                selfClosing = true;
                return true;
            }
            const size_t keyStart = m_at;
            while (m_at < m_text.size() && isNameChar(m_text[m_at]))
                ++m_at;
            if (m_at == keyStart)
                return false;
            const std::string key = localName(m_text.substr(keyStart, m_at - keyStart));
            skipBlanks();
            if (m_at >= m_text.size() || m_text[m_at] != '=')
                return false;
            ++m_at;
            skipBlanks();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                return false;
            const char quote = m_text[m_at++];
            const size_t end = m_text.find(quote, m_at);
            if (end == std::string::npos)
                return false;
            e.attributes[key] = decodeEntities(m_text.substr(m_at, end - m_at));
            m_at = end + 1;
        }
    }
    std::unique_ptr<Element> fail(std::string *error, const std::string &why)
    {
        if (error)
            *error = why;
        return nullptr;
    }

    const std::string &m_text;
    size_t m_at = 0;
};

bool isAudioCodec(const std::string &codec)
{
    for (const char *prefix : {"mp4a", "ac-3", "ec-3", "ac-4", "opus", "vorbis", "flac", "mp3", "dtsc", "alac"})
        if (codec.compare(0, strlen(prefix), prefix) == 0)
            return true;
    return false;
}

// The BaseURL child of an element resolved against the address above it; the address
// above when there is none.
std::string baseOf(const Element &e, const std::string &above)
{
    const Element *b = e.first("BaseURL");
    if (!b)
        return above;
    const std::string text = trim(b->text);
    return text.empty() ? above : CurlSetup::resolveUrl(above, text);
}

bool cutIntoPieces(const Element &e)
{
    return e.first("SegmentTemplate") || e.first("SegmentList");
}

} // namespace

double DashManifest::isoSeconds(const std::string &text)
{
    const std::string t = trim(text);
    if (t.size() < 3 || t[0] != 'P')
        return 0.0;
    double total = 0.0;
    bool time = false;
    size_t i = 1;
    while (i < t.size()) {
        if (t[i] == 'T') {
            time = true;
            ++i;
            continue;
        }
        char *end = nullptr;
        const double value = strtod(t.c_str() + i, &end);
        const size_t used = static_cast<size_t>(end - (t.c_str() + i));
        if (used == 0 || i + used >= t.size() || !(value >= 0.0) || value > 1e9)
            return 0.0;
        i += used;
        switch (t[i]) {
        case 'D': total += value * 86400; break;
        case 'H': total += time ? value * 3600 : 0; break;
        case 'M': total += time ? value * 60 : value * 30 * 86400; break;
        case 'S': total += value; break;
        case 'Y': total += value * 365 * 86400; break;
        case 'W': total += value * 7 * 86400; break;
        default: return 0.0;
        }
        ++i;
    }
    return total;
}

bool DashManifest::looksLikeManifest(const std::string &text)
{
    const std::string head = text.substr(0, 4096);
    return head.find("<MPD") != std::string::npos || head.find(":MPD") != std::string::npos;
}

bool DashManifest::parse(const std::string &text, const std::string &baseUrl, std::string *error)
{
    auto failWith = [error](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    *this = DashManifest();
    if (text.size() > kMaxManifestBytes)
        return failWith("manifest too large");
    std::string why;
    const std::unique_ptr<Element> mpd = XmlReader(text).root(&why);
    if (!mpd)
        return failWith(why);
    if (mpd->name != "MPD")
        return failWith("root element is not MPD");
    if (mpd->attr("type") == "dynamic")
        return failWith("live manifest");
    duration = isoSeconds(mpd->attr("mediaPresentationDuration"));
    const std::string mpdBase = baseOf(*mpd, baseUrl);
    size_t kept = 0;
    for (const Element *p : mpd->all("Period")) {
        Period period;
        period.duration = isoSeconds(p->attr("duration"));
        const std::string periodBase = baseOf(*p, mpdBase);
        const bool periodCut = cutIntoPieces(*p);
        bool periodHasAudio = false;
        for (const Element *set : p->all("AdaptationSet")) {
            const std::string setBase = baseOf(*set, periodBase);
            const bool setCut = periodCut || cutIntoPieces(*set);
            const bool setAddressed = set->first("BaseURL") != nullptr;
            for (const Element *r : set->all("Representation")) {
                if (kept >= kMaxRepresentations)
                    break;
                const std::string mime = !r->attr("mimeType").empty() ? r->attr("mimeType") : set->attr("mimeType");
                const std::string content = !set->attr("contentType").empty() ? set->attr("contentType") : mime;
                const std::string codecs = !r->attr("codecs").empty() ? r->attr("codecs") : set->attr("codecs");
                const bool isAudio = content.compare(0, 5, "audio") == 0;
                const bool isVideo = content.compare(0, 5, "video") == 0;
                if (isAudio)
                    periodHasAudio = true;
                // Only a representation that is one file of its own can be fetched whole.
                if (setCut || cutIntoPieces(*r) || (!r->first("BaseURL") && !setAddressed) || (!isAudio && !isVideo))
                    continue;
                Representation rep;
                rep.id = r->attr("id");
                rep.url = baseOf(*r, setBase);
                if (rep.url.empty() || !CurlSetup::hasSupportedScheme(rep.url))
                    continue;
                rep.mimeType = mime;
                rep.codecs = codecs;
                rep.bandwidth = std::max<int64_t>(0, atoll(r->attr("bandwidth").c_str()));
                rep.width = std::max(0, atoi((!r->attr("width").empty() ? r->attr("width") : set->attr("width")).c_str()));
                rep.height = std::max(0, atoi((!r->attr("height").empty() ? r->attr("height") : set->attr("height")).c_str()));
                rep.hasVideo = isVideo;
                rep.hasAudio = isAudio;
                if (isVideo && !codecs.empty()) {
                    size_t at = 0;
                    while (at <= codecs.size()) {
                        const size_t comma = codecs.find(',', at);
                        if (isAudioCodec(trim(codecs.substr(at, comma == std::string::npos ? std::string::npos : comma - at))))
                            rep.hasAudio = true;
                        if (comma == std::string::npos)
                            break;
                        at = comma + 1;
                    }
                }
                period.representations.push_back(rep);
                ++kept;
            }
        }
        // Without codecs a video representation carries sound unless the period has a
        // sound track of its own.
        for (auto &rep : period.representations)
            if (rep.hasVideo && rep.codecs.empty() && !periodHasAudio)
                rep.hasAudio = true;
        periods.push_back(std::move(period));
    }
    if (kept == 0)
        return failWith("no representation that is one file");
    return true;
}
