#include "DashManifest.h"

#include "CurlSetup.h"
#include "Utf8Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <strings.h>

namespace {

constexpr size_t kMaxManifestBytes = 4 << 20;
constexpr int kMaxDepth = 32;
constexpr size_t kMaxElements = 20000;
constexpr size_t kMaxRepresentations = 256;
constexpr size_t kMaxAddressLength = 16384;
constexpr size_t kMaxTemplateLength = 4096;
constexpr size_t kMaxTextAttribute = 1024;
constexpr size_t kMaxWidth = 20;
constexpr size_t kMaxStoredRuns = 100000;
// All piece addresses of one representation together: many long addresses would otherwise
// spell out gigabytes (200,000 pieces of 16 KiB each).
constexpr size_t kMaxPieceAddressBytes = 64u << 20;
constexpr char kFragmentKey[] = "corvidash-dash=";

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

// A text attribute that is copied into every representation below it; a hostile length
// would be multiplied by their number.
std::string shortText(const std::string &value)
{
    return value.size() > kMaxTextAttribute ? std::string() : value;
}

// The BaseURL child of an element resolved against the address above it; the address
// above when there is none, and no address at all when it is too long to be one.
std::string baseOf(const Element &e, const std::string &above)
{
    const Element *b = e.first("BaseURL");
    if (!b)
        return above;
    const std::string text = trim(b->text);
    if (text.size() > kMaxAddressLength || above.size() > kMaxAddressLength)
        return {};
    return text.empty() ? above : CurlSetup::resolveUrl(above, text);
}

std::string withoutFragment(const std::string &url)
{
    return url.substr(0, url.find('#'));
}

// The schemes the engine fetches, on an address curl has already put in normal form.
bool schemeAllowed(const std::string &url)
{
    for (const char *scheme : {"http://", "https://", "ftp://", "ftps://"}) {
        const size_t n = strlen(scheme);
        if (url.size() > n && strncasecmp(url.c_str(), scheme, n) == 0)
            return true;
    }
    return false;
}

// A decimal number as mantissa × 10^exponent: "2000000", "2000000.0", "2.5" (no exponent, as
// in xs:decimal). Manifests write durations and times with a fraction part that is mostly zero.
struct Decimal
{
    int64_t mantissa = 0;
    int exponent = 0;
};

bool readDecimal(const std::string &text, Decimal &out)
{
    const std::string t = trim(text);
    size_t i = t.empty() || (t[0] != '-' && t[0] != '+') ? 0 : 1;
    const bool negative = !t.empty() && t[0] == '-';
    int64_t value = 0;
    int exponent = 0;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        digits = true;
        // Trailing zeros of a fraction are dropped before they can overflow the mantissa.
        if (point && c == '0') {
            size_t k = i;
            while (k < t.size() && t[k] == '0')
                ++k;
            if (k == t.size() || !std::isdigit(static_cast<unsigned char>(t[k]))) {
                i = k - 1;
                continue;
            }
        }
        if (__builtin_mul_overflow(value, 10, &value) || __builtin_add_overflow(value, c - '0', &value))
            return false;
        if (point)
            --exponent;
    }
    if (!digits)
        return false;
    if (i != t.size())
        return false;
    while (exponent < 0 && value != 0 && value % 10 == 0) {
        value /= 10;
        ++exponent;
    }
    if (value == 0)
        exponent = 0;
    out.mantissa = negative ? -value : value;
    out.exponent = exponent;
    return true;
}

// A decimal number that is whole ("2000000.0" included); false for a fraction, for anything
// else and on overflow.
bool readInteger(const std::string &text, int64_t &out)
{
    Decimal d;
    if (!readDecimal(text, d) || d.exponent < 0)
        return false;
    int64_t value = d.mantissa;
    for (int e = 0; e < d.exponent; ++e)
        if (__builtin_mul_overflow(value, 10, &value))
            return false;
    out = value;
    return true;
}

// A count such as a bandwidth or a width: a fraction is cut off; 0 when it does not read.
int64_t readCount(const std::string &text)
{
    Decimal d;
    if (!readDecimal(text, d) || d.mantissa <= 0)
        return 0;
    int64_t value = d.mantissa;
    for (; d.exponent < 0; ++d.exponent)
        value /= 10;
    return value;
}

// "first-last" of a byte range into offset and length.
bool readRange(const std::string &text, int64_t &offset, int64_t &length)
{
    const auto dash = text.find('-');
    int64_t first = 0, last = 0;
    if (dash == std::string::npos || !readInteger(text.substr(0, dash), first) ||
        !readInteger(text.substr(dash + 1), last) || first < 0 || last < first ||
        last == std::numeric_limits<int64_t>::max())
        return false;
    offset = first;
    length = last - first + 1;
    return true;
}

// What a template's identifiers stand for; a null value is not available there.
struct TemplateValues
{
    const std::string *id = nullptr;
    int64_t bandwidth = 0;
    const int64_t *number = nullptr;
    const int64_t *time = nullptr;
};

bool substitute(const std::string &pattern, const TemplateValues &v, std::string &out, std::string &why)
{
    out.clear();
    size_t i = 0;
    while (i < pattern.size()) {
        const size_t dollar = pattern.find('$', i);
        if (dollar == std::string::npos) {
            out.append(pattern, i, std::string::npos);
            break;
        }
        out.append(pattern, i, dollar - i);
        const size_t close = pattern.find('$', dollar + 1);
        if (close == std::string::npos) {
            why = "unterminated $ in template";
            return false;
        }
        const std::string tag = pattern.substr(dollar + 1, close - dollar - 1);
        i = close + 1;
        if (tag.empty()) {
            out += '$';
            continue;
        }
        const size_t percent = tag.find('%');
        const std::string name = tag.substr(0, percent);
        size_t width = 0;
        if (percent != std::string::npos) {
            // printf's %0<width>d, the only format a template may give.
            const std::string format = tag.substr(percent + 1);
            size_t k = format.compare(0, 1, "0") == 0 ? 1 : 0;
            const size_t digits = k;
            while (k < format.size() && std::isdigit(static_cast<unsigned char>(format[k])))
                ++k;
            if (k + 1 != format.size() || format[k] != 'd') {
                why = "bad format in $" + name.substr(0, 32) + "$";
                return false;
            }
            if (k - digits > 3 || (width = static_cast<size_t>(atoi(format.substr(digits, k - digits).c_str()))) > kMaxWidth) {
                why = "width above 20 in template";
                return false;
            }
        }
        int64_t value = 0;
        if (name == "RepresentationID") {
            if (percent != std::string::npos) {
                why = "width on $RepresentationID$";
                return false;
            }
            out += v.id ? *v.id : std::string();
            continue;
        } else if (name == "Number") {
            if (!v.number) {
                why = "$Number$ where pieces have no number";
                return false;
            }
            value = *v.number;
        } else if (name == "Time") {
            if (!v.time) {
                why = "$Time$ without a timeline";
                return false;
            }
            value = *v.time;
        } else if (name == "Bandwidth") {
            value = v.bandwidth;
        } else {
            why = "unknown identifier $" + name.substr(0, 32) + "$ in template";
            return false;
        }
        const std::string digits = std::to_string(value);
        if (digits.size() < width)
            out.append(width - digits.size(), '0');
        out += digits;
    }
    return true;
}

// The SegmentTemplate or SegmentList elements from the period down to the representation:
// attributes and children are inherited, the innermost wins.
struct Levels
{
    std::vector<const Element *> chain; // outermost first

    bool has(const char *key) const
    {
        for (const Element *e : chain)
            if (e->attributes.count(key))
                return true;
        return false;
    }
    std::string attr(const char *key) const
    {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const auto found = (*it)->attributes.find(key);
            if (found != (*it)->attributes.end())
                return found->second;
        }
        return {};
    }
    const Element *child(const char *name) const
    {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it)
            if (const Element *c = (*it)->first(name))
                return c;
        return nullptr;
    }
};

// What the representations of one manifest share, so an inherited timeline or list is
// read and kept once.
struct CuttingCache
{
    std::map<std::pair<const Element *, int64_t>, std::shared_ptr<const std::vector<DashManifest::Cutting::Run>>> timelines;
    std::map<std::pair<const Element *, int64_t>, int64_t> timelineCounts;
    std::map<const Element *, std::shared_ptr<const std::vector<DashManifest::Cutting::Listed>>> lists;
    // A timeline is kept once for each period end its representations give it; this bounds
    // the copies a manifest can ask for.
    size_t storedRuns = 0;
};

// The runs of a SegmentTimeline; end is where the period ends in timeline units (-1 unknown),
// which an open repeat (r="-1") runs up to when no later entry gives a time.
bool readTimeline(const Element &timeline, int64_t end, std::vector<DashManifest::Cutting::Run> &runs, int64_t &count,
                  std::string &why)
{
    const auto entries = timeline.all("S");
    int64_t at = 0;
    count = 0;
    for (size_t k = 0; k < entries.size(); ++k) {
        const Element &s = *entries[k];
        DashManifest::Cutting::Run run;
        run.time = at;
        if (s.attributes.count("t")) {
            if (!readInteger(s.attr("t"), run.time) || run.time < 0) {
                why = "bad timeline time";
                return false;
            }
            if (k > 0 && run.time < at) {
                why = "timeline runs backwards";
                return false;
            }
        }
        if (!readInteger(s.attr("d"), run.duration) || run.duration <= 0) {
            why = "timeline duration not positive";
            return false;
        }
        int64_t repeat = 0;
        if (s.attributes.count("r") && (!readInteger(s.attr("r"), repeat) || repeat < -1)) {
            why = "bad timeline repeat";
            return false;
        }
        if (repeat == -1) {
            int64_t until = end;
            if (k + 1 < entries.size() && entries[k + 1]->attributes.count("t") &&
                !readInteger(entries[k + 1]->attr("t"), until))
                until = -1;
            if (until < 0) {
                why = "open timeline repeat without a period end";
                return false;
            }
            if (until <= run.time) {
                why = "open timeline repeat ends before it starts";
                return false;
            }
            run.count = (until - run.time - 1) / run.duration + 1;
        } else {
            if (repeat >= DashManifest::kMaxPieces) {
                why = "more than 200000 pieces";
                return false;
            }
            run.count = repeat + 1;
        }
        if (run.count > DashManifest::kMaxPieces - count) {
            why = "more than 200000 pieces";
            return false;
        }
        count += run.count;
        int64_t span = 0;
        if (__builtin_mul_overflow(run.duration, run.count, &span) || __builtin_add_overflow(run.time, span, &at)) {
            why = "timeline times overflow";
            return false;
        }
        runs.push_back(run);
    }
    if (count == 0) {
        why = "empty timeline";
        return false;
    }
    return true;
}

// Reads how a representation is cut from the innermost level that cuts it; false with a
// reason when the pieces could not be named, or not safely.
bool readCutting(const Levels &levels, bool isList, double periodSeconds, DashManifest::Representation &rep,
                 CuttingCache &cache, std::string &why)
{
    auto &c = rep.cutting;
    c.isList = isList;
    if (rep.id.empty() || rep.id.size() > kMaxTextAttribute) {
        why = "representation without a usable id";
        return false;
    }
    if (c.base.empty() || !schemeAllowed(c.base)) {
        why = "no usable base address";
        return false;
    }
    auto number = [&](const char *key, int64_t fallback, int64_t least, int64_t &out) {
        out = fallback;
        if (!levels.has(key))
            return true;
        if (readInteger(levels.attr(key), out) && out >= least)
            return true;
        why = std::string("bad ") + key;
        return false;
    };
    int64_t offset = 0;
    if (!number("timescale", 1, 1, c.timescale) || !number("startNumber", 1, 0, c.startNumber) ||
        !number("presentationTimeOffset", 0, 0, offset))
        return false;
    if (levels.has("duration")) {
        Decimal d;
        if (!readDecimal(levels.attr("duration"), d) || d.mantissa <= 0) {
            why = "duration not positive";
            return false;
        }
        // A piece duration with a fraction ("2002.5") is the same length on a finer scale;
        // a timeline, whose times are in the given scale, leaves the duration unused.
        int64_t scale = 1;
        while (d.exponent < 0 && !levels.child("SegmentTimeline")) {
            if (__builtin_mul_overflow(scale, 10, &scale) || __builtin_mul_overflow(c.timescale, 10, &c.timescale) ||
                __builtin_mul_overflow(offset, 10, &offset)) {
                why = "duration too fine";
                return false;
            }
            ++d.exponent;
        }
        c.duration = d.mantissa;
        for (; d.exponent > 0; --d.exponent)
            if (__builtin_mul_overflow(c.duration, 10, &c.duration)) {
                why = "duration too long";
                return false;
            }
        if (d.exponent < 0) // with a timeline: whole units are enough
            c.duration = std::max<int64_t>(1, c.duration / static_cast<int64_t>(std::pow(10.0, -d.exponent)));
    }
    const Element *init = levels.child("Initialization");
    if (!isList && levels.has("initialization")) {
        c.hasInit = true;
        c.initialization = levels.attr("initialization");
    } else if (init) {
        c.hasInit = true;
        c.initialization = init->attr("sourceURL");
        if (init->attributes.count("range") && !readRange(init->attr("range"), c.initOffset, c.initLength)) {
            why = "bad initialization range";
            return false;
        }
    }
    if (c.initialization.size() > kMaxTemplateLength) {
        why = "initialization address too long";
        return false;
    }
    const TemplateValues named{&rep.id, rep.bandwidth, nullptr, nullptr};
    std::string address;
    auto resolves = [&](const std::string &ref, const char *what) {
        address = ref.empty() ? c.base : CurlSetup::resolveUrl(c.base, ref);
        if (!address.empty() && address.size() <= kMaxAddressLength && schemeAllowed(address))
            return true;
        why = std::string("unusable ") + what + " address";
        return false;
    };
    if (c.hasInit) {
        std::string text = c.initialization;
        if (!isList && !substitute(c.initialization, named, text, why))
            return false;
        if (!resolves(text, "initialization"))
            return false;
    }
    if (isList) {
        const Element *list = nullptr;
        for (auto it = levels.chain.rbegin(); it != levels.chain.rend() && !list; ++it)
            if ((*it)->first("SegmentURL"))
                list = *it;
        if (!list) {
            why = "segment list without pieces";
            return false;
        }
        auto &shared = cache.lists[list];
        if (!shared) {
            auto listed = std::make_shared<std::vector<DashManifest::Cutting::Listed>>();
            for (const Element *u : list->all("SegmentURL")) {
                DashManifest::Cutting::Listed piece;
                piece.media = u->attr("media");
                if (piece.media.size() > kMaxTemplateLength) {
                    why = "piece address too long";
                    return false;
                }
                if (u->attributes.count("mediaRange") && !readRange(u->attr("mediaRange"), piece.offset, piece.length)) {
                    why = "bad media range";
                    return false;
                }
                listed->push_back(std::move(piece));
            }
            if (static_cast<int64_t>(listed->size()) > DashManifest::kMaxPieces) {
                why = "more than 200000 pieces";
                return false;
            }
            shared = std::move(listed);
        }
        c.listed = shared;
        c.count = static_cast<int64_t>(shared->size());
        return resolves(shared->front().media, "piece");
    }
    c.media = levels.attr("media");
    if (c.media.empty()) {
        why = "template without media";
        return false;
    }
    if (c.media.size() > kMaxTemplateLength) {
        why = "template too long";
        return false;
    }
    int64_t firstTime = 0, lastTime = 0;
    if (const Element *timeline = levels.child("SegmentTimeline")) {
        // Where the period ends on the timeline, for an open repeat.
        int64_t end = -1;
        if (periodSeconds > 0) {
            const double span = std::ceil(periodSeconds * static_cast<double>(c.timescale) - 1e-6);
            if (!(span < 4e18) || __builtin_add_overflow(offset, static_cast<int64_t>(span), &end))
                end = -1;
        }
        const auto key = std::make_pair(timeline, end);
        auto &shared = cache.timelines[key];
        if (!shared) {
            auto runs = std::make_shared<std::vector<DashManifest::Cutting::Run>>();
            int64_t count = 0;
            if (!readTimeline(*timeline, end, *runs, count, why)) {
                cache.timelines.erase(key);
                return false;
            }
            cache.storedRuns += runs->size();
            if (cache.storedRuns > kMaxStoredRuns) {
                cache.timelines.erase(key);
                why = "timelines too large";
                return false;
            }
            cache.timelineCounts[key] = count;
            shared = std::move(runs);
        }
        c.timeline = shared;
        c.count = cache.timelineCounts[key];
        firstTime = shared->front().time;
        lastTime = shared->back().time + shared->back().duration * (shared->back().count - 1);
    } else if (c.duration > 0) {
        if (!(periodSeconds > 0)) {
            why = "no period duration to count pieces by";
            return false;
        }
        const double pieces = periodSeconds * static_cast<double>(c.timescale) / static_cast<double>(c.duration);
        if (!(pieces <= static_cast<double>(DashManifest::kMaxPieces))) {
            why = "more than 200000 pieces";
            return false;
        }
        c.count = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(pieces - 1e-6)));
    } else {
        why = "template with neither duration nor timeline";
        return false;
    }
    int64_t lastNumber = 0;
    if (__builtin_add_overflow(c.startNumber, c.count - 1, &lastNumber)) {
        why = "piece numbers overflow";
        return false;
    }
    // Every piece's address is the same text with other numbers: the first and the last
    // stand for all of them.
    TemplateValues first = named, last = named;
    first.number = &c.startNumber;
    last.number = &lastNumber;
    if (c.timeline) {
        first.time = &firstTime;
        last.time = &lastTime;
    }
    std::string text;
    if (!substitute(c.media, last, text, why) || !substitute(c.media, first, text, why))
        return false;
    return resolves(text, "piece");
}

} // namespace

std::string DashManifest::pieceWiseAddress(const std::string &manifestUrl, size_t period, const std::string &id)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out = withoutFragment(manifestUrl) + "#" + kFragmentKey + std::to_string(period) + ".";
    for (unsigned char ch : id) {
        if (std::isalnum(ch) || ch == '-' || ch == '_' || ch == '.' || ch == '~') {
            out += static_cast<char>(ch);
        } else {
            out += '%';
            out += hex[ch >> 4];
            out += hex[ch & 15];
        }
    }
    return out;
}

bool DashManifest::readPieceWiseAddress(const std::string &address, std::string *manifestUrl, size_t *period,
                                        std::string *id)
{
    const size_t hash = address.find('#');
    if (hash == std::string::npos || address.compare(hash + 1, strlen(kFragmentKey), kFragmentKey) != 0)
        return false;
    size_t at = hash + 1 + strlen(kFragmentKey);
    size_t index = 0;
    const size_t digitsStart = at;
    while (at < address.size() && std::isdigit(static_cast<unsigned char>(address[at]))) {
        if (at - digitsStart >= 6)
            return false;
        index = index * 10 + static_cast<size_t>(address[at++] - '0');
    }
    if (at == digitsStart || at >= address.size() || address[at] != '.')
        return false;
    std::string name;
    for (++at; at < address.size(); ++at) {
        if (address[at] != '%') {
            name += address[at];
            continue;
        }
        if (at + 2 >= address.size() || !std::isxdigit(static_cast<unsigned char>(address[at + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(address[at + 2])))
            return false;
        name += static_cast<char>(std::stoi(address.substr(at + 1, 2), nullptr, 16));
        at += 2;
    }
    if (name.empty())
        return false;
    if (manifestUrl)
        *manifestUrl = address.substr(0, hash);
    if (period)
        *period = index;
    if (id)
        *id = name;
    return true;
}

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
    if (mpd->attr("type") == "dynamic") {
        live = true;
        return failWith("Live streams are not supported");
    }
    duration = isoSeconds(mpd->attr("mediaPresentationDuration"));
    const std::string manifestUrl = withoutFragment(baseUrl);
    const std::string mpdBase = baseOf(*mpd, manifestUrl);
    const auto periodElements = mpd->all("Period");
    CuttingCache cache;
    size_t kept = 0;
    for (size_t index = 0; index < periodElements.size(); ++index) {
        const Element *p = periodElements[index];
        Period period;
        period.duration = isoSeconds(p->attr("duration"));
        // Pieces are counted over the period's length, which may only follow from the starts.
        double seconds = period.duration;
        if (seconds <= 0) {
            const double start = isoSeconds(p->attr("start"));
            if (index + 1 < periodElements.size() && !periodElements[index + 1]->attr("start").empty())
                seconds = isoSeconds(periodElements[index + 1]->attr("start")) - start;
            else if (index + 1 == periodElements.size())
                seconds = duration - start;
        }
        const std::string periodBase = baseOf(*p, mpdBase);
        bool periodHasAudio = false;
        for (const Element *set : p->all("AdaptationSet")) {
            const std::string setBase = baseOf(*set, periodBase);
            const bool setAddressed = set->first("BaseURL") != nullptr;
            for (const Element *r : set->all("Representation")) {
                if (kept >= kMaxRepresentations)
                    break;
                const std::string mime = shortText(!r->attr("mimeType").empty() ? r->attr("mimeType") : set->attr("mimeType"));
                const std::string content = !set->attr("contentType").empty() ? set->attr("contentType") : mime;
                const std::string codecs = shortText(!r->attr("codecs").empty() ? r->attr("codecs") : set->attr("codecs"));
                const bool isAudio = content.compare(0, 5, "audio") == 0;
                const bool isVideo = content.compare(0, 5, "video") == 0;
                if (isAudio)
                    periodHasAudio = true;
                if (!isAudio && !isVideo)
                    continue;
                Representation rep;
                rep.id = r->attr("id");
                rep.mimeType = mime;
                rep.codecs = codecs;
                rep.bandwidth = readCount(r->attr("bandwidth"));
                rep.width = static_cast<int>(std::min<int64_t>(
                    readCount(!r->attr("width").empty() ? r->attr("width") : set->attr("width")), 1 << 20));
                rep.height = static_cast<int>(std::min<int64_t>(
                    readCount(!r->attr("height").empty() ? r->attr("height") : set->attr("height")), 1 << 20));
                rep.hasVideo = isVideo;
                rep.hasAudio = isAudio;
                // The innermost level that cuts the representation says how; a template
                // beats a list on the same level.
                Levels levels;
                bool isList = false;
                for (const Element *level : {r, set, p}) {
                    if (level->first("SegmentTemplate") || level->first("SegmentList")) {
                        isList = !level->first("SegmentTemplate");
                        break;
                    }
                }
                const char *kind = isList ? "SegmentList" : "SegmentTemplate";
                for (const Element *level : {p, set, r})
                    if (const Element *e = level->first(kind))
                        levels.chain.push_back(e);
                const std::string url = baseOf(*r, setBase);
                if (!levels.chain.empty()) {
                    rep.cutting.base = url;
                    if (!readCutting(levels, isList, seconds, rep, cache, why)) {
                        refused.push_back({index, rep.id.substr(0, kMaxTextAttribute), why});
                        continue;
                    }
                    rep.pieceWise = true;
                    rep.key = rep.id;
                    for (int n = 2; std::any_of(period.representations.begin(), period.representations.end(),
                                                [&](const Representation &o) { return o.key == rep.key; });
                         ++n)
                        rep.key = rep.id + "#" + std::to_string(n);
                    rep.url = pieceWiseAddress(manifestUrl, index, rep.key);
                } else {
                    // Without pieces only a representation that is one file of its own can be fetched.
                    if (!r->first("BaseURL") && !setAddressed)
                        continue;
                    rep.url = url;
                    if (rep.url.empty() || !CurlSetup::hasSupportedScheme(rep.url)) {
                        refused.push_back({index, rep.id.substr(0, kMaxTextAttribute), "unusable address"});
                        continue;
                    }
                }
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
                period.representations.push_back(std::move(rep));
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
        return failWith(refused.empty() ? "no usable representation"
                                         : "no usable representation: " + refused.front().reason);
    return true;
}

const DashManifest::Representation *DashManifest::find(size_t period, const std::string &key) const
{
    if (period >= periods.size())
        return nullptr;
    for (const auto &r : periods[period].representations)
        if (r.pieceWise ? r.key == key : r.id == key)
            return &r;
    return nullptr;
}

std::string DashManifest::refusalOf(size_t period, const std::string &id) const
{
    for (const auto &r : refused)
        if (r.period == period && r.id == id)
            return r.reason;
    return {};
}

bool DashManifest::pieces(const Representation &r, Piece &init, std::vector<Piece> &out, std::string *error)
{
    std::string why;
    auto fail = [&](const std::string &reason) {
        if (error)
            *error = reason;
        out.clear();
        return false;
    };
    init = Piece();
    out.clear();
    if (!r.pieceWise)
        return fail("representation is one file");
    const Cutting &c = r.cutting;
    auto address = [&c](const std::string &ref, std::string &url) {
        url = ref.empty() ? c.base : CurlSetup::resolveUrl(c.base, ref);
        return !url.empty() && url.size() <= kMaxAddressLength && schemeAllowed(url);
    };
    TemplateValues values{&r.id, r.bandwidth, nullptr, nullptr};
    std::string text;
    if (c.hasInit) {
        text = c.initialization;
        if ((!c.isList && !substitute(c.initialization, values, text, why)) || !address(text, init.url))
            return fail(why.empty() ? "unusable initialization address" : why);
        init.offset = c.initOffset;
        init.length = c.initLength;
    }
    const double seconds = c.duration > 0 ? static_cast<double>(c.duration) / static_cast<double>(c.timescale) : 0.0;
    out.reserve(static_cast<size_t>(std::clamp<int64_t>(c.count, 0, kMaxPieces)));
    size_t addressBytes = 0;
    auto add = [&](const std::string &ref, int64_t offset, int64_t length, double pieceSeconds) {
        Piece piece;
        if (!address(ref, piece.url))
            return false;
        addressBytes += piece.url.size();
        if (addressBytes > kMaxPieceAddressBytes) {
            why = "piece addresses too long altogether";
            return false;
        }
        piece.offset = offset;
        piece.length = length;
        piece.duration = pieceSeconds;
        out.push_back(std::move(piece));
        return true;
    };
    if (c.isList) {
        for (const auto &listed : *c.listed)
            if (!add(listed.media, listed.offset, listed.length, seconds))
                return fail(why.empty() ? "unusable piece address" : why);
        return true;
    }
    int64_t number = c.startNumber;
    int64_t time = 0;
    values.number = &number;
    // A piece number or time beyond what 64 bits hold is no real manifest's: refused, never
    // wrapped.
    const auto nextNumber = [&number] { return !__builtin_add_overflow(number, int64_t(1), &number); };
    if (c.timeline) {
        values.time = &time;
        for (const auto &run : *c.timeline) {
            const double runSeconds = static_cast<double>(run.duration) / static_cast<double>(c.timescale);
            for (int64_t k = 0; k < run.count; ++k) {
                int64_t offset = 0;
                if (__builtin_mul_overflow(k, run.duration, &offset) || __builtin_add_overflow(run.time, offset, &time))
                    return fail("timeline times overflow");
                if (!substitute(c.media, values, text, why) || !add(text, 0, -1, runSeconds))
                    return fail(why.empty() ? "unusable piece address" : why);
                if (!nextNumber())
                    return fail("piece numbers overflow");
            }
        }
        return true;
    }
    for (int64_t k = 0; k < c.count; ++k) {
        if (!substitute(c.media, values, text, why) || !add(text, 0, -1, seconds))
            return fail(why.empty() ? "unusable piece address" : why);
        if (!nextNumber())
            return fail("piece numbers overflow");
    }
    return true;
}
