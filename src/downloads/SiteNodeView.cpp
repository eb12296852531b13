#include "downloads/SiteNodeView.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

SiteNodeView::SiteNodeView(QWidget *parent)
    : QWidget(parent)
    , m_delRect(4, 4, 18, 18)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void SiteNodeView::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void SiteNodeView::setLoading(bool loading)
{
    m_isLoading = loading;
    update();
}

void SiteNodeView::paintEvent(QPaintEvent *)
{
    if (m_isLoading)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(frame, 5, 5);
    const bool hasPicture = !m_image.isNull();
    p.fillPath(path, hasPicture ? QColor(255, 255, 255) : QColor(0xf4, 0xf6, 0xf7));
    p.setPen(QPen(m_isHighlight && hasPicture ? QColor(0x2e, 0xb8, 0x5c) : QColor(0xd5, 0xdb, 0xdf), 1));
    p.drawPath(path);
    if (hasPicture) {
        const QRect inner = rect().adjusted(3, 3, -3, -3);
        QPainterPath clip;
        clip.addRoundedRect(inner, 4, 4);
        p.setClipPath(clip);
        p.drawImage(inner, m_image);
        p.setClipping(false);
    } else {
        // An empty place: a plus sign to add a site.
        p.setPen(QPen(QColor(0xb4, 0xbc, 0xc2), 3, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = rect().center();
        p.drawLine(c + QPointF(-12, 0), c + QPointF(12, 0));
        p.drawLine(c + QPointF(0, -12), c + QPointF(0, 12));
    }
    if (m_isHighlight && hasPicture) {
        static const QColor colors[] = {QColor(0x8a, 0x94, 0x9c), QColor(0xe0, 0x4b, 0x3c), QColor(0xb0, 0x32, 0x26)};
        p.setPen(Qt::NoPen);
        p.setBrush(colors[qMin(m_delState, 2u)]);
        p.drawEllipse(m_delRect);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        const QRectF x = QRectF(m_delRect).adjusted(5.5, 5.5, -5.5, -5.5);
        p.drawLine(x.topLeft(), x.bottomRight());
        p.drawLine(x.topRight(), x.bottomLeft());
    }
}

void SiteNodeView::enterEvent(QEnterEvent *)
{
    m_isHighlight = true;
    m_delState = 0;
    update();
}

void SiteNodeView::leaveEvent(QEvent *)
{
    m_isHighlight = false;
    m_delState = 0;
    update();
}

void SiteNodeView::mouseMoveEvent(QMouseEvent *e)
{
    m_isHighlight = true;
    m_delState = m_delRect.contains(e->position().toPoint()) ? 1 : 0;
    update();
}

void SiteNodeView::mousePressEvent(QMouseEvent *e)
{
    m_delState = m_isHighlight && !m_image.isNull() && m_delRect.contains(e->position().toPoint()) ? 2 : 0;
    update();
}

void SiteNodeView::mouseReleaseEvent(QMouseEvent *e)
{
    const bool onDelete = m_delState == 2 && m_delRect.contains(e->position().toPoint());
    m_delState = 0;
    if (onDelete) {
        if (delAction)
            delAction();
    } else if (rect().contains(e->position().toPoint())) {
        m_isHighlight = false;
        if (action)
            action();
    }
    update();
}
