// Any bytes, under every option combination, must give a value or an error, never a crash.
#include "reelgrab/JKSerializer.h"
#include "reelgrab/JSONDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the options; the rest is the text.
    const quint32 options = data[0] & JKParseOptionValidFlags;
    JSONDecoder decoder(options);
    JSONError error;
    const QVariant value =
        decoder.objectWithUTF8String(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1), &error);
    if (value.isValid()) {
        // What decodes must encode again and decode to the same value.
        JSONError encodeError;
        const QVariant text = JKSerializer::serializeObject(value, 0, JKEncodeOptionAsData, {}, nullptr, nullptr,
                                                            &encodeError);
        if (text.isValid()) {
            const QByteArray bytes = text.toByteArray();
            JSONDecoder again(options & JKParseOptionLooseUnicode);
            const QVariant round = again.objectWithUTF8String(bytes.constData(), bytes.size());
            if (!round.isValid())
                __builtin_trap();
        }
    }
    return 0;
}
