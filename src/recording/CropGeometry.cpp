#include "recording/CropGeometry.h"

#include "media/IM_EncodeParamEx.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Half-open on both axes, so neighbouring parts never both hold a point.
bool holds(const QRectF &r, const QPointF &p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

} // namespace

QRectF CropGeometry::initialRect(const QRectF &screen)
{
    const QSizeF size = screen.width() < 1680 ? QSizeF(640, 360) : QSizeF(854, 480);
    return QRectF(QPointF(screen.left() + 150, screen.bottom() - 150 - size.height()), size);
}

CropGeometry::Part CropGeometry::hitTest(const QRectF &c, const QPointF &p, const QSizeF &moveBlock)
{
    const qreal h = handleSize, half = handleSize / 2;
    const qreal x = c.x(), top = c.top(), bottom = c.bottom(), w = c.width(), ht = c.height();
    const std::array<std::pair<Part, QRectF>, 8> handles{{
        {TopLeft, {x - half, top - half, h, h}},
        {Top, {x + half, top - half, w - h, h}},
        {TopRight, {x + w - half, top - half, h, h}},
        {Left, {x - half, top + half, h, ht - h}},
        {Right, {x + w - half, top + half, h, ht - h}},
        {BottomLeft, {x - half, bottom - half, h, h}},
        {Bottom, {x + half, bottom - half, w - h, h}},
        {BottomRight, {x + w - half, bottom - half, h, h}},
    }};
    for (const auto &[part, r] : handles)
        if (holds(r, p))
            return part;
    if (holds(QRectF(x, top, barWidth, barHeight), p))
        return Whole;
    QRectF block(QPointF(), moveBlock);
    block.moveCenter(c.center());
    if (holds(block, p))
        return Whole;
    return None;
}

QRectF CropGeometry::drag(Part part, const QRectF &r, const QPointF &d, const QRectF &screen)
{
    const qreal minW = std::min(minimumSize.width(), screen.width());
    const qreal minH = std::min(minimumSize.height(), screen.height());
    qreal left = r.left(), right = r.right(), top = r.top(), bottom = r.bottom();
    switch (part) {
    case None:
        return r;
    case Whole: {
        const qreal w = std::min(r.width(), screen.width()), h = std::min(r.height(), screen.height());
        left = std::clamp(r.left() + d.x(), screen.left(), screen.right() - w);
        top = std::clamp(r.top() + d.y(), screen.top(), screen.bottom() - h);
        return QRectF(left, top, w, h);
    }
    default:
        break;
    }
    const bool movesLeft = part == TopLeft || part == Left || part == BottomLeft;
    const bool movesRight = part == TopRight || part == Right || part == BottomRight;
    const bool movesTop = part == TopLeft || part == Top || part == TopRight;
    const bool movesBottom = part == BottomLeft || part == Bottom || part == BottomRight;
    if (movesLeft)
        left = std::clamp(r.left() + d.x(), screen.left(), std::max(screen.left(), right - minW));
    if (movesRight)
        right = std::clamp(r.right() + d.x(), std::min(screen.right(), left + minW), screen.right());
    if (movesTop)
        top = std::clamp(r.top() + d.y(), screen.top(), std::max(screen.top(), bottom - minH));
    if (movesBottom)
        bottom = std::clamp(r.bottom() + d.y(), std::min(screen.bottom(), top + minH), screen.bottom());
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QSize CropGeometry::evenSize(const QSize &p)
{
    // Down, not up, so the grab never reaches past the rectangle; never below 2.
    return QSize(std::max(2, p.width() & ~1), std::max(2, p.height() & ~1));
}

QSize CropGeometry::pixelSize(const QSizeF &points, qreal scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        scale = 1;
    qint64 w = qint64(points.width() * scale);
    qint64 h = qint64(points.height() * scale);
    if (w > maxPixelWidth || h > maxPixelHeight) {
        // Whole-number arithmetic, so the limiting side lands exactly and the other side does
        // not lose a pixel to rounding.
        if (w * maxPixelHeight >= h * maxPixelWidth) {
            h = h * maxPixelWidth / w;
            w = maxPixelWidth;
        } else {
            w = w * maxPixelHeight / h;
            h = maxPixelHeight;
        }
    }
    return evenSize(QSize(int(w), int(h)));
}

int CropGeometry::videoBitRateKbps(const QSize &pixels)
{
    static constexpr std::array<qint64, 5> counts{76800, 307200, 345600, 921600, 2073600};
    static constexpr std::array<int, 5> rates{512000, 1500000, 2500000, 5000000, 10000000};
    const qint64 area = qint64(pixels.width()) * pixels.height();
    std::size_t best = 0;
    for (std::size_t i = 1; i < counts.size(); ++i)
        if (std::llabs(counts[i] - area) < std::llabs(counts[best] - area))
            best = i;
    return rates[best] / 1000;
}

IM_EncodeParamEx CropGeometry::encodeBlock(const QSize &pixels)
{
    IM_EncodeParamEx block;
    std::memset(&block, 0, sizeof block);
    block.width = pixels.width();
    block.height = pixels.height();
    block.frameRate = 24;
    block.videoBitrate = uint32_t(videoBitRateKbps(pixels));
    block.sampleRate = 44100;
    block.channels = 2;
    block.audioBitrate = 128000;
    block.audioBitsPerSample = 16;
    return block;
}
