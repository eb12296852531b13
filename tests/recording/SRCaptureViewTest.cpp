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
