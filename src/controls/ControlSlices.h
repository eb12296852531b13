#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

// Slice lookups and drawing shared by the controls. Images come from the slice registry at the
// screen's pixel ratio; drawing never changes an image it is given.
namespace ControlSlices {

inline const QString MainSheet = QStringLiteral("mainform");

QImage image(const QString &slice, const QString &sheet = MainSheet);
// An image's size in points (its pixel size over its pixel ratio).
QSizeF pointSize(const QImage &image);
// Draws a slice by draw mode: 0 scaled into the frame, 1 three-part, 2 (and others) nine-part.
// zeroScaledOthersNine chooses the fall-back for modes other than 0/1 (nine-part) or draws
// nothing for them (the hover cell scales for anything but 1 and 2).
void drawSlice(QPainter *p, const QRectF &frame, const QString &slice, const QString &sheet, int mode);
void drawHoverSlice(QPainter *p, const QRectF &frame, const QString &slice, const QString &sheet, int mode);
// Draws an image at its own point size with its top-left corner at the point.
void drawImageAt(QPainter *p, const QPointF &topLeft, const QImage &image);

} // namespace ControlSlices
