#include "controls/QVCustomTableLineView.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void QVCustomTableLineView::drawRowOverlay(QPainter *p, int row, const QRect &rect)
{
    if (m_drawLine && TableGeometry::oddRowDecorated(row, rowHasValue(row)))
        p->fillRect(TableGeometry::oddRowLineRect(rect), QColor(85, 85, 85));
}
