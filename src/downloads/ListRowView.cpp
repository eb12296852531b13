#include "downloads/ListRowView.h"

#include <QPainter>

void ListRowView::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void ListRowView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_selected ? QColor(243, 248, 242) : QColor(Qt::white));
    p.fillRect(QRect(10, height() - 1, width() - 20, 1), QColor(230, 233, 236));
}

void ListRowView::resizeEvent(QResizeEvent *)
{
    if (m_onResize)
        m_onResize();
}
