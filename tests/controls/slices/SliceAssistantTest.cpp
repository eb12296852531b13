#include "controls/slices/SliceAssistant.h"
#include "controls/slices/SlicesManager.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {
QList<QRectF> targets(const QList<SliceTile> &tiles)
{
    QList<QRectF> out;
    for (const auto &p : tiles)
        out.append(p.target);
    return out;
}
} // namespace

TEST(SliceAssistant, ThreePartKeepsEndsAndStretchesMiddle)
{
    struct Case { QSizeF slice; QMarginsF caps; QRectF frame; QList<QRectF> want; };
    const Case cases[] = {
        // Wide frame: 10-point ends, middle takes the rest, full frame height.
        {{40, 28}, {10, 0, 10, 0}, {5, 2, 100, 30}, {{5, 2, 10, 30}, {15, 2, 80, 30}, {95, 2, 10, 30}}},
        // Frame exactly the caps: no middle.
        {{40, 28}, {10, 0, 10, 0}, {0, 0, 20, 28}, {{0, 0, 10, 28}, {10, 0, 10, 28}}},
        // Narrower than the caps: ends shrink in proportion and never overlap.
        {{40, 28}, {12, 0, 4, 0}, {0, 0, 8, 28}, {{0, 0, 6, 28}, {6, 0, 2, 28}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(targets(SliceAssistant::threePartTiles(c.slice, c.caps, c.frame)), c.want);
    EXPECT_TRUE(SliceAssistant::threePartTiles({40, 28}, {10, 0, 10, 0}, {}).isEmpty());
}

TEST(SliceAssistant, NinePartKeepsCorners)
{
    const auto tiles = SliceAssistant::ninePartTiles({30, 30}, {10, 10, 10, 10}, {0, 0, 100, 50});
    ASSERT_EQ(tiles.size(), 9);
    EXPECT_EQ(tiles[0].target, QRectF(0, 0, 10, 10));
    EXPECT_EQ(tiles[4].target, QRectF(10, 10, 80, 30));
    EXPECT_EQ(tiles[8].target, QRectF(90, 40, 10, 10));
    EXPECT_EQ(tiles[8].source, QRectF(20, 20, 10, 10));
}

TEST(SliceAssistant, DrawingLeavesTheSliceImageUntouched)
{
    auto &m = SlicesManager::defaultManager();
    const QImage before = m.sliceNamed("mainform-40", "mainform", 1).copy();
    QImage canvas(200, 40, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    {
        QPainter p(&canvas);
        SliceAssistant::draw3PartImage(&p, QRectF(0, 0, 200, 40), "mainform-40", "mainform",
                                       QPainter::CompositionMode_SourceOver, 0.5, true);
        SliceAssistant::draw9PartImage(&p, QRectF(0, 0, 200, 40), "mainform-40", "mainform");
        SliceAssistant::drawScaled(&p, QRectF(0, 0, 200, 40), "no-such", "mainform");
    }
    EXPECT_EQ(m.sliceNamed("mainform-40", "mainform", 1), before);
    // Something was drawn: the border of the default button look is not white.
    EXPECT_NE(canvas.pixelColor(100, 0), QColor(Qt::white));
}
