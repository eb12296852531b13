#include "controls/EditMenuBgView.h"

#include <QPainter>
#include <QPainterPath>

void EditMenuBgView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 4.0, 4.0);
    p.fillPath(clip, Qt::white);
}
