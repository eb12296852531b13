#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

// Frame arithmetic on widgets, in the parent's coordinates; a null widget measures 0.
namespace NSViewFrame {

int width(const QWidget *view);
int height(const QWidget *view);
int minX(const QWidget *view);
int minY(const QWidget *view);
int maxX(const QWidget *view);
int maxY(const QWidget *view);
int midX(const QWidget *view);
int midY(const QWidget *view);

// The x (y) at which a rectangle of rect's width (height) would sit centred on the view.
int frameCenterX(const QWidget *view, const QRect &rect);
int frameCenterY(const QWidget *view, const QRect &rect);
QPoint frameCenterPoint(const QWidget *view, const QRect &rect);

// The x (y) at which the view would sit centred on other; midX (midY) for a null other.
int viewCenterX(const QWidget *view, const QWidget *other);
int viewCenterY(const QWidget *view, const QWidget *other);
QPoint viewCenterPoint(const QWidget *view, const QWidget *other);

// Centres the view in the container (its parent), never above or left of its origin.
void moveToViewCenter(QWidget *view, const QWidget *container);
// Deletes every child widget.
void removeAllSubViews(QWidget *view);
// A button with a title becomes as wide as its title plus 10, its right edge kept.
void frameToFit(QWidget *view);

} // namespace NSViewFrame
