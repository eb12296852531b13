#include "controls/ATBorderView.h"

#include "controls/ControlLog.h"

#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <cmath>

ATBorderView::ATBorderView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

QPainterPath ATBorderView::bubblePath(const QSizeF &size)
{
    // Written bottom-up, then mirrored into top-down coordinates.
    const qreal w = size.width(), h = size.height();
    QPainterPath up;
    up.addRoundedRect(QRectF(0, 15, w, h - 15), 10, 10);
    const qreal x0 = std::floor(w / 2 - 15);
    QPolygonF pointer({QPointF(x0, 15), QPointF(x0 + 15, 0), QPointF(x0 + 30, 15)});
    up.addPolygon(pointer);
    up.closeSubpath();
    up.setFillRule(Qt::WindingFill);
    QTransform flip(1, 0, 0, -1, 0, h);
    return flip.map(up);
}

void ATBorderView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(bubblePath(size()), Qt::white);
}

void ATBorderView::wheelEvent(QWheelEvent *event)
{
    ControlLog::info(QStringLiteral("scroll wheel %1,%2").arg(event->angleDelta().x()).arg(event->angleDelta().y()));
    event->accept();
}
