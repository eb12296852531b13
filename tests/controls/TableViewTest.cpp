#include "WidgetTestSupport.h"

#include "controls/DownloadTableView.h"
#include "controls/QVCustomTableLineView.h"
#include "controls/QVCustomTableView.h"
#include "controls/TableViewCheckCell.h"
#include "platform/NotificationCenter.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace WidgetTest;

namespace {

// Rows computed on demand, so 10,000 of them cost nothing to make.
class RowsModel : public QAbstractTableModel
{
public:
    explicit RowsModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (m_empty.contains(index.row()))
            return {};
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? QStringLiteral("Video %1").arg(index.row()) : QStringLiteral("%1 MB").arg(index.row() % 97);
        if (role == Qt::CheckStateRole && index.column() == 0)
            return m_checked.contains(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::CheckStateRole)
            return false;
        if (value.toInt() == Qt::Checked)
            m_checked.insert(index.row());
        else
            m_checked.remove(index.row());
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &) const override
    {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    }
    QSet<int> m_empty;
    QSet<int> m_checked;

private:
    int m_rows;
};

template <typename Table> struct Fixture
{
    RowsModel model;
    std::unique_ptr<Table> table = std::make_unique<Table>();
    QMenu menu;

    explicit Fixture(int rows) : model(rows)
    {
        menu.addAction(QStringLiteral("Delete"));
        table->setModel(&model);
        table->setMenu(&menu);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->verticalHeader()->setDefaultSectionSize(30);
        table->resize(400, 300);
        table->show();
        QApplication::processEvents();
    }
    ~Fixture() { menu.hide(); }
    QWidget *vp() const { return table->viewport(); }
    QPoint rowPoint(int row) const { return QPoint(50, table->rowViewportPosition(row) + 15); }
    void select(const QList<int> &rows)
    {
        table->selectionModel()->clearSelection();
        for (int r : rows)
            table->selectionModel()->select(model.index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void rightClick(const QPoint &p)
    {
        QTest::mouseClick(vp(), Qt::RightButton, Qt::NoModifier, p);
        QApplication::processEvents();
        menu.hide();
    }
    void key(Qt::Key k) { QTest::keyClick(table.get(), k); }
};

struct Counter
{
    QObject owner;
    int count = 0;
    QObject *lastObject = nullptr;
    explicit Counter(const QString &name)
    {
        NotificationCenter::defaultCenter().addObserver(&owner, name, [this](const Notification &n) {
            ++count;
            lastObject = n.objectPointer();
        });
    }
};

} // namespace

TEST(QVCustomTableView, RightClickFollowsTheClickedRow)
{
    Fixture<QVCustomTableView> f(5);
    Counter changed(QStringLiteral("NSTableViewSelectionDidChangeNotification"));
    QSignalSpy shown(f.table.get(), &QVCustomTableView::contextMenuShown);
    struct Case { QList<int> before; int row; QList<int> after; int posts; int menus; };
    const Case cases[] = {
        {{2}, 2, {2}, 1, 1},          // the only selected row: kept, listeners refresh
        {{2}, 4, {4}, 0, 1},          // an unselected row: only it
        {{0, 1, 3}, 1, {0, 1, 3}, 0, 1},  // one of three: all kept
        {{0, 1, 3}, 4, {4}, 0, 1},
        {{1}, -1, {1}, 0, 1},         // below the last row: unchanged, menu for the selection
        {{}, -1, {}, 0, 0},           // nothing selected, no row: no menu
    };
    for (const Case &c : cases) {
        f.select(c.before);
        changed.count = 0;
        shown.clear();
        f.rightClick(c.row < 0 ? QPoint(50, 280) : f.rowPoint(c.row));
        EXPECT_EQ(f.table->selectedRowList(), c.after) << "row " << c.row;
        EXPECT_EQ(changed.count, c.posts) << "row " << c.row;
        EXPECT_EQ(shown.count(), c.menus) << "row " << c.row;
    }
    EXPECT_EQ(changed.lastObject, f.table.get());
}

TEST(QVCustomTableView, KeysDeleteOnlyAndClicksReportRealRows)
{
    Fixture<QVCustomTableView> f(5);
    QSignalSpy deletes(f.table.get(), &QVCustomTableView::willDeleteRowsAtIndexes);
    QSignalSpy clicked(f.table.get(), &QVCustomTableView::didClickedRow);
    f.select({1, 2});
    f.table->setCurrentIndex(f.model.index(2, 0));
    f.select({1, 2});
    f.key(Qt::Key_Down);  // arrows move nothing
    EXPECT_EQ(f.table->selectedRowList(), (QList<int>{1, 2}));
    f.key(Qt::Key_Backspace);
    f.key(Qt::Key_Delete);
    ASSERT_EQ(deletes.count(), 2);
    EXPECT_EQ(deletes.at(0).at(0).value<QList<int>>(), (QList<int>{1, 2}));
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, f.rowPoint(3));
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 280));  // below the rows
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 3);
}

TEST(QVCustomTableView, HoverRowAndExit)
{
    Fixture<QVCustomTableView> f(5);
    QSignalSpy entered(f.table.get(), &QVCustomTableView::mouseEnterAtRow);
    QSignalSpy exited(f.table.get(), &QVCustomTableView::mouseExist);
    move(f.vp(), f.rowPoint(1));
    move(f.vp(), f.rowPoint(1) + QPoint(10, 2));  // same row: no new report
    move(f.vp(), f.rowPoint(3));
    move(f.vp(), QPoint(50, 280));
    ASSERT_EQ(entered.count(), 3);
    EXPECT_EQ(entered.at(0).at(0).toInt(), 1);
    EXPECT_EQ(entered.at(1).at(0).toInt(), 3);
    EXPECT_EQ(entered.at(2).at(0).toInt(), -1);
    leave(f.vp());
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(f.table->mouseOverRow(), -1);
}

TEST(QVCustomTableView, CheckCellTogglesItsRowInTheSelection)
{
    Fixture<QVCustomTableView> f(5);
    auto *check = new TableViewCheckCell(f.table.get());
    f.table->setItemDelegateForColumn(0, check);
    f.select({1});
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, f.rowPoint(3));
    EXPECT_EQ(f.table->selectedRowList(), (QList<int>{1, 3}));
    EXPECT_TRUE(f.model.m_checked.contains(3));
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, f.rowPoint(3));
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{1});
    // A hidden check cell is never hit: the click selects as usual.
    check->setHidden(true);
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, f.rowPoint(4));
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{4});
}

TEST(QVCustomTableView, EmptyImagePlayBarSelectionAndOddLines)
{
    Fixture<QVCustomTableView> empty(0);
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(QColor(10, 20, 200));
    empty.table->setEmptyRowImage(picture);
    const QImage e = render(empty.vp());
    EXPECT_EQ(e.pixelColor(e.width() / 2, e.height() / 2), QColor(10, 20, 200));
    Fixture<QVCustomTableView> one(1);
    one.table->setEmptyRowImage(picture);
    const QImage o = render(one.vp());
    EXPECT_NE(o.pixelColor(o.width() / 2, o.height() / 2), QColor(10, 20, 200));

    Fixture<QVCustomTableView> f(3);
    f.select({1});
    f.table->setPlayIndex(0);
    QImage img = render(f.vp());
    EXPECT_EQ(img.pixelColor(5, 15), QColor(137, 209, 1));
    EXPECT_EQ(img.pixelColor(200, 30 + 2), QColor(243, 248, 242));  // the selected row's fill
    f.table->setPlayIndex(3);  // equal to the row count: no bar
    img = render(f.vp());
    EXPECT_NE(img.pixelColor(5, 2 * 30 + 15), QColor(137, 209, 1));

    Fixture<QVCustomTableLineView> lines(6);
    lines.model.m_empty = {3};
    lines.table->setShowGrid(false);
    lines.table->setDrawLine(true);
    const QImage l = render(lines.vp());
    for (int row = 0; row < 6; ++row) {
        const bool dark = l.pixelColor(380, row * 30 + 29).lightness() < 120;
        EXPECT_EQ(dark, row == 1 || row == 5) << "row " << row;
    }
}

TEST(QVCustomTableView, DragImageOfSeveralRowsCarriesTheCount)
{
    Fixture<QVCustomTableView> f(5);
    EXPECT_TRUE(f.table->dragImageForRows({1, 2}).isNull());  // no provider: the standard picture
    f.table->setDragImageProvider([](const QList<int> &) {
        QImage img(200, 40, QImage::Format_ARGB32_Premultiplied);
        img.fill(QColor(0, 0, 255));
        return img;
    });
    const QImage drag = f.table->dragImageForRows({1, 2});
    ASSERT_EQ(drag.size(), QSize(200, 40));
    EXPECT_NEAR(drag.pixelColor(10, 30).alpha(), 204, 2);  // the picture at 0.8
    // The badge sits in the top right corner: red over the blue.
    const QColor badge = drag.pixelColor(200 - 20, 11);  // left of the white label
    EXPECT_GT(badge.red(), 150);
    EXPECT_LT(badge.blue(), 150);
    // One row asks for a row view.
    EXPECT_TRUE(f.table->imageForRow(7).isNull());
    QWidget rowView;
    f.table->setItemViewProvider([&](int) { return &rowView; });
    EXPECT_EQ(f.table->imageForRow(1).size(), QSize(f.table->rowRect(1).size()));
    EXPECT_TRUE(f.table->imageForRow(5).isNull());
}

TEST(DownloadTableView, ContextMenuRules)
{
    Fixture<DownloadTableView> f(3);
    QSignalSpy shown(f.table.get(), &DownloadTableView::contextMenuShown);
    f.rightClick(QPoint(50, 280));  // below the last row, flag off
    EXPECT_EQ(shown.count(), 0);
    f.select({0, 1, 2});
    f.rightClick(f.rowPoint(1));
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(f.table->selectedRowList(), (QList<int>{0, 1, 2}));
    f.rightClick(QPoint(50, 280));
    EXPECT_EQ(f.table->selectedRowList(), (QList<int>{0, 1, 2}));

    Fixture<DownloadTableView> none(0);
    QSignalSpy emptyShown(none.table.get(), &DownloadTableView::contextMenuShown);
    none.rightClick(QPoint(50, 100));
    EXPECT_EQ(emptyShown.count(), 0);
    none.table->setIsShowMenuWithEmptyTable(true);
    none.rightClick(QPoint(50, 100));
    EXPECT_EQ(emptyShown.count(), 1);
    EXPECT_TRUE(none.table->selectedRowList().isEmpty());
}

TEST(DownloadTableView, KeysPostNotificationsAndMoveTheSelection)
{
    Fixture<DownloadTableView> f(5);
    Counter deletes(QStringLiteral("DeleteNotification")), spaces(QStringLiteral("SpaceDownNotification"));
    f.key(Qt::Key_Up);  // no selection: -2 is out of range
    EXPECT_TRUE(f.table->selectedRowList().isEmpty());
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{0});
    f.select({4});
    f.key(Qt::Key_Down);  // the last row stays
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{4});
    f.key(Qt::Key_Up);
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{3});

    f.key(Qt::Key_Space);
    EXPECT_EQ(spaces.count, 1);
    EXPECT_EQ(spaces.lastObject, f.table.get());
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{3});
    f.key(Qt::Key_Backspace);
    f.key(Qt::Key_Delete);
    EXPECT_EQ(deletes.count, 2);
    f.key(Qt::Key_A);
    EXPECT_EQ(deletes.count + spaces.count, 3);

    // A sheet over the window: keys do nothing.
    QDialog sheet(f.table.get());
    sheet.setWindowModality(Qt::WindowModal);
    sheet.show();
    QApplication::processEvents();
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(f.table.get(), &space);
    EXPECT_EQ(spaces.count, 1);
    sheet.hide();
}

TEST(DownloadTableView, TenThousandRowsByKeyboardAndMouse)
{
    Fixture<DownloadTableView> f(10000);
    f.table->setFocus();
    for (int i = 0; i < 300; ++i)
        f.key(Qt::Key_Down);
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{299});
    // The selected row was scrolled into view.
    EXPECT_TRUE(f.vp()->rect().intersects(f.table->visualRect(f.model.index(299, 0))));
    f.table->verticalScrollBar()->setValue(f.table->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const int last = f.table->rowAt(f.vp()->height() - 5);
    EXPECT_EQ(last, 9999);
    QTest::mouseClick(f.vp(), Qt::LeftButton, Qt::NoModifier, QPoint(50, f.vp()->height() - 5));
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{9999});
    f.key(Qt::Key_Down);
    EXPECT_EQ(f.table->selectedRowList(), QList<int>{9999});
    const QImage img = render(f.vp());
    EXPECT_FALSE(img.isNull());
}
