#include "controls/MiddleTextFieldCellSpace.h"

#include "controls/TableGeometry.h"

QRectF MiddleTextFieldCellSpace::titleRect(const QRectF &bounds) const
{
    return TableGeometry::middleTextSpaceTitleRect(MiddleTextFieldCell::titleRect(bounds));
}
