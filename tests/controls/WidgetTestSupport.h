#pragma once

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

// Pointer helpers: offscreen windows get no real enter/leave events, so tests send them.
namespace WidgetTest {

inline void enter(QWidget *w, QPointF p = QPointF(2, 2))
{
    QEnterEvent e(p, p, w->mapToGlobal(p));
    QApplication::sendEvent(w, &e);
}

inline void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

inline void move(QWidget *w, QPointF p, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline QImage render(QWidget *w)
{
    QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

} // namespace WidgetTest
