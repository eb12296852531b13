#include "recording/EndChildProcess.h"
#include "recording/MediaProbe.h"
#include "recording/CaptureServers.h"
#include "recording/ChildEnvironment.h"
#include "recording/RecordingFiles.h"
#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordServerDelegate.h"
#include "tools/capvane/ScreenCapture.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Events : ScreenRecordServerDelegate
{
    int started = 0;
    QStringList files;
    QStringList stops;
    void screenRecordIsStartNeedUpdateButtonState() override { ++started; }
    void screenRecordIsOverNeedAddFileToResource(const QString &path) override { files.append(path); }
    void screenRecordIsStoppedNeedUpdateButtonState(const QString &reason) override { stops.append(reason); }
};

TEST(ScreenCapture, ArgumentsRecordTheWholeEvenScreenWithSoundWhenThereIsASource)
{
    EXPECT_EQ(ScreenCapture::evenSize(QSize(1367, 769)), QSize(1366, 768));
    EXPECT_EQ(ScreenCapture::evenSize(QSize(1, 1)), QSize(2, 2));

    ScreenCapture::Options o;
    o.display = QStringLiteral(":7");
    o.screenSize = QSize(1025, 767);
    o.outputPath = QStringLiteral("/r/out.mp4");
    const QStringList video = ScreenCapture::arguments(o, QStringLiteral("libx264"));
    EXPECT_TRUE(video.join(' ').contains(QLatin1String("-f x11grab")));
    EXPECT_TRUE(video.join(' ').contains(QLatin1String("-video_size 1024x766")));
    EXPECT_TRUE(video.join(' ').contains(QLatin1String("-i :7+0,0")));
    EXPECT_FALSE(video.contains(QStringLiteral("pulse")));
    EXPECT_EQ(video.last(), o.outputPath);

    o.audioSource = QStringLiteral("speakers.monitor");
    const QString withSound = ScreenCapture::arguments(o, QStringLiteral("mpeg4")).join(' ');
    EXPECT_TRUE(withSound.contains(QLatin1String("-f pulse -fragment_size 4096 -i speakers.monitor")));
    EXPECT_TRUE(withSound.contains(QLatin1String("-map 1:v:0 -map 0:a:0")));
    EXPECT_TRUE(withSound.contains(QLatin1String("-c:v mpeg4")));
}

// The real recorder under a private X server (and a private sound server where one starts):
// an automatic three-second take reaches the server as a complete MP4 in the folder it named.
TEST(CapvaneEndToEnd, AnAutomaticTakeArrivesAsACompleteRecording)
{
    CaptureServers servers;
    if (!servers.hasDisplay())
        GTEST_SKIP() << "no private X server: " << qPrintable(servers.displayReason());
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder);
    servers.prepareRecorder(3, dir.filePath(QStringLiteral("no-sound-server")));

    Events events;
    ScreenRecordServer server;
    server.setScreenRecordClientExecPath(QStringLiteral(CAPVANE_PROGRAM));
    server.setScreenRecordFileSaveFolder(folder);
    server.setDelegate(&events);
    ASSERT_TRUE(server.launchScreenRecordClient());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !events.files.isEmpty() || !events.stops.isEmpty(); }, 60000));
    server.setDelegate(nullptr);
    ASSERT_EQ(events.files.size(), 1) << events.stops.join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(events.started, 1);

    const QString path = events.files.first();
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder).absoluteFilePath());
    const MediaProbe probe = MediaProbe::of(path);
    SCOPED_TRACE("recorder said: " + server.clientErrorOutput().toStdString());
    ASSERT_TRUE(probe.ok) << "ffprobe cannot read " << path.toStdString();
    EXPECT_TRUE(probe.hasVideo);
    // About the three seconds asked for: the encoder's start-up on a busy machine adds a little.
    EXPECT_GE(probe.videoSeconds, 2.0);
    EXPECT_LE(probe.videoSeconds, 5.5);
    EXPECT_LE(probe.seconds, 5.5);
    EXPECT_EQ(probe.width, 640);
    EXPECT_EQ(probe.height, 480);
    EXPECT_EQ(probe.width % 2, 0);
    EXPECT_EQ(probe.height % 2, 0);
    EXPECT_EQ(probe.hasAudio, servers.hasSound());
}

// A white window over the whole private screen, shown on flash(): the visible mark of the
// moment a tone starts.
class Flash
{
public:
    explicit Flash(const QString &display)
    {
        m_c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(m_c))
            return;
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_window = xcb_generate_id(m_c);
        const uint32_t values[] = {screen->white_pixel, 1};
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, screen->width_in_pixels, screen->height_in_pixels, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_flush(m_c);
    }
    ~Flash() { xcb_disconnect(m_c); }
    void flash()
    {
        xcb_map_window(m_c, m_window);
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }

private:
    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_window = 0;
};

// A tone that starts on a visible flash a moment into the take: sound and picture each run
// the whole length of the file, and the file is as long as the recorder's clock showed at the
// stop (the clock starts with the first written frame, not with REC).
TEST(CapvaneEndToEnd, SoundAndPictureRunTogetherForAsLongAsTheClockShowed)
{
    CaptureServers servers;
    if (!servers.hasDisplay())
        GTEST_SKIP() << "no private X server: " << qPrintable(servers.displayReason());
    if (!servers.hasSound())
        GTEST_SKIP() << "no private sound server";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder);
    servers.prepareRecorder(4, QString());
    Flash flash(servers.display());

    Events events;
    ScreenRecordServer server;
    server.setScreenRecordClientExecPath(QStringLiteral(CAPVANE_PROGRAM));
    server.setScreenRecordFileSaveFolder(folder);
    server.setDelegate(&events);
    ASSERT_TRUE(server.launchScreenRecordClient());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return events.started > 0 || !events.stops.isEmpty(); }, 60000));
    ASSERT_EQ(events.started, 1) << events.stops.join(QLatin1Char(';')).toStdString();
    QProcess tone;
    tone.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-re"), QStringLiteral("-f"),
                                          QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=1000:duration=20"),
                                          QStringLiteral("-f"), QStringLiteral("pulse"), QStringLiteral("-device"), QStringLiteral("speakers"),
                                          QStringLiteral("tone")});
    flash.flash();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !events.files.isEmpty() || !events.stops.isEmpty(); }, 60000));
    endChildProcess(tone);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return server.clientErrorOutput().contains(QLatin1String("the clock at")); }, 10000));
    server.setDelegate(nullptr);
    ASSERT_EQ(events.files.size(), 1) << events.stops.join(QLatin1Char(';')).toStdString();

    const QString said = server.clientErrorOutput();
    SCOPED_TRACE("recorder said: " + said.toStdString());
    const double clock = said.section(QLatin1String("the clock at "), 1, 1).section(QLatin1Char(' '), 0, 0).toDouble() / 1000.0;
    const MediaProbe probe = MediaProbe::of(events.files.first());
    ASSERT_TRUE(probe.ok);
    ASSERT_TRUE(probe.hasAudio);
    std::printf("file %.3f s, picture %.3f s, sound %.3f s, clock %.3f s\n", probe.seconds, probe.videoSeconds, probe.audioSeconds, clock);
    EXPECT_NEAR(probe.videoSeconds, probe.seconds, 0.3);
    EXPECT_NEAR(probe.audioSeconds, probe.seconds, 0.3);
    EXPECT_NEAR(probe.seconds, clock, 0.5);
}

// A display that cannot be captured ends the recorder with a reason the user can read.
TEST(CapvaneEndToEnd, WithoutAnXDisplayTheRecorderSaysSoAndEnds)
{
    QTemporaryDir dir;
    ChildEnvironment env;
    env.unset("DISPLAY");
    env.set("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    env.set("XDG_SESSION_TYPE", QStringLiteral("wayland"));
    env.set("CAPVANE_AUTO_SECONDS", QStringLiteral("1"));

    Events events;
    ScreenRecordServer server;
    server.setScreenRecordClientExecPath(QStringLiteral(CAPVANE_PROGRAM));
    server.setScreenRecordFileSaveFolder(dir.path());
    server.setDelegate(&events);
    ASSERT_TRUE(server.launchScreenRecordClient());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !events.stops.isEmpty(); }, 20000));
    server.setDelegate(nullptr);
    EXPECT_TRUE(events.files.isEmpty());
    EXPECT_TRUE(events.stops.first().contains(QLatin1String("X11 session"))) << events.stops.first().toStdString();
}

TEST(CapvaneEndToEnd, TakesExactlyOneArgument)
{
    for (const QStringList &args : {QStringList{}, QStringList{QStringLiteral("a"), QStringLiteral("b")}, QStringList{QStringLiteral("--help")}}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CAPVANE_PROGRAM), args);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("exactly one argument"));
    }
}

} // namespace
