// The running row's answers to every task callback, and the list's menus, play-list deletes and
// priority moves over a real queue whose helpers say nothing.
#include "SilentReelgrab.h"

#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "downloads/DLoadingItemViewCtr.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/PasteURLWndCtrl.h"
#include "platform/Dispatch.h"
#include "downloads/DownloadingViewCtr.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "reelgrab/QVSniffingMediaSegment.h"
#include "shell/MGMessageBox.h"
#include "shell/QuitCheckDialogboxController.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTimer>
#include <QLabel>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void setSizes(QVReelgrabTask &task, qint64 downloaded, qint64 size, qint64 speed = 0)
{
    QVSniffingMediaSegment s;
    s.setBytes(size);
    s.setDownloadedBytes(downloaded);
    s.setDownloadSpeed(speed);
    task.setSegments({s});
}

struct RowFixture
{
    QVReelgrabTask task;
    DownloadNode::Ptr node;
    std::shared_ptr<DLoadingItemViewCtr> row;
    explicit RowFixture(const QString &url)
    {
        task.setPageUrl(url);
        node = DownloadNode::create(std::shared_ptr<QVReelgrabTask>(&task, [](QVReelgrabTask *) {}));
        row = std::make_shared<DLoadingItemViewCtr>(node, &task);
        row->view()->resize(900, 81);
    }
};

bool shown(const MGHoverButton *b) { return b && !b->isHidden() && b->isEnabled(); }

TEST(RunningRow, CallbackTable)
{
    RowFixture f(QStringLiteral("https://videos.example.com/v/1"));
    DLoadingItemViewCtr &row = *f.row;
    const QColor grey(154, 154, 154);
    struct Case
    {
        const char *name;
        int status;
        qint64 downloaded, size;
        std::function<void()> call;
        QString text;          // empty: the status text is hidden
        bool red;
        bool progress, indeterminate, percent;
        double value;
        bool pause, retry, resume, stop;
    };
    QVReelgrabTask &t = f.task;
    const Case cases[] = {
        {"reset, queued", 0, 0, 0, [&] { row.reelgrabDownloadDidReset(&t); }, "Waiting for download...", false, true, false, false, 0, true, false, false, true},
        {"reset, waiting with size", 4, 50, 200, [&] { row.reelgrabDownloadDidReset(&t); }, "Waiting for analyz...", false, true, false, true, 25, true, false, false, true},
        {"sniffing started", 1, 0, 0, [&] { row.reelgrabSniffingDidStarted(&t); }, "Analyzing...", false, true, true, false, 0, true, false, false, true},
        {"sniffing progress", 1, 0, 0, [&] { row.reelgrabSniffingInProgress(&t, 40); }, "Analyzing...", false, true, false, true, 40, true, false, false, true},
        {"sniffing cancelled", 2, 0, 0, [&] { row.reelgrabSniffingDidCanceled(&t); }, "Paused", false, false, false, false, 40, false, false, true, false},
        {"sniffing completed", 4, 0, 0, [&] { row.reelgrabSniffingDidCompleted(&t); }, "Waiting for download...", false, true, false, true, 0, true, false, false, false},
        {"download started, size unknown", 5, 0, 0, [&] { row.reelgrabDownloadDidStarted(&t); }, "Waiting for download...", false, true, true, true, 0, true, false, false, false},
        {"downloading, no speed", 5, 750'000, 3'000'000, [&] { row.reelgrabDownloadingWithSpeed(&t, 0); }, "750.0 KB of 3.0 MB - 0 KB/s", false, true, false, true, 25, true, false, false, false},
        {"downloading", 5, 1'500'000, 3'000'000, [&] { row.reelgrabDownloadingWithSpeed(&t, 100'000); }, "1.5 MB of 3.0 MB - 100 KB/s, 15 seconds remaining", false, true, false, true, 50, true, false, false, false},
        {"paused", 6, 1'500'000, 3'000'000, [&] { row.reelgrabDownloadDidPaused(&t); }, "1.5 MB of 3.0 MB - paused", false, true, false, true, 50, false, false, true, false},
        {"failed", 7, 0, 0, [&] { row.reelgrabDownloadDidFailed(&t, QVReelgrabError::reelgrab(0)); }, "Failed to download. Click to record it.", true, false, false, false, 50, false, true, false, false},
        {"completed", 8, 2'000'000, 2'000'000, [&] { row.reelgrabDownloadDidCompleted(&t); }, "", false, true, true, false, 50, false, false, false, false},
        {"finished", 9, 2'000'000, 2'000'000, [&] { row.reelgrabDownloadDidFinished(&t); }, "", false, false, false, false, 50, false, false, false, false},
    };
    for (const Case &c : cases) {
        t.setDownloadStatus(c.status);
        setSizes(t, c.downloaded, c.size);
        c.call();
        const QString expected = c.text;
        // Texts that carry a speed or a time are checked by their fixed parts.
        if (expected.contains(QLatin1String("KB/s"))) {
            EXPECT_TRUE(row.statusText().startsWith(expected.section(QLatin1String(" - "), 0, 0) + QLatin1String(" - ")))
                << c.name << ": " << row.statusText().toStdString();
            EXPECT_EQ(row.statusText().contains(QLatin1String("remaining")), expected.contains(QLatin1String("remaining"))) << c.name;
        } else {
            EXPECT_EQ(row.statusText(), expected) << c.name;
        }
        if (!expected.isEmpty()) {
            EXPECT_EQ(row.statusColor() == grey, !c.red) << c.name;
        }
        EXPECT_EQ(row.isProgressVisible(), c.progress) << c.name;
        if (c.progress) {
            EXPECT_EQ(row.isProgressIndeterminate(), c.indeterminate) << c.name;
        }
        EXPECT_EQ(row.isPercentVisible(), c.percent) << c.name;
        if (c.progress && !c.indeterminate) {
            EXPECT_DOUBLE_EQ(row.progressValue(), c.value) << c.name;
        }
        EXPECT_EQ(shown(row.pauseButton()), c.pause) << c.name;
        EXPECT_EQ(shown(row.retryButton()), c.retry) << c.name;
        EXPECT_EQ(shown(row.resumeButton()), c.resume) << c.name;
        EXPECT_EQ(shown(row.stopButton()), c.stop) << c.name;
        EXPECT_FALSE(shown(row.deleteButton())) << c.name << ": deleting goes through the action view";
    }
    EXPECT_EQ(row.percentText(), QStringLiteral("50.00%"));
}

TEST(RunningRow, SniffingFailureTextDependsOnTheSite)
{
    RowFixture yt(QStringLiteral("https://www.youtube.com/watch?v=abc"));
    yt.task.setDownloadStatus(3);
    yt.row->reelgrabSniffingDidFailed(&yt.task, QVReelgrabError::reelgrab(3));
    EXPECT_EQ(yt.row->statusText(), QStringLiteral("Failed to download. Play the video on your broswer and try again."));
    EXPECT_EQ(yt.row->statusLink(), yt.task.pageUrl());
    EXPECT_TRUE(yt.row->isStatusClickable());
    EXPECT_EQ(yt.task.browser(), QStringLiteral("safari"));

    RowFixture other(QStringLiteral("https://videos.example.com/v/2"));
    other.task.setDownloadStatus(3);
    other.row->reelgrabSniffingDidFailed(&other.task, QVReelgrabError::reelgrab(3));
    EXPECT_EQ(other.row->statusText(), QStringLiteral("Failed to download. Click to record it."));
    EXPECT_TRUE(other.row->statusLink().isEmpty());
    bool recordShown = false;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("GotoRecordViewNotification"),
                                                    [&](const Notification &) { recordShown = true; });
    other.row->goToRecodView();
    EXPECT_TRUE(recordShown);
}

// Each failure keeps its reason beside the row's own text: under it and as its tool tip, also
// when the row is shown again later; any later step takes it away.
TEST(RunningRow, StartRecordSaysComingSoonOverTheWindow)
{
    RowFixture f(QStringLiteral("https://videos.example.com/v/2"));
    QWidget window;
    window.resize(900, 400);
    window.move(120, 80);
    f.row->view()->setParent(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    MGHoverButton *record = f.row->startRecordButton();
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(record->isHidden()) << "no status of the row shows the record button";

    QString message, button;
    QPoint boxCentre;
    int boxes = 0;
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        ++boxes;
        message = box->messageTextField()->text();
        button = box->yesButton()->title();
        boxCentre = box->frameGeometry().center();
        QTimer::singleShot(0, box, [box] { box->clickButton(box->yesButton()); });
    });
    record->show();
    record->setEnabled(true);
    QTest::mouseClick(record, Qt::LeftButton, Qt::NoModifier, record->rect().center());
    MGMessageBox::setRunHookForTesting({});
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(message, QStringLiteral("Coming soon !"));
    EXPECT_EQ(button, QStringLiteral("OK"));
    EXPECT_LE((boxCentre - window.frameGeometry().center()).manhattanLength(), 2);
}

TEST(RunningRow, FailureShowsItsReason)
{
    struct Case
    {
        const char *name;
        bool sniffing;
        QVReelgrabError error;
        QString status, reason;
    };
    const Case cases[] = {
        {"no media", true, QVReelgrabError::reelgrab(QVReelgrabError::NoMediaFound), QStringLiteral("Failed to download. Click to record it."),
         QStringLiteral("No video found on this page")},
        {"server unreachable", true, QVReelgrabError::reelgrab(7, QStringLiteral("Could not connect to 127.0.0.1")),
         QStringLiteral("Failed to download. Click to record it."), QStringLiteral("Could not connect to 127.0.0.1")},
        {"media gone", false, QVReelgrabError::reelgrab(3, QStringLiteral("The server answered 404")),
         QStringLiteral("Failed to download. Click to record it."), QStringLiteral("The server answered 404")},
        {"disk full, engine without sentences", false, QVReelgrabError::reelgrab(26),
         QStringLiteral("Failed to download. Click to record it."), QStringLiteral("Disk full")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RowFixture f(QStringLiteral("https://videos.example.com/v/9"));
        f.task.setDownloadStatus(c.sniffing ? 3 : 7);
        f.task.setFailureReason(c.error.reason());
        if (c.sniffing)
            f.row->reelgrabSniffingDidFailed(&f.task, c.error);
        else
            f.row->reelgrabDownloadDidFailed(&f.task, c.error);
        EXPECT_EQ(f.row->statusText(), c.status);
        EXPECT_EQ(f.row->failureReasonText(), c.reason);
        EXPECT_EQ(f.row->statusToolTip(), c.reason);
        // Shown again (the list rebuilds its rows) the reason comes from the task.
        f.row->displayWithReelgrabTask(&f.task);
        EXPECT_EQ(f.row->failureReasonText(), c.reason);
        f.task.setDownloadStatus(0);
        f.row->reelgrabDownloadDidReset(&f.task);
        EXPECT_TRUE(f.row->failureReasonText().isEmpty());
        EXPECT_TRUE(f.row->statusToolTip().isEmpty());
    }
}

// The list over a real queue ---------------------------------------------------------------------------------

class RunningList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SilentReelgrab::use();
        UserDefaults &d = UserDefaults::standard();
        d.setString(QStringLiteral("downloadedSavePath"), TestEnvironment::home() + QStringLiteral("/Movies"));
        d.setBool(QStringLiteral("AlertWhenDeleteDownloading"), true);
        d.setBool(QStringLiteral("AlertWhenDeleteAllDownloading"), true);
        QDir().mkpath(TestEnvironment::home() + QStringLiteral("/Movies"));
        static int n = 0;
        list = std::make_unique<DownloadingViewCtr>(TestEnvironment::home() + QStringLiteral("/list-%1.db").arg(++n));
        window.setCentralWidget(new QWidget);
        auto *holder = new QWidget(window.centralWidget());
        list->view()->setParent(holder);
        window.resize(1000, 600);
        holder->resize(1000, 600);
        list->view()->resize(1000, 600);
        window.show();
    }
    void TearDown() override
    {
        QuitCheckDialogboxController::setRunHookForTesting(nullptr);
        list->reelgrabDispatcher()->cancelAllTasks();
        list.reset();
        SilentReelgrab::release();
    }
    QVReelgrabTask *add(const QString &url, const QString &playlist = QString(), int index = 0)
    {
        QVariantMap params;
        EXPECT_TRUE(list->addReelgrabTask(url, params, false));
        QVReelgrabTask *t = list->reelgrabDispatcher()->tasks().constLast();
        if (!playlist.isEmpty()) {
            // Play-list members come from the queue with their play list set; the list files them
            // under a group when they arrive, so these are filed again as the queue would.
            list->reelgrabTaskWillbeRemoved(t);
            t->setPlaylistName(playlist);
            t->setPlaylistUUID(QStringLiteral("uuid-") + playlist);
            t->setIndexInPlaylist(index);
            list->reelgrabTaskDidLoad(t);
            list->updateUi();
        }
        return t;
    }
    int rowOf(QVReelgrabTask *t) const { return int(list->displayNodes().indexOf(list->nodeForTask(t))); }

    QMainWindow window;
    std::unique_ptr<DownloadingViewCtr> list;
};

TEST_F(RunningList, MenuValidationFollowsTheSelectionAndStatuses)
{
    using C = DownloadingViewCtr::Command;
    QVReelgrabTask *a = add(QStringLiteral("https://videos.example.com/a"));
    QVReelgrabTask *b = add(QStringLiteral("https://videos.example.com/b"));
    a->setDownloadStatus(5);
    b->setDownloadStatus(0);
    list->updateUi();
    list->selectRows({});
    for (C c : {C::Pause, C::Resume, C::Expand, C::Collapse, C::Priority, C::Delete, C::CopyURL})
        EXPECT_FALSE(list->validateCommand(c)) << int(c) << " with nothing selected";
    EXPECT_TRUE(list->validateCommand(C::DeleteAll));

    struct Case { QList<int> rows; int statusA, statusB; C command; bool enabled; };
    const Case cases[] = {
        {{0}, 5, 0, C::Pause, true},       {{0}, 6, 0, C::Pause, false},   {{0}, 6, 0, C::Resume, true},
        {{0}, 2, 0, C::Resume, true},      {{1}, 5, 0, C::Priority, true}, {{0, 1}, 5, 0, C::Priority, false},
        {{1}, 5, 4, C::Priority, true},    {{0, 1}, 5, 0, C::CopyURL, false}, {{1}, 5, 0, C::CopyURL, true},
        {{0}, 7, 0, C::RetryAll, true},    {{0}, 5, 0, C::RetryAll, false}, {{0}, 3, 2, C::ResumeAll, true},
        {{0}, 5, 0, C::Expand, false},
    };
    for (const Case &c : cases) {
        a->setDownloadStatus(c.statusA);
        b->setDownloadStatus(c.statusB);
        list->selectRows(c.rows);
        EXPECT_EQ(list->validateCommand(c.command), c.enabled)
            << int(c.command) << " rows " << c.rows.size() << " a=" << c.statusA << " b=" << c.statusB;
    }
    // A modal window disables every item.
    QDialog modal(&window);
    modal.setModal(true);
    modal.show();
    list->selectRows({0});
    a->setDownloadStatus(5);
    EXPECT_FALSE(list->validateCommand(C::Pause));
    modal.hide();
}

TEST_F(RunningList, PlaylistRowsDeleteAndPriority)
{
    QVReelgrabTask *single = add(QStringLiteral("https://videos.example.com/single"));
    QVReelgrabTask *m1 = add(QStringLiteral("https://videos.example.com/p1"), QStringLiteral("P"), 1);
    QVReelgrabTask *m2 = add(QStringLiteral("https://videos.example.com/p2"), QStringLiteral("P"), 2);
    QVReelgrabTask *m3 = add(QStringLiteral("https://videos.example.com/p3"), QStringLiteral("P"), 3);
    QVReelgrabTask *w1 = add(QStringLiteral("https://videos.example.com/w1"));
    QVReelgrabTask *w2 = add(QStringLiteral("https://videos.example.com/w2"));
    for (QVReelgrabTask *t : {m1, m2, m3, w1, w2})
        t->setDownloadStatus(0);
    single->setDownloadStatus(5);
    list->updateUi();
    ASSERT_EQ(list->playlistNodes().size(), 1);
    // Collapsed: one row for the play list, its first member.
    EXPECT_EQ(list->displayNodes().size(), 4);
    EXPECT_TRUE(list->nodeForTask(m1)->isPlaylistNode());
    EXPECT_EQ(rowOf(m2), -1);

    list->selectRows({rowOf(m1)});
    EXPECT_TRUE(list->validateCommand(DownloadingViewCtr::Command::Expand));
    list->runCommand(DownloadingViewCtr::Command::Expand);
    EXPECT_EQ(list->displayNodes().size(), 6);
    EXPECT_EQ(rowOf(m2), rowOf(m1) + 1);
    EXPECT_EQ(rowOf(m3), rowOf(m1) + 2);
    list->selectRows({rowOf(m2)});
    list->runCommand(DownloadingViewCtr::Command::Collapse);
    EXPECT_EQ(list->displayNodes().size(), 4);

    // Priority: the waiting task of the selection moves to the front, the downloading one stays.
    list->selectRows({rowOf(w2), rowOf(single)});
    list->clickPriorityMenuItem();
    EXPECT_EQ(list->taskNodes().first(), list->nodeForTask(w2));
    EXPECT_EQ(list->taskNodes().at(1), list->nodeForTask(single));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return list->reelgrabDispatcher()->tasks().first() == w2; }, 2000));

    // Deleting the collapsed play list's row asks first (a member is protected) and removes every member.
    m2->setDownloadStatus(4);
    int asked = 0;
    QuitCheckDialogboxController::setRunHookForTesting([&](QuitCheckDialogboxController *d) {
        ++asked;
        QTimer::singleShot(0, d, [d] { d->clickQuit(); });
    });
    list->selectRows({rowOf(m1)});
    list->clickDeleteMenuItem();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(list->nodeForTask(m1));
    EXPECT_FALSE(list->nodeForTask(m2));
    EXPECT_FALSE(list->nodeForTask(m3));
    EXPECT_EQ(list->tasksCount(), 3);
    EXPECT_EQ(list->displayNodes().size(), 3);

    // Only failed and cancelled tasks: nothing is asked.
    w1->setDownloadStatus(7);
    list->selectRows({rowOf(w1)});
    list->clickDeleteMenuItem();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(list->nodeForTask(w1));

    // The answer "cancel" keeps the task.
    QuitCheckDialogboxController::setRunHookForTesting([&](QuitCheckDialogboxController *d) {
        ++asked;
        QTimer::singleShot(0, d, [d] { d->clickCancel(); });
    });
    list->selectRows({rowOf(single)});
    list->clickDeleteMenuItem();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(list->nodeForTask(single));
}

TEST_F(RunningList, DeleteKeyOfAnotherTableBeepsAndDropsTakeOnlyWebAddresses)
{
    add(QStringLiteral("https://videos.example.com/k"));
    DownloadTableView other;
    NotificationCenter::defaultCenter().post(QStringLiteral("DeleteNotification"), QVariant::fromValue<QObject *>(&other));
    EXPECT_EQ(list->tasksCount(), 1);
    EXPECT_TRUE(DownloadingViewCtr::acceptsDroppedAddress(QStringLiteral("https://a.com/v")));
    EXPECT_FALSE(DownloadingViewCtr::acceptsDroppedAddress(QStringLiteral("ftp://a.com/v")));
    EXPECT_FALSE(DownloadingViewCtr::acceptsDroppedAddress(QStringLiteral("file:///etc/passwd")));
    EXPECT_FALSE(DownloadingViewCtr::acceptsDroppedAddress(QStringLiteral("javascript:alert(1)")));
}

} // namespace

// The page's paste and drop roads over the same silent queue ---------------------------------------------

class PageRoads : public ::testing::Test
{
protected:
    struct StepClock : dispatch::Clock
    {
        mutable qint64 now = 5'000'000;
        qint64 nowMs() const override { return now += 1000; }
    };
    void SetUp() override
    {
        SilentReelgrab::use();
        dispatch::Clock::setForTesting(&clock);
        UserDefaults::standard().setBool(QStringLiteral("YouTubeAutoDownloadMode"), false);
        static int n = 0;
        const QString folder = TestEnvironment::home() + QStringLiteral("/roads-%1").arg(++n);
        QDir().mkpath(folder);
        db = std::make_unique<DataBaseManager>(folder);
        page = std::make_unique<DownloadViewCtrl>(std::make_unique<DatabaseLibraryHandoff>(db.get()), db->databasePath());
        page->downloadingList()->setOptionsDialog([this](const QString &url, const QString &) {
            dialogUrls << url;
            return DownloadContentRules::OptionsChoice{0, 0, {}, {}};
        });
        page->view()->resize(1000, 600);
    }
    void TearDown() override
    {
        PasteURLWndCtrl::setRunHookForTesting(nullptr);
        page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        page.reset();
        dispatch::Clock::setForTesting(nullptr);
        SilentReelgrab::release();
    }
    QStringList queued() const
    {
        QStringList urls;
        for (QVReelgrabTask *t : page->downloadingList()->reelgrabDispatcher()->tasks())
            urls << t->storedPageUrl();
        return urls;
    }
    QVReelgrabTask *last() const { return page->downloadingList()->reelgrabDispatcher()->tasks().constLast(); }

    StepClock clock;
    std::unique_ptr<DataBaseManager> db;
    std::unique_ptr<DownloadViewCtrl> page;
    QStringList dialogUrls;
};

TEST_F(PageRoads, PasteMp3WindowDialogAndDrop)
{
    QClipboard *clipboard = QApplication::clipboard();
    // A YouTube page may ask the options dialog; cancelling it adds nothing.
    clipboard->setText(QStringLiteral("WWW.youtube.com/watch?v=abc\nnext line"));
    page->pasteUrl();
    EXPECT_EQ(dialogUrls, QStringList{QStringLiteral("http://WWW.youtube.com/watch?v=abc")});
    EXPECT_TRUE(queued().isEmpty());
    EXPECT_FALSE(page->downloadingList()->isTaskAdd());

    // "Download MP3" never asks and queues audio only.
    page->downloadMP3();
    ASSERT_EQ(queued().size(), 1);
    EXPECT_EQ(last()->downloadContent(), 4);
    EXPECT_EQ(dialogUrls.size(), 1);

    // Another scheme opens the paste window; its address is queued, cleaned and escaped.
    clipboard->setText(QStringLiteral("ftp://files.example.com/v"));
    int windows = 0;
    PasteURLWndCtrl::setRunHookForTesting([&](PasteURLWndCtrl *w) {
        ++windows;
        w->setURL(QStringLiteral("www.example.com/a b"));
        w->clickDownload();
    });
    page->pasteUrl();
    EXPECT_EQ(windows, 1);
    ASSERT_EQ(queued().size(), 2);
    EXPECT_EQ(queued().constLast(), QStringLiteral("http://www.example.com/a%20b"));

    // A closed paste window adds nothing; a second click within 800 ms is dropped.
    PasteURLWndCtrl::setRunHookForTesting([&](PasteURLWndCtrl *) { ++windows; });
    page->pasteUrl();
    EXPECT_EQ(windows, 2);
    clock.now -= 500; // the next click comes 500 ms after the last accepted one
    page->pasteUrl();
    EXPECT_EQ(windows, 2);
    EXPECT_EQ(queued().size(), 2);

    // Drops: taken when long enough and on the web (blanks escaped for the queue), refused otherwise.
    for (const QString &drop : {QStringLiteral("http://a"), QStringLiteral("javascript:alert(1)"),
                                QStringLiteral("file:///etc/passwd")})
        NotificationCenter::defaultCenter().post(QStringLiteral("DragURLToMainApp"), drop);
    EXPECT_EQ(queued().size(), 2);
    NotificationCenter::defaultCenter().post(QStringLiteral("DragURLToMainApp"), QStringLiteral("https://videos.example.com/a b"));
    ASSERT_EQ(queued().size(), 3);
    EXPECT_EQ(queued().constLast(), QStringLiteral("https://videos.example.com/a%20b"));
    NotificationCenter::defaultCenter().post(QStringLiteral("DragURLToMainApp"), QStringLiteral("https://videos.example.com/%7Eb"));
    EXPECT_EQ(queued().constLast(), QStringLiteral("https://videos.example.com/%7Eb")) << "a readable address goes on unchanged";
    EXPECT_EQ(page->downloadingList()->tasksCount(), 4);
}

TEST_F(RunningList, FollowsChangedPreferencesAfterTheWindowSaysSo)
{
    QVReelgrabTaskDispatcher *dispatcher = list->reelgrabDispatcher();
    EXPECT_EQ(dispatcher->maxRunningTasks(), 1);
    UserDefaults::standard().setInteger(QStringLiteral("numberOfDownload"), 4);
    UserDefaults::standard().setBool(QStringLiteral("AutoDownloadSpeedup"), true);
    EXPECT_EQ(dispatcher->maxRunningTasks(), 1);  // nothing changes before the notification
    NotificationCenter::defaultCenter().post(QStringLiteral("Noticication-Named-Preferences-Update"));
    EXPECT_EQ(dispatcher->maxRunningTasks(), 4);
    EXPECT_TRUE(UserDefaults::toBool(dispatcher->preference(QStringLiteral("download-speedup"))));
    UserDefaults::standard().setInteger(QStringLiteral("numberOfDownload"), 1);
    UserDefaults::standard().setBool(QStringLiteral("AutoDownloadSpeedup"), false);
}
