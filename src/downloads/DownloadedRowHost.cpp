#include "downloads/DownloadedRowHost.h"

#include "controls/DownloadTableView.h"
#include "downloads/DownloadedActionViewCtrl.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "downloads/ListPageViews.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>

namespace {

// One empty cell per row; the rows show the row controllers' views.
class RowsModel : public QAbstractTableModel
{
public:
    RowsModel(const DownloadedRowHost *host, QObject *parent)
        : QAbstractTableModel(parent)
        , m_host(host)
    {
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_host->rowCount();
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex &, int) const override { return QVariant(); }
    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const DownloadedRowHost *m_host;
};

// Lays the visible rows out again whenever the viewport changes size.
class ViewportWatcher : public QObject
{
public:
    ViewportWatcher(QObject *parent, std::function<void()> onChange)
        : QObject(parent)
        , m_onChange(std::move(onChange))
    {
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            m_onChange();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onChange;
};

} // namespace

DownloadedRowHost::DownloadedRowHost(QWidget *parent, RowsSource rows, RowFactory rowFor, QObject *owner)
    : QObject(owner ? owner : parent)
    , m_rows(std::move(rows))
    , m_rowFor(std::move(rowFor))
{
    m_table = new DownloadTableView(parent);
    m_model = new RowsModel(this, m_table);
    m_table->setModel(m_model);
    ListPageViews::setupRowTable(m_table);
    QHeaderView *header = m_table->verticalHeader();
    header->setMinimumSectionSize(1);
    header->setDefaultSectionSize(DownloadedItemViewCtrl::RowHeight);
    header->setSectionResizeMode(QHeaderView::Fixed);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_table->viewport()->installEventFilter(new ViewportWatcher(this, [this] { layoutVisibleRows(); }));
    connect(m_table->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { layoutVisibleRows(); });
    connect(m_table, &DownloadTableView::mouseMoved, this, [this](const QPoint &p) { mouseMoved(p); });
    connect(m_table, &DownloadTableView::mouseExited, this, [this] { mouseExited(); });
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this] { emit rowDoubleClicked(); });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        emit selectionChanged();
        layoutVisibleRows();
    });

    m_actionView = new DownloadedActionViewCtrl(m_table->viewport());
    m_actionView->hide();
}

DownloadedRowHost::~DownloadedRowHost() = default;

int DownloadedRowHost::rowCount() const { return int(m_rows().size()); }

std::shared_ptr<DownloadedItemViewCtrl> DownloadedRowHost::rowFor(const DownloadNode::Ptr &node) const
{
    if (!node)
        return nullptr;
    return m_rowFor ? m_rowFor(node) : node->downloadingItemViewCtr<DownloadedItemViewCtrl>();
}

void DownloadedRowHost::reload()
{
    detachRowViews();
    static_cast<RowsModel *>(m_model)->reset();
    // Sections keep their sizes across a reset: rows that were headers go back to the plain
    // height first.
    QHeaderView *header = m_table->verticalHeader();
    const QList<DownloadNode::Ptr> &nodes = m_rows();
    const int count = int(nodes.size());
    for (int i : std::as_const(m_tallRows))
        if (i < count)
            header->resizeSection(i, DownloadedItemViewCtrl::RowHeight);
    m_tallRows.clear();
    for (int i = 0; i < count; ++i)
        if (nodes[i]->isPlaylistNode()) {
            header->resizeSection(i, DownloadedItemViewCtrl::PlaylistRowHeight);
            m_tallRows.append(i);
        }
    layoutVisibleRows();
}

void DownloadedRowHost::detachRowViews()
{
    for (const QPointer<QWidget> &v : std::as_const(m_placedRowViews))
        if (v)
            v->hide();
    m_placedRowViews.clear();
}

void DownloadedRowHost::willDisplayRow(int row)
{
    const QList<DownloadNode::Ptr> &nodes = m_rows();
    if (row < 0 || row >= nodes.size())
        return;
    const DownloadNode::Ptr &node = nodes[row];
    auto ctrl = rowFor(node);
    if (!ctrl)
        return;
    QWidget *viewport = m_table->viewport();
    const bool fresh = !ctrl->isViewLoaded();
    QWidget *v = ctrl->view();
    if (v->parentWidget() != viewport)
        v->setParent(viewport);
    if (fresh)
        ctrl->displayViewCtroller(node->downloadItem());
    if (!node->playlistID().isEmpty()) {
        if (node->isPlaylistNode())
            ctrl->displayWithPlaylistNode();
        else
            ctrl->displayViewNormalNode();
    }
    v->setGeometry(0, m_table->rowViewportPosition(row), viewport->width(), m_table->rowHeight(row));
    v->show();
    v->lower();
    if (!m_placedRowViews.contains(v))
        m_placedRowViews.append(v);
}

void DownloadedRowHost::layoutVisibleRows()
{
    const QList<QPointer<QWidget>> before = m_placedRowViews;
    m_placedRowViews.clear();
    const QList<DownloadNode::Ptr> &nodes = m_rows();
    const int count = int(nodes.size());
    if (count > 0) {
        QWidget *viewport = m_table->viewport();
        int first = m_table->rowAt(0);
        int last = m_table->rowAt(viewport->height() - 1);
        if (first < 0)
            first = 0;
        if (last < 0)
            last = count - 1;
        const QList<int> selected = selectedRows();
        for (int i = first; i <= last && i < count; ++i) {
            willDisplayRow(i);
            if (auto ctrl = nodes[i]->downloadingItemViewCtr<DownloadedItemViewCtrl>())
                ctrl->setSelected(selected.contains(i));
        }
    }
    for (const QPointer<QWidget> &v : before)
        if (v && !m_placedRowViews.contains(v))
            v->hide();
    if (m_actionView)
        m_actionView->raise();
}

void DownloadedRowHost::forgetRow(const DownloadNode::Ptr &node)
{
    if (!node)
        return;
    if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>()) {
        if (m_actionView && row->actionCtrl() == m_actionView)
            row->removeActionView();
        if (row->isViewLoaded()) {
            row->view()->hide();
            m_placedRowViews.removeAll(QPointer<QWidget>(row->view()));
        }
    }
}

QList<int> DownloadedRowHost::selectedRows() const
{
    QList<int> rows;
    if (!m_table->selectionModel())
        return rows;
    for (const QModelIndex &i : m_table->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<DownloadNode::Ptr> DownloadedRowHost::selectedNodes() const
{
    const QList<DownloadNode::Ptr> &nodes = m_rows();
    QList<DownloadNode::Ptr> out;
    for (int r : selectedRows())
        if (r < nodes.size())
            out << nodes[r];
    return out;
}

DownloadNode::Ptr DownloadedRowHost::selectedNode() const
{
    const QList<DownloadNode::Ptr> selected = selectedNodes();
    return selected.isEmpty() ? nullptr : selected.first();
}

void DownloadedRowHost::selectRows(const QList<int> &rows)
{
    const int count = rowCount();
    QItemSelection selection;
    for (int r : rows)
        if (r >= 0 && r < count)
            selection.select(m_model->index(r, 0), m_model->index(r, 0));
    m_table->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void DownloadedRowHost::scrollToTop()
{
    m_table->verticalScrollBar()->setValue(0);
}

QRect DownloadedRowHost::rectForNode(const DownloadNode::Ptr &node) const
{
    const int row = int(m_rows().indexOf(node));
    if (row < 0)
        return QRect();
    const QRect r = m_table->visualRect(m_model->index(row, 0));
    QWidget *viewport = m_table->viewport();
    return QRect(viewport->mapTo(viewport->window(), r.topLeft()), r.size());
}

void DownloadedRowHost::mouseMoved(const QPoint &viewportPoint)
{
    const QList<DownloadNode::Ptr> &nodes = m_rows();
    const int row = m_table->rowAt(viewportPoint.y());
    if (row < 0 || row >= nodes.size()) {
        mouseExited();
        return;
    }
    showActionViewForItem(nodes[row], row);
}

void DownloadedRowHost::mouseExited()
{
    if (!m_actionView)
        return;
    for (const DownloadNode::Ptr &node : m_rows())
        if (auto ctrl = node->downloadingItemViewCtr<DownloadedItemViewCtrl>();
            ctrl && ctrl->actionCtrl() == m_actionView) {
            ctrl->removeActionView();
            break;
        }
    m_actionView->setDelegate(nullptr);
    m_actionView->hide();
}

void DownloadedRowHost::showActionViewForItem(const DownloadNode::Ptr &node, int row)
{
    auto ctrl = rowFor(node);
    if (!ctrl)
        return;
    if (!m_actionView)
        m_actionView = new DownloadedActionViewCtrl(m_table->viewport());
    if (ctrl->actionCtrl() == m_actionView && m_actionView->isVisible())
        return;
    mouseExited();
    willDisplayRow(row);
    ctrl->addActionView(m_actionView);
    m_actionView->show();
    m_actionView->raise();
}
