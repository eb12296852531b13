#include "controls/QVTableViewLineCell.h"

#include "controls/TableGeometry.h"

#include <QPainter>

void QVTableViewLineCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const QRectF frame = option.rect;
    p->fillRect(frame.adjusted(0, -1, 0, 1), m_backgroundColor);
    p->fillRect(TableGeometry::lineCellBand(frame), m_backgroundColor);
}
