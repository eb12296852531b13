#include "controls/ControlGeometry.h"

#include <gtest/gtest.h>

using namespace ControlGeometry;

TEST(ControlGeometry, UpRectanglesBecomeTopDown)
{
    EXPECT_EQ(toQt(QRectF(0, 0, 10, 5), 30), QRectF(0, 25, 10, 5));
    EXPECT_EQ(toQt(QRectF(3, 25, 10, 5), 30), QRectF(3, 0, 10, 5));
}

TEST(ControlGeometry, HoverTitleAndIconLayout)
{
    const QRectF r(0, 0, 120, 28);
    // No icon: centred, lifted 2 points.
    auto plain = hoverTitleLayout(r, {60, 16}, {}, false, 0);
    EXPECT_TRUE(plain.titleFits);
    EXPECT_EQ(plain.titleRect, QRectF(30, 4, 60, 16));
    EXPECT_TRUE(plain.iconRect.isEmpty());
    // Wider than the rectangle: drawn into the rectangle itself.
    auto wide = hoverTitleLayout(r, {150, 16}, {}, false, 0);
    EXPECT_FALSE(wide.titleFits);
    EXPECT_EQ(wide.titleRect, r);
    // With an icon the centring keeps 26 points whatever icon and gap measure.
    struct Case { QSizeF icon; unsigned space; qreal titleX; };
    const Case cases[] = {
        {{16, 16}, 10, 31 + 16 + 10},  // 26 points: centred group
        {{16, 16}, 20, 31 + 16 + 20},  // 36 points: group sits right of centre
        {{10, 10}, 2, 31 + 10 + 2},    // 12 points: left of centre
    };
    for (const Case &c : cases) {
        auto l = hoverTitleLayout(r, {60.5, 16}, c.icon, true, c.space);
        // text origin x = (120 - trunc(86.5)) / 2 - 2 = 15
        EXPECT_DOUBLE_EQ(l.iconRect.x(), 15);
        EXPECT_DOUBLE_EQ(l.titleRect.x(), 15 + c.icon.width() + c.space);
        EXPECT_DOUBLE_EQ(l.iconRect.y(), std::ceil((28 - c.icon.height()) * 0.5) - 2);
    }
    // A text rectangle replaces the frame for title and icon.
    auto inRect = hoverTitleLayout(QRectF(50, 10, 40, 20), {20, 10}, {}, false, 0);
    EXPECT_EQ(inRect.titleRect, QRectF(60, 13, 20, 10));
}

TEST(ControlGeometry, RedDotSitsTopRight)
{
    EXPECT_EQ(redOvalRect(QRectF(0, 0, 80, 28), true), QRectF(73, 0, 7, 7));
    EXPECT_EQ(redOvalRect(QRectF(0, 0, 80, 28), false), QRectF(73, 21, 7, 7));
}

TEST(ControlGeometry, CheckBoxImageAndTitle)
{
    const auto l = checkBoxLayout(QRectF(0, 0, 150, 21), {16, 16});
    EXPECT_EQ(l.imageRect, QRectF(0, 2, 16, 16));  // trunc(2.5)
    EXPECT_EQ(l.titleArea, QRectF(17, 0, 133, 21));
    EXPECT_EQ(checkBoxTitleRect(l.titleArea, {50, 14}), QRectF(22, 3, 50, 15));
    // An area of 4 points or less keeps its full width (no 2-point inset).
    EXPECT_EQ(checkBoxTitleRect(QRectF(10, 0, 3, 20), {2, 10}).x(), 13);
}

TEST(ControlGeometry, SwitchKnobAndDragThresholds)
{
    const QRectF b(0, 0, 80, 25);
    EXPECT_EQ(switchKnobRect(b, 0), QRectF(1, 1, 38, 23));
    EXPECT_EQ(switchKnobRect(b, 1), QRectF(41, 1, 38, 23));
    struct Centre { qreal c; qreal offset; };
    for (const Centre &c : {Centre{10, 0}, Centre{20, 0}, Centre{40, 0.5}, Centre{60, 1}, Centre{75, 1}})
        EXPECT_DOUBLE_EQ(switchOffsetForKnobCentre(b, c.c), c.offset) << c.c;
    struct Drag { bool wasOn; qreal offset; bool on; };
    const Drag drags[] = {{false, 0.24, false}, {false, 0.25, true}, {false, 0.9, true},
                          {true, 0.74, false}, {true, 0.75, true}, {true, 0.2, false}};
    for (const Drag &d : drags)
        EXPECT_EQ(switchStateAfterDrag(d.wasOn, d.offset), d.on) << d.wasOn << " " << d.offset;
    EXPECT_EQ(switchClickOutsideKnob(b, 1, true, 20), std::optional<bool>(false));
    EXPECT_EQ(switchClickOutsideKnob(b, 0, false, 60), std::optional<bool>(true));
    EXPECT_EQ(switchClickOutsideKnob(b, 0, true, 60), std::nullopt);
    EXPECT_EQ(switchClickOutsideKnob(b, 1, false, 20), std::nullopt);
}

TEST(ControlGeometry, LinkActiveRectangle)
{
    const QRectF b(0, 0, 200, 20);
    EXPECT_EQ(urlLabelActiveRect(b, 50, TextAlign::Left), QRectF(0, 0, 60, 20));
    EXPECT_EQ(urlLabelActiveRect(b, 50, TextAlign::Right), QRectF(140, 0, 60, 20));
    EXPECT_EQ(urlLabelActiveRect(b, 250, TextAlign::Left), b);
    EXPECT_EQ(urlLabelActiveRect(b, 250, TextAlign::Right), b);
    EXPECT_EQ(urlLabelActiveRect(b, 50, TextAlign::Other), b);
    EXPECT_EQ(urlLabelMoveOverRect(b, 250), QRectF(0, 0, 260, 20));
}

TEST(ControlGeometry, BackgroundMasks)
{
    const QRectF b(0, 0, 100, 40);
    struct Case { unsigned mask; QRectF want; };
    const Case cases[] = {
        {0, QRectF()},
        {1, QRectF(0, 0, 100, 6)},     // bottom strip
        {2, QRectF(0, 34, 100, 6)},    // top strip
        {4, QRectF(94, 0, 6, 40)},     // right strip
        {8, QRectF(0, 0, 6, 40)},      // left strip
        {5, QRectF(94, 0, 6, 6)},      // bottom-right corner stays square
        {10, QRectF(0, 34, 6, 6)},     // top-left corner
    };
    for (const Case &c : cases)
        EXPECT_EQ(squaredCornerRect(b, c.mask, 6), c.want) << c.mask;
    EXPECT_EQ(effectiveCornerRadius(0), 4);
    EXPECT_EQ(effectiveCornerRadius(-2), 4);
    EXPECT_EQ(effectiveCornerRadius(7), 7);
    EXPECT_EQ(bottomLineRect(b), QRectF(0, 0, 100, 1));
    EXPECT_EQ(topLineRect(b), QRectF(0, 39, 100, 1));
    EXPECT_EQ(toQt(whiteBackgroundFillRect(QRectF(0, 0, 50, 30), 2.0), 30), QRectF(0, 2, 50, 28));
    EXPECT_EQ(whiteBackgroundFillRect(QRectF(0, 0, 50, 30), std::nullopt), QRectF(0, 0, 50, 30));
}

TEST(ControlGeometry, SmallViews)
{
    const auto stars = starRects(5, 2, {16, 16}, {14, 14}, true, true);
    ASSERT_EQ(stars.size(), 5);
    EXPECT_EQ(stars[0], QRectF(0, 0, 16, 16));
    EXPECT_EQ(stars[1], QRectF(20, 0, 16, 16));
    EXPECT_EQ(stars[2], QRectF(40, 0, 14, 14));
    EXPECT_EQ(stars[4], QRectF(76, 0, 14, 14));
    EXPECT_EQ(starRects(5, 2, {16, 16}, {}, true, false).size(), 2);  // missing grey picture
    EXPECT_EQ(starRects(3, 9, {16, 16}, {16, 16}, true, true).size(), 3);  // bounded by the total
    EXPECT_TRUE(starRects(0, 0, {16, 16}, {16, 16}, true, true).isEmpty());

    EXPECT_DOUBLE_EQ(volumeLayout(QRectF(0, 0, 100, 31), 100, 50, 0, 100, 5).track.y(), 14);
    EXPECT_DOUBLE_EQ(volumeLayout(QRectF(0, 0, 100, 15), 100, 50, 0, 100, 0).track.y(), 9);
    const auto v = volumeLayout(QRectF(0, 0, 110, 21), 110, 50, 0, 100, 0);
    EXPECT_EQ(v.knob, QRectF(50, 5, 10, 10));
    EXPECT_EQ(v.filled, QRectF(0, 9, 50, 3));
    EXPECT_EQ(volumeLayout(QRectF(0, 0, 110, 21), 110, 5, 5, 5, 0).knob.x(), 0);  // empty range

    const auto fits = tabHeaderLayout(QRectF(0, 0, 300, 40), {24, 24}, true, 28, 35, {80, 16});
    EXPECT_FALSE(fits.twoLines);
    EXPECT_EQ(fits.iconRect, QRectF(28, 8, 24, 24));
    EXPECT_EQ(fits.captionRect, QRectF(87, 12, 80, 16));
    const auto narrow = tabHeaderLayout(QRectF(0, 0, 100, 40), {24, 24}, true, 28, 35, {80, 16});
    EXPECT_TRUE(narrow.twoLines);
    EXPECT_EQ(narrow.captionRect.width(), 0);

    EXPECT_EQ(imageDrawTopAligned(QRectF(0, 0, 100, 50), 10), QRectF(0, 40, 100, 10));
    EXPECT_FLOAT_EQ(thinProgressValue(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(thinProgressValue(1.5f), 0.99f);
    EXPECT_TRUE(thinProgressBar(QRectF(0, 0, 100, 4), 0).isEmpty());
    EXPECT_EQ(thinProgressBar(QRectF(0, 0, 100, 4), 0.25f), QRectF(0, 0, 25, 4));
}

TEST(ControlGeometry, OtherButtons)
{
    EXPECT_EQ(popupPartRect(QRectF(0, 0, 140, 30)), QRectF(110, 0, 30, 30));
    struct Case { bool enabled, highlight, pressed; int start; };
    for (const Case &c : {Case{false, true, true, 9}, Case{true, true, true, 3}, Case{true, false, true, 6},
                          Case{true, false, false, 0}})
        EXPECT_EQ(popupImageIndex(c.enabled, c.highlight, c.pressed), c.start);
    const auto bb = backgroundButtonLayout(QRectF(0, 0, 200, 120), {80, 100}, {40, 30});
    EXPECT_EQ(bb.iconRect, QRectF(20, 35, 40, 30));
    EXPECT_EQ(bb.textArea, QRectF(84, 0, 112, 120));
    EXPECT_EQ(backgroundButtonLayout(QRectF(0, 0, 200, 120), {}, {40, 30}).iconRect, QRectF(80, 45, 40, 30));
    const auto pd = pullDownLayout(QRectF(0, 0, 170, 28), {18, 18}, {10, 6}, true);
    EXPECT_EQ(pd.iconRect, QRectF(8, 5, 18, 18));
    EXPECT_EQ(pd.arrowRect, QRectF(155, 11, 10, 6));
    EXPECT_EQ(pd.titleRect, QRectF(28, 0, 125, 28));
    // Without the arrow the title runs to 4 points before the right edge.
    EXPECT_EQ(pullDownLayout(QRectF(0, 0, 170, 28), {18, 18}, {10, 6}, false).titleRect, QRectF(28, 0, 140, 28));
}

TEST(ControlGeometry, HoverCellStateRules)
{
    const QColor normal(0, 0, 0), over(1, 1, 1), down(2, 2, 2), disabled(3, 3, 3);
    HoverCellLooks full{"n", "h", "d", "x", normal, over, down, disabled};
    struct Case { bool enabled, over, down; QString slice; QColor color; };
    const Case cases[] = {
        {false, true, true, "x", disabled},
        {true, true, true, "h", over},  // hover before pressed
        {true, false, true, "d", down},
        {true, false, false, "n", normal},
    };
    for (const Case &c : cases) {
        const auto choice = hoverCellChoice(full, c.enabled, c.over, c.down);
        EXPECT_EQ(choice.slice, c.slice);
        EXPECT_EQ(choice.titleColor, c.color);
    }
    HoverCellLooks bare{"n", "h", "d", "", normal, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(hoverCellChoice(bare, false, false, false).slice, "n");
    EXPECT_EQ(hoverCellChoice(bare, false, false, false).titleColor, normal);
    EXPECT_EQ(hoverCellChoice(bare, true, true, false).titleColor, normal);
    HoverCellLooks noColour{"n", "h", "d", "", std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    EXPECT_EQ(hoverCellChoice(noColour, true, false, false).titleColor, std::nullopt);

    EXPECT_EQ(hoverIconChoice("i", "hi", "di", true, true, false), "hi");
    EXPECT_EQ(hoverIconChoice("i", "hi", "di", true, false, true), "di");
    EXPECT_EQ(hoverIconChoice("i", QString(), QString(), true, true, true), "i");
    EXPECT_EQ(hoverIconChoice("i", "hi", "di", false, true, true), "i");

    EXPECT_EQ(checkBoxLook(false, true, true), 3);
    EXPECT_EQ(checkBoxLook(true, true, true), 1);
    EXPECT_EQ(checkBoxLook(true, false, true), 2);
    EXPECT_EQ(checkBoxLook(true, false, false), 0);
}
