#include "controls/NSImageExtend.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace NSImageExtend {

namespace {

bool usableSize(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= MaxPixels;
}

QImage blank(const QSize &size)
{
    if (!usableSize(size))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(Qt::transparent);
    return image;
}

// The white card with a grey 1-pixel outline that framed pictures sit on.
QImage whiteCard(const QSize &size, bool oval)
{
    QImage out = blank(size);
    if (out.isNull())
        return out;
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(Qt::gray), 1));
    painter.setBrush(Qt::white);
    const QRectF outline = QRectF(out.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (oval)
        painter.drawEllipse(outline);
    else
        painter.drawRoundedRect(outline, 2, 2);
    return out;
}

} // namespace

qreal width(const QImage &image)
{
    return image.deviceIndependentSize().width();
}

qreal height(const QImage &image)
{
    return image.deviceIndependentSize().height();
}

QSize pixelsSize(const QImage &image)
{
    return image.size();
}

QImage compositeThumbnail(const QImage &image, const QSize &size, const QImage &maskImage)
{
    if (image.isNull())
        return {};
    QImage out = blank(size);
    if (out.isNull())
        return {};
    // The largest part of the image with the target's aspect ratio, centred.
    const qreal w = std::trunc(qreal(image.width()));
    const qreal h = std::trunc(qreal(image.height()));
    const qreal targetRatio = qreal(size.width()) / size.height();
    QRectF source(0, 0, w, h);
    if (w / h > targetRatio) {
        const qreal cutWidth = h * targetRatio;
        source = QRectF((w - cutWidth) / 2, 0, cutWidth, h);
    } else {
        const qreal cutHeight = w / targetRatio;
        source = QRectF(0, (h - cutHeight) / 2, w, cutHeight);
    }
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRectF target(QPointF(0, 0), QSizeF(size));
    painter.drawImage(target, image, source);
    if (!maskImage.isNull())
        painter.drawImage(target, maskImage, QRectF(maskImage.rect()));
    return out;
}

QImage generatePureColorImage(const QColor &color, const QSize &size)
{
    QImage out = blank(size.isEmpty() ? QSize(64, 64) : size);
    if (!out.isNull())
        out.fill(color.isValid() ? color : QColor(Qt::white));
    return out;
}

QImage generateSingleLineImage(const QColor &color, const QSize &size)
{
    QImage out = blank(size.isEmpty() ? QSize(110, 35) : size);
    if (out.isNull())
        return out;
    // One pixel above the bottom edge, as the line sits in the layouts that use it.
    const int y = out.height() - 2;
    if (y >= 0) {
        QPainter painter(&out);
        painter.fillRect(QRect(0, y, out.width(), 1), color.isValid() ? color : QColor(Qt::black));
    }
    return out;
}

QImage imageWithRoundRectSize(const QImage &image, const QSize &size, int borderWidth)
{
    QImage out = whiteCard(size, false);
    if (out.isNull() || image.isNull())
        return out;
    const QRectF inner = QRectF(out.rect()).adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    if (inner.width() <= 0 || inner.height() <= 0)
        return out;
    QRectF source(image.rect());
    if (image.height() > image.width()) {
        const qreal band = image.width() * inner.height() / inner.width();
        source = QRectF(0, (image.height() - band) / 2, image.width(), band);
    }
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(inner, image, source);
    return out;
}

QImage imageWithRoundSize(const QImage &image, const QSize &size, qreal borderWidth)
{
    QImage out = whiteCard(size, true);
    if (out.isNull() || image.isNull() || image.width() <= 0 || image.height() <= 0)
        return out;
    const QRectF inner = QRectF(out.rect()).adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    if (inner.width() <= 0 || inner.height() <= 0)
        return out;
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addEllipse(inner);
    painter.setClipPath(clip);
    const qreal scale = std::max(qreal(size.width()) / image.width(), qreal(size.height()) / image.height());
    const QSizeF scaled(image.width() * scale, image.height() * scale);
    const QRectF target(QPointF((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled);
    painter.drawImage(target, image, QRectF(image.rect()));
    return out;
}

} // namespace NSImageExtend
