#include "LibraryFixtures.h"

#include "downloads/DataBaseManager.h"
#include "downloads/store/LibrarySchema.h"
#include "downloads/DownloadedItem.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/MessageCapture.h"
#include "support/SpecialFiles.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace LibraryFixtures;

namespace {

std::shared_ptr<DownloadedItem> itemAt(const QString &filePath)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(filePath);
    item->setPageURL(QStringLiteral("https://example.com/watch?v=1"));
    item->setTime(125);
    item->setVideoSize(10 * 1024 * 1024);
    item->setResolution(720);
    item->setAddDate(QDateTime(QDate(2024, 1, 15), QTime(10, 30, 0), Qt::UTC));
    return item;
}

class DataBaseManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = freshFolder(QStringLiteral("library"));
        db = std::make_unique<DataBaseManager>(folder);
    }
    QString dbPath() const { return folder + QStringLiteral("/Library.db"); }

    QString folder;
    std::unique_ptr<DataBaseManager> db;
};

} // namespace

TEST_F(DataBaseManagerTest, FirstStartCreatesBothTablesInWalModeAndHandsOutOne)
{
    ASSERT_TRUE(db->loadDataBase());
    EXPECT_TRUE(QFileInfo::exists(dbPath()));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Thumbnail")).isDir());
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Favicon")).isDir());
    EXPECT_EQ(columnsOf(dbPath(), QStringLiteral("Downloaded")).size(), 15);
    EXPECT_EQ(columnsOf(dbPath(), QStringLiteral("Downloading")).size(), 18);
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("PRAGMA journal_mode")).value(0).toString(), QStringLiteral("wal"));
    EXPECT_TRUE(db->checkDB());

    auto item = itemAt(QStringLiteral("/videos/a.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*item), 1);
    EXPECT_EQ(item->downloadID(), 1);
}

TEST_F(DataBaseManagerTest, FoldersFollowTheUmaskNotWorldWritable)
{
    const mode_t old = umask(022);
    ASSERT_TRUE(db->loadDataBase());
    umask(old);
    for (const char *sub : {"/Thumbnail", "/Favicon"}) {
        const auto perms = QFileInfo(folder + QLatin1String(sub)).permissions();
        EXPECT_FALSE(perms & QFileDevice::WriteOther) << sub;
        EXPECT_FALSE(perms & QFileDevice::WriteGroup) << sub;
    }
}

TEST_F(DataBaseManagerTest, NextIdentifierIsOneMoreThanTheLargestOfBothTables)
{
    struct Case
    {
        QList<int> downloaded;
        QList<int> downloading;
        int expected;
    };
    const Case cases[] = {
        {{}, {}, 1},
        {{1, 2, 3, 4, 5, 6, 7}, {9}, 10},
        {{12}, {3}, 13},
        {{}, {40}, 41},
    };
    for (const Case &c : cases) {
        SetUp();
        ASSERT_TRUE(db->loadDataBase());
        QStringList rows;
        for (int id : c.downloaded)
            rows << QStringLiteral("INSERT INTO Downloaded (DownloadID, AddDate) VALUES (%1, '')").arg(id);
        for (int id : c.downloading)
            rows << QStringLiteral("INSERT INTO Downloading (DownloadID) VALUES (%1)").arg(id);
        QString error;
        ASSERT_TRUE(execSql(dbPath(), rows, &error)) << error.toStdString();
        ASSERT_TRUE(db->loadDataBase());
        EXPECT_EQ(db->getMaxDownloadID(), c.expected - 1);
        auto item = itemAt(QStringLiteral("/v/x.mp4"));
        EXPECT_EQ(db->insertDownloadedItem(*item), c.expected) << c.expected;
    }
}

TEST_F(DataBaseManagerTest, RowsAddedByAnotherConnectionAreCountedAtInsertTime)
{
    ASSERT_TRUE(db->loadDataBase());
    auto first = itemAt(QStringLiteral("/v/1.mp4"));
    ASSERT_EQ(db->insertDownloadedItem(*first), 1);
    // The dispatcher writes its table through its own connection while ours stays open.
    ASSERT_TRUE(execSql(dbPath(), {QStringLiteral("INSERT INTO Downloading (DownloadID) VALUES (50)")}));
    auto second = itemAt(QStringLiteral("/v/2.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*second), 51);
}

TEST_F(DataBaseManagerTest, AFailedInsertKeepsItsIdentifierForTheNext)
{
    ASSERT_TRUE(db->loadDataBase());
    ASSERT_TRUE(execSql(dbPath(), {QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON Downloaded WHEN NEW.FilePath = '/v/refused.mp4' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END")}));
    auto refused = itemAt(QStringLiteral("/v/refused.mp4"));
    refused->setDownloadID(0);
    EXPECT_EQ(db->insertDownloadedItem(*refused), -1);
    EXPECT_EQ(refused->downloadID(), 0);
    EXPECT_TRUE(queryColumn(dbPath(), QStringLiteral("SELECT DownloadID FROM Downloaded")).isEmpty());

    auto next = itemAt(QStringLiteral("/v/ok.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*next), 1);
}

// A download that finishes on a full disk is not forgotten: its record is kept, the user is told
// once, and it is written when there is room again (by the next finish or the retry timer).
TEST_F(DataBaseManagerTest, AFinishedRecordThatMeetsAFullDiskIsKeptToldOnceAndWrittenLater)
{
    ASSERT_TRUE(db->loadDataBase());
    db->setRetryIntervalForTesting(20);
    QStringList told;
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, NotificationNames::LibraryRecordPending,
                                                    [&](const Notification &n) { told << n.object.toString(); });
    // A long address needs pages of its own, which a full file cannot have.
    const auto bulky = [](const QString &path) {
        auto item = itemAt(path);
        item->setPageURL(QStringLiteral("https://example.com/") + QString(9000, u'p'));
        return item;
    };
    db->setFullForTesting(true);
    const auto first = bulky(QStringLiteral("/v/first.mp4"));
    const auto second = bulky(QStringLiteral("/v/second.mp4"));
    const auto dropped = bulky(QStringLiteral("/v/deleted-meanwhile.mp4"));
    EXPECT_EQ(db->recordFinishedItem(first), -1);
    EXPECT_EQ(db->recordFinishedItem(second), -1);
    EXPECT_EQ(db->recordFinishedItem(dropped), -1);
    EXPECT_EQ(db->pendingRecordCount(), 3);
    EXPECT_EQ(told, QStringList{QStringLiteral("/v/first.mp4")});
    EXPECT_TRUE(queryColumn(dbPath(), QStringLiteral("SELECT FilePath FROM Downloaded")).isEmpty());
    // The user removed one from the library before it was written: it is never written.
    EXPECT_TRUE(db->deleteDownloadedItem(*dropped));
    EXPECT_EQ(db->pendingRecordCount(), 2);
    // Still full: a retry writes nothing and tells nobody again.
    EXPECT_EQ(db->retryPendingRecords(), 0);

    db->setFullForTesting(false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return db->pendingRecordCount() == 0; }, 20000));
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT FilePath FROM Downloaded ORDER BY DownloadID")),
              (QVariantList{QStringLiteral("/v/first.mp4"), QStringLiteral("/v/second.mp4")}));
    EXPECT_GT(first->downloadID(), 0);
    EXPECT_GT(second->downloadID(), first->downloadID());
    EXPECT_EQ(told.size(), 1);
    // With room, the next record is written at once.
    EXPECT_GT(db->recordFinishedItem(itemAt(QStringLiteral("/v/third.mp4"))), second->downloadID());
    NotificationCenter::defaultCenter().removeObserver(&owner);
}

// At start, finished downloads the queue still names (its record could not be written) enter
// the library; one already there or whose file is gone only leaves the queue.
TEST_F(DataBaseManagerTest, FinishedDownloadsTheQueueStillNamesAreMovedToTheLibraryAtStart)
{
    ASSERT_TRUE(db->loadDataBase());
    const QString kept = folder + QStringLiteral("/kept.mp4"), listed = folder + QStringLiteral("/listed.mp4");
    writeFile(kept, QByteArray(4321, 'k'));
    writeFile(listed, QByteArray(10, 'l'));
    auto already = itemAt(listed);
    ASSERT_GT(db->insertDownloadedItem(*already), 0);
    ASSERT_TRUE(db->closeDataBase());
    const auto row = [](int id, const QString &file, int status) {
        return QStringLiteral("INSERT INTO Downloading(DownloadID,PageURL,FilePath,Status,AddDate) "
                              "VALUES(%1,'https://example.com/%1','%2',%3,'2026-01-02 03:04:05 +0000')")
            .arg(id)
            .arg(file)
            .arg(status);
    };
    ASSERT_TRUE(execSql(dbPath(), {row(7, kept, 9), row(8, listed, 9), row(9, folder + QStringLiteral("/gone.mp4"), 9),
                                   row(10, folder + QStringLiteral("/half.mp4"), 6)}));

    DataBaseManager next(folder);
    const auto items = next.getAllDownloadedItems();
    ASSERT_TRUE(items.has_value());
    ASSERT_EQ(items->size(), 2);
    EXPECT_EQ(items->at(1)->filePath(), kept);
    EXPECT_EQ(items->at(1)->downloadID(), 7);
    EXPECT_EQ(items->at(1)->videoSize(), 4321);
    EXPECT_EQ(items->at(1)->pageURL(), QStringLiteral("https://example.com/7"));
    EXPECT_TRUE(items->at(1)->addDate().isValid());
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT DownloadID FROM Downloading")), QVariantList{10});

    // Recording a file takes the queue's finished row of it: removed from the library later, it
    // does not come back at the next start.
    ASSERT_TRUE(execSql(dbPath(), {row(11, listed + QStringLiteral(".2"), 9)}));
    writeFile(listed + QStringLiteral(".2"), QByteArray(3, 'l'));
    EXPECT_GT(next.insertDownloadedItem(*itemAt(listed + QStringLiteral(".2"))), 0);
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT DownloadID FROM Downloading")), QVariantList{10});
}

TEST_F(DataBaseManagerTest, IdentifiersAreNotReusedAfterADeleteInOneRun)
{
    ASSERT_TRUE(db->loadDataBase());
    auto a = itemAt(QStringLiteral("/v/a.mp4"));
    auto b = itemAt(QStringLiteral("/v/b.mp4"));
    ASSERT_EQ(db->insertDownloadedItem(*a), 1);
    ASSERT_EQ(db->insertDownloadedItem(*b), 2);
    ASSERT_TRUE(db->deleteDownloadedItem(*b));
    auto c = itemAt(QStringLiteral("/v/c.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*c), 3);
}

TEST_F(DataBaseManagerTest, StatusIsStoredAsConvertedOrPlain)
{
    struct Case
    {
        qint32 status;
        qint64 stored;
        qint32 readBack;
    };
    const Case cases[] = {{0, 0, 0}, {1, 0, 0}, {5, 5, 5}, {6, 5, 5}, {3, 0, 0}};
    ASSERT_TRUE(db->loadDataBase());
    for (const Case &c : cases) {
        auto item = itemAt(QStringLiteral("/v/status%1.mp4").arg(c.status));
        item->setStatus(c.status);
        const qint32 id = db->insertDownloadedItem(*item);
        ASSERT_GT(id, 0);
        EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT Status FROM Downloaded WHERE DownloadID = %1").arg(id))
                      .value(0).toLongLong(), c.stored) << c.status;
    }
    ASSERT_TRUE(execSql(dbPath(), {QStringLiteral("INSERT INTO Downloaded (DownloadID, Status, AddDate) VALUES (99, 6, '')")}));
    const auto items = db->getAllDownloadedItems();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 6);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(items->at(i)->status(), cases[i].readBack) << cases[i].status;
    EXPECT_EQ(items->at(5)->status(), 5);

    // Updates follow the same rule.
    auto update = items->at(0);
    update->setStatus(6);
    ASSERT_TRUE(db->updateDownloadedItem(*update));
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT Status FROM Downloaded WHERE DownloadID = %1")
                                        .arg(update->downloadID())).value(0).toLongLong(), 5);
}

TEST_F(DataBaseManagerTest, EveryFieldRoundTripsIncludingHostileText)
{
    ASSERT_TRUE(db->loadDataBase());
    const QString hostile = QStringLiteral("/home/u/Vidéos/\"quoted\" it's 100% done; DROP TABLE Downloaded;--/日本語 ñ.mp4");
    auto item = itemAt(hostile);
    item->setPageURL(QStringLiteral("https://example.com/?q=\"a\"&b='c'%20;"));
    item->setThumbnailPath(QStringLiteral("/t/thumb 'x'.jpg"));
    item->setStatus(5);
    item->setCovertedFilePath(QStringLiteral("/c/\"conv\".mkv"));
    item->setWebIconPath(QStringLiteral("/i/%s%n.ico"));
    item->setSubtitlePath(QStringLiteral("/s/sub;1.srt"));
    item->setPlaylistName(QStringLiteral("Liste « été »"));
    item->setPlaylistUId(QStringLiteral("PL-'1'"));
    item->setPlaylistIndex(4);
    item->setTime(Q_INT64_C(5000000000));
    item->setVideoSize(Q_INT64_C(6000000000));
    const qint32 id = db->insertDownloadedItem(*item);
    ASSERT_EQ(id, 1);

    EXPECT_TRUE(db->isTheFileInDataBase(hostile));
    EXPECT_FALSE(db->isTheFileInDataBase(hostile.left(hostile.size() - 1)));
    // A path that names a column must not compare the column with itself.
    EXPECT_FALSE(db->isTheFileInDataBase(QStringLiteral("FilePath")));
    EXPECT_FALSE(db->isTheFileInDataBase(QStringLiteral("%")));
    EXPECT_FALSE(db->isTheFileInDataBase(QString()));

    DataBaseManager reopened(folder);
    const auto items = reopened.getAllDownloadedItems();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 1);
    const auto &back = *items->front();
    EXPECT_EQ(back.downloadID(), id);
    EXPECT_EQ(back.filePath(), hostile);
    EXPECT_EQ(back.pageURL(), item->pageURL());
    EXPECT_EQ(back.thumbnailPath(), item->thumbnailPath());
    EXPECT_EQ(back.time(), item->time());
    EXPECT_EQ(back.videoSize(), item->videoSize());
    EXPECT_EQ(back.status(), 5);
    EXPECT_EQ(back.resolution(), 720);
    EXPECT_EQ(back.addDate(), item->addDate());
    EXPECT_EQ(back.covertedFilePath(), item->covertedFilePath());
    EXPECT_EQ(back.webIconPath(), item->webIconPath());
    EXPECT_EQ(back.storedSubtitlePath(), item->storedSubtitlePath());
    EXPECT_EQ(back.playlistName(), item->playlistName());
    EXPECT_EQ(back.playlistUId(), item->playlistUId());
    EXPECT_EQ(back.playlistIndex(), 4);
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT AddDate FROM Downloaded")).value(0).toString(),
              QStringLiteral("2024-01-15 10:30:00 +0000"));
}

TEST_F(DataBaseManagerTest, NullStringsAreStoredAsEmptyText)
{
    ASSERT_TRUE(db->loadDataBase());
    DownloadedItem bare;
    ASSERT_EQ(db->insertDownloadedItem(bare), 1);
    EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT COUNT(*) FROM Downloaded WHERE PageURL = '' AND "
                                                   "FilePath = '' AND CovertedPath = '' AND PlaylistUID = ''"))
                  .value(0).toLongLong(), 1);
}

TEST_F(DataBaseManagerTest, AddDateIsSetWhenMissingAndReadWithOneFixedFormat)
{
    ASSERT_TRUE(db->loadDataBase());
    auto undated = itemAt(QStringLiteral("/v/now.mp4"));
    undated->setAddDate(QDateTime());
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    ASSERT_EQ(db->insertDownloadedItem(*undated), 1);
    ASSERT_TRUE(undated->addDate().isValid());

    ASSERT_TRUE(execSql(dbPath(), {
        QStringLiteral("INSERT INTO Downloaded (DownloadID, FilePath, AddDate) VALUES (2, '/v/offset.mp4', '2015-03-02 10:15:00 +0200')"),
        QStringLiteral("INSERT INTO Downloaded (DownloadID, FilePath, Time, AddDate) VALUES (3, '/v/words.mp4', 42, 'next Tuesday')"),
        QStringLiteral("INSERT INTO Downloaded (DownloadID, FilePath, AddDate) VALUES (4, '/v/bad.mp4', '2015-02-30 10:15:00 +0000')"),
    }));
    const auto items = db->getAllDownloadedItems();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 4);
    EXPECT_GE(items->at(0)->addDate(), before);
    EXPECT_EQ(items->at(0)->addDate().toSecsSinceEpoch(), undated->addDate().toSecsSinceEpoch());
    EXPECT_EQ(items->at(1)->addDate(), QDateTime(QDate(2015, 3, 2), QTime(8, 15, 0), Qt::UTC));
    // Unreadable dates leave the date empty; the rest of the row stays.
    EXPECT_FALSE(items->at(2)->addDate().isValid());
    EXPECT_EQ(items->at(2)->filePath(), QStringLiteral("/v/words.mp4"));
    EXPECT_EQ(items->at(2)->time(), 42);
    EXPECT_FALSE(items->at(3)->addDate().isValid());
    EXPECT_EQ(items->at(3)->downloadID(), 4);
}

TEST_F(DataBaseManagerTest, UpdateAndDeleteWorkOnTheRowAndRejectNegativeIdentifiers)
{
    ASSERT_TRUE(db->loadDataBase());
    auto item = itemAt(QStringLiteral("/v/a.mkv"));
    ASSERT_EQ(db->insertDownloadedItem(*item), 1);
    item->setFilePath(QStringLiteral("/v/a \"new\".mp4"));
    item->setCovertedFilePath(QStringLiteral("/v/a \"new\".mp4"));
    item->setVideoSize(77);
    ASSERT_TRUE(db->updateDownloadedItem(*item));
    EXPECT_TRUE(db->isTheFileInDataBase(QStringLiteral("/v/a \"new\".mp4")));
    EXPECT_FALSE(db->isTheFileInDataBase(QStringLiteral("/v/a.mkv")));

    DownloadedItem negative;
    negative.setDownloadID(-1);
    EXPECT_FALSE(db->updateDownloadedItem(negative));
    EXPECT_FALSE(db->deleteDownloadedItem(negative));

    EXPECT_TRUE(db->deleteDownloadedItem(*item));
    const auto items = db->getAllDownloadedItems();
    ASSERT_TRUE(items);
    EXPECT_TRUE(items->isEmpty());
}

namespace {

// CREATE statements of older builds: before the site icon, subtitle and play-list columns,
// and before the play-list columns only.
const QStringList OldestSchema = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS Downloaded(DownloadID int PRIMARY KEY,PageURL varchar,FilePath varchar,"
                   "ThumbnailPath varchar,Time BIGINT,Size BIGINT,Status int,Resolution int,AddDate vachar NOT NULL,"
                   "CovertedPath varchar)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS Downloading(DownloadID int PRIMARY KEY,PageURL varchar,DownURL varchar,"
                   "Title varchar,FilePath varchar,ThumbnailPath varchar,WebIconPath varchar,ResumeData BLOB,Status int,"
                   "Size BIGINT,DownloadSize BIGINT,AddDate varchar,Resolution int)"),
};
const QStringList BeforePlaylists = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS Downloaded(DownloadID int PRIMARY KEY,PageURL varchar,FilePath varchar,"
                   "ThumbnailPath varchar,Time BIGINT,Size BIGINT,Status int,Resolution int,AddDate vachar NOT NULL,"
                   "CovertedPath varchar,WebIconPath varchar NULL,SubtitlePath varchar NULL)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS Downloading(DownloadID int PRIMARY KEY,PageURL varchar,DownURL varchar,"
                   "Title varchar,FilePath varchar,ThumbnailPath varchar,WebIconPath varchar,ResumeData BLOB,Status int,"
                   "Size BIGINT,DownloadSize BIGINT,AddDate varchar,Resolution int,Cookie varchar NULL,URLType int,"
                   "SubtitlePath varchar NULL,OnlyAudio int,GUID varchar)"),
};

} // namespace

TEST_F(DataBaseManagerTest, OlderFilesGainTheMissingColumnsAndKeepEveryRow)
{
    const QStringList newDownloaded = {
        QStringLiteral("DownloadID"), QStringLiteral("PageURL"), QStringLiteral("FilePath"),
        QStringLiteral("ThumbnailPath"), QStringLiteral("Time"), QStringLiteral("Size"), QStringLiteral("Status"),
        QStringLiteral("Resolution"), QStringLiteral("AddDate"), QStringLiteral("CovertedPath"),
        QStringLiteral("WebIconPath"), QStringLiteral("SubtitlePath"), QStringLiteral("PlaylistTitle"),
        QStringLiteral("PlaylistUID"), QStringLiteral("PlaylistIndex")};
    for (const QStringList &schema : {OldestSchema, BeforePlaylists}) {
        SetUp();
        QStringList fixture = schema;
        for (int id = 1; id <= 25; ++id)
            fixture << QStringLiteral("INSERT INTO Downloaded (DownloadID, PageURL, FilePath, Time, Size, Status, "
                                      "Resolution, AddDate, CovertedPath) VALUES (%1, 'https://e.com/%1', "
                                      "'/v/old %1.flv', %1, %2, %3, 360, '2014-06-0%4 12:00:00 +0000', '')")
                           .arg(id).arg(id * 1000).arg(id % 2 ? 6 : 0).arg(1 + id % 9);
        fixture << QStringLiteral("INSERT INTO Downloading (DownloadID, PageURL, Status) VALUES (30, 'https://e.com/run', 2)");
        QString error;
        ASSERT_TRUE(execSql(dbPath(), fixture, &error)) << error.toStdString();

        ASSERT_TRUE(db->loadDataBase());
        EXPECT_TRUE(db->movedAsidePath().isEmpty());
        EXPECT_EQ(columnsOf(dbPath(), QStringLiteral("Downloaded")), newDownloaded);
        for (const char *column : {"Cookie", "URLType", "SubtitlePath", "OnlyAudio", "GUID"})
            EXPECT_TRUE(columnsOf(dbPath(), QStringLiteral("Downloading")).contains(QLatin1String(column))) << column;
        EXPECT_TRUE(db->checkDB());

        const auto items = db->getAllDownloadedItems();
        ASSERT_TRUE(items);
        ASSERT_EQ(items->size(), 25);
        for (int i = 0; i < 25; ++i) {
            const auto &item = *items->at(i);
            const int id = i + 1;
            EXPECT_EQ(item.downloadID(), id);
            EXPECT_EQ(item.filePath(), QStringLiteral("/v/old %1.flv").arg(id));
            EXPECT_EQ(item.videoSize(), id * 1000);
            EXPECT_EQ(item.status(), id % 2 ? 5 : 0);
            EXPECT_EQ(item.addDate(), QDateTime(QDate(2014, 6, 1 + id % 9), QTime(12, 0), Qt::UTC));
            EXPECT_EQ(item.playlistName(), QString(QLatin1String("")));
            EXPECT_EQ(item.playlistIndex(), 0);
        }
        EXPECT_EQ(queryColumn(dbPath(), QStringLiteral("SELECT COUNT(*) FROM Downloading")).value(0).toLongLong(), 1);

        // The migrated varchar PlaylistIndex still stores and reads as a number.
        auto added = itemAt(QStringLiteral("/v/new.mp4"));
        added->setPlaylistName(QStringLiteral("P"));
        added->setPlaylistIndex(7);
        EXPECT_EQ(db->insertDownloadedItem(*added), 31);
        const auto again = db->getAllDownloadedItems();
        ASSERT_TRUE(again);
        EXPECT_EQ(again->back()->playlistIndex(), 7);

        // A second load finds nothing more to add.
        ASSERT_TRUE(db->loadDataBase());
        EXPECT_EQ(columnsOf(dbPath(), QStringLiteral("Downloaded")), newDownloaded);
    }
}

TEST_F(DataBaseManagerTest, ADamagedFileIsKeptAsideAndItsReadableRowsSavedLeavingMediaAlone)
{
    // A good file to damage in several ways.
    const QString goodFolder = freshFolder(QStringLiteral("good"));
    {
        DataBaseManager good(goodFolder);
        for (int i = 0; i < 400; ++i) {
            auto item = itemAt(QStringLiteral("/v/item %1 with a fairly long name to fill pages.mp4").arg(i));
            ASSERT_GT(good.insertDownloadedItem(*item), 0);
        }
    }
    const QByteArray goodBytes = readFile(goodFolder + QStringLiteral("/Library.db"));
    ASSERT_GT(goodBytes.size(), 8192);

    QByteArray scrambled = goodBytes;
    for (qsizetype i = 4096; i < scrambled.size(); i += 7)
        scrambled[i] = char(scrambled[i] ^ 0x5a);
    struct Case
    {
        const char *name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"random bytes", QByteArray(5000, '\x8f')},
        {"text file", QByteArray("this is not a database\n")},
        {"truncated to the header", goodBytes.left(100)},
        {"truncated to half", goodBytes.left(goodBytes.size() / 2)},
        {"scrambled pages", scrambled},
    };
    for (const Case &c : cases) {
        SetUp();
        SCOPED_TRACE(c.name);
        const QString media = folder + QStringLiteral("/Thumbnail/clip.jpg");
        QDir().mkpath(folder + QStringLiteral("/Thumbnail"));
        writeFile(media, "jpeg bytes");
        writeFile(dbPath(), c.bytes);

        LibrarySchema::takeSalvages();
        EXPECT_TRUE(db->loadDataBase());
        const QString aside = db->movedAsidePath();
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_TRUE(aside.startsWith(dbPath() + QStringLiteral(".damaged-")));
        EXPECT_EQ(readFile(aside), c.bytes);
        EXPECT_EQ(readFile(media), QByteArray("jpeg bytes"));
        // The rows that could be read are in the fresh file, and the user is to be told.
        const QList<LibrarySchema::Salvage> told = LibrarySchema::takeSalvages();
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told[0].asidePath, aside);

        EXPECT_TRUE(db->checkDB());
        auto item = itemAt(QStringLiteral("/v/after.mp4"));
        EXPECT_GT(db->insertDownloadedItem(*item), told[0].libraryRows);
        const auto items = db->getAllDownloadedItems();
        ASSERT_TRUE(items);
        EXPECT_EQ(items->size(), told[0].libraryRows + 1);
    }
}

TEST_F(DataBaseManagerTest, AnEmptyFileBecomesAnEmptyLibrary)
{
    writeFile(dbPath(), QByteArray());
    ASSERT_TRUE(db->loadDataBase());
    EXPECT_TRUE(db->checkDB());
    auto item = itemAt(QStringLiteral("/v/a.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*item), 1);
}

TEST_F(DataBaseManagerTest, ALibraryThatIsNoFileIsRefusedAtOnce)
{
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SpecialFiles::plant(c.kind, dbPath()));
        MessageCapture log;
        bool loaded = true;
        ASSERT_TRUE(SpecialFiles::returnsPromptly([&] { loaded = db->loadDataBase(); }, {dbPath()}));
        EXPECT_FALSE(loaded);
        EXPECT_TRUE(log.has({dbPath(), QString::fromLatin1(c.what)})) << log.messages().join('\n').toStdString();
    }
}

TEST_F(DataBaseManagerTest, RowOperationsOpenTheFileOnFirstUseAndCloseCleanly)
{
    auto item = itemAt(QStringLiteral("/v/lazy.mp4"));
    EXPECT_EQ(db->insertDownloadedItem(*item), 1);
    EXPECT_TRUE(db->closeDataBase());
    EXPECT_TRUE(db->isTheFileInDataBase(QStringLiteral("/v/lazy.mp4")));
    EXPECT_TRUE(db->closeDataBase());
    EXPECT_TRUE(db->closeDataBase());
}

TEST_F(DataBaseManagerTest, CheckDBReportsAMissingTable)
{
    ASSERT_TRUE(db->loadDataBase());
    ASSERT_TRUE(db->checkDB());
    ASSERT_TRUE(execSql(dbPath(), {QStringLiteral("DROP TABLE Downloading")}));
    EXPECT_FALSE(db->checkDB());
    // Loading again puts the table back.
    ASSERT_TRUE(db->loadDataBase());
    EXPECT_TRUE(db->checkDB());
}

TEST_F(DataBaseManagerTest, SavingInOrderReordersTheRowsAndLosesNone)
{
    // A migrated file: its PlaylistIndex column is text, which the rewrite keeps.
    QStringList fixture = BeforePlaylists;
    fixture << QStringLiteral("INSERT INTO Downloading (DownloadID, PageURL, Status) VALUES (40, 'https://e.com/run', 2)");
    ASSERT_TRUE(execSql(dbPath(), fixture));
    ASSERT_TRUE(db->loadDataBase());
    QList<std::shared_ptr<DownloadedItem>> items;
    for (int i = 1; i <= 5; ++i) {
        auto item = itemAt(QStringLiteral("/videos/%1 \"quoted\" '.mp4").arg(i));
        item->setPlaylistIndex(i * 10);
        ASSERT_GT(db->insertDownloadedItem(*item), 0);
        items.append(item);
    }
    auto snapshot = [this] {
        QStringList rows;
        const auto all = db->getAllDownloadedItems();
        for (const auto &i : all.value_or(QList<std::shared_ptr<DownloadedItem>>()))
            rows << QStringLiteral("%1|%2|%3|%4|%5").arg(i->downloadID()).arg(i->filePath()).arg(i->time()).arg(i->playlistIndex())
                        .arg(i->addDate().toSecsSinceEpoch());
        return rows;
    };
    const QStringList before = snapshot();
    const QString typeBefore = queryColumn(dbPath(), "SELECT type FROM pragma_table_info('Downloaded') WHERE name='PlaylistIndex'")
                                   .value(0).toString();
    const qint32 first = items[0]->downloadID();

    // Items 3, 1 and 5 first (a stray identifier and a duplicate are passed over), then 2 and 4.
    auto stray = std::make_shared<DownloadedItem>();
    stray->setDownloadID(999);
    ASSERT_TRUE(db->saveDataByorder({}, {items[2], items[0], stray, items[4], items[0]}));
    QList<qint32> ids;
    const auto reordered = db->getAllDownloadedItems();
    ASSERT_TRUE(reordered);
    for (const auto &i : *reordered)
        ids << i->downloadID();
    EXPECT_EQ(ids, (QList<qint32>{first + 2, first, first + 4, first + 1, first + 3}));
    QStringList after = snapshot(), beforeSorted = before;
    after.sort();
    beforeSorted.sort();
    EXPECT_EQ(after, beforeSorted) << "every field of every row is kept";
    EXPECT_EQ(queryColumn(dbPath(), "SELECT type FROM pragma_table_info('Downloaded') WHERE name='PlaylistIndex'").value(0).toString(),
              typeBefore);
    EXPECT_EQ(queryColumn(dbPath(), "SELECT COUNT(*) FROM sqlite_master WHERE name LIKE '%BackUp'").value(0).toInt(), 0);
    EXPECT_EQ(queryColumn(dbPath(), "SELECT DownloadID FROM Downloading"), (QVariantList{40}));
    EXPECT_TRUE(db->checkDB());
    // The primary key still holds, and identifiers go on.
    auto again = itemAt(QStringLiteral("/videos/next.mp4"));
    EXPECT_GT(db->insertDownloadedItem(*again), first + 4);
    EXPECT_FALSE(execSql(dbPath(), {QStringLiteral("INSERT INTO Downloaded (DownloadID, AddDate) VALUES (%1, 'x')").arg(first)}));

    // A file written by a newer build is left alone.
    const QStringList kept = snapshot();
    ASSERT_TRUE(execSql(dbPath(), {QStringLiteral("PRAGMA user_version = 99")}));
    EXPECT_FALSE(db->saveDataByorder({}, {items[4]}));
    EXPECT_EQ(snapshot(), kept);
}
