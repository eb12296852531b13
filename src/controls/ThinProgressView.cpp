#include "controls/ThinProgressView.h"

#include "controls/ControlGeometry.h"

#include <QPainter>
#include <QPaintEvent>

void ThinProgressView::setProgress(float progress)
{
    m_progress = ControlGeometry::thinProgressValue(progress);
    update();
}

void ThinProgressView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor(239, 239, 239));
    const QRectF bar = ControlGeometry::thinProgressBar(QRectF(rect()), m_progress);
    if (!bar.isEmpty())
        p.fillRect(bar, QColor::fromRgbF(0.18f, 0.76f, 0.38f));
}
