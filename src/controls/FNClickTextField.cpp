#include "controls/FNClickTextField.h"

#include <QMouseEvent>

FNClickTextField::FNClickTextField(QWidget *parent) : QLabel(parent) {}

void FNClickTextField::setStringValue(const QString &text)
{
    setText(text.isNull() ? QString(QLatin1String("")) : text);
}

void FNClickTextField::mousePressEvent(QMouseEvent *event)
{
    // Double clicks arrive as double-click events and send nothing.
    if (!m_enableClick || event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    if (m_click.answers())
        m_click.send(this);
}
