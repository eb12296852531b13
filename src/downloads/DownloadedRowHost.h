#pragma once

#include "downloads/DownloadNode.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>

class DownloadTableView;
class DownloadedActionViewCtrl;
class DownloadedItemViewCtrl;
class QAbstractTableModel;
class QWidget;

// The table that shows finished-media rows (DownloadedItemViewCtrl) for the library, Convert,
// Record and Transfer pages.
//
// Use:
//   m_rows = new DownloadedRowHost(parentWidget,
//                                  [this]() -> const QList<DownloadNode::Ptr> & { return m_list; },
//                                  [this](const DownloadNode::Ptr &n) { return rowFor(n); }, this);
//   layout->addWidget(m_rows->tableView());
//   ... change m_list, then m_rows->reload();
//
// The page keeps its own list of nodes in display order; the host reads it through `rows`
// whenever it lays out, so the two never disagree. `rowFor` answers the node's row controller
// (made on first use by the page, with the page as delegate and its display type). Row views
// are placed only while their rows are in sight, so thousands of rows cost no widgets. The
// hover action bar (DownloadedActionViewCtrl) follows the pointer from row to row. Play-list
// header nodes get the tall row height. Main thread only.
class DownloadedRowHost : public QObject
{
    Q_OBJECT
public:
    using RowsSource = std::function<const QList<DownloadNode::Ptr> &()>;
    using RowFactory = std::function<std::shared_ptr<DownloadedItemViewCtrl>(const DownloadNode::Ptr &)>;

    DownloadedRowHost(QWidget *parent, RowsSource rows, RowFactory rowFor, QObject *owner = nullptr);
    ~DownloadedRowHost() override;

    DownloadTableView *tableView() const { return m_table; }
    DownloadedActionViewCtrl *actionView() const { return m_actionView; }
    int rowCount() const;

    // Tells the table the page's list changed: row count, row heights, placed views.
    void reload();
    // Places the views of the rows in sight (others are hidden).
    void layoutVisibleRows();
    void willDisplayRow(int row);
    // Hides every placed view (before the list changes under them).
    void detachRowViews();
    // The node leaves the page: its view is hidden and the hover bar let go.
    void forgetRow(const DownloadNode::Ptr &node);

    QList<int> selectedRows() const;
    QList<DownloadNode::Ptr> selectedNodes() const;
    DownloadNode::Ptr selectedNode() const; // the first selected row's node
    void selectRows(const QList<int> &rows);
    void scrollToTop();
    // The row's rectangle in its window's coordinates; empty when the node has no row.
    QRect rectForNode(const DownloadNode::Ptr &node) const;

    // Hover bar.
    void mouseMoved(const QPoint &viewportPoint);
    void mouseExited();
    void showActionViewForItem(const DownloadNode::Ptr &node, int row);

signals:
    void selectionChanged();
    void rowDoubleClicked();

private:
    std::shared_ptr<DownloadedItemViewCtrl> rowFor(const DownloadNode::Ptr &node) const;

    RowsSource m_rows;
    RowFactory m_rowFor;
    DownloadTableView *m_table = nullptr;
    QAbstractTableModel *m_model = nullptr;
    QPointer<DownloadedActionViewCtrl> m_actionView;
    QList<QPointer<QWidget>> m_placedRowViews; // row views laid out in the viewport now
    QList<int> m_tallRows;                     // rows sized as play-list headers
};
