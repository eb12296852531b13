#include "controls/ControlSlices.h"

#include "controls/slices/SliceAssistant.h"
#include "controls/slices/SlicesManager.h"

namespace ControlSlices {

QImage image(const QString &slice, const QString &sheet)
{
    if (slice.isEmpty())
        return {};
    return SlicesManager::defaultManager().sliceNamed(slice, sheet);
}

QSizeF pointSize(const QImage &img)
{
    if (img.isNull())
        return {};
    return QSizeF(img.width() / img.devicePixelRatio(), img.height() / img.devicePixelRatio());
}

void drawSlice(QPainter *p, const QRectF &frame, const QString &slice, const QString &sheet, int mode)
{
    if (slice.isEmpty())
        return;
    if (mode == 0)
        SliceAssistant::drawScaled(p, frame, slice, sheet);
    else if (mode == 1)
        SliceAssistant::draw3PartImage(p, frame, slice, sheet);
    else
        SliceAssistant::draw9PartImage(p, frame, slice, sheet);
}

void drawHoverSlice(QPainter *p, const QRectF &frame, const QString &slice, const QString &sheet, int mode)
{
    if (slice.isEmpty())
        return;
    if (mode == 1)
        SliceAssistant::draw3PartImage(p, frame, slice, sheet, QPainter::CompositionMode_SourceOver, 1.0, true);
    else if (mode == 2)
        SliceAssistant::draw9PartImage(p, frame, slice, sheet, QPainter::CompositionMode_SourceOver, 1.0, true);
    else
        SliceAssistant::drawScaled(p, frame, slice, sheet);
}

void drawImageAt(QPainter *p, const QPointF &topLeft, const QImage &img)
{
    if (img.isNull())
        return;
    p->drawImage(QRectF(topLeft, pointSize(img)), img);
}

} // namespace ControlSlices
