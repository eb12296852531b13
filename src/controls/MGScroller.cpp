#include "controls/MGScroller.h"

#include <QPainter>
#include <QStyleOptionSlider>

MGScroller::MGScroller(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent)
{
    setAttribute(Qt::WA_Hover);
}

QSize MGScroller::sizeHint() const
{
    const QSize base = QScrollBar::sizeHint();
    return orientation() == Qt::Vertical ? QSize(scrollerWidth(), base.height()) : QSize(base.width(), scrollerWidth());
}

QRectF MGScroller::knobRect() const
{
    const qreal length = orientation() == Qt::Vertical ? height() : width();
    const qreal span = maximum() - minimum() + pageStep();
    if (span <= 0 || maximum() <= minimum())
        return {};
    const qreal knobLength = std::max<qreal>(24, length * pageStep() / span);
    const qreal travel = length - knobLength;
    const qreal pos = travel * (value() - minimum()) / qreal(maximum() - minimum());
    // Inset from the edges as the classic knob: 4 points across, 2 along.
    if (orientation() == Qt::Vertical)
        return QRectF(3, pos + 2, width() - 6, knobLength - 4);
    return QRectF(pos + 2, 3, knobLength - 4, height() - 6);
}

void MGScroller::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_currentColor)
        p.fillRect(rect(), *m_currentColor);
    const QRectF knob = knobRect();
    if (knob.isEmpty())
        return;
    const qreal r = std::min(knob.width(), knob.height()) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(isSliderDown() ? QColor(122, 133, 145) : m_hover ? QColor(150, 160, 171) : QColor(190, 198, 206));
    p.drawRoundedRect(knob, r, r);
}

void MGScroller::enterEvent(QEnterEvent *e)
{
    m_hover = true;
    update();
    QScrollBar::enterEvent(e);
}

void MGScroller::leaveEvent(QEvent *e)
{
    m_hover = false;
    update();
    QScrollBar::leaveEvent(e);
}
