#include "controls/ColorHex.h"
#include "controls/PopoverGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace PopoverGeometry;

namespace {
void expectRect(const QRectF &r, qreal x, qreal y, qreal w, qreal h, const char *what = "")
{
    EXPECT_NEAR(r.x(), x, 1e-6) << what;
    EXPECT_NEAR(r.y(), y, 1e-6) << what;
    EXPECT_NEAR(r.width(), w, 1e-6) << what;
    EXPECT_NEAR(r.height(), h, 1e-6) << what;
}
} // namespace

// --- Attached pop-over: clamps ---

TEST(AttachedClamps, BorderWidthAndMargin)
{
    struct Case { qreal requested, margin, expected; };
    for (const Case &c : {Case{10, 2, 2}, Case{1, 2, 1}, Case{8, 2, 2}, Case{3, 5, 3}})
        EXPECT_EQ(clampBorderWidth(c.requested, c.margin), c.expected) << c.requested;
    EXPECT_EQ(clampViewMargin(-3), 0);
    EXPECT_EQ(clampViewMargin(4), 4);
}

TEST(AttachedClamps, CornerRadiusAndArrowWidthTable)
{
    struct Case { QSizeF view; qreal margin, arrow, requested, expected; };
    const Case cases[] = {
        {{50, 20}, 2, 20, 10, 2},    // (4 + 20 - 20) / 2
        {{50, 20}, 2, 16, 8, 4},     // the tip bubble's second request
        {{200, 100}, 2, 20, 8, 8},   // room enough
        {{50, 20}, 2, 40, 5, 0},     // no room at all: never negative
        {{50, 20}, 2, 20, -3, 0},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(clampCornerRadius(c.requested, c.margin, c.view, c.arrow), c.expected) << c.requested;

    // Arrow width: 2m + shorter side − radius, less the radius again when that corner is round.
    EXPECT_DOUBLE_EQ(clampArrowBaseWidth(20, 2, {50, 20}, 2, true), 20);
    EXPECT_DOUBLE_EQ(clampArrowBaseWidth(30, 2, {50, 20}, 2, true), 20);
    EXPECT_DOUBLE_EQ(clampArrowBaseWidth(30, 2, {50, 20}, 2, false), 22);
    EXPECT_DOUBLE_EQ(clampArrowBaseWidth(16, 2, {50, 20}, 10, true), 4);
    EXPECT_DOUBLE_EQ(clampArrowBaseWidth(16, 2, {50, 20}, 20, true), 0);  // not inside out
}

// --- Attached pop-over: where the window goes ---

TEST(AttachedLayout, OriginPerSide)
{
    AttachedMetrics m;  // margin 2, arrow 20 × 16, radius 8 → inset 18
    const QSizeF view(100, 50);
    const QPointF p(500, 400);
    const qreal d = 5;
    // Window sizes: 104 × 54 plus 16 along the arrow's axis.
    struct Case { int side; qreal x, y, w, h, vx, vy; };
    const Case cases[] = {
        {0, 500 - 120 - 5, 400 - 27, 120, 54, 2, 2},
        {1, 500 - 52, 400 - 70 - 5, 104, 70, 2, 2},
        {2, 505, 400 - 27, 120, 54, 18, 2},
        {3, 500 - 52, 405, 104, 70, 2, 18},
        {4, 500 - 120 - 5, 400 - 18, 120, 54, 2, 2},
        {5, 500 - 120 - 5, 400 - (54 - 18), 120, 54, 2, 2},
        {6, 505, 400 - 18, 120, 54, 18, 2},
        {7, 505, 400 - (54 - 18), 120, 54, 18, 2},
        {8, 500 - (104 - 18), 405, 104, 70, 2, 18},
        {9, 500 - 18, 405, 104, 70, 2, 18},
        {10, 500 - (104 - 18), 400 - 70 - 5, 104, 70, 2, 2},
        {11, 500 - 18, 400 - 70 - 5, 104, 70, 2, 2},
        {12, 500, 400, 104, 54, 2, 2},  // at the point, no arrow room
    };
    for (const Case &c : cases) {
        const AttachedLayout l = attachedLayout(m, view, p, c.side, d);
        SCOPED_TRACE(c.side);
        expectRect(l.window, c.x, c.y, c.w, c.h);
        expectRect(l.viewFrame, c.vx, c.vy, 100, 50);
    }
}

TEST(AttachedLayout, BestSideTable)
{
    AttachedMetrics m;
    const QSizeF view(100, 50);  // w 104, h 54, reach 16
    const QRectF screen(0, 0, 1000, 800);
    struct Case { QPointF p; QRectF parent; int side; const char *why; };
    const Case cases[] = {
        {{500, 400}, screen, 1, "room below"},
        {{500, 50}, screen, 2, "no room below: right"},
        {{950, 50}, screen, 0, "nor right: left"},
        {{50, 50}, QRectF(0, 30, 100, 100), 6, "right, parent bottom above mid: right-above"},
        {{500, 400}, QRectF(480, 0, 400, 800), 11, "below, parent starts right of half: below-right"},
        {{500, 400}, QRectF(0, 0, 520, 800), 10, "below, parent ends within half: below-left"},
        {{500, 400}, QRectF(0, 0, 1000, 800), 1, "parent wide: centred"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bestSide(m, view, c.p, 0, screen, c.parent), c.side) << c.why;

    // Neither below, right nor left: above when it fits under the screen's top.
    EXPECT_EQ(bestSide(m, QSizeF(600, 50), QPointF(500, 30), 0, screen, screen), 3);
    // Nothing fits: below.
    EXPECT_EQ(bestSide(m, QSizeF(900, 900), QPointF(500, 30), 0, screen, screen), 1);
}

TEST(AttachedLayout, OutlineHasArrowTipOnlyWithArrow)
{
    AttachedMetrics m;
    const AttachedLayout l = attachedLayout(m, QSizeF(100, 50), QPointF(0, 0), 1, 0);
    const QPainterPath with = bubbleOutline(m, l.viewFrame, 1);
    // Arrow up from the top edge's middle: the tip at the top of the window.
    const QRectF b = with.boundingRect();
    EXPECT_NEAR(b.top(), 1.0, 1e-9);     // snapped bottom edge (y-up)
    EXPECT_NEAR(b.bottom(), 69.0, 1e-9); // the tip: top edge 53 + arrow 16
    EXPECT_TRUE(with.contains(QPointF(52, 66)));  // just under the tip
    m.hasArrow = false;
    const QPainterPath without = bubbleOutline(m, l.viewFrame, 1);
    EXPECT_FALSE(without.contains(QPointF(52, 60)));
    EXPECT_TRUE(without.contains(QPointF(52, 40)));
    // The window keeps its arrow room when the arrow goes.
    expectRect(attachedLayout(m, QSizeF(100, 50), QPointF(0, 0), 1, 0).window, l.window.x(), l.window.y(), 104, 70);
}

TEST(AttachedLayout, SquareCornerBesideOffCentreArrow)
{
    AttachedMetrics m;
    m.roundCornerBesideArrow = false;
    const AttachedLayout l = attachedLayout(m, QSizeF(100, 50), QPointF(0, 0), 11, 0);
    const QPainterPath path = bubbleOutline(m, l.viewFrame, 11);
    // Side 11: the top-left corner is square, the top-right one round.
    EXPECT_TRUE(path.contains(QPointF(1.2, 52.8)));
    EXPECT_FALSE(path.contains(QPointF(102.8, 52.8)));
}

// --- Colours ---

TEST(ColorHex, Table)
{
    struct Case { const char *text; int r, g, b, a; };
    const Case cases[] = {
        {"  #1a2B3c \n", 26, 43, 60, 255},
        {"0x1a2b3c", 26, 43, 60, 255},
        {"#f5f8fa", 245, 248, 250, 255},
        {"#abc", 0, 0, 0, 0},       // three digits
        {"#1234567", 0, 0, 0, 0},   // seven digits
        {"", 0, 0, 0, 0},
        {"#zz2b3c", 0, 0, 0, 0},    // not hexadecimal
        {"#-12b3c", 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        const QColor col = ColorHex::colorWithHexString(QString::fromLatin1(c.text));
        EXPECT_EQ(col.alpha(), c.a) << c.text;
        if (c.a) {
            EXPECT_EQ(col.red(), c.r) << c.text;
            EXPECT_EQ(col.green(), c.g) << c.text;
            EXPECT_EQ(col.blue(), c.b) << c.text;
        }
    }
}

// --- Menus and lists ---

TEST(ArrowPop, RowHits)
{
    struct Case { qreal y; int rows, reported; };
    const Case cases[] = {
        {20, 2, 1},  // 20 above the bottom: the second row added
        {40, 2, 0},  // 40 above: the first
        {5, 2, 1},   // below the first row's band still counts as hit row 0
        {70, 2, -1}, // beyond the rows: no row (the view does not report it)
        {30, 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(arrowPopReportedRow(c.y, c.rows), c.reported) << c.y;
    expectRect(arrowPopRowRect(1, 260), 0, 35, 260, 20);
    expectRect(arrowPopTextRect(0, 260), 20, 9, 260, 25);
    expectRect(arrowPopTextRect(2, 260), 20, 50, 260, 25);
}

TEST(EditMenuGeometry, ItemsStackFromTheTop)
{
    const QSizeF win(120, 38);
    // One item in a 38-point window: the background covers it exactly.
    expectRect(editMenuItemFrame(win, 0, 4, 30), 1, 4, 118, 30);
    expectRect(editMenuBackgroundFrame(QRectF(0, 0, 120, 38), win, 4, 30), 0, 0, 120, 38);
    const QSizeF tall(120, 100);
    expectRect(editMenuItemFrame(tall, 20, 34, 30), 21, 36, 98, 30);
    // popUpAtPoint puts the top-left corner on the anchored point.
    expectRect(editMenuPopupFrame(QPointF(300, 500), QPointF(10, 5), QSizeF(120, 38)), 290, 467, 120, 38);
}

TEST(ThreePartButton, FitTable)
{
    const QRectF f(100, 10, 80, 30);
    struct Case { int orientation, gap; qreal x, w; };
    const Case cases[] = {{0, 14, 100, 78}, {1, 14, 101, 78}, {2, 14, 102, 78}, {2, 0, 124, 56}, {7, 8, 100, 80}};
    for (const Case &c : cases) {
        const QRectF r = threePartFitFrame(f, 50, c.orientation, c.gap);
        EXPECT_DOUBLE_EQ(r.x(), c.x) << c.orientation << " " << c.gap;
        EXPECT_DOUBLE_EQ(r.width(), c.w) << c.orientation << " " << c.gap;
        EXPECT_DOUBLE_EQ(r.height(), 30);
    }
}

// --- Flight and bounce ---

TEST(Flight, CurveValuesAtTimes)
{
    EXPECT_NEAR(easeInEaseOut(0), 0, 1e-12);
    EXPECT_NEAR(easeInEaseOut(1), 1, 1e-9);
    EXPECT_NEAR(easeInEaseOut(0.5), 0.5, 1e-9);    // symmetric curve
    EXPECT_LT(easeInEaseOut(0.1), 0.1);            // slow start
    EXPECT_GT(easeInEaseOut(0.9), 0.9);            // slow end
    EXPECT_NEAR(easeInEaseOut(0.25), 0.1291, 1e-3);

    const QRectF from(100, 100, 40, 20), to(400, 500, 30, 30);
    struct Case { double t; qreal cx, cy, w, h, opacity; };
    const Case cases[] = {
        {0.0, 120, 110, 40, 20, 1.0},
        {0.4, 120 + (415 - 120) * (1 - 0.125) , 110 + (515 - 110) * 0.5, 29, 19, 0.6},
        {0.8, 415, 515, 18, 18, 0.2},
        {2.0, 415, 515, 18, 18, 0.2},  // held at the end
    };
    for (const Case &c : cases) {
        const FlightFrame f = flightAt(from, to, c.t);
        SCOPED_TRACE(c.t);
        EXPECT_NEAR(f.centre.x(), c.cx, 1e-6);
        EXPECT_NEAR(f.centre.y(), c.cy, 1e-6);
        EXPECT_NEAR(f.size.width(), c.w, 1e-6);
        EXPECT_NEAR(f.size.height(), c.h, 1e-6);
        EXPECT_NEAR(f.opacity, c.opacity, 1e-9);
    }
    // The curve runs sideways first (control point at the end's x, the start's y).
    const FlightFrame early = flightAt(from, to, 0.2);
    EXPECT_GT(early.centre.x() - 120, early.centre.y() - 110);
}

TEST(Bounce, PhasesRectsAndWindow)
{
    ASSERT_EQ(bouncePhases().size(), 3);
    EXPECT_DOUBLE_EQ(bouncePhases()[0].scale, 1.25);
    EXPECT_DOUBLE_EQ(bouncePhases()[0].seconds, 0.2);
    EXPECT_DOUBLE_EQ(bouncePhases()[1].scale, 0.8);
    EXPECT_DOUBLE_EQ(bouncePhases()[2].scale, 1.0);
    // The top edge stays put while the picture scales (y-up: top = y + height).
    const QRectF full(100, 50, 200, 100);
    for (double f : {0.01, 0.8, 1.0, 1.25}) {
        const QRectF r = bounceRect(full, f);
        EXPECT_NEAR(r.y() + r.height(), 150, 1e-9) << f;
        EXPECT_NEAR(r.center().x(), 200, 1e-9) << f;
        EXPECT_NEAR(r.width(), 200 * f, 1e-9) << f;
    }
    expectRect(bounceWindow(QRectF(100, 100, 200, 100)), 0, 50, 400, 200);
}

TEST(SlidingWindow, FramesNearTheTopRight)
{
    const QSizeF screen(1920, 1080);
    expectRect(slidingFrame(screen, 400, 110, false), 1484, 947, 400, 110);
    expectRect(slidingFrame(screen, 400, 110, true), 1484, 1047, 400, 110);
    // From another height the top lands where the old height says (as the window was).
    expectRect(slidingFrame(screen, 400, 60, false), 1484, 997, 400, 110);
}

// --- Progress ---

TEST(ProgressFill, Table)
{
    const QRectF b(0, 0, 200, 10);
    const QRectF margins(2, 1, 2, 1);
    struct Case { double value, min, max; qreal width; const char *why; };
    const Case cases[] = {
        {99.5, 0, 100, 200, "value + 1 beyond the maximum: the whole bar"},
        {0.00005, 0, 100, 0, "below 0.0001: background only"},
        {50, 0, 100, 98, "half of the inner width"},
        {70, 20, 120, 98, "minimum subtracted: half"},
        {50, 20, 120, 58.8, "minimum subtracted: 30 %"},
        {10, 20, 120, 0, "below the minimum: empty"},
        {50, 100, 100, 0, "empty range: nothing, not a division by zero"},
        {50, 40, 40, 200, "empty range below the value: full"},
        {50, 60, 60, 0, "empty range above the value: empty, no division by zero"},
    };
    for (const Case &c : cases) {
        const QRectF r = progressFillRect(b, margins, c.value, c.min, c.max);
        EXPECT_NEAR(r.width(), c.width, 1e-9) << c.why;
        if (c.width > 0 && c.width < 200) {
            EXPECT_DOUBLE_EQ(r.x(), 2) << c.why;
            EXPECT_DOUBLE_EQ(r.y(), 1) << c.why;
            EXPECT_DOUBLE_EQ(r.height(), 8) << c.why;
        }
    }
}

TEST(Spinner, AnglesRadiiAndAlpha)
{
    struct Case { double value; bool spinning, flipped; double first; };
    const Case cases[] = {
        {0.5, true, true, 450}, {0.5, true, false, -450}, {0.5, false, true, 270}, {0.5, false, false, -270},
        {0.0, true, true, 270}, {1.0 / 12 * 0.6, true, true, 300},
    };
    for (const Case &c : cases) {
        const SpinnerLayout l = spinnerLayout(QRectF(0, 0, 40, 40), c.value, c.spinning, c.flipped);
        ASSERT_EQ(l.spokes.size(), 12);
        EXPECT_DOUBLE_EQ(l.spokes[0].angleDegrees, c.first) << c.value;
        EXPECT_DOUBLE_EQ(l.spokes[1].angleDegrees, c.first - (c.flipped ? 30 : -30));
    }
    const SpinnerLayout big = spinnerLayout(QRectF(0, 0, 40, 40), 0, false, true);
    EXPECT_NEAR(std::hypot(big.spokes[0].inner.x() - 20, big.spokes[0].inner.y() - 20), 9.2, 1e-9);
    EXPECT_NEAR(std::hypot(big.spokes[0].outer.x() - 20, big.spokes[0].outer.y() - 20), 15.2, 1e-9);
    EXPECT_NEAR(big.lineWidth, 3.2, 1e-9);
    const SpinnerLayout small = spinnerLayout(QRectF(0, 0, 20, 20), 0, false, true);
    EXPECT_NEAR(std::hypot(small.spokes[0].inner.x() - 10, small.spokes[0].inner.y() - 10), 5.4, 1e-9);
    EXPECT_NEAR(std::hypot(small.spokes[0].outer.x() - 10, small.spokes[0].outer.y() - 10), 9.6, 1e-9);
    EXPECT_DOUBLE_EQ(big.spokes[0].alpha, 1.0);
    EXPECT_DOUBLE_EQ(big.spokes[4].alpha, 0.5);
    EXPECT_LT(big.spokes[11].alpha, big.spokes[10].alpha);
}

TEST(SeekBar, TrackStubValueAndThrottle)
{
    const QRectF b(0, 0, 200, 11);
    expectRect(seekTrackRect(b), 0, 4, 200, 3);
    EXPECT_DOUBLE_EQ(seekProgressRect(b, 0, 100).width(), 3.0);    // stub at zero
    EXPECT_DOUBLE_EQ(seekProgressRect(b, 1, 100).width(), 3.0);    // 2 points → 3
    EXPECT_DOUBLE_EQ(seekProgressRect(b, 50, 100).width(), 100.0);
    EXPECT_DOUBLE_EQ(seekProgressRect(b, 50, 0).width(), 3.0);     // no maximum: the stub
    struct Case { qreal x; double value; };
    for (const Case &c : {Case{-5, 10}, Case{0, 10}, Case{100, 60}, Case{200, 110}, Case{250, 110}})
        EXPECT_DOUBLE_EQ(seekValueAt(c.x, 200, 10, 110), c.value) << c.x;
    struct T { double now, last; bool announce; };
    for (const T &t : {T{1.0, 0.95, false}, T{1.05, 1.0, false}, T{1.081, 1.0, true}, T{5, 0, true}})
        EXPECT_EQ(seekShouldAnnounce(t.now, t.last), t.announce) << t.now << " " << t.last;
}

TEST(FrameSteps, IndexAndAngles)
{
    struct Case { double t, cycle; int n, index; };
    for (const Case &c : {Case{0, 0.5, 6, 0}, Case{0.249, 0.5, 6, 2}, Case{0.499, 0.5, 6, 5}, Case{0.5, 0.5, 6, 0},
                          Case{0.3, 0.5, 5, 3}, Case{0.3, 0.5, 0, -1}})
        EXPECT_EQ(frameIndexAt(c.t, c.cycle, c.n), c.index) << c.t << " " << c.n;
    EXPECT_NEAR(circleImageAngle(0), 2 * M_PI, 1e-9);
    EXPECT_NEAR(circleImageAngle(0.25), 1.5 * M_PI, 1e-9);  // clockwise: the angle falls
    EXPECT_NEAR(circleAnimationAngle(1.5), M_PI, 1e-6);
    EXPECT_LT(circleAnimationAngle(0.3), 2 * M_PI * 0.1);   // eased start
}
