#include "controls/PressedPartScrollBar.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

PressedPartScrollBar::PressedPartScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
}

void PressedPartScrollBar::mousePressEvent(QMouseEvent *event)
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    if (event->button() == Qt::LeftButton && maximum() > minimum())
        m_hitPart = style()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, event->position().toPoint(), this);
    QScrollBar::mousePressEvent(event);
    update();
}

void PressedPartScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    m_hitPart = QStyle::SC_None;
    QScrollBar::mouseReleaseEvent(event);
    update();
}
