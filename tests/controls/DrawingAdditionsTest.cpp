#include "controls/AFDrawing.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace AFDrawing;

TEST(DrawingAdditions, DivideEqually)
{
    const QRectF r(0, 0, 100, 40);
    EXPECT_EQ(AFRectDivideEqually(r, MinX, 1), QList<QRectF>{r});
    EXPECT_EQ(AFRectDivideEqually(r, MinX, 0), QList<QRectF>{r});
    EXPECT_EQ(AFRectDivideEqually(r, MinX, 4),
              (QList<QRectF>{{0, 0, 25, 40}, {25, 0, 25, 40}, {50, 0, 25, 40}, {75, 0, 25, 40}}));
    EXPECT_EQ(AFRectDivideEqually(r, MinY, 2), (QList<QRectF>{{0, 0, 100, 20}, {0, 20, 100, 20}}));
    // Slices cut from a max edge stay inside the rectangle.
    for (int edge : {MaxX, MaxY})
        for (const QRectF &slice : AFRectDivideEqually(r, edge, 4))
            EXPECT_TRUE(r.contains(slice)) << edge;
    EXPECT_EQ(AFRectDivideEqually(r, MaxX, 2).first(), QRectF(50, 0, 50, 40));
}

TEST(DrawingAdditions, RoundedCornersFollowTheMask)
{
    const QRectF r(0, 0, 40, 20);
    const QPainterPath square = bezierPathWithRoundedRect(r, 0, 6);
    const QPainterPath round = bezierPathWithRoundedRect(r, 15, 6);
    const QPointF nearCorners[] = {{0.5, 0.5}, {39.5, 0.5}, {0.5, 19.5}, {39.5, 19.5}};
    for (const QPointF &p : nearCorners) {
        EXPECT_TRUE(square.contains(p)) << p.x() << "," << p.y();
        EXPECT_FALSE(round.contains(p)) << p.x() << "," << p.y();
    }
    // Only the lower-left corner (bottom-left on screen) rounded.
    const QPainterPath one = bezierPathWithRoundedRect(r, LowerLeft, 6);
    EXPECT_FALSE(one.contains(QPointF(0.5, 19.5)));
    EXPECT_TRUE(one.contains(QPointF(0.5, 0.5)));
    EXPECT_TRUE(one.contains(QPointF(39.5, 19.5)));
}

TEST(DrawingAdditions, TextOutlineFillsTheFrame)
{
    QFont font;
    font.setPixelSize(12);
    const QRectF frame(10, 10, 60, 30);
    // A long title shrinks to the width; a short one grows to the height.
    const QRectF longText = stringPathAlignedInFrame("A rather long button title", font, AlignCenter, frame).boundingRect();
    EXPECT_LE(longText.width(), frame.width() + 0.5);
    EXPECT_NEAR(longText.center().x(), frame.center().x(), 1.0);
    const QRectF shortText = stringPathAlignedInFrame("Hi", font, AlignCenter, frame).boundingRect();
    EXPECT_GT(shortText.height(), 15);
    EXPECT_LE(shortText.height(), frame.height() + 0.5);
    const QRectF left = stringPathAlignedInFrame("Hi", font, AlignLeft, frame).boundingRect();
    const QRectF right = stringPathAlignedInFrame("Hi", font, AlignRight, frame).boundingRect();
    EXPECT_NEAR(left.left(), frame.left(), 0.5);
    EXPECT_NEAR(right.right(), frame.right(), 0.5);
    EXPECT_TRUE(stringPathAlignedInFrame("", font, AlignCenter, frame).isEmpty());
}

TEST(DrawingAdditions, InnerShadowStaysInside)
{
    QImage img(60, 60, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainterPath path;
    path.addRect(10, 10, 40, 40);
    {
        QPainter p(&img);
        applyInnerShadow(&p, path, Qt::black, QPointF(0, 3), 2);
    }
    EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::white));   // outside untouched
    EXPECT_LT(img.pixelColor(30, 11).red(), 200);          // shadow under the top edge
    EXPECT_EQ(img.pixelColor(30, 40), QColor(Qt::white)); // far from the edge
}
