#include "shell/NSViewFrame.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPointer>
#include <QWidget>

#include <cstdlib>

namespace NSViewFrame {

int width(const QWidget *view) { return view ? view->geometry().width() : 0; }
int height(const QWidget *view) { return view ? view->geometry().height() : 0; }
int minX(const QWidget *view) { return view ? view->geometry().x() : 0; }
int minY(const QWidget *view) { return view ? view->geometry().y() : 0; }
int maxX(const QWidget *view) { return minX(view) + width(view); }
int maxY(const QWidget *view) { return minY(view) + height(view); }
int midX(const QWidget *view) { return minX(view) + width(view) / 2; }
int midY(const QWidget *view) { return minY(view) + height(view) / 2; }

int frameCenterX(const QWidget *view, const QRect &rect)
{
    return minX(view) + std::abs(width(view) - rect.width()) / 2;
}

int frameCenterY(const QWidget *view, const QRect &rect)
{
    return minY(view) + std::abs(height(view) - rect.height()) / 2;
}

QPoint frameCenterPoint(const QWidget *view, const QRect &rect)
{
    return {frameCenterX(view, rect), frameCenterY(view, rect)};
}

int viewCenterX(const QWidget *view, const QWidget *other)
{
    if (!other)
        return midX(view);
    return minX(other) + std::abs(width(other) - width(view)) / 2;
}

int viewCenterY(const QWidget *view, const QWidget *other)
{
    if (!other)
        return midY(view);
    return minY(other) + std::abs(height(other) - height(view)) / 2;
}

QPoint viewCenterPoint(const QWidget *view, const QWidget *other)
{
    return {viewCenterX(view, other), viewCenterY(view, other)};
}

void moveToViewCenter(QWidget *view, const QWidget *container)
{
    if (!view)
        return;
    const int x = qMax(0, (width(container) - width(view)) / 2);
    const int y = qMax(0, (height(container) - height(view)) / 2);
    view->move(x, y);
}

void removeAllSubViews(QWidget *view)
{
    if (!view)
        return;
    // A copy: deleting children changes the live list.
    const QList<QWidget *> children = view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QPointer<QWidget>> guarded(children.cbegin(), children.cend());
    for (const QPointer<QWidget> &child : guarded) {
        if (child) {
            child->hide();
            child->setParent(nullptr);
            delete child.data();
        }
    }
}

void frameToFit(QWidget *view)
{
    auto *button = qobject_cast<QAbstractButton *>(view);
    if (!button || button->text().isEmpty())
        return;
    const QRect frame = button->geometry();
    const int newWidth = button->fontMetrics().horizontalAdvance(button->text()) + 10;
    button->setGeometry(frame.x() + frame.width() - newWidth, frame.y(), newWidth, frame.height());
}

} // namespace NSViewFrame
