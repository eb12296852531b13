#include "WidgetTestSupport.h"

#include "controls/CTBadge.h"
#include "controls/CustomizeScroller.h"
#include "controls/LinkTextFieldCell.h"
#include "controls/TGCustomCell.h"
#include "controls/ControlSlices.h"
#include "controls/ImageAndTextCell.h"
#include "controls/MGCustomScroller.h"
#include "controls/MTImageView.h"
#include "controls/MiddleTextAndInstallImageCell.h"
#include "controls/QVTableViewHeaderCell.h"
#include "controls/QVTableViewLineCell.h"
#include "controls/QVTableViewTokenCell.h"
#include "controls/TableViewCheckCell.h"

#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace WidgetTest;

namespace {

QImage solid(int w, int h, const QColor &c)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(c);
    return img;
}

// Paints one cell of a one-item model into a transparent picture.
QImage paintCell(const QStyledItemDelegate &cell, QStandardItem *item, const QSize &size, bool selected = false,
                 bool enabled = true)
{
    QStandardItemModel model;
    model.appendRow(item);
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), size);
    option.state = QStyle::State_Enabled;
    if (selected)
        option.state |= QStyle::State_Selected;
    if (!enabled)
        option.state &= ~QStyle::State_Enabled;
    option.font = QApplication::font();
    option.palette = QApplication::palette();
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    cell.paint(&p, option, model.index(0, 0));
    return img;
}

bool blank(const QImage &img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)))
                return false;
    return true;
}

} // namespace

TEST(TableCells, ImageAndTextCell)
{
    ImageAndTextCell cell;
    cell.setImage(solid(32, 32, Qt::red));
    EXPECT_EQ(cell.image().size(), QSize(18, 18));
    ImageAndTextCell empty;
    // No picture, empty title: only the highlight of a selected row.
    EXPECT_TRUE(blank(paintCell(empty, new QStandardItem(), QSize(200, 30))));
    const QImage highlighted = paintCell(empty, new QStandardItem(), QSize(200, 30), true);
    EXPECT_EQ(highlighted.pixelColor(100, 15), ImageAndTextCell::highlightColor());
    // A group row shows its title; a short row never gets a negative height.
    EXPECT_FALSE(blank(paintCell(empty, new QStandardItem("Playlists"), QSize(200, 40))));
    EXPECT_NO_FATAL_FAILURE(paintCell(empty, new QStandardItem("Playlists"), QSize(200, 6)));
    // With a picture: at x 3, centred.
    const QImage withImage = paintCell(cell, new QStandardItem("Video"), QSize(200, 30));
    EXPECT_EQ(withImage.pixelColor(3 + 9, 15), QColor(Qt::red));
}

TEST(TableCells, InstallPieAtZeroHundredAndAbove)
{
    MiddleTextAndInstallImageCell cell;
    cell.setImage(solid(36, 36, QColor(0, 200, 0)));
    cell.setInstallImage(solid(36, 36, Qt::white));
    struct Case { int progress; QColor centre; };
    const Case cases[] = {
        {101, QColor(0, 200, 0)},    // only the row's picture
        {100, QColor(Qt::white)},    // the install picture, no pie
        {0, QColor(89, 89, 89)},     // a full dark disc over it
    };
    for (const Case &c : cases) {
        cell.setProgress(c.progress);
        const QImage img = paintCell(cell, new QStandardItem(), QSize(200, 40));
        // Picture before the text: (2 + 5, 2) in a 40-high row, 36 x 36.
        const QColor centre = img.pixelColor(7 + 18, 2 + 18);
        EXPECT_NEAR(centre.red(), c.centre.red(), 3) << c.progress;
        EXPECT_NEAR(centre.green(), c.centre.green(), 3) << c.progress;
    }
    // The model's progress wins over the cell's.
    cell.setProgress(101);
    auto *item = new QStandardItem();
    item->setData(0, TableCellRoles::ProgressRole);
    EXPECT_NEAR(paintCell(cell, item, QSize(200, 40)).pixelColor(25, 20).red(), 89, 3);
}

TEST(TableCells, TokenLineAndCheck)
{
    QVTableViewTokenCell token;
    const QImage t = paintCell(token, new QStandardItem("ab"), QSize(200, 30));
    EXPECT_EQ(t.pixelColor(2 + 45, 15), QVTableViewTokenCell::tokenColor(false));  // widened to 50
    EXPECT_EQ(t.pixelColor(2 + 55, 15).alpha(), 0);
    EXPECT_EQ(paintCell(token, new QStandardItem("ab"), QSize(200, 30), true).pixelColor(2 + 45, 15),
              QVTableViewTokenCell::tokenColor(true));
    EXPECT_TRUE(blank(paintCell(token, new QStandardItem(""), QSize(200, 30))));

    QVTableViewLineCell line;
    line.setBackgroundColor(QColor(0, 0, 0, 100));
    const QImage l = paintCell(line, new QStandardItem("ignored"), QSize(100, 20));
    EXPECT_GT(l.pixelColor(50, 10).alpha(), l.pixelColor(50, 5).alpha());  // the band is darker

    TableViewCheckCell check;
    auto *on = new QStandardItem();
    on->setCheckState(Qt::Checked);
    const QImage c = paintCell(check, on, QSize(40, 30));
    EXPECT_FALSE(blank(c));
    auto *offDisabled = new QStandardItem();
    offDisabled->setCheckState(Qt::Unchecked);
    const QImage d = paintCell(check, offDisabled, QSize(40, 30), false, false);
    EXPECT_LT(d.pixelColor(12, 7).alpha(), 200);  // drawn at half opacity
    check.setHidden(true);
    auto *hidden = new QStandardItem();
    hidden->setCheckState(Qt::Checked);
    EXPECT_TRUE(blank(paintCell(check, hidden, QSize(40, 30))));
    EXPECT_EQ(check.hitTest(QRectF(0, 0, 40, 30), QPointF(5, 5)), 0);
}

TEST(TableHeaderCell, LinesDividerAndHighlight)
{
    auto draw = [](const QVTableViewHeaderCell &cell, bool highlighted) {
        QImage img(120, 26, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        cell.draw(&p, QRectF(0, 0, 120, 26), highlighted);
        return img;
    };
    QVTableViewHeaderCell flat;
    flat.setDrawDivider(false);
    flat.setDrawTopLine(false);
    QImage img = draw(flat, false);
    EXPECT_EQ(img.pixelColor(60, 25), QVTableViewHeaderCell::lineColor());
    EXPECT_EQ(img.pixelColor(60, 0), QColor(Qt::white));
    EXPECT_EQ(draw(flat, true), img);  // highlighting shows nothing in the flat look
    flat.setDrawTopLine(true);
    EXPECT_EQ(draw(flat, false).pixelColor(60, 0), QVTableViewHeaderCell::lineColor());

    QVTableViewHeaderCell divided;
    const QImage normal = draw(divided, false), pressed = draw(divided, true);
    EXPECT_EQ(normal.pixelColor(60, 12), QColor(Qt::white));
    EXPECT_NEAR(pressed.pixelColor(60, 12).red(), 230, 2);  // black at 10 % over white
    EXPECT_EQ(normal.pixelColor(60, 25).alpha(), 0);        // no grey line in divider mode

    // The title moves right with its margin.
    QVTableViewHeaderCell titled(QStringLiteral("Name"));
    titled.setDrawDivider(false);
    titled.setHeadTextColor(Qt::black);
    auto firstInk = [](const QImage &i) {
        for (int x = 0; x < i.width(); ++x)
            for (int y = 2; y < 24; ++y)
                if (i.pixelColor(x, y).lightness() < 128)
                    return x;
        return -1;
    };
    const int plain = firstInk(draw(titled, false));
    titled.setHeadTextMarginLeft(20);
    EXPECT_EQ(firstInk(draw(titled, false)), plain + 20);
}

TEST(MTImageView, RoundedThumbnailChildMarkAndPointerReports)
{
    MTImageView view;
    view.resize(126, 70);
    view.setImage(solid(640, 360, QColor(200, 40, 40)));
    EXPECT_EQ(ControlSlices::pointSize(view.image()), QSizeF(126, 70));
    view.setImage(solid(30, 90, QColor(200, 40, 40)));
    EXPECT_EQ(ControlSlices::pointSize(view.image()), QSizeF(126, 70));
    QImage img = render(&view);
    EXPECT_EQ(img.pixelColor(0, 0).alpha(), 0);  // rounded corner
    EXPECT_EQ(img.pixelColor(63, 35), QColor(200, 40, 40));
    view.setIsChildrenNode(true);
    img = render(&view);
    // The mark is 4 in from the right and 4 up from the bottom: its centre is (114, 58) top-down.
    EXPECT_NE(img.pixelColor(114, 58), QColor(200, 40, 40));
    EXPECT_EQ(img.pixelColor(100, 58), QColor(200, 40, 40));

    QSignalSpy entered(&view, &MTImageView::mtImageViewMouseEntered);
    QSignalSpy exited(&view, &MTImageView::mtImageViewMouseExited);
    enter(&view);
    move(&view, QPointF(10, 10));
    EXPECT_EQ(entered.count(), 0);  // no tracking before it is installed
    view.addTrackingArea();
    enter(&view);
    move(&view, QPointF(10, 10));
    move(&view, QPointF(11, 10));
    move(&view, QPointF(200, 10));
    leave(&view);
    EXPECT_EQ(entered.count(), 3);
    EXPECT_EQ(exited.count(), 2);
}

TEST(CTBadge, PicturesOfValuesAndStrings)
{
    CTBadge badge;
    const QImage small = badge.badgeOfSize(23, QStringLiteral("7"), 1);
    EXPECT_EQ(small.size(), QSize(25, 25));
    const QImage four = badge.badgeOfSize(23, QStringLiteral("1234"), 1);
    EXPECT_GT(four.width(), small.width());  // the fourth mask is wider
    const QImage large = badge.largeBadgeForValue(100000);
    EXPECT_GT(ControlSlices::pointSize(large).height(), 46);
    EXPECT_EQ(CTBadge::stringForValue(100000), QString(QChar(0x221E)));
    EXPECT_EQ(badge.labelForString(QStringLiteral("123456"), 11).text, QString("123") + QChar(0x2026) + QChar(0x200B));
    EXPECT_THROW(badge.badgeOfSize(0, QStringLiteral("1")), std::invalid_argument);
    EXPECT_THROW(badge.badgeOfSize(-4, QStringLiteral("1")), std::invalid_argument);
    // The middle of a small badge is the badge colour.
    const QColor mid = small.pixelColor(6, 12);
    EXPECT_GT(mid.red(), 180);
    EXPECT_LT(mid.green(), 110);
    const QImage overlay = badge.badgeOverlayImageForString(QStringLiteral("3"), 0, 0);
    EXPECT_EQ(ControlSlices::pointSize(overlay), QSizeF(128, 128));
    const QGradientStops stops = badge.badgeGradient();
    ASSERT_EQ(stops.size(), 3);
    EXPECT_EQ(stops[1].second, badge.badgeColor());
    EXPECT_LT(stops[2].second.red(), badge.badgeColor().red());
}

TEST(MGCustomScroller, SharedArtPressedArrowAndFallbacks)
{
    const MGCustomScroller::Images &v = MGCustomScroller::sharedImages(Qt::Vertical);
    const MGCustomScroller::Images &h = MGCustomScroller::sharedImages(Qt::Horizontal);
    for (const QImage *img : {&v.increase, &v.decrease, &v.nincrease, &v.ndecrease, &v.knobLeft, &v.knobMid,
                              &v.knobRight, &v.background, &v.arrowOtherSideEndPart, &h.increase, &h.knobMid})
        EXPECT_FALSE(img->isNull());
    EXPECT_EQ(&MGCustomScroller::sharedImages(Qt::Vertical), &v);  // read once, shared

    MGCustomScroller scroller(Qt::Vertical);
    scroller.setRange(0, 100);
    scroller.setPageStep(20);
    scroller.resize(14, 200);
    scroller.show();
    EXPECT_FALSE(scroller.isArrowTogether());
    const QRect add = scroller.partRect(QStyle::SC_ScrollBarAddLine);
    ASSERT_FALSE(add.isEmpty());
    const QPoint plate = add.topLeft() + QPoint(3, 3);  // off the chevron
    const QColor rest = render(&scroller).pixelColor(plate);
    QTest::mousePress(&scroller, Qt::LeftButton, Qt::NoModifier, add.center());
    const QColor down = render(&scroller).pixelColor(plate);
    QTest::mouseRelease(&scroller, Qt::LeftButton, Qt::NoModifier, add.center());
    EXPECT_NE(rest, down);
    EXPECT_GT(down.green(), down.red());  // the green pressed plate

    // Pictures set before the first paint are kept; without any the style draws.
    MGCustomScroller custom(Qt::Horizontal);
    MGCustomScroller::Images mine;
    mine.increase = solid(14, 14, Qt::red);
    custom.setImages(mine);
    custom.resize(200, 14);
    custom.setRange(0, 10);
    render(&custom);
    EXPECT_EQ(custom.images().increase.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_TRUE(custom.images().knobLeft.isNull());
    EXPECT_FALSE(blank(render(&custom)));
}

TEST(LinkTextFieldCell, ClickOnTheTextClicksItsLink)
{
    QStandardItemModel model;
    auto *linked = new QStandardItem(QStringLiteral("Open the page"));
    linked->setData(QStringLiteral("https://example.invalid/help"), TableCellRoles::LinkRole);
    model.appendRow({linked});
    model.appendRow({new QStandardItem(QStringLiteral("No link here"))});
    QTableView table;
    table.setModel(&model);
    auto *cell = new LinkTextFieldCell(&table);
    QList<QString> clicked;
    cell->setLinkClickedHandler([&](const QVariant &link, LinkTextFieldCell *) { clicked.append(link.toString()); });
    table.setItemDelegate(cell);
    table.setColumnWidth(0, 300);
    table.resize(400, 200);
    table.show();
    QApplication::processEvents();
    auto textPoint = [&](int row) {
        return table.visualRect(model.index(row, 0)).topLeft() + QPoint(10, table.rowHeight(row) / 2);
    };
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, textPoint(0));
    EXPECT_EQ(clicked, QList<QString>{QStringLiteral("https://example.invalid/help")});
    EXPECT_EQ(model.index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));  // stays red
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, textPoint(1));
    EXPECT_EQ(clicked.size(), 1);  // no link: nothing
    // Pressed on the text, released off it: no click.
    QTest::mousePress(table.viewport(), Qt::LeftButton, Qt::NoModifier, textPoint(0));
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, Qt::NoModifier, textPoint(0) + QPoint(250, 0));
    EXPECT_EQ(clicked.size(), 1);
    EXPECT_TRUE(cell->performPress(model.index(0, 0)));
    EXPECT_FALSE(cell->performPress(model.index(1, 0)));
}

TEST(TGCustomCell, PaintingPlacesTheHostedViewOverTheCell)
{
    QStandardItemModel model(2, 1);
    QTableView table;
    table.setModel(&model);
    auto *cell = new TGCustomCell(&table);
    QWidget hosted;
    cell->setShowView(&hosted);
    table.setItemDelegateForRow(1, cell);
    table.resize(300, 200);
    table.show();
    render(&table);
    EXPECT_EQ(hosted.parentWidget(), table.viewport());
    EXPECT_EQ(hosted.geometry(), table.visualRect(model.index(1, 0)));
    hosted.setParent(nullptr);
}

TEST(CustomizeScroller, CompleteGroupsDrawFromPictures)
{
    CustomizeScroller scroller(Qt::Vertical);
    scroller.setRange(0, 100);
    scroller.setPageStep(20);
    scroller.resize(14, 200);
    scroller.show();
    const QImage styleOnly = render(&scroller);
    CustomizeScroller::Images arrows;
    arrows.increase = arrows.increaseHighlight = arrows.decrease = arrows.decreaseHighlight = solid(14, 14, Qt::red);
    scroller.setImages(arrows);
    EXPECT_TRUE(scroller.arrowsComplete());
    EXPECT_FALSE(scroller.trackComplete());
    EXPECT_FALSE(scroller.knobComplete());
    const QImage withArrows = render(&scroller);
    EXPECT_EQ(withArrows.pixelColor(7, 195), QColor(Qt::red));  // the increment arrow's picture
    EXPECT_NE(styleOnly.pixelColor(7, 195), QColor(Qt::red));
    // One knob picture missing: the style draws the knob.
    CustomizeScroller::Images all = arrows;
    all.bgLeft = all.bgMid = all.bgRight = solid(14, 14, Qt::white);
    all.knobLeft = all.knobRight = solid(14, 6, Qt::blue);
    scroller.setImages(all);
    EXPECT_FALSE(scroller.knobComplete());
    all.knobMid = solid(14, 4, Qt::blue);
    scroller.setImages(all);
    const QImage complete = render(&scroller);
    const QRect knob = QRect(0, 0, 14, 200).intersected(QRect(0, 14, 14, 40));
    EXPECT_EQ(complete.pixelColor(7, knob.top() + 20), QColor(Qt::blue));
}
