// The whole road on this machine: an .avi converted by the real conversion tool and pushed to a
// phone behind the fake adb program.

#include "AdbDeviceHarness.h"
#include "DeviceTestSupport.h"

#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IMobileDevice.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferMediaTask.h"
#include "transfer/TransferTaskManager.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(TransferEndToEnd, AnAviIsConvertedAndPushedToAPhone)
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir media;
    const QString avi = MediaFixtures::makeClip(media.path(), "road clip.avi", {1.0, "320x240"});
    ASSERT_FALSE(avi.isEmpty());

    AdbDeviceHarness adb;
    Dexmoor manager;
    auto recorder = std::make_shared<RecordingDeviceMgr>();
    manager.addDeletegate(recorder);
    manager.addBackend(adb.backend());
    manager.startDexmoorListen();
    adb.plug();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !recorder->inserted().isEmpty(); }, 10000));
    auto phone = recorder->inserted().first();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return phone->IsOnline(); }, 10000));

    FileInfoItem info;
    info.setFilePath(avi);
    auto row = std::make_shared<TransferDataItem>(info);
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(phone);
    job->addWithTransferItem(row);
    ASSERT_EQ(job->items().size(), 1);
    const auto item = job->items().first();
    EXPECT_TRUE(item->isNeedConverter());
    EXPECT_EQ(item->writeDestFilePath(), "/storage/emulated/0/Video/road clip.mp4");

    auto queue = std::make_shared<TransferTaskManager>();
    queue->addItem(job);
    queue->startTask(job);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return job->state() == TransferMediaTask::StateFinished; }, 240000));
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusDone) << item->errorText().toStdString();
    EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(row->percent(), 100);

    const QString arrived = adb.localFile("/storage/emulated/0/Video/road clip.mp4");
    ASSERT_TRUE(QFileInfo(arrived).isFile());
    const QVariantMap probe = MediaFixtures::probe(arrived);
    EXPECT_TRUE(probe.value("format").toMap().value("format_name").toString().contains("mp4"));
    // The converted copy went with the job's private folder.
    EXPECT_FALSE(QFileInfo::exists(item->filePath()));
    manager.stopListen();
}

} // namespace
