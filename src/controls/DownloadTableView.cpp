#include "controls/DownloadTableView.h"

#include "controls/TableCellDelegate.h"
#include "controls/TableGeometry.h"
#include "controls/TableViews.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

DownloadTableView::DownloadTableView(QWidget *parent) : QTableView(parent)
{
    setShowGrid(false);
    setItemDelegate(new TableCellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    verticalHeader()->hide();
    // Fixed row heights keep long lists cheap to lay out and scroll.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->hide();
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, Qt::transparent);
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);
}

QList<int> DownloadTableView::selectedRowList() const { return TableViews::selectedRows(this); }

QMenu *DownloadTableView::menuForEvent(const QPoint &viewportPoint)
{
    const int rows = model() ? model()->rowCount() : 0;
    const int row = rowAt(viewportPoint.y());
    if (!TableGeometry::listTableShowsMenu(m_showMenuWithEmptyTable, rows, row, TableViews::windowHasSheet(this)))
        return nullptr;
    const TableGeometry::MenuSelection result = TableGeometry::contextMenuSelection(selectedRowList(), row, rows);
    if (result.postSelectionChanged) {
        NotificationCenter::defaultCenter().post(NotificationNames::NSTableViewSelectionDidChangeNotification,
                                                 QVariant::fromValue<QObject *>(this));
        emit selectionDidChangeNotification();
    } else if (result.selection != selectedRowList()) {
        TableViews::selectOnly(this, result.selection);
    }
    return m_menu;
}

void DownloadTableView::mousePressEvent(QMouseEvent *event)
{
    // The right button acts on release; its press must not reset a multiple selection.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DownloadTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        const QPoint pos = event->position().toPoint();
        if (QMenu *menu = menuForEvent(pos)) {
            menu->popup(viewport()->mapToGlobal(pos));
            emit contextMenuShown(menu);
        }
    }
    QTableView::mouseReleaseEvent(event);
}

void DownloadTableView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse)
        return;  // the right button's release shows the menu
    const QPoint pos = currentIndex().isValid() ? visualRect(currentIndex()).center() : QPoint(0, 0);
    if (QMenu *menu = menuForEvent(pos)) {
        menu->popup(viewport()->mapToGlobal(pos));
        emit contextMenuShown(menu);
    }
}

void DownloadTableView::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (TableViews::applicationHasModalWindow() || TableViews::windowHasSheet(this))
        return;
    auto &center = NotificationCenter::defaultCenter();
    const QVariant self = QVariant::fromValue<QObject *>(this);
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        center.post(NotificationNames::DeleteNotification, self);
        return;
    case Qt::Key_Space:
        center.post(NotificationNames::SpaceDownNotification, self);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const QList<int> selected = selectedRowList();
        const int current = selected.isEmpty() ? -1 : selected.last();  // the last selected row
        const int rows = model() ? model()->rowCount() : 0;
        const int target = TableGeometry::arrowKeyTarget(current, event->key() == Qt::Key_Down ? 1 : -1, rows);
        if (target < 0)
            return;
        const QModelIndex index = model()->index(target, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
        return;
    }
    default:
        return;  // other keys have no effect
    }
}

void DownloadTableView::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

bool DownloadTableView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Enter)
        emit mouseEntered(static_cast<QEnterEvent *>(event)->position().toPoint());
    else if (event->type() == QEvent::Leave)
        emit mouseExited();
    return QTableView::viewportEvent(event);
}
