// The Download page with real helper processes downloading from a loopback server: paste, rows
// with progress, pause and resume, the hand-off to the library, failures, deletes, and a picture.
#include "controls/MGHoverButton.h"
#include "downloads/DLoadingItemViewCtr.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "platform/Dispatch.h"
#include "platform/UserDefaults.h"
#include "shell/QuitCheckDialogboxController.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace {
bool shown(const MGHoverButton *b) { return b && !b->isHidden() && b->isEnabled(); }

QByteArray makeClip() { return TestEnvironment::noisyVideoClip(); }

// Paste clicks less than 800 ms apart are dropped; the test's clock moves on a second a paste.
struct SteppingClock : dispatch::Clock
{
    mutable qint64 now = 1'000'000;
    qint64 nowMs() const override { return now += 1000; }
};

class DownloadPageEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
        dispatch::Clock::setForTesting(&clock);
        m_clip = makeClip();
        ASSERT_GT(m_clip.size(), 500000);
        static int n = 0;
        ++n;
        m_folder = TestEnvironment::home() + QStringLiteral("/Movies/page-%1").arg(n);
        QDir().mkpath(m_folder);
        UserDefaults &d = UserDefaults::standard();
        d.setString(QStringLiteral("downloadedSavePath"), m_folder);
        d.setInteger(QStringLiteral("numberOfDownload"), 2);
        d.setBool(QStringLiteral("isAutoResumeTask"), true);
        d.setBool(QStringLiteral("AlertWhenDeleteDownloading"), true);
        m_db = std::make_unique<DataBaseManager>(TestEnvironment::home() + QStringLiteral("/library-%1").arg(n));
        auto library = std::make_unique<DatabaseLibraryHandoff>(m_db.get());
        m_library = library.get();
        page = std::make_unique<DownloadViewCtrl>(std::move(library), m_db->databasePath());
        window.setCentralWidget(page->view());
        status = new QLabel(&window);
        window.statusBar();
        page->setStateInfoLable(status);
        window.resize(1100, 640);
        window.show();
    }
    void TearDown() override
    {
        QuitCheckDialogboxController::setRunHookForTesting(nullptr);
        page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        page.reset();
        dispatch::Clock::setForTesting(nullptr);
        QVReelgrabTask::setHelperExecutable(QString());
    }
    void serve(const std::string &path, int64_t bytesPerSecond, int status = 200)
    {
        LoopbackServer::Resource r;
        r.body = status == 200 ? std::string(m_clip.constData(), size_t(m_clip.size())) : std::string("not here");
        r.contentType = status == 200 ? "video/mp4" : "text/plain";
        r.bytesPerSecond = bytesPerSecond;
        r.status = status;
        m_server.add(path, r);
    }
    QString url(const std::string &path) { return QString::fromStdString(m_server.url(path)); }
    void paste(const QString &text)
    {
        QApplication::clipboard()->setText(text);
        page->pasteUrl();
    }
    DownloadingViewCtr &list() { return *page->downloadingList(); }
    QVReelgrabTask *taskOf(const QString &address)
    {
        for (QVReelgrabTask *t : list().reelgrabDispatcher()->tasks())
            if (t->storedPageUrl() == address)
                return t;
        return nullptr;
    }
    std::shared_ptr<DLoadingItemViewCtr> rowOf(QVReelgrabTask *t) { return list().rowForNode(list().nodeForTask(t)); }
    static bool downloading(QVReelgrabTask *t) { return t && t->downloadStatus() == 5 && t->downloadedSize() > 100000; }
    void expectIdentical(const QString &path)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        EXPECT_TRUE(f.readAll() == m_clip) << path.toStdString();
    }

    SteppingClock clock;
    LoopbackServer m_server;
    QByteArray m_clip;
    QString m_folder;
    std::unique_ptr<DataBaseManager> m_db;
    DatabaseLibraryHandoff *m_library = nullptr;
    QMainWindow window;
    QLabel *status = nullptr;
    std::unique_ptr<DownloadViewCtrl> page;
};

TEST_F(DownloadPageEndToEnd, PastedAddressShowsProgressPausesResumesFinishesAndReachesTheLibrary)
{
    serve("/paste.mp4", 250000);
    const QString address = url("/paste.mp4");
    paste(QStringLiteral("  ") + address + QStringLiteral("\nsecond line"));
    ASSERT_EQ(list().tasksCount(), 1);
    EXPECT_EQ(status->text(), QStringLiteral("1 items"));
    QVReelgrabTask *task = taskOf(address);
    ASSERT_TRUE(task);
    auto row = rowOf(task);
    ASSERT_TRUE(row);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(task) && row->progressValue() > 0; }, 60000));
    EXPECT_TRUE(row->statusText().contains(QLatin1String(" of "))) << row->statusText().toStdString();
    EXPECT_TRUE(row->isPercentVisible());

    row->clickPause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() == QVReelgrabTaskStatusPaused; }, 20000));
    EXPECT_TRUE(row->statusText().endsWith(QLatin1String(" - paused"))) << row->statusText().toStdString();
    EXPECT_TRUE(list().isResumeAllEnabled());
    row->clickResume();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_library->displayItemCount() == 1; }, 120000));
    EXPECT_EQ(list().tasksCount(), 0);
    const auto stored = m_db->getAllDownloadedItems();
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 1);
    EXPECT_EQ(stored->first()->pageURL(), address);
    expectIdentical(stored->first()->filePath());
    EXPECT_TRUE(stored->first()->filePath().startsWith(m_folder + QLatin1Char('/')));
}

TEST_F(DownloadPageEndToEnd, ThreePastedPagesRunTwoAtATimeAndAllFinish)
{
    for (const char *p : {"/one.mp4", "/two.mp4", "/three.mp4"})
        serve(p, 1500000);
    for (const char *p : {"/one.mp4", "/two.mp4", "/three.mp4"})
        paste(url(p));
    ASSERT_EQ(list().tasksCount(), 3);
    int most = 0;
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        int helpers = 0;
        for (QVReelgrabTask *t : list().reelgrabDispatcher()->tasks())
            helpers += t->hasHelperProcess();
        most = qMax(most, helpers);
        return m_library->displayItemCount() == 3;
    }, 180000));
    EXPECT_LE(most, 2);
    for (const auto &item : m_library->items())
        expectIdentical(item->filePath());
}

TEST_F(DownloadPageEndToEnd, AFailedPageShowsItsFailureText)
{
    serve("/missing.mp4", 0, 404);
    paste(url("/missing.mp4"));
    QVReelgrabTask *task = taskOf(url("/missing.mp4"));
    ASSERT_TRUE(task);
    auto row = rowOf(task);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return task->downloadStatus() == 3 || task->downloadStatus() == 7; }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(row->statusText(), QStringLiteral("Failed to download. Click to record it."));
    EXPECT_TRUE(row->isStatusClickable());
    EXPECT_TRUE(shown(row->retryButton()));
    EXPECT_EQ(m_library->displayItemCount(), 0);
}

TEST_F(DownloadPageEndToEnd, DeletingARunningTaskAsksFirstAndEndsItsHelper)
{
    serve("/delete.mp4", 200000);
    paste(url("/delete.mp4"));
    QVReelgrabTask *task = taskOf(url("/delete.mp4"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(task); }, 60000));
    const qint64 pid = task->helperProcessId();
    ASSERT_GT(pid, 0);
    int asked = 0;
    QuitCheckDialogboxController::setRunHookForTesting([&](QuitCheckDialogboxController *d) {
        ++asked;
        QTimer::singleShot(0, d, [d] { d->clickCancel(); });
    });
    list().downloadingTaskWillDelete(list().nodeForTask(task));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list().tasksCount(), 1) << "cancelled: the task stays";
    QuitCheckDialogboxController::setRunHookForTesting([&](QuitCheckDialogboxController *d) {
        ++asked;
        QTimer::singleShot(0, d, [d] { d->clickQuit(); });
    });
    list().downloadingTaskWillDelete(list().nodeForTask(task));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(list().tasksCount(), 0);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return ::kill(pid_t(pid), 0) != 0; }, 20000)) << "the helper ended";
}

TEST_F(DownloadPageEndToEnd, PictureOfThePageWithThreeTasks)
{
    UserDefaults::standard().setInteger(QStringLiteral("numberOfDownload"), 3);
    page->downloadingList()->preferencesDidUpdate();
    serve("/Running-clip.mp4", 120000);
    serve("/Paused-clip.mp4", 120000);
    serve("/gone.mp4", 0, 404);
    const QString running = url("/Running-clip.mp4");
    const QString paused = url("/Paused-clip.mp4");
    paste(running);
    paste(paused);
    paste(url("/gone.mp4"));
    QVReelgrabTask *a = taskOf(running);
    QVReelgrabTask *b = taskOf(paused);
    QVReelgrabTask *c = taskOf(url("/gone.mp4"));
    ASSERT_TRUE(a && b && c);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return downloading(a) && downloading(b); }, 60000));
    rowOf(b)->clickPause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        return b->downloadStatus() == 6 && (c->downloadStatus() == 3 || c->downloadStatus() == 7) && downloading(a);
    }, 60000));
    TestEnvironment::waitFor([] { return false; }, 1200); // one more progress report for the running row
    window.statusBar()->addWidget(status);
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(QStringLiteral(PAGE_GRAB_PATH)));
}

} // namespace
