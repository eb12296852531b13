#include "controls/MaskView.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

MaskView::MaskView(QWidget *parent) : QWidget(parent)
{
    setAcceptDrops(true);  // so drops end here instead of reaching the view beneath
    setFocusPolicy(Qt::StrongFocus);
}

void MaskView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(rect(), QColor(170, 184, 218, qRound(0.3 * 255)));
}

void MaskView::mousePressEvent(QMouseEvent *e) { e->accept(); }
void MaskView::mouseReleaseEvent(QMouseEvent *e) { e->accept(); }
void MaskView::mouseMoveEvent(QMouseEvent *e) { e->accept(); }
void MaskView::mouseDoubleClickEvent(QMouseEvent *e) { e->accept(); }
void MaskView::keyPressEvent(QKeyEvent *e) { e->accept(); }
void MaskView::keyReleaseEvent(QKeyEvent *e) { e->accept(); }
void MaskView::wheelEvent(QWheelEvent *e) { e->accept(); }

void MaskView::dragEnterEvent(QDragEnterEvent *e)
{
    e->setDropAction(Qt::IgnoreAction);
    e->ignore();
}

void MaskView::dropEvent(QDropEvent *e)
{
    e->setDropAction(Qt::IgnoreAction);
    e->ignore();
}
