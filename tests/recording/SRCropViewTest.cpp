#include "recording/SRCropView.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
struct Overlay
{
    SRCropView view;
    Overlay()
    {
        view.resize(1440, 900);
        view.setScreenFrame(QRectF(0, 0, 1440, 900));
        view.show();
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, to);
        // mouseMove carries no button state offscreen; send the drag with the button held
        QMouseEvent move(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &move);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    }
};
} // namespace

TEST(SRCropView, StartsWithTheFirstRectangleAndPlacesTheBar)
{
    Overlay o;
    EXPECT_EQ(o.view.cropFrame(), QRectF(150, 900 - 150 - 360, 640, 360));
    QWidget bar;
    bar.resize(200, 30);
    o.view.setCropBar(&bar);
    EXPECT_EQ(bar.pos(), QPoint(150, 390));
    o.view.setCropFrame(QRectF(10, 20, 500, 300));
    EXPECT_EQ(bar.pos(), QPoint(10, 20));
    bar.setParent(nullptr);
}

TEST(SRCropView, DraggingHandlesAndTheBlockKeepsMinimumAndScreen)
{
    Overlay o;
    o.view.setCropFrame(QRectF(400, 300, 640, 360));  // right 1040, bottom 660, centre (720, 480)
    QSignalSpy changed(&o.view, &SRCropView::cropFrameChanged);

    o.drag({1040, 660}, {1100, 700});
    EXPECT_EQ(o.view.cropFrame(), QRectF(400, 300, 700, 400));
    o.drag({1100, 700}, {500, 400});
    EXPECT_EQ(o.view.cropFrame(), QRectF(400, 300, 480, 272));
    o.drag({640, 436}, {-500, -500});  // the move block
    EXPECT_EQ(o.view.cropFrame(), QRectF(0, 0, 480, 272));
    o.drag({100, 20}, {2000, 2000});   // the bar
    EXPECT_EQ(o.view.cropFrame(), QRectF(960, 628, 480, 272));
    EXPECT_GE(changed.count(), 4);

    const QRectF before = o.view.cropFrame();
    o.drag({20, 20}, {300, 300});      // outside the rectangle grabs nothing
    EXPECT_EQ(o.view.cropFrame(), before);
    EXPECT_EQ(o.view.grabbedPart(), CropGeometry::None);
}

TEST(SRCropView, CursorShowsWhatAPressWouldGrab)
{
    Overlay o;
    o.view.setCropFrame(QRectF(100, 100, 600, 400));
    struct Case { QPoint at; Qt::CursorShape shape; };
    const Case cases[] = {{{100, 100}, Qt::SizeFDiagCursor}, {{700, 100}, Qt::SizeBDiagCursor},
                          {{400, 500}, Qt::SizeVerCursor},   {{100, 300}, Qt::SizeHorCursor},
                          {{400, 300}, Qt::ArrowCursor},     {{20, 20}, Qt::ArrowCursor}};
    for (const Case &c : cases) {
        QTest::mouseMove(&o.view, c.at);
        QMouseEvent move(QEvent::MouseMove, QPointF(c.at), o.view.mapToGlobal(QPointF(c.at)), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(&o.view, &move);
        EXPECT_EQ(o.view.cursor().shape(), c.shape) << c.at.x() << "," << c.at.y();
    }
}

// What the editor draws over the screen: the frame, the eight handles, the bar and the move
// block. The rest of the rectangle is left to the screen beneath.
TEST(SRCropView, PaintedRegionHoldsTheFrameHandlesBarAndBlockOnly)
{
    Overlay o;
    QWidget bar;
    bar.resize(450, 40);
    o.view.setCropBar(&bar);
    const QRectF f(200, 150, 800, 500);
    o.view.setCropFrame(f);
    const QRegion painted = o.view.paintedRegion();
    const struct
    {
        QPoint at;
        bool drawn;
        const char *what;
    } cases[] = {
        {QPoint(197, 400), true, "left edge of the frame"},
        {QPoint(1003, 400), true, "right edge of the frame"},
        {QPoint(600, 653), true, "bottom edge of the frame"},
        {QPoint(203, 647), true, "bottom-left handle"},
        {QPoint(996, 400), true, "right handle"},
        {QPoint(400, 170), true, "the bar"},
        {QPoint(600, 400), true, "the move block"},
        {QPoint(300, 300), false, "inside the rectangle"},
        {QPoint(900, 600), false, "inside the rectangle"},
        {QPoint(100, 100), false, "outside the frame"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(painted.contains(c.at), c.drawn) << c.what;
    bar.setParent(nullptr);
}
