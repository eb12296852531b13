#include "controls/RoundBackgroundView.h"

#include <QPainter>
#include <QPainterPath>

RoundBackgroundView::RoundBackgroundView(QWidget *parent) : QWidget(parent) {}

void RoundBackgroundView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    p.setClipPath(path);
    p.fillPath(path, m_bgColor);
    // Clipped to the shape, a one-point pen shows half its width inside, as the classic stroke did.
    p.strokePath(path, QPen(m_bordColor, 1));
}
