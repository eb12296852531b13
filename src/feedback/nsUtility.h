#pragma once

#include <string>

// Conversions between wide strings (UCS-4) and UTF-8 through iconv. On failure the output is
// left unchanged and the answer is false.
namespace nsUtility {
bool wstring_to_utf8string(const std::wstring &in, std::string &out);
bool utf8string_to_wstring(const std::string &in, std::wstring &out);
}
