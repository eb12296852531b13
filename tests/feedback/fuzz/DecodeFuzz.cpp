// Any bytes must decode or be refused, never read outside the text or the table.
#include "feedback/WideBase64.h"
#include "feedback/nsUtility.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    std::vector<unsigned char> out(static_cast<size_t>(DecodeBase64(bytes.data(), bytes.size(), nullptr, 0)));
    DecodeBase64(bytes.data(), bytes.size(), out.data(), out.size());

    std::string s = bytes;
    base64_decode(s);

    // As wide text: the UTF-8 reading when there is one, else the raw bytes as characters.
    std::wstring wide;
    if (!nsUtility::utf8string_to_wstring(bytes, wide))
        for (const unsigned char c : bytes)
            wide.push_back(static_cast<wchar_t>(c));
    Decode(wide, kFeedbackAccountKey);

    // What is encoded decodes back to the same bytes.
    std::string round = bytes;
    base64_encode(round);
    if (!base64_decode(round) || round != bytes)
        __builtin_trap();
    return 0;
}
