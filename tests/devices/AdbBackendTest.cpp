// The adb back-end against the fake adb program: the device states, what reaches adb's
// argument vectors, storage, media scans and the screen commands.

#include "AdbDeviceHarness.h"
#include "DeviceTestSupport.h"

#include "devices/AdbBackend.h"
#include "devices/AdbFileStore.h"
#include "devices/AdbHelper.h"
#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/DeviceTypes.h"
#include "devices/IAsyncTask.h"
#include "devices/Dexmoor.h"
#include "devices/IMediaItem.h"
#include "devices/IMediaList.h"
#include "devices/IMediaManager.h"
#include "devices/IMobileDevice.h"
#include "devices/StoreMobileDevice.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(AdbTrackDevices, BlocksAreTakenWhenCompleteOnly)
{
    QByteArray buffer("0019SER1\tdevice\nSER2\toffline\n00");
    auto lists = AdbBackend::takeDeviceLists(buffer);
    ASSERT_EQ(lists.size(), 1);
    EXPECT_EQ(lists[0].value("SER1"), "device");
    EXPECT_EQ(lists[0].value("SER2"), "offline");
    EXPECT_EQ(buffer, "00");
    buffer += "00";
    lists = AdbBackend::takeDeviceLists(buffer);
    ASSERT_EQ(lists.size(), 1);
    EXPECT_TRUE(lists[0].isEmpty());
    QByteArray junk("zzzz");
    EXPECT_TRUE(AdbBackend::takeDeviceLists(junk).isEmpty());
    EXPECT_TRUE(junk.isEmpty());
}

TEST(AdbTrackDevices, AHugeListingIsCutToTheCap)
{
    // As many serials as one block's four-digit length can carry.
    QByteArray lines;
    int serials = 0;
    while (true) {
        const QByteArray line = QByteArray("S") + QByteArray::number(serials).rightJustified(6, '0') + "\tdevice\n";
        if (lines.size() + line.size() > 0xffff)
            break;
        lines += line;
        ++serials;
    }
    ASSERT_GT(serials, 4000);
    QByteArray buffer = QByteArray::number(lines.size(), 16).rightJustified(4, '0') + lines;
    const auto lists = AdbBackend::takeDeviceLists(buffer);
    ASSERT_EQ(lists.size(), 1);
    EXPECT_EQ(lists[0].size(), AdbBackend::MaxDevicesPerListing);
    // The first ones of the listing, in its order.
    EXPECT_TRUE(lists[0].contains("S000000"));
    EXPECT_TRUE(lists[0].contains("S000063"));
    EXPECT_FALSE(lists[0].contains("S000064"));
}

TEST(AdbTrackDevices, StatesMapToConnectionStatuses)
{
    EXPECT_EQ(AdbBackend::statusForState("device"), DeviceConnectionStatus::Connected);
    EXPECT_EQ(AdbBackend::statusForState("unauthorized"), DeviceConnectionStatus::WaitingForTrust);
    for (const char *failed : {"offline", "recovery", "sideload", "bootloader", "no permissions"})
        EXPECT_EQ(AdbBackend::statusForState(QString::fromLatin1(failed)), DeviceConnectionStatus::Failed) << failed;
}

TEST(AdbHelperQuoting, QuotedTextComesBackWordForWordFromAShell)
{
    for (const QString &text : {QStringLiteral("a b'$(touch x);.mp3"), QStringLiteral("'"), QStringLiteral("`id`\\\"$HOME\""),
                                QString()}) {
        QTemporaryDir dir;
        const auto out = [&] {
            QProcess sh;
            sh.setWorkingDirectory(dir.path());
            sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("printf %s ") + AdbHelper::shellQuote(text)});
            sh.waitForFinished();
            return QString::fromUtf8(sh.readAllStandardOutput());
        }();
        EXPECT_EQ(out, text);
        EXPECT_TRUE(QDir(dir.path()).isEmpty());
    }
}

TEST(AdbStorage, DfLinesGiveTotalsAndFreeSpace)
{
    const auto medium = AdbFileStore::parseDfLine(
        QStringLiteral("Filesystem 1K-blocks Used Available Use% Mounted on\n/dev/fuse 1000 300 600 40% /storage/emulated/0\n"),
        QStringLiteral("/storage/emulated/0"));
    ASSERT_TRUE(medium.has_value());
    EXPECT_EQ(medium->total, 1000 * 1024);
    EXPECT_EQ(medium->freeBytes(), 600 * 1024);
    EXPECT_FALSE(AdbFileStore::parseDfLine(QStringLiteral("df: /x: No such file or directory"), QStringLiteral("/x")));
}

class AdbPhone : public ::testing::Test
{
protected:
    void SetUp() override
    {
        manager.addDeletegate(recorder);
        manager.addBackend(harness.backend());
    }
    void TearDown() override { manager.stopListen(); }

    std::shared_ptr<IMobileDevice> waitForDevice()
    {
        manager.startDexmoorListen();
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return !recorder->inserted().isEmpty(); }, 10000));
        return recorder->inserted().value(0);
    }

    AdbDeviceHarness harness;
    Dexmoor manager;
    std::shared_ptr<RecordingDeviceMgr> recorder = std::make_shared<RecordingDeviceMgr>();
};

TEST_F(AdbPhone, UnauthorizedWaitsForTheUserThenConnects)
{
    harness.setState("unauthorized");
    auto device = waitForDevice();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->connectionStatus(), DeviceConnectionStatus::WaitingForTrust);
    EXPECT_FALSE(device->IsOnline());
    std::atomic<int> ready{0};
    device->waitReady(2, device, [&] { ++ready; return true; });
    harness.setState("device");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ready == 1; }, 10000));
    EXPECT_TRUE(device->IsOnline());
    EXPECT_EQ(device->deviceInfo()->displayName(), "Pixel Test");
    EXPECT_EQ(device->deviceInfo()->OSVersion(), "13");

    harness.setState("offline");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return device->connectionStatus() == DeviceConnectionStatus::Failed; }, 10000));
    EXPECT_FALSE(device->IsDeviceRemoved());
    device->connect();  // asks adb again
    EXPECT_EQ(device->connectionStatus(), DeviceConnectionStatus::Failed);
}

TEST_F(AdbPhone, PathsReachTheShellQuotedAndPushVerbatimAndTheFileIsScanned)
{
    harness.setState("device");
    auto device = waitForDevice();
    ASSERT_TRUE(device);
    QTemporaryDir src;
    QFile f(src.filePath("s.mp3"));
    f.open(QIODevice::WriteOnly);
    f.write("abc");
    f.close();
    const QString target = QStringLiteral("/storage/emulated/0/Music/a b'$(touch x);.mp3");
    auto media = device->musicManager()->musics()->addByPath(target);
    ASSERT_TRUE(media);
    auto task = media->write(f.fileName(), {});
    ASSERT_TRUE(task && task->waitDone(20000));
    EXPECT_EQ(task->result(), AsyncTaskResult::Done);

    bool sawPush = false, sawMkdir = false;
    for (const QStringList &argv : harness.calls()) {
        if (argv.value(2) == QLatin1String("push")) {
            sawPush = true;
            EXPECT_EQ(argv, (QStringList{"-s", "FAKEADB01", "push", f.fileName(), target}));
        }
        if (argv.value(2) == QLatin1String("shell")) {
            ASSERT_EQ(argv.size(), 4) << argv.join('|').toStdString();  // the device command is one argument
            if (argv[3].startsWith("mkdir")) {
                sawMkdir = true;
                EXPECT_EQ(argv[3], "mkdir -p '/storage/emulated/0/Music'");
            }
        }
    }
    EXPECT_TRUE(sawPush);
    EXPECT_TRUE(sawMkdir);
    QFile broadcasts(harness.root() + "/broadcasts");
    ASSERT_TRUE(broadcasts.open(QIODevice::ReadOnly));
    EXPECT_EQ(broadcasts.readAll(),
              "broadcast -a android.intent.action.MEDIA_SCANNER_SCAN_FILE -d "
              "file:///storage/emulated/0/Music/a%20b'$(touch%20x);.mp3\n");
}

TEST_F(AdbPhone, APushThatStopsMakingProgressIsEndedAndItsAdbWithIt)
{
    StoreMobileDevice::setStallTimeoutMs(400);
    harness.setState("device");
    auto device = waitForDevice();
    ASSERT_TRUE(device);
    QTemporaryDir src;
    QFile f(src.filePath("s.mp3"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(64 * 1024, 'a'));
    f.close();
    TestEnvironment::writeFile(harness.root() + "/stall-push", "");
    auto media = device->musicManager()->musics()->addByPath(QStringLiteral("/storage/emulated/0/Music/s.mp3"));
    ASSERT_TRUE(media);
    auto progress = std::make_shared<RecordingTaskDelegate>();
    auto task = media->write(f.fileName(), progress);
    ASSERT_TRUE(task && task->waitDone(30000));
    StoreMobileDevice::setStallTimeoutMs(StoreMobileDevice::DefaultStallTimeoutMs);
    EXPECT_EQ(task->result(), AsyncTaskResult::Stalled);
    EXPECT_EQ(progress->finishedCount(), 1);
    EXPECT_TRUE(progress->progress().contains(10));
    // The adb that hung is gone with the write.
    QFile pidFile(harness.root() + "/push.pid");
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toLongLong());
    ASSERT_GT(pid, 0);
    EXPECT_NE(::kill(pid, 0), 0);
}

TEST_F(AdbPhone, APhoneThatNeverAnswersItsPropertiesIsNamedByItsSerialInTime)
{
    AdbBackend::setPropertyTimeoutMs(300);
    TestEnvironment::writeFile(harness.root() + "/hang-getprop", "");
    harness.setState("device");
    auto device = waitForDevice();
    AdbBackend::setPropertyTimeoutMs(AdbBackend::DefaultPropertyTimeoutMs);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->deviceInfo()->displayName(), "FAKEADB01");
    // The query that hung is gone, not left behind.
    QFile pidFile(harness.root() + "/getprop.pid");
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toLongLong());
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(TestEnvironment::waitFor([pid] { return ::kill(pid, 0) != 0; }, 5000));
}

TEST_F(AdbPhone, AHugeListingTakesTheCapAndStoppingDoesNotWaitForTheRest)
{
    QByteArray devices;
    for (int i = 0; i < 4000; ++i)
        devices += "S" + QByteArray::number(i).rightJustified(6, '0') + " device\n";
    ASSERT_TRUE(TestEnvironment::writeFile(harness.root() + "/devices", devices));
    manager.startDexmoorListen();
    // The first phone is being set up: the listing has arrived.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !recorder->inserted().isEmpty(); }, 20000));
    manager.stopListen();
    const int seen = recorder->inserted().size();
    EXPECT_LE(seen, AdbBackend::MaxDevicesPerListing);
    int getprops = 0;
    for (const QStringList &argv : harness.calls())
        getprops += argv.value(3) == QLatin1String("getprop");
    // One property query per phone taken, none after the stop.
    EXPECT_LE(getprops, seen + 1);
}

TEST_F(AdbPhone, ARemovableCardIsFoundBesideTheBuiltInStorage)
{
    QDir().mkpath(harness.root() + "/phone/FAKEADB01/storage/1A2B-3C4D");
    QDir().mkpath(harness.root() + "/phone/FAKEADB01/storage/self");
    harness.setState("device");
    auto device = waitForDevice();
    ASSERT_TRUE(device);
    ASSERT_TRUE(device->deviceStorageInfos()->load(0)->waitDone(10000));
    const auto snapshot = device->deviceStorageInfos()->snapshot();
    ASSERT_TRUE(snapshot.card && snapshot.externalCard);
    EXPECT_EQ(snapshot.card->StoreMediumrootPath, "/storage/emulated/0");
    EXPECT_EQ(snapshot.externalCard->StoreMediumrootPath, "/storage/1A2B-3C4D");
    EXPECT_EQ(snapshot.card->freeBytes(), 10485760LL * 1024);
}

TEST_F(AdbPhone, FixedCommandsRunAsWordsAndAnswerWithTheirOutput)
{
    harness.setState("device");
    EXPECT_EQ(AdbHelper::pipeExecuteCmd("shell settings put system screen_off_timeout 300000", "FAKEADB01"), "");
    EXPECT_EQ(AdbHelper::pipeExecuteCmd("shell settings get system screen_off_timeout", "FAKEADB01"), "300000");
    EXPECT_NE(AdbHelper::pipeExecuteCmd("shell input keyevent 224", "NOSUCHPHONE"), "");
}

} // namespace
