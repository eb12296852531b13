#include "recording/CaptureServers.h"
#include "recording/CropGeometry.h"
#include "recording/EndChildProcess.h"
#include "recording/MediaProbe.h"
#include "media/IM_EncodeParamEx.h"
#include "platform/KeyedArchiver.h"
#include "platform/NamedConnection.h"
#include "tools/capvane/GlintcapProtocol.h"
#include "tools/capvane/GlintcapRecorder.h"
#include "tools/capvane/ScreenCapture.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <limits>

using namespace GlintcapProtocol;

namespace {

TEST(GlintcapRules, GrabAreaIsScaledKeptOnTheScreenAndEven)
{
    const QRect screen(0, 0, 640, 480);
    const struct
    {
        QRectF points;
        qreal scale;
        QRect area;
    } cases[] = {
        {{50, 40, 321, 241}, 1, {50, 40, 320, 240}},
        {{10, 20, 100, 50}, 2, {20, 40, 200, 100}},
        {{600, 400, 100, 100}, 1, {600, 400, 40, 80}},   // cut at the right and bottom edges
        {{-30, -20, 101, 101}, 1, {0, 0, 70, 80}},       // and at the left and top
        {{700, 10, 50, 50}, 1, {}},                      // wholly off the screen
        {{10, 10, 0, 50}, 1, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GlintcapRecorder::grabArea(c.points, c.scale, screen), c.area) << c.points.x() << "," << c.points.y();
}

TEST(GlintcapRules, WritesOnlyANewFileOrTheEmptyOneReservedForIt)
{
    QTemporaryDir dir;
    const QString reserved = dir.filePath(QStringLiteral("reserved.mp4"));
    const QString full = dir.filePath(QStringLiteral("full.mp4"));
    const QString link = dir.filePath(QStringLiteral("link.mp4"));
    QFile(reserved).open(QIODevice::WriteOnly);
    {
        QFile f(full);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("somebody's video");
    }
    ASSERT_TRUE(QFile::link(reserved, link));
    const struct
    {
        QString path;
        bool ok;
    } cases[] = {
        {dir.filePath(QStringLiteral("new.mp4")), true},
        {reserved, true},
        {full, false},
        {link, false},
        {dir.path(), false},
        {QStringLiteral("relative.mp4"), false},
        {dir.filePath(QStringLiteral("missing/new.mp4")), false},
        {QString(), false},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_EQ(GlintcapRecorder::isWritableOutput(c.path, &why), c.ok) << c.path.toStdString();
        EXPECT_EQ(why.isEmpty(), c.ok) << c.path.toStdString();
    }
}

TEST(GlintcapRules, ARectangleIsFourFiniteNumbersWithASize)
{
    EXPECT_EQ(unarchiveRect(archiveRect(QRectF(1.5, 2, 640, 360))), QRectF(1.5, 2, 640, 360));
    auto archived = [](double x, double w) {
        KeyedArchiver a;
        a.encodeDouble(QStringLiteral("x"), x);
        a.encodeDouble(QStringLiteral("y"), 0);
        a.encodeDouble(QStringLiteral("width"), w);
        a.encodeDouble(QStringLiteral("height"), 10);
        return a.archivedData();
    };
    KeyedArchiver noHeight;
    noHeight.encodeDouble(QStringLiteral("x"), 0);
    for (const QByteArray &bad : {QByteArray("\xff\x00garbage", 9), QByteArray(), archived(0, -5), archived(0, 0),
                                  archived(std::numeric_limits<double>::quiet_NaN(), 10), archived(1e300, 10), noHeight.archivedData()})
        EXPECT_TRUE(unarchiveRect(bad).isNull());
}

TEST(GlintcapRules, RegionArgumentsGrabFromTheOriginAndScaleToTheBlockSize)
{
    ScreenCapture::Options o;
    o.display = QStringLiteral(":3");
    o.origin = QPoint(50, 40);
    o.screenSize = QSize(640, 360);
    o.outputSize = QSize(321, 181);
    o.videoKbps = 1500;
    o.audioBitRate = 128000;
    o.audioSource = QStringLiteral("speakers.monitor");
    o.outputPath = QStringLiteral("/r/a.mp4");
    const QString a = ScreenCapture::arguments(o, QStringLiteral("libx264")).join(' ');
    EXPECT_TRUE(a.contains(QLatin1String("-video_size 640x360 -i :3+50,40"))) << a.toStdString();
    EXPECT_TRUE(a.contains(QLatin1String("-vf scale=320:180")));
    EXPECT_TRUE(a.contains(QLatin1String("-b:v 1500k")));
    EXPECT_FALSE(a.contains(QLatin1String("-crf")));
    EXPECT_TRUE(a.contains(QLatin1String("-b:a 128000")));
    o.outputSize = QSize(640, 360);
    EXPECT_FALSE(ScreenCapture::arguments(o, QStringLiteral("libx264")).contains(QStringLiteral("-vf")));
}

// The recorder's side of the connection, as the test plays it.
struct RecorderSide
{
    QString name = QStringLiteral("glintcap-test-") + QUuid::createUuid().toString(QUuid::Id128);
    QString toolRoot;
    std::unique_ptr<NamedConnection> root;
    std::unique_ptr<NamedConnection> tool;
    QProcess process;

    bool launch()
    {
        root = NamedConnection::publish(name, [this](const QString &m, const QByteArray &o) {
            if (m == QLatin1String(ScreenRecorderCtrDidStart))
                toolRoot = KeyedUnarchiver::rootString(o);
        });
        if (!root)
            return false;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(GLINTCAP_PROGRAM), {name});
        if (!TestEnvironment::waitFor([&] { return !toolRoot.isEmpty() || process.state() == QProcess::NotRunning; }, 20000))
            return false;
        if (toolRoot.isEmpty())
            return false;
        tool = NamedConnection::connectTo(toolRoot);
        return tool != nullptr;
    }
    void send(const char *message, const QByteArray &object = {}) { tool->sendMessage(QLatin1String(message), object); }
    void sendSettings(const QRectF &rect, const QSize &pixels, const QString &file)
    {
        send(SetCaptureRect, archiveRect(rect));
        const IM_EncodeParamEx block = CropGeometry::encodeBlock(pixels);
        send(SetEncodeParams, QByteArray(reinterpret_cast<const char *>(&block), sizeof block));
        send(SetOutputFile, KeyedArchiver::archivedRootString(file));
    }
    bool waitForExit(int ms = 30000)
    {
        return TestEnvironment::waitFor([&] { return process.state() == QProcess::NotRunning; }, ms);
    }
    ~RecorderSide() { endChildProcess(process); }
};

// The tool under a private X server (and a private sound server where one starts).
class GlintcapEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!servers.hasDisplay())
            GTEST_SKIP() << "no private X server: " << qPrintable(servers.displayReason());
        servers.prepareRecorder(0, dir.filePath(QStringLiteral("no-sound-server")));
    }
    CaptureServers servers;
    QTemporaryDir dir;
};

// Under a private X server: a two-second take of a rectangle with odd sides arrives as a
// complete video of that rectangle's even size.
TEST_F(GlintcapEndToEnd, RecordsTheRectangleAtItsEvenSize)
{
    const QString file = dir.filePath(QStringLiteral("take.mp4"));
    QFile(file).open(QIODevice::WriteOnly);  // reserved, as the recorder does

    RecorderSide side;
    ASSERT_TRUE(side.launch()) << side.process.readAllStandardError().toStdString();
    side.sendSettings(QRectF(50, 40, 321, 241), QSize(321, 241), file);
    side.send(StartCapture);
    QByteArray log;
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        log += side.process.readAllStandardError();
        return log.contains("capturing") || side.process.state() == QProcess::NotRunning;
    }, 20000)) << log.toStdString();
    ASSERT_TRUE(log.contains("capturing")) << log.toStdString();
    QElapsedTimer take;
    take.start();
    TestEnvironment::waitFor([&] { return take.elapsed() >= 2000; }, 2500);
    side.send(StopCapture);
    ASSERT_TRUE(side.waitForExit());
    log += side.process.readAllStandardError();
    EXPECT_EQ(side.process.exitCode(), Recorded) << log.toStdString();
    EXPECT_TRUE(log.contains("recording 320x240 at 50,40")) << log.toStdString();

    const MediaProbe probe = MediaProbe::of(file);
    ASSERT_TRUE(probe.ok) << "ffprobe cannot read " << file.toStdString();
    EXPECT_TRUE(probe.hasVideo);
    EXPECT_EQ(probe.width, 320);
    EXPECT_EQ(probe.height, 240);
    EXPECT_GE(probe.videoSeconds, 1.4);
    EXPECT_LE(probe.videoSeconds, 4.0);
    EXPECT_EQ(probe.hasAudio, servers.hasSound());
}

// A file that holds something is never recorded over, and a stop before the start ends the
// tool without writing anything.
TEST_F(GlintcapEndToEnd, NeverWritesOverAFileAndAnEarlyStopRecordsNothing)
{
    const QString taken = dir.filePath(QStringLiteral("taken.mp4"));
    {
        QFile f(taken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const QString fresh = dir.filePath(QStringLiteral("fresh.mp4"));
    const struct
    {
        QString file;
        const char *command;
        int exitCode;
        const char *says;
    } cases[] = {
        {taken, StartCapture, Failed, "already taken"},
        {fresh, StopCapture, NothingRecorded, "received stopCapture"},
    };
    for (const auto &c : cases) {
        RecorderSide side;
        ASSERT_TRUE(side.launch());
        side.sendSettings(QRectF(0, 0, 200, 200), QSize(200, 200), c.file);
        side.send(c.command);
        ASSERT_TRUE(side.waitForExit());
        EXPECT_EQ(side.process.exitCode(), c.exitCode) << c.command;
        EXPECT_TRUE(side.process.readAllStandardError().contains(c.says)) << c.command;
    }
    QFile f(taken);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(GlintcapUsage, TakesExactlyOneArgument)
{
    for (const QStringList &args : {QStringList{}, QStringList{QStringLiteral("a"), QStringLiteral("b")}, QStringList{QStringLiteral("--help")}}) {
        QProcess p;
        p.start(QStringLiteral(GLINTCAP_PROGRAM), args);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), Usage) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("exactly one argument"));
    }
}

} // namespace
