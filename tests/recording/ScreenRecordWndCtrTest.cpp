#include "controls/ManualControlTimers.h"
#include "controls/TimeLabel.h"
#include "recording/ChildEnvironment.h"
#include "recording/GlobalHotKey.h"
#include "recording/SRCaptureView.h"
#include "recording/SRCropView.h"
#include "recording/ScreenRecordWndCtr.h"
#include "recording/ScreenRecordWndCtrDelegate.h"

#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Phase = ScreenRecordWndCtr::Phase;

struct Recording : ScreenRecordWndCtrDelegate
{
    bool allowStart = true;
    int willStart = 0;
    int didStop = 0;
    QStringList closes;
    bool recordWillStart() override
    {
        ++willStart;
        return allowStart;
    }
    void recordDidStop() override { ++didStop; }
    void cropWndWillClose(const QString &reason) override { closes.append(reason); }
    bool ended() const { return didStop + closes.size() > 0; }
};

// The recorder with the stand-in tool and hand-fired timers.
class RegionRecorder : public testing::Test
{
protected:
    void SetUp() override
    {
        env.set("FAKE_GLINTCAP_LOG", dir.filePath(QStringLiteral("tool.log")));
        env.unset("FAKE_GLINTCAP_MODE");
        ScreenRecordWndCtr::setToolProgramForTesting(QStringLiteral(FAKE_GLINTCAP_PROGRAM));
        QDir().mkpath(folder);
        ctr = std::make_unique<ScreenRecordWndCtr>(folder, &recording);
        ctr->window()->resize(1280, 800);
        ctr->showWindow();
    }
    void TearDown() override
    {
        ctr.reset();
        ScreenRecordWndCtr::setToolProgramForTesting(QString());
    }
    QStringList heard() const
    {
        QFile f(dir.filePath(QStringLiteral("tool.log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
    }
    bool toolHeard(const char *message)
    {
        return TestEnvironment::waitFor([&] { return heard().contains(QLatin1String(message)); }, 15000);
    }
    // Presses Record and lets the count-down run out.
    void countDown()
    {
        QTest::mouseClick(ctr->recordButton(), Qt::LeftButton);
        ASSERT_EQ(ctr->phase(), Phase::CountingDown);
        for (int n = 5; n >= 1; --n) {
            EXPECT_EQ(ctr->captureView()->countNumber(), QString::number(n));
            ASSERT_EQ(timers.elapse(1000), 1);
        }
        EXPECT_TRUE(ctr->captureView()->countNumber().isEmpty());
        EXPECT_TRUE(ctr->captureView()->hotKeyTip().isEmpty());
        ASSERT_TRUE(ctr->isRecording());
    }
    QStringList folderFiles() const { return QDir(folder).entryList(QDir::Files); }

    ManualControlTimers timers;
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Record"));
    ChildEnvironment env;
    Recording recording;
    std::unique_ptr<ScreenRecordWndCtr> ctr;
};

// "Stop at" 00:00:10 stops at the tick that shows 00:00:11; the tool hears rectangle, block,
// file, start and stop in that order and the take is handed on under its reserved date name.
TEST_F(RegionRecorder, StopAtEndsAtTheTickPastItAndHandsOnTheReservedFile)
{
    ctr->stopAtCheck()->setChecked(true);
    EXPECT_TRUE(ctr->stopAtTime()->isEnabled());
    ctr->stopAtTime()->setTime(10);
    countDown();
    ASSERT_TRUE(toolHeard("startCapture"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ctr->capturedMs() >= 0; }, 15000)) << "the tool's first frame was not heard";
    const QString file = ctr->outputFile();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.mp4$")).match(QFileInfo(file).fileName()).hasMatch())
        << file.toStdString();
    EXPECT_EQ(QFileInfo(file).absolutePath(), QFileInfo(folder).absoluteFilePath());

    QStringList shown{ctr->elapsedText()};
    while (ctr->phase() == Phase::Recording && shown.size() < 30) {
        ASSERT_EQ(timers.elapse(1000), 1);
        shown.append(ctr->elapsedText());
    }
    EXPECT_EQ(shown.first(), QStringLiteral("00:00:00"));
    EXPECT_EQ(shown.last(), QStringLiteral("00:00:11"));
    EXPECT_EQ(shown.size(), 12);
    EXPECT_EQ(ctr->phase(), Phase::Stopping);
    EXPECT_EQ(recording.didStop, 0);  // not before the tool has finished the file

    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
    EXPECT_EQ(recording.didStop, 1);
    EXPECT_TRUE(recording.closes.isEmpty());
    EXPECT_EQ(ctr->outputFile(), file);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("a finished take"));
    EXPECT_EQ(heard(), (QStringList{"setCaptureRect:", "setEncodeParams:", "setOutputFile:", "startCapture", "stopCapture"}));
}

// The clock follows the tool: until it reports its first written frame the elapsed time stays
// at zero (and "Stop at" cannot fire), however long the tool takes to get there.
TEST_F(RegionRecorder, TheClockWaitsForTheToolsFirstFrame)
{
    env.set("FAKE_GLINTCAP_MODE", QStringLiteral("slow"));
    ctr->stopAtCheck()->setChecked(true);
    ctr->stopAtTime()->setTime(1);
    countDown();
    ASSERT_TRUE(toolHeard("startCapture"));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(timers.elapse(1000), 0) << "no clock runs before the first frame";
        EXPECT_EQ(ctr->elapsedText(), QStringLiteral("00:00:00"));
    }
    EXPECT_EQ(ctr->phase(), Phase::Recording);
    EXPECT_EQ(ctr->capturedMs(), -1);
    ctr->screenRecorderCtrDidCapture();
    EXPECT_GE(ctr->capturedMs(), 0);
    EXPECT_EQ(timers.elapse(1000), 1);
    EXPECT_EQ(ctr->elapsedText(), QStringLiteral("00:00:01"));
    ctr->stopRecord();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
}

// The stop key during the count-down closes the window without a recording and gives the
// reserved name back.
TEST_F(RegionRecorder, StopKeyDuringTheCountDownClosesWithoutARecording)
{
    QSignalSpy finished(ctr.get(), &ScreenRecordWndCtr::finished);
    QTest::mouseClick(ctr->recordButton(), Qt::LeftButton);
    // Offscreen there is no X key to grab: the tip says so instead of naming the key.
    EXPECT_FALSE(ctr->hotKeyUnavailableReason().isEmpty());
    EXPECT_EQ(ctr->captureView()->hotKeyTip(), QStringLiteral("No stop key here: press Stop."));
    EXPECT_TRUE(ctr->hotKeyUnavailableReason().contains(QLatin1String("Stop button")));
    ASSERT_EQ(timers.elapse(1000), 1);
    ASSERT_TRUE(toolHeard("setOutputFile:"));
    EXPECT_EQ(folderFiles().size(), 1);
    emit ctr->stopKey()->activated();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
    EXPECT_EQ(recording.didStop, 0);
    EXPECT_EQ(recording.closes, QStringList{QString()});
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(timers.active(), 0);
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_FALSE(heard().contains(QStringLiteral("startCapture")));
}

// After the stop the tool gets its time to finish the file; one that hangs is killed once
// that time is up, and the user is told nothing was saved.
TEST_F(RegionRecorder, AToolThatHangsAfterTheStopIsKilledAtTheBound)
{
    env.set("FAKE_GLINTCAP_MODE", QStringLiteral("hang"));
    countDown();
    ASSERT_TRUE(toolHeard("startCapture"));
    QTest::mouseClick(ctr->stopButton(), Qt::LeftButton);
    ASSERT_TRUE(toolHeard("stopCapture"));
    EXPECT_EQ(ctr->phase(), Phase::Stopping);
    EXPECT_FALSE(ctr->window()->isVisible());
    // The tool heard the stop and hangs; only the bound's timer may end the take.
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_FALSE(recording.ended());
    ASSERT_EQ(timers.elapse(ScreenRecordWndCtr::ToolStopWaitMs), 1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
    EXPECT_EQ(recording.didStop, 0);
    ASSERT_EQ(recording.closes.size(), 1);
    EXPECT_TRUE(recording.closes.first().contains(QLatin1String("could not be saved"))) << recording.closes.first().toStdString();
    EXPECT_TRUE(folderFiles().isEmpty());
}

// A long take gets longer to be finished after the stop (the tool rewrites the file), within
// an hour more.
TEST(RegionRecorderBound, TheWaitAfterTheStopGrowsWithWhatWasWritten)
{
    const struct
    {
        qint64 bytes;
        int ms;
    } cases[] = {{0, 15000}, {-1, 15000}, {10 * 1024 * 1024, 15000 + 1024}, {4LL * 1024 * 1024 * 1024, 15000 + 419430}, {1LL << 50, 15000 + 3600000}};
    for (const auto &c : cases)
        EXPECT_EQ(ScreenRecordWndCtr::toolStopWaitMs(c.bytes), c.ms) << c.bytes;
}

// A tool that dies during the take ends it at once with what the tool said, instead of a
// clock running over nothing.
TEST_F(RegionRecorder, AToolThatDiesMidTakeEndsItWithItsReason)
{
    env.set("FAKE_GLINTCAP_MODE", QStringLiteral("die"));
    countDown();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
    EXPECT_EQ(recording.didStop, 0);
    ASSERT_EQ(recording.closes.size(), 1);
    EXPECT_TRUE(recording.closes.first().contains(QLatin1String("the screen went away"))) << recording.closes.first().toStdString();
    EXPECT_EQ(timers.active(), 0);
    EXPECT_EQ(ctr->phase(), Phase::Closed);
}

// A tool that never announced itself cannot hear a stop and has recorded nothing: the stop
// ends it at once instead of waiting out the bound.
TEST_F(RegionRecorder, AStopBeforeTheToolConnectedEndsAtOnce)
{
    env.set("FAKE_GLINTCAP_MODE", QStringLiteral("mute"));
    QTest::mouseClick(ctr->recordButton(), Qt::LeftButton);
    ASSERT_EQ(timers.elapse(1000), 1);
    QTest::mouseClick(ctr->stopButton(), Qt::LeftButton);
    EXPECT_EQ(timers.active(ScreenRecordWndCtr::ToolStopWaitMs), 0);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recording.ended(); }, 15000));
    EXPECT_EQ(recording.closes, QStringList{QString()});
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_TRUE(heard().isEmpty());
}

TEST_F(RegionRecorder, ADelegateThatSaysNoKeepsTheWindowCropping)
{
    recording.allowStart = false;
    QTest::mouseClick(ctr->recordButton(), Qt::LeftButton);
    EXPECT_EQ(recording.willStart, 1);
    EXPECT_EQ(ctr->phase(), Phase::Cropping);
    EXPECT_TRUE(ctr->cropView()->isVisible());
    EXPECT_FALSE(ctr->captureView()->isVisible());
    EXPECT_TRUE(folderFiles().isEmpty());
    EXPECT_EQ(timers.active(), 0);

    QTest::mouseClick(ctr->closeButton(), Qt::LeftButton);
    EXPECT_EQ(recording.closes, QStringList{QString()});
    EXPECT_EQ(ctr->phase(), Phase::Closed);
}

TEST_F(RegionRecorder, FullScreenCoversTheScreenAndRestoresTheRectangle)
{
    // The views follow the window to the screen's size.
    EXPECT_EQ(ctr->cropView()->screenFrame(), QRectF(0, 0, 1280, 800));
    EXPECT_EQ(ctr->captureView()->size(), QSize(1280, 800));
    const QRectF before = ctr->cropView()->cropFrame();
    QTest::mouseClick(ctr->fullScreenButton(), Qt::LeftButton);
    EXPECT_TRUE(ctr->isFullScreen());
    EXPECT_EQ(ctr->cropView()->cropFrame(), ctr->cropView()->screenFrame());
    EXPECT_EQ(ctr->fullScreenButton()->text(), QStringLiteral("Exit FullScreen"));
    QTest::mouseClick(ctr->fullScreenButton(), Qt::LeftButton);
    EXPECT_FALSE(ctr->isFullScreen());
    EXPECT_EQ(ctr->cropView()->cropFrame(), before);
    EXPECT_EQ(ctr->fullScreenButton()->text(), QStringLiteral("FullScreen"));
}

} // namespace
