#include "extension/BrowserPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void drawSafari(QPainter &p, qreal s)
{
    const QPointF c(s / 2, s / 2);
    p.setBrush(QColor(0x1E, 0x88, 0xE5));
    p.drawEllipse(c, s * 0.48, s * 0.48);
    p.setBrush(Qt::white);
    p.drawEllipse(c, s * 0.40, s * 0.40);
    // Tick marks round the dial.
    p.setPen(QPen(QColor(0x90, 0xA4, 0xAE), s * 0.025));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -s * 0.37), QPointF(0, -s * 0.31));
        p.restore();
    }
    p.setPen(Qt::NoPen);
    // The needle: red towards north-east, white towards south-west.
    p.save();
    p.translate(c);
    p.rotate(45);
    QPainterPath north, south;
    north.moveTo(0, -s * 0.33);
    north.lineTo(s * 0.07, 0);
    north.lineTo(-s * 0.07, 0);
    north.closeSubpath();
    south.moveTo(0, s * 0.33);
    south.lineTo(s * 0.07, 0);
    south.lineTo(-s * 0.07, 0);
    south.closeSubpath();
    p.setBrush(QColor(0xE5, 0x39, 0x35));
    p.drawPath(north);
    p.setBrush(QColor(0xCF, 0xD8, 0xDC));
    p.drawPath(south);
    p.restore();
}

void drawChromium(QPainter &p, qreal s)
{
    const QRectF outer(s * 0.02, s * 0.02, s * 0.96, s * 0.96);
    const QColor parts[] = {QColor(0xDB, 0x44, 0x37), QColor(0x0F, 0x9D, 0x58), QColor(0xF4, 0xB4, 0x00)};
    // Three 120-degree parts, the first from the top going round.
    for (int i = 0; i < 3; ++i) {
        p.setBrush(parts[i]);
        p.drawPie(outer, (90 + 30 - i * 120) * 16, -120 * 16);
    }
    const QPointF c(s / 2, s / 2);
    p.setBrush(Qt::white);
    p.drawEllipse(c, s * 0.23, s * 0.23);
    p.setBrush(QColor(0x42, 0x85, 0xF4));
    p.drawEllipse(c, s * 0.18, s * 0.18);
}

void drawFirefox(QPainter &p, qreal s)
{
    const QPointF c(s / 2, s / 2);
    p.setBrush(QColor(0x59, 0x2A, 0xCB));
    p.drawEllipse(c, s * 0.46, s * 0.46);
    // The crescent wraps the globe from the left round the bottom.
    QPainterPath ring;
    ring.addEllipse(c, s * 0.48, s * 0.48);
    QPainterPath bite;
    bite.addEllipse(QPointF(s * 0.60, s * 0.40), s * 0.36, s * 0.36);
    QLinearGradient fire(QPointF(0, 0), QPointF(0, s));
    fire.setColorAt(0, QColor(0xFF, 0xBD, 0x4F));
    fire.setColorAt(1, QColor(0xFF, 0x45, 0x3A));
    p.setBrush(fire);
    p.drawPath(ring.subtracted(bite));
    // A tail tip over the top right.
    QPainterPath tip;
    tip.moveTo(s * 0.58, s * 0.06);
    tip.quadTo(s * 0.92, s * 0.12, s * 0.95, s * 0.45);
    tip.quadTo(s * 0.80, s * 0.22, s * 0.58, s * 0.06);
    p.drawPath(tip);
}

} // namespace

QImage BrowserPictures::picture(Browser browser, int side, bool available, qreal devicePixelRatio)
{
    const int px = qMax(1, qRound(side * devicePixelRatio));
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.scale(devicePixelRatio, devicePixelRatio);
        switch (browser) {
        case Safari:
            drawSafari(p, side);
            break;
        case Chrome:
            drawChromium(p, side);
            break;
        case Firefox:
            drawFirefox(p, side);
            break;
        }
    }
    if (!available) {
        // Grey and faint: the browser is not on this system.
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb colour = qUnpremultiply(line[x]);
                const int a = qAlpha(colour);
                const int g = qGray(colour);
                const int faded = a * 45 / 100;
                line[x] = qPremultiply(qRgba(g, g, g, faded));
            }
        }
    }
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}
