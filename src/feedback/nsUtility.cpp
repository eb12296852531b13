#include "feedback/nsUtility.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

static_assert(sizeof(wchar_t) == 4, "wide strings are UCS-4");

namespace {

// Converts all of in, or nothing: a partial conversion is a failure.
bool convert(const char *to, const char *from, const char *in, std::size_t inBytes, std::vector<char> &out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char *src = const_cast<char *>(in);
    std::size_t srcLeft = inBytes;
    std::size_t dstLeft = out.size();
    char *dst = out.data();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const bool ok = r != static_cast<std::size_t>(-1) && srcLeft == 0
        && iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok)
        return false;
    out.resize(out.size() - dstLeft);
    return true;
}

}

namespace nsUtility {

bool wstring_to_utf8string(const std::wstring &in, std::string &out)
{
    // iconv would write code points past Unicode's end as 4-byte sequences.
    for (const wchar_t c : in)
        if (static_cast<char32_t>(c) > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
    std::vector<char> buf(in.size() * 4 + 4);
    if (!convert("UTF-8", "UCS-4LE", reinterpret_cast<const char *>(in.data()), in.size() * sizeof(wchar_t), buf))
        return false;
    out.assign(buf.begin(), buf.end());
    return true;
}

bool utf8string_to_wstring(const std::string &in, std::wstring &out)
{
    std::vector<char> buf((in.size() + 1) * sizeof(wchar_t));
    if (!convert("UCS-4LE", "UTF-8", in.data(), in.size(), buf))
        return false;
    std::wstring w(buf.size() / sizeof(wchar_t), L'\0');
    for (std::size_t i = 0; i < w.size(); ++i) {
        const auto *b = reinterpret_cast<const unsigned char *>(buf.data() + i * 4);
        w[i] = static_cast<wchar_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<unsigned>(b[3]) << 24));
    }
    out = std::move(w);
    return true;
}

}
