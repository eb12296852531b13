#include "downloads/store/LibrarySchema.h"

#include <sqlite3.h>

#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>

namespace {

const char *const CreateDownloaded =
    "CREATE TABLE IF NOT EXISTS Downloaded(DownloadID int PRIMARY KEY,PageURL varchar,FilePath "
    "varchar,ThumbnailPath varchar,Time BIGINT,Size BIGINT,Status int,Resolution int,AddDate vachar "
    "NOT NULL,CovertedPath varchar,WebIconPath varchar NULL,SubtitlePath varchar NULL,PlaylistTitle "
    "varchar NULL,PlaylistUID varchar NULL,PlaylistIndex int)";
const char *const CreateDownloading =
    "CREATE TABLE IF NOT EXISTS Downloading(DownloadID int PRIMARY KEY,PageURL varchar,DownURL "
    "varchar,Title varchar,FilePath varchar,ThumbnailPath varchar,WebIconPath varchar,ResumeData "
    "BLOB,Status int,Size BIGINT,DownloadSize BIGINT,AddDate varchar,Resolution int,Cookie varchar "
    "NULL,URLType int,SubtitlePath varchar NULL,OnlyAudio int,GUID varchar)";

// Files from before the version was kept gained their columns one release at a time; a column
// that is missing is added (probing is only for bringing such files to version 1).
struct Column
{
    const char *table;
    const char *name;
    const char *type;
};
const Column Version1Columns[] = {
    {"Downloading", "Cookie", "varchar NULL"},
    {"Downloaded", "WebIconPath", "varchar NULL"},
    {"Downloading", "URLType", "int"},
    {"Downloaded", "SubtitlePath", "varchar NULL"},
    {"Downloading", "SubtitlePath", "varchar NULL"},
    {"Downloading", "OnlyAudio", "int"},
    {"Downloading", "GUID", "varchar"},
    {"Downloaded", "PlaylistTitle", "varchar"},
    {"Downloaded", "PlaylistUID", "varchar"},
    {"Downloaded", "PlaylistIndex", "varchar"},
};

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

bool exec(sqlite3 *db, const QByteArray &sql, QString *error)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = QString::fromUtf8(message ? message : sqlite3_errmsg(db)) + QStringLiteral(" (")
            + QString::fromUtf8(sql.left(60)) + QLatin1Char(')');
    sqlite3_free(message);
    return false;
}

// 0 when the query gives no row or NULL.
qint64 scalar(sqlite3 *db, const char *sql, bool *ok = nullptr)
{
    sqlite3_stmt *st = nullptr;
    qint64 value = 0;
    bool fine = sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK;
    if (fine) {
        const int rc = sqlite3_step(st);
        fine = rc == SQLITE_ROW || rc == SQLITE_DONE;
        if (rc == SQLITE_ROW)
            value = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    if (ok)
        *ok = fine;
    return value;
}

bool hasColumn(sqlite3 *db, const char *table, const char *column)
{
    const QByteArray sql = QByteArray("SELECT 1 FROM pragma_table_info('") + table + "') WHERE name = ?";
    sqlite3_stmt *st = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, column, -1, SQLITE_STATIC);
        found = sqlite3_step(st) == SQLITE_ROW;
    }
    sqlite3_finalize(st);
    return found;
}

bool toVersion1(sqlite3 *db, QString *error)
{
    for (const Column &c : Version1Columns) {
        if (hasColumn(db, c.table, c.name))
            continue;
        if (!exec(db, QByteArray("ALTER TABLE ") + c.table + " ADD COLUMN " + c.name + ' ' + c.type, error))
            return false;
    }
    return true;
}

// The last identifier handed out, kept apart from the rows: the queue reserves identifiers for
// tasks it has not stored yet, and a deleted row's identifier is never given again.
bool toVersion2(sqlite3 *db, QString *error)
{
    return exec(db, "CREATE TABLE IF NOT EXISTS DownloadIDs(LastID INTEGER NOT NULL)", error)
        && exec(db,
                "INSERT INTO DownloadIDs(LastID) SELECT max(ifnull((SELECT MAX(DownloadID) FROM Downloaded), 0), "
                "ifnull((SELECT MAX(DownloadID) FROM Downloading), 0)) WHERE NOT EXISTS (SELECT 1 FROM DownloadIDs)",
                error);
}

struct Step
{
    int version;
    bool (*run)(sqlite3 *, QString *);
};
// In order; each brings a file from the version before to its own.
const Step Steps[] = {
    {1, toVersion1},
    {2, toVersion2},
};

} // namespace

int LibrarySchema::currentVersion()
{
    return std::end(Steps)[-1].version;
}

const char *LibrarySchema::createDownloaded()
{
    return CreateDownloaded;
}

const char *LibrarySchema::createDownloading()
{
    return CreateDownloading;
}

int LibrarySchema::version(sqlite3 *db)
{
    bool ok = false;
    const qint64 v = scalar(db, "PRAGMA user_version", &ok);
    return ok ? int(v) : -1;
}

bool LibrarySchema::migrate(sqlite3 *db, QString *error)
{
    const int before = version(db);
    if (before < 0) {
        if (error)
            *error = lastError(db);
        return false;
    }
    // Most opens find the file current and write nothing; a table lost since is made again.
    if (before >= currentVersion())
        return exec(db, CreateDownloaded, error) && exec(db, CreateDownloading, error);
    if (!exec(db, "BEGIN IMMEDIATE", error))
        return false;
    // Another connection may have migrated while this one waited for the lock.
    const int from = version(db);
    bool ok = from >= 0 && exec(db, CreateDownloaded, error) && exec(db, CreateDownloading, error);
    for (const Step &step : Steps) {
        if (!ok || step.version <= from)
            continue;
        ok = step.run(db, error);
    }
    if (ok && from < currentVersion())
        ok = exec(db, QByteArray("PRAGMA user_version = ") + QByteArray::number(currentVersion()), error);
    if (!ok) {
        exec(db, "ROLLBACK", nullptr);
        return false;
    }
    return exec(db, "COMMIT", error);
}

qint64 LibrarySchema::takeDownloadId(sqlite3 *db, QString *error)
{
    bool ok = false;
    const qint64 last = std::max({scalar(db, "SELECT MAX(LastID) FROM DownloadIDs", &ok),
                                  scalar(db, "SELECT MAX(DownloadID) FROM Downloaded"),
                                  scalar(db, "SELECT MAX(DownloadID) FROM Downloading")});
    if (!ok) {
        if (error)
            *error = lastError(db);
        return 0;
    }
    const qint64 id = last + 1;
    const QByteArray update = "UPDATE DownloadIDs SET LastID = " + QByteArray::number(id);
    if (!exec(db, update, error))
        return 0;
    if (sqlite3_changes(db) == 0
        && !exec(db, "INSERT INTO DownloadIDs(LastID) VALUES(" + QByteArray::number(id) + ')', error))
        return 0;
    return id;
}

qint64 LibrarySchema::reserveDownloadId(sqlite3 *db, QString *error)
{
    if (!exec(db, "BEGIN IMMEDIATE", error))
        return 0;
    const qint64 id = takeDownloadId(db, error);
    if (id == 0 || !exec(db, "COMMIT", error)) {
        exec(db, "ROLLBACK", nullptr);
        return 0;
    }
    return id;
}

bool LibrarySchema::saveDownloadedInOrder(sqlite3 *db, const QList<qint64> &order, QString *error)
{
    const int v = version(db);
    if (v < 0 || v > currentVersion()) {
        if (error)
            *error = v < 0 ? lastError(db) : QStringLiteral("Library.db is from a newer build");
        return false;
    }
    if (!exec(db, "BEGIN IMMEDIATE", error))
        return false;
    const auto fail = [db] {
        exec(db, "ROLLBACK", nullptr);
        return false;
    };
    // The table's own definition, so a migrated file keeps its column types and order.
    QByteArray definition;
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type='table' AND name='Downloaded'", -1, &st, nullptr)
                == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            definition = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    static const QRegularExpression name(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+(IF\\s+NOT\\s+EXISTS\\s+)?[\"'`\\[]?Downloaded[\"'`\\]]?"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString backup = QString::fromUtf8(definition);
    const QRegularExpressionMatch m = name.match(backup);
    if (!m.hasMatch()) {
        if (error)
            *error = QStringLiteral("the definition of Downloaded was not found");
        return fail();
    }
    backup.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("CREATE TABLE DownloadedBackUp"));
    if (!exec(db, "DROP TABLE IF EXISTS DownloadedBackUp", error) || !exec(db, backup.toUtf8(), error))
        return fail();

    sqlite3_stmt *copy = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO DownloadedBackUp SELECT * FROM Downloaded WHERE DownloadID = ?", -1, &copy,
                           nullptr)
        != SQLITE_OK) {
        if (error)
            *error = lastError(db);
        return fail();
    }
    for (qint64 id : order) {
        sqlite3_reset(copy);
        sqlite3_bind_int64(copy, 1, id);
        if (sqlite3_step(copy) != SQLITE_DONE) {
            if (error)
                *error = QStringLiteral("insertDownloadedItemForBackUp Fail,ID:%1,Error:%2").arg(id).arg(lastError(db));
            sqlite3_finalize(copy);
            return fail();
        }
    }
    sqlite3_finalize(copy);
    // Rows the list did not name stay in the library, after the named ones (a row without an
    // identifier too: NOT IN would drop it).
    if (!exec(db,
              "INSERT INTO DownloadedBackUp SELECT * FROM Downloaded WHERE NOT EXISTS "
              "(SELECT 1 FROM DownloadedBackUp b WHERE b.DownloadID = Downloaded.DownloadID) ORDER BY rowid",
              error))
        return fail();
    bool counted = false, countedBackup = false;
    const qint64 rows = scalar(db, "SELECT COUNT(*) FROM Downloaded", &counted);
    const qint64 copied = scalar(db, "SELECT COUNT(*) FROM DownloadedBackUp", &countedBackup);
    if (!counted || !countedBackup || rows != copied) {
        if (error)
            *error = QStringLiteral("-->>database saving order error!!! %1 rows, %2 copied").arg(rows).arg(copied);
        return fail();
    }
    if (!exec(db, "DROP TABLE Downloaded", error) || !exec(db, "ALTER TABLE DownloadedBackUp RENAME TO Downloaded", error)
        || !exec(db, "COMMIT", error))
        return fail();
    return true;
}

