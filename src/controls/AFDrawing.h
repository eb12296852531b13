#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

// Drawing additions: text as outlines scaled into a frame, rounded rectangles with chosen
// corners, inner shadows and equal division of a rectangle.
namespace AFDrawing {

enum Corner { LowerLeft = 1, LowerRight = 2, UpperLeft = 4, UpperRight = 8 };
enum Edge { MinX = 0, MinY = 1, MaxX = 2, MaxY = 3 };
enum Alignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2, AlignJustified = 3 };

// Glyph outlines of one line of text with the baseline at y 0 (Qt coordinates).
QPainterPath bezierPathWithString(const QString &text, const QFont &font);
// The outline placed in the frame: scaled to fill the height or the width, whichever comes
// first, centred, then pushed to the left or right edge for those alignments.
QPainterPath stringPathAlignedInFrame(const QString &text, const QFont &font, int alignment, const QRectF &frame);
void AKDrawStringAlignedInFrame(QPainter *p, const QString &text, const QFont &font, int alignment,
                                const QRectF &frame);

// Rounded corners where the mask has a bit (as seen on screen: LowerLeft is the bottom-left).
QPainterPath bezierPathWithRoundedRect(const QRectF &rect, unsigned corners, qreal radius);

// Shadow inside the path, as if the path were a hole under a light at the offset.
void applyInnerShadow(QPainter *p, const QPainterPath &path, const QColor &color, const QPointF &offset,
                      qreal blurRadius);

// count slices of equal length cut from the edge, in the classic y-up coordinates. Slices cut
// from a max edge follow towards smaller coordinates so all of them stay inside the rectangle.
QList<QRectF> AFRectDivideEqually(const QRectF &rect, int edge, int count);

} // namespace AFDrawing
