// The Convert page over a tool that never reports: rows, deletion, the pick of the next job,
// the menu, the hand-off from the library and the sheet's answers.
#include "ConverterFixtures.h"
#include "ConverterPageRig.h"
#include "RowTitleMenu.h"

#include "controls/DownloadTableView.h"
#include "converter/CascadePanel.h"
#include "converter/ConvFromatController.h"
#include "converter/ConverterGlobal.h"
#include "converter/ConverterViewCtrl.h"
#include "converter/EncFormatMgr.h"
#include "converter/OneModeOutputNames.h"
#include "converter/TBVideoConvertTask.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

class ConverterPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sleeper = MediaFixtures::writeScript(dir.path(), QStringLiteral("sleeper.sh"), QStringLiteral("exec sleep 60"));
        tool = std::make_unique<ScopedTool>(sleeper);
        ASSERT_TRUE(rig.make());
        page->setSheetShower([this](ConvFromatController *) { ++sheets; });
        page->view()->resize(900, 600);
        page->view()->show();
    }
    void TearDown() override
    {
        DeleteModalWindowCtr::setRunHookForTesting(nullptr);
        page.reset();
    }
    // Files on disk imported as rows; the list shows them last first.
    QList<std::shared_ptr<DownloadedItem>> addRows(const QStringList &names)
    {
        QList<std::shared_ptr<DownloadedItem>> items;
        for (const QString &n : names) {
            const QString path = dir.filePath(n);
            if (!QFileInfo::exists(path))
                touch(path);
            auto item = std::make_shared<DownloadedItem>();
            item->setFilePath(path);
            items << item;
        }
        page->mediaLoaderDidEndLoadFiles(items);
        return items;
    }
    QVariantMap answer(int formatID)
    {
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        b.presetDefaultsFlag = 1;
        ConvFromatController::fillBlockForPreset(*catalogue->formatItemForID(formatID), &b);
        return ConvFromatController::convertParam(catalogue->formatItemForID(formatID)->title(), formatID, b, false,
                                                  false, false);
    }
    std::shared_ptr<TBVideoConvertTask> jobOf(int row) const
    {
        return std::dynamic_pointer_cast<TBVideoConvertTask>(page->converlist()[row]->downloadItem()->converterItem());
    }
    quint32 statusOf(int row) const { return page->converlist()[row]->downloadItem()->taskStatus(); }

    ConverterPageRig rig;
    QTemporaryDir &dir = rig.dir;
    const QString &out = rig.out;
    std::unique_ptr<EncFormatMgr> &catalogue = rig.catalogue;
    std::unique_ptr<ThumbnailServerWraper> &thumbnails = rig.thumbnails;
    std::unique_ptr<ConverterViewCtrl> &page = rig.page;
    QString sleeper;
    std::unique_ptr<ScopedTool> tool;
    int sheets = 0;
};

} // namespace

TEST_F(ConverterPage, ConvertAllQueuesTopDownAndTheNextJobIsTheTopWaitingRow)
{
    EXPECT_TRUE(page->guideBox()->isVisible());
    EXPECT_EQ(page->stateText(), QString());
    addRows({"c.mp4", "b.mp4", "a.mp4"});
    ASSERT_EQ(page->converlist().size(), 3);
    EXPECT_EQ(page->converlist()[0]->downloadItem()->filePath(), dir.filePath("a.mp4")) << "a batch ends up reversed";
    EXPECT_EQ(page->selectedRows(), (QList<int>{0, 1, 2}));
    EXPECT_FALSE(page->guideBox()->isVisible());
    EXPECT_EQ(page->stateText(), QStringLiteral("3 items"));

    page->convertAll();
    EXPECT_EQ(sheets, 1);
    EXPECT_EQ(page->pendingRows().size(), 3);
    page->paramWindowClose(1, answer(1));
    EXPECT_TRUE(page->pendingRows().isEmpty());
    // The top row converts; the others wait, and the pick is the top waiting row.
    EXPECT_EQ(jobOf(0)->taskStatus(), ConvertJob::Converting);
    EXPECT_EQ(jobOf(1)->taskStatus(), ConvertJob::Waiting);
    EXPECT_EQ(page->nextConvertTask().value(), jobOf(1));
    EXPECT_TRUE(page->isHasTask());
    for (int row = 0; row < 3; ++row) {
        const auto item = page->converlist()[row]->downloadItem();
        EXPECT_EQ(item->task2StateStr(), QStringLiteral("MP4 -> MP4"));
        EXPECT_TRUE(item->covertedFilePath().startsWith(out + QLatin1Char('/')));
        EXPECT_TRUE(OneModeOutputNames::isReserved(item->covertedFilePath()));
    }

    // Pausing the top row lets the next one run; stopping it frees its name.
    page->taskItemWillPause(page->converlist()[0]);
    EXPECT_EQ(statusOf(0), DownloadedItem::TaskPaused);
    EXPECT_EQ(jobOf(1)->taskStatus(), ConvertJob::Converting);
    const QString firstTarget = page->converlist()[0]->downloadItem()->covertedFilePath();
    page->taskItemWillDelete(page->converlist()[0]);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return statusOf(0) == DownloadedItem::TaskNone; }, 5000));
    EXPECT_FALSE(OneModeOutputNames::isReserved(firstTarget));
    EXPECT_EQ(page->nextConvertTask().value(), jobOf(2));

    // Convert All again offers only the rows that are not busy or done.
    page->convertAll();
    EXPECT_EQ(page->pendingRows(), QList<DownloadNode::Ptr>{page->converlist()[0]});
    page->paramWindowClose(0, {});
    EXPECT_EQ(statusOf(0), DownloadedItem::TaskNone) << "a cancelled sheet changes nothing";
}

// Delete asks once and then removes every chosen row, whatever its state; the source files
// stay. A cancelled question keeps every row.
TEST_F(ConverterPage, DeleteRemovesEveryChosenRowAfterItsQuestion)
{
    addRows({"0.mp4", "1.mp4", "2.mp4", "3.mp4", "4.mp4", "5.mp4"});
    // Row i gets item status 5 - i (the batch is reversed: row 0 is "5.mp4").
    for (int row = 0; row < 6; ++row)
        page->converlist()[row]->downloadItem()->setTaskStatus(quint32(5 - row));
    int asked = 0;
    bool confirm = false;
    DeleteModalWindowCtr::setRunHookForTesting([&](DeleteModalWindowCtr *w) {
        ++asked;
        QTimer::singleShot(0, w, [w, confirm] { confirm ? w->deleteButtion() : w->cancelButton(); });
    });
    page->selectRows({0, 1, 2, 3, 4, 5});
    page->deleteItems();
    page->deleteAll();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(page->converlist().size(), 6) << "a cancelled question keeps every row";

    confirm = true;
    page->selectRows({1, 2, 3});
    page->deleteItems();
    QList<quint32> left;
    for (int row = 0; row < page->converlist().size(); ++row)
        left << statusOf(row);
    EXPECT_EQ(left, (QList<quint32>{5, 1, 0}));
    page->deleteAll();
    EXPECT_TRUE(page->converlist().isEmpty());
    EXPECT_EQ(asked, 4);
    for (const char *name : {"0.mp4", "1.mp4", "2.mp4", "3.mp4", "4.mp4", "5.mp4"})
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(QString::fromLatin1(name)))) << "no source is touched: " << name;
}

// A running conversion is ended from the row's menu (Stop) and by the tool bar's trash after its
// question: the tool process goes, the partial output leaves the folder, and the next row runs.
TEST_F(ConverterPage, StopAndDeleteEndTheJobItsToolAndItsPartialOutput)
{
    addRows({"c.mp4", "b.mp4", "a.mp4"});
    page->convertAll();
    page->paramWindowClose(1, answer(1));
    const auto first = jobOf(0);
    ASSERT_EQ(first->taskStatus(), ConvertJob::Converting);
    const qint64 firstTool = first->toolProcessId();
    ASSERT_GT(firstTool, 0);
    const QString firstPartial = page->converlist()[0]->downloadItem()->covertedFilePath();
    touch(firstPartial); // what the tool wrote so far

    // Right click on the converting row: Stop is offered, and so is Delete.
    DownloadTableView *table = page->tableView();
    auto rightClick = [&](int row) {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 0)).center());
        QTest::mouseClick(table->viewport(), Qt::RightButton, {}, table->visualRect(table->model()->index(row, 0)).center());
        return page->contextMenu()->isVisible();
    };
    ASSERT_TRUE(rightClick(0));
    QAction *stop = page->menuItem(QStringLiteral("stopItems:"));
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_TRUE(page->menuItem(QStringLiteral("deleteItems:"))->isEnabled());
    QTest::mouseClick(page->contextMenu(), Qt::LeftButton, {}, page->contextMenu()->actionGeometry(stop).center());
    EXPECT_EQ(first->taskStatus(), ConvertJob::StoppedByUser);
    EXPECT_EQ(MediaFixtures::processState(firstTool), 0) << "the tool process is gone";
    EXPECT_FALSE(QFileInfo::exists(firstPartial));
    EXPECT_EQ(statusOf(0), DownloadedItem::TaskNone);
    EXPECT_EQ(page->converlist().size(), 3) << "Stop keeps the row";
    const auto second = jobOf(1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return second->hasToolProcess(); }, 5000)) << "the next row runs";

    // The tool bar's trash on the converting row: asked once, then the job and the row go.
    const qint64 secondTool = second->toolProcessId();
    const QString secondPartial = page->converlist()[1]->downloadItem()->covertedFilePath();
    touch(secondPartial);
    int asked = 0;
    DeleteModalWindowCtr::setRunHookForTesting([&](DeleteModalWindowCtr *w) {
        ++asked;
        QTimer::singleShot(0, w, [w] { w->deleteButtion(); });
    });
    page->selectRows({1});
    QTest::mouseClick(page->deleteButton(), Qt::LeftButton);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(second->taskStatus(), ConvertJob::StoppedByUser);
    EXPECT_EQ(MediaFixtures::processState(secondTool), 0);
    EXPECT_FALSE(QFileInfo::exists(secondPartial));
    ASSERT_EQ(page->converlist().size(), 2);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("b.mp4"))) << "the source stays";
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return jobOf(1) && jobOf(1)->hasToolProcess(); }, 5000));
    EXPECT_TRUE(page->isHasTask());
}

// "Open the output folder when the conversion is done." opens the folder once, when the last
// job of the batch has finished, and never when the box was left empty.
TEST_F(ConverterPage, OutputFolderOpensOnceTheLastJobOfABatchFinished)
{
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        opened << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
        return true;
    });
    auto withBox = [&](bool showInFinder) {
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        b.presetDefaultsFlag = 1;
        ConvFromatController::fillBlockForPreset(*catalogue->formatItemForID(1), &b);
        return ConvFromatController::convertParam(catalogue->formatItemForID(1)->title(), 1, b, false, showInFinder, false);
    };
    addRows({"b.mp4", "a.mp4"});
    page->convertAll();
    page->paramWindowClose(1, withBox(true));
    jobOf(0)->mediaConvertDidFinished();
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_TRUE(opened.isEmpty()) << "the second job still waits";
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return jobOf(1)->taskStatus() == ConvertJob::Converting; }, 5000));
    jobOf(1)->mediaConvertDidFinished();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + QUrl::fromLocalFile(out).toString()});

    // Without the box nothing opens.
    opened.clear();
    addRows({"c.mp4"});
    page->selectRows({0});
    page->convertItems();
    page->paramWindowClose(1, withBox(false));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return jobOf(0)->taskStatus() == ConvertJob::Converting; }, 5000));
    jobOf(0)->mediaConvertDidFinished();
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    Workspace::setHookForTesting(nullptr);
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(ConverterPage, MenuFollowsTheSelection)
{
    addRows({"done.mp4", "busy.mp4", "new.mp4"});
    page->converlist()[1]->downloadItem()->setTaskStatus(DownloadedItem::TaskRunning);
    page->converlist()[2]->downloadItem()->setTaskStatus(DownloadedItem::TaskFinished);
    const char *names[] = {"convertItems:", "deleteItems:", "transfer:", "showInFinder:", "playVideo:", "deleteAll:", "stopItems:"};
    const struct
    {
        QList<int> rows;
        QList<bool> enabled;
    } cases[] = {
        {{}, {false, false, false, true, false, true, false}},
        {{0}, {true, true, false, true, true, true, false}},
        {{1}, {false, true, false, false, true, true, true}},
        {{2}, {false, true, true, true, true, true, false}},
        {{0, 2}, {true, true, true, false, false, true, false}},
    };
    for (const auto &c : cases) {
        page->selectRows(c.rows);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(page->validateMenuItem(page->menuItem(QString::fromLatin1(names[i]))), c.enabled[i])
                << names[i] << " with " << c.rows.size() << " rows";
    }
}

TEST_F(ConverterPage, RightClickOnARowTitleShowsTheListMenu)
{
    addRows({"clip.mp4"});
    QApplication::processEvents();
    ASSERT_EQ(page->converlist().size(), 1);
    EXPECT_EQ(RowTitleMenu::rightClickTitle(page->tableView(),
                                            page->converlist().first()->downloadingItemViewCtr<DownloadedItemViewCtrl>()),
              QString());
    // The page then closes with the pointer still over the row (TearDown).
}

TEST_F(ConverterPage, LibraryHandOffArrivesAsNewRowsWithoutMissingFiles)
{
    touch(dir.filePath("here.mp4"));
    auto here = std::make_shared<DownloadedItem>();
    here->setFilePath(dir.filePath("here.mp4"));
    here->setDownloadID(77);
    here->setTaskStatus(DownloadedItem::TaskFinished);
    auto gone = std::make_shared<DownloadedItem>();
    gone->setFilePath(dir.filePath("gone.mp4"));
    page->addConverterFiles({QVariant::fromValue(here), QVariant::fromValue(gone), QVariant(QStringLiteral("junk"))});
    ASSERT_EQ(page->converlist().size(), 1);
    const auto row = page->converlist()[0]->downloadItem();
    EXPECT_NE(row, here) << "the page keeps its own record";
    EXPECT_EQ(row->filePath(), here->filePath());
    EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskNone);
}

// A block shorter than one encoder block starts nothing: no over-read, no busy row.
TEST_F(ConverterPage, ShortEncoderBlockStartsNothing)
{
    addRows({"x.mp4"});
    for (const QByteArray &bad : {QByteArray(70479, '\0'), QByteArray("abc"), QByteArray()}) {
        page->downloadedItemStartConverter(page->converlist()[0]);
        QVariantMap param = answer(1);
        param.insert(QStringLiteral("encParam"), bad);
        page->paramWindowClose(1, param);
        EXPECT_EQ(statusOf(0), DownloadedItem::TaskNone) << bad.size();
        EXPECT_TRUE(page->taskManager()->tasks().isEmpty());
    }
}

// Two clips of different sizes converted in one answer are fitted as if each were alone, and
// two sources with one base name get two targets.
TEST_F(ConverterPage, RowsAreFittedFromTheSheetsBlockEach)
{
    const QString small = MediaFixtures::makeClip(dir.path(), QStringLiteral("clip.mp4"), {1.0, QStringLiteral("320x240")});
    QDir().mkpath(dir.filePath("other"));
    const QString large = MediaFixtures::makeClip(dir.filePath("other"), QStringLiteral("clip.mov"), {1.0, QStringLiteral("640x360")});
    if (small.isEmpty() || large.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clips";
    auto item = [](const QString &path) {
        auto i = std::make_shared<DownloadedItem>();
        i->setFilePath(path);
        return i;
    };
    page->mediaLoaderDidEndLoadFiles({item(large), item(small)}); // rows: small, large
    page->convertAll();
    page->paramWindowClose(1, answer(1));
    const QByteArray bothLarge = jobOf(1)->encodeParams();
    const QString smallTarget = page->converlist()[0]->downloadItem()->covertedFilePath();
    const QString largeTarget = page->converlist()[1]->downloadItem()->covertedFilePath();
    EXPECT_NE(smallTarget, largeTarget);

    ConverterViewCtrl alone(thumbnails.get(), catalogue.get());
    alone.setSheetShower([](ConvFromatController *) {});
    alone.mediaLoaderDidEndLoadFiles({item(large)});
    alone.convertAll();
    alone.paramWindowClose(1, answer(1));
    const auto aloneJob = std::dynamic_pointer_cast<TBVideoConvertTask>(alone.converlist()[0]->downloadItem()->converterItem());
    IM_EncodeParamEx a = EncodeParamData::zeroed(), b = EncodeParamData::zeroed();
    ASSERT_TRUE(EncodeParamData::fromData(bothLarge, &a));
    ASSERT_TRUE(EncodeParamData::fromData(aloneJob->encodeParams(), &b));
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.videoBitrate, b.videoBitrate);
    EXPECT_EQ(bothLarge, aloneJob->encodeParams()) << "the second row does not inherit the first row's fitting";
}

// Drops are taken only with a file the page converts; only such files are imported.
TEST_F(ConverterPage, DropsTakeOnlyConvertibleFiles)
{
    QStringList imported;
    page->setImporter([&](const QStringList &paths) { imported << paths; });
    for (const char *name : {"movie.MKV", "notes.txt", "song.mp3", "tune.m4p"})
        touch(dir.filePath(QString::fromLatin1(name)));
    QWidget *target = page->tableView()->viewport();
    auto mime = [&](const QStringList &names) {
        auto *m = new QMimeData;
        QList<QUrl> urls;
        for (const QString &n : names)
            urls << QUrl::fromLocalFile(dir.filePath(n));
        m->setUrls(urls);
        return m;
    };
    const struct
    {
        QStringList names;
        bool accepted;
    } enters[] = {{{"notes.txt"}, false}, {{"tune.m4p"}, false}, {{"movie.MKV"}, false}, {{"notes.txt", "song.mp3"}, true}};
    for (const auto &c : enters) {
        std::unique_ptr<QMimeData> data(mime(c.names));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted) << c.names.join(",").toStdString();
    }
    std::unique_ptr<QMimeData> data(mime({"notes.txt", "song.mp3", "movie.MKV"}));
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(imported, QStringList{dir.filePath("song.mp3")}) << "extensions match exactly, as the tool lists them";
}

// Two sheets alive at once (Convert page, Download page) never select in each other.
TEST(CascadeSelections, StayInTheirOwnPanel)
{
    struct Rec : CascadePanelDelegate
    {
        void itemSelectedChange(int id) override { ids << id; }
        void showEncParamInfo(int) override {}
        void saveEncParamSetting(int) override {}
        QList<int> ids;
    } a, b;
    CascadePanel one(QSizeF(780, 470)), two(QSizeF(780, 470));
    one.setDelegate(&a);
    two.setDelegate(&b);
    for (CascadePanel *p : {&one, &two}) {
        p->addMenuItem(1, "General", "catVideo");
        p->addSubMenuItem(5, "MP4", "fmtMP4", "", 1);
        p->addSubMenuItem(6, "MKV", "fmtMKV", "", 1);
    }
    one.setSelSubItemID(6, 1);
    EXPECT_EQ(a.ids.constLast(), 6);
    EXPECT_TRUE(b.ids.isEmpty());
    EXPECT_EQ(two.getSelSubItemID(), 0);
}
