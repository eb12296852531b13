#include "controls/SplitBackgroundView.h"

#include "controls/ControlGeometry.h"

#include <QPainter>

SplitBackgroundView::SplitBackgroundView(QWidget *parent) : QWidget(parent) {}

void SplitBackgroundView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF strip(0, 0, width(), std::min<qreal>(m_splitValue, height()));
    p.fillRect(ControlGeometry::toQt(strip, height()), Qt::white);
}
