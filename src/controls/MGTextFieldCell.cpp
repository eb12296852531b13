#include "controls/MGTextFieldCell.h"

#include "controls/ControlSlices.h"

#include <QPainter>

MGTextFieldCell::MGTextFieldCell(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setTextMargins(8, 0, 8, 0);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);
}

QSize MGTextFieldCell::sizeHint() const
{
    return QSize(QLineEdit::sizeHint().width(), 28);
}

QString MGTextFieldCell::currentSliceName() const
{
    const bool editing = !isReadOnly() && hasFocus();
    return editing ? m_highlightSliceName : m_normalSliceName;
}

void MGTextFieldCell::drawWithSliceName(QPainter *p, const QString &slice, const QRectF &frame) const
{
    // Mode 0 scaled, 1 three-part, anything else nine-part.
    ControlSlices::drawSlice(p, frame, slice, m_imageName, m_drawMode == 0 || m_drawMode == 1 ? m_drawMode : 2);
}

void MGTextFieldCell::paintEvent(QPaintEvent *event)
{
    if (isReadOnly() && !m_selectable) {
        QLineEdit::paintEvent(event);
        return;
    }
    const QString slice = currentSliceName();
    if (!slice.isEmpty()) {
        QPainter p(this);
        if (!isEnabled())
            p.setOpacity(0.5);
        drawWithSliceName(&p, slice, QRectF(rect()));
    }
    QLineEdit::paintEvent(event);
}
