#include "controls/LoadingView.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

LoadingView::LoadingView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void LoadingView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
}

void LoadingView::mousePressEvent(QMouseEvent *e) { e->accept(); }
void LoadingView::mouseReleaseEvent(QMouseEvent *e) { e->accept(); }
void LoadingView::mouseMoveEvent(QMouseEvent *e) { e->accept(); }
void LoadingView::mouseDoubleClickEvent(QMouseEvent *e) { e->accept(); }
void LoadingView::wheelEvent(QWheelEvent *e) { e->accept(); }
void LoadingView::contextMenuEvent(QContextMenuEvent *e) { e->accept(); }

NoEventWithBgLayerView::NoEventWithBgLayerView(QWidget *parent) : LoadingView(parent)
{
    setVeilColor(Qt::transparent);
}
