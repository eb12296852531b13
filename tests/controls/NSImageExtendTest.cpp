#include "controls/NSImageExtend.h"

#include <gtest/gtest.h>

using namespace NSImageExtend;

namespace {

QImage twoTone(int w, int h, QColor left, QColor right)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            image.setPixelColor(x, y, x < w / 2 ? left : right);
    return image;
}

} // namespace

TEST(NSImageExtend, Sizes)
{
    QImage image(40, 20, QImage::Format_ARGB32);
    image.setDevicePixelRatio(2.0);
    EXPECT_EQ(width(image), 20);
    EXPECT_EQ(height(image), 10);
    EXPECT_EQ(pixelsSize(image), QSize(40, 20));
}

TEST(NSImageExtend, GeneratedImages)
{
    const struct
    {
        QColor colour;
        QSize size;
        QSize expectedSize;
        QColor expected;
    } pure[] = {
        {QColor(Qt::red), QSize(10, 5), QSize(10, 5), QColor(Qt::red)},
        {QColor(), QSize(), QSize(64, 64), QColor(Qt::white)},
    };
    for (const auto &c : pure) {
        const QImage image = generatePureColorImage(c.colour, c.size);
        ASSERT_EQ(image.size(), c.expectedSize);
        EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), c.expected);
    }

    const QImage line = generateSingleLineImage(QColor(), QSize());
    ASSERT_EQ(line.size(), QSize(110, 35));
    EXPECT_EQ(line.pixelColor(0, 33), QColor(Qt::black));
    EXPECT_EQ(line.pixelColor(109, 33), QColor(Qt::black));
    EXPECT_EQ(line.pixelColor(5, 34).alpha(), 0);
    EXPECT_EQ(line.pixelColor(5, 0).alpha(), 0);

    // Absurd sizes give no image rather than a huge allocation.
    EXPECT_TRUE(generatePureColorImage(Qt::red, QSize(100000, 100000)).isNull());
    EXPECT_TRUE(generateSingleLineImage(Qt::red, QSize(-5, 3)).size() == QSize(110, 35));
}

TEST(NSImageExtend, CompositeThumbnailCutsAroundTheCentre)
{
    EXPECT_TRUE(compositeThumbnail(QImage(), QSize(10, 10), QImage()).isNull());
    // A wide image cut to a square keeps its middle: left half red, right half blue.
    const QImage wide = twoTone(40, 10, Qt::red, Qt::blue);
    const QImage square = compositeThumbnail(wide, QSize(10, 10), QImage());
    ASSERT_EQ(square.size(), QSize(10, 10));
    EXPECT_EQ(square.pixelColor(1, 5), QColor(Qt::red));
    EXPECT_EQ(square.pixelColor(8, 5), QColor(Qt::blue));

    // The mask goes over the whole image.
    QImage mask(2, 2, QImage::Format_ARGB32);
    mask.fill(QColor(0, 255, 0));
    const QImage masked = compositeThumbnail(wide, QSize(10, 10), mask);
    EXPECT_EQ(masked.pixelColor(1, 5), QColor(0, 255, 0));
}

TEST(NSImageExtend, RoundedFrames)
{
    const QImage source = twoTone(20, 40, Qt::red, Qt::blue);
    const QImage framed = imageWithRoundRectSize(source, QSize(30, 30), 3);
    ASSERT_EQ(framed.size(), QSize(30, 30));
    EXPECT_EQ(framed.pixelColor(15, 1), QColor(Qt::white)); // inside the border, outside the picture
    EXPECT_EQ(framed.pixelColor(6, 15), QColor(Qt::red));
    EXPECT_EQ(framed.pixelColor(24, 15), QColor(Qt::blue));

    const QImage round = imageWithRoundSize(source, QSize(30, 30), 2);
    ASSERT_EQ(round.size(), QSize(30, 30));
    EXPECT_EQ(round.pixelColor(0, 0).alpha(), 0);             // outside the oval
    EXPECT_EQ(round.pixelColor(8, 15), QColor(Qt::red));      // inside, left half
    EXPECT_EQ(round.pixelColor(22, 15), QColor(Qt::blue));

    EXPECT_EQ(imageWithRoundRectSize(QImage(), QSize(8, 8), 1).size(), QSize(8, 8));
    EXPECT_EQ(imageWithRoundSize(source, QSize(8, 8), 10).size(), QSize(8, 8)); // border wider than the image
}
