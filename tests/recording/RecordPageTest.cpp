// The Record page over its own list file, a thumbnail service without a tool and, for the
// recording itself, the stand-in recorder.
#include "RowTitleMenu.h"

#include "controls/DownloadTableView.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "recording/RecordListStore.h"
#include "recording/RecordViewCtrl.h"
#include "recording/ScreenRecordCtrl.h"
#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordWndCtr.h"
#include "controls/ManualControlTimers.h"
#include "shell/MGMessageBox.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

class RecordPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.filePath(QStringLiteral("Record"));
        QDir().mkpath(folder);
        storePath = dir.filePath(QStringLiteral("support/RecordData.data"));
        UserDefaults::standard().setString(QStringLiteral("recordPath"), folder);
        UserDefaults::standard().setString(QStringLiteral("RecordSortByKey"), QStringLiteral("Date"));
        UserDefaults::standard().setString(QStringLiteral("RecordSortByOrder"), QStringLiteral("Descending"));
        thumbnails = std::make_unique<ThumbnailServerWraper>(false);
        makePage();
    }
    void TearDown() override
    {
        DeleteModalWindowCtr::setRunHookForTesting(nullptr);
        MGMessageBox::setRunHookForTesting(nullptr);
        ScreenRecordCtrl::setFailureNotifierForTesting(nullptr);
        ScreenRecordCtrl::setInstallAskerForTesting(nullptr);
        page.reset();
    }
    void makePage()
    {
        page.reset();
        page = std::make_unique<RecordViewCtrl>(storePath, thumbnails.get(), &server);
        page->setMessenger([this](const QString &m) { messages << m; });
        page->setImporter([this](const QStringList &paths) { imported << paths; import(paths); });
        page->view()->resize(900, 600);
        page->view()->show();
    }
    // What the media loader would give for a recording.
    void import(const QStringList &paths)
    {
        QList<std::shared_ptr<DownloadedItem>> items;
        for (const QString &p : paths) {
            auto item = std::make_shared<DownloadedItem>();
            item->setFilePath(p);
            item->setTime(3);
            item->setVideoSize(QFileInfo(p).size());
            item->setResolution(1080);
            items << item;
        }
        page->mediaLoaderDidEndLoadFiles(items);
    }
    // Recordings made one after another (the last is the newest).
    void record(const QStringList &names)
    {
        for (const QString &n : names) {
            touch(folder + QLatin1Char('/') + n);
            import({folder + QLatin1Char('/') + n});
        }
    }
    QStringList shownNames() const
    {
        QStringList names;
        for (const auto &node : page->displayList())
            names << node->fileName();
        return names;
    }
    QStringList storedPaths() const
    {
        QStringList paths;
        for (const auto &item : RecordListStore(storePath).load().items)
            paths << item->filePath();
        return paths;
    }

    QTemporaryDir dir;
    QString folder;
    QString storePath;
    std::unique_ptr<ThumbnailServerWraper> thumbnails;
    ScreenRecordServer server;
    std::unique_ptr<RecordViewCtrl> page;
    QStringList messages;
    QStringList imported;
};

TEST_F(RecordPage, ImportedRecordingIsStoredAtOnceAndTheListSurvivesARestart)
{
    EXPECT_TRUE(page->guideBox()->isVisible());
    record({"a.mp4", "b.mp4", "c.mp4"});
    EXPECT_FALSE(page->guideBox()->isVisible());
    EXPECT_EQ(shownNames(), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(page->selectedRows(), QList<int>{0});
    // Written at the import, before any thumbnail came: a crash now loses nothing.
    EXPECT_EQ(storedPaths(), (QStringList{folder + "/c.mp4", folder + "/b.mp4", folder + "/a.mp4"}));

    // After a restart nothing has an add date: Date order is the stored order, newest first.
    makePage();
    EXPECT_EQ(shownNames(), (QStringList{"c", "b", "a"}));
    QSet<qint32> ids;
    for (const auto &node : page->recordList())
        ids.insert(node->downloadItem()->downloadID());
    EXPECT_EQ(ids.size(), 3) << "each item gets its own identifier for the run";
}

TEST_F(RecordPage, DamagedListIsKeptAsideAndSaidSo)
{
    record({"one.mp4", "two.mp4"});
    QFile f(storePath);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    f.resize(whole.size() - 5);
    f.close();

    makePage();
    EXPECT_EQ(shownNames(), QStringList{"two"}) << "what could be read before the damage";
    EXPECT_TRUE(page->loadNotice().contains(QLatin1String("damaged"))) << page->loadNotice().toStdString();
    const QStringList aside = QDir(QFileInfo(storePath).absolutePath()).entryList({QStringLiteral("RecordData.data.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    record({"three.mp4"});
    QFile kept(QFileInfo(storePath).absolutePath() + QLatin1Char('/') + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), whole.left(whole.size() - 5)) << "the next save left the damaged file alone";
}

TEST_F(RecordPage, SearchIsALiteralCaseAndAccentFreeMatch)
{
    record({"it's a test.mp4", "back\\slash.mp4", "Café.mp4", "plain.mp4"});
    const struct
    {
        const char *text;
        QStringList shown;
    } cases[] = {
        {"'", {"it's a test"}},
        {"\\", {"back\\slash"}},
        {"cafe", {"Café"}},
        {"PLAIN", {"plain"}},
        {"   ", {"plain", "Café", "back\\slash", "it's a test"}},
        {"nothing like it", {}},
    };
    for (const auto &c : cases) {
        page->searchField()->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(shownNames(), c.shown) << c.text;
    }
    // No match shows an empty table, not the guide.
    EXPECT_FALSE(page->guideBox()->isVisible());
}

TEST_F(RecordPage, SortingKeepsTheSelectionAndABadKeyFallsBackToNewestFirst)
{
    record({"b.mp4", "c.mp4", "a.mp4"});
    page->recordList()[0]->downloadItem()->setVideoSize(10);  // a
    page->recordList()[1]->downloadItem()->setVideoSize(30);  // c
    page->recordList()[2]->downloadItem()->setVideoSize(20);  // b
    page->selectRows({0, 2});  // a and b
    page->sortBy(RecordViewCtrl::SortKey::Name);
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("RecordSortByKey")), QStringLiteral("Name"));
    EXPECT_EQ(shownNames(), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(page->selectedRows(), (QList<int>{1, 2}));
    page->sortByOrder(true);
    EXPECT_EQ(shownNames(), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(page->selectedRows(), (QList<int>{0, 1}));
    page->sortBy(RecordViewCtrl::SortKey::Size);
    EXPECT_EQ(shownNames(), (QStringList{"a", "b", "c"}));

    UserDefaults::standard().setString(QStringLiteral("RecordSortByKey"), QStringLiteral("Colour"));
    UserDefaults::standard().setString(QStringLiteral("RecordSortByOrder"), QStringLiteral("Ascending"));
    page->refreshRecordTableView();
    EXPECT_EQ(shownNames(), (QStringList{"a", "c", "b"})) << "newest first";
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("RecordSortByKey")), QStringLiteral("Date"));
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("RecordSortByOrder")), QStringLiteral("Descending"));
}

TEST_F(RecordPage, DeleteMovesFilesToTheTrashAndKeepsTheRowOfAFileThatStays)
{
    record({"keep.mp4", "stuck.mp4", "gone.mp4", "other.mp4"});
    page->setTrasher([](const QString &path, QString *error) {
        if (path.endsWith(QLatin1String("stuck.mp4"))) {
            *error = QStringLiteral("read-only file system");
            return false;
        }
        return QFile::remove(path);
    });
    DeleteModalWindowCtr::setRunHookForTesting([](DeleteModalWindowCtr *w) {
        QTimer::singleShot(0, w, [w] {
            w->checkButton()->setState(1);
            w->deleteButtion();
        });
    });
    page->selectRows({1, 2});  // gone, stuck
    page->deleteItem();
    EXPECT_EQ(shownNames(), (QStringList{"other", "stuck", "keep"}));
    EXPECT_FALSE(QFile::exists(folder + "/gone.mp4"));
    EXPECT_TRUE(QFile::exists(folder + "/stuck.mp4"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().contains(QLatin1String("stuck.mp4")));
    EXPECT_EQ(page->selectedRows(), QList<int>{1});
    EXPECT_EQ(storedPaths().size(), 3);

    // Without the box ticked only the rows go; the real Trash takes files of the last row.
    DeleteModalWindowCtr::setRunHookForTesting([](DeleteModalWindowCtr *w) { QTimer::singleShot(0, w, [w] { w->deleteButtion(); }); });
    page->selectRows({0});
    page->deleteItem();
    EXPECT_TRUE(QFile::exists(folder + "/other.mp4"));
    EXPECT_EQ(shownNames(), (QStringList{"stuck", "keep"}));
    page->setTrasher(nullptr);
    DeleteModalWindowCtr::setRunHookForTesting([](DeleteModalWindowCtr *w) {
        QTimer::singleShot(0, w, [w] {
            w->checkButton()->setState(1);
            w->deleteButtion();
        });
    });
    page->selectRows({1});
    page->deleteItem();
    EXPECT_FALSE(QFile::exists(folder + "/keep.mp4"));
    EXPECT_EQ(shownNames(), QStringList{"stuck"});
    EXPECT_EQ(page->selectedRows(), QList<int>{0}) << "the new last row";
}

TEST_F(RecordPage, RightClickOnARowTitleShowsTheListMenu)
{
    record({"take.mp4"});
    QApplication::processEvents();
    ASSERT_EQ(page->displayList().size(), 1);
    EXPECT_EQ(RowTitleMenu::rightClickTitle(page->tableView(),
                                            page->displayList().first()->downloadingItemViewCtr<DownloadedItemViewCtrl>()),
              QString());
}

TEST_F(RecordPage, RenameFollowsTheLibrarysRules)
{
    record({"first.mp4", "second.mp4"});
    QStringList warnings;
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        warnings << box->messageTextField()->text();
        QTimer::singleShot(0, box, [box] { box->orderOutAndStopModal(); });
    });
    const auto second = page->recordList()[0];
    page->changeDidEnd(second, QStringLiteral("renamed"));
    EXPECT_EQ(second->filePath(), folder + "/renamed.mp4");
    EXPECT_TRUE(QFile::exists(folder + "/renamed.mp4"));
    EXPECT_TRUE(storedPaths().contains(folder + "/renamed.mp4"));

    const struct
    {
        const char *name;
        const char *warning;  // part of the box's text; empty: no box
    } cases[] = {
        {"first", "already exists"},
        {"bad:name", "cannot contain"},
        {"   ", ""},
    };
    for (const auto &c : cases) {
        warnings.clear();
        page->changeDidEnd(second, QString::fromLatin1(c.name));
        EXPECT_EQ(second->filePath(), folder + "/renamed.mp4") << c.name;
        if (*c.warning)
            EXPECT_TRUE(!warnings.isEmpty() && warnings.first().contains(QLatin1String(c.warning))) << c.name;
        else
            EXPECT_TRUE(warnings.isEmpty()) << c.name;
    }
    // Longer than 200 characters: cut to 200.
    page->changeDidEnd(second, QString(250, QLatin1Char('n')));
    EXPECT_EQ(QFileInfo(second->filePath()).completeBaseName().size(), 200);
}

TEST_F(RecordPage, ThumbnailIsCopiedSoOtherListsKeepTheirs)
{
    record({"clip.mp4"});
    const QString made = dir.filePath(QStringLiteral("made-by-the-service.png"));
    touch(made, "png");
    page->getThumbnailPath(made, folder + "/clip.mp4", 0, 1);
    const QString stored = page->recordList().first()->downloadItem()->thumbnailPath();
    EXPECT_TRUE(stored.startsWith(RecordViewCtrl::thumbnailFolder())) << stored.toStdString();
    EXPECT_TRUE(QFile::exists(stored));
    EXPECT_TRUE(QFile::exists(made)) << "the Convert and Transfer lists were handed the same file";
    EXPECT_EQ(RecordListStore(storePath).load().items.first()->thumbnailPath(), stored);
    // An answer for a file that is not listed changes nothing.
    page->getThumbnailPath(made, folder + "/other.mp4", 0, 1);
    EXPECT_EQ(page->recordList().first()->downloadItem()->thumbnailPath(), stored);
}

TEST_F(RecordPage, HandOffsCarryExactlyTheSelectedRecordings)
{
    record({"a.mp4", "b.mp4", "c.mp4"});
    QList<QVariantList> converter, transfer;
    QObject watcher;
    NotificationCenter::defaultCenter().addObserver(&watcher, QStringLiteral("AddToConverterNotification"),
                                                    [&](const Notification &n) { converter << n.object.toList(); });
    NotificationCenter::defaultCenter().addObserver(&watcher, QStringLiteral("AddToTransferNotification"),
                                                    [&](const Notification &n) { transfer << n.object.toList(); });
    page->searchField()->setText(QStringLiteral("a"));
    page->selectRows({0});
    page->ConvertItems();
    ASSERT_EQ(converter.size(), 1);
    ASSERT_EQ(converter.first().size(), 1);
    EXPECT_EQ(converter.first().first().value<std::shared_ptr<DownloadedItem>>()->fileName(), QStringLiteral("a"));
    page->downloadedItemAddToTransfer(page->displayList().first());
    ASSERT_EQ(transfer.size(), 1);
    EXPECT_TRUE(page->validateMenuItem(page->menuItem(QStringLiteral("ConvertItems:"))));
    QFile::remove(folder + "/a.mp4");
    EXPECT_FALSE(page->validateMenuItem(page->menuItem(QStringLiteral("ConvertItems:")))) << "its file is gone";
}

// Record with the stand-in recorder: the button is busy (and the scheduler waits) until the
// recording is back, which lands at the top under its date-time name.
TEST_F(RecordPage, RecordButtonWaitsForTheRecordingWhichArrivesUnderItsDateTimeName)
{
    qputenv("DISPLAY", ":98");
    qputenv("XDG_SESSION_TYPE", "x11");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("FAKE_RECORDER_MODE", "report");
    qputenv("FAKE_RECORDER_ARGS", dir.filePath(QStringLiteral("args")).toLocal8Bit());
    server.setScreenRecordClientExecPath(QStringLiteral(FAKE_RECORDER_PROGRAM));
    int asked = 0;
    ScreenRecordCtrl::setInstallAskerForTesting([&] { ++asked; return false; });
    record({"older.mp4"});

    QTest::mouseClick(page->recordButton(), Qt::LeftButton);
    EXPECT_TRUE(page->isHasTask());
    EXPECT_FALSE(page->recordButton()->isEnabled());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !imported.isEmpty(); }, 10000));
    EXPECT_FALSE(page->isHasTask());
    EXPECT_TRUE(page->recordButton()->isEnabled());
    const QString name = QFileInfo(imported.first()).fileName();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d(\\(\\d+\\))?\\.mp4$")).match(name).hasMatch()) << name.toStdString();
    EXPECT_EQ(QFileInfo(imported.first()).absolutePath(), QFileInfo(folder).absoluteFilePath());
    EXPECT_EQ(page->displayList().first()->filePath(), imported.first());
    EXPECT_EQ(page->selectedRows(), QList<int>{0});
    EXPECT_LE(asked, 1);

    // A recorder that fails ends the same way: Record is enabled again and the user is told.
    QStringList told;
    ScreenRecordCtrl::setFailureNotifierForTesting([&](const QString &m) { told << m; });
    qputenv("FAKE_RECORDER_MODE", "exit");
    QTest::mouseClick(page->recordButton(), Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !told.isEmpty(); }, 10000));
    EXPECT_FALSE(page->isHasTask());
    EXPECT_TRUE(page->recordButton()->isEnabled());
    EXPECT_EQ(imported.size(), 1);

    // On Wayland nothing starts, and the user reads why.
    told.clear();
    qputenv("XDG_SESSION_TYPE", "wayland");
    QTest::mouseClick(page->recordButton(), Qt::LeftButton);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told.first().contains(QLatin1String("X11 session")));
    EXPECT_FALSE(page->isHasTask());
    qputenv("XDG_SESSION_TYPE", "x11");
}

// The Record button's arrow offers "Record a region…": the overlay opens, Record counts down,
// Stop ends the take once the tool has written it, and the take joins the list under its
// reserved date-time name.
TEST_F(RecordPage, RecordARegionFromTheArrowMenuJoinsTheList)
{
    qputenv("DISPLAY", ":98");
    qputenv("XDG_SESSION_TYPE", "x11");
    qunsetenv("WAYLAND_DISPLAY");
    const QString toolLog = dir.filePath(QStringLiteral("tool.log"));
    qputenv("FAKE_GLINTCAP_LOG", toolLog.toLocal8Bit());
    ScreenRecordWndCtr::setToolProgramForTesting(QStringLiteral(FAKE_GLINTCAP_PROGRAM));
    ScreenRecordCtrl::setInstallAskerForTesting([] { return false; });
    ManualControlTimers timers;
    record({"older.mp4"});

    QTest::mouseClick(page->recordArrowButton(), Qt::LeftButton);
    QMenu *menu = page->recordMenu();
    ASSERT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 1);
    QAction *region = menu->actions().first();
    EXPECT_EQ(region->text(), QStringLiteral("Record a region\u2026"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(region).center());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(page->isHasTask());
    EXPECT_FALSE(page->recordButton()->isEnabled());
    EXPECT_FALSE(page->recordArrowButton()->isEnabled());
    ScreenRecordWndCtr *overlay = page->screenRecordCtrl()->regionRecorder();
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(overlay->window()->isVisible());

    QTest::mouseClick(overlay->recordButton(), Qt::LeftButton);
    while (overlay->phase() == ScreenRecordWndCtr::Phase::CountingDown)
        ASSERT_EQ(timers.elapse(1000), 1);
    auto heard = [&] {
        QFile f(toolLog);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return heard().contains("startCapture"); }, 15000));
    const QString file = overlay->outputFile();
    QTest::mouseClick(overlay->stopButton(), Qt::LeftButton);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !imported.isEmpty(); }, 15000));
    EXPECT_EQ(imported, QStringList{file});
    EXPECT_EQ(page->displayList().first()->filePath(), file);
    EXPECT_EQ(page->displayList().size(), 2);
    EXPECT_FALSE(page->isHasTask());
    EXPECT_TRUE(page->recordArrowButton()->isEnabled());
    ScreenRecordWndCtr::setToolProgramForTesting(QString());
    qunsetenv("FAKE_GLINTCAP_LOG");
}

} // namespace
