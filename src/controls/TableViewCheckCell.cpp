#include "controls/TableViewCheckCell.h"

#include "controls/slices/SlicesManager.h"
#include "controls/TableGeometry.h"

#include <QPainter>

int TableViewCheckCell::hitTest(const QRectF &cellFrame, const QPointF &point) const
{
    if (m_hidden)
        return TableGeometry::HitNone;
    return TableGeometry::checkCellHitTest(cellFrame, point);
}

void TableViewCheckCell::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (m_hidden)
        return;
    const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const QImage image = SlicesManager::defaultManager().sliceNamed(
        on ? QStringLiteral("mainform-462_") : QStringLiteral("mainform-438_"), QStringLiteral("mainform"),
        p->device()->devicePixelRatioF());
    if (image.isNull())
        return;
    const bool enabled = (index.flags() & Qt::ItemIsEnabled) && (option.state & QStyle::State_Enabled);
    p->save();
    p->setOpacity(enabled ? 1.0 : 0.5);
    p->drawImage(TableGeometry::checkCellImageRect(option.rect, pointSize(image)), image);
    p->restore();
}
