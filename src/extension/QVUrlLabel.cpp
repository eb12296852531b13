#include "extension/QVUrlLabel.h"

#include <QMouseEvent>

namespace Brisklet {

QVUrlLabel::QVUrlLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::RichText);
}

void QVUrlLabel::setStringValue(const QString &text)
{
    m_text = text;
    resetAttributedString();
}

void QVUrlLabel::resetAttributedString()
{
    setText(QStringLiteral("<span style=\"color:%1; text-decoration: underline;\">%2</span>")
                .arg(m_normal.name(), m_text.toHtmlEscaped()));
}

void QVUrlLabel::mousePressEvent(QMouseEvent *event)
{
    // A double click (or clicks switched off) is not a second request.
    if (!m_enableClick || event->button() != Qt::LeftButton || event->type() == QEvent::MouseButtonDblClick)
        return;
    if (m_action)
        m_action();
}

} // namespace Brisklet
