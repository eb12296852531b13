#include "library/MTPlayerCarrierView.h"

#include "controls/ControlSlices.h"

#include <QPainter>

void MTPlayerCarrierView::drawPicture(QPainter &p, const QRectF &dirty)
{
    const QSizeF s = ControlSlices::pointSize(m_image);
    p.drawImage(QRectF(dirty.center().x() - s.width() / 2, dirty.center().y() - s.height() / 2, s.width(), s.height()),
                m_image);
}
