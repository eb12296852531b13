// Any bytes must give a value or an error, never a crash; what parses must write and parse
// back to the same value, at the first byte's depth limit (0 included).
#include "extension/json/SBJsonParser.h"
#include "extension/json/SBJsonWriter.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned depth = data[0] & 0x1f; // small limits reach the limit paths
    SBJsonParser parser;
    parser.setMaxDepth(depth == 31 ? 512 : depth);
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const std::optional<SBJsonValue> value = parser.objectWithUtf8(text);
    if (!value)
        return 0;
    for (const bool human : {false, true}) {
        SBJsonWriter writer;
        writer.setMaxDepth(parser.maxDepth());
        writer.setHumanReadable(human);
        writer.setSortKeys(human);
        const QString out = writer.stringWithObject(*value);
        if (out.isNull())
            __builtin_trap(); // a parsed value is always writable at the same limit
        SBJsonParser again;
        again.setMaxDepth(parser.maxDepth());
        const std::optional<SBJsonValue> round = again.objectWithString(out);
        if (!round || !(*round == *value))
            __builtin_trap();
    }
    return 0;
}
