#include "controls/TGImageCell.h"

#include "controls/ControlSlices.h"

#include <QMouseEvent>
#include <QPainter>

TGImageCell::TGImageCell(QWidget *parent) : QWidget(parent) {}

QRectF TGImageCell::imageRect() const
{
    const QSizeF s = ControlSlices::pointSize(m_image);
    return QRectF((width() - s.width()) / 2, (height() - s.height()) / 2, s.width(), s.height());
}

void TGImageCell::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter p(this);
    if (m_mouseDown)
        p.setOpacity(0.75);
    p.drawImage(imageRect(), m_image);
}

void TGImageCell::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && imageRect().contains(e->position())) {
        m_mouseDown = true;
        update();
    }
}

void TGImageCell::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_mouseDown && (e->buttons() & Qt::LeftButton) && imageRect().contains(e->position())) {
        m_mouseDown = true;
        update();
    }
}

void TGImageCell::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (m_mouseDown && m_click.isSet())
        m_click.send(this);
    m_mouseDown = false;
    update();
}
