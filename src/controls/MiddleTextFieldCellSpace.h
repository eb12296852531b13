#pragma once

#include "controls/MiddleTextFieldCell.h"

// A middle text cell with 20 points of space at the left.
class MiddleTextFieldCellSpace : public MiddleTextFieldCell
{
    Q_OBJECT
public:
    using MiddleTextFieldCell::MiddleTextFieldCell;
    QRectF titleRect(const QRectF &bounds) const override;
};
