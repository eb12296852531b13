#include "LibraryFixtures.h"

#include "downloads/ConvertFollowUpServices.h"
#include "downloads/ConvertJob.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemObserver.h"
#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <thread>

using namespace LibraryFixtures;

namespace {

class FakeJob : public ConvertJob
{
public:
    void setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate> d) override { delegate = std::move(d); }
    qint32 taskStatus() const override { return status; }
    qint64 remainTime() const override { return remain; }
    QString sourceFilePath() const override { return source; }
    QString targetFilePath() const override { return target; }
    double targetResolution() const override { return resolution; }
    qint64 targetFileSize() const override { return size; }

    void finish(qint32 endStatus)
    {
        status = endStatus;
        if (auto d = delegate.lock())
            d->convertTaskDidFinished(*this);
    }

    std::weak_ptr<TBVideoConvertTaskDelegate> delegate;
    qint32 status = Waiting;
    qint64 remain = 0;
    QString source;
    QString target;
    double resolution = 480.7;
    qint64 size = 1;
};

struct Recorder : DownloadedItemObserver
{
    void taskDidChangeState(DownloadedItem &) override { ++states; }
    void taskDidChangeProgress(DownloadedItem &, qint32 percent) override { progress.append(percent); }
    void fileInfoItemDataChange(DownloadedItem &) override { ++dataChanges; }
    int states = 0;
    int dataChanges = 0;
    QList<qint32> progress;
};

struct RecordingServices : ConvertFollowUpServices
{
    void collectConvertComplete(bool) override { ++completes; }
    void collectConvertState(const QString &state) override { states.append(state); }
    void collectConvertFailedFormat(const QString &format) override { formats.append(format); }
    void addFileToItunes(const QString &path) override { itunes.append(path); }
    int completes = 0;
    QStringList states, formats, itunes;
};

QString trashFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

int trashedCount()
{
    return QDir(trashFolder() + QStringLiteral("/files")).entryList(QDir::Files | QDir::NoDotAndDotDot).size();
}

// Makes every move to the Trash fail while it lives: the Trash folder cannot be made.
struct BrokenTrash
{
    BrokenTrash()
    {
        QDir(trashFolder()).removeRecursively();
        QDir().mkpath(QFileInfo(trashFolder()).path());
        writeFile(trashFolder(), "not a folder");
    }
    ~BrokenTrash() { QFile::remove(trashFolder()); }
};

class DownloadedItemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = freshFolder(QStringLiteral("media"));
        services = RecordingServices();
        DownloadedItem::setFollowUpServices(&services);
        item = std::make_shared<DownloadedItem>();
        job = std::make_shared<FakeJob>();
    }
    void TearDown() override { DownloadedItem::setFollowUpServices(nullptr); }

    QString folder;
    RecordingServices services;
    std::shared_ptr<DownloadedItem> item;
    std::shared_ptr<FakeJob> job;
};

} // namespace

TEST_F(DownloadedItemTest, ObserversAreKeptOnceAndNeverCalledAfterTheyAreGone)
{
    auto first = std::make_shared<Recorder>();
    auto second = std::make_shared<Recorder>();
    item->addDelegate(first);
    item->addDelegate(first);
    item->addDelegate(second);
    EXPECT_EQ(item->delegateCount(), 2);

    item->sendTaskDidChangeState();
    item->sendTaskProgressChanged(12);
    item->sendFileInfoItemDataChange();
    EXPECT_EQ(first->states, 1);
    EXPECT_EQ(first->progress, QList<qint32>{12});
    EXPECT_EQ(first->dataChanges, 1);

    // A destroyed observer is dropped, not called.
    std::weak_ptr<Recorder> watch = second;
    second.reset();
    EXPECT_TRUE(watch.expired());
    item->sendTaskDidChangeState();
    EXPECT_EQ(item->delegateCount(), 1);
    EXPECT_EQ(first->states, 2);

    item->removeDelegate(first.get());
    item->sendTaskDidChangeState();
    EXPECT_EQ(first->states, 2);
    EXPECT_EQ(item->delegateCount(), 0);
}

TEST_F(DownloadedItemTest, AnObserverMayLeaveDuringANotificationAndThreadsMayChurn)
{
    struct Leaver : DownloadedItemObserver
    {
        std::shared_ptr<DownloadedItem> item;
        int calls = 0;
        void taskDidChangeState(DownloadedItem &) override
        {
            ++calls;
            item->removeDelegate(this);
        }
    };
    auto leaver = std::make_shared<Leaver>();
    leaver->item = item;
    item->addDelegate(leaver);
    item->sendTaskDidChangeState();
    item->sendTaskDidChangeState();
    EXPECT_EQ(leaver->calls, 1);
    leaver->item.reset();

    // Observers come and go on other threads while notifications run here.
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        while (!stop) {
            auto passing = std::make_shared<Recorder>();
            item->addDelegate(passing);
        }
    });
    for (int i = 0; i < 2000; ++i)
        item->sendTaskProgressChanged(i % 100);
    stop = true;
    churn.join();
    SUCCEED();
}

TEST_F(DownloadedItemTest, ProgressNeverGoesBackAndStaysInRange)
{
    auto recorder = std::make_shared<Recorder>();
    item->addDelegate(recorder);
    item->setConverterItem(job);
    EXPECT_EQ(item->taskStatus(), DownloadedItem::TaskWaiting);

    job->status = ConvertJob::Converting;
    job->remain = 120;
    job->delegate.lock()->convertTaskDidChangeProgress(*job, 55);
    EXPECT_EQ(item->percent(), 55);
    EXPECT_EQ(item->taskStatus(), DownloadedItem::TaskRunning);
    EXPECT_EQ(item->taskStateStr(), QStringLiteral("2.0 minutes remaining"));

    item->convertTaskDidChangeProgress(*job, 40);
    EXPECT_EQ(item->percent(), 55);
    EXPECT_EQ(recorder->progress, QList<qint32>{55});

    item->convertTaskDidChangeProgress(*job, 250);
    EXPECT_EQ(item->percent(), 100);
    EXPECT_EQ(item->percentString(), QStringLiteral("100%"));
    job->status = ConvertJob::Paused;
    item->setPrePercent(0);
    item->convertTaskDidChangeProgress(*job, -3);
    EXPECT_EQ(item->percent(), 0);
    EXPECT_TRUE(item->taskStateStr().isEmpty());
    EXPECT_EQ(recorder->progress, (QList<qint32>{55, 100, 0}));

    item->convertTaskDidStarted(*job);
    EXPECT_EQ(item->percent(), 0);
    EXPECT_EQ(item->taskStatus(), DownloadedItem::TaskWaiting);
    EXPECT_EQ(recorder->states, 1);
}

TEST_F(DownloadedItemTest, RemainingTimeTexts)
{
    const std::pair<qint64, const char *> cases[] = {
        {7200, "2.0 hours remaining"}, {3601, "1.0 hours remaining"}, {3600, "1 hour remaining"},
        {3599, "60.0 minutes remaining"}, {61, "1.0 minutes remaining"}, {60, "1 minute remaining"},
        {59, "59 seconds remaining"}, {2, "2 seconds remaining"}, {1, "1 second remaining"},
        {0, "1 second remaining"}, {-4, "1 second remaining"}};
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(DownloadedItem::remainingTimeText(seconds), QString::fromLatin1(text)) << seconds;
}

TEST_F(DownloadedItemTest, MoveToTrashNeverFallsBackToDeleting)
{
    const QString file = folder + QStringLiteral("/keep me.mp4");
    writeFile(file, "precious");
    {
        BrokenTrash broken;
        QString error;
        EXPECT_FALSE(DownloadedItem::deleteFileToTrash(file, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readFile(file), QByteArray("precious"));
    }
    EXPECT_TRUE(DownloadedItem::deleteFileToTrash(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(DownloadedItem::deleteFileToTrash(QString()));
}

namespace {

// A finished download in "Download then Convert" mode with its converted file beside it.
struct ReplaceSetup
{
    QString source;
    QString target;
};

ReplaceSetup prepareReplace(const QString &folder, DownloadedItem &item, FakeJob &job, const QString &base)
{
    QDir().mkpath(folder + QStringLiteral("/Converted"));
    ReplaceSetup s{folder + QStringLiteral("/") + base + QStringLiteral(".webm"),
                   folder + QStringLiteral("/Converted/") + base + QStringLiteral(" (converted).mp4")};
    writeFile(s.source, "downloaded");
    writeFile(s.target, "converted!!");
    item.setFilePath(s.source);
    item.setIsDownAndConvertOneMode(true);
    job.source = s.source;
    job.target = s.target;
    job.size = 999;
    return s;
}

} // namespace

TEST_F(DownloadedItemTest, ReplaceModeMovesTheConvertedFileInThenTrashesTheDownload)
{
    const ReplaceSetup s = prepareReplace(folder, *item, *job, QStringLiteral("Clip \"1\" ü"));
    ASSERT_GT(DataBaseManager::defaultManager().insertDownloadedItem(*item), 0);
    auto recorder = std::make_shared<Recorder>();
    item->addDelegate(recorder);
    int scheduled = 0;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("TimeForScheduledTask"),
                                                    [&](const Notification &) { ++scheduled; });
    const int trashedBefore = trashedCount();

    item->setIsAddToItunes(true);
    item->setConverterItem(job);
    job->finish(ConvertJob::Finished);

    const QString placed = folder + QStringLiteral("/Converted/Clip \"1\" ü.mp4");
    EXPECT_TRUE(item->followUpError().isEmpty()) << item->followUpError().toStdString();
    EXPECT_EQ(item->filePath(), placed);
    EXPECT_EQ(item->covertedFilePath(), placed);
    EXPECT_EQ(readFile(placed), QByteArray("converted!!"));
    EXPECT_FALSE(QFileInfo::exists(s.target));
    EXPECT_FALSE(QFileInfo::exists(s.source));
    EXPECT_EQ(trashedCount(), trashedBefore + 1);
    EXPECT_EQ(item->videoSize(), 11);
    EXPECT_EQ(item->resolution(), 480);
    EXPECT_EQ(item->status(), DownloadedItem::StatusConverted);
    EXPECT_EQ(item->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(item->percent(), 100);
    EXPECT_FALSE(item->converterItem());
    EXPECT_EQ(recorder->states, 1);
    EXPECT_TRUE(DataBaseManager::defaultManager().isTheFileInDataBase(placed));
    EXPECT_EQ(services.states, QStringList{QStringLiteral("ConvertSuccess")});
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !services.itunes.isEmpty() && scheduled == 1; }));
    EXPECT_EQ(services.itunes, QStringList{placed});
}

TEST_F(DownloadedItemTest, ReplaceModeKeepsTheDownloadWhenTheConvertedFileCannotMove)
{
    // A name one byte too long for the file system: the move in must fail.
    QDir().mkpath(folder + QStringLiteral("/Converted"));
    const ReplaceSetup s{folder + QStringLiteral("/") + QString(250, QLatin1Char('n')) + QStringLiteral(".webm"),
                         folder + QStringLiteral("/Converted/short.mp4xxx")};
    writeFile(s.source, "downloaded");
    writeFile(s.target, "converted!!");
    ASSERT_TRUE(QFileInfo::exists(s.source));
    item->setFilePath(s.source);
    item->setIsDownAndConvertOneMode(true);
    job->source = s.source;
    job->target = s.target;
    ASSERT_GT(DataBaseManager::defaultManager().insertDownloadedItem(*item), 0);
    item->setResolution(360);
    item->setVideoSize(10);

    item->setConverterItem(job);
    job->finish(ConvertJob::Finished);

    EXPECT_FALSE(item->followUpError().isEmpty());
    EXPECT_EQ(item->filePath(), s.source);
    EXPECT_EQ(readFile(s.source), QByteArray("downloaded"));
    EXPECT_EQ(readFile(job->target), QByteArray("converted!!"));
    EXPECT_EQ(item->resolution(), 360);
    EXPECT_EQ(item->videoSize(), 10);
    EXPECT_TRUE(DataBaseManager::defaultManager().isTheFileInDataBase(s.source));
}

TEST_F(DownloadedItemTest, ReplaceModeReportsAFailedTrashAndDeletesNothing)
{
    const ReplaceSetup s = prepareReplace(folder, *item, *job, QStringLiteral("trashless"));
    BrokenTrash broken;
    item->setConverterItem(job);
    job->finish(ConvertJob::Finished);

    const QString placed = folder + QStringLiteral("/Converted/trashless.mp4");
    EXPECT_FALSE(item->followUpError().isEmpty());
    EXPECT_EQ(item->filePath(), placed);
    EXPECT_EQ(readFile(placed), QByteArray("converted!!"));
    EXPECT_EQ(readFile(s.source), QByteArray("downloaded"));
}

TEST_F(DownloadedItemTest, ReplaceModeTakesAFreeNameWhenTheWantedOneIsTaken)
{
    const ReplaceSetup s = prepareReplace(folder, *item, *job, QStringLiteral("same"));
    writeFile(folder + QStringLiteral("/Converted/same.mp4"), "someone else's");
    item->setConverterItem(job);
    job->finish(ConvertJob::Finished);
    EXPECT_EQ(item->filePath(), folder + QStringLiteral("/Converted/same(1).mp4"));
    EXPECT_EQ(readFile(folder + QStringLiteral("/Converted/same.mp4")), QByteArray("someone else's"));
}

TEST_F(DownloadedItemTest, PlainConversionKeepsTheDownloadAndTakesTheTargetProperties)
{
    const QString source = folder + QStringLiteral("/a.webm");
    const QString target = folder + QStringLiteral("/a.mp4");
    writeFile(source, "downloaded");
    writeFile(target, "12345");
    item->setFilePath(source);
    job->source = source;
    job->target = target;
    item->setConverterItem(job);
    job->finish(ConvertJob::Finished);
    EXPECT_EQ(item->filePath(), source);
    EXPECT_EQ(item->covertedFilePath(), target);
    EXPECT_EQ(item->videoSize(), 5);
    EXPECT_EQ(item->resolution(), 480);
    EXPECT_TRUE(QFileInfo::exists(source));
    EXPECT_TRUE(QFileInfo::exists(target));
}

TEST_F(DownloadedItemTest, StoppedOrFailedJobsLeaveNoOutputButKeepEarlierConversions)
{
    struct Case
    {
        qint32 endStatus;
        quint32 taskStatus;
        const char *state;
    };
    const Case cases[] = {{ConvertJob::StoppedByUser, DownloadedItem::TaskNone, "ConvertCancel"},
                          {ConvertJob::StoppedByFailure, DownloadedItem::TaskFailed, "ConvertFailed"}};
    for (const Case &c : cases) {
        SetUp();
        const QString source = folder + QStringLiteral("/b.webm");
        const QString earlier = folder + QStringLiteral("/b.avi");
        const QString partial = folder + QStringLiteral("/b.mkv");
        writeFile(source, "downloaded");
        writeFile(earlier, "earlier conversion");
        writeFile(partial, "half");
        item->setFilePath(source);
        item->setCovertedFilePath(earlier);
        item->setConvertParam({{QStringLiteral("FormatTitle"), QStringLiteral("MKV")}});
        job->source = source;
        job->target = partial;
        item->setConverterItem(job);
        job->finish(c.endStatus);

        EXPECT_EQ(item->taskStatus(), c.taskStatus) << c.state;
        EXPECT_FALSE(QFileInfo::exists(partial)) << c.state;
        EXPECT_EQ(readFile(earlier), QByteArray("earlier conversion")) << c.state;
        EXPECT_EQ(item->covertedFilePath(), earlier) << c.state;
        EXPECT_TRUE(QFileInfo::exists(source)) << c.state;
        EXPECT_EQ(services.states, QStringList{QString::fromLatin1(c.state)});
        EXPECT_EQ(services.completes, 1);
        EXPECT_FALSE(item->converterItem());
    }
    EXPECT_EQ(services.formats, QStringList{QStringLiteral("mkv")});

    // When the item names the job's own output, that name is cleared with it.
    SetUp();
    const QString partial = folder + QStringLiteral("/c.mkv");
    writeFile(partial, "half");
    item->setCovertedFilePath(partial);
    job->target = partial;
    item->setConverterItem(job);
    job->finish(ConvertJob::StoppedByUser);
    EXPECT_TRUE(item->covertedFilePath().isEmpty());
    EXPECT_TRUE(item->convertParam().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(partial));
}

TEST_F(DownloadedItemTest, AJobOutlivingItsItemCallsNoOne)
{
    item->setConverterItem(job);
    item.reset();
    job->finish(ConvertJob::Finished);
    EXPECT_EQ(services.completes, 0);
}
