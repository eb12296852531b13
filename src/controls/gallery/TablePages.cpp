#include "controls/CTBadge.h"
#include "controls/ControlSlices.h"
#include "controls/CustomizeScroller.h"
#include "controls/DownloadTableView.h"
#include "controls/LinkTextFieldCell.h"
#include "controls/ImageAndTextCell.h"
#include "controls/MGCustomScroller.h"
#include "controls/MTImageView.h"
#include "controls/MiddleTextAndInstallImageCell.h"
#include "controls/MiddleTextFieldCell.h"
#include "controls/QVCustomTableItemBottomLineView.h"
#include "controls/QVCustomTableLineView.h"
#include "controls/QVCustomTableSingleLineView.h"
#include "controls/QVCustomTableView.h"
#include "controls/QVTableHeaderView.h"
#include "controls/QVTableViewHeaderCell.h"
#include "controls/QVTableViewLineCell.h"
#include "controls/QVTableViewTokenCell.h"
#include "controls/QVToolBar.h"
#include "controls/QVToolBarItem.h"
#include "controls/TableViewCheckCell.h"
#include "controls/gallery/GalleryBook.h"
#include "controls/slices/SlicesManager.h"

#include <QApplication>
#include <QEnterEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStandardItemModel>

namespace {

void mouse(QWidget *w, QEvent::Type type, const QPointF &p)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

const QColor Accent(32, 192, 91);
const QColor Ink(31, 41, 51);
const QColor Muted(95, 107, 122);
const QString Art = QStringLiteral("TableArt");

// Pictures at the gallery's pixel ratio, so rows and thumbnails stay sharp.
qreal galleryRatio = 2;

QImage glyphImage(const QString &slice, const QString &sheet = QStringLiteral("mainform"))
{
    return SlicesManager::defaultManager().sliceNamed(slice, sheet, galleryRatio);
}

// ------------------------------------------------------------------ tool bar

QVToolBar *pageBar()
{
    auto *bar = new QVToolBar;
    bar->setBackgroundColor(Accent);
    bar->setItemSize(QSizeF(100, 80));
    const char *names[] = {"Download", "Record", "Convert", "Transfer", "Online"};
    const int icons[] = {111, 113, 109, 115, 117};
    QFont label = QApplication::font();
    label.setPixelSize(12);
    QFont bold = label;
    bold.setBold(true);
    for (int i = 0; i < 5; ++i) {
        auto *item = new QVToolBarItem(QString::fromLatin1(names[i]));
        item->setLabel(QString::fromLatin1(names[i]));
        item->setTag(i);
        item->setImagePosition(5);
        item->setImageHorMargin(10);
        item->setImage(glyphImage(QStringLiteral("mainform-%1").arg(icons[i])));
        item->setImageName(Art);
        item->setHoverSliceName(QStringLiteral("toolbar-item-hover"));
        item->setDownSliceName(QStringLiteral("toolbar-item-selected"));
        item->setLabelColor(QColor(255, 255, 255, 215));
        item->setLabelFont(label);
        item->setSelectedFont(bold);
        bar->addItem(item);
    }
    return bar;
}

void toolBars(GalleryBook &book)
{
    const QString c = QStringLiteral("QVToolBar");
    const QSize size(100, 5 * 80 + 20);
    // Every item in one state.
    const QStringList states = {QStringLiteral("normal"), QStringLiteral("hover"), QStringLiteral("pressed"),
                                QStringLiteral("selected"), QStringLiteral("new"), QStringLiteral("disabled")};
    for (const QString &state : states) {
        QVToolBar *bar = pageBar();
        for (QVToolBarItem *item : bar->allBarItem()) {
            if (state == QLatin1String("hover"))
                item->setMouseOver(true);
            else if (state == QLatin1String("pressed"))
                item->setMouseDown(true), item->setMouseOver(true);
            else if (state == QLatin1String("selected"))
                item->setSelected(true);
            else if (state == QLatin1String("new"))
                item->setNewOrHot(true);
            else if (state == QLatin1String("disabled"))
                item->setEnabled(false);
        }
        book.shoot(c, state, bar, size);
    }
    // The main window's bar as it is used: Download selected, the pointer over Convert, a new
    // mark on Transfer and Online switched off; driven by real events.
    QVToolBar *bar = pageBar();
    bar->toolBarItemWithTag(3)->setNewOrHot(true);
    bar->toolBarItemWithTag(4)->setEnabled(false);
    book.shoot(c, QStringLiteral("in-use"), bar, size, [](QWidget *w) {
        auto *b = static_cast<QVToolBar *>(w);
        b->repaint();
        mouse(b, QEvent::MouseButtonPress, QPointF(50, 40));
        mouse(b, QEvent::MouseButtonRelease, QPointF(50, 40));
        const QPointF p(50, 200);
        QEnterEvent enter(p, p, b->mapToGlobal(p));
        QApplication::sendEvent(b, &enter);
        QMouseEvent move(QEvent::MouseMove, p, b->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b, &move);
    });
    // A row of text items: image left of the label.
    auto *row = new QVToolBar;
    row->setDirectionMode(1);
    row->setItemSpace(4);
    row->setBackgroundColor(QColor(244, 246, 248));
    for (int i = 0; i < 3; ++i) {
        auto *item = new QVToolBarItem(QStringLiteral("tab%1").arg(i));
        item->setLabel(QStringList{QStringLiteral("Downloading"), QStringLiteral("Finished"), QStringLiteral("Record")}[i]);
        item->setImagePosition(4);
        item->setImageName(QStringLiteral("mainform"));
        item->setDrawMode(1);
        item->setNormalSliceName(QStringLiteral("mainform-476"));
        item->setHoverSliceName(QStringLiteral("mainform-477"));
        item->setDownSliceName(QStringLiteral("mainform-56"));
        item->setLabelColor(Ink);
        item->setSelectedLabelColor(Accent);
        row->addItem(item);
    }
    row->selectItemWithTag(0);
    row->toolBarItemWithTag(0)->setTag(0);
    row->selectItemWithItemIdentifier(QStringLiteral("tab0"));
    row->toolBarItemWithIdentifier(QStringLiteral("tab1"))->setMouseOver(true);
    book.shoot(c, QStringLiteral("row-image-below"), row, QSize(340, 32));
    book.finishCard(c);
}

// ------------------------------------------------------------------ tables


QStandardItemModel *downloadsModel(QObject *parent)
{
    auto *model = new QStandardItemModel(0, 5, parent);
    model->setHorizontalHeaderLabels({QStringLiteral(""), QStringLiteral("Name"), QStringLiteral("Format"),
                                      QStringLiteral("Size"), QStringLiteral("Status")});
    struct Row { const char *name; const char *format; const char *size; int progress; bool checked; };
    const Row rows[] = {
        {"Mountain lake at dawn", "MP4", "212.4 MB", 101, true},
        {"City lights time-lapse", "MKV", "1.2 GB", 64, false},
        {"Interview, part 2", "MP3", "18.9 MB", 0, true},
        {"Cooking class: bread", "WEBM", "96.0 MB", 101, false},
        {"Road trip playlist", "M4A", "7.1 MB", 23, false},
        {"Keynote 2026", "MOV", "640.2 MB", 101, false},
    };
    for (const Row &r : rows) {
        auto *check = new QStandardItem;
        check->setCheckable(true);
        check->setCheckState(r.checked ? Qt::Checked : Qt::Unchecked);
        auto *name = new QStandardItem(QString::fromUtf8(r.name));
        name->setData(glyphImage(QStringLiteral("table-site"), Art), Qt::DecorationRole);
        auto *format = new QStandardItem(QString::fromLatin1(r.format));
        auto *size = new QStandardItem(QString::fromLatin1(r.size));
        size->setData(int(Qt::AlignHCenter), Qt::TextAlignmentRole);
        size->setForeground(Muted);
        auto *status = new QStandardItem(r.progress > 100 ? QStringLiteral("Done") : QStringLiteral("%1 %").arg(r.progress));
        status->setData(r.progress, TableCellRoles::ProgressRole);
        status->setForeground(Muted);
        model->appendRow({check, name, format, size, status});
    }
    for (int c = 0; c < 5; ++c)
        model->setHeaderData(c, Qt::Horizontal, QStringList{"check", "name", "format", "size", "status"}[c],
                             TableCellRoles::ColumnIdentifierRole);
    return model;
}

void dressTable(QVCustomTableView *table, QStandardItemModel *model)
{
    table->setModel(model);
    table->awakeFromNib();
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setDefaultSectionSize(40);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setHeaderNeedDrawDivider(false);
    table->setHeaderNeedDrawTopLine(false);
    table->setHeaderTextColor(Muted);
    table->setHeaderTextMarginLeft(6, QStringLiteral("name"));
    table->setItemDelegateForColumn(0, new TableViewCheckCell(table));
    auto *name = new MiddleTextAndImageCell(table);
    name->setDirect(1);
    table->setItemDelegateForColumn(1, name);
    table->setItemDelegateForColumn(2, new QVTableViewTokenCell(table));
    auto *size = new MiddleTextFieldCell(table);
    table->setItemDelegateForColumn(3, size);
    auto *status = new MiddleTextAndInstallImageCell(table);
    status->setImage(glyphImage(QStringLiteral("table-install"), Art));
    status->setInstallImage(glyphImage(QStringLiteral("table-install"), Art));
    table->setItemDelegateForColumn(4, status);
    table->horizontalHeader()->resizeSection(0, 40);
    table->horizontalHeader()->resizeSection(1, 250);
    table->horizontalHeader()->resizeSection(2, 90);
    table->horizontalHeader()->resizeSection(3, 100);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
}

void selectRows(QTableView *table, const QList<int> &rows)
{
    for (int r : rows)
        table->selectionModel()->select(table->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void customTables(GalleryBook &book)
{
    const QString c = QStringLiteral("QVCustomTableView");
    const QSize size(620, 26 + 6 * 40 + 20);
    {
        auto *table = new QVCustomTableView;
        dressTable(table, downloadsModel(table));
        book.shoot(c, QStringLiteral("populated"), table, size);
    }
    {
        auto *table = new QVCustomTableView;
        dressTable(table, downloadsModel(table));
        selectRows(table, {1, 2});
        table->setPlayIndex(4);
        book.shoot(c, QStringLiteral("selected-and-playing"), table, size, [](QWidget *w) {
            auto *t = static_cast<QVCustomTableView *>(w);
            QMouseEvent move(QEvent::MouseMove, QPointF(300, 26 + 5 * 40 + 20), QPointF(), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(t->viewport(), &move);
        });
    }
    {
        auto *table = new QVCustomTableView;
        auto *model = downloadsModel(table);
        model->removeRows(0, model->rowCount());
        dressTable(table, model);
        table->setEmptyRowImage(glyphImage(QStringLiteral("downlaod1"), QStringLiteral("Guidancemap")));
        book.shoot(c, QStringLiteral("empty"), table, size);
    }
    {
        auto *table = new QVCustomTableLineView;
        dressTable(table, downloadsModel(table));
        table->setAlternatingRowColors(false);
        table->setDrawLine(true);
        book.shoot(c, QStringLiteral("line-view-odd-rows"), table, size);
    }
    {
        auto *table = new QVCustomTableSingleLineView;
        dressTable(table, downloadsModel(table));
        table->setAlternatingRowColors(false);
        selectRows(table, {3});
        book.shoot(c, QStringLiteral("single-line-view"), table, size);
    }
    {
        auto *table = new QVCustomTableItemBottomLineView;
        dressTable(table, downloadsModel(table));
        table->setAlternatingRowColors(false);
        table->setHeaderNeedDrawDivider(true);
        QLinearGradient g;
        g.setColorAt(0, QColor(250, 251, 252));
        g.setColorAt(1, QColor(236, 239, 242));
        table->setHeaderBackgroundGradient(g);
        book.shoot(c, QStringLiteral("bottom-line-view-gradient-header"), table, size);
    }
    book.finishCard(c);
}

// A row of the running-downloads list, painted by a delegate: thumbnail, title, progress.
class DownloadRowDelegate : public TableCellDelegate
{
public:
    using TableCellDelegate::TableCellDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRectF r = option.rect;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->fillRect(r, isHighlighted(option) ? QColor(231, 247, 237) : (option.state & QStyle::State_MouseOver) ? QColor(247, 249, 250) : QColor(Qt::white));
        p->fillRect(QRectF(r.x(), r.bottom() - 1, r.width(), 1), QColor(230, 234, 238));
        static const QImage thumbs[] = {MTImageView::roundedThumbnail(glyphImage(QStringLiteral("mainform-595")), galleryRatio),
                                        MTImageView::roundedThumbnail(glyphImage(QStringLiteral("mainform-663")), galleryRatio)};
        const QImage &thumb = thumbs[index.row() % 2];
        const QRectF tr(r.x() + 14, r.y() + (r.height() - 70) / 2, 126, 70);
        p->drawImage(tr, thumb);
        if (index.row() == 2) {
            const QImage mark = glyphImage(QStringLiteral("mainform-134"));
            p->drawImage(QRectF(tr.right() - 20, tr.bottom() - 20, 16, 16), mark);
        }
        QFont f = option.font;
        f.setPixelSize(14);
        p->setFont(f);
        p->setPen(QColor(31, 41, 51));
        p->drawText(QRectF(tr.right() + 16, r.y() + 18, r.width() - 320, 20), Qt::AlignLeft | Qt::AlignVCenter,
                    index.data().toString());
        const int progress = index.data(TableCellRoles::ProgressRole).toInt();
        const QRectF bar(tr.right() + 16, r.y() + 50, r.width() - 330, 6);
        p->setPen(Qt::NoPen);
        p->setBrush(QColor(230, 234, 238));
        p->drawRoundedRect(bar, 3, 3);
        p->setBrush(QColor(32, 192, 91));
        p->drawRoundedRect(QRectF(bar.topLeft(), QSizeF(bar.width() * progress / 100.0, bar.height())), 3, 3);
        f.setPixelSize(12);
        p->setFont(f);
        p->setPen(QColor(95, 107, 122));
        p->drawText(QRectF(bar.right() + 12, r.y() + 40, 120, 24), Qt::AlignLeft | Qt::AlignVCenter,
                    progress >= 100 ? QStringLiteral("Finished") : QStringLiteral("%1 %  ·  2.4 MB/s").arg(progress));
        p->restore();
    }
};

void downloadTables(GalleryBook &book)
{
    const QString c = QStringLiteral("DownloadTableView");
    auto *table = new DownloadTableView;
    auto *model = new QStandardItemModel(0, 1, table);
    const char *titles[] = {"Mountain lake at dawn", "City lights time-lapse", "Road trip playlist — track 3",
                            "Interview, part 2", "Keynote 2026"};
    const int progress[] = {100, 64, 23, 87, 5};
    for (int i = 0; i < 5; ++i) {
        auto *item = new QStandardItem(QString::fromUtf8(titles[i]));
        item->setData(progress[i], TableCellRoles::ProgressRole);
        model->appendRow(item);
    }
    table->setModel(model);
    table->setItemDelegate(new DownloadRowDelegate(table));
    table->verticalHeader()->setDefaultSectionSize(84);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setVerticalScrollBar(new MGCustomScroller(Qt::Vertical));
    selectRows(table, {1});
    book.shoot(c, QStringLiteral("populated"), table, QSize(620, 4 * 84));
    book.finishCard(c);
}

// ------------------------------------------------------------------ header, cells, badges

// Paints one delegate per state, side by side.
class CellStrip : public QWidget
{
public:
    CellStrip(QStyledItemDelegate *cell, QList<QStandardItem *> items, QList<bool> selected, const QSize &cellSize)
        : m_cell(cell), m_selected(std::move(selected)), m_size(cellSize)
    {
        m_cell->setParent(this);
        for (QStandardItem *item : items)
            m_model.appendRow(item);
    }
    void setDisabledRow(int row) { m_disabled = row; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        for (int i = 0; i < m_model.rowCount(); ++i) {
            QStyleOptionViewItem option;
            option.rect = QRect(QPoint(i * (m_size.width() + 12), 0), m_size);
            option.state = i == m_disabled ? QStyle::State_None : QStyle::State_Enabled;
            if (m_selected.value(i))
                option.state |= QStyle::State_Selected;
            option.font = font();
            option.palette = palette();
            p.save();
            p.setClipRect(option.rect);
            if (!m_selected.value(i))
                p.fillRect(option.rect, QColor(250, 251, 252));
            m_cell->paint(&p, option, m_model.index(i, 0));
            p.restore();
        }
    }

private:
    QStyledItemDelegate *m_cell;
    QStandardItemModel m_model;
    QList<bool> m_selected;
    QSize m_size;
    int m_disabled = -1;
};

QStandardItem *checked(bool on)
{
    auto *item = new QStandardItem;
    item->setCheckable(true);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    return item;
}

QStandardItem *withProgress(const QString &text, int progress)
{
    auto *item = new QStandardItem(text);
    item->setData(progress, TableCellRoles::ProgressRole);
    return item;
}

void cells(GalleryBook &book)
{
    const QString c = QStringLiteral("TableCells");
    const QImage site = glyphImage(QStringLiteral("table-site"), Art);
    {
        auto *cell = new ImageAndTextCell;
        cell->setImage(glyphImage(QStringLiteral("mainform-145")));
        cell->setHighlightImage(glyphImage(QStringLiteral("mainform-145")));
        book.shoot(c, QStringLiteral("ImageAndTextCell-normal-selected-group"),
                   new CellStrip(cell, {new QStandardItem(QStringLiteral("Downloads")), new QStandardItem(QStringLiteral("Converted")),
                                        [] { auto *g = new QStandardItem(QStringLiteral("PLAYLISTS")); g->setData(QImage(), Qt::DecorationRole); return g; }()},
                                 {false, true, false}, QSize(160, 40)),
                   QSize(3 * 172, 40));
    }
    {
        auto *cell = new MiddleTextAndInstallImageCell;
        cell->setImage(site);
        cell->setInstallImage(glyphImage(QStringLiteral("table-install"), Art));
        auto mk = [&](const QString &t, int p) {
            QStandardItem *item = withProgress(t, p);
            item->setData(glyphImage(QStringLiteral("table-install"), Art), Qt::DecorationRole);
            return item;
        };
        book.shoot(c, QStringLiteral("InstallImageCell-pie-0-40-100-101"),
                   new CellStrip(cell, {mk("Starting", 0), mk("Installing", 40), mk("Finishing", 100), mk("Installed", 101)},
                                 {}, QSize(150, 44)),
                   QSize(4 * 162, 44));
    }
    {
        auto *cell = new MiddleTextAndImageCell;
        cell->setImage(site);
        auto *after = new MiddleTextAndImageCell;
        after->setImage(site);
        after->setDirect(0);
        book.shoot(c, QStringLiteral("MiddleTextAndImageCell-before"),
                   new CellStrip(cell, {new QStandardItem(QStringLiteral("youtube.com")), new QStandardItem(QStringLiteral("vimeo.com"))},
                                 {false, true}, QSize(160, 36)),
                   QSize(2 * 172, 36));
        book.shoot(c, QStringLiteral("MiddleTextAndImageCell-after"),
                   new CellStrip(after, {new QStandardItem(QStringLiteral("youtube.com"))}, {}, QSize(160, 36)), QSize(160, 36));
    }
    {
        auto *cell = new QVTableViewTokenCell;
        auto *centred = new QStandardItem(QStringLiteral("MP4"));
        centred->setData(int(Qt::AlignHCenter), Qt::TextAlignmentRole);
        book.shoot(c, QStringLiteral("TokenCell-short-long-selected"),
                   new CellStrip(cell, {new QStandardItem(QStringLiteral("TS")), new QStandardItem(QStringLiteral("1080p H.264")),
                                        new QStandardItem(QStringLiteral("WEBM"))},
                                 {false, false, true}, QSize(110, 30)),
                   QSize(3 * 122, 30));
    }
    {
        auto *cell = new TableViewCheckCell;
        auto *strip = new CellStrip(cell, {checked(true), checked(false), checked(true), checked(false)}, {}, QSize(40, 30));
        strip->setDisabledRow(2);
        book.shoot(c, QStringLiteral("TableViewCheckCell-on-off-disabled"), strip, QSize(4 * 52, 30));
    }
    {
        auto *cell = new QVTableViewLineCell;
        cell->setBackgroundColor(QColor(32, 192, 91, 90));
        book.shoot(c, QStringLiteral("QVTableViewLineCell-translucent"),
                   new CellStrip(cell, {new QStandardItem}, {}, QSize(200, 20)), QSize(200, 20));
    }
    {
        auto *cell = new MiddleTextFieldCell;
        cell->setPlaceholder(QStringLiteral("No title"));
        auto *centred = new QStandardItem(QStringLiteral("Centred"));
        centred->setData(int(Qt::AlignHCenter), Qt::TextAlignmentRole);
        book.shoot(c, QStringLiteral("MiddleTextFieldCell-left-centred-placeholder"),
                   new CellStrip(cell, {new QStandardItem(QStringLiteral("Left aligned")), centred, new QStandardItem}, {},
                                 QSize(140, 36)),
                   QSize(3 * 152, 36));
    }
    {
        auto *cell = new LinkTextFieldCell;
        auto link = [](const QString &t, const QColor &color) {
            auto *item = new QStandardItem(t);
            item->setData(QStringLiteral("https://example.invalid/faq"), TableCellRoles::LinkRole);
            if (color.isValid())
                item->setForeground(color);
            return item;
        };
        book.shoot(c, QStringLiteral("LinkTextFieldCell-link-pressed-selected"),
                   new CellStrip(cell, {link(QStringLiteral("Read the FAQ"), QColor(32, 192, 91)), link(QStringLiteral("Read the FAQ"), Qt::red),
                                        link(QStringLiteral("Read the FAQ"), QColor())},
                                 {false, false, true}, QSize(140, 30)),
                   QSize(3 * 152, 30));
    }
    book.finishCard(c);
}

class HeaderStrip : public QWidget
{
public:
    explicit HeaderStrip(QList<QVTableViewHeaderCell> cells, QList<int> highlighted = {}, int sorted = -1, bool ascending = true)
        : m_cells(std::move(cells)), m_highlighted(std::move(highlighted)), m_sorted(sorted), m_ascending(ascending)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const qreal w = qreal(width()) / m_cells.size();
        for (int i = 0; i < m_cells.size(); ++i) {
            const QRectF r(i * w, 0, w, height());
            m_cells[i].draw(&p, r, m_highlighted.contains(i));
            if (i == m_sorted)
                m_cells[i].drawSortIndicator(&p, r, m_ascending);
        }
    }

private:
    QList<QVTableViewHeaderCell> m_cells;
    QList<int> m_highlighted;
    int m_sorted;
    bool m_ascending;
};

void headers(GalleryBook &book)
{
    const QString c = QStringLiteral("QVTableViewHeaderCell");
    book.setPageColor(QColor(226, 231, 236));
    auto cell = [](const QString &t, bool divider, bool top) {
        QVTableViewHeaderCell h(t);
        h.setDrawDivider(divider);
        h.setDrawTopLine(top);
        h.setHeadTextColor(QColor(95, 107, 122));
        if (divider) {
            QLinearGradient g;
            g.setColorAt(0, QColor(250, 251, 252));
            g.setColorAt(1, QColor(236, 239, 242));
            h.setBackgroundGradient(g);
        }
        return h;
    };
    book.shoot(c, QStringLiteral("flat"), new HeaderStrip({cell("Name", false, false), cell("Size", false, false), cell("Status", false, false)}),
               QSize(420, 26));
    book.shoot(c, QStringLiteral("flat-top-line-sorted-ascending"),
               new HeaderStrip({cell("Name", false, true), cell("Size", false, true), cell("Status", false, true)}, {}, 0, true),
               QSize(420, 26));
    book.shoot(c, QStringLiteral("divider-gradient-sorted-descending"),
               new HeaderStrip({cell("Name", true, true), cell("Size", true, true), cell("Status", true, true)}, {}, 1, false),
               QSize(420, 26));
    book.shoot(c, QStringLiteral("divider-highlighted"),
               new HeaderStrip({cell("Name", true, true), cell("Size", true, true), cell("Status", true, true)}, {1}), QSize(420, 26));
    QVTableViewHeaderCell margin = cell("Name, margin 20", false, false);
    margin.setHeadTextMarginLeft(20);
    QVTableViewHeaderCell image = cell("", false, false);
    image.setHeadImage(glyphImage(QStringLiteral("mainform-461")));
    book.shoot(c, QStringLiteral("margin-and-image"), new HeaderStrip({margin, image}), QSize(420, 26));
    book.setPageColor(Qt::white);
    book.finishCard(c);
}

class ImageShow : public QWidget
{
public:
    explicit ImageShow(QImage image, const QColor &back = Qt::transparent) : m_image(std::move(image)), m_back(back) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), m_back);
        const QSizeF s = ControlSlices::pointSize(m_image);
        p.drawImage(QRectF(QPointF((width() - s.width()) / 2, (height() - s.height()) / 2), s), m_image);
    }

private:
    QImage m_image;
    QColor m_back;
};

void thumbnailsAndBadges(GalleryBook &book, qreal ratio)
{
    const QString t = QStringLiteral("MTImageView");
    auto *thumb = new MTImageView;
    thumb->setImage(glyphImage(QStringLiteral("mainform-595")));
    book.shoot(t, QStringLiteral("thumbnail"), thumb, QSize(126, 70));
    auto *child = new MTImageView;
    child->setImage(glyphImage(QStringLiteral("mainform-663")));
    child->setIsChildrenNode(true);
    book.shoot(t, QStringLiteral("playlist-member"), child, QSize(126, 70));
    book.finishCard(t);

    const QString c = QStringLiteral("CTBadge");
    CTBadge badge;
    for (const char *label : {"7", "42", "123", "1234", "12345", "123456"})
        book.shoot(c, QStringLiteral("small-%1").arg(QLatin1String(label)),
                   new ImageShow(badge.badgeOfSize(CTBadge::SmallSize, QString::fromLatin1(label), ratio)), QSize(60, 30));
    book.shoot(c, QStringLiteral("large-infinity"), new ImageShow(badge.badgeOfSize(CTBadge::LargeSize, CTBadge::stringForValue(100000), ratio)),
               QSize(80, 56));
    book.shoot(c, QStringLiteral("large-green-99"),
               new ImageShow(CTBadge::badgeWithColor(Accent, Qt::white).badgeOfSize(CTBadge::LargeSize, QStringLiteral("99"), ratio)),
               QSize(80, 56));
    // The drag picture of three rows.
    auto *table = new QVCustomTableView;
    table->setDragImageProvider([](const QList<int> &) {
        QImage img(QSize(260, 44) * 2, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(2);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(213, 218, 224));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(0.5, 12.5, 240, 31), 6, 6);
        p.setPen(QColor(31, 41, 51));
        p.drawText(QRectF(12, 12, 220, 32), Qt::AlignVCenter, QStringLiteral("Mountain lake at dawn"));
        return img;
    });
    const QImage drag = table->dragImageForRows({0, 1, 2});
    delete table;
    book.shoot(c, QStringLiteral("drag-image-three-rows"), new ImageShow(drag), QSize(270, 50));
    book.finishCard(c);
}

void scrollers(GalleryBook &book)
{
    const QString c = QStringLiteral("MGCustomScroller");
    auto make = [](Qt::Orientation o) {
        auto *s = new MGCustomScroller(o);
        s->setRange(0, 100);
        s->setPageStep(30);
        s->setValue(30);
        return s;
    };
    book.shoot(c, QStringLiteral("vertical"), make(Qt::Vertical), QSize(14, 160));
    book.shoot(c, QStringLiteral("vertical-increment-pressed"), make(Qt::Vertical), QSize(14, 160), [](QWidget *w) {
        mouse(w, QEvent::MouseButtonPress, QPointF(7, 153));
    });
    book.shoot(c, QStringLiteral("horizontal"), make(Qt::Horizontal), QSize(220, 14));
    book.shoot(c, QStringLiteral("horizontal-decrement-pressed"), make(Qt::Horizontal), QSize(220, 14), [](QWidget *w) {
        mouse(w, QEvent::MouseButtonPress, QPointF(7, 7));
    });
    // The variant whose pictures the owner gives: here the same art, track in three parts.
    auto *custom = new CustomizeScroller(Qt::Vertical);
    const MGCustomScroller::Images &art = MGCustomScroller::sharedImages(Qt::Vertical, galleryRatio);
    CustomizeScroller::Images images;
    images.increase = art.nincrease;
    images.increaseHighlight = art.nincreaseHighlight;
    images.decrease = art.ndecrease;
    images.decreaseHighlight = art.ndecreaseHighlight;
    // This variant's knob middle starts 10 points in: its start cap is 10 high.
    QImage cap(QSize(14, 10) * galleryRatio, QImage::Format_ARGB32_Premultiplied);
    cap.setDevicePixelRatio(galleryRatio);
    cap.fill(Qt::transparent);
    {
        QPainter p(&cap);
        p.drawImage(QRectF(0, 0, 14, 6), art.knobLeft);
        p.drawImage(QRectF(0, 6, 14, 4), art.knobMid);
    }
    images.knobLeft = cap;
    images.knobMid = art.knobMid;
    images.knobRight = art.knobRight;
    images.bgLeft = images.bgMid = images.bgRight = art.background;
    custom->setImages(images);
    custom->setRange(0, 100);
    custom->setPageStep(40);
    custom->setValue(60);
    book.shoot(c, QStringLiteral("CustomizeScroller-vertical"), custom, QSize(14, 160));
    book.finishCard(c);
}

} // namespace

// Gallery pages of the table controls.
void tablePages(GalleryBook &book, qreal ratio)
{
    galleryRatio = ratio;
    toolBars(book);
    customTables(book);
    downloadTables(book);
    cells(book);
    headers(book);
    thumbnailsAndBadges(book, ratio);
    scrollers(book);
}
