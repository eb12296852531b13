#include "media/IM_EncodeParamEx.h"
#include "recording/CropGeometry.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cstring>

using G = CropGeometry;

TEST(CropGeometry, FirstRectangleDependsOnTheScreenWidth)
{
    EXPECT_EQ(G::initialRect(QRectF(0, 0, 1440, 900)), QRectF(150, 900 - 150 - 360, 640, 360));
    EXPECT_EQ(G::initialRect(QRectF(0, 0, 1680, 1050)), QRectF(150, 1050 - 150 - 480, 854, 480));
}

TEST(CropGeometry, HitTestTakesTheFirstPartInOrder)
{
    const QRectF crop(100, 100, 600, 400);  // right 700, bottom 500, centre (400, 300)
    const QSizeF block(40, 40);
    struct Case { QPointF p; G::Part want; };
    const Case cases[] = {
        {{100, 100}, G::TopLeft},   {{92.5, 92.5}, G::TopLeft},  {{107.4, 107.4}, G::TopLeft},
        {{107.5, 100}, G::Top},     {{692.4, 100}, G::Top},      {{700, 100}, G::TopRight},
        {{100, 300}, G::Left},      {{700, 300}, G::Right},      {{100, 500}, G::BottomLeft},
        {{400, 500}, G::Bottom},    {{700, 500}, G::BottomRight},
        // the bar under the top edge: the top strip wins where they overlap, then the bar
        {{300, 107.4}, G::Top},     {{300, 107.5}, G::Whole},    {{300, 139.9}, G::Whole},
        {{300, 140}, G::None},      {{640, 120}, G::Whole},      // bar is 545 wide from the left edge
        {{650, 120}, G::None},
        // the move block in the middle, nothing else inside
        {{400, 300}, G::Whole},     {{380, 280}, G::Whole},      {{420, 300}, G::None},
        {{200, 400}, G::None},      {{92.4, 300}, G::None},      {{707.5, 300}, G::None},
    };
    for (const Case &c : cases)
        EXPECT_EQ(G::hitTest(crop, c.p, block), c.want) << c.p.x() << "," << c.p.y();

    // At the minimum width the bar reaches past the right edge, yet the right handles come first.
    const QRectF narrow(0, 0, 480, 272);
    EXPECT_EQ(G::hitTest(narrow, {480, 20}, block), G::Right);
    EXPECT_EQ(G::hitTest(narrow, {500, 20}, block), G::Whole);
}

TEST(CropGeometry, DragKeepsTheMinimumAndTheScreen)
{
    const QRectF screen(0, 0, 1920, 1080);
    const QRectF r(400, 300, 800, 500);  // right 1200, bottom 800
    struct Case { G::Part part; QPointF d; QRectF want; };
    const Case cases[] = {
        {G::None, {50, 50}, r},
        {G::Whole, {100, -50}, {500, 250, 800, 500}},
        {G::Whole, {-1000, -1000}, {0, 0, 800, 500}},
        {G::Whole, {5000, 5000}, {1120, 580, 800, 500}},
        {G::TopLeft, {-50, -20}, {350, 280, 850, 520}},
        {G::TopLeft, {700, 400}, {720, 528, 480, 272}},      // shrinks to the minimum only
        {G::TopLeft, {-900, -900}, {0, 0, 1200, 800}},       // stops at the screen's corner
        {G::Top, {0, 300}, {400, 528, 800, 272}},
        {G::Top, {999, -999}, {400, 0, 800, 800}},           // a top handle never moves sideways
        {G::TopRight, {-500, -400}, {400, 0, 480, 800}},
        {G::Left, {500, 0}, {720, 300, 480, 500}},
        {G::Right, {2000, 0}, {400, 300, 1520, 500}},
        {G::Right, {-600, 0}, {400, 300, 480, 500}},
        {G::BottomLeft, {-500, 500}, {0, 300, 1200, 780}},
        {G::Bottom, {0, -400}, {400, 300, 800, 272}},
        {G::BottomRight, {1000, 1000}, {400, 300, 1520, 780}},
        {G::BottomRight, {-1000, -1000}, {400, 300, 480, 272}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(G::drag(c.part, r, c.d, screen), c.want) << "part " << c.part << " by " << c.d.x() << "," << c.d.y();

    // A screen offset from the origin (a second monitor) clamps at its own edges.
    const QRectF right(1920, 0, 1280, 720);
    EXPECT_EQ(G::drag(G::Whole, QRectF(2000, 100, 600, 400), {-500, 0}, right), QRectF(1920, 100, 600, 400));
    // A screen smaller than the minimum holds a rectangle of its own size.
    const QRectF tiny(0, 0, 400, 240);
    EXPECT_EQ(G::drag(G::BottomRight, QRectF(0, 0, 400, 240), {-300, -300}, tiny), QRectF(0, 0, 400, 240));
}

TEST(CropGeometry, PixelSizeScalesCapsAndEvens)
{
    struct Case { QSizeF points; qreal scale; QSize want; };
    const Case cases[] = {
        {{2880, 1800}, 2, {3456, 2160}},  // height limits
        {{2560, 1000}, 2, {4096, 1600}},  // width limits
        {{4096, 2160}, 1, {4096, 2160}},  // at the cap, untouched
        {{5120, 2700}, 1, {4096, 2160}},  // both exactly over by the same factor
        {{854, 480}, 1, {854, 480}},
        {{640.5, 360.9}, 1, {640, 360}},  // whole pixels
        {{641, 361}, 1, {640, 360}},      // odd sizes the encoder refuses
        {{320.5, 180.5}, 2, {640, 360}},
        {{1000, 563}, 1.5, {1500, 844}},
        {{800, 600}, 0, {800, 600}},      // no scale offered counts as 1
        {{0, 0}, 1, {2, 2}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(G::pixelSize(c.points, c.scale), c.want) << c.points.width() << "x" << c.points.height() << "@" << c.scale;
}

TEST(CropGeometry, BitRateTakesTheNearestEntryAndTheFirstOnATie)
{
    struct Case { QSize px; int kbps; };
    const Case cases[] = {
        {{320, 240}, 512},     {{1, 1}, 512},
        {{480, 400}, 512},     // 192,000: halfway between 76,800 and 307,200
        {{480, 401}, 1500},
        {{640, 480}, 1500},    {{640, 510}, 1500},    // 326,400: halfway to 345,600
        {{640, 511}, 2500},    {{720, 480}, 2500},
        {{1280, 720}, 5000},   {{1920, 1080}, 10000}, {{3456, 2160}, 10000},
        {{1000, 1497}, 5000},  // 1,497,000: just below halfway between the two largest
        {{1000, 1498}, 10000},
    };
    for (const Case &c : cases)
        EXPECT_EQ(G::videoBitRateKbps(c.px), c.kbps) << c.px.width() << "x" << c.px.height();
}

TEST(CropGeometry, EncoderBlockCarriesSizeRatesAndAudio)
{
    const IM_EncodeParamEx block = G::encodeBlock(QSize(1280, 720));
    const QByteArray bytes = EncodeParamData::toData(block);
    ASSERT_EQ(bytes.size(), 70480);
    auto u32 = [&bytes](int at) {
        quint32 v;
        std::memcpy(&v, bytes.constData() + at, 4);
        return v;
    };
    double fps;
    std::memcpy(&fps, bytes.constData() + 12, 8);
    EXPECT_EQ(u32(4), 1280u);
    EXPECT_EQ(u32(8), 720u);
    EXPECT_EQ(fps, 24.0);
    EXPECT_EQ(u32(20), 5000u);  // kbit/s
    EXPECT_EQ(u32(6232), 44100u);
    EXPECT_EQ(u32(6236), 2u);
    EXPECT_EQ(u32(6240), 128000u);  // bit/s
    EXPECT_EQ(u32(6252), 16u);
    // Nothing else is set: with those fields cleared, the block is all zeros.
    IM_EncodeParamEx rest = block;
    rest.width = rest.height = 0;
    rest.frameRate = 0;
    rest.videoBitrate = rest.sampleRate = rest.channels = rest.audioBitrate = 0;
    rest.audioBitsPerSample = 0;
    EXPECT_EQ(EncodeParamData::toData(rest), QByteArray(70480, '\0'));
}
