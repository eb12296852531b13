#include "reelgrab/PngConverter.h"

#include "reelgrab/HelperModule.h"

namespace PngConverter {

namespace {

using EncodeFn = int (*)(const unsigned char *, size_t, unsigned char **, size_t *);
using FreeFn = void (*)(unsigned char *);

struct Module
{
    EncodeFn encode = nullptr;
    FreeFn release = nullptr;
};

const Module &module()
{
    static const Module m = []() {
        Module out;
        out.encode = reinterpret_cast<EncodeFn>(HelperModule::symbol(ModuleFileName, "image module", "fennix_reelgrab_png_encode"));
        out.release = reinterpret_cast<FreeFn>(HelperModule::symbol(ModuleFileName, "image module", "fennix_reelgrab_png_free"));
        if (!out.encode || !out.release)
            out = Module();
        return out;
    }();
    return m;
}

} // namespace

QString modulePath()
{
    return HelperModule::pathOf(ModuleFileName);
}

QByteArray pngOf(const QByteArray &imageBytes)
{
    const Module &m = module();
    if (!m.encode || imageBytes.isEmpty())
        return {};
    unsigned char *out = nullptr;
    size_t size = 0;
    if (m.encode(reinterpret_cast<const unsigned char *>(imageBytes.constData()), size_t(imageBytes.size()), &out, &size) != 0
        || !out)
        return {};
    const QByteArray png(reinterpret_cast<const char *>(out), qsizetype(size));
    m.release(out);
    return png;
}

} // namespace PngConverter
