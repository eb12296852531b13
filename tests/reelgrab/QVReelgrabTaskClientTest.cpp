#include "reelgrab/QVReelgrabTask.h"
#include "reelgrab/RGKMessage.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Dispatcher : QVReelgrabTaskDispatchProtocol
{
    int attachNext = 0, syncs = 0;
    QList<QVReelgrabTask *> finished, removed;
    void attachNextTask() override { ++attachNext; }
    void synchronize() override { ++syncs; }
    void reelgrabTaskDidFinished(QVReelgrabTask *t) override { finished.append(t); }
    void removeReelgrabTask(QVReelgrabTask *t) override { removed.append(t); }
};

struct Recorder : QVReelgrabTaskObserver
{
    QStringList events;
    QVReelgrabError lastError;
    qint32 statusAtFinish = -1;
    void reelgrabSniffingDidStarted(QVReelgrabTask *) override { events << "sniff-started"; }
    void reelgrabSniffingInProgress(QVReelgrabTask *, double p) override { events << QStringLiteral("sniffing %1").arg(p); }
    void reelgrabSniffingDidCompleted(QVReelgrabTask *) override { events << "sniff-completed"; }
    void reelgrabSniffingDidFailed(QVReelgrabTask *, const QVReelgrabError &e) override { events << "sniff-failed"; lastError = e; }
    void reelgrabSniffingDidCanceled(QVReelgrabTask *) override { events << "canceled"; }
    void reelgrabDownloadDidStarted(QVReelgrabTask *) override { events << "download-started"; }
    void reelgrabDownloadingWithSpeed(QVReelgrabTask *, qint64) override { events << "downloading"; }
    void reelgrabDownloadWillPause(QVReelgrabTask *) override { events << "will-pause"; }
    void reelgrabDownloadDidPaused(QVReelgrabTask *) override { events << "paused"; }
    void reelgrabDownloadDidReset(QVReelgrabTask *) override { events << "reset"; }
    void reelgrabDownloadDidCompleted(QVReelgrabTask *) override { events << "completed"; }
    void reelgrabDownloadDidFinished(QVReelgrabTask *t) override { events << "finished"; statusAtFinish = t->downloadStatus(); }
    void reelgrabDownloadDidFailed(QVReelgrabTask *, const QVReelgrabError &e) override { events << "failed"; lastError = e; }
};

// Only the start callback: every other one must be skipped quietly.
struct StartOnly : QVReelgrabTaskObserver
{
    int starts = 0;
    void reelgrabSniffingDidStarted(QVReelgrabTask *) override { ++starts; }
};

class TaskClient : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        QVReelgrabTask::setHelperExecutable(QStringLiteral(FAKE_REELGRAB_PATH));
        m_log = TestEnvironment::home() + QStringLiteral("/fake-%1.log").arg(++s_run);
        qputenv("FAKE_RGK_LOG", m_log.toLocal8Bit());
        if (GetParam())
            qputenv("APP_SANDBOX_CONTAINER_ID", "fennix");
        else
            qunsetenv("APP_SANDBOX_CONTAINER_ID");
    }
    void TearDown() override
    {
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
        qunsetenv("FAKE_RGK_MODE");
        QVReelgrabTask::setHelperExecutable(QString());
        QVReelgrabTask::setLaunchTimeoutForTesting(0);
    }
    QStringList received() const
    {
        QFile f(m_log);
        f.open(QIODevice::ReadOnly);
        QStringList messages = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        messages.removeIf([](const QString &line) { return line.startsWith(QLatin1String("launched")); });
        return messages;
    }
    void startTask(QVReelgrabTask &task, const char *mode)
    {
        qputenv("FAKE_RGK_MODE", mode);
        task.setDispatcher(&dispatcher);
        task.addObserver(&recorder);
        task.setPageUrl(QStringLiteral("http://127.0.0.1:1/page"));
        ASSERT_TRUE(task.run());
        EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusSniffing);
    }

    Dispatcher dispatcher;
    Recorder recorder;
    QString m_log;
    static inline int s_run = 0;
};

} // namespace

TEST_P(TaskClient, ANormalLifeEndsFinishedWithTheHelperGone)
{
    QVReelgrabTask task;
    StartOnly partial;
    task.addObserver(&partial);
    startTask(task, "finish");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains("finished"); }, 15000));
    EXPECT_EQ(recorder.events, (QStringList{"sniff-started", "sniffing 0.5", "sniff-completed", "download-started",
                                            "downloading", "completed", "finished"}));
    EXPECT_EQ(partial.starts, 1);
    EXPECT_EQ(recorder.statusAtFinish, QVReelgrabTaskStatusFinished);
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusFinished);
    EXPECT_EQ(task.storedTargetFileName(), QDir::home().filePath(QStringLiteral("fake-download.mp4")));
    EXPECT_EQ(task.storedMediaTitle(), QStringLiteral("Fake title"));
    ASSERT_EQ(dispatcher.finished.size(), 1);
    EXPECT_GE(dispatcher.syncs, 4);
    EXPECT_TRUE(task.logFileID().contains(task.guid()));
    // The helper is ended by the task, which is no failure.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return !task.hasHelperProcess(); }, 5000));
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_FALSE(recorder.events.contains("failed"));
    const QStringList got = received();
    ASSERT_GE(got.size(), 2);
    EXPECT_EQ(got[0], QStringLiteral("RGKMessage-Reelgrab-Preferences"));
    EXPECT_EQ(got[1], QStringLiteral("RGKMessage-Attch-DownloadTask"));
}

TEST_P(TaskClient, PauseAndResumeAcrossTheProcessBoundary)
{
    QVReelgrabTask task;
    startTask(task, "pause");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains("downloading"); }, 15000));
    const qint64 pid = task.helperProcessId();
    task.pause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains("paused"); }, 5000));
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusPaused);
    EXPECT_EQ(dispatcher.attachNext, 1);
    task.resume();
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusWaiting);
    EXPECT_EQ(recorder.events.last(), QStringLiteral("reset"));
    EXPECT_EQ(dispatcher.attachNext, 2);
    ASSERT_TRUE(task.run());  // the live helper is told to resume; nothing new is launched
    EXPECT_EQ(task.helperProcessId(), pid);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains("finished"); }, 10000));
    EXPECT_TRUE(received().contains(QStringLiteral("RGKMessage-Resume-DownloadTask")));
}

TEST_P(TaskClient, FailuresEndInTheirStatusAndEndTheHelper)
{
    struct Case { const char *mode; qint32 status; qint64 code; const char *event; };
    const Case cases[] = {
        {"fail", QVReelgrabTaskStatusFailed, 7, "failed"},
        {"sniff-fail", QVReelgrabTaskStatusSniffingFailed, QVReelgrabError::NoMediaFound, "sniff-failed"},
        {"crash", QVReelgrabTaskStatusFailed, QVReelgrabError::ProcessEndedUnexpectedly, "failed"},
    };
    for (const Case &c : cases) {
        recorder.events.clear();
        dispatcher.attachNext = 0;
        QVReelgrabTask task;
        startTask(task, c.mode);
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains(QString::fromLatin1(c.event)); }, 15000)) << c.mode;
        EXPECT_EQ(task.downloadStatus(), c.status) << c.mode;
        EXPECT_EQ(recorder.lastError.code(), c.code) << c.mode;
        EXPECT_EQ(recorder.lastError.domain(), QStringLiteral("com.ReelgrabKit.Reelgrab")) << c.mode;
        EXPECT_EQ(dispatcher.attachNext, 1) << c.mode;
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return !task.hasHelperProcess(); }, 5000)) << c.mode;
        EXPECT_EQ(recorder.events.count(QString::fromLatin1(c.event)), 1) << c.mode;
    }
}

TEST_P(TaskClient, AHelperThatNeverAnnouncesItselfIsEnded)
{
    QVReelgrabTask::setLaunchTimeoutForTesting(500);
    QVReelgrabTask task;
    startTask(task, "silent");
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return recorder.events.contains("failed"); }, 5000));
    EXPECT_EQ(recorder.lastError.code(), 0);
    EXPECT_FALSE(task.hasHelperProcess());
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusFailed);
}

INSTANTIATE_TEST_SUITE_P(NamedAndSockets, TaskClient, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Sockets" : "Named"; });

TEST(TaskClientCommands, WithoutAHelperExecutableRunFailsAndChangesNothing)
{
    QVReelgrabTask::setHelperExecutable(TestEnvironment::home() + QStringLiteral("/no/Reelgrab"));
    QVReelgrabTask task;
    task.setDownloadStatus(QVReelgrabTaskStatusWaiting);
    EXPECT_FALSE(task.run());
    EXPECT_EQ(task.downloadStatus(), QVReelgrabTaskStatusWaiting);
    EXPECT_FALSE(task.hasHelperProcess());
    QVReelgrabTask::setHelperExecutable(QString());
}

TEST(TaskClientCommands, CommandsWithoutAHelperFollowTheStatusRules)
{
    Dispatcher d;
    Recorder r;
    QVReelgrabTask task;
    task.setDispatcher(&d);
    task.addObserver(&r);
    struct Step { const char *name; qint32 before; std::function<void()> act; qint32 after; QStringList events; int attach; };
    const auto stopThrough = [&] { task.sendMessage(QString::fromLatin1(RGKMessage::DownloadPaused), {}); };
    const QList<Step> steps = {
        {"pause waiting", QVReelgrabTaskStatusWaiting, [&] { task.pause(); }, QVReelgrabTaskStatusPaused, {"paused"}, 1},
        {"pause downloading, not announced", QVReelgrabTaskStatusDownloading, [&] { task.pause(); }, QVReelgrabTaskStatusDownloading, {}, 0},
        {"resume paused", QVReelgrabTaskStatusPaused, [&] { task.resume(); }, QVReelgrabTaskStatusWaiting, {"reset"}, 1},
        {"resume waiting", QVReelgrabTaskStatusWaiting, [&] { task.resume(); }, QVReelgrabTaskStatusWaiting, {}, 0},
        {"cancel queued", QVReelgrabTaskStatusQueued, [&] { task.cancel(); }, QVReelgrabTaskStatusCancelled, {"canceled"}, 0},
        {"cancel waiting, no helper", QVReelgrabTaskStatusWaiting, [&] { task.cancel(); }, QVReelgrabTaskStatusWaiting, {}, 0},
        {"retry failed", QVReelgrabTaskStatusFailed, [&] { task.retry(); }, QVReelgrabTaskStatusQueued, {"reset"}, 1},
        // The helper's stop is through: paused, unless the user resumed meanwhile (then the
        // resume still waits for its run and must not be lost).
        {"stop through, paused", QVReelgrabTaskStatusPaused, stopThrough, QVReelgrabTaskStatusPaused, {"paused"}, 1},
        {"stop through after a resume", QVReelgrabTaskStatusWaiting, stopThrough, QVReelgrabTaskStatusWaiting, {}, 1},
        // Resume on a paused row retries the task; the helper may also be running it again.
        {"stop through after a retry", QVReelgrabTaskStatusQueued, stopThrough, QVReelgrabTaskStatusQueued, {}, 1},
        {"stop through, downloading again", QVReelgrabTaskStatusDownloading, stopThrough, QVReelgrabTaskStatusDownloading, {}, 1},
        {"stop through, completed", QVReelgrabTaskStatusCompleted, stopThrough, QVReelgrabTaskStatusCompleted, {}, 1},
    };
    for (const Step &s : steps) {
        r.events.clear();
        d.attachNext = 0;
        task.setDownloadStatus(s.before);
        s.act();
        EXPECT_EQ(task.downloadStatus(), s.after) << s.name;
        EXPECT_EQ(r.events, s.events) << s.name;
        EXPECT_EQ(d.attachNext, s.attach) << s.name;
    }
}

TEST(TaskClientCommands, RemovingDeletesPartialFilesButNeverAFinishedDownload)
{
    const QString target = TestEnvironment::home() + QStringLiteral("/Downloads/clip.mp4");
    QDir().mkpath(QFileInfo(target).absolutePath());
    for (qint32 status : {QVReelgrabTaskStatusPaused, QVReelgrabTaskStatusFinished}) {
        for (const QString &suffix : {QString(), QStringLiteral(".ds"), QStringLiteral(".info")}) {
            QFile f(target + suffix);
            f.open(QIODevice::WriteOnly);
            f.write("x");
        }
        Dispatcher d;
        QVReelgrabTask task;
        task.setDispatcher(&d);
        task.setTargetFileName(target);
        task.setDownloadStatus(status);
        task.removeFromDispatcher();
        EXPECT_EQ(d.removed.size(), 1);
        const bool finished = status == QVReelgrabTaskStatusFinished;
        EXPECT_EQ(QFile::exists(target), finished) << status;
        if (!finished) {
            EXPECT_FALSE(QFile::exists(target + QStringLiteral(".ds")));
            EXPECT_FALSE(QFile::exists(target + QStringLiteral(".info")));
        }
    }
}

TEST(TaskClientCommands, AnObserverThatGoesAwayIsNeverCalled)
{
    QVReelgrabTask task;
    auto *gone = new Recorder;
    Recorder stays;
    task.addObserver(gone);
    task.addObserver(&stays);
    task.addObserver(&stays);
    delete gone;
    task.setDownloadStatus(QVReelgrabTaskStatusWaiting);
    task.pause();
    EXPECT_EQ(stays.events, QStringList{"paused"});
    EXPECT_EQ(task.observers().size(), 1);
}
