#include "controls/WhiteBackgroundView.h"

#include "controls/ControlGeometry.h"

#include <QPainter>

WhiteBackgroundView::WhiteBackgroundView(QWidget *parent) : QWidget(parent) {}

void WhiteBackgroundView::setBgColor(const std::optional<QColor> &c)
{
    m_bgColor = c;
    update();
}

void WhiteBackgroundView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF up = ControlGeometry::whiteBackgroundFillRect(QRectF(rect()), m_topBlack);
    p.fillRect(ControlGeometry::toQt(up, height()), m_bgColor.value_or(QColor(Qt::white)));
}
