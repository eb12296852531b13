#include "WidgetTestSupport.h"

#include "controls/ATBorderView.h"
#include "controls/BackgroundView.h"
#include "controls/CleanupStarView.h"
#include "controls/CustomBox.h"
#include "controls/ImageDrawView.h"
#include "controls/LoadingView.h"
#include "controls/MaskView.h"
#include "controls/ThinProgressView.h"
#include "controls/WhiteBackgroundView.h"

#include <QPainterPath>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace WidgetTest;

TEST(BackgroundView, MaskFivePaintsOneSquareCorner)
{
    BackgroundView v;
    v.resize(60, 30);
    v.setBackgroundColor(QColor(0, 0, 0));
    v.setBoundsToMask(5);
    v.setCornerRadius(6);
    const QImage img = render(&v);
    EXPECT_EQ(qAlpha(img.pixel(59, 29)), 255);  // bottom-right square
    EXPECT_LT(qAlpha(img.pixel(0, 29)), 128);   // bottom-left rounded
    EXPECT_LT(qAlpha(img.pixel(59, 0)), 128);   // top-right rounded
    EXPECT_LT(qAlpha(img.pixel(0, 0)), 128);
}

TEST(BackgroundView, ZeroRadiusBecomesFourAndSameColourChangesNothing)
{
    BackgroundView v;
    v.resize(40, 20);
    v.setBoundsToMask(15);
    render(&v);
    EXPECT_EQ(v.cornerRadius(), 4);
    v.setBackgroundColor(QColor(1, 2, 3), false);
    v.setBackgroundColor(QColor(1, 2, 3), false);
    EXPECT_EQ(v.backgroundColor(), QColor(1, 2, 3));
}

TEST(BackgroundView, OutlineMaskDrawsNoBottomLine)
{
    BackgroundView v;
    v.resize(40, 20);
    v.setBackgroundColor(QColor(255, 255, 255));
    v.setBoundsToMask(15);
    v.setBoundsLineColor(QColor(0, 0, 255), false);
    v.setBottomLineColor(QColor(255, 0, 0), false);
    const QImage img = render(&v);
    for (int x = 0; x < 40; ++x)
        EXPECT_LT(qRed(img.pixel(x, 19)) - qBlue(img.pixel(x, 19)), 60) << x;
}

TEST(CustomBox, TopLineOnlyWithAMask)
{
    CustomBox box;
    box.resize(40, 20);
    box.setBackgroundColor(QColor(0, 255, 0));
    box.setTopLineColor(QColor(255, 0, 0));
    box.setBoundsToMask(0);
    EXPECT_EQ(render(&box).pixelColor(20, 0), QColor(0, 255, 0));
    box.setBoundsToMask(4);
    EXPECT_EQ(render(&box).pixelColor(20, 0), QColor(255, 0, 0));
}

TEST(WhiteBackgroundView, TopBlackLeavesTheTopUnpainted)
{
    WhiteBackgroundView v;
    v.resize(20, 30);
    v.setTopBlack(2);
    const QImage img = render(&v);
    EXPECT_EQ(qAlpha(img.pixel(10, 1)), 0);
    EXPECT_EQ(img.pixelColor(10, 2), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(10, 29), QColor(Qt::white));
}

TEST(OverlayViews, NothingBeneathGetsThePointer)
{
    for (int kind = 0; kind < 2; ++kind) {
        QWidget window;
        window.resize(100, 100);
        auto *button = new QPushButton("under", &window);
        button->setGeometry(0, 0, 100, 100);
        QWidget *overlay = kind == 0 ? static_cast<QWidget *>(new MaskView(&window)) : new LoadingView(&window);
        overlay->setGeometry(0, 0, 100, 100);
        window.show();
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(50, 50));
        EXPECT_EQ(clicked.count(), 0) << kind;
    }
    MaskView mask;
    mask.setAcceptDrops(true);
    EXPECT_TRUE(mask.acceptDrops());
}

TEST(ThinProgressView, HoldsValuesAboveOne)
{
    ThinProgressView v;
    v.setProgress(1.0f);
    EXPECT_FLOAT_EQ(v.progress(), 1.0f);
    v.setProgress(1.5f);
    EXPECT_FLOAT_EQ(v.progress(), 0.99f);
    v.resize(100, 4);
    v.setProgress(0);
    EXPECT_EQ(render(&v).pixelColor(50, 2), QColor(239, 239, 239));
}

TEST(SmallViews, StarsImageViewAndBubble)
{
    QImage star(10, 10, QImage::Format_ARGB32_Premultiplied);
    star.fill(Qt::red);
    CleanupStarView stars;
    stars.resize(100, 20);
    stars.setLightStarImage(star);
    stars.setGrayStarImage(star);
    stars.setLightStarCount(2);
    const auto rects = stars.starRects();
    ASSERT_EQ(rects.size(), 5);
    EXPECT_EQ(rects[1], QRectF(14, 10, 10, 10));  // bottom edge, 4 points apart
    stars.setLightStarCount(99);
    EXPECT_EQ(stars.starRects().size(), 5);

    ImageDrawView empty;
    empty.resize(20, 20);
    EXPECT_EQ(qAlpha(render(&empty).pixel(10, 10)), 0);

    const QPainterPath bubble = ATBorderView::bubblePath(QSizeF(100, 60));
    EXPECT_TRUE(bubble.contains(QPointF(50, 55)));   // the pointer, at the bottom middle
    EXPECT_FALSE(bubble.contains(QPointF(5, 55)));
    EXPECT_TRUE(bubble.contains(QPointF(50, 20)));
}
