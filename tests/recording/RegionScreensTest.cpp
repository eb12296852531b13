// Pictures of the region recorder over a desktop-like backdrop, for a look by eye: cropping
// with the "Stop at" time, counting down, and recording. Written to RECORD_SCREENS_DIR.
#include "controls/ManualControlTimers.h"
#include "controls/TimeLabel.h"
#include "recording/ChildEnvironment.h"
#include "recording/SRCaptureView.h"
#include "recording/ScreenRecordWndCtr.h"
#include "recording/ScreenRecordWndCtrDelegate.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Ends : ScreenRecordWndCtrDelegate
{
    bool ended = false;
    bool recordWillStart() override { return true; }
    void recordDidStop() override { ended = true; }
    void cropWndWillClose(const QString &) override { ended = true; }
};

// The overlay as the user sees it: over other windows on the desktop.
void save(QWidget *overlay, const QString &name)
{
    // Layout and paint requests are posted: let them run so the picture is the settled overlay.
    TestEnvironment::drainPostedEvents();
    QImage desk(overlay->size(), QImage::Format_RGB32);
    QPainter p(&desk);
    QLinearGradient g(0, 0, desk.width(), desk.height());
    g.setColorAt(0, QColor(40, 90, 150));
    g.setColorAt(1, QColor(120, 60, 110));
    p.fillRect(desk.rect(), g);
    p.fillRect(QRect(90, 60, 620, 420), QColor(245, 245, 245));
    p.fillRect(QRect(90, 60, 620, 28), QColor(60, 63, 70));
    p.fillRect(QRect(760, 300, 440, 380), QColor(230, 236, 242));
    p.fillRect(QRect(760, 300, 440, 28), QColor(60, 63, 70));
    for (int i = 0; i < 8; ++i)
        p.fillRect(QRect(120, 120 + i * 40, 400 - (i % 3) * 90, 14), QColor(180, 185, 195));
    p.drawPixmap(0, 0, overlay->grab());
    p.end();
    QDir().mkpath(QStringLiteral(RECORD_SCREENS_DIR));
    const QString path = QStringLiteral(RECORD_SCREENS_DIR "/%1.png").arg(name);
    ASSERT_TRUE(desk.save(path)) << path.toStdString();
    std::printf("picture: %s\n", qPrintable(path));
}

TEST(RegionScreens, CroppingCountingDownAndRecording)
{
    QTemporaryDir dir;
    ChildEnvironment env;
    env.set("FAKE_GLINTCAP_LOG", dir.filePath(QStringLiteral("tool.log")));
    ScreenRecordWndCtr::setToolProgramForTesting(QStringLiteral(FAKE_GLINTCAP_PROGRAM));
    ManualControlTimers timers;
    Ends ends;
    {
        ScreenRecordWndCtr ctr(dir.path(), &ends);
        ctr.window()->resize(1280, 800);
        ctr.showWindow();
        ctr.stopAtCheck()->setChecked(true);
        ctr.stopAtTime()->setTime(5 * 60);
        save(ctr.window(), QStringLiteral("region-overlay-cropping"));

        QTest::mouseClick(ctr.recordButton(), Qt::LeftButton);
        timers.elapse(1000);
        timers.elapse(1000);
        EXPECT_EQ(ctr.captureView()->countNumber(), QStringLiteral("3"));
        save(ctr.window(), QStringLiteral("region-overlay-counting-down"));

        while (ctr.phase() == ScreenRecordWndCtr::Phase::CountingDown)
            timers.elapse(1000);
        // The clock starts with the tool's first written frame.
        TestEnvironment::waitFor([&] { return ctr.capturedMs() >= 0; }, 15000);
        for (int i = 0; i < 7; ++i)
            timers.elapse(1000);
        EXPECT_EQ(ctr.elapsedText(), QStringLiteral("00:00:07"));
        save(ctr.window(), QStringLiteral("region-overlay-recording"));
        ctr.stopRecord();
        TestEnvironment::waitFor([&] { return ends.ended; }, 15000);
    }
    ScreenRecordWndCtr::setToolProgramForTesting(QString());
}

} // namespace
