#pragma once

#include <QList>
#include <QMarginsF>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

class QImage;

// Where the tiles of a three- or nine-part slice go: each pair is (source rectangle in the
// slice's points, target rectangle in the frame).
struct SliceTile
{
    QRectF source;
    QRectF target;
};

// Three-part (fixed ends, stretched middle) and nine-part (fixed corners, stretched edges and
// centre) drawing of named slices on a QPainter. Drawing never changes the slice image.
class SliceAssistant
{
public:
    // flip is accepted for callers that pass it; Qt draws images upright in any case.
    static void draw3PartImage(QPainter *painter, const QRectF &frame, const QString &slice,
                               const QString &sheet,
                               QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver,
                               qreal alpha = 1.0, bool flip = false);
    static void draw9PartImage(QPainter *painter, const QRectF &frame, const QString &slice,
                               const QString &sheet,
                               QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver,
                               qreal alpha = 1.0, bool flip = false);
    // The whole slice scaled into the frame.
    static void drawScaled(QPainter *painter, const QRectF &frame, const QString &slice,
                           const QString &sheet,
                           QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver,
                           qreal alpha = 1.0);
    static void drawTiles(QPainter *painter, const QImage &image, const QList<SliceTile> &tiles,
                           QPainter::CompositionMode mode, qreal alpha);

    // Pure geometry. Caps larger than the frame shrink in proportion so the ends never overlap.
    static QList<SliceTile> threePartTiles(const QSizeF &slice, const QMarginsF &caps, const QRectF &frame);
    static QList<SliceTile> ninePartTiles(const QSizeF &slice, const QMarginsF &caps, const QRectF &frame);
    // Caps used when the sheet gives none: half the slice less one point per side.
    static QMarginsF defaultCaps(const QSizeF &slice, bool ninePart);
};
