#include "controls/TableViews.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QWidget>

#include <algorithm>

namespace TableViews {

bool windowHasSheet(const QWidget *widget)
{
    if (!widget)
        return false;
    const QWidget *window = widget->window();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w == window || !w->isVisible() || w->windowModality() != Qt::WindowModal)
            continue;
        const QWidget *parent = w->parentWidget();
        if (parent && parent->window() == window)
            return true;
    }
    return false;
}

bool applicationHasModalWindow() { return QApplication::activeModalWidget() != nullptr; }

QList<int> selectedRows(const QAbstractItemView *view)
{
    QList<int> rows;
    if (!view || !view->selectionModel())
        return rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void selectOnly(QAbstractItemView *view, const QList<int> &rows)
{
    QAbstractItemModel *model = view ? view->model() : nullptr;
    if (!model || !view->selectionModel())
        return;
    QItemSelection selection;
    const int last = model->columnCount() - 1;
    for (int r : rows)
        selection.select(model->index(r, 0), model->index(r, std::max(last, 0)));
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace TableViews
