#include "transfer/TransferManagerViewCtrl.h"

#include "controls/DownloadTableView.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "support/MessageCapture.h"
#include "support/SpecialFiles.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

// A list page over a wait list in a temporary folder, with a thumbnail service that starts no
// tool and media files to hand over.
struct ListRig
{
    QTemporaryDir dir;
    ThumbnailServerWraper thumbnails{false};
    QString waitList = dir.filePath(QStringLiteral("support/WaitTransfer.plist"));
    std::unique_ptr<TransferManagerViewCtrl> page;

    void make() { page = std::make_unique<TransferManagerViewCtrl>(&thumbnails, waitList); }
    QString media(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(64, 'x'));
        return path;
    }
    static QVariant handed(const QString &path)
    {
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        return QVariant::fromValue(item);
    }
    QStringList paths() const
    {
        QStringList out;
        for (const auto &row : page->rows())
            out << QFileInfo(row->filePath()).fileName();
        return out;
    }
};

TEST(TransferList, WaitingRowsSurviveARestartButFinishedAndImportedOnesDoNot)
{
    ListRig rig;
    rig.make();
    rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("waiting.mp4")), ListRig::handed(rig.media("failed.mp3")),
                                           ListRig::handed(rig.media("done.mp4")),
                                           ListRig::handed(rig.dir.filePath("vanished.mp4"))});
    rig.page->addTransferItem({std::make_shared<FileInfoItem>([&] {
                                  FileInfoItem i;
                                  i.setFilePath(rig.media("imported.mkv"));
                                  return i;
                              }())},
                              true);
    // Newest first; the file that vanished before the hand-over is skipped.
    EXPECT_EQ(rig.paths(), (QStringList{"imported.mkv", "done.mp4", "failed.mp3", "waiting.mp4"}));
    const auto rows = rig.page->rows();
    EXPECT_FALSE(rows[0]->isWaitItem());
    EXPECT_TRUE(rows[1]->isWaitItem());
    rows[1]->setTaskStatus(DownloadedItem::TaskFinished);
    rows[2]->setTaskStatus(DownloadedItem::TaskFailed);
    ASSERT_TRUE(rig.page->saveWaitTransferItem());
    EXPECT_EQ(rig.page->waitTransferItem().size(), 2);

    rig.make();
    EXPECT_EQ(rig.paths(), (QStringList{"failed.mp3", "waiting.mp4"}));
    for (const auto &row : rig.page->rows()) {
        EXPECT_TRUE(row->isWaitItem());
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskNone) << "nothing runs after a restart";
    }
    // Row identities stay distinct (thumbnail answers are matched by them).
    EXPECT_NE(rig.page->rows()[0]->fileID(), rig.page->rows()[1]->fileID());

    rig.page->deleteWaitItem(rig.page->rows()[0]);
    rig.make();
    EXPECT_EQ(rig.paths(), (QStringList{"waiting.mp4"}));
}

TEST(TransferList, ADamagedWaitListIsKeptAsideAndTheListStartsEmpty)
{
    const QByteArray damaged[] = {QByteArray("not an archive at all"), QByteArray("\xa1\x64$cla", 6), QByteArray(),
                                  QByteArray("\xbf\xbf\xbf\xbf\xbf\xbf\xbf\xbf", 8)};
    for (const QByteArray &bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        ListRig rig;
        QDir().mkpath(QFileInfo(rig.waitList).absolutePath());
        QFile f(rig.waitList);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        rig.make();
        EXPECT_TRUE(rig.page->rows().isEmpty());
        const QStringList kept = QDir(QFileInfo(rig.waitList).absolutePath()).entryList({"WaitTransfer.plist.damaged-*"});
        ASSERT_EQ(kept.size(), 1);
        QFile aside(QFileInfo(rig.waitList).absolutePath() + "/" + kept.first());
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), bytes) << "kept as it was";
        // A later save writes a fresh list and leaves the kept copy alone.
        rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("a.mp4"))});
        EXPECT_TRUE(QFileInfo::exists(aside.fileName()));
        rig.make();
        EXPECT_EQ(rig.paths(), QStringList{"a.mp4"});
    }
}

TEST(TransferList, AWaitListThatIsNoFileIsRefusedAtOnceAndTheListStartsEmpty)
{
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        ListRig rig;
        ASSERT_TRUE(SpecialFiles::plant(c.kind, rig.waitList));
        MessageCapture log;
        QString error;
        QList<TransferManagerViewCtrl::Row> rows{TransferManagerViewCtrl::Row{}};
        ASSERT_TRUE(SpecialFiles::returnsPromptly([&] { rows = TransferManagerViewCtrl::readWaitList(rig.waitList, &error); },
                                                  {rig.waitList}));
        EXPECT_TRUE(rows.isEmpty());
        // A link to nowhere is no list at all, like a missing file.
        if (c.kind != SpecialFiles::Kind::DanglingLink) {
            EXPECT_TRUE(error.contains(QString::fromLatin1(c.what))) << error.toStdString();
            EXPECT_TRUE(log.has({rig.waitList, QString::fromLatin1(c.what)})) << log.messages().join('\n').toStdString();
        }
        // The page opens on it without waiting, with an empty list.
        rig.make();
        EXPECT_TRUE(rig.page->rows().isEmpty());
    }
}

TEST(TransferList, AnInterruptedSaveKeepsTheOldFile)
{
    ListRig rig;
    rig.make();
    rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("first.mp4"))});
    QFile saved(rig.waitList);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();

    // Writes past a few bytes fail, as on a full disk, even for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    QVariantList many;
    for (int i = 0; i < 20; ++i)
        many << ListRig::handed(rig.media(QStringLiteral("clip %1.mp4").arg(i)));
    rig.page->addTransferItem(many);
    const bool ok = rig.page->saveWaitTransferItem();
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_FALSE(ok);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), before);
    saved.close();
    rig.make();
    EXPECT_EQ(rig.paths(), QStringList{"first.mp4"});
}

TEST(TransferList, DeviceGoneDropsRowsThatDoNotWaitAndResetsWaitingOnes)
{
    ListRig rig;
    rig.make();
    rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("wait-new.mp4")), ListRig::handed(rig.media("wait-running.mp4")),
                                           ListRig::handed(rig.media("wait-done.mp4")), ListRig::handed(rig.media("wait-failed.mp4"))});
    auto imported = std::make_shared<FileInfoItem>();
    imported->setFilePath(rig.media("imported.mp4"));
    rig.page->addTransferItem({imported}, true);
    auto byName = [&](const QString &name) {
        for (const auto &row : rig.page->rows())
            if (QFileInfo(row->filePath()).fileName() == name)
                return row;
        return std::shared_ptr<TransferDataItem>();
    };
    byName("wait-running.mp4")->setTaskStatus(DownloadedItem::TaskRunning);
    byName("wait-running.mp4")->setTransferItem(TransferFileItem::initWithVideoFilePath(byName("wait-running.mp4")->filePath()));
    byName("wait-done.mp4")->setTaskStatus(DownloadedItem::TaskFinished);
    byName("wait-failed.mp4")->setTaskStatus(DownloadedItem::TaskFailed);
    EXPECT_TRUE(rig.page->hasTransferTask());

    rig.page->onDeviceDisConnect();
    EXPECT_EQ(rig.paths(), (QStringList{"wait-failed.mp4", "wait-running.mp4", "wait-new.mp4"}));
    for (const auto &row : rig.page->rows()) {
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskNone);
        EXPECT_FALSE(row->transferItem());
    }
    EXPECT_FALSE(rig.page->hasTransferTask());
}

TEST(TransferList, GuideAndCountFollowTheRows)
{
    ListRig rig;
    rig.make();
    QLabel status;
    rig.page->setStateInfoLable(&status);
    QWidget *view = rig.page->view();
    view->resize(700, 400);
    view->show();
    rig.page->refreshTransferTableView();
    EXPECT_TRUE(rig.page->guideView()->isVisible());
    EXPECT_EQ(status.text(), QString());
    rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("one.mp4"))});
    EXPECT_FALSE(rig.page->guideView()->isVisible());
    EXPECT_EQ(status.text(), "1 items");
    rig.page->cleanStateInfo();
    EXPECT_EQ(status.text(), QString());
}

TEST(TransferList, DroppedFilesAreAcceptedByExtensionInAnyCase)
{
    const struct
    {
        const char *path;
        bool accepted;
    } cases[] = {{"/a/clip.mp4", true}, {"/a/CLIP.MP4", true}, {"/a/Song.Flac", true}, {"/a/x.m4p", false},
                 {"/a/x.m4b", false},   {"/a/notes.txt", false}, {"/a/noext", false}};
    for (const auto &c : cases)
        EXPECT_EQ(TransferManagerViewCtrl::isSupportedPath(c.path), c.accepted) << c.path;
}

TEST(TransferList, MenuValidation)
{
    ListRig rig;
    rig.make();
    rig.page->view()->resize(700, 600);
    const QStringList names = {"transferSeleteItem:", "playVideo:", "locateFile:", "deleteItem:", "deleteAll:", "collateFile:"};
    auto enabled = [&] {
        QStringList on;
        for (const QString &n : names)
            if (rig.page->validateMenuItem(rig.page->menuItem(n)))
                on << n;
        return on;
    };
    EXPECT_EQ(enabled(), QStringList()) << "an empty list offers nothing";

    rig.page->addTransferItem(QVariantList{ListRig::handed(rig.media("c.mp4")), ListRig::handed(rig.media("b.mp4")),
                                           ListRig::handed(rig.media("a.mp4"))});
    const auto rows = rig.page->rows();  // a, b, c
    const struct
    {
        const char *what;
        QList<int> selected;
        std::function<void()> setUp;
        QStringList expected;
    } cases[] = {
        {"no selection: only the list-wide entries", {}, [] {}, {"deleteAll:", "collateFile:"}},
        {"one fresh row: everything", {0}, [] {}, names},
        {"one sent row: no Transfer", {0}, [&] { rows[0]->setTaskStatus(DownloadedItem::TaskRunning); },
         {"playVideo:", "locateFile:", "deleteItem:", "deleteAll:", "collateFile:"}},
        {"one row whose file is being made: no Delete, no Delete All", {1}, [&] { rows[1]->setStatus(2); },
         {"transferSeleteItem:", "playVideo:", "locateFile:", "collateFile:"}},
        {"two fresh rows: no Show in File Manager", {1, 2}, [] {}, {"transferSeleteItem:", "playVideo:", "deleteItem:", "deleteAll:", "collateFile:"}},
        {"two rows, one sent: no Transfer, no Delete", {0, 2}, [&] { rows[0]->setTaskStatus(DownloadedItem::TaskFinished); },
         {"playVideo:", "deleteAll:", "collateFile:"}},
        {"another row's file being made blocks Delete All", {2}, [&] { rows[0]->setStatus(4); },
         {"transferSeleteItem:", "playVideo:", "locateFile:", "deleteItem:", "collateFile:"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto &row : rows) {
            row->setTaskStatus(DownloadedItem::TaskNone);
            row->setStatus(0);
        }
        c.setUp();
        rig.page->selectRows(c.selected);
        EXPECT_EQ(enabled(), c.expected);
    }
}

TEST(TransferList, DroppedFilesGoToTheImportSheetWhateverTheirCase)
{
    ListRig rig;
    rig.make();
    QWidget *view = rig.page->view();
    view->resize(600, 400);
    view->show();
    QStringList imported;
    rig.page->hooks().importPaths = [&](const QStringList &paths) { imported << paths; };
    QWidget *target = rig.page->tableView()->viewport();

    auto drag = [&](const QStringList &names) {
        auto *mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString &n : names)
            urls << QUrl::fromLocalFile(rig.dir.filePath(n));
        mime->setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        const bool accepted = enter.isAccepted();
        if (accepted) {
            QDropEvent drop(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &drop);
        }
        delete mime;
        return accepted;
    };
    EXPECT_FALSE(drag({"notes.txt", "cover.jpg"}));
    EXPECT_TRUE(imported.isEmpty());
    EXPECT_TRUE(drag({"CLIP.MP4", "notes.txt", "song.Mp3"}));
    EXPECT_EQ(imported, (QStringList{rig.dir.filePath("CLIP.MP4"), rig.dir.filePath("song.Mp3")}));
}

} // namespace
