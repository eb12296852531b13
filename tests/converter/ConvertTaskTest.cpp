#include "ConverterFixtures.h"
#include "converter/TBConverterTaskManager.h"
#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "converter/TBVideoConverter.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "platform/NamedConnection.h"
#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <gtest/gtest.h>


namespace {

std::shared_ptr<TBVideoConvertTask> makeJob(quint32 id, const QString &source, const QString &target,
                                            const QString &subtitle = {})
{
    auto job = std::make_shared<TBVideoConvertTask>();
    job->setTaskID(id);
    auto src = std::make_shared<TBMultiMediaItem>();
    src->setFilePath(source);
    auto dst = std::make_shared<TBMultiMediaItem>();
    dst->setFilePath(target);
    dst->setSubtitlePath(subtitle);
    job->setSourceItem(src);
    job->setTargetItem(dst);
    return job;
}

bool processGone(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) != 0 || MediaFixtures::processState(pid) == 'Z'); }

class ConvertJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // A tool that never reports: it lives until it is ended.
        m_sleeper = MediaFixtures::writeScript(m_dir.path(), QStringLiteral("sleeper.sh"), QStringLiteral("exec sleep 60"));
        m_quitter = MediaFixtures::writeScript(m_dir.path(), QStringLiteral("quitter.sh"), QStringLiteral("exit 0"));
    }
    QTemporaryDir m_dir;
    QString m_sleeper;
    QString m_quitter;
};

} // namespace

TEST(ConvertJobArguments, SevenArgumentsNineWithSubtitle)
{
    auto job = makeJob(7, QStringLiteral("/m/in.mkv"), QStringLiteral("/m/out.mp4"));
    EXPECT_EQ(job->connectionName(), SwiftcarryProtocol::bundleIdentifier() + QStringLiteral(":Swiftcarry-MediaConvert.7"));
    const QStringList seven{job->connectionName(), QStringLiteral("-inFile"), QStringLiteral("/m/in.mkv"),
                            QStringLiteral("-outFile"), QStringLiteral("/m/out.mp4"), QStringLiteral("-lossless"),
                            QStringLiteral("0")};
    EXPECT_EQ(job->toolArguments(), seven);

    auto withSub = makeJob(8, QStringLiteral("/m/in.mkv"), QStringLiteral("/m/out.mp4"), QStringLiteral("/m/in.srt"));
    withSub->setLosslessConvert(true);
    const QStringList nine{withSub->connectionName(), QStringLiteral("-inFile"), QStringLiteral("/m/in.mkv"),
                           QStringLiteral("-subtitle"), QStringLiteral("/m/in.srt"), QStringLiteral("-outFile"),
                           QStringLiteral("/m/out.mp4"), QStringLiteral("-lossless"), QStringLiteral("1")};
    EXPECT_EQ(withSub->toolArguments(), nine);
}

TEST(ConvertJobReports, ProgressIsTakenOnlyWhileConverting)
{
    auto job = makeJob(1, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    QVariantMap progress{{QStringLiteral("dictionary-content"), QStringLiteral("Swiftcarry-Convert-Progress")},
                         {QStringLiteral("remain-time"), 12},
                         {QStringLiteral("progress"), 40}};
    job->setTaskStatus(ConvertJob::Paused);
    job->mediaConvertDidProgressed(progress);
    EXPECT_EQ(job->percent(), 0);
    job->setTaskStatus(ConvertJob::Converting);
    QVariantMap other = progress;
    other[QStringLiteral("dictionary-content")] = QStringLiteral("Swiftcarry-MediaInfo");
    job->mediaConvertDidProgressed(other);
    EXPECT_EQ(job->percent(), 0);
    job->mediaConvertDidProgressed(progress);
    EXPECT_EQ(job->percent(), 40);
    EXPECT_EQ(job->remainTime(), 12);
    job->mediaConvertDidProgressedWith(3, 90);
    EXPECT_EQ(job->percent(), 90);
    EXPECT_EQ(rec->progress, (QList<qint32>{40, 90}));

    // Pause before the tool announced its converter: status only, nothing to send to.
    job->pause();
    EXPECT_EQ(job->taskStatus(), ConvertJob::Paused);
    EXPECT_FALSE(job->hasConverter());
}

TEST(ConvertJobReports, FinishedThenLateStopRunsTheCompletionOnce)
{
    auto job = makeJob(2, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    int completions = 0;
    job->setConverterCompleted([&](const std::shared_ptr<TBVideoConvertTask> &) { ++completions; });
    job->setTaskStatus(ConvertJob::Converting);
    job->mediaConvertDidFinished();
    EXPECT_EQ(job->taskStatus(), ConvertJob::Finished);
    job->mediaConvertDidStoped();
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByFailure);
    EXPECT_EQ(rec->statuses, (QList<qint32>{3, 5}));
    EXPECT_EQ(completions, 1);
    job->mediaConvertDidPaused();  // ignored
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByFailure);
}

TEST_F(ConvertJobTest, ToolThatCannotLaunchEndsTheJob)
{
    ScopedTool tool(m_dir.filePath(QStringLiteral("no-such-tool")));
    auto job = makeJob(3, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    int completions = 0;
    job->setConverterCompleted([&](const std::shared_ptr<TBVideoConvertTask> &) { ++completions; });
    job->setTaskStatus(ConvertJob::Converting);
    EXPECT_FALSE(job->start());
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByFailure);
    EXPECT_EQ(rec->started, 0);
    EXPECT_EQ(rec->finished, 1);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(job->hasToolProcess());
}

TEST_F(ConvertJobTest, ToolThatExitsWithoutAReportEndsTheJob)
{
    ScopedTool tool(m_quitter);
    auto job = makeJob(4, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    ASSERT_TRUE(job->start());
    EXPECT_EQ(job->taskStatus(), ConvertJob::Converting);
    EXPECT_EQ(rec->started, 1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 5000));
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByFailure);
}

TEST_F(ConvertJobTest, DeathBySignalGivesStatusFive)
{
    ScopedTool tool(m_sleeper);
    auto job = makeJob(5, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    int completions = 0;
    job->setConverterCompleted([&](const std::shared_ptr<TBVideoConvertTask> &) { ++completions; });
    ASSERT_TRUE(job->start());
    const qint64 pid = job->toolProcessId();
    ASSERT_GT(pid, 0);
    ::kill(pid_t(pid), SIGKILL);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 5000));
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByFailure);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(job->hasToolProcess());
}

TEST_F(ConvertJobTest, StopWithoutDelegateStillEndsTheJob)
{
    ScopedTool tool(m_sleeper);
    auto job = makeJob(6, QStringLiteral("/a"), QStringLiteral("/b"));
    int completions = 0;
    job->setConverterCompleted([&](const std::shared_ptr<TBVideoConvertTask> &) { ++completions; });
    ASSERT_TRUE(job->start());
    const qint64 pid = job->toolProcessId();
    job->stop();
    EXPECT_EQ(job->taskStatus(), ConvertJob::StoppedByUser);
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(job->hasToolProcess());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(pid); }, 5000));

    // A stop from another thread hops to the main thread.
    auto other = makeJob(9, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    other->setDelegate(rec);
    QThread *thread = QThread::create([other] { other->stop(); });
    thread->start();
    thread->wait();
    delete thread;
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished == 1; }, 2000));
    EXPECT_EQ(other->taskStatus(), ConvertJob::StoppedByUser);
}

// Speaking for the tool over the job's connection: junk is ignored, reports in order work.
TEST_F(ConvertJobTest, ReportsOverTheConnectionAndJunk)
{
    using namespace SwiftcarryProtocol;
    const QString nameFile = m_dir.filePath(QStringLiteral("name"));
    ScopedTool tool(MediaFixtures::writeScript(m_dir.path(), QStringLiteral("standin.sh"),
                                               QStringLiteral("printf '%s' \"$1\" > '%1'\nexec sleep 60").arg(nameFile)));
    auto job = makeJob(11, QStringLiteral("/a"), QStringLiteral("/b"));
    auto rec = std::make_shared<JobRecorder>();
    job->setDelegate(rec);
    ASSERT_TRUE(job->start());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return QFile::exists(nameFile); }, 5000));
    auto peer = NamedConnection::connectTo(job->connectionName());
    ASSERT_TRUE(peer);
    peer->sendMessage(QLatin1String(MediaConvertDidProgressed), QByteArray("\xff\xff", 2));
    peer->sendMessage(QLatin1String(MediaConvertWillStart), QByteArray("junk"));
    peer->sendMessage(QStringLiteral("noSuchMessage:"), {});
    peer->sendMessage(QLatin1String(MediaConvertDidProgressed),
                      archiveDictionary({{QStringLiteral("dictionary-content"), QStringLiteral("Swiftcarry-Convert-Progress")},
                                         {QStringLiteral("remain-time"), 9},
                                         {QStringLiteral("progress"), 55}}));
    peer->sendMessage(QLatin1String(MediaConvertDidFinished), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished == 1; }, 5000));
    EXPECT_EQ(rec->progress, QList<qint32>{55});
    EXPECT_EQ(job->remainTime(), 9);
    EXPECT_EQ(job->taskStatus(), ConvertJob::Finished);
    EXPECT_FALSE(job->hasConverter());
    job->terminate();
}

TEST(ConvertQueueNumbers, FirstQueueFromOneSecondFrom100001)
{
    TBConverterTaskManager::resetNextManagerIndexForTesting(0);
    TBConverterTaskManager first;
    TBConverterTaskManager second;
    auto a = first.addConvertTaskWithFile(QStringLiteral("/a"), std::make_shared<TBMultiMediaItem>());
    auto b = first.addConvertTaskWithFile(QStringLiteral("/b"), std::make_shared<TBMultiMediaItem>());
    auto c = second.addConvertTaskWithFile(QStringLiteral("/c"), std::make_shared<TBMultiMediaItem>());
    EXPECT_EQ(a->taskID(), 1u);
    EXPECT_EQ(b->taskID(), 2u);
    EXPECT_EQ(c->taskID(), 100001u);
    EXPECT_EQ(a->sourceItem()->filePath(), QStringLiteral("/a"));
    EXPECT_EQ(a->taskStatus(), ConvertJob::Waiting);
    EXPECT_EQ(first.taskWithID(2), b);
    EXPECT_EQ(first.taskWithID(100001), nullptr);
    EXPECT_FALSE(first.pauseConvertTaskWith(42));
    EXPECT_FALSE(first.resumeConvertTaskWith(42));
    EXPECT_FALSE(first.stopConvertTaskWith(42));
    EXPECT_FALSE(first.startConvertTaskWith(42));
}

namespace {
class NilPicker : public TBVideoConverterDelegate
{
public:
    std::optional<std::shared_ptr<TBVideoConvertTask>> nextConvertTask() override { return std::shared_ptr<TBVideoConvertTask>(); }
};
} // namespace

TEST_F(ConvertJobTest, QueuePausesOneRunsTheNextAndResumesAfter)
{
    ScopedTool tool(m_sleeper);
    TBConverterTaskManager queue;
    auto a = queue.addConvertTaskWithFile(QStringLiteral("/a"), std::make_shared<TBMultiMediaItem>());
    auto b = queue.addConvertTaskWithFile(QStringLiteral("/b"), std::make_shared<TBMultiMediaItem>());
    queue.runNextTask();
    EXPECT_EQ(a->taskStatus(), ConvertJob::Converting);
    EXPECT_EQ(b->taskStatus(), ConvertJob::Waiting);
    queue.runNextTask();  // one at a time
    EXPECT_EQ(b->taskStatus(), ConvertJob::Waiting);
    a->setPercent(30);  // A made progress: its tool is kept and continued
    const qint64 pidA = a->toolProcessId();

    ASSERT_TRUE(queue.pauseConvertTaskWith(a->taskID()));
    EXPECT_EQ(a->taskStatus(), ConvertJob::Paused);
    EXPECT_EQ(b->taskStatus(), ConvertJob::Converting);
    EXPECT_TRUE(a->hasToolProcess());

    ASSERT_TRUE(queue.resumeConvertTaskWith(a->taskID()));
    EXPECT_EQ(a->taskStatus(), ConvertJob::Waiting);  // B still runs
    b->mediaConvertDidFinished();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return a->taskStatus() == ConvertJob::Converting; }, 3000));
    EXPECT_EQ(a->toolProcessId(), pidA);  // the same tool continues

    // A paused job whose tool is gone starts over instead of resuming nobody.
    a->pause();
    a->terminate();
    ASSERT_TRUE(queue.resumeConvertTaskWith(a->taskID()));
    EXPECT_EQ(a->taskStatus(), ConvertJob::Converting);
    EXPECT_TRUE(a->hasToolProcess());
    EXPECT_NE(a->toolProcessId(), pidA);

    // Stop moves the queue on through the completion block.
    auto c = queue.addConvertTaskWithFile(QStringLiteral("/c"), std::make_shared<TBMultiMediaItem>());
    ASSERT_TRUE(queue.stopConvertTaskWith(a->taskID()));
    EXPECT_EQ(a->taskStatus(), ConvertJob::StoppedByUser);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return c->taskStatus() == ConvertJob::Converting; }, 3000));

    // The quit notification ends every tool without reports.
    const qint64 pidC = c->toolProcessId();
    NotificationCenter::defaultCenter().post(QStringLiteral("FENNIXPROWillQuitNotification"));
    EXPECT_FALSE(c->hasToolProcess());
    EXPECT_EQ(c->taskStatus(), ConvertJob::Converting);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(pidC); }, 5000));
}

TEST_F(ConvertJobTest, WaitingJobPausedIsSkippedAndOwnerPicksAlone)
{
    ScopedTool tool(m_sleeper);
    TBConverterTaskManager queue;
    auto a = queue.addConvertTaskWithFile(QStringLiteral("/a"), std::make_shared<TBMultiMediaItem>());
    auto b = queue.addConvertTaskWithFile(QStringLiteral("/b"), std::make_shared<TBMultiMediaItem>());
    queue.pauseConvertTaskWithArray({a->taskID()});
    EXPECT_EQ(a->taskStatus(), ConvertJob::Paused);
    EXPECT_EQ(b->taskStatus(), ConvertJob::Converting);
    queue.cancelCurrentTasks();
    EXPECT_TRUE(queue.tasks().isEmpty());

    NilPicker picker;
    queue.setDelegate(&picker);
    auto c = queue.addConvertTaskWithFile(QStringLiteral("/c"), std::make_shared<TBMultiMediaItem>());
    queue.runNextTask();
    EXPECT_EQ(c->taskStatus(), ConvertJob::Waiting);
    EXPECT_EQ(queue.convertingTaskCount(), 0u);
}

// Real conversions through the tool.
class RealConversion : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_clip = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("source clip.mp4"), {2.0, QStringLiteral("640x480")});
    }
    static void TearDownTestSuite() { delete s_dir; }

    static std::shared_ptr<TBVideoConvertTask> job(const QString &name, const IM_EncodeParamEx &block, quint32 id)
    {
        auto j = makeJob(id, s_clip, s_dir->filePath(name));
        j->setEncodeParams(EncodeParamData::toData(block));
        return j;
    }
    static IM_EncodeParamEx mp4() { return MediaFixtures::mp4Target(320, 240, 400000, 44100, 2, 96000); }
    static QTemporaryDir *s_dir;
    static QString s_clip;
};
QTemporaryDir *RealConversion::s_dir = nullptr;
QString RealConversion::s_clip;

TEST_F(RealConversion, Mp4AndMp3WithProgress)
{
    ASSERT_FALSE(s_clip.isEmpty());
    const IM_EncodeParamEx mp3 = MediaFixtures::mp3Target(128000);
    const struct
    {
        const char *name;
        IM_EncodeParamEx block;
        QStringList codecs;
    } cases[] = {{"out.mp4", mp4(), {QStringLiteral("h264"), QStringLiteral("aac")}},
                 {"out.mp3", mp3, {QStringLiteral("mp3")}}};
    quint32 id = 500;
    for (const auto &c : cases) {
        auto j = job(QString::fromLatin1(c.name), c.block, ++id);
        auto rec = std::make_shared<JobRecorder>();
        j->setDelegate(rec);
        ASSERT_TRUE(j->start());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 60000)) << c.name;
        EXPECT_EQ(j->taskStatus(), ConvertJob::Finished) << c.name;
        ASSERT_FALSE(rec->progress.isEmpty());
        EXPECT_EQ(rec->progress.last(), 100);
        EXPECT_TRUE(std::is_sorted(rec->progress.begin(), rec->progress.end()));
        const QVariantMap probe = MediaFixtures::probe(j->targetFilePath());
        EXPECT_EQ(MediaFixtures::codecNames(probe), c.codecs) << c.name;
        EXPECT_NEAR(MediaFixtures::duration(probe), 2.0, 0.2) << c.name;
        j->terminate();
    }
}

TEST_F(RealConversion, PauseStopsFfmpegAndResumeFinishes)
{
    auto j = job(QStringLiteral("paused.mp4"), mp4(), 601);
    auto rec = std::make_shared<JobRecorder>();
    j->setDelegate(rec);
    ASSERT_TRUE(j->start());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return j->hasConverter(); }, 10000));
    j->pause();
    // The tool's ffmpeg child is stopped, and stays so.
    qint64 ffmpeg = 0;
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            const auto kids = MediaFixtures::childrenOf(j->toolProcessId());
            ffmpeg = kids.isEmpty() ? 0 : kids.first();
            return ffmpeg > 0 && MediaFixtures::processState(ffmpeg) == 'T';
        },
        10000));
    // Whatever the stop set off has run; the job is still paused, not finished.
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_EQ(rec->finished, 0);
    EXPECT_EQ(MediaFixtures::processState(ffmpeg), 'T');
    j->resume();
    EXPECT_EQ(j->taskStatus(), ConvertJob::Converting);
    EXPECT_EQ(rec->started, 2);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 60000));
    EXPECT_EQ(j->taskStatus(), ConvertJob::Finished);
    EXPECT_EQ(MediaFixtures::codecNames(MediaFixtures::probe(j->targetFilePath())),
              (QStringList{QStringLiteral("h264"), QStringLiteral("aac")}));
}

TEST_F(RealConversion, StopAndKillEndTheToolAndItsFfmpeg)
{
    for (const bool kill : {false, true}) {
        auto j = job(kill ? QStringLiteral("killed.mp4") : QStringLiteral("stopped.mp4"), mp4(), kill ? 702 : 701);
        auto rec = std::make_shared<JobRecorder>();
        j->setDelegate(rec);
        ASSERT_TRUE(j->start());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return j->hasConverter(); }, 10000));
        j->pause();  // holds ffmpeg so the end surely comes first
        const qint64 tool = j->toolProcessId();
        qint64 ffmpeg = 0;
        ASSERT_TRUE(TestEnvironment::waitFor(
            [&] {
                const auto kids = MediaFixtures::childrenOf(tool);
                ffmpeg = kids.isEmpty() ? 0 : kids.first();
                return ffmpeg > 0 && MediaFixtures::processState(ffmpeg) == 'T';
            },
            10000));
        if (kill) {
            ::kill(pid_t(tool), SIGKILL);
            ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 5000));
            EXPECT_EQ(j->taskStatus(), ConvertJob::StoppedByFailure);
        } else {
            j->stop();
            EXPECT_EQ(j->taskStatus(), ConvertJob::StoppedByUser);
            EXPECT_EQ(rec->finished, 1);
        }
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(tool); }, 5000));
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(ffmpeg); }, 5000)) << "ffmpeg outlived its tool";
    }
}

TEST_F(RealConversion, BadEncoderBlockEndsStopped)
{
    auto j = makeJob(801, s_clip, s_dir->filePath(QStringLiteral("bad.mp4")));
    j->setEncodeParams(QByteArray(100, 'x'));  // not a block
    auto rec = std::make_shared<JobRecorder>();
    j->setDelegate(rec);
    ASSERT_TRUE(j->start());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec->finished > 0; }, 20000));
    EXPECT_EQ(j->taskStatus(), ConvertJob::StoppedByFailure);
}

// The queue that is its jobs' delegate: news reach its owner, the next job follows an end,
// numbers start at 1 for every such queue, and the owner may pick alone.
namespace {
struct QueueOwner : TBVideoConverterDelegate
{
    void convertTaskDidStarted(ConvertJob &job) override { events << QStringLiteral("start %1").arg(job.sourceFilePath()); }
    void convertTaskDidFinished(ConvertJob &job) override
    {
        events << QStringLiteral("end %1 %2").arg(job.sourceFilePath()).arg(job.taskStatus());
    }
    std::optional<std::shared_ptr<TBVideoConvertTask>> nextConvertTask() override { return pick; }
    QStringList events;
    std::optional<std::shared_ptr<TBVideoConvertTask>> pick;
};
} // namespace

TEST_F(ConvertJobTest, ForwardingQueueRunsJobsOneAfterAnother)
{
    ScopedTool tool(m_quitter); // every job's tool leaves at once: the job fails
    TBVideoConverter first;
    QueueOwner owner;
    first.setDelegate(&owner);
    auto a = first.addConvertTaskWithFile(QStringLiteral("/a"), std::make_shared<TBMultiMediaItem>());
    auto b = first.addConvertTaskWithFile(QStringLiteral("/b"), std::make_shared<TBMultiMediaItem>());
    EXPECT_EQ(a->taskID(), 1u);
    EXPECT_EQ(b->taskID(), 2u);
    TBVideoConverter second;
    EXPECT_EQ(second.addConvertTaskWithFile(QStringLiteral("/c"), std::make_shared<TBMultiMediaItem>())->taskID(), 1u);

    first.runNextTask();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return owner.events.size() == 4; }, 10000)) << owner.events.join(", ").toStdString();
    EXPECT_EQ(owner.events, (QStringList{"start /a", "end /a 5", "start /b", "end /b 5"}));

    // An owner that answers nil keeps the queue still.
    auto c = first.addConvertTaskWithFile(QStringLiteral("/c"), std::make_shared<TBMultiMediaItem>());
    owner.pick = std::shared_ptr<TBVideoConvertTask>();
    first.runNextTask();
    EXPECT_EQ(c->taskStatus(), ConvertJob::Waiting);
}
