#include "controls/QVCustomTableItemBottomLineView.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void QVCustomTableItemBottomLineView::drawRowOverlay(QPainter *p, int, const QRect &rect)
{
    p->fillRect(TableGeometry::rowBottomLineRect(rect), lineColor());
}
