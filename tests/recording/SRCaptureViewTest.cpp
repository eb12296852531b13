#include "recording/SRCaptureView.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(SRCaptureView, BarSitsAboveTheRegion)
{
    SRCaptureView v;
    v.resize(1440, 900);
    QWidget bar;
    bar.resize(350, 40);
    v.setCaptureFrame(QRectF(150, 390, 640, 360));
    v.setCaptureBar(&bar);
    EXPECT_EQ(bar.pos(), QPoint(150, 390 - 2 - 40));
    v.setCaptureFrame(QRectF(10, 100, 480, 272));
    EXPECT_EQ(bar.pos(), QPoint(10, 58));
    bar.setParent(nullptr);
}

TEST(SRCaptureView, CountDownNumberAndTipStackOnOneBackdrop)
{
    SRCaptureView v;
    v.resize(1440, 900);
    const QRectF region(150, 390, 640, 360);  // centre (470, 570)
    v.setCaptureFrame(region);
    EXPECT_TRUE(v.layout().number.isEmpty()) << "nothing while no number is set";

    v.setHotKeyTip(QStringLiteral("Press %key% to stop recording."), QStringLiteral("Shift+Ctrl+2"));
    v.setCountNumber(QStringLiteral("5"));
    const SRCaptureView::Layout l = v.layout();
    EXPECT_DOUBLE_EQ(l.number.center().x(), 470);
    EXPECT_DOUBLE_EQ(l.number.bottom(), 570 - 20);
    EXPECT_DOUBLE_EQ(l.tip.center().x(), 470);
    EXPECT_DOUBLE_EQ(l.tip.top(), l.number.bottom() - 30);
    EXPECT_DOUBLE_EQ(l.backdrop.left(), std::min(l.number.left(), l.tip.left()) - 20);
    EXPECT_DOUBLE_EQ(l.backdrop.right(), std::max(l.number.right(), l.tip.right()) + 20);
    EXPECT_DOUBLE_EQ(l.backdrop.bottom(), l.tip.bottom() + 15);
    EXPECT_DOUBLE_EQ(l.backdrop.top(), l.number.top() + 25);

    // A narrow region cuts the tip rather than letting it run past the frame.
    v.setCaptureFrame(QRectF(0, 0, 100, 300));
    EXPECT_LE(v.layout().tip.width(), 60);

    // The number is drawn: white pixels inside its box, none before it was set.
    v.setCaptureFrame(region);
    QImage img(v.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    v.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    int white = 0;
    const QRect box = l.number.toRect();
    for (int y = box.top(); y < box.bottom(); y += 2)
        for (int x = box.left(); x < box.right(); x += 2)
            white += img.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(white, 50);
}

// Near the top of the screen the count-down's backdrop reaches up over the Stop bar: the
// number is drawn over the bar, never under it. What the view draws while recording stays
// outside the region, so a see-through overlay never shows up in the take.
TEST(SRCaptureView, CountDownStandsAboveTheBarAndTheRegionStaysClear)
{
    SRCaptureView v;
    v.resize(640, 480);
    QWidget bar;
    bar.resize(350, 40);
    bar.setAutoFillBackground(true);
    QPalette black;
    black.setColor(QPalette::Window, Qt::black);
    bar.setPalette(black);
    const QRectF region(80, 60, 480, 272);
    v.setCaptureFrame(region);
    v.setCaptureBar(&bar);
    v.setCountNumber(QStringLiteral("5"));
    ASSERT_TRUE(v.layout().backdrop.intersects(QRectF(bar.geometry())));

    QImage img(v.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::darkGray);
    v.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    int whiteOnBar = 0;
    for (int y = bar.y(); y < bar.y() + bar.height(); ++y)
        for (int x = bar.x(); x < bar.x() + bar.width(); ++x)
            whiteOnBar += img.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(whiteOnBar, 20) << "the number is hidden by the bar";

    // Counting down, the number is in the region; recording, nothing is.
    const QRect inside = region.toAlignedRect();
    EXPECT_TRUE(v.paintedRegion().intersects(inside));
    EXPECT_TRUE(v.paintedRegion().contains(bar.geometry().center()));
    v.setCountNumber(QString());
    EXPECT_FALSE(v.paintedRegion().intersects(inside));
    EXPECT_TRUE(v.paintedRegion().contains(bar.geometry()));
    EXPECT_TRUE(v.paintedRegion().contains(QPoint(inside.left() - 3, inside.center().y()))) << "the frame";
    bar.setParent(nullptr);
}
