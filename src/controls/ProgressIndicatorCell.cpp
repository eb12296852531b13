#include "controls/ProgressIndicatorCell.h"

#include "controls/PopoverGeometry.h"

#include <QPainter>
#include <QtDebug>

#include <algorithm>

void ProgressIndicatorCell::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    if (!(color.alphaF() > 0.999)) {
        qWarning("color must be opaque");
        return;
    }
    m_color = color;
    const QColor rgb = color.toRgb();
    m_red = rgb.redF();
    m_green = rgb.greenF();
    m_blue = rgb.blueF();
}

void ProgressIndicatorCell::setDoubleValue(double value)
{
    if (value == m_doubleValue)
        return;
    m_doubleValue = std::clamp(value, 0.0, 1.0);
}

void ProgressIndicatorCell::setObjectValue(const QVariant &value)
{
    m_spinning = value.typeId() == QMetaType::Bool ? value.toBool() : false;
}

void ProgressIndicatorCell::drawWithFrame(QPainter *p, const QRectF &frame, bool flipped) const
{
    if (!m_spinning && !m_displayedWhenStopped)
        return;
    const PopoverGeometry::SpinnerLayout l = PopoverGeometry::spinnerLayout(frame, m_doubleValue, m_spinning, flipped);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    for (const PopoverGeometry::Spoke &s : l.spokes) {
        QColor c = QColor::fromRgbF(m_red, m_green, m_blue, float(std::max(0.0, s.alpha)));
        p->setPen(QPen(c, l.lineWidth, Qt::SolidLine, Qt::RoundCap));
        p->drawLine(s.inner, s.outer);
    }
    p->restore();
}
