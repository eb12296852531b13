#pragma once

#include <QList>
#include <QString>

#include <optional>

struct sqlite3;

// The one owner of Library.db's layout: both tables' definitions, the ordered migrations keyed
// by PRAGMA user_version, and the download identifiers. The library page and the download queue
// each open their own connection to the file and go through here, so neither writes a table
// the other does not know, and no identifier is handed out twice.
class LibrarySchema
{
public:
    // The layout this build writes. Raise it with each new step in LibrarySchema.cpp.
    static int currentVersion();

    static const char *createDownloaded();
    static const char *createDownloading();

    // The file's PRAGMA user_version (0 for files from before it was kept), or -1.
    static int version(sqlite3 *db);

    // Brings an open connection's file to the current layout in one write transaction: the
    // tables made when missing, every step above the file's version run in order, rows kept.
    // A file written by a newer build is left as it is (columns are read by name).
    static bool migrate(sqlite3 *db, QString *error = nullptr);

    // The next download identifier, above every row of both tables and every identifier handed
    // out before through any connection (deleted rows included). Call inside a write
    // transaction (BEGIN IMMEDIATE) that the caller commits; 0 on failure.
    static qint64 takeDownloadId(sqlite3 *db, QString *error = nullptr);

    // Rewrites "Downloaded" so that its rows come in the given order of identifiers, then every
    // row not named in their earlier order: the rows go into "DownloadedBackUp" (made with the
    // table's own definition), which then takes the table's place. One write transaction, so a
    // failure leaves the table as it was; a file written by a newer build is not touched.
    static bool saveDownloadedInOrder(sqlite3 *db, const QList<qint64> &order, QString *error = nullptr);

    // takeDownloadId in a transaction of its own, for callers that only reserve an identifier.
    static qint64 reserveDownloadId(sqlite3 *db, QString *error = nullptr);

    // The queue's status of a finished download whose library row is still to be written.
    static constexpr int FinishedQueueStatus = 9;
    // Finished downloads the queue still names (rows of status FinishedQueueStatus, kept when
    // the library could not take them, e.g. on a full disk) go into "Downloaded": a file that is
    // there and not in that table yet gets a row (its queue identifier, or a new one when that
    // is taken); the queue row goes once its file is recorded or gone. One write transaction,
    // so a failure leaves both tables as they were. The number of rows added, or -1 with error.
    static int moveFinishedQueueRows(sqlite3 *db, QString *error = nullptr);

    // What became of a damaged file.
    struct Salvage
    {
        QString reason;    // why the file was taken for damaged
        QString asidePath; // where the damaged file (and its journal) now lies
        int queueRows = 0;
        int libraryRows = 0;
    };

    // Checks the file at path before any connection uses it. A file SQLite cannot read whole is
    // kept aside as "<path>.damaged-<UTC time>" (numbered when that is taken), and a fresh file
    // takes its place holding every row that could still be read: the queue's first, then the
    // library's. Nothing for a sound or missing file; error says why a salvage failed (the file
    // is then left where it was).
    static std::optional<Salvage> salvageIfDamaged(const QString &path, QString *error = nullptr);
    // The same for a file already found damaged (why).
    static std::optional<Salvage> salvage(const QString &path, const QString &why, QString *error = nullptr);
    // Salvages made in this process since the last call: the user is told of each once.
    static QList<Salvage> takeSalvages();
};
