#include "controls/AFGradientCell.h"

#include "controls/AFDrawing.h"

#include <QLinearGradient>
#include <QPainter>

void AFGradientCell::drawWithFrame(QPainter *p, const QRectF &frame, bool highlighted, bool enabled,
                                   const QString &title, const QFont &font) const
{
    p->save();
    if (!enabled)
        p->setOpacity(0.5);
    const QRectF inset = frame.adjusted(4, 4, -4, -4);
    // A white edge two points under the button, without blur.
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(Qt::white);
    p->drawRoundedRect(inset.translated(0, 2), cornerRadius, cornerRadius);
    drawBezelWithFrame(p, inset, highlighted);
    drawInteriorWithFrame(p, inset, title, font);
    p->restore();
}

void AFGradientCell::drawBezelWithFrame(QPainter *p, const QRectF &frame, bool highlighted) const
{
    QLinearGradient g(frame.topLeft(), frame.bottomLeft());
    const QColor light = QColor::fromRgbF(0.988f, 0.988f, 0.988f), dark = QColor::fromRgbF(0.839f, 0.839f, 0.839f);
    g.setColorAt(0, highlighted ? dark : light);
    g.setColorAt(1, highlighted ? light : dark);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setBrush(g);
    p->setPen(QPen(QColor(128, 128, 128), 1));
    p->drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    p->restore();
}

QRectF AFGradientCell::interiorTitleFrame(const QRectF &frame)
{
    const qreal dy = frame.height() / 6;
    return frame.adjusted(0, dy, 0, -dy);
}

void AFGradientCell::drawInteriorWithFrame(QPainter *p, const QRectF &frame, const QString &title,
                                           const QFont &font) const
{
    if (title.isEmpty())
        return;
    p->save();
    p->setPen(QColor::fromRgbF(0.2f, 0.2f, 0.2f));
    AFDrawing::AKDrawStringAlignedInFrame(p, title, font, AFDrawing::AlignCenter, interiorTitleFrame(frame));
    p->restore();
}
