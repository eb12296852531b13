#include "controls/AFGradientButton.h"

#include <QPainter>

AFGradientButton::AFGradientButton(QWidget *parent) : QAbstractButton(parent) {}

void AFGradientButton::paintEvent(QPaintEvent *)
{
    m_cell.cornerRadius = height() / 6.0;
    QPainter p(this);
    m_cell.drawWithFrame(&p, QRectF(rect()), isDown(), isEnabled(), text(), font());
}
