#include "downloads/store/LibrarySchema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <sqlite3.h>

#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
#include <utility>

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

int LibrarySchema::moveFinishedQueueRows(sqlite3 *db, QString *error)
{
    struct Row
    {
        qint64 id = 0;
        QByteArray page, file, thumbnail, icon, subtitle;
        int resolution = 0;
    };
    const auto text = [](sqlite3_stmt *st, int column) {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
        return data ? QByteArray(data, sqlite3_column_bytes(st, column)) : QByteArray();
    };
    const auto fail = [db, error](sqlite3_stmt *st) {
        if (error && error->isEmpty())
            *error = lastError(db);
        sqlite3_finalize(st);
        exec(db, "ROLLBACK", nullptr);
        return -1;
    };
    if (error)
        error->clear();
    const QByteArray finished = QByteArray::number(FinishedQueueStatus);
    // Read first without a write lock: nearly every start finds nothing to move.
    if (scalar(db, "SELECT COUNT(*) FROM Downloading WHERE Status = " + finished) == 0)
        return 0;
    if (!exec(db, "BEGIN IMMEDIATE", error))
        return -1;
    sqlite3_stmt *st = nullptr;
    const QByteArray select = "SELECT DownloadID, PageURL, FilePath, ThumbnailPath, WebIconPath, SubtitlePath, Resolution "
                              "FROM Downloading WHERE Status = "
                              + finished + " ORDER BY DownloadID";
    if (sqlite3_prepare_v2(db, select.constData(), -1, &st, nullptr)
        != SQLITE_OK)
        return fail(st);
    QList<Row> rows;
    while (sqlite3_step(st) == SQLITE_ROW)
        rows.append({sqlite3_column_int64(st, 0), text(st, 1), text(st, 2), text(st, 3), text(st, 4), text(st, 5),
                     sqlite3_column_int(st, 6)});
    sqlite3_finalize(st);
    st = nullptr;

    int added = 0;
    for (const Row &row : rows) {
        const QFileInfo file(QFile::decodeName(row.file));
        const bool present = !row.file.isEmpty() && file.isFile();
        bool recorded = false;
        if (sqlite3_prepare_v2(db, "SELECT 1 FROM Downloaded WHERE FilePath = ? LIMIT 1", -1, &st, nullptr) != SQLITE_OK)
            return fail(st);
        sqlite3_bind_text(st, 1, row.file.constData(), int(row.file.size()), SQLITE_TRANSIENT);
        recorded = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        st = nullptr;
        if (present && !recorded) {
            const bool idTaken = scalar(db, "SELECT COUNT(*) FROM Downloaded WHERE DownloadID = " + QByteArray::number(row.id)) > 0;
            const qint64 id = idTaken ? takeDownloadId(db, error) : row.id;
            if (id <= 0)
                return fail(st);
            if (sqlite3_prepare_v2(db,
                                   "INSERT INTO Downloaded (DownloadID, PageURL, FilePath, ThumbnailPath, Time, Size, Status, "
                                   "Resolution, AddDate, CovertedPath, WebIconPath, SubtitlePath, PlaylistTitle, PlaylistUID, "
                                   "PlaylistIndex) VALUES(?,?,?,?,0,?,0,?,?,'',?,?,'','',0)",
                                   -1, &st, nullptr)
                != SQLITE_OK)
                return fail(st);
            // Entered the library when it was written whole.
            const QDateTime finished = file.lastModified().toUTC();
            const QByteArray added8 = finished.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")).toUtf8();
            sqlite3_bind_int64(st, 1, id);
            sqlite3_bind_text(st, 2, row.page.constData(), int(row.page.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, row.file.constData(), int(row.file.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 4, row.thumbnail.constData(), int(row.thumbnail.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 5, file.size());
            sqlite3_bind_int(st, 6, row.resolution);
            sqlite3_bind_text(st, 7, added8.constData(), int(added8.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 8, row.icon.constData(), int(row.icon.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 9, row.subtitle.constData(), int(row.subtitle.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(st) != SQLITE_DONE)
                return fail(st);
            sqlite3_finalize(st);
            st = nullptr;
            ++added;
        }
        if (!exec(db, "DELETE FROM Downloading WHERE DownloadID = " + QByteArray::number(row.id), error))
            return fail(st);
    }
    if (!exec(db, "COMMIT", error))
        return fail(st);
    return added;
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

// --- damaged files ---

namespace {

bool isDamage(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

QMutex &salvagesLock()
{
    static QMutex lock;
    return lock;
}

QList<LibrarySchema::Salvage> &salvages()
{
    static QList<LibrarySchema::Salvage> list;
    return list;
}

// Why the file is not a sound database; empty when it is, or when that cannot be told (a file
// that cannot be opened for other reasons is not ours to move).
QString damageOf(const QString &path)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString why;
    if (rc != SQLITE_OK) {
        if (isDamage(sqlite3_extended_errcode(db)))
            why = lastError(db);
        sqlite3_close(db);
        return why;
    }
    sqlite3_stmt *st = nullptr;
    int step = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
    if (step == SQLITE_OK) {
        step = sqlite3_step(st);
        if (step == SQLITE_ROW) {
            const auto *answer = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            if (!answer || qstrcmp(answer, "ok") != 0)
                why = QStringLiteral("integrity check failed: ") + QString::fromUtf8(answer ? answer : "");
        } else if (isDamage(step)) {
            why = lastError(db);
        }
    } else if (isDamage(step)) {
        why = lastError(db);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return why;
}

QStringList columnsOf(sqlite3 *db, const char *table)
{
    QStringList out;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QByteArray("SELECT name FROM pragma_table_info('") + table + "')";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return out;
}

// Copies every row of table that can still be read, by the columns both files have. A damaged
// page ends a scan: the table is read from its start and again from its end, so only the rows
// on damaged pages are lost. Rows already copied (same identifier) are not copied twice.
int copyReadableRows(sqlite3 *from, sqlite3 *to, const char *table)
{
    const QStringList theirs = columnsOf(from, table);
    QStringList common;
    for (const QString &c : columnsOf(to, table))
        if (theirs.contains(c))
            common << QLatin1Char('"') + c + QLatin1Char('"');
    if (common.isEmpty())
        return 0;
    const QByteArray names = common.join(u',').toUtf8();
    const QByteArray insertSql = "INSERT OR IGNORE INTO " + QByteArray(table) + '(' + names + ") VALUES("
        + QByteArray("?,").repeated(common.size()).chopped(1) + ')';
    sqlite3_stmt *insert = nullptr;
    if (sqlite3_prepare_v2(to, insertSql.constData(), -1, &insert, nullptr) != SQLITE_OK)
        return 0;
    int copied = 0;
    for (const char *order : {"", " ORDER BY rowid DESC"}) {
        const QByteArray selectSql = "SELECT " + names + " FROM " + table + order;
        sqlite3_stmt *select = nullptr;
        if (sqlite3_prepare_v2(from, selectSql.constData(), -1, &select, nullptr) == SQLITE_OK) {
            while (sqlite3_step(select) == SQLITE_ROW) {
                for (int i = 0; i < int(common.size()); ++i)
                    sqlite3_bind_value(insert, i + 1, sqlite3_column_value(select, i));
                if (sqlite3_step(insert) == SQLITE_DONE)
                    copied += sqlite3_changes(to);
                sqlite3_reset(insert);
                sqlite3_clear_bindings(insert);
            }
        }
        sqlite3_finalize(select);
    }
    sqlite3_finalize(insert);
    return copied;
}

void removeWithJournal(const QString &path)
{
    for (const char *side : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(side));
}

} // namespace

std::optional<LibrarySchema::Salvage> LibrarySchema::salvageIfDamaged(const QString &path, QString *error)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const QString why = damageOf(path);
    if (why.isEmpty())
        return std::nullopt;
    return salvage(path, why, error);
}

std::optional<LibrarySchema::Salvage> LibrarySchema::salvage(const QString &path, const QString &why, QString *error)
{
    // The new file is made beside the old one and put in place only when it is complete.
    const QString fresh = path + QStringLiteral(".salvage");
    removeWithJournal(fresh);
    sqlite3 *to = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(fresh).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
            != SQLITE_OK
        || !migrate(to, error)) {
        sqlite3_close(to);
        removeWithJournal(fresh);
        return std::nullopt;
    }
    Salvage result;
    result.reason = why;
    sqlite3 *from = nullptr;
    // Read only: the damaged file is kept as it came, for whoever wants to look at it.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &from, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        // Lets SQLite read a file shorter than its header says instead of refusing it whole.
        exec(from, "PRAGMA writable_schema=ON", nullptr);
        exec(to, "BEGIN", nullptr);
        // The queue first: its rows are downloads not made yet, with nothing else to recall them.
        result.queueRows = copyReadableRows(from, to, "Downloading");
        result.libraryRows = copyReadableRows(from, to, "Downloaded");
        bool known = false;
        const qint64 lastId = scalar(from, "SELECT MAX(LastID) FROM DownloadIDs", &known);
        exec(to, "UPDATE DownloadIDs SET LastID = max(LastID, ifnull((SELECT MAX(DownloadID) FROM Downloaded), 0), "
                 "ifnull((SELECT MAX(DownloadID) FROM Downloading), 0), " + QByteArray::number(known ? lastId : 0) + ')',
             nullptr);
        exec(to, "COMMIT", nullptr);
    }
    sqlite3_close(from);
    sqlite3_close(to);

    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 1; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path, aside)) {
        if (error)
            *error = QStringLiteral("%1 cannot be moved aside").arg(path);
        removeWithJournal(fresh);
        return std::nullopt;
    }
    // Its journal belongs to it: the fresh file must not pick it up.
    for (const char *side : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(side)))
            QFile::rename(path + QLatin1String(side), aside + QLatin1String(side));
    if (!QFile::rename(fresh, path)) {
        if (error)
            *error = QStringLiteral("the salvaged file cannot take the place of %1").arg(path);
        QFile::rename(aside, path);
        removeWithJournal(fresh);
        return std::nullopt;
    }
    result.asidePath = aside;
    QMutexLocker lock(&salvagesLock());
    salvages().append(result);
    return result;
}

QList<LibrarySchema::Salvage> LibrarySchema::takeSalvages()
{
    QMutexLocker lock(&salvagesLock());
    return std::exchange(salvages(), {});
}
