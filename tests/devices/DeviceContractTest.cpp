// The same expectations for every back-end: arrival and removal through the manager, storage,
// writes under hostile names, collisions, refused paths, progress, and removal mid-write.

#include "AdbDeviceHarness.h"
#include "DeviceHarness.h"
#include "DeviceTestSupport.h"
#include "FakeDeviceHarness.h"
#include "VolumeDeviceHarness.h"

#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IAsyncTask.h"
#include "devices/IFileManager.h"
#include "devices/IFolderList.h"
#include "devices/IMediaFolder.h"
#include "devices/IMediaItem.h"
#include "devices/IMediaList.h"
#include "devices/IMediaManager.h"
#include "devices/IMobileDevice.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

std::vector<std::pair<const char *, DeviceHarnessFactory>> deviceHarnesses();

namespace {

QByteArray pattern(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + 3) & 0xff);
    return data;
}

QStringList filesNamed(const QStringList &folders, const QString &name)
{
    QStringList found;
    for (const QString &folder : folders) {
        QDirIterator it(folder, {name}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
    }
    return found;
}

class DeviceContract : public ::testing::TestWithParam<std::pair<const char *, DeviceHarnessFactory>>
{
protected:
    void SetUp() override
    {
        harness = GetParam().second();
        if (const QString why = harness->skipReason(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        manager = std::make_unique<Dexmoor>();
        manager->setPlatformFilter(3);
        recorder = std::make_shared<RecordingDeviceMgr>();
        manager->addDeletegate(recorder);
        manager->addBackend(harness->backend());
        manager->startDexmoorListen();
        harness->plug();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return !recorder->inserted().isEmpty(); }, 10000))
            << "no device arrived";
        device = recorder->inserted().first();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return device->IsOnline(); }, 10000));
    }

    void TearDown() override
    {
        if (manager)
            manager->stopListen();
    }

    QString localSource(const QString &name, int size)
    {
        const QString path = sources.path() + QLatin1Char('/') + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(pattern(size));
        return path;
    }

    // Writes the source to the device path through the music list; the task's delegate.
    std::shared_ptr<RecordingTaskDelegate> write(const QString &source, const QString &devicePath,
                                                 std::shared_ptr<IAsyncTask> *taskOut = nullptr)
    {
        auto media = device->musicManager()->musics()->addByPath(devicePath);
        EXPECT_TRUE(media) << devicePath.toStdString();
        auto delegate = std::make_shared<RecordingTaskDelegate>();
        if (!media)
            return delegate;
        auto task = media->write(source, delegate);
        EXPECT_TRUE(task);
        if (task) {
            EXPECT_TRUE(task->waitDone(20000));
        }
        if (taskOut)
            *taskOut = task;
        return delegate;
    }

    std::unique_ptr<DeviceHarness> harness;
    std::unique_ptr<Dexmoor> manager;
    std::shared_ptr<RecordingDeviceMgr> recorder;
    std::shared_ptr<IMobileDevice> device;
    QTemporaryDir sources;
};

TEST_P(DeviceContract, ArrivesAndLeavesThroughTheManagerOnItsThread)
{
    EXPECT_NE(recorder->lastThread(), QThread::currentThread());
    EXPECT_EQ(manager->getConnectDevices(), QList<std::shared_ptr<IMobileDevice>>{device});
    EXPECT_EQ(device->deviceInfo()->OSPlatform(), harness->expectedPlatform());
    EXPECT_FALSE(device->deviceInfo()->serialNumber().isEmpty());
    EXPECT_EQ(device->connectionStatus(), DeviceConnectionStatus::Connected);

    harness->pull();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !recorder->removed().isEmpty(); }, 10000));
    EXPECT_EQ(recorder->removed().first(), device);
    EXPECT_TRUE(device->IsDeviceRemoved());
    EXPECT_FALSE(device->IsOnline());
    EXPECT_TRUE(manager->getConnectDevices().isEmpty());
}

TEST_P(DeviceContract, StorageLoadsWithARootAndFreeSpace)
{
    auto *storage = device->deviceStorageInfos();
    ASSERT_TRUE(storage->load(0)->waitDone(10000));
    EXPECT_EQ(storage->syncState(), DeviceSyncState::Loaded);
    const auto card = storage->card();
    ASSERT_TRUE(card.has_value());
    EXPECT_GT(card->total, 0);
    EXPECT_GT(card->freeBytes(), 0);
    EXPECT_FALSE(card->StoreMediumrootPath.isEmpty());
}

TEST_P(DeviceContract, HostileNameArrivesVerbatimAndRunsNothing)
{
    const QString name = QStringLiteral("a b'$(touch x);.mp3");
    const QString source = localSource(QStringLiteral("src.mp3"), 300000);
    const QString target = harness->deviceFolder() + QLatin1Char('/') + name;
    std::shared_ptr<IAsyncTask> task;
    auto progress = write(source, target, &task);
    ASSERT_TRUE(task);
    EXPECT_EQ(task->result(), AsyncTaskResult::Done);
    EXPECT_EQ(progress->finishedCount(), 1);
    QFile arrived(harness->localFile(target));
    ASSERT_TRUE(arrived.open(QIODevice::ReadOnly)) << arrived.fileName().toStdString();
    EXPECT_EQ(arrived.readAll(), pattern(300000));
    EXPECT_TRUE(filesNamed(harness->watchedFolders(), QStringLiteral("x")).isEmpty());

    const auto info = device->fileManager()->getFileInfo(target);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->length, 300000);
    EXPECT_FALSE(device->fileManager()->getFileInfo(target + QStringLiteral(".missing")).has_value());
}

TEST_P(DeviceContract, ProgressRisesToTheEnd)
{
    auto progress = write(localSource(QStringLiteral("p.mp3"), 2 << 20),
                          harness->deviceFolder() + QStringLiteral("/p.mp3"));
    const QList<int> seen = progress->progress();
    ASSERT_GE(seen.size(), 2);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.last(), 100);
}

TEST_P(DeviceContract, ANameTakenOnTheDeviceGetsANumber)
{
    auto folder = device->videoManager()->folders()->addByPath(harness->deviceFolder(), 0);
    ASSERT_TRUE(folder);
    const QString source = localSource(QStringLiteral("clip.mp4"), 1000);
    auto first = folder->items()->addByName(QStringLiteral("clip.mp4"), 0);
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->write(source, {})->waitDone(20000));
    auto second = folder->items()->addByName(QStringLiteral("clip.mp4"), 0);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->destinationPath(), harness->deviceFolder() + QStringLiteral("/clip(1).mp4"));
}

TEST_P(DeviceContract, PathsLeavingTheStorageAreRefused)
{
    const QString folder = harness->deviceFolder();
    for (const QString &bad : {folder + QStringLiteral("/../../../etc/evil.mp3"), folder + QStringLiteral("/../x.mp3"),
                               QStringLiteral("relative/x.mp3"), folder + QStringLiteral("/a\nb.mp3")}) {
        EXPECT_FALSE(device->musicManager()->musics()->addByPath(bad)) << bad.toStdString();
        EXPECT_FALSE(device->fileManager()->getFileInfo(bad).has_value()) << bad.toStdString();
    }
    auto folderList = device->videoManager()->folders();
    EXPECT_FALSE(folderList->addByPath(folder + QStringLiteral("/../../up"), 0));
    auto video = folderList->addByPath(folder, 0);
    ASSERT_TRUE(video);
    EXPECT_FALSE(video->items()->addByName(QStringLiteral("../escape.mp4"), 0));
    EXPECT_FALSE(video->items()->addByName(QStringLiteral(".."), 0));
}

TEST_P(DeviceContract, PullingTheDeviceMidWriteFailsTheWriteAndReportsItsEnd)
{
    harness->pullDuringNextWrite(device);
    std::shared_ptr<IAsyncTask> task;
    auto progress = write(localSource(QStringLiteral("big.mp4"), 4 << 20),
                          harness->deviceFolder() + QStringLiteral("/big.mp4"), &task);
    ASSERT_TRUE(task);
    ASSERT_TRUE(task->result().has_value());
    EXPECT_TRUE(*task->result() == AsyncTaskResult::Failed || *task->result() == AsyncTaskResult::Refused);
    EXPECT_EQ(progress->finishedCount(), 1);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return device->IsDeviceRemoved(); }, 10000));
    // Nothing more is written to a device that went away.
    auto late = device->musicManager()->musics()->addByPath(harness->deviceFolder() + QStringLiteral("/late.mp3"));
    EXPECT_TRUE(!late || !late->write(localSource(QStringLiteral("late.mp3"), 10), {}));
}

std::string harnessName(const ::testing::TestParamInfo<std::pair<const char *, DeviceHarnessFactory>> &info)
{
    return info.param.first;
}

INSTANTIATE_TEST_SUITE_P(Backends, DeviceContract, ::testing::ValuesIn(deviceHarnesses()), harnessName);

} // namespace

std::vector<std::pair<const char *, DeviceHarnessFactory>> deviceHarnesses()
{
    return {
        {"fake", [] { return std::make_unique<FakeDeviceHarness>(); }},
        {"adb", [] { return std::make_unique<AdbDeviceHarness>(); }},
        {"volume", [] { return std::make_unique<VolumeDeviceHarness>(); }},
    };
}
