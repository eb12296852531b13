#pragma once

#include "controls/TableCellDelegate.h"

// A cell that draws no text: its background colour over the frame grown by one point above and
// below, and a one-point band across its middle (seen only when the colour is translucent).
class QVTableViewLineCell : public TableCellDelegate
{
    Q_OBJECT
public:
    using TableCellDelegate::TableCellDelegate;

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &c) { m_backgroundColor = c; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QColor m_backgroundColor = Qt::white;
};

// The transfer list's line cell draws the same.
using TGLineCell = QVTableViewLineCell;
