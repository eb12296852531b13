#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

// Generated and composed images (QImage, so they can be made off the main thread).
// Sizes are in device-independent pixels; every generator refuses sizes above MaxPixels.
namespace NSImageExtend {

constexpr qint64 MaxPixels = 64 * 1024 * 1024;

qreal width(const QImage &image);
qreal height(const QImage &image);
// Pixel width and height of the bitmap.
QSize pixelsSize(const QImage &image);

// Null for a null image; else the image cut to the size's aspect ratio around its centre,
// filling the whole new image, with the mask drawn over it whole.
QImage compositeThumbnail(const QImage &image, const QSize &size, const QImage &maskImage);
// 64x64 for an empty size; white for an invalid colour.
QImage generatePureColorImage(const QColor &color, const QSize &size);
// 110x35 for an empty size; a 1-pixel line across the width, 1 pixel above the bottom edge,
// black for an invalid colour; transparent elsewhere.
QImage generateSingleLineImage(const QColor &color, const QSize &size);
// The image framed in a white rounded rectangle (radius 2) with a grey 1-pixel border; the image
// is inset by borderWidth; a tall image gives a centred band of its full width.
QImage imageWithRoundRectSize(const QImage &image, const QSize &size, int borderWidth);
// The image, scaled to fill and centred, inside a white oval with a grey border, clipped to the
// oval inset by borderWidth.
QImage imageWithRoundSize(const QImage &image, const QSize &size, qreal borderWidth);

} // namespace NSImageExtend
