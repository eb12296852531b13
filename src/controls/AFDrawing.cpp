#include "controls/AFDrawing.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace AFDrawing {

QPainterPath bezierPathWithString(const QString &text, const QFont &font)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.addText(0, 0, font, text);
    return path;
}

QPainterPath stringPathAlignedInFrame(const QString &text, const QFont &font, int alignment, const QRectF &frame)
{
    QPainterPath path = bezierPathWithString(text, font);
    const QRectF outline = path.boundingRect();
    const QFontMetricsF fm(font);
    const qreal lineHeight = fm.ascent() + fm.descent();
    if (outline.width() <= 0 || lineHeight <= 0 || frame.isEmpty())
        return {};
    const qreal s = std::min(frame.width() / outline.width(), frame.height() / lineHeight);
    // The box from the outline's left edge, one line high from the ascender down.
    const QRectF box(outline.x() * s, -fm.ascent() * s, outline.width() * s, lineHeight * s);
    QPointF shift = frame.center() - box.center();
    if (alignment == AlignRight)
        shift.rx() = frame.right() - box.right();
    else if (alignment == AlignLeft)
        shift.rx() = frame.left() - box.left();
    QTransform t;
    t.translate(shift.x(), shift.y());
    t.scale(s, s);
    return t.map(path);
}

void AKDrawStringAlignedInFrame(QPainter *p, const QString &text, const QFont &font, int alignment,
                                const QRectF &frame)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->fillPath(stringPathAlignedInFrame(text, font, alignment, frame), p->pen().color());
    p->restore();
}

QPainterPath bezierPathWithRoundedRect(const QRectF &r, unsigned corners, qreal radius)
{
    // Runs counter-clockwise as seen on screen from the middle of the bottom edge.
    QPainterPath path;
    const qreal rad = std::min({radius, r.width() / 2, r.height() / 2});
    const qreal d = rad * 2;
    path.moveTo(r.center().x(), r.bottom());
    if (corners & LowerRight)
        path.arcTo(QRectF(r.right() - d, r.bottom() - d, d, d), 270, 90);
    else
        path.lineTo(r.bottomRight());
    path.lineTo(r.right(), r.center().y());
    if (corners & UpperRight)
        path.arcTo(QRectF(r.right() - d, r.top(), d, d), 0, 90);
    else
        path.lineTo(r.topRight());
    path.lineTo(r.center().x(), r.top());
    if (corners & UpperLeft)
        path.arcTo(QRectF(r.left(), r.top(), d, d), 90, 90);
    else
        path.lineTo(r.topLeft());
    path.lineTo(r.left(), r.center().y());
    if (corners & LowerLeft)
        path.arcTo(QRectF(r.left(), r.bottom() - d, d, d), 180, 90);
    else
        path.lineTo(r.bottomLeft());
    return path;
}

namespace {
void boxBlurAlpha(QImage &img, int radius)
{
    if (radius <= 0)
        return;
    const int w = img.width(), h = img.height();
    std::vector<int> tmp(size_t(w) * h);
    for (int pass = 0; pass < 2; ++pass) {
        const bool horizontal = pass == 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum = 0, n = 0;
                for (int k = -radius; k <= radius; ++k) {
                    const int xx = horizontal ? x + k : x, yy = horizontal ? y : y + k;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                        continue;
                    sum += horizontal ? qAlpha(img.pixel(xx, yy)) : tmp[size_t(yy) * w + xx];
                    ++n;
                }
                if (horizontal)
                    tmp[size_t(y) * w + x] = n ? sum / n : 0;
                else
                    img.setPixel(x, y, qRgba(0, 0, 0, n ? sum / n : 0));
            }
        }
        if (horizontal)
            continue;
    }
}
} // namespace

void applyInnerShadow(QPainter *p, const QPainterPath &path, const QColor &color, const QPointF &offset,
                      qreal blurRadius)
{
    const QRectF bounds = path.boundingRect();
    if (bounds.isEmpty())
        return;
    const qreal mx = std::abs(offset.x()) + blurRadius, my = std::abs(offset.y()) + blurRadius;
    const QRectF outset = bounds.adjusted(-mx, -my, mx, my);
    // Bounded so a huge path cannot ask for a huge mask.
    const QSize size(std::min(2048, int(std::ceil(outset.width()))), std::min(2048, int(std::ceil(outset.height()))));
    QImage mask(size, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter mp(&mask);
        mp.setRenderHint(QPainter::Antialiasing);
        mp.translate(-outset.topLeft() + offset);
        QPainterPath ring;
        ring.setFillRule(Qt::OddEvenFill);
        ring.addRect(outset.adjusted(-mx, -my, mx, my));
        ring.addPath(path);
        mp.fillPath(ring, Qt::black);
    }
    boxBlurAlpha(mask, int(std::round(blurRadius / 2)));
    QImage shadow(size, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(color);
    {
        QPainter sp(&shadow);
        sp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        sp.drawImage(0, 0, mask);
    }
    p->save();
    p->setClipPath(path, Qt::IntersectClip);
    p->drawImage(outset.topLeft(), shadow);
    p->restore();
}

QList<QRectF> AFRectDivideEqually(const QRectF &rect, int edge, int count)
{
    count = std::max(1, count);
    const bool alongX = edge == MinX || edge == MaxX;
    const qreal length = (alongX ? rect.width() : rect.height()) / count;
    QRectF first;
    switch (edge) {
    case MinX: first = QRectF(rect.x(), rect.y(), length, rect.height()); break;
    case MaxX: first = QRectF(rect.right() - length, rect.y(), length, rect.height()); break;
    case MinY: first = QRectF(rect.x(), rect.y(), rect.width(), length); break;
    default: first = QRectF(rect.x(), rect.bottom() - length, rect.width(), length); break;
    }
    const qreal step = (edge == MaxX || edge == MaxY) ? -length : length;
    QList<QRectF> out;
    for (int i = 0; i < count; ++i)
        out.append(alongX ? first.translated(step * i, 0) : first.translated(0, step * i));
    return out;
}

} // namespace AFDrawing
