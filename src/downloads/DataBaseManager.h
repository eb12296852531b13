#pragma once

#include <QList>
#include <QRecursiveMutex>
#include <QString>

#include <memory>
#include <optional>

struct sqlite3;
class DownloadedItem;
class QTimer;

// The library database "Library.db" in the product's support folder: table "Downloaded" holds
// one row per finished item; table "Downloading" is created and migrated here, counted for
// identifiers and otherwise belongs to the download-task dispatcher, which opens its own
// connection to databasePath().
//
// Threads: the manager has one connection and is used from the main thread. A lock makes a
// stray call from another thread wait rather than share the connection mid-statement.
// Other connections to the same file (the dispatcher's) work beside it: the file is in WAL
// mode with a 5 s busy time-out, and every write here is one transaction.
//
// Failures are logged ("==>>...") and answered with false, -1 or no list; none reaches the
// user. A file that is not a readable database is kept aside (movedAsidePath()) and a fresh one
// holding every row that could still be read takes its place (LibrarySchema::salvage); nothing
// else in the folder is touched.
class DataBaseManager
{
public:
    static constexpr int BusyTimeoutMs = 5000;

    // The program's library in the product support folder.
    static DataBaseManager &defaultManager();
    // A library in workSpaceDir (tests, tools).
    explicit DataBaseManager(const QString &workSpaceDir);
    ~DataBaseManager();
    DataBaseManager(const DataBaseManager &) = delete;
    DataBaseManager &operator=(const DataBaseManager &) = delete;

    QString workSpaceDir() const { return m_strWorkSpaceDir; }
    QString thumbnailDir() const { return m_strThumbnailDir; }
    QString webIconDir() const { return m_strWebIconDir; }
    QString databasePath() const;
    // Where the last damaged file was moved; empty when none was.
    QString movedAsidePath() const;

    bool loadDataBase();
    bool createDataBase(const QString &path);
    qint32 getMaxDownloadID();
    qint32 maxDownloadedID();
    qint32 maxDownloadingID();

    // The new identifier (also set on the item), or -1.
    qint32 insertDownloadedItem(DownloadedItem &item);

    // A finished download's record: written like insertDownloadedItem, but never forgotten.
    // One that cannot be written now (a full disk) is kept, and with every other kept record
    // written again at the next call, by retryPendingRecords() and every RetryIntervalMs while
    // any is kept; the first failure of a run of them posts
    // NotificationNames::LibraryRecordPending once (object: the item's file path). The
    // identifier, or -1 while the record is kept.
    qint32 recordFinishedItem(const std::shared_ptr<DownloadedItem> &item);
    // Writes the kept records, oldest first, until one fails; the number written.
    int retryPendingRecords();
    int pendingRecordCount() const;
    static constexpr int RetryIntervalMs = 30000;
    void setRetryIntervalForTesting(int ms);
    // A full disk for tests: the file may not grow beyond its size now (false: lifted).
    void setFullForTesting(bool full);
    bool updateDownloadedItem(const DownloadedItem &item);
    // A kept record of the item is dropped as well.
    bool deleteDownloadedItem(const DownloadedItem &item);
    // Every row in table order; no list when the table cannot be read.
    std::optional<QList<std::shared_ptr<DownloadedItem>>> getAllDownloadedItems();
    bool isTheFileInDataBase(const QString &path);
    bool checkDB();
    bool closeDataBase();
    // Stores the finished items in the given order (the library reads the table in its stored
    // order); rows of items not given keep their places after them. The running tasks are not
    // reordered. False, with the table unchanged, when it cannot be done.
    bool saveDataByorder(const QList<std::shared_ptr<DownloadedItem>> &downloading,
                         const QList<std::shared_ptr<DownloadedItem>> &downloaded);

private:
    bool ensureOpen();
    bool openConnection(const QString &path, bool create);
    QString prepareFile();
    bool recoverDamagedFile(const QString &why);
    bool createTables();
    bool isHealthy();
    qint32 maxID(const char *sql);
    bool exec(const char *sql);
    void moveFinishedQueueRows();
    bool writePendingRecords();

    mutable QRecursiveMutex m_lock;
    sqlite3 *m_dataBase = nullptr;
    QString m_strWorkSpaceDir;
    QString m_strThumbnailDir;
    QString m_strWebIconDir;
    qint32 m_maxDownloadID = 0;
    QString m_movedAsidePath;
    QList<std::shared_ptr<DownloadedItem>> m_pendingRecords;
    bool m_toldPending = false;
    int m_retryIntervalMs = RetryIntervalMs;
    std::unique_ptr<QTimer> m_retryTimer;
};
