#include "tools/swiftcarry/MediaFixtures.h"
#include "media/QVUltraPlayer.h"
#include "media/QVUltraPlayerDelegate.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct RecordingDelegate : QVUltraPlayerDelegate
{
    QStringList calls;
    double lastProgress = -1;
    double seekLanded = -1;
    void mediaPlayDidStarted() override { calls << "started"; }
    void mediaPlayDidPause() override { calls << "pause"; }
    void mediaPlayDidResume() override { calls << "resume"; }
    void mediaPlayDidProgress(double s) override { lastProgress = s; }
    void mediaPlayDidStoped() override { calls << "stopped"; }
    void mediaPlayDidEnd() override { calls << "end"; }
    void mediaPlayDidFinishSeek(double s) override
    {
        calls << "seek";
        seekLanded = s;
    }
    void mediaPlayDidLoadSubtitle() override { calls << "subtitle"; }
    void mediaInfoDidLoaded() override { calls << "info"; }
    void mediaPlayDidError(const QString &) override { calls << "error"; }
};

class PlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QVUltraPlayer::setAudioOutput(QStringLiteral("null"));
        s_dir = new QTemporaryDir;
        MediaFixtures::ClipSpec wanted;
        wanted.seconds = 3.0;
        s_clip = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("clip.mp4"), wanted);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    // Opens the clip in a shown window and waits for the open handler.
    bool openInWindow(QVUltraPlayer &player, const QString &path)
    {
        player.setDelegate(&delegate);
        bool opened = false;
        if (!player.open(path, -1, 1, 1, [&] {
                opened = true;
                player.playView()->setParent(&window);
                player.playView()->setGeometry(0, 0, 320, 240);
                player.playView()->show();
            }))
            return false;
        window.resize(320, 240);
        window.show();
        return TestEnvironment::waitFor([&] { return opened || delegate.calls.contains("error"); }, 10000) && opened;
    }

    static QTemporaryDir *s_dir;
    static QString s_clip;
    RecordingDelegate delegate;
    QWidget window;
};
QTemporaryDir *PlayerTest::s_dir = nullptr;
QString PlayerTest::s_clip;

} // namespace

TEST_F(PlayerTest, PlaysThroughWithPicturesAndReportsTheEnd)
{
    ASSERT_FALSE(s_clip.isEmpty());
    QVUltraPlayer player;
    ASSERT_TRUE(openInWindow(player, s_clip));
    EXPECT_NEAR(player.duration(), 3.0, 0.2);
    EXPECT_EQ(player.resolution(), QSizeF(320, 240));
    EXPECT_TRUE(player.isPaused());

    player.play();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("end"); }, 20000));
    EXPECT_EQ(delegate.calls.indexOf("info"), 0);
    EXPECT_LT(delegate.calls.indexOf("started"), delegate.calls.indexOf("end"));
    EXPECT_GT(delegate.lastProgress, 2.0);
    EXPECT_GT(player.framesDrawn(), 10);
    EXPECT_FALSE(delegate.calls.contains("error"));
}

TEST_F(PlayerTest, ForcedOpenGLStillPlaysThroughWhereItCannotDraw)
{
    // The OpenGL path asked for where it has no context (offscreen) or shows nothing (software
    // GL): the software path takes over in the same view's place.
    ASSERT_FALSE(s_clip.isEmpty());
    // Qt's offscreen platform cannot host an OpenGL widget at all; the X server run has one.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        GTEST_SKIP() << "no OpenGL widgets on the offscreen platform (run under Xvfb by vexlume_player_xvfb)";
    qputenv("FENNIX_PLAYER_RENDER", "gl");
    QVUltraPlayer player;
    QWidget *shown = nullptr;
    QObject::connect(&player, &QVUltraPlayer::playViewChanged, [&](QWidget *v) { shown = v; });
    const bool opened = openInWindow(player, s_clip);
    qunsetenv("FENNIX_PLAYER_RENDER");
    ASSERT_TRUE(opened);
    player.play();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("end"); }, 30000))
        << "stuck on the " << player.currentRenderKind().toStdString() << " path: " << delegate.calls.join(QLatin1Char(' ')).toStdString() << " at " << player.currentTime() << " paused " << player.isPaused();
    EXPECT_FALSE(delegate.calls.contains("error"));
    EXPECT_GT(player.framesDrawn(), 10);
    if (player.currentRenderKind() == QLatin1String("sw")) {
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown, player.playView());
        EXPECT_EQ(shown->parentWidget(), &window) << "the new view takes the old one's place";
        EXPECT_EQ(shown->geometry(), QRect(0, 0, 320, 240));
    }
}

TEST_F(PlayerTest, PauseResumeAndSeekLandNearTheTarget)
{
    QVUltraPlayer player;
    ASSERT_TRUE(openInWindow(player, s_clip));
    player.play();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("started"); }));
    player.pause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("pause"); }));
    player.seek(2.2);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("seek"); }));
    EXPECT_NEAR(delegate.seekLanded, 2.2, 1.0);
    EXPECT_NEAR(player.currentTime(), 2.2, 1.0);
    player.resume();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("resume"); }));
    player.stop();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("stopped"); }));
    EXPECT_FALSE(delegate.calls.contains("end"));
}

TEST_F(PlayerTest, SnapshotIsAPictureOfTheFrame)
{
    QVUltraPlayer player;
    ASSERT_TRUE(openInWindow(player, s_clip));
    player.play();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.lastProgress > 0.5; }));
    player.pause();
    const QString png = s_dir->filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(player.captureImage2File(png));
    QImage shot(png);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(320, 240));
    // The test pattern has many colours; a blank or black picture would not.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 8)
        for (int x = 0; x < shot.width(); x += 8)
            colours.insert(shot.pixel(x, y) & 0xF0F0F0);
    EXPECT_GT(colours.size(), 8);
    // Nowhere to write: an error, and no crash.
    EXPECT_FALSE(player.captureImage2File(s_dir->filePath(QStringLiteral("missing/folder/shot.png"))) &&
                 !QFile::exists(s_dir->filePath(QStringLiteral("missing/folder/shot.png"))));
}

TEST_F(PlayerTest, ExternalSubtitleIsShownAndSwitchedOff)
{
    const QString srt = s_dir->filePath(QStringLiteral("clip.srt"));
    QFile f(srt);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("1\n00:00:00,000 --> 00:00:10,000\nHello player\n\n");
    f.close();

    QVUltraPlayer player;
    ASSERT_TRUE(openInWindow(player, s_clip));
    QVSubtitleStyle style = player.getExternalSubtitleStyle();
    style.setFontName(QStringLiteral("DejaVu Sans"));
    style.setFontSize(30);
    player.setExternalSubtltleStyle(style);
    player.setSubtitleStream(-1, srt);
    EXPECT_TRUE(delegate.calls.contains("subtitle"));
    player.play();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return player.subtitleText() == QLatin1String("Hello player"); }));
    EXPECT_TRUE(player.subtitleVisible());
    EXPECT_EQ(player.getExternalSubtitleStyle().fontSize(), 30);

    player.setSubtitleStream(-1, QString());
    EXPECT_FALSE(player.subtitleVisible());
    EXPECT_TRUE(player.subtitleText().isEmpty());
}

TEST_F(PlayerTest, BrokenFileIsAnErrorNotAnEnd)
{
    const QString bad = MediaFixtures::makeCorrupt(s_dir->path(), QStringLiteral("broken.mp4"));
    QVUltraPlayer player;
    player.setDelegate(&delegate);
    bool opened = false;
    ASSERT_TRUE(player.open(bad, -1, 1, 1, [&] { opened = true; }));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.calls.contains("error"); }, 10000));
    EXPECT_FALSE(opened);
    EXPECT_FALSE(delegate.calls.contains("end"));
    // Calls on a failed player do nothing.
    player.play();
    player.seek(1);
    EXPECT_FALSE(player.captureImage2File(s_dir->filePath(QStringLiteral("none.png"))));
    EXPECT_FALSE(player.open(QString(), -1, 1, 1, [] {}));
}

TEST(SubtitleStyle, ColoursBecomePlayerOptions)
{
    struct Case { int rgb; int alpha; const char *expected; };
    const Case cases[] = {
        {0xFFFFFF, 255, "#FFFFFFFF"},
        {1, 255, "#FF000000"},       // black is stored as 1
        {0xFFFF00, 0xC0, "#C0FFFF00"},
        {255, 255, "#FF0000FF"},
        {0x7FFFFFFF, 255, "#FFFFFFFF"},  // bits above the colour are dropped
    };
    for (const Case &c : cases)
        EXPECT_EQ(QVSubtitleStyle::colorOption(c.rgb, c.alpha), QLatin1String(c.expected)) << c.rgb;
}
