#pragma once

#include <QRectF>
#include <QSize>

struct IM_EncodeParamEx;

// The arithmetic of the region recorder, kept apart from its windows so it can be checked
// case by case. Rectangles are in screen points, top-left origin.
class CropGeometry
{
public:
    // What a press grabbed: a handle, the whole rectangle, or nothing.
    enum Part {
        None = 0,
        TopLeft = 1,
        Top = 2,
        TopRight = 3,
        Left = 4,
        Right = 5,
        BottomLeft = 6,
        Bottom = 7,
        BottomRight = 8,
        Whole = 9,
    };

    static constexpr qreal handleSize = 15;
    static constexpr qreal barWidth = 545;  // the press area of the bar above the rectangle
    static constexpr qreal barHeight = 40;
    static constexpr QSizeF minimumSize{480, 272};
    static constexpr int maxPixelWidth = 4096;
    static constexpr int maxPixelHeight = 2160;

    // The first rectangle: 640×360 on a screen narrower than 1680, else 854×480, 150 points in
    // from the left and 150 up from the bottom.
    static QRectF initialRect(const QRectF &screen);

    // Corners first, then edges, then the bar and the move block; the first that holds the
    // point wins where they overlap.
    static Part hitTest(const QRectF &crop, const QPointF &p, const QSizeF &moveBlock);

    // The rectangle after dragging the grabbed part by delta from where it was at the press:
    // never smaller than the minimum (or the screen, when that is smaller) nor off the screen.
    static QRectF drag(Part part, const QRectF &atPress, const QPointF &delta, const QRectF &screen);

    // The capture size in pixels: points times the scale, scaled down to fit 4096×2160 (the
    // side that limits is set exactly), then made even, which encoders require.
    static QSize pixelSize(const QSizeF &points, qreal scale);
    static QSize evenSize(const QSize &pixels);

    // Video bit rate in kbit/s for a picture of the given pixels: the table entry whose pixel
    // count is nearest, the smaller entry on a tie.
    static int videoBitRateKbps(const QSize &pixels);

    // The encoder block sent to the capture tool.
    static IM_EncodeParamEx encodeBlock(const QSize &pixels);
};
