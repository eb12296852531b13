#include "controls/CleanupStarView.h"

#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"

#include <QPainter>

CleanupStarView::CleanupStarView(QWidget *parent) : QWidget(parent) {}

QList<QRectF> CleanupStarView::starRects() const
{
    // Counts are bounded so a hostile value cannot make the loop run for long.
    const int total = int(std::min<unsigned>(m_total, 100));
    const int light = int(std::min<unsigned>(m_lightCount, 100));
    QList<QRectF> out;
    for (const QRectF &r : ControlGeometry::starRects(total, light, ControlSlices::pointSize(m_light),
                                                      ControlSlices::pointSize(m_gray), !m_light.isNull(),
                                                      !m_gray.isNull()))
        out.append(ControlGeometry::toQt(r, height()));
    return out;
}

void CleanupStarView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QList<QRectF> rects = starRects();
    const int light = int(std::min(m_lightCount, m_total));
    int i = 0;
    for (const QRectF &r : rects) {
        // Missing pictures take no place, so the order of the rectangles follows the order drawn.
        const bool isLight = !m_light.isNull() && i < light;
        p.drawImage(r, isLight ? m_light : m_gray);
        ++i;
    }
}
