#include "MiniJson.h"

#include "Utf8Text.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxDepth = 64;

struct Reader
{
    const std::string &s;
    size_t i = 0;
    bool failed = false;

    void space()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t'))
            ++i;
    }

    bool hex4(unsigned &cp)
    {
        if (i + 4 > s.size())
            return false;
        cp = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s[i++];
            cp <<= 4;
            if (c >= '0' && c <= '9')
                cp |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                cp |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                cp |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    std::string str()
    {
        std::string out;
        ++i; // opening quote
        while (i < s.size() && s[i] != '"') {
            char c = s[i++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i >= s.size())
                break;
            c = s[i++];
            switch (c) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                unsigned cp = 0;
                if (!hex4(cp)) {
                    failed = true;
                    return out;
                }
                if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i] == '\\' && s[i + 1] == 'u') {
                    i += 2;
                    unsigned low = 0;
                    if (hex4(low) && low >= 0xDC00 && low < 0xE000)
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                Utf8Text::append(out, cp);
                break;
            }
            default: out += c;
            }
        }
        if (i >= s.size())
            failed = true;
        ++i;
        return out;
    }

    MiniJson value(int depth)
    {
        MiniJson v;
        space();
        if (i >= s.size() || depth > kMaxDepth) {
            failed = true;
            return v;
        }
        const char c = s[i];
        if (c == '{') {
            v.type = MiniJson::Type::Object;
            ++i;
            space();
            if (i < s.size() && s[i] == '}') {
                ++i;
                return v;
            }
            while (!failed) {
                space();
                if (i >= s.size() || s[i] != '"') {
                    failed = true;
                    break;
                }
                std::string key = str();
                space();
                if (i >= s.size() || s[i] != ':') {
                    failed = true;
                    break;
                }
                ++i;
                v.object.push_back({std::move(key), value(depth + 1)});
                space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == '}') {
                    ++i;
                    break;
                }
                failed = true;
            }
        } else if (c == '[') {
            v.type = MiniJson::Type::Array;
            ++i;
            space();
            if (i < s.size() && s[i] == ']') {
                ++i;
                return v;
            }
            while (!failed) {
                v.array.push_back(value(depth + 1));
                space();
                if (i < s.size() && s[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < s.size() && s[i] == ']') {
                    ++i;
                    break;
                }
                failed = true;
            }
        } else if (c == '"') {
            v.type = MiniJson::Type::String;
            v.string = str();
        } else if (s.compare(i, 4, "true") == 0) {
            v.type = MiniJson::Type::Bool;
            v.boolean = true;
            i += 4;
        } else if (s.compare(i, 5, "false") == 0) {
            v.type = MiniJson::Type::Bool;
            i += 5;
        } else if (s.compare(i, 4, "null") == 0) {
            i += 4;
        } else {
            char *end = nullptr;
            v.number = strtod(s.c_str() + i, &end);
            if (end == s.c_str() + i) {
                failed = true;
                return v;
            }
            v.type = MiniJson::Type::Number;
            i = static_cast<size_t>(end - s.c_str());
        }
        return v;
    }
};

} // namespace

MiniJson MiniJson::parse(const std::string &text, bool *ok)
{
    Reader r{text};
    MiniJson v = r.value(0);
    if (ok)
        *ok = !r.failed;
    return r.failed ? MiniJson() : v;
}

std::string MiniJson::quote(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

const MiniJson *MiniJson::get(const std::string &key) const
{
    for (const auto &[k, v] : object) {
        if (k == key)
            return &v;
    }
    return nullptr;
}

std::string MiniJson::text() const
{
    if (type == Type::String)
        return string;
    if (type == Type::Array && !array.empty())
        return array.front().text();
    if (type == Type::Object) {
        if (const auto *u = get("url"))
            return u->text();
        if (const auto *u = get("contentUrl"))
            return u->text();
    }
    return {};
}
