// Record on the page (the whole screen, or a region) with the real recorders and ffmpeg under a private X server (and a private
// sound server where one starts), imported by the real media loader.
#include "controls/MGHoverButton.h"
#include "controls/ManualControlTimers.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"
#include "recording/MediaProbe.h"
#include "recording/CaptureServers.h"
#include "recording/RecordListStore.h"
#include "recording/RecordViewCtrl.h"
#include "recording/RecordingFiles.h"
#include "recording/ScreenRecordCtrl.h"
#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordWndCtr.h"
#include "recording/SRCropView.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

// Makes a two-second movie at path with ffmpeg; false when ffmpeg cannot.
bool makeMovie(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                                       QStringLiteral("-i"), QStringLiteral("testsrc=duration=2:size=320x240:rate=25"), QStringLiteral("-c:v"),
                                       QStringLiteral("mpeg4"), path});
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

// The program was killed during takes: the recorder finished one under its own name and the
// capture tool one under the name reserved for it. At the next start both join the list with
// their length, once; the user is told in the page; a take that cannot be read stays on disk;
// files the recorder did not write are left alone.
TEST(RecordRecovery, TakesTheProgramDidNotFinishJoinTheListOnceAndUnreadableOnesStay)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    QDir().mkpath(folder);
    UserDefaults::standard().setString(QStringLiteral("recordPath"), folder);
    const QString store = dir.filePath(QStringLiteral("RecordData.data"));
    const QString listed = folder + QStringLiteral("/2026-12-10 09-00-00.mp4");
    const QString recorders = folder + QStringLiteral("/Capvane 20261211-101500-000.mp4");
    const QString broken = folder + QStringLiteral("/Capvane 20261211-101600-000.mp4");
    const QString region = folder + QStringLiteral("/2026-12-11 10-17-00.mp4");
    const QString someoneElses = folder + QStringLiteral("/holiday.mp4");
    ASSERT_TRUE(makeMovie(listed)) << "no ffmpeg";
    for (const QString &copy : {recorders, region, someoneElses})
        ASSERT_TRUE(QFile::copy(listed, copy));
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("the recorder was killed before it wrote the index");
    junk.close();
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(listed);
    item->setTime(2);
    ASSERT_TRUE(RecordListStore(store).save({item}));
    RecordingFiles::forgetTakesInProgress();
    RecordingFiles::markTakeStarted(region);

    ThumbnailServerWraper thumbnails{false};
    ScreenRecordServer server;
    auto page = std::make_unique<RecordViewCtrl>(store, &thumbnails, &server);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->recoveryDone(); }, 60000));
    QStringList paths;
    for (const auto &node : page->recordList())
        paths << node->downloadItem()->filePath();
    EXPECT_EQ(paths.size(), 3) << paths.join(QLatin1Char(';')).toStdString();
    EXPECT_TRUE(paths.contains(recorders));
    EXPECT_TRUE(paths.contains(region));
    EXPECT_TRUE(paths.contains(listed));
    for (const auto &node : page->recordList())
        EXPECT_NEAR(double(node->downloadItem()->time()), 2.0, 1.0) << node->downloadItem()->filePath().toStdString();
    // The service (without its tool here) holds the last request: a found take's picture.
    ASSERT_TRUE(thumbnails.currentRequest().has_value());
    EXPECT_TRUE(thumbnails.currentRequest()->videoPath == recorders || thumbnails.currentRequest()->videoPath == region)
        << thumbnails.currentRequest()->videoPath.toStdString();
    EXPECT_TRUE(page->stateText().contains(QLatin1String("not finished"))) << page->stateText().toStdString();
    EXPECT_TRUE(QFileInfo::exists(broken)) << "an unreadable take is never deleted";
    EXPECT_TRUE(RecordingFiles::takesInProgress().isEmpty());

    // The next start finds nothing new and says nothing.
    page.reset();
    page = std::make_unique<RecordViewCtrl>(store, &thumbnails, &server);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->recoveryDone(); }, 60000));
    EXPECT_EQ(page->recordList().size(), 3);
    EXPECT_FALSE(page->stateText().contains(QLatin1String("not finished"))) << page->stateText().toStdString();
    page.reset();
    UserDefaults::standard().removeObjectForKey(QStringLiteral("recordPath"));
}

} // namespace
