#include "controls/ImageDrawView.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/slices/SliceAssistant.h"

#include <QPainter>

void ImageDrawView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF b(rect());
    if (m_mode == 1) {
        SliceAssistant::draw3PartImage(&p, b, m_slice, m_sheet);
    } else if (m_mode == 2) {
        SliceAssistant::draw9PartImage(&p, b, m_slice, m_sheet);
    } else if (m_mode == 0 && !m_image.isNull()) {
        const qreal ih = ControlSlices::pointSize(m_image).height();
        p.drawImage(ControlGeometry::toQt(ControlGeometry::imageDrawTopAligned(b, ih), height()), m_image);
    }
}
