#include "controls/CustomBox.h"

#include "controls/ControlGeometry.h"

#include <QPainter>

CustomBox::CustomBox(QWidget *parent) : QWidget(parent) {}

void CustomBox::setBackgroundColor(const std::optional<QColor> &c)
{
    m_backgroundColor = c;
    update();
}

void CustomBox::setTopLineColor(const std::optional<QColor> &c)
{
    m_topLineColor = c;
    update();
}

void CustomBox::paintEvent(QPaintEvent *)
{
    using namespace ControlGeometry;
    QPainter p(this);
    const qreal h = height();
    const QRectF b(0, 0, width(), h);
    const QColor fill = m_backgroundColor.value_or(QColor(45, 190, 95));
    if (m_boundsToMask == 0) {
        p.fillRect(b, fill);
        return;
    }
    m_cornerRadius = effectiveCornerRadius(m_cornerRadius);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(b, m_cornerRadius, m_cornerRadius);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(toQt(squaredCornerRect(b, m_boundsToMask, m_cornerRadius), h), fill);
    if (m_topLineColor)
        p.fillRect(toQt(topLineRect(b), h), *m_topLineColor);
}
