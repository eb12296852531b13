#include "downloads/DownloadedItem.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "library/ImageView.h"
#include "library/MTIntelligentScreenshot.h"
#include "library/MTPreviewPlayerWndCtl.h"
#include "library/PlaySliderBar.h"
#include "library/PlayTipWindowCtrl.h"
#include "library/PlayTipWindowCtrlDelegate.h"
#include "library/PlayerImages.h"
#include "library/SoundSlider.h"
#include "library/SubtitleWndCtr.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "media/QVUltraPlayer.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QLabel>
#include <QTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<DownloadedItem> itemFor(const QString &path)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(path);
    return item;
}

MTPreviewPlayerViewCtl::ItemList itemsFor(const QStringList &paths)
{
    MTPreviewPlayerViewCtl::ItemList list;
    for (const QString &p : paths)
        list << itemFor(p);
    return list;
}

QString touch(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    return path;
}

struct SliderSpy : PlaySliderBarDelegate
{
    QList<float> values;
    int starts = 0, stops = 0;
    void playSliderBarDidStartDragging(PlaySliderBar *) override { ++starts; }
    void playSliderBarDidChangeValue(PlaySliderBar *, float v) override { values << v; }
    void playSliderBarDidStopDragging(PlaySliderBar *) override { ++stops; }
};

struct ButtonSpy : MTPlayerButtonDelegate
{
    QStringList calls;
    void mtPlayerBtnStartLongPress(MTPlayerButton *) override { calls << "start"; }
    void mtPlayerBtnStopLongPress(MTPlayerButton *) override { calls << "stop"; }
};

} // namespace

TEST(PlayerWindowSizing, VideoSizeGivesTheWindowFrame)
{
    const QRect visible(0, 0, 1920, 1050);
    struct Case { QSizeF video; QRect current; QSize frameSize; };
    const Case cases[] = {
        {{320, 240}, {100, 100, 580, 420}, {580, 435 + 94}},         // narrow: scaled up to 580
        {{1280, 720}, {100, 100, 580, 420}, {1280, 720 + 94}},       // fits as it is
        {{4000, 3000}, {100, 100, 580, 420}, {1920, 1050}},          // clamped to the screen
    };
    for (const Case &c : cases) {
        QSize minimum;
        const QRect f = MTPreviewPlayerWndCtl::frameForVideoSize(c.video, c.current, visible, &minimum);
        EXPECT_EQ(f.size(), c.frameSize) << c.video.width();
        EXPECT_TRUE(visible.contains(f)) << c.video.width();
        EXPECT_EQ(minimum.width(), 580);
    }
}

TEST(PlayerIndex, NextAndPreviousWrapAndGiveUpAfterThreeMissingFiles)
{
    QTemporaryDir dir;
    const QString a = touch(dir.filePath("a.mp4")), b = touch(dir.filePath("b.mp4"));
    const QString gone1 = dir.filePath("x1.mp4"), gone2 = dir.filePath("x2.mp4"), gone3 = dir.filePath("x3.mp4");
    MTPreviewPlayerViewCtl view;
    view.setMediaListWithDownloadedItems(itemsFor({a, gone1, b}), 2);
    EXPECT_EQ(view.getNextPlayPath(), a);       // last -> first
    EXPECT_EQ(view.getNextPlayPath(), b);       // skips the missing one
    EXPECT_EQ(view.getPreviewPlayPath(), a);
    EXPECT_EQ(view.getPreviewPlayPath(), b);    // first -> last

    view.setMediaListWithDownloadedItems(itemsFor({a, gone1, gone2, gone3}), 0);
    EXPECT_TRUE(view.getNextPlayPath().isEmpty());  // three misses in a row
    EXPECT_EQ(view.getNextPlayPath(), a);            // the counter starts again

    view.setMediaListWithDownloadedItems(itemsFor({gone1, a, gone2, b}), 0);
    EXPECT_EQ(view.getPlayPathForCurrentIndex(), QString());
    view.setMediaListWithDownloadedItems(itemsFor({a, gone1, b}), 0);
    EXPECT_EQ(view.getNextForOrderMode(), b);
    EXPECT_TRUE(view.getNextForOrderMode().isEmpty());
    EXPECT_EQ(view.mediaIndex(), -1);
    EXPECT_EQ(view.getPlayPathForCurrentIndex(), a);
}

TEST(PlayerRules, VolumeSnapshotNamesAndTimes)
{
    struct V { QVariant stored; float expected; };
    for (const V &v : {V{0.7, 50}, V{0, 50}, V{150, 50}, V{-3, 50}, V{"loud", 50}, V{QVariant(), 50}, V{1, 1},
                       V{100, 100}, V{42.5, 42.5f}})
        EXPECT_FLOAT_EQ(MTPreviewPlayerViewCtl::initialVolume(v.stored), v.expected) << v.stored.toString().toStdString();

    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        const QString p = MTPreviewPlayerViewCtl::snapshotPath(dir.path(), "x");
        names << QFileInfo(p).fileName();
        touch(p);
    }
    EXPECT_EQ(names, QStringList({"x.png", "x(1).png", "x(2).png"}));

    EXPECT_EQ(MTPreviewPlayerViewCtl::timeText(0), "00:00:00");
    EXPECT_EQ(MTPreviewPlayerViewCtl::timeText(0.3), "00:00:01");
    EXPECT_EQ(MTPreviewPlayerViewCtl::timeText(3661.6), "01:01:02");
    EXPECT_EQ(MTPreviewPlayerViewCtl::remainedText(10, 10), "00:00:00");
    EXPECT_EQ(MTPreviewPlayerViewCtl::remainedText(75.9, 10.8), "-00:01:05");
}

TEST(PlaySliderBar, ClampsIgnoresZeroMaximumAndReportsEndsOnce)
{
    PlaySliderBar slider;
    slider.resize(400, 30);
    slider.setSliderLeftDistance(75);
    slider.setSliderRightDistance(75);
    slider.setKnobSize(QSizeF(24, 24));
    slider.setMaxValue(0);
    EXPECT_EQ(slider.maxValue(), 100);
    slider.setValue(-5);
    EXPECT_EQ(slider.value(), 0);
    EXPECT_NEAR(slider.knobFrame().center().x(), 75, 1);
    slider.setValue(500);
    EXPECT_EQ(slider.value(), 100);
    EXPECT_NEAR(slider.knobFrame().center().x(), 325, 1);

    SliderSpy spy;
    slider.setDelegate(&spy);
    slider.show();
    const int y = int(slider.knobFrame().center().y());
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(200, y));  // on the track: jumps there
    ASSERT_EQ(spy.values.size(), 1);
    EXPECT_NEAR(spy.values.last(), 50, 1);
    for (int x : {390, 395, 399})  // past the right end: the maximum once
        QTest::mouseMove(&slider, QPoint(x, y));
    QTest::mouseMove(&slider, QPoint(300, y));  // back over the track
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(300, y));
    EXPECT_EQ(spy.values.count(100.0f), 1);
    EXPECT_NEAR(spy.values.last(), 90, 1);
    EXPECT_EQ(spy.starts, 1);
    EXPECT_EQ(spy.stops, 1);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(200, 1));  // beside the track: nothing
    EXPECT_EQ(spy.starts, 1);
}

TEST(PlayerButton, ShortPressIsOnlyStopLongPressStartsFirst)
{
    MTPlayerButton button;
    ButtonSpy spy;
    button.setDelegate(&spy);
    button.resize(32, 32);
    button.show();
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(), 50);
    // The long-press wait is either stopped by the release or must run out with no effect.
    auto *longPress = button.findChild<QTimer *>();
    ASSERT_NE(longPress, nullptr);
    if (longPress->isActive()) {
        QSignalSpy ranOut(longPress, &QTimer::timeout);
        ASSERT_TRUE(ranOut.wait(5000));
    }
    EXPECT_EQ(spy.calls, QStringList({"stop"}));
    spy.calls.clear();
    QTest::mousePress(&button, Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !spy.calls.isEmpty(); }, 5000));
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(spy.calls, QStringList({"start", "stop"}));
}

TEST(SubtitleWindow, SchemesAndOKWithoutChange)
{
    struct C { int text, back, index; };
    for (const C &c : {C{1, 0xFFFFFF, 2}, C{0xFFFFFF, 1, 1}, C{0xFFFFFF, 255, 4}, C{0xFFFFFF, 0x123456, 4},
                       C{0xFFFF00, 1, 3}, C{0x00FF00, 1, 1}})
        EXPECT_EQ(SubtitleWndCtr::indexForColor(c.text, c.back), c.index) << c.text << " " << c.back;

    UserDefaults &d = UserDefaults::standard();
    d.registerDefaults({{"PlayerSubtitleFont", "Arial Unicode MS"}, {"PlayerSubtitleSize", 28},
                        {"PlayerSubtitleColor", 0xFFFFFF}, {"PlayerSubtitleBgColor", 1}});
    SubtitleWndCtr wnd;
    wnd.closeWindow(SubtitleWndCtr::TagOK);
    for (const char *key : {"PlayerSubtitleFont", "PlayerSubtitleSize", "PlayerSubtitleColor", "PlayerSubtitleBgColor"})
        EXPECT_FALSE(d.hasUserValue(key)) << key;

    wnd.colorControl(4);
    wnd.closeWindow(SubtitleWndCtr::TagDefault);  // resets the window only
    EXPECT_EQ(wnd.selectedScheme(), 1);
    wnd.colorControl(4);
    wnd.closeWindow(SubtitleWndCtr::TagOK);
    EXPECT_EQ(d.integerForKey("PlayerSubtitleBgColor"), 255);
    SubtitleWndCtr again;
    EXPECT_EQ(again.selectedScheme(), 4);
}

TEST(ScreenshotQuality, ScoresOfGeneratedPictures)
{
    QTemporaryDir dir;
    auto save = [&](const QString &name, const QImage &img) {
        const QString p = dir.filePath(name);
        img.save(p);
        return p;
    };
    QImage black(320, 240, QImage::Format_RGB32), white = black, grey = black, noise = black;
    black.fill(Qt::black);
    white.fill(Qt::white);
    grey.fill(QColor(128, 128, 128));
    auto *rng = QRandomGenerator::global();
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(rng->bounded(256), rng->bounded(256), rng->bounded(256)));
    struct C { QString path; int score; bool ok; };
    const C cases[] = {{save("black.png", black), 0, false}, {save("white.png", white), 30, false},
                       {save("grey.png", grey), 90, false},  {save("noise.png", noise), 100, true},
                       {dir.filePath("missing.png"), 0, false}, {touch(dir.filePath("empty.png")), 0, false}};
    for (const C &c : cases) {
        EXPECT_EQ(MTIntelligentScreenshot::ScoreScreenshotRecognitionWithImagePath(c.path), c.score) << c.path.toStdString();
        EXPECT_EQ(MTIntelligentScreenshot::ScreenshotRecognitionWithImagePath(c.path), c.ok) << c.path.toStdString();
    }
    // One colour per sampled cell, any two 21 apart in some channel: rich.
    QImage cells(320, 240, QImage::Format_RGB32);
    for (int k = 0; k < 400; ++k) {
        const QColor c((k % 12) * 21, ((k / 12) % 12) * 21, (k / 144) * 21);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x)
                cells.setPixel((k % 20) * 16 + x, (k / 20) * 12 + y, c.rgb());
    }
    EXPECT_TRUE(MTIntelligentScreenshot::FilterLowColorRichnessWithImageRep(cells));
    EXPECT_FALSE(MTIntelligentScreenshot::FilterLowColorRichnessWithImageRep(grey));
}

class PlayerWindowTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QVUltraPlayer::setAudioOutput("null");
        s_dir = new QTemporaryDir;
        MediaFixtures::ClipSpec wanted;
        wanted.seconds = 1.5;
        s_a = MediaFixtures::makeClip(s_dir->path(), "first.mp4", wanted);
        wanted.size = "640x360";
        s_b = MediaFixtures::makeClip(s_dir->path(), "second.mp4", wanted);
        s_bad = MediaFixtures::makeCorrupt(s_dir->path(), "broken.mp4");
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir *s_dir;
    static QString s_a, s_b, s_bad;
};
QTemporaryDir *PlayerWindowTest::s_dir = nullptr;
QString PlayerWindowTest::s_a, PlayerWindowTest::s_b, PlayerWindowTest::s_bad;

TEST_F(PlayerWindowTest, ListModeSkipsABrokenFilePlaysBothAndStops)
{
    MTPreviewPlayerWndCtl wnd;
    QStringList opened;
    QObject::connect(wnd.mtPreviewPlayerViewCtl(), &MTPreviewPlayerViewCtl::fileOpened,
                     [&](const QString &p) { opened << QFileInfo(p).fileName(); });
    wnd.mtPreviewPlayerViewCtl()->setPlayMode(2);
    EXPECT_FALSE(wnd.openMediaList(itemsFor({s_dir->filePath("none.mp4")}), 0));
    EXPECT_FALSE(wnd.isVisible());
    ASSERT_TRUE(wnd.openMediaList(itemsFor({s_a, s_bad, s_b}), 0));
    auto *view = wnd.mtPreviewPlayerViewCtl();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return opened.size() == 3 && !view->player() && view->mtPlayStatus() == 2; },
                                         30000));
    EXPECT_EQ(opened, QStringList({"first.mp4", "broken.mp4", "second.mp4"}));
    EXPECT_EQ(view->mediaIndex(), -1);
    EXPECT_EQ(view->remainedTimeText(), "00:00:00");
    EXPECT_EQ(view->playMessageText(), QString()) << "a file that played clears the message";
}

TEST_F(PlayerWindowTest, RepeatModeReopensAndAnErrorStillMovesOn)
{
    MTPreviewPlayerWndCtl wnd;
    QStringList opened;
    QObject::connect(wnd.mtPreviewPlayerViewCtl(), &MTPreviewPlayerViewCtl::fileOpened,
                     [&](const QString &p) { opened << QFileInfo(p).fileName(); });
    wnd.mtRepeatItem();
    ASSERT_TRUE(wnd.openMediaList(itemsFor({s_a}), 0));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return opened.size() >= 2; }, 20000));
    EXPECT_EQ(opened.first(), "first.mp4");
    EXPECT_EQ(opened.at(1), "first.mp4");
    wnd.close();

    // A broken file in repeat mode is not reopened for ever: it is skipped and playback stops.
    MTPreviewPlayerWndCtl broken;
    opened.clear();
    QObject::connect(broken.mtPreviewPlayerViewCtl(), &MTPreviewPlayerViewCtl::fileOpened,
                     [&](const QString &p) { opened << QFileInfo(p).fileName(); });
    broken.mtRepeatItem();
    ASSERT_TRUE(broken.openMediaList(itemsFor({s_bad}), 0));
    // A reopening loop never settles on stopped.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return broken.mtPreviewPlayerViewCtl()->mtPlayStatus() == 2; }));
    EXPECT_EQ(opened, QStringList({"broken.mp4"}));
    EXPECT_EQ(broken.mtPreviewPlayerViewCtl()->mtPlayStatus(), 2);
    // Not a silent black picture: the window says why.
    TestEnvironment::waitFor([&] { return !broken.mtPreviewPlayerViewCtl()->playMessageText().isEmpty(); });
    EXPECT_TRUE(broken.mtPreviewPlayerViewCtl()->playMessageText().startsWith(QStringLiteral("\"broken.mp4\" cannot be played: ")))
        << broken.mtPreviewPlayerViewCtl()->playMessageText().toStdString();

    // Mode 0: playback stops at the end, the window stays.
    MTPreviewPlayerWndCtl once;
    once.mtPlayItemOnce();
    ASSERT_TRUE(once.openMediaList(itemsFor({s_a, s_b}), 0));
    auto *v = once.mtPreviewPlayerViewCtl();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return v->mtPlayStatus() == 0; }, 10000));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !v->player(); }, 20000));
    EXPECT_EQ(v->mediaIndex(), 0);
    EXPECT_TRUE(once.isVisible());
}

// Matroska written to a pipe has no length in its header: the player learns it while playing,
// and the view takes it (seeks and the remaining time depend on it).
TEST_F(PlayerWindowTest, ALengthLearnedWhilePlayingIsTaken)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        GTEST_SKIP() << "no ffmpeg";
    const QString clip = s_dir->filePath(QStringLiteral("streamed.mkv"));
    QProcess make;
    make.setStandardOutputFile(clip);
    make.start(ffmpeg, {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=4", "-f", "lavfi",
                        "-i", "sine=duration=4", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", "-f",
                        "matroska", "pipe:1"});
    ASSERT_TRUE(make.waitForFinished(60000));
    ASSERT_EQ(make.exitCode(), 0);

    MTPreviewPlayerWndCtl wnd;
    wnd.mtPlayItemOnce();
    ASSERT_TRUE(wnd.openMediaList(itemsFor({clip}), 0));
    auto *view = wnd.mtPreviewPlayerViewCtl();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->mtPlayStatus() == 0; }, 10000));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->duration() > 3.0; }, 10000)) << view->duration();
    EXPECT_GT(view->sliderBar()->maxValue(), 3.0f);
    EXPECT_LT(view->sliderBar()->maxValue(), 4.5f);
}

TEST_F(PlayerWindowTest, SizesToVideoSeeksSnapshotsAndGrabs)
{
    MTPreviewPlayerViewCtl::setSnapshotFolder(s_dir->filePath("snaps"));
    QDir().mkpath(s_dir->filePath("snaps"));
    QFile srt(s_dir->filePath("second.srt"));
    ASSERT_TRUE(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,000 --> 00:00:09,000\nSubtitle line\n\n");
    srt.close();
    UserDefaults::standard().setBool("SubtitleIsOnState", true);

    MTPreviewPlayerWndCtl wnd;
    wnd.mtPlayItemOnce();
    auto item = itemFor(s_b);
    item->setSubtitlePath(srt.fileName());
    ASSERT_TRUE(wnd.openMediaList({item}, 0));
    auto *view = wnd.mtPreviewPlayerViewCtl();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->mtPlayStatus() == 0 && wnd.width() == 640; }, 10000));
    EXPECT_EQ(wnd.height(), 360 + 94);
    EXPECT_TRUE(view->subtitleButtonOn());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->player() && view->player()->subtitleText() == "Subtitle line"; }));
    view->settingWndCtrDidChangeStatus(nullptr, false);
    EXPECT_TRUE(view->player()->subtitleText().isEmpty());
    EXPECT_FALSE(view->subtitleButtonOn());

    view->pause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return view->mtPlayStatus() == 1; }));
    view->sliderBar()->performDragedToValue(1.0f);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return std::abs(view->player()->currentTime() - 1.0) < 1.0; }));
    const QString shot = view->screenShot();
    ASSERT_FALSE(shot.isEmpty());
    EXPECT_EQ(QFileInfo(shot).fileName(), "second.png");
    EXPECT_EQ(QImage(shot).size(), QSize(640, 360));
    EXPECT_EQ(MTIntelligentScreenshot::ScoreScreenshotRecognitionWithImagePath(shot), 100);
    EXPECT_EQ(QFileInfo(view->screenShot()).fileName(), "second(1).png");

    // Full screen ignores size notices; leaving it restores the frame.
    const QRect before = wnd.geometry();
    view->clickFullScreenBtn();
    wnd.videoRealSizeDidReturn(320, 240);
    view->clickFullScreenBtn();
    EXPECT_EQ(wnd.geometry(), before);

    const QString out = qEnvironmentVariable("FENNIX_PLAYER_GRAB");
    if (!out.isEmpty() && TestEnvironment::drainPostedEvents())
        wnd.grab().save(out);
    // Escape outside full screen closes the window.
    QTest::keyRelease(&wnd, Qt::Key_Escape);
    EXPECT_FALSE(wnd.isVisible());
    EXPECT_EQ(view->player(), nullptr);
}

namespace {
struct VolumeSpy : SoundSliderDelegate
{
    QList<float> values;
    void volumeDidChanged(float volume) override { values.append(volume); }
};
} // namespace

TEST(SoundSlider, KnobPlacesAndMouseRules)
{
    SoundSlider slider;
    slider.resize(120, 20);
    slider.setSoundSliderBtn(PlayerImages::named(QStringLiteral("soundBtn.png")));
    ASSERT_FALSE(slider.soundSliderBtn().isNull());
    const qreal kw = slider.knobRect().width();
    ASSERT_GT(kw, 0);
    slider.setMaxVolume(100);
    VolumeSpy spy;
    slider.setDelegate(&spy);

    const struct
    {
        float volume;
        qreal knobX;
    } places[] = {
        {0, 0}, {-5, 0}, {50, 0.5 * (120 - kw)}, {100, 120 - kw}, {150, 120 - kw / 2},  // above the maximum: the right end
    };
    for (const auto &c : places) {
        slider.setVolume(c.volume);
        EXPECT_NEAR(slider.knobRect().x(), c.knobX, 1e-4) << c.volume;
    }

    // Disabled (as made): the mouse changes nothing, values set still show.
    slider.setVolume(50);
    const int y = slider.height() / 2;
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(int(kw / 2 + 10), y));
    EXPECT_TRUE(spy.values.isEmpty());
    EXPECT_FLOAT_EQ(slider.percent(), 0.5f);

    slider.setIsEnable(true);
    // On the knob: no change. Beside it: the knob jumps there and reports at once.
    QTest::mouseClick(&slider, Qt::LeftButton, {}, slider.knobRect().center().toPoint());
    EXPECT_TRUE(spy.values.isEmpty());
    const int x = int(kw / 2 + 12);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(x, y));
    ASSERT_EQ(spy.values.size(), 1);
    EXPECT_NEAR(spy.values.last(), (x - kw / 2) / (120 - kw) * 100, 1e-3);
    EXPECT_FLOAT_EQ(slider.volume(), 50) << "the owner's value changes only through setVolume";

    // Dragging past either end stops at the ends.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(x, y));
    QMouseEvent right(QEvent::MouseMove, QPointF(400, y), slider.mapToGlobal(QPointF(400, y)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&slider, &right);
    EXPECT_FLOAT_EQ(spy.values.last(), 100);
    QMouseEvent left(QEvent::MouseMove, QPointF(-50, y), slider.mapToGlobal(QPointF(-50, y)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&slider, &left);
    EXPECT_FLOAT_EQ(spy.values.last(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(0, y));
    EXPECT_FALSE(slider.soundSliderBtn().isNull()) << "the knob is back after the release";
}

TEST(ImageView, PicturesFitWithoutGrowingUnlessScaled)
{
    const QRectF bounds(0, 0, 200, 100);
    const struct
    {
        QSizeF picture;
        bool scale;
        QRectF expected;
    } cases[] = {
        {{50, 20}, false, {75, 40, 50, 20}},      // smaller: own size, centred
        {{400, 100}, false, {0, 25, 200, 50}},    // wide: fills the width
        {{100, 400}, false, {87.5, 0, 25, 100}},  // tall: fills the height
        {{50, 20}, true, bounds},                 // scaled: stretched over the view
        {{0, 0}, false, bounds},                  // no picture
    };
    for (const auto &c : cases)
        EXPECT_EQ(ImageView::fittedRect(c.picture, bounds, c.scale), c.expected) << c.picture.width() << "x" << c.picture.height();

    ImageView view;
    view.resize(200, 100);
    QImage picture(50, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    view.setImage(picture);
    EXPECT_EQ(view.imageDrawRect(), QRectF(75, 40, 50, 20));
    view.setBgColor(QColor(Qt::black));
    QImage shot = view.viewImage();
    EXPECT_EQ(shot.pixel(100, 50), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(10, 10), qRgb(0, 0, 0));
    view.setScaleImage(true);
    EXPECT_EQ(view.imageDrawRect(), bounds);
    EXPECT_EQ(view.viewImage().pixel(10, 10), qRgb(0, 0, 255));
    view.setScaleImage(false);
    view.setBgColor(std::nullopt);
    EXPECT_EQ(qAlpha(view.viewImage().pixel(10, 10)), 0) << "no colour: nothing behind the picture";
    view.show();
    view.resize(100, 10);  // a frame change fits again
    QCoreApplication::processEvents();
    EXPECT_EQ(view.imageDrawRect(), QRectF(37.5, 0, 25, 10));
}

namespace {
struct TipAnswers : PlayTipWindowCtrlDelegate
{
    QStringList heard;
    void cancelWillEndPlay(QWidget *w) override { heard << (w->isVisible() ? "cancel, still shown" : "cancel"); }
    void resumeWillPlay(QWidget *w) override { heard << (w->isVisible() ? "play, still shown" : "play"); }
};
} // namespace

TEST(PlayTipWindowCtrl, EachAnswerEndsTheModalRunFirstThenTellsTheDelegate)
{
    PlayTipWindowCtrl tip;
    TipAnswers answers;
    tip.setDelegate(&answers);
    EXPECT_FALSE(tip.lblTip()->text().isEmpty());
    EXPECT_EQ(tip.cancelBtn()->title(), QStringLiteral("Cancel"));
    EXPECT_EQ(tip.playBtn()->title(), QStringLiteral("Play"));
    const struct
    {
        const char *name;
        std::function<void()> answer;
        int result;
        const char *heard;
    } cases[] = {
        {"Play", [&] { QTest::mouseClick(tip.playBtn(), Qt::LeftButton); }, QDialog::Accepted, "play"},
        {"Cancel", [&] { QTest::mouseClick(tip.cancelBtn(), Qt::LeftButton); }, QDialog::Rejected, "cancel"},
        {"Escape", [&] { QTest::keyClick(&tip, Qt::Key_Escape); }, QDialog::Rejected, "cancel"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        answers.heard.clear();
        QTimer::singleShot(0, &tip, c.answer);
        EXPECT_EQ(tip.exec(), c.result);
        EXPECT_FALSE(tip.isVisible());
        EXPECT_EQ(answers.heard, QStringList{QString::fromLatin1(c.heard)});
    }
}

