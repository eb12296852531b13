#pragma once

#include "recording/CropGeometry.h"

#include <QPointer>
#include <QWidget>

// The rectangle editor of the region recorder: a dashed frame with eight handles and a move
// block over the whole screen. Dragging a handle resizes, dragging the bar or the block moves;
// the rectangle stays on the screen and no smaller than the minimum.
class SRCropView : public QWidget
{
    Q_OBJECT
public:
    explicit SRCropView(QWidget *parent = nullptr);

    // The screen in this view's coordinates; the rectangle is kept inside it.
    void setScreenFrame(const QRectF &screen);
    QRectF screenFrame() const { return m_screenFrame; }
    QRectF cropFrame() const { return m_cropFrame; }
    void setCropFrame(const QRectF &frame);
    // The bar of controls placed at the rectangle's top-left corner, inside it.
    void setCropBar(QWidget *bar);
    CropGeometry::Part grabbedPart() const { return m_mousePos; }
    // What this view draws over the screen (the frame, the handles, the bar and the move
    // block), in its own coordinates: the rest of the screen shows through.
    QRegion paintedRegion() const;

    static constexpr QSizeF moveBlockSize{56, 56};

signals:
    void cropFrameChanged(const QRectF &frame);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateCursor(const QPointF &at);
    void drawMoveBlock(QPainter &p, const QRectF &block) const;

    QPointF m_downPoint;
    QRectF m_oldFrame;
    CropGeometry::Part m_mousePos = CropGeometry::None;
    QRectF m_cropFrame;
    QRectF m_screenFrame;
    QPointer<QWidget> m_cropBar;
};
