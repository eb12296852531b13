#include "recording/SRCropView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

SRCropView::SRCropView(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
}

void SRCropView::setScreenFrame(const QRectF &screen)
{
    m_screenFrame = screen;
    if (m_cropFrame.isNull())
        setCropFrame(CropGeometry::initialRect(screen));
}

void SRCropView::setCropFrame(const QRectF &frame)
{
    m_cropFrame = frame;
    if (m_cropBar)
        m_cropBar->move(frame.topLeft().toPoint());
    update();
    emit cropFrameChanged(frame);
}

void SRCropView::setCropBar(QWidget *bar)
{
    m_cropBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->move(m_cropFrame.topLeft().toPoint());
        bar->raise();
    }
}

QRegion SRCropView::paintedRegion() const
{
    const QRectF f = m_cropFrame;
    if (f.isEmpty())
        return {};
    // The dashed frame lies outside the rectangle, 5 points wide; a point more for its
    // smoothed edge.
    QRegion painted = QRegion(f.adjusted(-6, -6, 6, 6).toAlignedRect()).subtracted(QRegion(f.toAlignedRect()));
    for (const QPointF &at : {f.topLeft(), QPointF(f.center().x(), f.top()), f.topRight(), QPointF(f.left(), f.center().y()),
                              QPointF(f.right(), f.center().y()), f.bottomLeft(), QPointF(f.center().x(), f.bottom()), f.bottomRight()})
        painted += QRectF(at - QPointF(6, 6), QSizeF(12, 12)).toAlignedRect();
    painted += QRectF(f.topLeft(), QSizeF(std::min<qreal>(450, f.width()), 40)).toAlignedRect();
    if (m_cropBar)
        painted += m_cropBar->geometry();
    QRectF block(QPointF(), moveBlockSize);
    block.moveCenter(f.center());
    painted += block.toAlignedRect();
    return painted.intersected(rect());
}

void SRCropView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // Dim the screen outside the rectangle so the region stands out.
    QPainterPath outside;
    outside.addRect(QRectF(rect()));
    outside.addRect(m_cropFrame);
    outside.setFillRule(Qt::OddEvenFill);
    p.fillPath(outside, QColor(0, 0, 0, 80));

    QPen dash(QColor(0xE5, 0x2B, 0x2B), 5);
    dash.setDashPattern({20.0 / 5, 3.0 / 5});  // Qt counts dashes in pen widths
    dash.setCapStyle(Qt::FlatCap);
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_cropFrame.adjusted(-2.5, -2.5, 2.5, 2.5));

    p.fillRect(QRectF(m_cropFrame.topLeft(), QSizeF(std::min<qreal>(450, m_cropFrame.width()), 40)), Qt::black);

    // Marks where the handles are; the grab areas themselves are wider.
    const QRectF f = m_cropFrame;
    p.setPen(QPen(QColor(0xE5, 0x2B, 0x2B), 1.5));
    p.setBrush(Qt::white);
    for (const QPointF &at : {f.topLeft(), QPointF(f.center().x(), f.top()), f.topRight(),
                              QPointF(f.left(), f.center().y()), QPointF(f.right(), f.center().y()),
                              f.bottomLeft(), QPointF(f.center().x(), f.bottom()), f.bottomRight()})
        p.drawRect(QRectF(at - QPointF(4, 4), QSizeF(8, 8)));

    QRectF block(QPointF(), moveBlockSize);
    block.moveCenter(m_cropFrame.center());
    drawMoveBlock(p, block);
}

void SRCropView::drawMoveBlock(QPainter &p, const QRectF &b) const
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(b, 10, 10);
    // Four arrows out of the centre: the rectangle moves in any direction.
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF c = b.center();
    const qreal r = b.width() / 2 - 12, head = 6;
    for (const QPointF &dir : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)}) {
        const QPointF tip = c + dir * r;
        p.drawLine(c, tip);
        const QPointF side(dir.y(), dir.x());
        p.drawLine(tip, tip - dir * head + side * head);
        p.drawLine(tip, tip - dir * head - side * head);
    }
    p.restore();
}

void SRCropView::mousePressEvent(QMouseEvent *event)
{
    m_downPoint = event->globalPosition();
    m_oldFrame = m_cropFrame;
    m_mousePos = CropGeometry::hitTest(m_cropFrame, event->position(), moveBlockSize);
}

void SRCropView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_mousePos == CropGeometry::None) {
        updateCursor(event->position());
        return;
    }
    const QPointF delta = event->globalPosition() - m_downPoint;
    setCropFrame(CropGeometry::drag(m_mousePos, m_oldFrame, delta, m_screenFrame));
}

void SRCropView::mouseReleaseEvent(QMouseEvent *event)
{
    m_mousePos = CropGeometry::None;
    updateCursor(event->position());
}

void SRCropView::updateCursor(const QPointF &at)
{
    using G = CropGeometry;
    switch (G::hitTest(m_cropFrame, at, moveBlockSize)) {
    case G::TopLeft:
    case G::BottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case G::TopRight:
    case G::BottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case G::Top:
    case G::Bottom:
        setCursor(Qt::SizeVerCursor);
        break;
    case G::Left:
    case G::Right:
        setCursor(Qt::SizeHorCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
}
