#include "controls/URLLabel.h"

#include "controls/LinkOpening.h"

#include <QMouseEvent>

URLLabel::URLLabel(QWidget *parent) : QLabel(parent)
{
    setTextInteractionFlags(Qt::NoTextInteraction);
    setAutoFillBackground(false);
    setFrameShape(QFrame::NoFrame);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
}

void URLLabel::enterEvent(QEnterEvent *event)
{
    setCursor(Qt::PointingHandCursor);
    QLabel::enterEvent(event);
}

void URLLabel::leaveEvent(QEvent *event)
{
    unsetCursor();
    QLabel::leaveEvent(event);
}

void URLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (!rect().contains(event->position().toPoint()))
        return;
    if (m_action.isSet()) {
        m_action.send(this);
        return;
    }
    LinkOpening::open(m_url.isEmpty() ? text() : m_url.toString());
}
