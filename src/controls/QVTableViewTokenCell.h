#pragma once

#include "controls/MiddleTextFieldCell.h"

// The text on a rounded token at least 50 points wide and 18 high.
class QVTableViewTokenCell : public MiddleTextFieldCell
{
    Q_OBJECT
public:
    using MiddleTextFieldCell::MiddleTextFieldCell;

    static QColor tokenColor(bool highlighted)
    {
        return highlighted ? QColor(140, 175, 234) : QColor(169, 164, 225);
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
