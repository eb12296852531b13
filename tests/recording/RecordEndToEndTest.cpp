// Record on the page (the whole screen, or a region) with the real recorders and ffmpeg under a private X server (and a private
// sound server where one starts), imported by the real media loader.
#include "controls/MGHoverButton.h"
#include "controls/ManualControlTimers.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"
#include "recording/MediaProbe.h"
#include "recording/CaptureServers.h"
#include "recording/RecordViewCtrl.h"
#include "recording/ScreenRecordCtrl.h"
#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordWndCtr.h"
#include "recording/SRCropView.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The page over a private X server, with the questions and failures caught by the test.
class RecordEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!servers.hasDisplay())
            GTEST_SKIP() << "no private X server: " << qPrintable(servers.displayReason());
        UserDefaults::standard().setString(QStringLiteral("recordPath"), folder);
        ScreenRecordCtrl::setInstallAskerForTesting([] { return false; });
        ScreenRecordCtrl::setFailureNotifierForTesting([this](const QString &m) { told << m; });
        server.setScreenRecordClientExecPath(QStringLiteral(CAPVANE_PROGRAM));
        page = std::make_unique<RecordViewCtrl>(dir.filePath(QStringLiteral("RecordData.data")), &thumbnails, &server);
        page->view()->resize(900, 560);
        page->view()->show();
    }
    void TearDown() override
    {
        page.reset();
        ScreenRecordCtrl::setInstallAskerForTesting(nullptr);
        ScreenRecordCtrl::setFailureNotifierForTesting(nullptr);
    }
    bool waitForTheTake(int ms)
    {
        return TestEnvironment::waitFor([&] { return !page->displayList().isEmpty() || !told.isEmpty(); }, ms);
    }

    CaptureServers servers;
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Record"));
    QStringList told;
    ThumbnailServerWraper thumbnails{false};
    ScreenRecordServer server;
    std::unique_ptr<RecordViewCtrl> page;
};

TEST_F(RecordEndToEnd, AnAutomaticTakeLandsAtTheTopUnderItsDateTimeName)
{
    servers.prepareRecorder(3, dir.filePath(QStringLiteral("no-sound")));

    QTest::mouseClick(page->recordButton(), Qt::LeftButton);
    EXPECT_TRUE(page->isHasTask()) << "a scheduled shut-down waits while recording";
    ASSERT_TRUE(waitForTheTake(90000));
    ASSERT_TRUE(told.isEmpty()) << told.join(';').toStdString() << " / " << server.clientErrorOutput().toStdString();
    EXPECT_FALSE(page->isHasTask());
    EXPECT_TRUE(page->recordButton()->isEnabled());

    const auto item = page->displayList().first()->downloadItem();
    const QString name = QFileInfo(item->filePath()).fileName();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d(\\(\\d+\\))?\\.mp4$")).match(name).hasMatch())
        << name.toStdString();
    EXPECT_EQ(QFileInfo(item->filePath()).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(page->selectedRows(), QList<int>{0});
    EXPECT_GE(item->time(), 2);
    EXPECT_LE(item->time(), 5);
    const MediaProbe probe = MediaProbe::of(item->filePath());
    ASSERT_TRUE(probe.ok);
    // About the three seconds asked for: the encoder's start-up on a busy machine adds a little.
    EXPECT_GE(probe.videoSeconds, 2.0);
    EXPECT_LE(probe.videoSeconds, 5.5);
    EXPECT_EQ(probe.width % 2, 0);
    EXPECT_EQ(probe.height % 2, 0);
    EXPECT_EQ(probe.hasAudio, servers.hasSound());
}

#ifdef GLINTCAP_PROGRAM
// A region take with the real capture tool: the tool hears rectangle, block, file and start in
// that order, and two seconds arrive in the list at the region's even size.
TEST_F(RecordEndToEnd, ATwoSecondRegionTakeArrivesInTheListAtTheRegionsEvenSize)
{
    servers.prepareRecorder(0, dir.filePath(QStringLiteral("no-sound")));
    ScreenRecordWndCtr::setToolProgramForTesting(QStringLiteral(GLINTCAP_PROGRAM));
    ManualControlTimers timers;

    page->RecordRegion();
    ScreenRecordWndCtr *overlay = page->screenRecordCtrl()->regionRecorder();
    ASSERT_NE(overlay, nullptr);
    // Odd sides on the private 640×480 screen: the take is 480×300.
    overlay->cropView()->setCropFrame(QRectF(40, 30, 481, 301));
    QTest::mouseClick(overlay->recordButton(), Qt::LeftButton);
    while (overlay->phase() == ScreenRecordWndCtr::Phase::CountingDown)
        ASSERT_EQ(timers.elapse(1000), 1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return overlay->toolOutput().contains(QLatin1String("capturing")) || !told.isEmpty(); }, 30000))
        << overlay->toolOutput().toStdString();
    ASSERT_TRUE(told.isEmpty()) << told.join(';').toStdString();
    const QString said = overlay->toolOutput();
    const qsizetype order[] = {said.indexOf(QLatin1String("received setCaptureRect:")), said.indexOf(QLatin1String("received setEncodeParams:")),
                               said.indexOf(QLatin1String("received setOutputFile:")), said.indexOf(QLatin1String("received startCapture"))};
    EXPECT_GE(order[0], 0) << said.toStdString();
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order))) << said.toStdString();

    QElapsedTimer take;
    take.start();
    TestEnvironment::waitFor([&] { return take.elapsed() >= 2000; }, 2500);
    QTest::mouseClick(overlay->stopButton(), Qt::LeftButton);
    const bool arrived = waitForTheTake(60000);
    ScreenRecordWndCtr::setToolProgramForTesting(QString());
    ASSERT_TRUE(arrived);
    ASSERT_TRUE(told.isEmpty()) << told.join(';').toStdString();
    EXPECT_FALSE(page->isHasTask());

    const auto item = page->displayList().first()->downloadItem();
    EXPECT_EQ(QFileInfo(item->filePath()).absolutePath(), QFileInfo(folder).absoluteFilePath());
    const MediaProbe probe = MediaProbe::of(item->filePath());
    ASSERT_TRUE(probe.ok);
    EXPECT_EQ(probe.width, 480);
    EXPECT_EQ(probe.height, 300);
    EXPECT_GE(probe.videoSeconds, 1.4);
    EXPECT_LE(probe.videoSeconds, 4.0);
    EXPECT_EQ(probe.hasAudio, servers.hasSound());
}

#endif

} // namespace
