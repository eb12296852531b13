// The Download page with real helper processes downloading from a loopback server: paste, rows
// with progress, pause and resume, the hand-off to the library, failures, deletes, and a picture.
#include "controls/MGHoverButton.h"
#include "downloads/DLoadingItemViewCtr.h"
#include "controls/ShowTipMessage.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "downloads/store/LibrarySchema.h"
#include "platform/Dispatch.h"
#include "platform/UserDefaults.h"
#include "shell/QuitCheckDialogboxController.h"
#include "shell/UIManager.h"

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
#include <sqlite3.h>

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
        if (page)
            page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        page.reset();
        dispatch::Clock::setForTesting(nullptr);
        QVReelgrabTask::setHelperExecutable(QString());
    }
    void serve(const std::string &path, int64_t bytesPerSecond, int status = 200, bool ranges = true)
    {
        LoopbackServer::Resource r;
        r.ranges = ranges;
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

// A download that finishes while the library cannot write its record (a full disk) stays
// finished in the library, the user is told, and once there is room again and the application
// starts anew the file is in the library table.
TEST_F(DownloadPageEndToEnd, ADownloadFinishedOnAFullDiskReachesTheLibraryAfterARestart)
{
    const QByteArray path = QFile::encodeName(m_db->databasePath());
    const auto sql = [&path](const char *statement) {
        sqlite3 *db = nullptr;
        const bool ok = sqlite3_open(path.constData(), &db) == SQLITE_OK
                        && sqlite3_exec(db, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    };
    serve("/full.mp4", 0);
    ASSERT_TRUE(sql("CREATE TRIGGER full BEFORE INSERT ON Downloaded BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    paste(url("/full.mp4"));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_library->displayItemCount() == 1; }, 60000));
    const QString file = m_library->items().first()->filePath();
    expectIdentical(file);
    EXPECT_EQ(m_db->pendingRecordCount(), 1);
    EXPECT_EQ(page->pendingRecordTold(), file);
    EXPECT_TRUE(m_db->getAllDownloadedItems()->isEmpty());

    // Quit without room; room again; start anew.
    page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
    page.reset();
    const QString folder = m_db->workSpaceDir();
    m_db.reset();
    ASSERT_TRUE(sql("DROP TRIGGER full"));
    m_db = std::make_unique<DataBaseManager>(folder);
    const auto stored = m_db->getAllDownloadedItems();
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 1);
    EXPECT_EQ(stored->first()->filePath(), file);
    EXPECT_EQ(stored->first()->videoSize(), m_clip.size());
    EXPECT_EQ(stored->first()->pageURL(), url("/full.mp4"));
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
    // Without ranges the engine keeps to one connection, so the running row is still running
    // when the failed one has failed (its page is loaded first).
    serve("/Running-clip.mp4", 120000, 200, false);
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
    // One more progress report for the running row, so its text is a live one.
    const QString before = rowOf(a)->statusText();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rowOf(a)->statusText() != before; }, 60000));
    window.statusBar()->addWidget(status);
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(QStringLiteral(PAGE_GRAB_PATH)));
}

// A Library.db found damaged at start: the page tells the user once, in the window, what was
// saved; the salvaged queue is in the list. The next start finds a sound file and says nothing.
TEST(DownloadPageDamagedLibrary, TheSalvageIsToldOnceInThePage)
{
    QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
    UserDefaults::standard().setBool(QStringLiteral("isAutoResumeTask"), false);
    const QString folder = TestEnvironment::home() + QStringLiteral("/damaged-library");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/Library.db");
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        ASSERT_TRUE(LibrarySchema::migrate(db));
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 1; i <= 3; ++i)
            sqlite3_exec(db, QStringLiteral("INSERT INTO Downloading(DownloadID,PageURL,Status) VALUES(%1,'http://127.0.0.1:9/q%1',6)")
                                 .arg(i).toUtf8().constData(), nullptr, nullptr, nullptr);
        for (int i = 1; i <= 300; ++i)
            sqlite3_exec(db, QStringLiteral("INSERT INTO Downloaded(DownloadID,FilePath,AddDate) VALUES(%1,'/v/%2','2026')")
                                 .arg(100 + i).arg(QString(1200, u'n')).toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QFile file(path);
        ASSERT_TRUE(file.resize(file.size() * 2 / 3));
    }
    LibrarySchema::takeSalvages();
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        ShowTipMessage::share().closeTipWindow();
        ShowTipMessage::share().tipTextField()->clear();
        DataBaseManager db(folder);
        DownloadViewCtrl page(std::make_unique<DatabaseLibraryHandoff>(&db), db.databasePath());
        QMainWindow window;
        window.setCentralWidget(page.view());
        window.resize(1100, 640);
        window.show();
        page.startShowView();
        QLabel *tip = ShowTipMessage::share().tipTextField();
        if (start == 1) {
            EXPECT_EQ(page.downloadingList()->tasksCount(), 3);
            ASSERT_TRUE(TestEnvironment::waitFor([&] { return tip->isVisible(); }, 2000)) << tip->text().toStdString();
            EXPECT_TRUE(tip->text().startsWith(QStringLiteral("The library file was damaged. 3 waiting downloads and ")))
                << tip->text().toStdString();
            EXPECT_TRUE(tip->text().contains(QStringLiteral("Library.db.damaged-")));
            EXPECT_TRUE(tip->window()->grab().toImage().save(TestEnvironment::home() + QStringLiteral("/damaged-library-tip.png")));
        } else {
            ASSERT_TRUE(TestEnvironment::drainPostedEvents());
            EXPECT_FALSE(tip->isVisible());
            EXPECT_TRUE(tip->text().isEmpty());
        }
        ShowTipMessage::share().closeTipWindow();
        page.downloadingList()->reelgrabDispatcher()->cancelAllTasks();
    }
    QVReelgrabTask::setHelperExecutable(QString());
}

// The library tab's head: Delete shows a delete picture, not the folder of "Show in Folder" nor
// the output-folder picture of the Convert page.
TEST(DownloadPageLibraryHead, DeleteShowsADeletePictureNotAFolder)
{
    QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
    UserDefaults::standard().setBool(QStringLiteral("isAutoResumeTask"), false);
    const QString folder = TestEnvironment::home() + QStringLiteral("/head-library");
    QDir().mkpath(folder);
    DataBaseManager db(folder);
    DownloadViewCtrl page(std::make_unique<DatabaseLibraryHandoff>(&db), db.databasePath());
    QMainWindow window;
    window.setCentralWidget(page.view());
    window.resize(1100, 640);
    window.show();
    MGHoverButton *del = page.deleteItemButton();
    MGHoverButton *show = page.openItemPathButton();
    ASSERT_TRUE(del && show);
    EXPECT_EQ(del->toolTip(), QStringLiteral("Delete"));
    const QImage deletePicture = UIManager::sliceNamedInMain(del->normalSliceName());
    ASSERT_FALSE(deletePicture.isNull());
    EXPECT_NE(deletePicture, UIManager::sliceNamedInMain(show->normalSliceName()));
    EXPECT_NE(deletePicture, UIManager::sliceNamedInMain(QStringLiteral("mainform-445")));
    EXPECT_NE(del->grab().toImage(), show->grab().toImage());
    QVReelgrabTask::setHelperExecutable(QString());
}

} // namespace
