#include "downloads/store/LibrarySchema.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>
#include <vector>

namespace {

// A connection of its own, as each program holds one.
class Connection
{
public:
    explicit Connection(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_busy_timeout(m_db, 10000);
        exec("PRAGMA journal_mode=WAL");
    }
    ~Connection() { sqlite3_close(m_db); }
    sqlite3 *get() const { return m_db; }
    bool exec(const QString &sql)
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    QStringList column(const QString &sql)
    {
        QStringList out;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out;
    }
    QStringList columnsOf(const QString &table)
    {
        return column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
    }

private:
    sqlite3 *m_db = nullptr;
};

QString freshFile(const QString &name)
{
    const QString folder = TestEnvironment::home() + QStringLiteral("/store");
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    for (const char *side : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(side));
    return path;
}

QStringList currentColumns(const char *table)
{
    Connection db(freshFile(QStringLiteral("current.db")));
    EXPECT_TRUE(LibrarySchema::migrate(db.get()));
    return db.columnsOf(QLatin1String(table));
}

} // namespace

// Every layout a released build left behind opens to the current one with every row kept.
TEST(LibrarySchema, HistoricalFilesOpenToTheCurrentLayoutKeepingEveryRow)
{
    struct Case
    {
        const char *name;
        const char *downloaded;   // columns of Downloaded; nullptr: no such table
        const char *downloading;  // columns of Downloading; nullptr: no such table
        int userVersion;
    };
    const char *oldestDownloaded = "DownloadID int PRIMARY KEY,PageURL varchar,FilePath varchar,ThumbnailPath "
                                   "varchar,Time BIGINT,Size BIGINT,Status int,Resolution int,AddDate vachar NOT "
                                   "NULL,CovertedPath varchar";
    const char *oldestDownloading = "DownloadID int PRIMARY KEY,PageURL varchar,DownURL varchar,Title varchar,"
                                    "FilePath varchar,ThumbnailPath varchar,WebIconPath varchar,ResumeData BLOB,"
                                    "Status int,Size BIGINT,DownloadSize BIGINT,AddDate varchar,Resolution int";
    const QByteArray withIcons = QByteArray(oldestDownloaded) + ",WebIconPath varchar NULL";
    const QByteArray withCookie = QByteArray(oldestDownloading) + ",Cookie varchar NULL";
    const QByteArray withSubtitles = withIcons + ",SubtitlePath varchar NULL";
    const QByteArray withUrlType = withCookie + ",URLType int,SubtitlePath varchar NULL";
    const QByteArray withGuid = withUrlType + ",OnlyAudio int,GUID varchar";
    const QByteArray withPlaylists = withSubtitles + ",PlaylistTitle varchar,PlaylistUID varchar,PlaylistIndex varchar";
    const Case cases[] = {
        {"oldest", oldestDownloaded, oldestDownloading, 0},
        {"icons and cookies", withIcons.constData(), withCookie.constData(), 0},
        {"subtitles", withSubtitles.constData(), withUrlType.constData(), 0},
        {"audio only and GUID", withSubtitles.constData(), withGuid.constData(), 0},
        {"playlists, unversioned", withPlaylists.constData(), withGuid.constData(), 0},
        {"queue wrote first", nullptr, withGuid.constData(), 0},
        {"library wrote first", withPlaylists.constData(), nullptr, 0},
        {"version 1", withPlaylists.constData(), withGuid.constData(), 1},
    };
    const QStringList downloaded = currentColumns("Downloaded");
    const QStringList downloading = currentColumns("Downloading");
    ASSERT_EQ(downloaded.size(), 15);
    ASSERT_EQ(downloading.size(), 18);

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = freshFile(QStringLiteral("old.db"));
        {
            Connection old(path);
            if (c.downloaded) {
                ASSERT_TRUE(old.exec(QStringLiteral("CREATE TABLE Downloaded(%1)").arg(QLatin1String(c.downloaded))));
                for (int id : {3, 7, 12})
                    ASSERT_TRUE(old.exec(QStringLiteral("INSERT INTO Downloaded(DownloadID, PageURL, AddDate) "
                                                        "VALUES(%1, 'https://e.com/%1', '2014-06-01')").arg(id)));
            }
            if (c.downloading) {
                ASSERT_TRUE(old.exec(QStringLiteral("CREATE TABLE Downloading(%1)").arg(QLatin1String(c.downloading))));
                ASSERT_TRUE(old.exec(QStringLiteral("INSERT INTO Downloading(DownloadID, PageURL, ResumeData) "
                                                    "VALUES(20, 'https://e.com/run', x'0102')")));
            }
            ASSERT_TRUE(old.exec(QStringLiteral("PRAGMA user_version = %1").arg(c.userVersion)));
        }

        Connection db(path);
        QString error;
        ASSERT_TRUE(LibrarySchema::migrate(db.get(), &error)) << error.toStdString();
        EXPECT_EQ(LibrarySchema::version(db.get()), LibrarySchema::currentVersion());
        if (c.downloaded) {
            // Columns added later come at the end, in the order they were added.
            EXPECT_EQ(db.columnsOf(QStringLiteral("Downloaded")), downloaded);
            EXPECT_EQ(db.column(QStringLiteral("SELECT PageURL FROM Downloaded ORDER BY DownloadID")),
                      QStringList({"https://e.com/3", "https://e.com/7", "https://e.com/12"}));
        } else {
            EXPECT_EQ(db.columnsOf(QStringLiteral("Downloaded")), downloaded);
        }
        // A table made by the queue before the library page had its own column order.
        const QStringList queueColumns = db.columnsOf(QStringLiteral("Downloading"));
        EXPECT_EQ(QSet<QString>(queueColumns.begin(), queueColumns.end()),
                  QSet<QString>(downloading.begin(), downloading.end()));
        if (c.downloading) {
            EXPECT_EQ(db.column(QStringLiteral("SELECT hex(ResumeData) FROM Downloading WHERE DownloadID = 20")),
                      QStringList({"0102"}));
        }

        // Identifiers continue above every kept row.
        const qint64 expected = c.downloading ? 21 : 13;
        EXPECT_EQ(LibrarySchema::reserveDownloadId(db.get()), expected);
        // Opening again changes nothing.
        ASSERT_TRUE(LibrarySchema::migrate(db.get()));
        EXPECT_EQ(db.column(QStringLiteral("SELECT COUNT(*) FROM Downloaded")).value(0),
                  QString::number(c.downloaded ? 3 : 0));
    }
}

TEST(LibrarySchema, AFileFromANewerBuildIsLeftAsItIs)
{
    const QString path = freshFile(QStringLiteral("newer.db"));
    Connection db(path);
    ASSERT_TRUE(LibrarySchema::migrate(db.get()));
    ASSERT_TRUE(db.exec(QStringLiteral("ALTER TABLE Downloaded ADD COLUMN FromTheFuture int")));
    ASSERT_TRUE(db.exec(QStringLiteral("PRAGMA user_version = %1").arg(LibrarySchema::currentVersion() + 5)));
    ASSERT_TRUE(LibrarySchema::migrate(db.get()));
    EXPECT_EQ(LibrarySchema::version(db.get()), LibrarySchema::currentVersion() + 5);
    EXPECT_TRUE(db.columnsOf(QStringLiteral("Downloaded")).contains(QStringLiteral("FromTheFuture")));
}

// An identifier is never handed out again: not after its row is deleted, nor while a task
// that reserved it has not been stored yet.
TEST(LibrarySchema, IdentifiersAreNotReusedAfterDeleteOrReopen)
{
    const QString path = freshFile(QStringLiteral("ids.db"));
    {
        Connection db(path);
        ASSERT_TRUE(LibrarySchema::migrate(db.get()));
        EXPECT_EQ(LibrarySchema::reserveDownloadId(db.get()), 1);  // a queued task, not stored
        ASSERT_TRUE(db.exec(QStringLiteral("BEGIN IMMEDIATE")));
        const qint64 id = LibrarySchema::takeDownloadId(db.get());
        EXPECT_EQ(id, 2);
        ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO Downloaded(DownloadID, AddDate) VALUES(%1, '')").arg(id)));
        ASSERT_TRUE(db.exec(QStringLiteral("COMMIT")));
        ASSERT_TRUE(db.exec(QStringLiteral("DELETE FROM Downloaded")));
    }
    Connection again(path);
    ASSERT_TRUE(LibrarySchema::migrate(again.get()));
    EXPECT_EQ(LibrarySchema::reserveDownloadId(again.get()), 3);
}

// The library page and the queue add rows through their own connections at the same time.
TEST(LibrarySchema, TwoWritersNeverHandOutTheSameIdentifier)
{
    const QString path = freshFile(QStringLiteral("writers.db"));
    {
        Connection setup(path);
        ASSERT_TRUE(LibrarySchema::migrate(setup.get()));
    }
    constexpr int PerWriter = 150;
    std::vector<qint64> page, queue;
    std::thread pageWriter([&] {
        Connection db(path);
        LibrarySchema::migrate(db.get());
        for (int i = 0; i < PerWriter; ++i) {
            // As the database manager inserts a finished download: identifier and row together.
            if (!db.exec(QStringLiteral("BEGIN IMMEDIATE")))
                continue;
            const qint64 id = LibrarySchema::takeDownloadId(db.get());
            if (id > 0 && db.exec(QStringLiteral("INSERT INTO Downloaded(DownloadID, AddDate) VALUES(%1, '')").arg(id))
                && db.exec(QStringLiteral("COMMIT")))
                page.push_back(id);
            else
                db.exec(QStringLiteral("ROLLBACK"));
        }
    });
    std::thread queueWriter([&] {
        Connection db(path);
        LibrarySchema::migrate(db.get());
        for (int i = 0; i < PerWriter; ++i) {
            // As the queue does: the identifier now, the row at its next store.
            const qint64 id = LibrarySchema::reserveDownloadId(db.get());
            if (id <= 0)
                continue;
            queue.push_back(id);
            if (i % 10 == 9) {
                db.exec(QStringLiteral("BEGIN IMMEDIATE"));
                db.exec(QStringLiteral("DELETE FROM Downloading"));
                for (qint64 q : queue)
                    db.exec(QStringLiteral("INSERT INTO Downloading(DownloadID) VALUES(%1)").arg(q));
                db.exec(QStringLiteral("COMMIT"));
            }
        }
    });
    pageWriter.join();
    queueWriter.join();

    ASSERT_EQ(page.size(), size_t(PerWriter));
    ASSERT_EQ(queue.size(), size_t(PerWriter));
    QSet<qint64> all;
    for (qint64 id : page)
        all.insert(id);
    for (qint64 id : queue)
        EXPECT_FALSE(all.contains(id)) << "identifier " << id << " handed out twice";
    for (qint64 id : queue)
        all.insert(id);
    EXPECT_EQ(all.size(), 2 * PerWriter);
}

// --- damaged files ---

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The queue's rows first, then the library's, each long enough that the file spans many pages;
// kept in one file without a journal, as a damaged file is found.
QByteArray libraryWithRows(int queueRows, int libraryRows)
{
    const QString path = freshFile(QStringLiteral("salvage-source.db"));
    {
        Connection c(path);
        EXPECT_TRUE(LibrarySchema::migrate(c.get()));
        c.exec(QStringLiteral("BEGIN"));
        for (int i = 1; i <= queueRows; ++i)
            c.exec(QStringLiteral("INSERT INTO Downloading(DownloadID,PageURL,ResumeData,Status) VALUES(%1,'https://q.example/%1',"
                                  "randomblob(1500),5)")
                       .arg(i));
        for (int i = 1; i <= libraryRows; ++i)
            c.exec(QStringLiteral("INSERT INTO Downloaded(DownloadID,PageURL,FilePath,AddDate) VALUES(%1,'https://l.example/%1',"
                                  "'/v/%1 %2.mp4','2026')")
                       .arg(1000 + i)
                       .arg(QString(1200, u'n')));
        c.exec(QStringLiteral("UPDATE DownloadIDs SET LastID = 5000"));
        c.exec(QStringLiteral("COMMIT"));
        c.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    return readBytes(path);
}

} // namespace

// A damaged Library.db: what SQLite can still read goes into a fresh file, the damaged one is
// kept aside untouched, and the salvage is reported once.
TEST(LibrarySchema, ADamagedFileKeepsWhatCanBeReadAndIsKeptAside)
{
    constexpr int Queue = 200, Library = 300;
    const QByteArray good = libraryWithRows(Queue, Library);
    ASSERT_GT(good.size(), 600 * 1024);
    QByteArray middle = good;
    for (qsizetype i = good.size() / 2; i < good.size() / 2 + 3 * 4096; ++i)
        middle[i] = char(0x5a);
    QByteArray header = good;
    for (int i = 0; i < 100; ++i)
        header[i] = char(0xa5 + i);
    const struct
    {
        const char *name;
        QByteArray bytes;
        int minQueue, minLibrary;
    } cases[] = {
        {"truncated", good.left(good.size() * 2 / 3), Queue, 1},
        {"pages overwritten in the middle", middle, Queue / 2, Library / 2},
        {"garbage", QByteArray(20000, '\x8f'), 0, 0},
        {"header overwritten", header, 0, 0},
    };
    LibrarySchema::takeSalvages();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = freshFile(QStringLiteral("Library.db"));
        for (const QString &old : QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("Library.db.*")}))
            QFile::remove(QFileInfo(path).absolutePath() + QLatin1Char('/') + old);
        writeBytes(path, c.bytes);

        QString error;
        const auto salvage = LibrarySchema::salvageIfDamaged(path, &error);
        ASSERT_TRUE(salvage.has_value()) << error.toStdString();
        EXPECT_FALSE(salvage->reason.isEmpty());
        EXPECT_TRUE(salvage->asidePath.startsWith(path + QStringLiteral(".damaged-")));
        EXPECT_EQ(readBytes(salvage->asidePath), c.bytes) << "the damaged file is kept as it came";
        EXPECT_GE(salvage->queueRows, c.minQueue);
        EXPECT_GE(salvage->libraryRows, c.minLibrary);

        Connection fresh(path);
        EXPECT_EQ(fresh.column(QStringLiteral("PRAGMA quick_check")), QStringList{QStringLiteral("ok")});
        // Every row kept is a row that was there, whole.
        const QStringList queue = fresh.column(QStringLiteral(
            "SELECT PageURL = 'https://q.example/' || DownloadID AND length(ResumeData) = 1500 FROM Downloading"));
        EXPECT_EQ(queue.size(), salvage->queueRows);
        EXPECT_FALSE(queue.contains(QStringLiteral("0")));
        const QStringList library = fresh.column(QStringLiteral(
            "SELECT FilePath LIKE '/v/' || DownloadID || ' n%' FROM Downloaded"));
        EXPECT_EQ(library.size(), salvage->libraryRows);
        EXPECT_FALSE(library.contains(QStringLiteral("0")));
        // No identifier the damaged file handed out is handed out again.
        if (salvage->queueRows + salvage->libraryRows > 0) {
            EXPECT_GT(LibrarySchema::reserveDownloadId(fresh.get()), 1000);
        }

        // Told once: a sound file is left alone and adds nothing to tell.
        EXPECT_FALSE(LibrarySchema::salvageIfDamaged(path).has_value());
        const auto told = LibrarySchema::takeSalvages();
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told[0].asidePath, salvage->asidePath);
        EXPECT_TRUE(LibrarySchema::takeSalvages().isEmpty());
    }
}
