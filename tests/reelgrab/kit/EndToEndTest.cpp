// The queue driving real helper processes, which download through the real engine from a
// throttled loopback server.
#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Delegate : QVReelgrabTaskDispatcherDelegate
{
    QStringList finishedFiles;
    void reelgrabTaskDidFinished(QVReelgrabTask *t) override { finishedFiles << t->storedTargetFileName(); }
};

QByteArray makeClip() { return TestEnvironment::noisyVideoClip(); }

class EndToEnd : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam())
            qputenv("APP_SANDBOX_CONTAINER_ID", "fennix");
        else
            qunsetenv("APP_SANDBOX_CONTAINER_ID");
        QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
        m_clip = makeClip();
        ASSERT_GT(m_clip.size(), 500000);
        m_folder = TestEnvironment::home() + QStringLiteral("/Downloads/e2e-%1").arg(++s_n);
        QDir().mkpath(m_folder);
        m_db = TestEnvironment::home() + QStringLiteral("/support/e2e-%1.db").arg(s_n);
    }
    void TearDown() override
    {
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
        QVReelgrabTask::setHelperExecutable(QString());
    }
    void serve(const std::string &path, int64_t bytesPerSecond)
    {
        LoopbackServer::Resource r;
        r.body = std::string(m_clip.constData(), size_t(m_clip.size()));
        r.contentType = "video/mp4";
        r.bytesPerSecond = bytesPerSecond;
        m_server.add(path, r);
    }
    QString url(const std::string &path) { return QString::fromStdString(m_server.url(path)); }
    std::unique_ptr<QVReelgrabTaskDispatcher> make(int maxTasks, bool autoResume = true)
    {
        auto d = std::make_unique<QVReelgrabTaskDispatcher>(QVariantMap{});
        d->setDelegate(&delegate);
        d->setObjectForPreferenceKey(maxTasks, QStringLiteral("download-max-tasks"));
        d->setObjectForPreferenceKey(false, QStringLiteral("download-speedup"));
        d->setObjectForPreferenceKey(autoResume, QStringLiteral("download-auto-resume"));
        d->setObjectForPreferenceKey(m_folder, QStringLiteral("download-directory"));
        d->loadReelgrabTasksCompatibleDatabase(m_db);
        return d;
    }
    void expectIdentical(const QString &path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_TRUE(f.readAll() == m_clip) << path.toStdString();
        EXPECT_TRUE(path.startsWith(m_folder + QLatin1Char('/'))) << path.toStdString();
    }
    static bool downloading(QVReelgrabTask *t)
    {
        return t->downloadStatus() == QVReelgrabTaskStatusDownloading && t->downloadedSize() > 100000;
    }

    LoopbackServer m_server;
    Delegate delegate;
    QByteArray m_clip;
    QString m_folder, m_db;
    static inline int s_n = 0;
};

} // namespace

TEST_P(EndToEnd, ThreeTasksRunTwoAtATimeAndAllFinish)
{
    for (const char *p : {"/a.mp4", "/b.mp4", "/c.mp4"})
        serve(p, 1500000);
    auto d = make(2);
    for (const char *p : {"/a.mp4", "/b.mp4", "/c.mp4"})
        ASSERT_TRUE(d->addReelgrabTask(url(p), {}));
    int most = 0;
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        int helpers = 0;
        for (QVReelgrabTask *t : d->tasks())
            helpers += t->hasHelperProcess();
        most = qMax(most, helpers);
        return delegate.finishedFiles.size() == 3;
    }, 120000));
    EXPECT_LE(most, 2);
    EXPECT_GE(most, 2);
    for (const QString &f : delegate.finishedFiles)
        expectIdentical(f);
}

TEST_P(EndToEnd, PauseResumeAndAKilledHelperContinueTheSameFile)
{
    serve("/slow.mp4", 250000);
    // Held at half the clip until the kill: on a busy machine a late pause or kill must still
    // find the download running.
    m_server.gate("/slow.mp4", m_clip.size() / 2);
    auto d = make(1);
    ASSERT_TRUE(d->addReelgrabTask(url("/slow.mp4"), {}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !d->tasks().isEmpty() && downloading(d->tasks()[0]); }, 60000));
    QVReelgrabTask *task = d->tasks()[0];
    d->pauseTasks(nullptr);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() == QVReelgrabTaskStatusPaused; }, 20000));
    const qint64 pid = task->helperProcessId();
    d->restartTasks(nullptr);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(task); }, 30000));
    EXPECT_EQ(task->helperProcessId(), pid) << "a resumed task keeps its helper";

    ::kill(pid_t(pid), SIGKILL);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() == QVReelgrabTaskStatusFailed; }, 20000));
    m_server.release("/slow.mp4");
    d->restartTasks(nullptr);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.finishedFiles.size() == 1; }, 120000));
    expectIdentical(delegate.finishedFiles[0]);
    // Continued where it stopped, not fetched again from the start each time.
    EXPECT_LT(m_server.bodyBytesSent("/slow.mp4"), int64_t(m_clip.size()) * 2);
}

TEST_P(EndToEnd, UnfinishedTasksStoredAtQuitFinishAtTheNextStart)
{
    serve("/stored.mp4", 300000);
    m_server.gate("/stored.mp4", m_clip.size() / 2); // until the quit, however late it comes
    {
        auto first = make(1);
        ASSERT_TRUE(first->addReelgrabTask(url("/stored.mp4"), {}));
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(first->tasks()[0]); }, 60000));
        first->cancelAllTasks();
    }
    m_server.release("/stored.mp4");
    EXPECT_TRUE(delegate.finishedFiles.isEmpty());
    auto second = make(1, true);
    ASSERT_EQ(second->tasks().size(), 1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.finishedFiles.size() == 1; }, 120000));
    expectIdentical(delegate.finishedFiles[0]);
    EXPECT_LT(m_server.bodyBytesSent("/stored.mp4"), int64_t(m_clip.size()) * 2);
}

TEST_P(EndToEnd, ASpareHelperStartedAheadTakesTheNextDownloadAndFinishesIt)
{
    serve("/spare.mp4", 3000000);
    auto d = make(1);
    d->setObjectForPreferenceKey(true, QStringLiteral("download-spare-helper"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 30000));
    const qint64 spare = d->spareHelperProcessId();
    ASSERT_TRUE(d->addReelgrabTask(url("/spare.mp4"), {}));
    QVReelgrabTask *task = d->tasks()[0];
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(task); }, 60000));
    EXPECT_EQ(task->helperProcessId(), spare);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.finishedFiles.size() == 1; }, 120000));
    expectIdentical(delegate.finishedFiles[0]);
    // A new one waits for the next download; it ends with the queue.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 30000));
    const qint64 next = d->spareHelperProcessId();
    EXPECT_NE(next, spare);
    d.reset();
    EXPECT_TRUE(TestEnvironment::waitFor([next] { return ::kill(pid_t(next), 0) != 0; }, 10000));
}

INSTANTIATE_TEST_SUITE_P(NamedAndSockets, EndToEnd, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Sockets" : "Named"; });
