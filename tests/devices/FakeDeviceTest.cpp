// The scripted device itself, the manager's filter, versions and task semantics.

#include "DeviceTestSupport.h"
#include "FakeDeviceHarness.h"

#include "devices/AsyncTask.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/IMediaItem.h"
#include "devices/IMediaList.h"
#include "devices/MobileDeviceDelegate.h"
#include "devices/StoreMediaManager.h"
#include "devices/Version.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString makeFile(const QTemporaryDir &dir, const QString &name, int size)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(size, 'v'));
    return f.fileName();
}

TEST(Version, ComparesComponentsAsNumbers)
{
    struct Case { const char *a, *b; int expected; };
    const Case cases[] = {
        {"10", "4.4.1", 1}, {"4.4.1", "10", -1}, {"4.4.2", "4.4.1", 1}, {"4.2", "4.2", 0},
        {"4.2.0", "4.2", 0}, {"4.10", "4.9", 1}, {"5.0-rc1", "4.4.4", 1}, {"", "4.2", -1},
        {"garbage", "0", 0}, {"4.4W", "4.4", 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Version::createFromString(QString::fromLatin1(c.a)).compare(Version::createFromString(QString::fromLatin1(c.b))),
                  c.expected)
            << c.a << " vs " << c.b;
    }
}

TEST(DexmoorFilter, AndroidAndIosFilterStillReportsCarDevices)
{
    struct Case { quint32 filter, platform; bool accepted; };
    const Case cases[] = {
        {3, 1, true}, {3, 2, true}, {3, 48, true}, {3, 64, false}, {1, 2, false}, {0, 64, true}, {2, 48, true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Dexmoor::filterAccepts(c.filter, c.platform), c.accepted) << c.filter << "/" << c.platform;
}

TEST(DexmoorFilter, FilteredDevicesNeverReachDelegates)
{
    Dexmoor manager;
    manager.setPlatformFilter(2);
    auto recorder = std::make_shared<RecordingDeviceMgr>();
    manager.addDeletegate(recorder);
    FakeDeviceHarness android;
    manager.addBackend(android.backend());
    manager.startDexmoorListen();
    android.plug();
    // A second device behind it on the same thread proves the first one was looked at.
    QTemporaryDir iosDir;
    auto setup = FakeDeviceHarness::androidSetup();
    setup.info.OSPlatform = DeviceTransferPlatform::iOS;
    auto ios = FakeDeviceBackend::makeDevice(std::make_shared<FakeFileStore>(iosDir.path()), setup);
    std::static_pointer_cast<FakeDeviceBackend>(android.backend())->plug(ios);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !recorder->inserted().isEmpty(); }));
    EXPECT_EQ(recorder->inserted(), QList<std::shared_ptr<IMobileDevice>>{ios});
    manager.stopListen();
}

TEST(AsyncTask, WaitersWakeAfterTheDelegateHeardTheEndOnce)
{
    auto delegate = std::make_shared<RecordingTaskDelegate>();
    auto task = AsyncTask::run(delegate, [](AsyncTask &t) -> std::optional<int> {
        t.setProgress(40);
        t.finish(3);  // an early end wins over the returned value
        return 1;
    });
    ASSERT_TRUE(task->waitDone(5000));
    EXPECT_EQ(delegate->finishedCount(), 1);
    EXPECT_EQ(task->result(), 3);
    EXPECT_EQ(delegate->progress(), QList<int>{40});
    EXPECT_FALSE(AsyncTask::finished(std::nullopt)->result().has_value());
}

class FakeWrites : public ::testing::Test
{
protected:
    FakeDeviceHarness fake;
    QTemporaryDir dir;

    std::shared_ptr<IAsyncTask> writeOne(const QString &name, std::shared_ptr<RecordingTaskDelegate> delegate = {})
    {
        auto media = fake.device()->musicManager()->musics()->addByPath(QStringLiteral("/storage/emulated/0/Music/") + name);
        if (!media)
            return nullptr;
        return media->write(makeFile(dir, name, 5000), delegate);
    }
};

TEST_F(FakeWrites, ScriptedResultsReachTheTask)
{
    struct Case { std::optional<std::optional<int>> forced; std::optional<int> expected; };
    const Case cases[] = {
        {std::nullopt, 1}, {std::optional<int>(5), 5}, {std::optional<int>(), std::nullopt},
        {std::optional<int>(3), 3}, {std::optional<int>(4), 4}, {std::optional<int>(2), 2},
    };
    int n = 0;
    for (const Case &c : cases) {
        auto script = fake.store()->script();
        script.forcedResult = c.forced;
        fake.store()->setScript(script);
        auto task = writeOne(QStringLiteral("r%1.mp3").arg(n++));
        ASSERT_TRUE(task);
        ASSERT_TRUE(task->waitDone(5000));
        EXPECT_EQ(task->result(), c.expected) << n;
    }
}

TEST_F(FakeWrites, GoingOfflineMidWriteFailsIt)
{
    auto script = fake.store()->script();
    script.offlineAtPercent = 50;
    fake.store()->setScript(script);
    auto delegate = std::make_shared<RecordingTaskDelegate>();
    auto task = writeOne(QStringLiteral("o.mp3"), delegate);
    ASSERT_TRUE(task && task->waitDone(5000));
    EXPECT_EQ(task->result(), AsyncTaskResult::Failed);
    EXPECT_FALSE(fake.device()->IsOnline());
    EXPECT_FALSE(fake.device()->IsDeviceRemoved());
    EXPECT_EQ(delegate->progress(), (QList<int>{0, 0, 25}));
}

TEST_F(FakeWrites, ARefusingDeviceGivesNoTask)
{
    auto script = fake.store()->script();
    script.refuseWrites = true;
    fake.store()->setScript(script);
    EXPECT_FALSE(writeOne(QStringLiteral("n.mp3")));
}

TEST_F(FakeWrites, WritesRunInOrderAndACommitWaitsForThem)
{
    QStringList order;
    QMutex orderLock;
    auto script = fake.store()->script();
    script.onProgress = [&](const QString &path, int percent) {
        if (percent == 0) {
            QMutexLocker lock(&orderLock);
            order << path.section(QLatin1Char('/'), -1);
        }
    };
    fake.store()->setScript(script);
    QList<std::shared_ptr<IAsyncTask>> tasks;
    for (int i = 0; i < 5; ++i)
        tasks << writeOne(QStringLiteral("w%1.mp3").arg(i));
    auto *music = static_cast<StoreMediaManager *>(fake.device()->musicManager());
    music->beginTransaction();
    auto commit = music->commit({});
    ASSERT_TRUE(commit->waitDone(10000));
    for (const auto &task : tasks)
        EXPECT_TRUE(task->isDone());
    EXPECT_EQ(order, (QStringList{"w0.mp3", "w1.mp3", "w2.mp3", "w3.mp3", "w4.mp3"}));
    EXPECT_EQ(music->commitLog(), QList<int>{5});
}

class RecordingDeviceDelegate : public MobileDeviceDelegate
{
public:
    std::atomic<int> begun{0}, ended{0}, disconnected{0};
    void mobileDeviceBeginConnected(const Device &) override { ++begun; }
    void mobileDeviceEndConnected(const Device &) override { ++ended; }
    void mobileDeviceDisConnected(const Device &) override { ++disconnected; }
};

TEST(FakeConnection, ConnectReportsTheStatusAndWaitReadyRunsOnceAllowed)
{
    QTemporaryDir dir;
    auto setup = FakeDeviceHarness::androidSetup();
    setup.connectionStatus = DeviceConnectionStatus::Connecting;
    setup.connector = [] { return DeviceConnectionStatus::WaitingForTrust; };
    auto device = FakeDeviceBackend::makeDevice(std::make_shared<FakeFileStore>(dir.path()), setup);
    auto delegate = std::make_shared<RecordingDeviceDelegate>();
    device->setDeviceDelegate(delegate);
    device->connect();
    EXPECT_EQ(delegate->begun, 1);
    EXPECT_EQ(delegate->ended, 1);
    EXPECT_EQ(device->connectionStatus(), DeviceConnectionStatus::WaitingForTrust);
    EXPECT_FALSE(device->IsOnline());

    int ready = 0;
    device->waitReady(2, device, [&] { ++ready; return true; });
    EXPECT_EQ(ready, 0);
    device->setConnectionStatus(DeviceConnectionStatus::Connected);
    EXPECT_EQ(ready, 1);
    device->setConnectionStatus(DeviceConnectionStatus::Connected);
    EXPECT_EQ(ready, 1);
    EXPECT_TRUE(device->IsOnline());

    device->markRemoved();
    device->markRemoved();
    EXPECT_EQ(delegate->disconnected, 1);
    device->waitReady(2, device, [&] { ++ready; return true; });
    EXPECT_EQ(ready, 1);
}

} // namespace
