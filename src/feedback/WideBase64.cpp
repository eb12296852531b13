#include "feedback/WideBase64.h"

#include "feedback/nsUtility.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of each alphabet character; -1 for every other byte, so no byte of the text is ever
// taken for a value it does not have.
constexpr std::array<signed char, 256> makeReverse()
{
    std::array<signed char, 256> t {};
    for (auto &v : t)
        v = -1;
    for (int i = 0; i < 64; ++i)
        t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    return t;
}
constexpr auto kReverse = makeReverse();

std::size_t encodedSize(std::size_t count, int lineLength)
{
    const std::size_t q = count / 3;
    const std::size_t r = count % 3;
    return 4 * q + (r ? 4 : 0) + 2 * ((4 * q) / static_cast<std::size_t>(lineLength - 4)) + 3;
}

}

long EncodeBase64(const unsigned char *bytes, std::size_t count, char *out, std::size_t outSize, int lineLength)
{
    if (lineLength <= 4 || (count && !bytes))
        return -1;
    const std::size_t needed = encodedSize(count, lineLength);
    if (!out)
        return static_cast<long>(needed);
    if (outSize < needed)
        return -1;
    std::size_t o = 0;
    int column = 0;
    std::size_t i = 0;
    for (; i + 3 <= count; i += 3) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out[o++] = kAlphabet[(v >> 18) & 63];
        out[o++] = kAlphabet[(v >> 12) & 63];
        out[o++] = kAlphabet[(v >> 6) & 63];
        out[o++] = kAlphabet[v & 63];
        column += 4;
        if (column > lineLength - 4) {
            out[o++] = '\r';
            out[o++] = '\n';
            column = 0;
        }
    }
    const std::size_t r = count - i;
    if (r == 1) {
        const unsigned v = bytes[i] << 16;
        out[o++] = kAlphabet[(v >> 18) & 63];
        out[o++] = kAlphabet[(v >> 12) & 63];
        out[o++] = '=';
        out[o++] = '=';
    } else if (r == 2) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out[o++] = kAlphabet[(v >> 18) & 63];
        out[o++] = kAlphabet[(v >> 12) & 63];
        out[o++] = kAlphabet[(v >> 6) & 63];
        out[o++] = '=';
    }
    out[o] = '\0';
    return static_cast<long>(o);
}

long DecodeBase64(const char *text, std::size_t count, unsigned char *out, std::size_t outSize)
{
    if (count && !text)
        return -1;
    const std::size_t needed = (count + 3) / 4 * 3 + 1;
    if (!out)
        return static_cast<long>(needed);
    if (outSize < needed)
        return -1;
    const auto *in = reinterpret_cast<const unsigned char *>(text);
    std::size_t pos = 0;
    std::size_t o = 0;
    while (pos < count) {
        if (in[pos] == '\r' || in[pos] == '\n') {
            ++pos;
            continue;
        }
        if (count - pos < 4)
            return -1;
        const unsigned char *g = in + pos;
        const int a = kReverse[g[0]];
        const int b = kReverse[g[1]];
        if (a < 0 || b < 0)
            return -1;
        out[o++] = static_cast<unsigned char>((a << 2) | (b >> 4));
        if (g[2] == '=') {
            if (g[3] != '=')
                return -1;
        } else {
            const int c = kReverse[g[2]];
            if (c < 0)
                return -1;
            out[o++] = static_cast<unsigned char>(((b & 15) << 4) | (c >> 2));
            if (g[3] != '=') {
                const int d = kReverse[g[3]];
                if (d < 0)
                    return -1;
                out[o++] = static_cast<unsigned char>(((c & 3) << 6) | d);
            }
        }
        pos += 4;
    }
    out[o] = '\0';
    return static_cast<long>(o);
}

void base64_encode(std::string &s)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(s.data());
    const long needed = EncodeBase64(bytes, s.size(), nullptr, 0, 1024);
    std::vector<char> buf(static_cast<std::size_t>(needed));
    const long n = EncodeBase64(bytes, s.size(), buf.data(), buf.size(), 1024);
    s.assign(buf.data(), static_cast<std::size_t>(n));
}

bool base64_decode(std::string &s)
{
    // Pad by the characters that form groups, so line breaks do not shift the padding.
    std::size_t chars = 0;
    for (const char c : s)
        chars += (c != '\r' && c != '\n');
    std::string padded = s;
    padded.append((4 - chars % 4) % 4, '=');
    const long needed = DecodeBase64(padded.data(), padded.size(), nullptr, 0);
    std::vector<unsigned char> buf(static_cast<std::size_t>(needed) + 1, 0);
    const long n = DecodeBase64(padded.data(), padded.size(), buf.data(), buf.size());
    if (n < 0)
        return false;
    s.assign(reinterpret_cast<const char *>(buf.data()), static_cast<std::size_t>(n));
    return true;
}

void VanReplace(char *s, char c, char replacement)
{
    if (!s)
        return;
    for (; *s; ++s)
        if (*s == c)
            *s = replacement;
}

void VanRemoveSpace(char *s, char c)
{
    if (!s || c == '\0')
        return;
    std::size_t n = std::strlen(s);
    while (n > 0 && s[n - 1] == c)
        s[--n] = '\0';
}

std::optional<std::wstring> Encode(const std::wstring &, const std::wstring &)
{
    return std::nullopt;
}

std::optional<std::wstring> Decode(const std::wstring &data, const std::wstring &key)
{
    std::string text;
    std::string keyBytes;
    if (!nsUtility::wstring_to_utf8string(data, text) || !nsUtility::wstring_to_utf8string(key, keyBytes)
        || keyBytes.empty())
        return std::nullopt;
    for (char &c : text)
        if (c == '*')
            c = '+';
    if (!base64_decode(text))
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(text[i] ^ keyBytes[i % keyBytes.size()]);
    std::wstring result;
    if (!nsUtility::utf8string_to_wstring(text, result))
        return std::nullopt;
    return result;
}
