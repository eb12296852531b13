#include "controls/ActionView.h"

#include <QMouseEvent>
#include <QPainter>

ActionView::ActionView(QWidget *parent)
    : QWidget(parent)
{
}

void ActionView::setIsEnabled(bool enabled)
{
    m_isEnabled = enabled;
    update();
}

void ActionView::awakeFromNib()
{
    setIsEnabled(true);
}

bool ActionView::sendClickAction()
{
    return m_action.isSet() && m_action.send(this);
}

void ActionView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_isEnabled)
        return;
    if (rect().contains(event->position().toPoint()))
        sendClickAction();
    update();
}

void ActionView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (!m_isEnabled)
        p.setOpacity(0.9);
    p.fillRect(event->rect(), Qt::white);
}
