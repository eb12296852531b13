// The image module that PngConverter opens: the only place the helper touches the image toolkit.
#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstdlib>
#include <cstring>

namespace {

// Icons and thumbnails are small; a header that claims more is refused before decoding.
constexpr int MaxSide = 8192;
constexpr int AllocationLimitMb = 128;

} // namespace

extern "C" __attribute__((visibility("default"))) int fennix_reelgrab_png_encode(const unsigned char *in, size_t inSize,
                                                                                   unsigned char **out, size_t *outSize)
{
    if (!in || !out || !outSize || inSize == 0 || inSize > size_t(64) * 1024 * 1024)
        return 1;
    *out = nullptr;
    *outSize = 0;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(in), qsizetype(inSize));
    QBuffer source(&bytes);
    source.open(QIODevice::ReadOnly);
    QImageReader reader(&source);
    reader.setAllocationLimit(AllocationLimitMb);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide))
        return 2;
    const QImage image = reader.read();
    if (image.isNull())
        return 3;
    QByteArray png;
    QBuffer target(&png);
    target.open(QIODevice::WriteOnly);
    if (!image.save(&target, "PNG") || png.isEmpty())
        return 4;
    auto *copy = static_cast<unsigned char *>(std::malloc(size_t(png.size())));
    if (!copy)
        return 5;
    std::memcpy(copy, png.constData(), size_t(png.size()));
    *out = copy;
    *outSize = size_t(png.size());
    return 0;
}

extern "C" __attribute__((visibility("default"))) void fennix_reelgrab_png_free(unsigned char *bytes)
{
    std::free(bytes);
}
