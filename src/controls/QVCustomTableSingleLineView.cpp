#include "controls/QVCustomTableSingleLineView.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void QVCustomTableSingleLineView::drawRowBackground(QPainter *p, int row, const QRect &rect, bool selected)
{
    if (!selected && TableGeometry::oddRowDecorated(row, rowHasValue(row)))
        p->fillRect(rect, oddRowColor());
}
