#include "controls/BordBackgroundView.h"

#include "controls/ControlGeometry.h"

#include <QPainter>

void BordBackgroundView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(ControlGeometry::toQt(QRectF(0, height() - 1, width(), 1), height()), QColor(181, 181, 181));
}
