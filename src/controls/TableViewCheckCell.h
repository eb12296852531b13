#pragma once

#include "controls/TableCellDelegate.h"

// A check box in a table column, drawn from the slices "mainform-462_" (on) and "mainform-438_"
// (off). Its state is the index's check state; a hit inside the cell carries the check-box flag,
// with which QVCustomTableView toggles the row in a multiple selection.
class TableViewCheckCell : public TableCellDelegate
{
    Q_OBJECT
public:
    using TableCellDelegate::TableCellDelegate;

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    // TableGeometry::CellHit flags; a hidden cell is never hit.
    int hitTest(const QRectF &cellFrame, const QPointF &point) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    bool m_hidden = false;
};
