#include "WidgetTestSupport.h"

#include "controls/ATPopupWindow.h"
#include "controls/AddToAnimationView.h"
#include "controls/AddTaskAnimationWindow.h"
#include "controls/AddToTaskAnimationWnd.h"
#include "controls/CircleAnimationView.h"
#include "controls/CircleImageView.h"
#include "controls/ControlSlices.h"
#include "controls/FrameAnimator.h"
#include "controls/FullScreenWindows.h"
#include "controls/ImageAnimationView.h"
#include "controls/MGAnimationView.h"
#include "controls/MGProgressIndicator.h"
#include "controls/PopoverGeometry.h"
#include "controls/ProgressBarView.h"
#include "controls/ProgressIndicatorView.h"
#include "platform/NotificationCenter.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>
#include <gtest/gtest.h>

#include <memory>

using namespace WidgetTest;

// --- Flying pictures ---

TEST(AddToTaskAnimationWnd, OverlayTakesNoInputAndLandsSmallAndFaint)
{
    QWidget host;
    host.resize(800, 600);
    host.show();
    AddToTaskAnimationWnd overlay(&host);
    EXPECT_FALSE(overlay.isWindow());
    EXPECT_TRUE(overlay.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(overlay.isVisible());

    QSignalSpy stopped(&overlay, &AddToTaskAnimationWnd::animationWindowDidStop);
    const QRectF from(100, 400, 40, 20), to(600, 10, 30, 30);
    overlay.animateImage(QImage(), from, to);
    ASSERT_EQ(overlay.flightCount(), 1);
    EXPECT_TRUE(overlay.isVisible());
    QVariantAnimation *flight = overlay.flightAnimation(0);
    EXPECT_EQ(flight->duration(), 800);

    flight->setCurrentTime(0);
    EXPECT_EQ(overlay.flightRect(0), from);
    EXPECT_DOUBLE_EQ(overlay.flightOpacity(0), 1.0);
    // The pill: accent green in the middle, clear beyond its rounded ends.
    const QImage first = render(&overlay);
    EXPECT_EQ(first.pixel(120, 410), qRgb(28, 216, 87));
    EXPECT_EQ(qAlpha(first.pixel(101, 401)), 0);

    flight->setCurrentTime(400);
    EXPECT_NEAR(overlay.flightRect(0).center().x(), 120 + (615 - 120) * 0.875, 1e-6);
    EXPECT_NEAR(overlay.flightRect(0).center().y(), 410 + (25 - 410) * 0.5, 1e-6);
    flight->setCurrentTime(800 - 1);
    EXPECT_NEAR(overlay.flightRect(0).width(), 18, 0.05);
    EXPECT_NEAR(overlay.flightRect(0).height(), 18, 0.05);
    EXPECT_NEAR(overlay.flightOpacity(0), 0.2, 0.002);
    EXPECT_NEAR(overlay.flightRect(0).center().x(), 615, 0.01);

    flight->setCurrentTime(800);
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(overlay.flightCount(), 0);
    EXPECT_FALSE(overlay.isVisible());
}

TEST(AddToTaskAnimationWnd, OverlayHidesAfterTheLastOfTwoFlights)
{
    QWidget host;
    host.resize(400, 300);
    host.show();
    AddDownloadTaskAnimationWnd overlay(&host);
    QSignalSpy stopped(&overlay, &AddToTaskAnimationWnd::animationWindowDidStop);
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    overlay.animateImage(picture, QRectF(10, 10, 32, 32), QRectF(300, 10, 20, 20));
    overlay.animateImage(QImage(), QRectF(10, 200, 60, 20), QRectF(300, 10, 20, 20));
    ASSERT_EQ(overlay.flightCount(), 2);
    QVariantAnimation *second = overlay.flightAnimation(1);
    overlay.flightAnimation(0)->setCurrentTime(800);
    EXPECT_EQ(overlay.flightCount(), 1);
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(overlay.flightAnimation(0), second);
    second->setCurrentTime(800);
    EXPECT_EQ(stopped.count(), 2);
    EXPECT_FALSE(overlay.isVisible());
    host.resize(500, 350);
    EXPECT_EQ(overlay.size(), QSize(500, 350));
}

TEST(AddTaskAnimationWindow, ThumbnailShrinksComesBackRoundAndArcsToTheTarget)
{
    // A 120 x 90 thumbnail: the round picture is 90 across.
    const QRectF from(100, 400, 120, 90), to(600, 20, 40, 40);
    const struct
    {
        double seconds;
        QSizeF size;
        double opacity;
        bool round;
    } cases[] = {
        {0.0, {120, 90}, 1.0, false},
        {0.15, {60, 45}, 0.5, false},
        {0.3, {0, 0}, 0.0, true},
        {0.45, {45, 45}, 0.5, true},
        {0.6, {90, 90}, 1.0, true},
        {0.85, {45, 45}, 0.65, true},
        {1.1, {0, 0}, 0.3, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        const AddTaskAnimationWindow::Frame f = AddTaskAnimationWindow::frameAt(from, to, c.seconds);
        EXPECT_NEAR(f.size.width(), c.size.width(), 1e-9);
        EXPECT_NEAR(f.size.height(), c.size.height(), 1e-9);
        EXPECT_NEAR(f.opacity, c.opacity, 1e-9);
        EXPECT_EQ(f.round, c.round);
        if (c.seconds <= 0.6) {
            EXPECT_EQ(f.centre, from.center()) << "it leaves only in the third stage";
        }
    }
    // The arc rises towards the top of the window between the two centres and lands on the target.
    const AddTaskAnimationWindow::Frame mid = AddTaskAnimationWindow::frameAt(from, to, 0.85);
    EXPECT_LT(mid.centre.y(), to.center().y() + 60);
    EXPECT_GT(mid.centre.x(), from.center().x());
    EXPECT_LT(mid.centre.x(), to.center().x());
    EXPECT_EQ(AddTaskAnimationWindow::frameAt(from, to, 1.1).centre, to.center());
}

TEST(AddTaskAnimationWindow, FliesEveryEntryAndClosesAfterTheLast)
{
    QWidget host;
    host.resize(800, 600);
    host.show();
    QPointer<AddTaskAnimationWindow> window = new AddTaskAnimationWindow(&host);
    QSignalSpy stopped(window.data(), &AddTaskAnimationWindow::animationWindowDidStop);
    QImage thumb(120, 90, QImage::Format_ARGB32);
    thumb.fill(QColor(200, 30, 30));
    window->animateImages({QVariantMap{{"thumbnail", thumb}, {"fromRect", QRectF(100, 400, 120, 90)}, {"toRect", QRectF(600, 20, 40, 40)}},
                           QVariantMap{{"thumbnail", thumb}}});  // no rectangles: the zero rectangle, nothing drawn
    ASSERT_EQ(window->flightCount(), 2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(window->roundPicture(0).size(), QSize(90, 90));
    EXPECT_TRUE(window->roundPicture(1).isNull());
    EXPECT_EQ(window->flightAnimation(0)->duration(), 1100);

    // The middle of the flight: a red circle with a white rim, 90 across, centred on the start.
    window->flightAnimation(0)->setCurrentTime(600);
    window->flightAnimation(1)->setCurrentTime(600);
    const QImage shot = render(window);
    EXPECT_EQ(QColor(shot.pixel(160, 445)).red(), 200);
    EXPECT_EQ(qAlpha(shot.pixel(118, 403)), 0) << "the corner of the start rectangle is outside the circle";
    EXPECT_EQ(QColor(shot.pixel(160, 445 - 43)), QColor(Qt::white)) << "the rim";

    window->flightAnimation(1)->setCurrentTime(1100);
    EXPECT_EQ(stopped.count(), 1);
    EXPECT_EQ(window->flightCount(), 1);
    EXPECT_TRUE(window->isVisible());
    window->flightAnimation(0)->setCurrentTime(1100);
    EXPECT_EQ(stopped.count(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the window closes and goes when its flights have landed";
}

// --- Bounce ---

namespace {
struct BounceFixture
{
    ATPopupWindow window;
    QLineEdit *edit;
    BounceFixture()
    {
        window.setGeometry(300, 300, 200, 100);
        edit = new QLineEdit(window.contentView());
        edit->setGeometry(10, 10, 120, 24);
        window.show();
        edit->setFocus();
    }
    void finishPhase() { window.animation()->setCurrentTime(window.animation()->duration()); }
};
} // namespace

TEST(ATPopupWindow, BouncesThroughThreePhasesAndSettles)
{
    BounceFixture f;
    QSignalSpy done(&f.window, &ATPopupWindow::bounceFinished);
    f.window.popup();
    EXPECT_TRUE(f.window.isBouncing());
    EXPECT_TRUE(f.window.isGrowing());
    EXPECT_EQ(f.window.geometry(), QRect(200, 250, 400, 200));  // twice the size, same centre
    EXPECT_FALSE(f.window.contentView()->isVisible());
    EXPECT_NEAR(f.window.currentScale(), 0.01, 1e-9);
    EXPECT_EQ(f.window.animation()->duration(), 200);
    f.window.animation()->setCurrentTime(100);
    EXPECT_NEAR(f.window.currentScale(), (0.01 + 1.25) / 2, 1e-6);
    // The picture's top edge stays where the window's top was.
    EXPECT_NEAR(f.window.snapshotRect().top(), 50, 1e-6);

    f.finishPhase();
    EXPECT_TRUE(f.window.isShrinking());
    EXPECT_EQ(f.window.animation()->duration(), 100);
    EXPECT_DOUBLE_EQ(f.window.animation()->endValue().toDouble(), 0.8);
    f.finishPhase();
    EXPECT_FALSE(f.window.isShrinking());
    EXPECT_TRUE(f.window.isBouncing());
    EXPECT_DOUBLE_EQ(f.window.animation()->endValue().toDouble(), 1.0);
    f.finishPhase();
    EXPECT_FALSE(f.window.isBouncing());
    EXPECT_EQ(done.count(), 1);
    EXPECT_EQ(f.window.geometry(), QRect(300, 300, 200, 100));
    EXPECT_TRUE(f.window.contentView()->isVisible());
    EXPECT_EQ(f.window.focusWidget(), f.edit);
}

TEST(ATPopupWindow, InterruptedBounceLeavesACleanWindow)
{
    struct Case { const char *why; bool byHide; };
    for (const Case &c : {Case{"hidden mid-bounce", true}, Case{"popup again mid-bounce", false}}) {
        BounceFixture f;
        QSignalSpy done(&f.window, &ATPopupWindow::bounceFinished);
        f.window.popup();
        f.finishPhase();  // now shrinking
        f.window.animation()->setCurrentTime(50);
        if (c.byHide) {
            f.window.hide();
            EXPECT_FALSE(f.window.isBouncing()) << c.why;
            EXPECT_FALSE(f.window.isGrowing() || f.window.isShrinking()) << c.why;
            EXPECT_EQ(f.window.geometry(), QRect(300, 300, 200, 100)) << c.why;
            EXPECT_FALSE(f.window.contentView()->isHidden()) << c.why;
            EXPECT_NE(f.window.animation()->state(), QAbstractAnimation::Running) << c.why;
        } else {
            f.window.popup();
            // A fresh bounce from the saved frame, not from the grown one.
            EXPECT_TRUE(f.window.isGrowing()) << c.why;
            EXPECT_NEAR(f.window.currentScale(), 0.01, 1e-9) << c.why;
            EXPECT_EQ(f.window.savedFrame(), QRect(300, 300, 200, 100)) << c.why;
            EXPECT_EQ(f.window.geometry(), QRect(200, 250, 400, 200)) << c.why;
            f.finishPhase();
            f.finishPhase();
            f.finishPhase();
            EXPECT_EQ(f.window.geometry(), QRect(300, 300, 200, 100)) << c.why;
            EXPECT_TRUE(f.window.contentView()->isVisible()) << c.why;
        }
        EXPECT_EQ(done.count(), c.byHide ? 0 : 1) << c.why;
    }
}

TEST(FullScreenWindows, SlidesInNearTheTopRightAndOut)
{
    FullScreenWindows w;
    w.setGeometry(0, 0, 400, 80);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    w.setWindowSlideState(true);
    // 100 points above where an 80-high window would sit.
    EXPECT_EQ(w.targetFrame(), QRect(screen.x() + screen.width() - 436, screen.y() + 80 + 23 - 110 - 100, 400, 110));
    w.slide()->setCurrentTime(w.slide()->duration());
    EXPECT_FALSE(w.isVisible());
    w.setWindowSlideState(false);
    EXPECT_TRUE(w.isVisible());
    w.slide()->setCurrentTime(w.slide()->duration());
    // Top 23 below the screen's top, left edge 436 from its right, 110 high.
    EXPECT_EQ(w.geometry(), QRect(screen.x() + screen.width() - 436, screen.y() + 23, 400, 110));
}

// --- Progress ---

TEST(MGProgressIndicator, FillsAndWaits)
{
    MGProgressIndicator bar;
    bar.resize(200, 10);
    struct Case { double value, min, max; int fillWidth; };
    for (const Case &c : {Case{99.5, 0, 100, 200}, Case{0.00005, 0, 100, 0}, Case{70, 20, 120, 100}, Case{50, 0, 0, 200}}) {
        bar.setMinValue(c.min);
        bar.setMaxValue(c.max);
        bar.setDoubleValue(c.value);
        EXPECT_EQ(int(bar.fillRect().width()), c.fillWidth) << c.value;
        const QImage img = render(&bar);
        const QColor end = img.pixelColor(198, 5);
        EXPECT_EQ(end.green() > end.red() + 60, c.fillWidth == 200) << c.value;
    }

    EXPECT_EQ(bar.animator()->frames().size(), 7);
    bar.startAnimation();
    QVariantAnimation *running = bar.animator()->animation();
    bar.startAnimation();
    EXPECT_TRUE(bar.isAnimating());
    EXPECT_EQ(bar.animator()->animation(), running);
    EXPECT_EQ(running->loopCount(), -1);
    EXPECT_EQ(running->duration(), 500);
    running->setCurrentTime(500 + 250);  // second cycle, half way
    EXPECT_EQ(bar.animator()->currentIndex(), 3);
    bar.stopAnimation();
    EXPECT_FALSE(bar.isAnimating());
    // Its own look again: the (full) bar.
    EXPECT_EQ(render(&bar).pixel(2, 5), QColor::fromRgbF(0.18f, 0.76f, 0.38f).rgba());

    bar.setAnimationImages({QStringLiteral("Animation4-01"), QStringLiteral("missing"), QStringLiteral("Animation4-02")});
    EXPECT_EQ(bar.animator()->frames().size(), 2);
}

TEST(ProgressIndicatorCell, ValueColourAndSpinning)
{
    ProgressIndicatorView v;
    v.resize(40, 40);
    v.setDoubleValue(1.7);
    EXPECT_DOUBLE_EQ(v.doubleValue(), 1.0);
    v.setDoubleValue(-2);
    EXPECT_DOUBLE_EQ(v.doubleValue(), 0.0);
    v.setColor(QColor(32, 192, 91, 128));  // refused: translucent
    EXPECT_EQ(v.color(), QColor(Qt::black));
    v.setColor(QColor(32, 192, 91));
    EXPECT_EQ(v.color(), QColor(32, 192, 91));
    v.setObjectValue(true);
    EXPECT_TRUE(v.isSpinning());
    v.setObjectValue(QStringLiteral("yes"));
    EXPECT_FALSE(v.isSpinning());
    // Stopped and not shown when stopped: nothing drawn.
    v.setDisplayedWhenStopped(false);
    const QImage none = render(&v);
    EXPECT_EQ(qAlpha(none.pixel(20, 7)), 0);
    v.setDisplayedWhenStopped(true);
    // Stopped: the first spoke at 270° (straight up in a top-down view), fully opaque.
    const QImage drawn = render(&v);
    EXPECT_EQ(drawn.pixel(20, 7), qRgb(32, 192, 91));
}

TEST(ProgressBarView, DragAnnouncesAtMostEveryEightyMilliseconds)
{
    ProgressBarView bar;
    bar.resize(200, 11);
    double now = 10.0;
    bar.setClock([&now] { return now; });
    QList<double> announced;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("PlayerProgressBarChangedNotification"),
                                                    [&](const Notification &n) {
                                                        EXPECT_EQ(n.objectPointer(), &bar);
                                                        announced.append(n.userInfo.value("PlayerProgressBarValue").toDouble());
                                                    });
    EXPECT_DOUBLE_EQ(bar.progressRect().width(), 3.0);  // the stub at zero

    // Not enabled: dragging changes nothing.
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(100, 5));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(100, 5));
    EXPECT_DOUBLE_EQ(bar.doubleValue(), 0);
    EXPECT_TRUE(announced.isEmpty());

    bar.setIsEnable(true);
    now += 1;
    QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(20, 5));
    int moves = 0;
    for (int x = 30; x <= 190; x += 10) {
        now += 0.03;
        move(&bar, QPointF(x, 5), Qt::LeftButton);
        ++moves;
    }
    move(&bar, QPointF(260, 5), Qt::LeftButton);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(260, 5));
    EXPECT_DOUBLE_EQ(bar.doubleValue(), 100.0);  // beyond the end: the maximum
    ASSERT_FALSE(announced.isEmpty());
    EXPECT_DOUBLE_EQ(announced.first(), 10.0);  // the press itself, at x 20
    EXPECT_LT(announced.size(), moves);
    EXPECT_GE(announced.size(), 4);  // one about every third move
    EXPECT_DOUBLE_EQ(bar.progressRect().width(), 200.0);
}

// --- Animation views ---

TEST(FrameAnimator, MissingFramesAreSkippedInOrder)
{
    QImage a(4, 4, QImage::Format_ARGB32), c(6, 6, QImage::Format_ARGB32);
    const auto lookup = [&](const QString &n) -> QImage {
        if (n == QLatin1String("Guidancemap-22"))
            return {};
        return n == QLatin1String("Guidancemap-20") ? a : c;
    };
    const QList<QImage> frames = FrameAnimator::loadFrames(MGAnimationView::defaultFrameNames(), lookup);
    ASSERT_EQ(frames.size(), 5);
    EXPECT_EQ(frames.first().size(), QSize(4, 4));

    MGAnimationView v;
    v.resize(60, 16);
    EXPECT_EQ(v.animator()->frames().size(), 6);
    v.animator()->setFrames(frames);
    v.startAnimation();
    v.animator()->animation()->setCurrentTime(450);
    EXPECT_EQ(v.animator()->currentIndex(), 4);  // five frames over 0.5 s
    v.startAnimation();
    EXPECT_TRUE(v.isAnimating());
    v.stopAnimation();
    EXPECT_FALSE(v.isAnimating());
    EXPECT_EQ(v.animator()->currentIndex(), -1);
}

TEST(AddToAnimationView, PlaysOnceAndReturnsByItself)
{
    AddToAnimationView v;
    v.resize(48, 48);
    QStringList names;
    for (int k = 1; k <= 8; ++k)
        names << QStringLiteral("AddConverterAnimate-%1").arg(k, 2, 10, QLatin1Char('0'));
    names << QStringLiteral("AddConverterAnimate-99");
    v.setAnimationImages(names, QStringLiteral("AddConverterAnimate"));
    EXPECT_EQ(v.animator()->frames().size(), 8);
    v.startAnimation();
    EXPECT_TRUE(v.isAnimating());
    EXPECT_EQ(v.animator()->loopCount(), 1);
    v.animator()->animation()->setCurrentTime(999);
    EXPECT_EQ(v.animator()->currentIndex(), 7);
    v.animator()->animation()->setCurrentTime(1000);
    EXPECT_FALSE(v.isAnimating());
    EXPECT_FALSE(v.animator()->isShowing());
    EXPECT_EQ(qAlpha(render(&v).pixel(24, 24)), 0);  // its own empty look again
}

TEST(ImageAnimationView, DefaultsAndRepeatedStart)
{
    ImageAnimationView v;
    v.resize(40, 40);
    QSignalSpy started(&v, &ImageAnimationView::animationDidStart);
    QSignalSpy stopped(&v, &ImageAnimationView::animationDidStop);
    v.startAnimation();  // no pictures: it still runs
    EXPECT_TRUE(v.isAnimating());
    EXPECT_EQ(v.animator()->key(), QStringLiteral("CoverAnimaction"));
    EXPECT_DOUBLE_EQ(v.animator()->cycleSeconds(), 1.5);
    EXPECT_EQ(v.animator()->loopCount(), 10000);
    v.startAnimation();
    EXPECT_EQ(started.count(), 1);
    v.stopAnimation();
    EXPECT_FALSE(v.isAnimating());
    EXPECT_EQ(stopped.count(), 1);
    FrameAnimator *layer = v.animator();
    v.setDuration(2);
    v.setRepeatCount(3);
    v.startAnimation();
    EXPECT_EQ(v.animator(), layer);  // the layer is kept
    EXPECT_DOUBLE_EQ(v.animator()->cycleSeconds(), 2.0);
    EXPECT_EQ(v.animator()->loopCount(), 3);
}

TEST(CircleViews, RotatingLayerIsMadeOnceAndTheCircleShows)
{
    QWidget page;
    page.resize(100, 100);
    auto *circle = new CircleImageView(&page);
    circle->resize(32, 32);
    circle->setImage(ControlSlices::image(QStringLiteral("Guidancemap-03"), QStringLiteral("Guidancemap")));
    page.show();
    circle->startAnimating();
    QVariantAnimation *rotation = circle->rotation();
    ASSERT_TRUE(rotation);
    EXPECT_TRUE(circle->hasRotatingLayer());
    EXPECT_TRUE(circle->image().isNull());  // the layer took it
    rotation->setCurrentTime(250);
    EXPECT_NEAR(circle->angle(), 1.5 * M_PI, 1e-6);
    circle->stopAnimating();
    EXPECT_FALSE(circle->isVisible());
    circle->startAnimating();
    EXPECT_TRUE(circle->isVisible());
    EXPECT_EQ(circle->rotation(), rotation);
    EXPECT_EQ(circle->findChildren<QVariantAnimation *>().size(), 1);

    auto *wait = new CircleAnimationView(&page);
    wait->resize(40, 40);
    QImage ring(40, 40, QImage::Format_ARGB32_Premultiplied);
    ring.fill(Qt::transparent);
    {
        QPainter p(&ring);
        p.fillRect(QRect(16, 0, 8, 8), QColor(32, 192, 91));
    }
    wait->setCircleImage(ring);
    QImage bg(40, 40, QImage::Format_ARGB32_Premultiplied);
    bg.fill(QColor(240, 240, 240));
    wait->setBgImage(bg);  // set after creation and still drawn
    wait->setHidesWhenStopped(true);
    EXPECT_EQ(render(wait).pixelColor(20, 3), QColor(240, 240, 240));
    wait->startAnimating();
    EXPECT_TRUE(wait->isAnimating());
    EXPECT_TRUE(wait->circleShown());
    EXPECT_EQ(render(wait).pixelColor(20, 3), QColor(32, 192, 91));
    wait->rotation()->setCurrentTime(1500);
    EXPECT_NEAR(wait->angle(), M_PI, 1e-6);
    wait->stopAnimating();
    EXPECT_FALSE(wait->isAnimating());
    EXPECT_FALSE(wait->circleShown());
    EXPECT_FALSE(wait->isVisible());
}
