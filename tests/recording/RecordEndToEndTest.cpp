// Record on the page with the real recorder and ffmpeg under a private X server (and a private
// sound server where one starts), imported by the real media loader.
#include "controls/MGHoverButton.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"
#include "recording/MediaProbe.h"
#include "recording/CaptureServers.h"
#include "recording/RecordViewCtrl.h"
#include "recording/ScreenRecordCtrl.h"
#include "recording/ScreenRecordServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(RecordEndToEnd, AnAutomaticTakeLandsAtTheTopUnderItsDateTimeName)
{
    CaptureServers servers;
    if (!servers.hasDisplay())
        GTEST_SKIP() << "no private X server: " << qPrintable(servers.displayReason());
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Record"));
    UserDefaults::standard().setString(QStringLiteral("recordPath"), folder);
    servers.prepareRecorder(3, dir.filePath(QStringLiteral("no-sound")));
    ScreenRecordCtrl::setInstallAskerForTesting([] { return false; });
    QStringList told;
    ScreenRecordCtrl::setFailureNotifierForTesting([&](const QString &m) { told << m; });

    ThumbnailServerWraper thumbnails(false);
    ScreenRecordServer server;
    server.setScreenRecordClientExecPath(QStringLiteral(CAPVANE_PROGRAM));
    RecordViewCtrl page(dir.filePath(QStringLiteral("RecordData.data")), &thumbnails, &server);
    page.view()->resize(900, 560);
    page.view()->show();

    QTest::mouseClick(page.recordButton(), Qt::LeftButton);
    EXPECT_TRUE(page.isHasTask()) << "a scheduled shut-down waits while recording";
    const bool arrived = TestEnvironment::waitFor([&] { return !page.displayList().isEmpty() || !told.isEmpty(); }, 90000);
    ScreenRecordCtrl::setInstallAskerForTesting(nullptr);
    ScreenRecordCtrl::setFailureNotifierForTesting(nullptr);
    ASSERT_TRUE(arrived);
    ASSERT_TRUE(told.isEmpty()) << told.join(';').toStdString() << " / " << server.clientErrorOutput().toStdString();
    EXPECT_FALSE(page.isHasTask());
    EXPECT_TRUE(page.recordButton()->isEnabled());

    const auto item = page.displayList().first()->downloadItem();
    const QString name = QFileInfo(item->filePath()).fileName();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d(\\(\\d+\\))?\\.mp4$")).match(name).hasMatch())
        << name.toStdString();
    EXPECT_EQ(QFileInfo(item->filePath()).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(page.selectedRows(), QList<int>{0});
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

} // namespace
