#pragma once

#include <QList>

class QAbstractItemView;
class QWidget;

// Shared rules of the list tables: whether a window shows a sheet (a visible window-modal
// dialog over it) or the application a modal window, during which keys and menus do nothing;
// and the selection as a sorted list of rows.
namespace TableViews {
bool windowHasSheet(const QWidget *widget);
bool applicationHasModalWindow();
QList<int> selectedRows(const QAbstractItemView *view);
// Makes exactly these rows selected (whole rows).
void selectOnly(QAbstractItemView *view, const QList<int> &rows);
} // namespace TableViews
