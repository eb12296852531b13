#include "controls/TableGeometry.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace TableGeometry;

TEST(ToolBarGeometry, ColumnFramesStackDownFromTheTopWhateverTheItemSpace)
{
    const qreal H = 600;
    QList<ToolBarPassItem> items(5, ToolBarPassItem{true, QSizeF(122, 94)});
    for (qreal space : {0.0, 2.0, 30.0}) {
        const QList<QRectF> frames = toolBarFrames(items, 100, 0, H, 0, space);
        ASSERT_EQ(frames.size(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(frames[i], QRectF(0, H - 94 * (i + 1), 122, 94)) << i << " space " << space;
    }
    // A hidden item takes no room: the next one takes its place.
    items[1].visible = false;
    const QList<QRectF> frames = toolBarFrames(items, 100, 0, H, 0, 2);
    EXPECT_EQ(frames[1], QRectF(0, H - 94, 0, 0));
    EXPECT_EQ(frames[2], QRectF(0, H - 188, 122, 94));
    // Only the first showCount items are laid out.
    EXPECT_EQ(toolBarFrames(items, 2, 0, H, 0, 2).size(), 2);
}

TEST(ToolBarGeometry, RowFramesAdvanceByWidthAndSpace)
{
    const QList<ToolBarPassItem> items = {{true, QSizeF(40, 30)}, {false, {}}, {true, QSizeF(60, 30)}};
    const QList<QRectF> frames = toolBarFrames(items, 100, 1, 30, 3, 5);
    EXPECT_EQ(frames[0], QRectF(0, 3, 40, 30));
    EXPECT_EQ(frames[1], QRectF(45, 3, 0, 0));
    EXPECT_EQ(frames[2], QRectF(45, 3, 60, 30));
}

TEST(ToolBarGeometry, HitTestUsesRecordedFramesAndShowCount)
{
    const QList<QRectF> frames = {QRectF(0, 100, 50, 50), QRectF(0, 50, 0, 0), QRectF(0, 50, 50, 50)};
    EXPECT_EQ(toolBarHitIndex(frames, QPointF(10, 120), 3), 0);
    EXPECT_EQ(toolBarHitIndex(frames, QPointF(10, 60), 3), 2);
    EXPECT_EQ(toolBarHitIndex(frames, QPointF(10, 60), 2), NotFound);
    EXPECT_EQ(toolBarHitIndex(frames, QPointF(80, 60), 3), NotFound);
    EXPECT_EQ(toolBarHitIndex({}, QPointF(0, 0), 3), NotFound);
}

TEST(ToolBarGeometry, ItemSizesByImagePosition)
{
    const QSizeF F(130, 600);
    struct Case { int pos; int direction; bool stateImage; QSizeF expected; };
    // Label 30 x 16, image 40 x 32, margin 5.
    const Case cases[] = {
        {NoImage, 0, true, {40, 600}},
        {ImageOnly, 0, false, {25, 25}},
        {ImageOnly, 0, true, {50, 600}},
        {ImageLeft, 0, true, {90, 600}},
        {ImageRight, 0, true, {126, 68}},
        {ImageRight, 1, true, {40, 68}},
        {ImageBelow, 0, true, {50, 600}},
        {ImageBelow, 0, false, {40, 600}},
        {ImageAbove, 0, true, {126, 68}},
        {ImageAbove, 1, true, {50, 600}},
        {9, 0, true, {0, 0}},
    };
    for (const Case &c : cases) {
        ToolBarItemMeasure m;
        m.imagePosition = c.pos;
        m.margin = 5;
        m.label = QSizeF(30, 16);
        m.image = QSizeF(40, 32);
        m.hasStateImage = c.stateImage;
        EXPECT_EQ(toolBarItemSize(m, F, c.direction), c.expected) << "position " << c.pos << " mode " << c.direction;
    }
    ToolBarItemMeasure wide;
    wide.imagePosition = ImageAbove;
    wide.label = QSizeF(70, 16);
    wide.image = QSizeF(40, 32);
    EXPECT_EQ(toolBarItemSize(wide, F, 1), QSizeF(80, 600));
}

TEST(ToolBarGeometry, RedDotBesideTheCentredImageOrAtTheCorner)
{
    const QRectF R(0, 0, 122, 94);
    // Image-above layout with a 40-point image: centred at x 41.
    const ToolBarItemLayout l = toolBarItemLayout(ImageAbove, R, QSizeF(118, 16), true, 5, QSizeF(40, 40),
                                                  QSizeF(40, 40), true, true);
    EXPECT_EQ(l.image, QRectF(41, 94 - 5 - 40, 40, 40));
    EXPECT_EQ(l.anchor, l.image);
    EXPECT_EQ(toolBarRedDot(R, l.anchor), QRectF(74, 67, 10, 10));
    // Without an anchor.
    EXPECT_EQ(toolBarRedDot(R, QRectF()), QRectF(122 - 15 + 2, 94 - 20, 10, 10));
    // An image too wide for a dot beside it: the dot goes to the item's corner.
    EXPECT_EQ(toolBarRedDot(R, QRectF(2, 10, 118, 70)), QRectF(122 - 5 - 2, 94 - 25 - 2, 10, 10));
    // A narrow item shrinks the dot: radius is a tenth of the width.
    EXPECT_EQ(toolBarRedDot(QRectF(0, 0, 30, 30), QRectF()).width(), 6);
    // No badge, no anchor.
    EXPECT_TRUE(toolBarItemLayout(ImageAbove, R, {}, false, 5, QSizeF(40, 40), QSizeF(40, 40), true, false).anchor.isNull());
}

TEST(ToolBarGeometry, LabelAndImagePlacesOfEachLayout)
{
    const QRectF R(10, 20, 100, 40);
    const QSizeF L(30, 14), C(16, 16);
    const qreal m = 4;
    auto at = [&](int pos, bool image = true) { return toolBarItemLayout(pos, R, L, true, m, C, C, image, false); };
    EXPECT_EQ(at(NoImage).label, QRectF(14, 33, 30, 14));
    EXPECT_EQ(at(ImageOnly).image, QRectF(14, 32, 16, 16));
    EXPECT_EQ(at(ImageLeft).image, QRectF(14, 32, 16, 16));
    EXPECT_EQ(at(ImageLeft).label.topLeft(), QPointF(10 + 8 + 16, 33));
    EXPECT_EQ(at(ImageLeft, false).label.topLeft(), QPointF(14, 33));
    EXPECT_EQ(at(ImageRight).image, QRectF(52, 40, 16, 16));
    EXPECT_EQ(at(ImageRight).label, QRectF(12, 20, 96, 20));
    EXPECT_TRUE(at(ImageBelow, false).sliceFillsItem);
    EXPECT_EQ(at(ImageBelow, false).label, QRectF(14, 33, 92, 14));
    EXPECT_EQ(at(ImageAbove).label, QRectF(12, 20, 96, 40 - 16 - 4 - 4));
    // An image taller than the item is drawn at the item's size.
    EXPECT_EQ(toolBarItemLayout(ImageOnly, R, L, false, m, QSizeF(50, 50), QSizeF(50, 50), true, false).image,
              QRectF(14, 20, 100, 40));
}

TEST(TableRules, ContextMenuSelection)
{
    struct Case { QList<int> selected; int row; QList<int> after; bool post; };
    const Case cases[] = {
        {{}, 2, {2}, false},            // nothing selected: the clicked row
        {{4}, 4, {4}, true},            // the only selected row: kept, listeners told
        {{4}, 2, {2}, false},           // another row: only it
        {{1, 3, 5}, 3, {1, 3, 5}, false},  // several containing the row: kept
        {{1, 3, 5}, 2, {2}, false},     // several without it: only it
        {{1, 3}, -1, {1, 3}, false},    // on no row: unchanged
        {{4}, -1, {4}, false},          // on no row with one selected: no post, never row -1
        {{}, -1, {}, false},
        {{4}, 10, {4}, false},          // past the last row counts as no row
    };
    for (const Case &c : cases) {
        const MenuSelection s = contextMenuSelection(c.selected, c.row, 10);
        EXPECT_EQ(s.selection, c.after) << "row " << c.row;
        EXPECT_EQ(s.postSelectionChanged, c.post) << "row " << c.row;
        EXPECT_FALSE(s.selection.contains(-1));
    }
}

TEST(TableRules, ListTableMenuAndArrowKeys)
{
    struct Menu { bool flag; int rows; int row; bool sheet; bool shows; };
    for (const Menu &c : {Menu{false, 5, 2, false, true}, Menu{false, 5, -1, false, false}, Menu{false, 0, -1, false, false},
                          Menu{false, 5, 5, false, false}, Menu{true, 0, -1, false, true}, Menu{true, 5, 2, true, false},
                          Menu{false, 5, 2, true, false}})
        EXPECT_EQ(listTableShowsMenu(c.flag, c.rows, c.row, c.sheet), c.shows) << c.flag << c.rows << c.row << c.sheet;

    struct Arrow { int selected; int delta; int target; };
    for (const Arrow &c : {Arrow{4, 1, -1}, Arrow{-1, 1, 0}, Arrow{-1, -1, -1}, Arrow{0, -1, -1}, Arrow{2, 1, 3},
                           Arrow{2, -1, 1}})
        EXPECT_EQ(arrowKeyTarget(c.selected, c.delta, 5), c.target) << c.selected << " " << c.delta;
}

TEST(TableRules, RowDecorations)
{
    for (int row = 0; row < 7; ++row) {
        EXPECT_EQ(oddRowDecorated(row, true), row % 2 == 1);
        EXPECT_FALSE(oddRowDecorated(row, false));
    }
    EXPECT_EQ(oddRowLineRect(QRectF(0, 20, 300, 20.6)), QRectF(0, 39, 300, 1));
    EXPECT_EQ(rowBottomLineRect(QRectF(0, 20, 300, 20)), QRectF(0, 39, 300, 1));
    EXPECT_TRUE(playBarShown(0, 3));
    EXPECT_TRUE(playBarShown(2, 3));
    EXPECT_FALSE(playBarShown(3, 3));
    EXPECT_FALSE(playBarShown(-1, 3));
    EXPECT_EQ(playBarRect(QRectF(0, 40, 300, 20)), QRectF(0, 40, 10, 20));
    EXPECT_EQ(emptyImageOrigin(QRectF(0, 0, 400, 300), QSizeF(100, 60)), QPointF(150, 120));
    EXPECT_EQ(dragBadgeOrigin(QSizeF(200, 40), QSizeF(25, 24)), QPointF(175, 16));
}

TEST(TableRules, HeaderTitleAndImage)
{
    const HeaderLayout l = headerLayout(QRectF(100, 0, 120, 26));
    EXPECT_EQ(l.bottomLine, QRectF(100, 25, 120, 1));
    EXPECT_EQ(l.rest, QRectF(100, 0, 120, 25));
    EXPECT_EQ(l.topLine, QRectF(100, 0, 120, 1));
    EXPECT_EQ(l.divider, QRectF(219, 0, 2, 26));
    const QRectF plain = headerTextRect(l.rest, 15, 0), moved = headerTextRect(l.rest, 15, 20);
    EXPECT_EQ(plain, QRectF(100, 4, 120, 23));
    EXPECT_EQ(moved.x() - plain.x(), 20);
    EXPECT_EQ(moved.width(), plain.width());
    EXPECT_EQ(headerImageOrigin(l.rest, QSizeF(10, 8)), QPointF(155, 8.5));
}

TEST(CellGeometry, TokenIsAtLeastFiftyWideWithItsTextCentred)
{
    const QRectF t(10, 0, 200, 30);
    const TokenLayout narrow = tokenLayout(t, QSizeF(20, 14), false);
    EXPECT_EQ(narrow.token, QRectF(10, 8, TokenMinimumWidth, 18));
    EXPECT_EQ(narrow.text.x(), 10 + 15);
    EXPECT_EQ(narrow.text.y(), 8);
    const TokenLayout wide = tokenLayout(t, QSizeF(80, 14), false);
    EXPECT_EQ(wide.token.width(), 80);
    // A centred alignment centres the text in the title rectangle instead.
    EXPECT_EQ(tokenLayout(t, QSizeF(20, 14), true).text.x(), 10 + 90);
}

TEST(CellGeometry, InstallPieCoversWhatIsNotDone)
{
    struct Case { int progress; bool drawn; qreal sweep; };
    for (const Case &c : {Case{0, true, 360}, Case{25, true, 270}, Case{100, true, 0}, Case{101, false, 0}}) {
        const auto pie = installPie(c.progress);
        ASSERT_EQ(pie.has_value(), c.drawn) << c.progress;
        if (pie) {
            EXPECT_EQ(pie->start, 90);
            EXPECT_DOUBLE_EQ(pie->sweep, c.sweep) << c.progress;
        }
    }
}

TEST(CellGeometry, GroupRowHeightNeverNegative)
{
    // A 20-high title in a 40-high row: 10 off each edge.
    EXPECT_EQ(imageAndTextGroupFrame(QRectF(0, 100, 200, 40), 20), QRectF(0, 110, 200, 20));
    for (qreal h : {0.0, 5.0, 17.0, 40.0, 200.0}) {
        const QRectF f = imageAndTextGroupFrame(QRectF(0, 0, 100, h), 16);
        EXPECT_GE(f.height(), 0) << h;
        EXPECT_GE(f.height(), std::min<qreal>(h, 16)) << h;
    }
}

TEST(CellGeometry, TextAndImagePlaces)
{
    const QRectF frame(0, 0, 200, 40), t(2, 0, 196, 40);
    EXPECT_EQ(imageAndTextTitleRect(QRectF(0, 0, 200, 40), 18), QRectF(23, 10, 179, 20));
    const ImageTextLayout it = imageAndTextLayout(QRectF(0, 10, 200, 40), QSizeF(18, 18), 0);
    EXPECT_EQ(it.image, QRectF(3, 20, 18, 18));
    EXPECT_EQ(it.text, QRectF(23, 22, 171, 20));
    EXPECT_EQ(imageAndTextLayout(QRectF(0, 10, 200, 40), QSizeF(18, 18), 1).text.y(), 18);
    EXPECT_EQ(middleTextRect(t, QSizeF(50.5, 15), false), QRectF(2, 12, 51, 16));
    EXPECT_EQ(middleTextRect(t, QSizeF(50, 16), true), QRectF(75, 12, 50, 16));
    EXPECT_EQ(middleTextSpaceTitleRect(t), QRectF(22, 0, 176, 40));
    const ImageTextLayout before = middleTextAndImageLayout(frame, t, QSizeF(50, 16), QSizeF(20, 20), 1);
    EXPECT_EQ(before.image, QRectF(7, 10, 20, 20));
    EXPECT_EQ(before.text, QRectF(30, 0, 170, 40));
    EXPECT_EQ(middleTextAndImageLayout(frame, t, QSizeF(50, 16), QSizeF(20, 20), 0).image, QRectF(57, 10, 20, 20));
    EXPECT_EQ(middleTextAndImageLayout(frame, t, QSizeF(50, 16), QSizeF(20, 20), 7).image, QRectF(2, 0, 20, 20));
    EXPECT_EQ(lineCellBand(QRectF(0, 10, 100, 20)), QRectF(0, 20, 100, 1));
    EXPECT_EQ(checkCellImageRect(QRectF(10, 10, 41, 25), QSizeF(16, 16)), QRectF(22, 14, 16, 16));
    EXPECT_EQ(checkCellHitTest(QRectF(10, 10, 40, 20), QPointF(20, 15)), 65540);
    EXPECT_EQ(checkCellHitTest(QRectF(10, 10, 40, 20), QPointF(60, 15)), 0);
}

TEST(BadgeRules, TextMasksAndMetrics)
{
    EXPECT_EQ(badgeStringForValue(99999), "99999");
    EXPECT_EQ(badgeStringForValue(100000), QString(QChar(0x221E)));
    EXPECT_EQ(badgeLabelText("123456"), QString("123") + QChar(0x2026) + QChar(0x200B));
    EXPECT_EQ(badgeLabelText("12345"), "12345");
    struct Mask { int length; int mask; };
    for (const Mask &c : {Mask{0, 1}, Mask{1, 1}, Mask{2, 1}, Mask{3, 3}, Mask{4, 4}, Mask{5, 5}, Mask{9, 5}})
        EXPECT_EQ(badgeMaskNumber(c.length), c.mask) << c.length;

    const BadgeMetrics seven = badgeMetrics(23, QSizeF(23, 23), 1);
    EXPECT_TRUE(seven.small);
    EXPECT_EQ(seven.gradientAngle, -45);
    EXPECT_EQ(seven.fontSize, 11);
    EXPECT_EQ(seven.canvas, QSizeF(25, 25 - 1 + 1));
    EXPECT_EQ(badgeMetrics(23, QSizeF(36, 23), 4).gradientAngle, -30);
    const BadgeMetrics large = badgeMetrics(46, QSizeF(84, 46), 5);
    EXPECT_FALSE(large.small);
    EXPECT_EQ(large.fontSize, 24);
    EXPECT_FALSE(large.systemBoldFont);
    EXPECT_EQ(large.blur, 2);
    EXPECT_EQ(large.shadowAlpha, 0.8);
    EXPECT_EQ(badgeMaskSize(QSizeF(42, 23), 46), QSizeF(84, 46));
    EXPECT_EQ(badgeMaskSize(QSizeF(42, 23), 23), QSizeF(42, 23));
    for (qreal bad : {0.0, -3.0})
        EXPECT_THROW(badgeMetrics(bad, QSizeF(23, 23), 1), std::invalid_argument);
    EXPECT_EQ(childMarkRect(QSizeF(126, 70), QSizeF(16, 16)), QRectF(106, 4, 16, 16));
}

TEST(ScrollerGeometry, ArrowsAndKnob)
{
    // Apart: one arrow at each end of a 200-long scroller; together: both at the end.
    EXPECT_FALSE(scrollerArrowsTogether(QRectF(0, 0, 14, 14), QRectF(0, 186, 14, 14), false));
    EXPECT_TRUE(scrollerArrowsTogether(QRectF(0, 172, 14, 14), QRectF(0, 186, 14, 14), false));
    EXPECT_TRUE(scrollerArrowsTogether(QRectF(172, 0, 14, 14), QRectF(191, 0, 14, 14), true));
    const QRectF R(0, 172, 14, 14);
    EXPECT_EQ(scrollerDecrementRect(R, QSizeF(14, 18), true, false), QRectF(0, 168, 14, 18));
    EXPECT_EQ(scrollerDecrementRect(QRectF(172, 0, 14, 14), QSizeF(18, 14), true, true), QRectF(168, 0, 18, 14));
    EXPECT_EQ(scrollerDecrementRect(QRectF(0, 0, 14, 14), QSizeF(14, 16), false, false), QRectF(0, 0, 14, 16));
    EXPECT_EQ(scrollerIncrementRect(R, QSizeF(14, 18), true, false), R);
    EXPECT_EQ(scrollerIncrementRect(QRectF(0, 186, 14, 14), QSizeF(14, 18), false, false), QRectF(0, 182, 14, 18));
    EXPECT_EQ(scrollerEndPartRect(R, QSizeF(14, 6), false), QRectF(0, 0, 14, 6));
    const KnobParts apart = scrollerKnobParts(QRectF(0, 30, 14, 60), QSizeF(14, 6), QSizeF(14, 4), QSizeF(14, 6), false, false);
    EXPECT_EQ(apart.start, QRectF(0, 32, 14, 6));
    EXPECT_EQ(apart.middle, QRectF(0, 38, 14, 44));
    EXPECT_EQ(apart.end, QRectF(0, 82, 14, 6));
    const KnobParts together = scrollerKnobParts(QRectF(0, 30, 14, 60), QSizeF(14, 6), QSizeF(14, 4), QSizeF(14, 6), true, false);
    EXPECT_EQ(together.start.y(), 31);
    EXPECT_EQ(together.end.bottom(), 31 + 55);
    const KnobParts h = scrollerKnobParts(QRectF(30, 0, 60, 14), QSizeF(6, 14), QSizeF(4, 14), QSizeF(6, 14), false, true);
    EXPECT_EQ(h.start, QRectF(30, 0, 6, 14));
    EXPECT_EQ(h.middle, QRectF(36, 0, 48, 14));
    EXPECT_EQ(h.end, QRectF(84, 0, 6, 14));
}

TEST(ScrollerGeometry, CustomizeVariantPlaces)
{
    EXPECT_EQ(customizeDecrementRect(QRectF(20, 0, 14, 14), QSizeF(14, 14), true), QRectF(16, 0, 18, 14));
    EXPECT_EQ(customizeDecrementRect(QRectF(0, 0, 14, 14), QSizeF(14, 16), false), QRectF(0, -1, 14, 16));
    EXPECT_EQ(customizeIncrementRect(QRectF(0, 186, 14, 14), QSizeF(14, 16), false), QRectF(0, 184, 14, 16));
    const TrackParts v = customizeTrackParts(QRectF(0, 14, 14, 172), QSizeF(14, 12), 40, false);
    EXPECT_EQ(v.middle, QRectF(0, 4, 14, 222));
    EXPECT_EQ(v.right, QRectF(0, 156, 14, 30));
    EXPECT_EQ(v.left, QRectF(0, 12, 14, 12));
    const TrackParts h = customizeTrackParts(QRectF(14, 0, 172, 14), QSizeF(8, 14), 40, true);
    EXPECT_EQ(h.right, QRectF(176, 0, 10, 14));
    EXPECT_EQ(h.left, QRectF(0, 0, 8, 14));
    EXPECT_TRUE(customizeTrackParts(QRectF(14, 0, 172, 14), QSizeF(8, 14), 0, true).middleOnly);
    const KnobParts k = customizeKnobParts(QRectF(0, 30, 14, 60), QSizeF(14, 6), QSizeF(14, 6), false);
    EXPECT_EQ(k.start, QRectF(0, 32, 14, 6));
    EXPECT_EQ(k.end, QRectF(0, 84, 14, 6));
    EXPECT_EQ(k.middle, QRectF(0, 40, 14, 45));
}
