#include "controls/slices/SliceAssistant.h"

#include "controls/slices/SlicesManager.h"

#include <QImage>
#include <QPaintDevice>

namespace {

// Shrinks two caps in proportion when they do not fit into the length.
std::pair<qreal, qreal> fitCaps(qreal a, qreal b, qreal length)
{
    if (a + b <= length || a + b <= 0)
        return {a, b};
    const qreal f = length / (a + b);
    return {a * f, b * f};
}

qreal deviceRatio(QPainter *painter)
{
    QPaintDevice *d = painter ? painter->device() : nullptr;
    return d ? d->devicePixelRatioF() : 1.0;
}

} // namespace

QMarginsF SliceAssistant::defaultCaps(const QSizeF &slice, bool ninePart)
{
    const qreal h = std::max<qreal>(0, std::floor((slice.width() - 1) / 2));
    const qreal v = ninePart ? std::max<qreal>(0, std::floor((slice.height() - 1) / 2)) : 0;
    return QMarginsF(h, v, h, v);
}

QList<SliceTile> SliceAssistant::threePartTiles(const QSizeF &slice, const QMarginsF &caps, const QRectF &frame)
{
    QList<SliceTile> out;
    if (slice.isEmpty() || frame.isEmpty())
        return out;
    const qreal sl = caps.left(), sr = caps.right();
    const auto [tl, tr] = fitCaps(sl, sr, frame.width());
    const qreal mid = slice.width() - sl - sr;
    const qreal h = slice.height();
    out.append({QRectF(0, 0, sl, h), QRectF(frame.left(), frame.top(), tl, frame.height())});
    if (mid > 0 && frame.width() - tl - tr > 0)
        out.append({QRectF(sl, 0, mid, h), QRectF(frame.left() + tl, frame.top(), frame.width() - tl - tr, frame.height())});
    out.append({QRectF(slice.width() - sr, 0, sr, h), QRectF(frame.right() - tr, frame.top(), tr, frame.height())});
    out.removeIf([](const SliceTile &p) { return p.source.isEmpty() || p.target.isEmpty(); });
    return out;
}

QList<SliceTile> SliceAssistant::ninePartTiles(const QSizeF &slice, const QMarginsF &caps, const QRectF &frame)
{
    QList<SliceTile> out;
    if (slice.isEmpty() || frame.isEmpty())
        return out;
    const auto [tl, tr] = fitCaps(caps.left(), caps.right(), frame.width());
    const auto [tt, tb] = fitCaps(caps.top(), caps.bottom(), frame.height());
    const qreal sx[4] = {0, caps.left(), slice.width() - caps.right(), slice.width()};
    const qreal sy[4] = {0, caps.top(), slice.height() - caps.bottom(), slice.height()};
    const qreal tx[4] = {frame.left(), frame.left() + tl, frame.right() - tr, frame.right()};
    const qreal ty[4] = {frame.top(), frame.top() + tt, frame.bottom() - tb, frame.bottom()};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRectF s(QPointF(sx[col], sy[row]), QPointF(sx[col + 1], sy[row + 1]));
            const QRectF t(QPointF(tx[col], ty[row]), QPointF(tx[col + 1], ty[row + 1]));
            if (s.width() > 0 && s.height() > 0 && t.width() > 0 && t.height() > 0)
                out.append({s, t});
        }
    }
    return out;
}

void SliceAssistant::drawTiles(QPainter *painter, const QImage &image, const QList<SliceTile> &tiles,
                                QPainter::CompositionMode mode, qreal alpha)
{
    if (!painter || image.isNull())
        return;
    const qreal ratio = image.devicePixelRatio();
    painter->save();
    painter->setCompositionMode(mode);
    painter->setOpacity(painter->opacity() * alpha);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    for (const SliceTile &p : tiles) {
        const QRectF src(p.source.x() * ratio, p.source.y() * ratio, p.source.width() * ratio,
                         p.source.height() * ratio);
        painter->drawImage(p.target, image, src);
    }
    painter->restore();
}

void SliceAssistant::draw3PartImage(QPainter *painter, const QRectF &frame, const QString &slice,
                                    const QString &sheet, QPainter::CompositionMode mode, qreal alpha, bool)
{
    auto &m = SlicesManager::defaultManager();
    const SliceInfo info = m.sliceInfo(slice, sheet);
    if (!info.isValid())
        return;
    QMarginsF caps = info.caps;
    if (caps.left() == 0 && caps.right() == 0)
        caps = defaultCaps(info.rect.size(), false);
    const QImage image = m.sliceNamed(slice, sheet, deviceRatio(painter));
    drawTiles(painter, image, threePartTiles(info.rect.size(), caps, frame), mode, alpha);
}

void SliceAssistant::draw9PartImage(QPainter *painter, const QRectF &frame, const QString &slice,
                                    const QString &sheet, QPainter::CompositionMode mode, qreal alpha, bool)
{
    auto &m = SlicesManager::defaultManager();
    const SliceInfo info = m.sliceInfo(slice, sheet);
    if (!info.isValid())
        return;
    QMarginsF caps = info.caps;
    if (caps.isNull())
        caps = defaultCaps(info.rect.size(), true);
    const QImage image = m.sliceNamed(slice, sheet, deviceRatio(painter));
    drawTiles(painter, image, ninePartTiles(info.rect.size(), caps, frame), mode, alpha);
}

void SliceAssistant::drawScaled(QPainter *painter, const QRectF &frame, const QString &slice,
                                const QString &sheet, QPainter::CompositionMode mode, qreal alpha)
{
    auto &m = SlicesManager::defaultManager();
    const SliceInfo info = m.sliceInfo(slice, sheet);
    if (!info.isValid() || frame.isEmpty())
        return;
    const QImage image = m.sliceNamed(slice, sheet, deviceRatio(painter) * std::max(1.0, frame.width() / info.rect.width()));
    drawTiles(painter, image, {{QRectF(QPointF(0, 0), info.rect.size()), frame}}, mode, alpha);
}
