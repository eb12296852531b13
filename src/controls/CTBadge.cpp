#include "controls/CTBadge.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/TableGeometry.h"
#include "controls/slices/SlicesManager.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>

#include <cmath>

namespace {

const QString Sheet = QStringLiteral("TableArt");

QImage blank(const QSizeF &points, qreal dpr)
{
    const QSize px(std::max(1, int(std::ceil(points.width() * dpr))), std::max(1, int(std::ceil(points.height() * dpr))));
    QImage img(px, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    return img;
}

// A box blur of the alpha channel, three passes, for the badge's soft shadow.
QImage shadowOf(const QImage &source, qreal radiusPoints, const QColor &color)
{
    QImage alpha = source.convertToFormat(QImage::Format_Alpha8);
    const int r = std::max(1, int(std::round(radiusPoints * source.devicePixelRatio() / 2)));
    const int w = alpha.width(), h = alpha.height();
    QList<int> line;
    for (int pass = 0; pass < 3; ++pass) {
        for (int horizontal = 0; horizontal < 2; ++horizontal) {
            const int n = horizontal ? w : h, lines = horizontal ? h : w;
            line.resize(n);
            for (int l = 0; l < lines; ++l) {
                auto at = [&](int i) -> uchar & {
                    return horizontal ? alpha.scanLine(l)[i] : alpha.scanLine(i)[l];
                };
                for (int i = 0; i < n; ++i)
                    line[i] = at(i);
                int sum = 0;
                for (int i = -r; i <= r; ++i)
                    sum += (i >= 0 && i < n) ? line[i] : 0;
                for (int i = 0; i < n; ++i) {
                    at(i) = uchar(sum / (2 * r + 1));
                    const int out = i - r, in = i + r + 1;
                    sum += (in < n ? line[in] : 0) - (out >= 0 ? line[out] : 0);
                }
            }
        }
    }
    QImage shadow(source.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.setDevicePixelRatio(source.devicePixelRatio());
    shadow.fill(Qt::transparent);
    for (int y = 0; y < h; ++y) {
        auto *dst = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        const uchar *a = alpha.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const int alphaValue = a[x] * color.alpha() / 255;
            dst[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(), alphaValue));
        }
    }
    return shadow;
}

// A linear gradient across a rectangle at an angle in degrees, counter-clockwise from the x axis
// with y up, given in Qt's top-down coordinates.
QLinearGradient gradientAt(const QRectF &r, qreal angle, const QGradientStops &stops)
{
    const qreal a = qDegreesToRadians(angle);
    const QPointF d(std::cos(a), -std::sin(a));
    const qreal half = (std::abs(r.width() * d.x()) + std::abs(r.height() * d.y())) / 2;
    QLinearGradient g(r.center() - d * half, r.center() + d * half);
    g.setStops(stops);
    return g;
}

} // namespace

CTBadge::CTBadge() : m_badgeColor(255, 81, 78), m_labelColor(Qt::white) {}

CTBadge::CTBadge(const QColor &badgeColor, const QColor &labelColor) : m_badgeColor(badgeColor), m_labelColor(labelColor) {}

QString CTBadge::stringForValue(quint32 value) { return TableGeometry::badgeStringForValue(value); }

CTBadge::Label CTBadge::labelForString(const QString &text, unsigned fontSize) const
{
    Label label;
    label.text = TableGeometry::badgeLabelText(text);
    label.font = QApplication::font();
    if (fontSize > 11)
        label.font.setFamilies({QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    label.font.setBold(true);
    label.font.setPixelSize(int(std::max(1u, fontSize)));
    label.color = m_labelColor;
    return label;
}

QImage CTBadge::badgeMaskOfSize(qreal size, int length)
{
    const QString name = QStringLiteral("CTBadge_%1").arg(TableGeometry::badgeMaskNumber(length));
    const SliceInfo info = SlicesManager::defaultManager().sliceInfo(name, Sheet);
    if (!info.isValid())
        return {};
    const QSizeF points = TableGeometry::badgeMaskSize(info.rect.size(), size);
    const qreal dpr = std::max<qreal>(1, SlicesManager::screenDevicePixelRatio());
    // Rendered at the wanted height from the vector art, so a large mask stays crisp.
    const qreal scale = points.height() / info.rect.height();
    QImage mask = SlicesManager::defaultManager().sliceNamed(name, Sheet, dpr * scale);
    mask.setDevicePixelRatio(dpr);
    return mask;
}

QGradientStops CTBadge::badgeGradient() const
{
    const QColor shaded = QColor::fromRgbF(m_badgeColor.redF() * 2 / 3, m_badgeColor.greenF() * 2 / 3,
                                           m_badgeColor.blueF() * 2 / 3, m_badgeColor.alphaF());
    return {{0.0, m_badgeColor}, {1.0 / 3, m_badgeColor}, {1.0, shaded}};
}

QImage CTBadge::badgeOfSize(qreal size, const QString &text, qreal dpr) const
{
    const QString shown = TableGeometry::badgeLabelText(text);
    const QImage mask = badgeMaskOfSize(size > 0 ? size : 1, int(shown.size()));
    const QSizeF maskSize = mask.isNull() ? QSizeF(size, size) : ControlSlices::pointSize(mask);
    const TableGeometry::BadgeMetrics m = TableGeometry::badgeMetrics(size, maskSize, int(shown.size()));
    if (dpr <= 0)
        dpr = std::max<qreal>(1, SlicesManager::screenDevicePixelRatio());
    const qreal H = m.canvas.height();
    QImage canvas = blank(m.canvas, dpr);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF g = ControlGeometry::toQt(m.gradient, H);
        p.fillRect(g, gradientAt(g, m.gradientAngle, badgeGradient()));
        if (!mask.isNull()) {
            p.setCompositionMode(QPainter::CompositionMode_DestinationAtop);
            p.drawImage(ControlGeometry::toQt(QRectF(m.maskOrigin, maskSize), H), mask);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        const Label label = labelForString(text, unsigned(m.fontSize));
        const QFontMetricsF fm(label.font);
        const QSizeF labelSize(fm.horizontalAdvance(label.text), fm.height());
        const QRectF lr = ControlGeometry::toQt(TableGeometry::badgeLabelRect(m, maskSize, labelSize), H);
        p.setFont(label.font);
        p.setPen(label.color);
        p.drawText(QRectF(lr.x(), lr.y(), labelSize.width(), lr.height()), Qt::AlignLeft | Qt::AlignTop, label.text);
    }
    QImage out = blank(m.canvas, dpr);
    QPainter p(&out);
    const QImage shadow = shadowOf(canvas, m.blur, QColor(0, 0, 0, int(m.shadowAlpha * 255)));
    p.drawImage(QPointF(0, m.shadowOffset), shadow);  // y-up offset (0, -offset) points down
    p.drawImage(QPointF(0, 0), canvas);
    return out;
}

QImage CTBadge::badgeOverlayImageForString(const QString &text, qreal dx, qreal dy) const
{
    const qreal dpr = std::max<qreal>(1, SlicesManager::screenDevicePixelRatio());
    QImage out = blank(QSizeF(128, 128), dpr);
    const QImage badge = largeBadgeForString(text);
    const QSizeF b = ControlSlices::pointSize(badge);
    // (128 - dx - w, 128 - dy - h) with y up is (128 - dx - w, dy) from the top.
    QPainter p(&out);
    p.drawImage(ControlGeometry::toQt(QRectF(QPointF(128 - dx - b.width(), 128 - dy - b.height()), b), 128), badge);
    return out;
}

void CTBadge::badgeApplicationDockIconWithString(const QString &text, qreal dx, qreal dy) const
{
    QImage overlay = badgeOverlayImageForString(text, dx, dy);
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        QPainter p(&overlay);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        p.drawPixmap(QRectF(0, 0, 128, 128), icon.pixmap(QSize(128, 128)), QRectF());
    }
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(overlay)));
}
