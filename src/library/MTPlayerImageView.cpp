#include "library/MTPlayerImageView.h"

MTPlayerImageView::MTPlayerImageView(QWidget *parent)
    : ImageView(parent)
{
    // Qt tracks enter and leave of every widget; one frame change never adds a second area.
    setAttribute(Qt::WA_Hover);
}

void MTPlayerImageView::enterEvent(QEnterEvent *event)
{
    ImageView::enterEvent(event);
    if (m_delegate)
        m_delegate->mtMouseEnteredPlayerImageView();
}

void MTPlayerImageView::leaveEvent(QEvent *event)
{
    ImageView::leaveEvent(event);
    if (m_delegate)
        m_delegate->mtMouseExitedPlayerImageView();
}
