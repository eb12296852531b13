#include "controls/QVCustomTableView.h"

#include "controls/CTBadge.h"
#include "controls/ColorChangingFun.h"
#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/QVTableHeaderView.h"
#include "controls/TableCellDelegate.h"
#include "controls/TableGeometry.h"
#include "controls/TableViews.h"
#include "controls/TableViewCheckCell.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>

namespace {
const QString SelectionDidChange = NotificationNames::NSTableViewSelectionDidChangeNotification;
}

QVCustomTableView::QVCustomTableView(QWidget *parent) : QTableView(parent)
{
    m_header = new QVTableHeaderView(this);
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new TableCellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
    // The table paints its own stripes and selection; the platform's are made invisible.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::AlternateBase, Qt::transparent);
    pal.setColor(QPalette::Highlight, Qt::transparent);
    pal.setColor(QPalette::HighlightedText, pal.color(QPalette::Text));
    setPalette(pal);
}

QVCustomTableView::~QVCustomTableView() = default;

void QVCustomTableView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    m_header->resetCells();
}

void QVCustomTableView::awakeFromNib()
{
    setHeaderViewHeight(26);
    m_header->resetCells();
}

void QVCustomTableView::setHeaderViewHeight(int height) { m_header->setHeaderHeight(height); }

namespace {
template <typename F> void forEachCell(QVTableHeaderView *header, int columns, F f)
{
    for (int i = 0; i < columns; ++i)
        f(header->cell(i));
    header->viewport()->update();
}
} // namespace

void QVCustomTableView::setHeaderNeedDrawDivider(bool on)
{
    forEachCell(m_header, model() ? model()->columnCount() : 0, [on](QVTableViewHeaderCell &c) { c.setDrawDivider(on); });
}

void QVCustomTableView::setHeaderNeedDrawTopLine(bool on)
{
    forEachCell(m_header, model() ? model()->columnCount() : 0, [on](QVTableViewHeaderCell &c) { c.setDrawTopLine(on); });
}

void QVCustomTableView::setHeaderTextAlignment(Qt::Alignment a)
{
    forEachCell(m_header, model() ? model()->columnCount() : 0, [a](QVTableViewHeaderCell &c) { c.setHeadTextAlignment(a); });
}

void QVCustomTableView::setHeaderTextColor(const QColor &color)
{
    forEachCell(m_header, model() ? model()->columnCount() : 0,
                [&color](QVTableViewHeaderCell &c) { c.setHeadTextColor(color); });
}

void QVCustomTableView::setHeaderBackgroundGradient(const QLinearGradient &g)
{
    forEachCell(m_header, model() ? model()->columnCount() : 0, [&g](QVTableViewHeaderCell &c) { c.setBackgroundGradient(g); });
}

void QVCustomTableView::setHeaderTextMarginLeft(unsigned margin, const QString &identifier)
{
    const int section = m_header->sectionForIdentifier(identifier);
    if (section < 0)
        return;
    m_header->cell(section).setHeadTextMarginLeft(margin);
    m_header->viewport()->update();
}

void QVCustomTableView::setPlayIndex(int row)
{
    m_playIndex = row;
    viewport()->update();
}

QList<int> QVCustomTableView::selectedRowList() const { return TableViews::selectedRows(this); }

bool QVCustomTableView::rowHasValue(int row) const
{
    if (!model())
        return false;
    for (int c = 0; c < model()->columnCount(); ++c) {
        const QModelIndex index = model()->index(row, c);
        if (!index.data(Qt::DisplayRole).toString().isEmpty() || index.data(Qt::DecorationRole).isValid())
            return true;
    }
    return false;
}

QRect QVCustomTableView::rowRect(int row) const
{
    const int width = std::max(viewport()->width(), horizontalHeader()->length() - horizontalOffset());
    return QRect(0, rowViewportPosition(row), width, rowHeight(row));
}

void QVCustomTableView::drawRowBackground(QPainter *, int, const QRect &, bool) {}

void QVCustomTableView::drawRowOverlay(QPainter *, int, const QRect &) {}

void QVCustomTableView::paintEvent(QPaintEvent *event)
{
    const int rows = model() ? model()->rowCount() : 0;
    const QRect clip = event->rect();
    int first = rowAt(clip.top());
    int last = rowAt(clip.bottom());
    if (first < 0)
        first = rows > 0 && clip.top() < rowViewportPosition(0) ? 0 : rows;
    if (last < 0)
        last = rows - 1;
    {
        QPainter p(viewport());
        if (alternatingRowColors()) {
            // Stripes run on below the last row, as the table's background.
            const QList<QColor> colors = ColorChangingFun::controlAlternatingRowBackgroundColors();
            const int h = verticalHeader()->defaultSectionSize();
            int y = rows > 0 ? rowViewportPosition(first < rows ? first : rows - 1) : 0;
            int row = rows > 0 ? (first < rows ? first : rows - 1) : 0;
            while (y < clip.bottom() + 1) {
                const int rh = row < rows ? rowHeight(row) : h;
                p.fillRect(QRect(clip.left(), y, clip.width(), rh), colors.at(row % 2));
                y += std::max(rh, 1);
                ++row;
            }
        }
        const QItemSelectionModel *sel = selectionModel();
        for (int r = first; r <= last && r < rows; ++r) {
            const bool selected = sel && sel->isRowSelected(r, QModelIndex());
            const QRect rr = rowRect(r);
            if (selected && m_highLightCellColor.isValid())
                p.fillRect(rr, m_highLightCellColor);
            drawRowBackground(&p, r, rr, selected);
        }
        if (rows < 1 && !m_emptyRowImage.isNull()) {
            const QSizeF size = ControlSlices::pointSize(m_emptyRowImage);
            p.drawImage(QRectF(TableGeometry::emptyImageOrigin(QRectF(viewport()->rect()), size), size), m_emptyRowImage);
        }
    }
    QTableView::paintEvent(event);
    QPainter p(viewport());
    for (int r = first; r <= last && r < rows; ++r)
        drawRowOverlay(&p, r, rowRect(r));
    if (m_playItemColor.isValid() && TableGeometry::playBarShown(m_playIndex, rows))
        p.fillRect(TableGeometry::playBarRect(rowRect(m_playIndex)), m_playItemColor);
}

void QVCustomTableView::applyMenuSelection(int row)
{
    const int rows = model() ? model()->rowCount() : 0;
    const TableGeometry::MenuSelection result = TableGeometry::contextMenuSelection(selectedRowList(), row, rows);
    if (result.postSelectionChanged) {
        NotificationCenter::defaultCenter().post(SelectionDidChange, QVariant::fromValue<QObject *>(this));
        emit selectionDidChangeNotification();
        return;
    }
    if (result.selection == selectedRowList())
        return;
    TableViews::selectOnly(this, result.selection);
    if (!result.selection.isEmpty())
        selectionModel()->setCurrentIndex(model()->index(result.selection.last(), 0), QItemSelectionModel::NoUpdate);
}

void QVCustomTableView::popMenu(const QPoint &viewportPoint)
{
    if (!m_menu)
        return;
    m_menu->popup(viewport()->mapToGlobal(viewportPoint));
    emit contextMenuShown(m_menu);
}

void QVCustomTableView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos.y());
    if (event->button() == Qt::RightButton) {
        // The platform's right-click handling is not used: the menu follows the clicked row.
        m_menuShownByPress = true;
        if (!model())
            return;
        applyMenuSelection(row);
        if (!selectedRowList().isEmpty())
            popMenu(pos);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && model()) {
        const QModelIndex index = indexAt(pos);
        auto *check = index.isValid() ? qobject_cast<TableViewCheckCell *>(itemDelegateForIndex(index)) : nullptr;
        const bool multiple = selectionMode() == MultiSelection || selectionMode() == ExtendedSelection;
        if (check && multiple && (check->hitTest(visualRect(index), pos) & TableGeometry::HitCheckBox)) {
            // The check box toggles its row in the selection without touching the others.
            selectionModel()->select(model()->index(index.row(), 0),
                                     QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
            if (index.flags() & Qt::ItemIsUserCheckable) {
                const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                model()->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
        } else {
            QTableView::mousePressEvent(event);
        }
        if (row >= 0)
            emit didClickedRow(row);
        return;
    }
    QTableView::mousePressEvent(event);
}

void QVCustomTableView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse && m_menuShownByPress) {
        m_menuShownByPress = false;  // the press showed it already
        return;
    }
    if (TableViews::windowHasSheet(this) || !model())
        return;
    const QPoint pos = event->reason() == QContextMenuEvent::Mouse ? event->pos()
                                                                   : visualRect(currentIndex()).center();
    const int row = event->reason() == QContextMenuEvent::Mouse ? rowAt(pos.y()) : currentIndex().row();
    applyMenuSelection(row);
    popMenu(pos);
}

void QVCustomTableView::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        emit willDeleteRowsAtIndexes(selectedRowList());
    // Every other key, arrows included, is consumed without effect.
}

void QVCustomTableView::wheelEvent(QWheelEvent *event)
{
    emit scrollWheel();
    QTableView::wheelEvent(event);
}

void QVCustomTableView::trackPointer(const QPoint &viewportPoint)
{
    m_mouseOverView = true;
    const int row = rowAt(viewportPoint.y());
    m_mouseOverRow = row;
    if (row == m_lastOverRow)
        return;
    if (m_lastOverRow >= 0)
        viewport()->update(rowRect(m_lastOverRow));
    m_lastOverRow = row;
    if (row >= 0)
        viewport()->update(rowRect(row));
    emit mouseEnterAtRow(row);
}

void QVCustomTableView::mouseMoveEvent(QMouseEvent *event)
{
    trackPointer(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

bool QVCustomTableView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        m_mouseOverView = true;
    } else if (event->type() == QEvent::Leave) {
        m_mouseOverView = false;
        if (m_mouseOverRow >= 0)
            viewport()->update(rowRect(m_mouseOverRow));
        m_mouseOverRow = m_lastOverRow = -1;
        emit mouseExist();
    }
    return QTableView::viewportEvent(event);
}

QImage QVCustomTableView::imageForRow(int row) const
{
    if (!model() || row < 0 || row >= model()->rowCount() || !m_itemViewProvider)
        return {};
    QWidget *view = m_itemViewProvider(row);
    if (!view)
        return {};
    const QRect rr = rowRect(row);
    view->resize(rr.size());
    const qreal dpr = devicePixelRatioF();
    QImage image(rr.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    view->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QPainter p(&image);
    p.setPen(QPen(Qt::gray, 2));
    p.drawRect(QRectF(0, 0, rr.width(), rr.height()));
    return image;
}

QImage QVCustomTableView::dragImageForRows(const QList<int> &rows) const
{
    if (rows.size() == 1 && m_itemViewProvider)
        return imageForRow(rows.first());
    if (rows.size() > 1 && m_dragImageProvider) {
        const QImage picture = m_dragImageProvider(rows);
        if (picture.isNull())
            return {};
        QImage out(picture.size(), QImage::Format_ARGB32_Premultiplied);
        out.setDevicePixelRatio(picture.devicePixelRatio());
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.setOpacity(0.8);
        p.drawImage(QPointF(0, 0), picture);
        p.setOpacity(1.0);
        const QImage badge = CTBadge().smallBadgeForString(QString::number(rows.size()));
        const QSizeF size = ControlSlices::pointSize(picture), badgeSize = ControlSlices::pointSize(badge);
        const QPointF upOrigin = TableGeometry::dragBadgeOrigin(size, badgeSize);
        p.drawImage(ControlGeometry::toQt(QRectF(upOrigin, badgeSize), size.height()), badge);
        return out;
    }
    return {};
}

void QVCustomTableView::startDrag(Qt::DropActions supportedActions)
{
    const QImage picture = dragImageForRows(selectedRowList());
    if (picture.isNull()) {
        QTableView::startDrag(supportedActions);
        return;
    }
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    QMimeData *data = model()->mimeData(indexes);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(picture));
    drag->exec(supportedActions, defaultDropAction());
}
