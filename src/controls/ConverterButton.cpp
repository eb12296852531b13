#include "controls/ConverterButton.h"

#include <QDragEnterEvent>

ConverterButton::ConverterButton(QWidget *parent)
    : MGHoverButton(parent)
{
    setMouseTracking(true);
    setAcceptDrops(true); // a drag passing over counts as the pointer passing
}

void ConverterButton::enterEvent(QEnterEvent *event)
{
    MGHoverButton::enterEvent(event);
    if (m_delegate)
        m_delegate->converterBtnHadChangedStatus(this);
}

void ConverterButton::leaveEvent(QEvent *event)
{
    MGHoverButton::leaveEvent(event);
    if (m_delegate)
        m_delegate->convertedBtnWillRestore(this);
}

void ConverterButton::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_delegate)
        m_delegate->converterBtnHadChangedStatus(this);
    event->ignore();
}

void ConverterButton::dragLeaveEvent(QDragLeaveEvent *)
{
    if (m_delegate)
        m_delegate->convertedBtnWillRestore(this);
}
