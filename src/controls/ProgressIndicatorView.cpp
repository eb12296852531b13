#include "controls/ProgressIndicatorView.h"

#include <QPainter>

ProgressIndicatorView::ProgressIndicatorView(QWidget *parent) : QWidget(parent) {}

void ProgressIndicatorView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // Qt views run top-down: the flipped case.
    m_cell.drawWithFrame(&p, QRectF(rect()), true);
}
