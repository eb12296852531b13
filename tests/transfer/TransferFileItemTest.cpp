// One file to one device: checks before the write, progress through conversion and write,
// the device's results, stops, and the private folder for converted files.

#include "TransferFixtures.h"

#include "devices/DeviceTypes.h"
#include "support/TestEnvironment.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FileItem : public ::testing::Test
{
protected:
    // Runs startTransfer on a pool thread (as the job does) and waits, keeping the main loop
    // turning for conversions started there.
    void runItem(const std::shared_ptr<TransferFileItem> &item)
    {
        std::atomic<bool> done{false};
        dispatch::global(dispatch::Priority::Default, [&] {
            item->startTransfer();
            done = true;
        });
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return done.load(); }, 20000));
    }

    std::shared_ptr<TransferFileItem> makeItem(FakeDevice &device, const QString &name, qint64 size, bool video,
                                               const QString &dest)
    {
        const QString path = writeFile(sources.filePath(name), size);
        auto item = video ? TransferFileItem::initWithVideoFilePath(path) : TransferFileItem::initWithAudioFilePath(path);
        item->setDestMobileDevice(device.device);
        item->setWriteDestFilePath(dest);
        item->setFileSize(QFileInfo(path).size());
        item->addDelegate(reports);
        return item;
    }

    SteppingClock clock{300};  // every reading is past the throttle
    ClockScope clockScope{&clock};
    QTemporaryDir sources;
    std::shared_ptr<RecordingItemDelegate> reports = std::make_shared<RecordingItemDelegate>();
};

TEST_F(FileItem, AnEmptyFileEndsWithoutTouchingTheDevice)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto item = makeItem(phone, "empty.mp3", 0, false, "/storage/emulated/0/Music/empty.mp3");
    runItem(item);
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusEmptyOrRefused);
    EXPECT_EQ(item->errorText(), "fileSize<1");
    EXPECT_EQ(reports->ends(), 1);
    EXPECT_EQ(phone.device->writesStarted(), 0);
    EXPECT_FALSE(QFile::exists(phone.local("/storage/emulated/0/Music/empty.mp3")));
}

TEST_F(FileItem, APlayableFileIsWrittenAsItIsWithProgressToOneHundred)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto item = makeItem(phone, "song.mp3", 50000, false, "/storage/emulated/0/Music/song.mp3");
    runItem(item);
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusDone);
    EXPECT_EQ(reports->ends(), 1);
    const QList<int> seen = reports->progress();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), 0);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(QFileInfo(phone.local("/storage/emulated/0/Music/song.mp3")).size(), 50000);
}

TEST_F(FileItem, AConvertedFileRunsToFiftyThenToOneHundredAndItsCopyIsDeleted)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    QTemporaryDir jobFolder;
    FakeConverter converter(false);
    auto item = makeItem(phone, "clip.avi", 40000, true, "/storage/emulated/0/Video/clip.mp4");
    item->setIsNeedConverter(true);
    item->setTempFolder(jobFolder.path());
    item->setConversionFactory(converter.factory());
    std::atomic<bool> done{false};
    dispatch::global(dispatch::Priority::Default, [&] { item->startTransfer(); done = true; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !converter.made().isEmpty() && converter.made()[0]->started(); }));
    auto conversion = converter.made()[0];
    EXPECT_GE(conversion->request().taskID, 900001u);
    EXPECT_EQ(QFileInfo(conversion->request().targetPath).dir().path(), jobFolder.path());
    EXPECT_EQ(QFileInfo(conversion->request().targetPath).fileName(), "clip.mp4");
    conversion->progress(0);
    conversion->progress(40);
    conversion->progress(100);
    EXPECT_TRUE(QDir(jobFolder.path()).isEmpty());
    conversion->finish(ConvertJob::Finished);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return done.load(); }, 20000));

    const QList<int> seen = reports->progress();
    const qsizetype fifty = seen.indexOf(50);
    ASSERT_GE(fifty, 0);
    EXPECT_EQ(seen.mid(0, 3), (QList<int>{0, 20, 50}));
    for (int p : seen.mid(fifty))
        EXPECT_GE(p, 50);
    EXPECT_EQ(seen.last(), 100);
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusDone);
    EXPECT_EQ(QFileInfo(phone.local("/storage/emulated/0/Video/clip.mp4")).size(), 40000);
    EXPECT_TRUE(QDir(jobFolder.path()).isEmpty()) << "the converted copy stays behind";
}

TEST_F(FileItem, ConversionNumbersComeFromOneCounterAbove900000)
{
    const quint32 a = TransferFileItem::nextConversionTaskID();
    const quint32 b = TransferFileItem::nextConversionTaskID();
    EXPECT_GE(a, 900001u);
    EXPECT_EQ(b, a + 1);
}

TEST_F(FileItem, ProgressIsThrottledOnTheMonotonicClock)
{
    clock.setStep(0);
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto item = makeItem(phone, "t.mp3", 1000, false, "/storage/emulated/0/Music/t.mp3");
    runItem(item);
    // The first report passes, those within 240 ms do not; the end is never throttled.
    EXPECT_EQ(reports->progress(), (QList<int>{0, 100}));
}

TEST_F(FileItem, DeviceResultsDecideTheStatusAndTheEnd)
{
    struct Case
    {
        std::optional<std::optional<int>> forced;
        quint32 status;
        int ends;
        const char *reason = nullptr;
    };
    const Case cases[] = {
        {std::optional<int>(1), TransferFileItem::StatusDone, 1},
        {std::optional<int>(3), TransferFileItem::StatusDeviceResult3, 1},
        {std::optional<int>(4), TransferFileItem::StatusDeviceResult4, 1},
        {std::optional<int>(0), TransferFileItem::StatusFailed, 1},
        {std::optional<int>(2), TransferFileItem::StatusFailed, 1},
        // No result object is no proof of success.
        {std::optional<int>(), TransferFileItem::StatusFailed, 1},
        // 5: ignore this report; the status stays "writing".
        {std::optional<int>(5), TransferFileItem::StatusWriting, 0},
        // A write the device stopped answering was ended by the device layer.
        {std::optional<int>(AsyncTaskResult::Stalled), TransferFileItem::StatusFailed, 1, "The device stopped responding"},
    };
    int n = 0;
    for (const Case &c : cases) {
        FakeDevice phone(DeviceTransferPlatform::Android);
        auto script = phone.store->script();
        script.forcedResult = c.forced;
        phone.store->setScript(script);
        reports = std::make_shared<RecordingItemDelegate>();
        auto item = makeItem(phone, QStringLiteral("r%1.mp3").arg(n), 100, false,
                             QStringLiteral("/storage/emulated/0/Music/r%1.mp3").arg(n));
        ++n;
        runItem(item);
        EXPECT_EQ(item->itemStatus(), c.status) << n;
        EXPECT_EQ(reports->ends(), c.ends) << n;
        if (c.reason) {
            EXPECT_EQ(TransferDataItem::failureReasonText(item->errorText()), QString::fromLatin1(c.reason)) << n;
        }
    }
}

TEST_F(FileItem, ADeviceGoneOrOfflineFailsTheItemAndReportsItsEnd)
{
    for (const bool removed : {true, false}) {
        FakeDevice phone(DeviceTransferPlatform::Android);
        reports = std::make_shared<RecordingItemDelegate>();
        auto item = makeItem(phone, "g.mp3", 100, false, "/storage/emulated/0/Music/g.mp3");
        if (removed)
            phone.device->markRemoved();
        else
            phone.device->setConnectionStatus(DeviceConnectionStatus::Failed);
        runItem(item);
        EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusFailed);
        EXPECT_EQ(item->errorText(), removed ? "IsDeviceRemoved" : "IsDeviceOffline");
        EXPECT_EQ(reports->ends(), 1);
    }
}

TEST_F(FileItem, OfflineInTheMiddleOfTheWriteFailsIt)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto script = phone.store->script();
    script.offlineAtPercent = 50;
    phone.store->setScript(script);
    auto item = makeItem(phone, "m.mp4", 1000, true, "/storage/emulated/0/Video/m.mp4");
    runItem(item);
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusFailed);
    EXPECT_EQ(reports->ends(), 1);
}

TEST_F(FileItem, NoWriteTaskEndsAudioWith14AndVideoWith16AndBothReportTheirEnd)
{
    for (const bool video : {false, true}) {
        FakeDevice phone(DeviceTransferPlatform::Android);
        auto script = phone.store->script();
        script.refuseWrites = true;
        phone.store->setScript(script);
        reports = std::make_shared<RecordingItemDelegate>();
        auto item = makeItem(phone, video ? "v.mp4" : "a.mp3", 10, video,
                             video ? "/storage/emulated/0/Video/v.mp4" : "/storage/emulated/0/Music/a.mp3");
        runItem(item);
        EXPECT_EQ(item->itemStatus(), video ? TransferFileItem::StatusFailed : TransferFileItem::StatusEmptyOrRefused);
        EXPECT_EQ(reports->ends(), 1);
    }
}

TEST_F(FileItem, OnIosTheLastReportIs99AndTheEndComesOnceFromTheJob)
{
    FakeDevice phone(DeviceTransferPlatform::iOS);
    auto item = makeItem(phone, "i.mp3", 1000, false, QString());
    runItem(item);
    item->waitWriteDone();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return reports->progress().value(reports->progress().size() - 1) == 99; }));
    EXPECT_FALSE(reports->progress().contains(100));
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusDone);
    EXPECT_EQ(reports->ends(), 0);
    item->sendItemFinished();
    item->sendItemFinished();
    EXPECT_EQ(reports->ends(), 1);
    EXPECT_TRUE(QFile::exists(phone.local("/Documents/Music/i.mp3")));
}

TEST_F(FileItem, StoppingDuringConversionEndsWith12)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    FakeConverter converter(false);
    auto item = makeItem(phone, "s.avi", 1000, true, "/storage/emulated/0/Video/s.mp4");
    item->setIsNeedConverter(true);
    item->setConversionFactory(converter.factory());
    std::atomic<bool> done{false};
    dispatch::global(dispatch::Priority::Default, [&] { item->startTransfer(); done = true; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !converter.made().isEmpty() && converter.made()[0]->started(); }));
    item->stopTransfer();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return done.load(); }, 5000));
    EXPECT_TRUE(item->isStop());
    EXPECT_EQ(converter.made()[0]->taskStatus(), ConvertJob::StoppedByUser);
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusConversionFailed);
    EXPECT_EQ(item->errorText(), "conversion failed");
    EXPECT_EQ(reports->ends(), 1);
    EXPECT_EQ(phone.device->writesStarted(), 0);
}

TEST_F(FileItem, AFailedConversionHasItsOwnReason)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    FakeConverter converter(false);
    auto item = makeItem(phone, "f.avi", 1000, true, "/storage/emulated/0/Video/f.mp4");
    item->setIsNeedConverter(true);
    item->setConversionFactory(converter.factory());
    std::atomic<bool> done{false};
    dispatch::global(dispatch::Priority::Default, [&] { item->startTransfer(); done = true; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !converter.made().isEmpty() && converter.made()[0]->started(); }));
    converter.made()[0]->finish(ConvertJob::StoppedByFailure);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return done.load(); }, 5000));
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusConversionFailed);
    EXPECT_EQ(item->errorText(), "conversion failed");
    EXPECT_EQ(reports->ends(), 1);
}

TEST_F(FileItem, OtherFilesAreRefusedAtOnce)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto item = TransferFileItem::initWithOtherFilePath(writeFile(sources.filePath("x.p3"), 10));
    item->setDestMobileDevice(phone.device);
    item->addDelegate(reports);
    item->startTransfer();
    EXPECT_EQ(item->itemStatus(), TransferFileItem::StatusFailed);
    EXPECT_EQ(item->errorText(), "unsurport file");
    EXPECT_EQ(reports->ends(), 1);
}

} // namespace
