#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"
#include "downloads/store/LibrarySchema.h"
#include "reelgrab/kit/ReelgrabKit.h"
#include "reelgrab/QVMediaSniffer.h"

#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <csignal>
#include <functional>
#include <sqlite3.h>

namespace {

struct Delegate : QVReelgrabTaskDispatcherDelegate
{
    QStringList events;
    bool refuseAdd = false;
    bool reelgrabTaskCouldAdd(QVReelgrabTask *) override { return !refuseAdd; }
    void reelgrabTaskDidAdded(QVReelgrabTask *t) override { events << QStringLiteral("added ") + t->storedPageUrl(); }
    void reelgrabTaskDidLoad(QVReelgrabTask *t) override { events << QStringLiteral("loaded ") + t->storedPageUrl(); }
    void reelgrabTaskWillbeRemoved(QVReelgrabTask *t) override { events << QStringLiteral("removed ") + t->storedPageUrl(); }
    void reelgrabTaskDidFinished(QVReelgrabTask *t) override { events << QStringLiteral("finished ") + t->storedPageUrl(); }
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &e : events)
            n += e.startsWith(prefix);
        return n;
    }
};

class Dispatcher : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVReelgrabTask::setHelperExecutable(QStringLiteral(FAKE_REELGRAB_PATH));
        qputenv("FAKE_RGK_MODE", "finish");
        qunsetenv("FAKE_RGK_DELAY_MS");
        m_db = TestEnvironment::home() + QStringLiteral("/support/Library-%1.db").arg(++s_n);
    }
    void TearDown() override { QVReelgrabTask::setHelperExecutable(QString()); }
    std::unique_ptr<QVReelgrabTaskDispatcher> make(int maxTasks, bool autoResume = true)
    {
        auto d = std::make_unique<QVReelgrabTaskDispatcher>(QVariantMap{{QStringLiteral("download-ffmpeg"), QStringLiteral("/usr/bin/ffmpeg")}});
        d->setDelegate(&delegate);
        d->setObjectForPreferenceKey(maxTasks, QStringLiteral("download-max-tasks"));
        d->setObjectForPreferenceKey(autoResume, QStringLiteral("download-auto-resume"));
        d->setObjectForPreferenceKey(TestEnvironment::home() + QStringLiteral("/Downloads"), QStringLiteral("download-directory"));
        d->loadReelgrabTasksCompatibleDatabase(m_db);
        return d;
    }
    static QString page(int i) { return QStringLiteral("http://127.0.0.1:9/page%1").arg(i); }
    // Paused tasks of page(1) to page(count), stored as quitting leaves them.
    void storePausedTasks(int count)
    {
        auto d = make(1);
        d->pauseTasks(nullptr);
        qputenv("FAKE_RGK_MODE", "silent");
        for (int i = 1; i <= count; ++i)
            d->addReelgrabTask(page(i), {});
        d->pauseTasks(nullptr);
        d->cancelAllTasks();
        d->storeNow();
    }

    Delegate delegate;
    QString m_db;
    static inline int s_n = 0;
};

} // namespace

TEST_F(Dispatcher, ClassifiesAddresses)
{
    auto d = make(1);
    struct Case { const char *url; int content; };
    const Case cases[] = {
        {"https://example.com/watch", 2},
        {"http://www.youtube.com/watch?v=abc&list=PL1", 2},
        {"https://www.youtube.com/playlist?list=PL1", 16},
        {"ftp://example.com/x", 0},
        {"javascript:alert(1)", 0},
        {"not an address", 0},
        {"", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(d->userSelectedContentOfURL(QString::fromLatin1(c.url)), c.content) << c.url;
    EXPECT_FALSE(d->addReelgrabTask(QStringLiteral("file:///etc/passwd"), {}));
    EXPECT_TRUE(d->tasks().isEmpty());
}

// The cookies a hand-off carries (the extension's or an address's "Cookies") go with the task to
// its helper and into the stored queue; without them the task has none.
TEST_F(Dispatcher, AHandOffsCookiesStayWithItsTask)
{
    qputenv("FAKE_RGK_MODE", "silent");
    auto d = make(1);
    ASSERT_TRUE(d->addReelgrabTask(page(1), {{QStringLiteral("Cookies"), QStringLiteral("sid=1; two=2")},
                                             {QStringLiteral("Browser"), QStringLiteral("firefox")}}));
    ASSERT_TRUE(d->addReelgrabTask(page(2), {}));
    ASSERT_EQ(d->tasks().size(), 2);
    EXPECT_EQ(d->tasks()[0]->cookies(), QStringLiteral("sid=1; two=2"));
    EXPECT_TRUE(d->tasks()[1]->cookies().isEmpty());
    const auto sent = QVReelgrabTask::taskWithArchive(d->tasks()[0]->archivedData());
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->cookies(), QStringLiteral("sid=1; two=2"));
    d->cancelAllTasks();
}

TEST_F(Dispatcher, RunsAtMostTheLimitAtOnceAndFinishesEveryTask)
{
    qputenv("FAKE_RGK_DELAY_MS", "400");
    auto d = make(2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(d->addReelgrabTask(page(i), {{QStringLiteral("Contents"), 4}}));
    EXPECT_EQ(d->tasks().first()->downloadContent(), 4);
    int most = 0, mostHelpers = 0;
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        most = qMax(most, d->runningTaskCount());
        int helpers = 0;
        for (QVReelgrabTask *t : d->tasks())
            helpers += t->hasHelperProcess();
        mostHelpers = qMax(mostHelpers, helpers);
        return delegate.count(QStringLiteral("finished")) == 3;
    }, 30000));
    EXPECT_EQ(most, 2);
    EXPECT_LE(mostHelpers, 2);
    EXPECT_EQ(delegate.count(QStringLiteral("added")), 3);
    TestEnvironment::waitFor([&] { return d->tasks().isEmpty(); }, 2000);
    EXPECT_TRUE(d->tasks().isEmpty());
}

TEST_F(Dispatcher, AKilledHelperFailsOnlyItsTaskWhichRestarts)
{
    qputenv("FAKE_RGK_MODE", "pause");  // helpers hold at "downloading"
    auto d = make(2);
    d->addReelgrabTask(page(1), {});
    d->addReelgrabTask(page(2), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        const auto ts = d->tasks();
        return ts.size() == 2 && ts[0]->downloadStatus() == QVReelgrabTaskStatusDownloading
            && ts[1]->downloadStatus() == QVReelgrabTaskStatusDownloading;
    }, 15000));
    QVReelgrabTask *victim = d->tasks()[0];
    QVReelgrabTask *other = d->tasks()[1];
    ::kill(pid_t(victim->helperProcessId()), SIGKILL);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return victim->downloadStatus() == QVReelgrabTaskStatusFailed; }, 5000));
    EXPECT_EQ(other->downloadStatus(), QVReelgrabTaskStatusDownloading);
    EXPECT_TRUE(other->hasHelperProcess());

    qputenv("FAKE_RGK_MODE", "finish");
    const QList<QVReelgrabTask *> again{victim};
    d->restartTasks(&again);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished ") + page(1)) == 1; }, 15000));
    EXPECT_EQ(other->downloadStatus(), QVReelgrabTaskStatusDownloading);
    d->cancelAllTasks();
    EXPECT_FALSE(other->hasHelperProcess());
}

// Resume on a paused row retries the task, and its live helper is told to go on: until the
// helper answers, the task holds its slot, so a task moved in front of it does not start too.
TEST_F(Dispatcher, ARetriedPausedTaskHoldsItsSlotUntilItsHelperAnswers)
{
    qputenv("FAKE_RGK_MODE", "hold"); // a resume is never answered
    auto d = make(1);
    d->addReelgrabTask(page(1), {});
    QVReelgrabTask *first = d->tasks()[0];
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return first->downloadStatus() == QVReelgrabTaskStatusDownloading; }, 15000));
    const QList<QVReelgrabTask *> one{first};
    d->pauseTasks(&one);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return first->downloadStatus() == QVReelgrabTaskStatusPaused; }, 15000));
    first->retry();
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    ASSERT_TRUE(first->hasServiceProxy());
    d->addReelgrabTask(page(2), {});
    QVReelgrabTask *second = d->tasks()[1];
    d->rearrange({second, first});
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_EQ(d->runningTaskCount(), 1);
    EXPECT_FALSE(second->hasHelperProcess());
    EXPECT_EQ(second->downloadStatus(), QVReelgrabTaskStatusQueued);
    d->cancelAllTasks();
}

TEST_F(Dispatcher, UnfinishedTasksComeBackAtTheNextStart)
{
    qputenv("FAKE_RGK_MODE", "pause");
    QString guid;
    {
        auto first = make(1);
        first->addReelgrabTask(page(1), {});
        first->addReelgrabTask(page(2), {});
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return first->runningTaskCount() == 1 && first->tasks()[0]->downloadStatus() == QVReelgrabTaskStatusDownloading; }, 15000));
        guid = first->tasks()[0]->guid();
        first->cancelAllTasks();  // what quitting does
    }
    // Without auto-resume they come back paused and wait for the user.
    {
        Delegate quiet;
        auto paused = std::make_unique<QVReelgrabTaskDispatcher>(QVariantMap{});
        paused->setDelegate(&quiet);
        paused->setObjectForPreferenceKey(false, QStringLiteral("download-auto-resume"));
        paused->loadReelgrabTasksCompatibleDatabase(m_db);
        ASSERT_EQ(paused->tasks().size(), 2);
        EXPECT_EQ(paused->tasks()[0]->downloadStatus(), QVReelgrabTaskStatusPaused);
        // The queue's run is a zero-interval timer: it has had its turn once the queue drained.
        ASSERT_TRUE(TestEnvironment::drainPostedEvents());
        EXPECT_EQ(paused->runningTaskCount(), 0);
        paused->setDelegate(nullptr);
    }
    qputenv("FAKE_RGK_MODE", "finish");
    delegate.events.clear();
    auto second = make(2, true);
    EXPECT_EQ(delegate.count(QStringLiteral("loaded")), 2);
    ASSERT_EQ(second->tasks().size(), 2);
    EXPECT_EQ(second->tasks()[0]->guid(), guid);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished")) == 2; }, 20000));
}

// A failed row still says why after a restart: the reason is stored with its task.
TEST_F(Dispatcher, FailedTasksKeepTheirReasonsAcrossARestart)
{
    const struct
    {
        const char *mode;
        QString reason;
    } cases[] = {
        {"fail", QStringLiteral("connection refused")},
        {"sniff-fail", QStringLiteral("No video found on this page")},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        const QString url = page(++n);
        qputenv("FAKE_RGK_MODE", c.mode);
        {
            auto first = make(1);
            ASSERT_TRUE(first->addReelgrabTask(url, {}));
            QVReelgrabTask *task = first->tasks().last();
            ASSERT_TRUE(TestEnvironment::waitFor([&] { return !task->failureReason().isEmpty(); }, 15000));
            EXPECT_EQ(task->failureReason(), c.reason);
            first->storeNow();
        }
        Delegate quiet;
        QVReelgrabTaskDispatcher second(QVariantMap{});
        second.setDelegate(&quiet);
        second.setObjectForPreferenceKey(false, QStringLiteral("download-auto-resume"));
        second.loadReelgrabTasksCompatibleDatabase(m_db);
        QString stored = QStringLiteral("(not stored)");
        for (QVReelgrabTask *t : second.tasks()) {
            if (t->storedPageUrl() == url)
                stored = t->failureReason();
        }
        EXPECT_EQ(stored, c.reason);
        second.setDelegate(nullptr);
    }
}

TEST_F(Dispatcher, AStoredTaskWithDamagedResumeDataKeepsItsAddressOrIsSkippedWithoutOne)
{
    storePausedTasks(1);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "INSERT INTO Downloading(DownloadID,PageURL,ResumeData,Status) VALUES(99,'x',x'a1ffff00',4)", nullptr, nullptr, nullptr);
    // Damaged resume data with a sound address: the download is kept and starts from the beginning.
    sqlite3_exec(db, "INSERT INTO Downloading(DownloadID,PageURL,ResumeData,Status,OnlyAudio) "
                     "VALUES(98,'http://127.0.0.1:9/damaged',x'a1ffff00',4,1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Delegate d2;
    auto again = std::make_unique<QVReelgrabTaskDispatcher>(QVariantMap{});
    again->setDelegate(&d2);
    again->setObjectForPreferenceKey(false, QStringLiteral("download-auto-resume"));
    EXPECT_TRUE(again->loadReelgrabTasksCompatibleDatabase(m_db));
    ASSERT_EQ(again->tasks().size(), 2);
    EXPECT_EQ(again->tasks()[0]->storedPageUrl(), page(1));
    EXPECT_EQ(again->tasks()[1]->storedPageUrl(), QStringLiteral("http://127.0.0.1:9/damaged"));
    EXPECT_EQ(again->tasks()[1]->taskId(), 98);
    EXPECT_EQ(again->tasks()[1]->downloadContent(), int(QVReelgrabContentAudio));
    EXPECT_EQ(again->tasks()[1]->downloadStatus(), QVReelgrabTaskStatusPaused);
    // New identifiers never repeat a stored one.
    again->pauseTasks(nullptr);
    again->addReelgrabTask(page(2), {});
    EXPECT_GT(again->tasks()[2]->taskId(), 99);
    again->cancelAllTasks();
    again->setDelegate(nullptr);
}

// A damaged Library.db: the queue that can still be read comes back in its order, and the
// damaged file is kept aside.
TEST_F(Dispatcher, ADamagedLibraryFileKeepsItsReadableQueue)
{
    constexpr int Queued = 30;
    storePausedTasks(Queued);
    // Library rows behind the queue's, then the file cut short among them.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 1; i <= 300; ++i)
        sqlite3_exec(db, QStringLiteral("INSERT INTO Downloaded(DownloadID,FilePath,AddDate) VALUES(%1,'/v/%2','2026')")
                             .arg(1000 + i)
                             .arg(QString(1200, u'n'))
                             .toUtf8()
                             .constData(),
                     nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile file(m_db);
    const qint64 size = file.size();
    ASSERT_TRUE(file.resize(size * 2 / 3));

    LibrarySchema::takeSalvages();
    Delegate d2;
    auto again = std::make_unique<QVReelgrabTaskDispatcher>(QVariantMap{});
    again->setDelegate(&d2);
    again->setObjectForPreferenceKey(false, QStringLiteral("download-auto-resume"));
    EXPECT_TRUE(again->loadReelgrabTasksCompatibleDatabase(m_db));
    ASSERT_EQ(again->tasks().size(), Queued);
    for (int i = 0; i < Queued; ++i)
        EXPECT_EQ(again->tasks()[i]->storedPageUrl(), page(i + 1));
    const QList<LibrarySchema::Salvage> told = LibrarySchema::takeSalvages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told[0].queueRows, Queued);
    EXPECT_EQ(QFileInfo(told[0].asidePath).size(), size * 2 / 3);
    again->cancelAllTasks();
    again->setDelegate(nullptr);
}

// The dispatcher's own cap, whatever road an address came by: one longer than 8192 characters
// is never queued nor stored; one of exactly 8192 is.
TEST_F(Dispatcher, AddressesLongerThanTheCapAreNeverQueuedNorStored)
{
    qputenv("FAKE_RGK_MODE", "silent");
    auto d = make(1);
    d->pauseTasks(nullptr);
    const QString base = QStringLiteral("http://127.0.0.1:9/");
    const QString fits = base + QString(QVReelgrabTaskDispatcher::MaxAddressLength - base.size(), u'a');
    const QString over = fits + u'a';
    ASSERT_EQ(fits.size(), 8192);
    EXPECT_EQ(d->userSelectedContentOfURL(over), int(QVReelgrabTaskDispatcher::ContentRefused));
    EXPECT_FALSE(d->addReelgrabTask(over, {}));
    EXPECT_FALSE(d->addReelgrabTasks({over, over + QStringLiteral("/more")}, QStringLiteral("test"), {}));
    EXPECT_TRUE(d->tasks().isEmpty());
    EXPECT_TRUE(d->addReelgrabTasks({over, fits}, QStringLiteral("test"), {}));
    ASSERT_EQ(d->tasks().size(), 1);
    EXPECT_EQ(d->tasks()[0]->storedPageUrl(), fits);
    d->pauseTasks(nullptr);
    d->storeNow();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(m_db.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*), max(length(PageURL)) FROM Downloading", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 1);
    EXPECT_EQ(sqlite3_column_int(st, 1), 8192);
    sqlite3_finalize(st);
    sqlite3_close(db);
    d->cancelAllTasks();
}

// A finished download stays in the queue table, as finished, until the library is seen to hold
// its file: a record the library could not write is still named at the next start, which moves
// it across.
TEST_F(Dispatcher, AFinishedTaskKeepsAFinishedRowUntilTheLibraryHoldsItsFile)
{
    auto d = make(1);
    ASSERT_TRUE(d->addReelgrabTask(page(1), {}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished")) == 1; }, 15000));
    EXPECT_TRUE(d->tasks().isEmpty());
    EXPECT_EQ(d->unrecordedFinishedCount(), 1);
    ASSERT_TRUE(d->storeNow());
    const auto rows = [this](const char *sql) {
        QStringList out;
        sqlite3 *db = nullptr;
        sqlite3_open(m_db.toUtf8().constData(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    };
    const QString file = QDir::home().filePath(QStringLiteral("fake-download.mp4"));
    ASSERT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(rows("SELECT FilePath || ' ' || Status FROM Downloading"), QStringList{file + QStringLiteral(" 9")});

    // A restart before the library took it: the row is moved across, the queue is empty.
    d.reset();
    auto again = make(1);
    EXPECT_TRUE(again->tasks().isEmpty());
    EXPECT_EQ(again->unrecordedFinishedCount(), 0);
    EXPECT_EQ(rows("SELECT FilePath FROM Downloaded"), QStringList{file});
    EXPECT_TRUE(rows("SELECT FilePath FROM Downloading").isEmpty());

    // Finished again into a file the library holds now: the next write drops the row.
    ASSERT_TRUE(again->addReelgrabTask(page(2), {}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished")) == 2; }, 15000));
    ASSERT_TRUE(again->storeNow());
    EXPECT_EQ(again->unrecordedFinishedCount(), 0);
    EXPECT_TRUE(rows("SELECT FilePath FROM Downloading").isEmpty());

    // The library recorded the file after the row was written (taking the row), and the user
    // removed it from the library since: the row does not come back, nor the item at a start.
    rows("DELETE FROM Downloaded");
    ASSERT_TRUE(again->addReelgrabTask(page(3), {}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished")) == 3; }, 15000));
    ASSERT_TRUE(again->storeNow());
    ASSERT_EQ(rows("SELECT Status FROM Downloading"), QStringList{QStringLiteral("9")});
    rows("DELETE FROM Downloading WHERE Status = 9");
    ASSERT_TRUE(again->storeNow());
    EXPECT_EQ(again->unrecordedFinishedCount(), 0);
    EXPECT_TRUE(rows("SELECT FilePath FROM Downloading").isEmpty());
}

TEST_F(Dispatcher, RemoveRearrangeAndRefuse)
{
    qputenv("FAKE_RGK_MODE", "silent");
    auto d = make(1);
    delegate.refuseAdd = true;
    EXPECT_FALSE(d->addReelgrabTask(page(0), {}));
    delegate.refuseAdd = false;
    d->pauseTasks(nullptr);
    d->setObjectForPreferenceKey(0, QStringLiteral("download-max-tasks"));  // still at least one
    EXPECT_EQ(d->maxRunningTasks(), 1);
    ASSERT_TRUE(d->addReelgrabTasks({page(1), page(2), QStringLiteral("bad"), page(3)}, QStringLiteral("test"), {}));
    ASSERT_EQ(d->tasks().size(), 3);
    const auto ts = d->tasks();
    d->rearrange({ts[2], ts[0]});
    EXPECT_EQ(d->tasks(), (QList<QVReelgrabTask *>{ts[2], ts[0], ts[1]}));
    d->removeTasks(nullptr);
    EXPECT_TRUE(d->tasks().isEmpty());
    EXPECT_EQ(delegate.count(QStringLiteral("removed")), 3);
}

TEST_F(Dispatcher, WritesTheClientPreferencesFile)
{
    auto d = make(1);
    d->setObjectForPreferenceKey(true, QStringLiteral("download-speedup"));
    const QVariantMap prefs = PropertyList::readFile(QVReelgrabTask::clientPreferencesPath()).toMap();
    EXPECT_TRUE(prefs.value(QStringLiteral("download-speedup")).toBool());
    EXPECT_EQ(prefs.value(QStringLiteral("download-ffmpeg")).toString(), QStringLiteral("/usr/bin/ffmpeg"));
    EXPECT_TRUE(prefs.contains(QStringLiteral("download-swiftcarry")));
    EXPECT_EQ(prefs.value(QStringLiteral("download-max-tasks")).toLongLong(), 1);
}

TEST(ReelgrabKitFacade, QuickSniffAnswersAndSizeEstimates)
{
    const QByteArray answer = R"({"info":{"title":"A &amp; B","duration":"1:02:03"},
        "download_links":[{"quality":"720p","type":"MP4"},{"quality":"hd","type":"mkv"},{"quality":"1080p60","type":"M4A"},
                          {"quality":"999","type":"webm"}],
        "subtitles":{"en":{},"de":{}}})";
    const QVOnlineVideoInfo info = QVMediaSniffer::onlineVideoInfoFromQuickSniff(answer);
    EXPECT_EQ(info.mediaTitle(), QStringLiteral("A &amp; B"));
    EXPECT_EQ(info.duration(), 3723);
    const auto tracks = info.mediaInfos();
    ASSERT_EQ(tracks.size(), 4);
    EXPECT_EQ(tracks[0].mediaQuality, 720);
    EXPECT_EQ(tracks[0].mediaFormat, 0x6d703420u);  // "mp4 "
    EXPECT_EQ(tracks[1].mediaQuality, 0);
    EXPECT_EQ(tracks[1].mediaFormat, 0u);          // listed, format unset
    EXPECT_EQ(tracks[2].mediaFormat, 0x6d703461u);  // "mp4a"
    EXPECT_EQ(tracks[2].mediaQuality, 1080);
    EXPECT_EQ(tracks[3].mediaQuality, 0);
    EXPECT_EQ(info.subtitleCodes(), (QStringList{"de", "en"}));
    for (const QByteArray &bad : {QByteArray(), QByteArray("null"), QByteArray("[1,2]"), QByteArray("{\"info\":7}")})
        EXPECT_TRUE(QVMediaSniffer::onlineVideoInfoFromQuickSniff(bad).mediaInfos().isEmpty());

    ReelgrabKit kit;
    EXPECT_EQ(kit.filesizeofResolution(0, 10), 320000);
    EXPECT_EQ(kit.filesizeofResolution(720, 10), qint64(2500 + 128) * 10 * 128);
    EXPECT_EQ(kit.filesizeofResolution(777, 10), 0);
}

namespace {

bool processGone(qint64 pid)
{
    return TestEnvironment::waitFor([pid] { return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }, 10000);
}

QStringList launchLines(const QString &log)
{
    QFile f(log);
    f.open(QIODevice::ReadOnly);
    QStringList lines;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (line.startsWith(QLatin1String("launched")))
            lines << line;
    return lines;
}

class SpareHelper : public Dispatcher
{
protected:
    void SetUp() override
    {
        Dispatcher::SetUp();
        m_log = TestEnvironment::home() + QStringLiteral("/spare-%1.log").arg(s_n);
        qputenv("FAKE_RGK_LOG", m_log.toLocal8Bit());
        qputenv("FAKE_RGK_DELAY_MS", "300");  // long enough to see which process runs the task
    }
    void TearDown() override
    {
        qunsetenv("FAKE_RGK_LOG");
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
        UserDefaults::standard().removeObjectForKey(QStringLiteral("download-library"));
        QVReelgrabTask::setLaunchTimeoutForTesting(0);
        Dispatcher::TearDown();
    }
    std::unique_ptr<QVReelgrabTaskDispatcher> makeWithSpare()
    {
        auto d = make(1);
        d->setObjectForPreferenceKey(true, QStringLiteral("download-spare-helper"));
        return d;
    }
    // Runs one task to its end; the pid of the helper that ran it (the one that answered).
    qint64 runOne(QVReelgrabTaskDispatcher &d, int i)
    {
        struct Answered : QVReelgrabTaskObserver
        {
            qint64 pid = 0;
            void reelgrabSniffingDidStarted(QVReelgrabTask *t) override { pid = t->helperProcessId(); }
        } answered;
        const int before = delegate.count(QStringLiteral("finished"));
        if (!d.addReelgrabTask(page(i), {}))
            return 0;
        d.tasks().last()->addObserver(&answered);
        TestEnvironment::waitFor([&] { return delegate.count(QStringLiteral("finished")) > before; }, 20000);
        return delegate.count(QStringLiteral("finished")) > before ? answered.pid : 0;
    }
    QString m_log;
};

} // namespace

TEST_F(SpareHelper, TheNextTaskTakesTheWaitingHelperOnEitherRoadAndAnotherIsStarted)
{
    for (bool sockets : {false, true}) {
        SCOPED_TRACE(sockets ? "sockets" : "named");
        if (sockets)
            qputenv("APP_SANDBOX_CONTAINER_ID", "fennix");
        auto d = makeWithSpare();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 20000));
        const qint64 spare = d->spareHelperProcessId();
        EXPECT_EQ(runOne(*d, 1), spare);
        EXPECT_TRUE(processGone(spare)) << "a finished task ends the helper it took";

        ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 20000));
        const qint64 next = d->spareHelperProcessId();
        EXPECT_NE(next, spare);
        EXPECT_EQ(runOne(*d, 2), next);

        ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 20000));
        const qint64 idle = d->spareHelperProcessId();
        d.reset();
        EXPECT_TRUE(processGone(idle)) << "the waiting helper ends with its queue";
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
    }
    EXPECT_EQ(delegate.count(QStringLiteral("finished")), 4);
}

TEST_F(SpareHelper, AHelperThatIsGoneOrStartedForOtherSettingsIsNotTaken)
{
    const QString library = TestEnvironment::home() + QStringLiteral("/engine-copy.so");
    QFile(library).open(QIODevice::WriteOnly);
    // A copy of the helper program, so it can be "updated" without touching the build.
    const QString program = TestEnvironment::home() + QStringLiteral("/bin/Reelgrab");
    QDir().mkpath(QFileInfo(program).absolutePath());
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_REELGRAB_PATH), program));
    QVReelgrabTask::setHelperExecutable(program);
    struct Case
    {
        const char *name;
        std::function<void(qint64 spare)> spoil;
        QString launchedWith;  // what the task's own helper must be started with
    };
    const Case cases[] = {
        {"killed while waiting", [](qint64 pid) { ::kill(pid_t(pid), SIGKILL); }, QString()},
        {"engine library changed",
         [&](qint64) { UserDefaults::standard().setObject(QStringLiteral("download-library"), library); },
         QStringLiteral("-l ") + library},
        {"connection road changed", [](qint64) { qputenv("APP_SANDBOX_CONTAINER_ID", "fennix"); }, QString()},
        {"program updated on disk",
         [&](qint64) {
             // A running program cannot be opened for writing: only its time changes.
             const timespec later[2] = {{::time(nullptr) + 3600, 0}, {::time(nullptr) + 3600, 0}};
             ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(program).constData(), later, 0), 0);
         },
         QString()},
    };
    int i = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(m_log);
        auto d = makeWithSpare();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 20000));
        const qint64 spare = d->spareHelperProcessId();
        c.spoil(spare);
        const qint64 ran = runOne(*d, ++i);
        EXPECT_NE(ran, 0) << "the task still runs, on a helper of its own";
        EXPECT_NE(ran, spare);
        EXPECT_TRUE(processGone(spare));
        EXPECT_TRUE(launchLines(m_log).contains(QStringLiteral("launched ") + c.launchedWith)) << launchLines(m_log).join(QLatin1Char('|')).toStdString();
        d.reset();
        UserDefaults::standard().removeObjectForKey(QStringLiteral("download-library"));
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
    }
}

TEST_F(SpareHelper, ASilentHelperIsEndedAndTurningTheSettingOffEndsTheWaitingOne)
{
    qputenv("FAKE_RGK_MODE", "silent");
    QVReelgrabTask::setLaunchTimeoutForTesting(400);
    {
        auto d = makeWithSpare();
        qint64 silent = 0;
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return (silent = d->spareHelperProcessId()) != 0; }, 20000));
        EXPECT_TRUE(processGone(silent)) << "never announced: ended after the launch time-out";
        EXPECT_FALSE(d->hasReadySpareHelper());
    }
    qputenv("FAKE_RGK_MODE", "finish");
    QVReelgrabTask::setLaunchTimeoutForTesting(0);
    auto d = makeWithSpare();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return d->hasReadySpareHelper(); }, 20000));
    const qint64 spare = d->spareHelperProcessId();
    d->setObjectForPreferenceKey(false, QStringLiteral("download-spare-helper"));
    EXPECT_TRUE(processGone(spare));
    EXPECT_EQ(d->spareHelperProcessId(), 0);
    // Off, a task launches its own helper as before.
    EXPECT_NE(runOne(*d, 1), 0);
    EXPECT_EQ(d->spareHelperProcessId(), 0);
}
