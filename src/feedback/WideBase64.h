#pragma once

// Base64 on byte buffers and narrow strings, and the unscrambling of the fetched feedback
// account fields (Base64 with "*" for "+", XORed with a repeated key). Wide strings hold
// UCS-4 characters (wchar_t is 4 bytes on Linux).

#include <cstddef>
#include <optional>
#include <string>

// The key the account fields are scrambled with.
inline constexpr wchar_t kFeedbackAccountKey[] = L"tavrokelmin";

// With no buffer: the buffer size needed. Otherwise the characters written (NUL-terminated),
// or -1 when outSize is smaller than the size needed or lineLength is not above 4.
long EncodeBase64(const unsigned char *bytes, std::size_t count, char *out, std::size_t outSize, int lineLength);

// With no buffer: the buffer size needed, (count + 3) / 4 * 3 + 1. Otherwise the bytes written
// (NUL-terminated), or -1 when the text holds a character outside the alphabet (any byte
// >= 0x80 included), a misplaced "=", a group cut short, or outSize is too small.
// CR and LF between groups are skipped.
long DecodeBase64(const char *text, std::size_t count, unsigned char *out, std::size_t outSize);

// The string is replaced by its Base64 text (lines of 1024 characters).
void base64_encode(std::string &s);
// The string is replaced by its decoded bytes, after padding with "=" to whole groups;
// false (string unchanged) when it is not Base64.
bool base64_decode(std::string &s);

// Replaces every occurrence of c in place.
void VanReplace(char *s, char c, char replacement);
// Cuts trailing occurrences of c off in place.
void VanRemoveSpace(char *s, char c);

// Encoding is not offered: always nothing.
std::optional<std::wstring> Encode(const std::wstring &data, const std::wstring &key);
// Unscrambles one account field; nothing when the data is not Base64, the key is empty or the
// result is not UTF-8.
std::optional<std::wstring> Decode(const std::wstring &data, const std::wstring &key);
