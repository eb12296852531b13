// Jobs: storage planning, names on the device, conversions, iOS groups, every end reported,
// and the queue starting each job once, in order.

#include "TransferFixtures.h"
#include "VolumeDeviceHarness.h"

#include "devices/VolumeBackend.h"
#include "devices/VolumeFileStore.h"

#include "devices/DeviceTypes.h"
#include "devices/StoreMediaManager.h"
#include "support/TestEnvironment.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferMediaTask.h"
#include "transfer/TransferTaskManager.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<TransferDataItem> rowFor(const QString &path)
{
    FileInfoItem info;
    info.setFilePath(path);
    return std::make_shared<TransferDataItem>(info);
}

bool runJob(const std::shared_ptr<TransferMediaTask> &job)
{
    std::atomic<bool> done{false};
    job->setConverterCompleted([&](const std::shared_ptr<TransferMediaTask> &) { done = true; });
    job->start();
    return TestEnvironment::waitFor([&] { return done.load(); }, 30000);
}

class Job : public ::testing::Test
{
protected:
    QString source(const QString &name, qint64 size = 1000) { return writeFile(sources.filePath(name), size); }
    QTemporaryDir sources;
};

TEST_F(Job, AFullCardSendsTheRestToTheBuiltInStorage)
{
    FakeDevice phone(DeviceTransferPlatform::Android, "10");
    auto script = phone.store->script();
    script.storages.externalCard = StorageMedium{64LL << 20, (64LL << 20) - (10LL << 20), "/storage/1A2B-3C4D", true};
    phone.store->setScript(script);
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(phone.device);
    job->addWithFileArray({source("a.mp3", 4 << 20), source("b.mp3", 4 << 20), source("c.mp3", 4 << 20)});
    const auto items = job->items();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->writeDestFilePath(), "/storage/1A2B-3C4D/Music/a.mp3");
    EXPECT_EQ(items[1]->writeDestFilePath(), "/storage/1A2B-3C4D/Music/b.mp3");
    EXPECT_EQ(items[2]->writeDestFilePath(), "/storage/emulated/0/Music/c.mp3");
    // "10" is newer than "4.4.1": the card is written through the system's card access.
    EXPECT_EQ(items[0]->writeSDCardStyle(), 2u);
    EXPECT_EQ(items[2]->writeSDCardStyle(), 1u);
    EXPECT_TRUE(job->systemNewerThan441());
    EXPECT_EQ(job->totalFileSize(), 12LL << 20);
}

TEST_F(Job, SystemVersionsCompareAsNumbers)
{
    struct Case { const char *version; bool newer; };
    for (const Case &c : {Case{"10", true}, Case{"4.4.1", false}, Case{"4.4.2", true}, Case{"4.2", false}, Case{"5", true}}) {
        FakeDevice phone(DeviceTransferPlatform::Android, QString::fromLatin1(c.version));
        TransferMediaTask job;
        job.setDestDevice(phone.device);
        job.reGetAllSdcardPathAndFreeSize();
        EXPECT_EQ(job.systemNewerThan441(), c.newer) << c.version;
    }
}

TEST_F(Job, NumberedNames)
{
    struct Strip { const char *name, *base; int number; };
    for (const Strip &c : {Strip{"clip(3)", "clip", 3}, Strip{"clip(x)", "clip(x)", 0}, Strip{"(3)", "(3)", 0},
                           Strip{"clip()", "clip()", 0}, Strip{"a(1)(2)", "a(1)", 2}, Strip{"plain", "plain", 0}}) {
        const auto [base, number] = TransferMediaTask::stripNumberedSuffix(QString::fromLatin1(c.name));
        EXPECT_EQ(base, c.base) << c.name;
        EXPECT_EQ(number, c.number) << c.name;
    }
    EXPECT_EQ(TransferMediaTask::getUnUsedDestFile("/M/clip(3).mp4"), "/M/clip(4).mp4");
    EXPECT_EQ(TransferMediaTask::getUnUsedDestFile("/M/clip.mp4"), "/M/clip(1).mp4");
    EXPECT_EQ(TransferMediaTask::getUnUsedDestFile("/M/clip(x).mp4"), "/M/clip(x)(1).mp4");

    FakeDevice phone(DeviceTransferPlatform::Android);
    TransferMediaTask job;
    job.setDestDevice(phone.device);
    EXPECT_EQ(job.getUnUsedFileName("/storage/emulated/0/Music/clip(3).mp3", -1, nullptr), "/storage/emulated/0/Music/clip(1).mp3");
    writeFile(phone.local("/storage/emulated/0/Music/clip(1).mp3"), 7);
    bool exists = true;
    EXPECT_EQ(job.getUnUsedFileName("/storage/emulated/0/Music/clip.mp3", 5, &exists), "/storage/emulated/0/Music/clip(2).mp3");
    EXPECT_FALSE(exists);
    EXPECT_EQ(job.getUnUsedFileName("/storage/emulated/0/Music/clip.mp3", 7, &exists), "/storage/emulated/0/Music/clip(1).mp3");
    EXPECT_TRUE(exists);

    writeFile(sources.filePath("l(2).txt"), 1);
    EXPECT_EQ(TransferMediaTask::getUnUsedLocalFileName(sources.filePath("l(2).txt")), sources.filePath("l(1).txt"));
    EXPECT_EQ(TransferMediaTask::getUnUsedLocalFileName(sources.filePath("free.txt")), sources.filePath("free.txt"));
}

TEST_F(Job, KindsAreWholeListEntries)
{
    struct Case { const char *path; int kind; };
    for (const Case &c : {Case{"a.mp4", 1}, Case{"a.MKV", 1}, Case{"a.mp3", 2}, Case{"a.png", 3}, Case{"a.pdd", 3},
                          Case{"x.p3", 0}, Case{"x.m", 0}, Case{"noextension", 0}, Case{"x.", 0}, Case{"x.4", 0}}) {
        EXPECT_EQ(TransferMediaTask::filePathMediaType(QString::fromLatin1(c.path)), c.kind) << c.path;
    }
}

TEST_F(Job, AnAviForAnAndroidPhoneIsConvertedIntoVideoAndNamesThatExistGetNumbers)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    writeFile(phone.local("/storage/emulated/0/Video/a.mp4"), 10);
    FakeConverter converter(true);
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(phone.device);
    auto rows = QList<std::shared_ptr<TransferDataItem>>{rowFor(source("a.avi")), rowFor(source("b.mp4")), rowFor(source("a.mp4"))};
    job->addWithTransferItemArray(rows);
    const auto items = job->items();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->writeDestFilePath(), "/storage/emulated/0/Video/a.mp4");
    EXPECT_TRUE(items[0]->isNeedConverter());
    EXPECT_FALSE(items[1]->isNeedConverter());
    EXPECT_EQ(rows[0]->transferItem(), items[0]);
    for (const auto &item : items)
        item->setConversionFactory(converter.factory());
    ASSERT_TRUE(runJob(job));
    EXPECT_EQ(items[0]->writeDestFilePath(), "/storage/emulated/0/Video/a(1).mp4");
    EXPECT_EQ(items[2]->writeDestFilePath(), "/storage/emulated/0/Video/a(2).mp4");
    for (const auto &item : items)
        EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusDone);
    for (const auto &row : rows)
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(converter.made().size(), 1);
    // The job's private folder is gone with the job's end.
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(converter.made()[0]->request().targetPath).path()));
    EXPECT_EQ(job->state(), TransferMediaTask::StateFinished);
}

TEST_F(Job, IosWritesAreCommittedInGroupsOfSixAndEveryItemEnds)
{
    for (const bool transactions : {true, false}) {
        FakeDevice phone(DeviceTransferPlatform::iOS, "17.2", transactions);
        auto job = std::make_shared<TransferMediaTask>();
        job->setDestDevice(phone.device);
        QList<std::shared_ptr<TransferDataItem>> rows;
        for (int i = 0; i < 13; ++i)
            rows << rowFor(source(QStringLiteral("t%1.mp3").arg(i)));
        job->addWithTransferItemArray(rows);
        ASSERT_TRUE(runJob(job));
        auto *music = static_cast<StoreMediaManager *>(phone.device->musicManager());
        if (transactions) {
            EXPECT_EQ(music->commitLog(), (QList<int>{6, 12, 13}));
        } else {
            EXPECT_TRUE(music->commitLog().isEmpty());
        }
        for (const auto &row : rows) {
            EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFinished) << transactions;
            EXPECT_EQ(row->percent(), 99);
        }
        EXPECT_TRUE(QFile::exists(phone.local("/Documents/Music/t12.mp3")));
    }
}

TEST_F(Job, UnknownRootsFallBackOnPhonesAndAreRefusedOnCarDevices)
{
    for (const quint32 platform : {DeviceTransferPlatform::Android, DeviceTransferPlatform::Car}) {
        FakeDevice device(platform);
        auto script = device.store->script();
        script.storages.card->StoreMediumrootPath.clear();
        device.store->setScript(script);
        auto job = std::make_shared<TransferMediaTask>();
        job->setDestDevice(device.device);
        auto row = rowFor(source("u.mp3"));
        job->addWithTransferItem(row);
        const auto item = job->items().value(0);
        ASSERT_TRUE(item);
        if (platform == DeviceTransferPlatform::Android) {
            EXPECT_EQ(item->writeDestFilePath(), "/storage/emulated/0/Music/u.mp3");
            continue;
        }
        EXPECT_TRUE(item->writeDestFilePath().isEmpty());
        ASSERT_TRUE(runJob(job));
        EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusFailed);
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFailed);
        EXPECT_EQ(device.device->writesStarted(), 0);
    }
}

TEST_F(Job, ACarDeviceTakesFilesUnderItsRoot)
{
    FakeDevice car(DeviceTransferPlatform::Car);
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(car.device);
    auto rows = QList<std::shared_ptr<TransferDataItem>>{rowFor(source("c.mp3")), rowFor(source("d.wav"))};
    job->addWithTransferItemArray(rows);
    ASSERT_TRUE(runJob(job));
    EXPECT_TRUE(QFile::exists(car.local("/storage/emulated/0/Music/c.mp3")));
    EXPECT_EQ(rows[1]->taskStatus(), DownloadedItem::TaskFinished);
}

TEST_F(Job, ARemovedDeviceEndsEveryRow)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto script = phone.store->script();
    script.removeAtPercent = 50;
    phone.store->setScript(script);
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(phone.device);
    QList<std::shared_ptr<TransferDataItem>> rows{rowFor(source("r1.mp3")), rowFor(source("r2.mp3")), rowFor(source("r3.mp3"))};
    job->addWithTransferItemArray(rows);
    ASSERT_TRUE(runJob(job));
    for (const auto &row : rows)
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFailed);
    EXPECT_EQ(job->items()[2]->errorText(), "IsDeviceRemoved");
}

TEST_F(Job, JobsAddedWhileOneRunsStartOnceEachInOrder)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    QSemaphore gate;
    QStringList order;
    QMutex orderLock;
    auto script = phone.store->script();
    script.onProgress = [&](const QString &path, int percent) {
        if (percent != 0)
            return;
        {
            QMutexLocker lock(&orderLock);
            order << QFileInfo(path).fileName();
        }
        if (path.endsWith("first.mp3"))
            gate.acquire();
    };
    phone.store->setScript(script);
    auto queue = std::make_shared<TransferTaskManager>();
    QList<std::shared_ptr<TransferMediaTask>> jobs;
    for (const char *name : {"first.mp3", "second.mp3", "third.mp3"}) {
        auto job = std::make_shared<TransferMediaTask>();
        job->setDestDevice(phone.device);
        job->addWithFile(source(QString::fromLatin1(name)));
        queue->addItem(job);
        queue->startTask(job);
        jobs << job;
        if (jobs.size() == 1) {
            ASSERT_TRUE(TestEnvironment::waitFor([&] { QMutexLocker l(&orderLock); return !order.isEmpty(); }));
        }
    }
    EXPECT_TRUE(jobs[0]->hasStarted());
    EXPECT_FALSE(jobs[1]->hasStarted());
    EXPECT_FALSE(jobs[2]->hasStarted());
    EXPECT_FALSE(jobs[0]->start());  // already running: never twice
    gate.release();
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        return std::all_of(jobs.begin(), jobs.end(), [](const auto &j) { return j->state() == TransferMediaTask::StateFinished; });
    }, 20000));
    EXPECT_EQ(order, (QStringList{"first.mp3", "second.mp3", "third.mp3"}));
    EXPECT_EQ(phone.device->writesStarted(), 3);
    EXPECT_EQ(queue->jobs().size(), 3);
}

} // namespace

namespace {

TEST_F(Job, AVolumeUnmountedMidCopyEndsTheRowAsFailed)
{
    VolumeDeviceHarness volume;
    auto car = VolumeBackend::makeDevice({volume.mountPoint(), "CAR DISK", "/dev/fake-sdz1"});
    auto store = std::dynamic_pointer_cast<VolumeFileStore>(car->storePointer());
    store->setChunkHook([&, done = false](int percent) mutable {
        if (percent >= 50 && !done) {
            done = true;
            volume.unmount();
            car->markRemoved();
        }
    });
    auto job = std::make_shared<TransferMediaTask>();
    job->setDestDevice(car);
    QList<std::shared_ptr<TransferDataItem>> rows{rowFor(source("big.mp3", 4 * VolumeFileStore::ChunkBytes)), rowFor(source("next.mp3"))};
    job->addWithTransferItemArray(rows);
    EXPECT_EQ(job->items()[0]->writeDestFilePath(), volume.mountPoint() + "/Music/big.mp3");
    ASSERT_TRUE(runJob(job));
    EXPECT_EQ(job->items()[0]->itemStatus(), TransferFileItem::StatusFailed);
    EXPECT_EQ(rows[0]->taskStatus(), DownloadedItem::TaskFailed);
    EXPECT_EQ(rows[1]->taskStatus(), DownloadedItem::TaskFailed);
    EXPECT_EQ(job->items()[1]->errorText(), "IsDeviceRemoved");
    EXPECT_FALSE(QFile::exists(volume.mountPoint() + "/Music/big.mp3"));
}

} // namespace
