#include "downloads/DataBaseManager.h"

#include "downloads/DownloadedItem.h"
#include "downloads/LibraryDateText.h"
#include "downloads/store/LibrarySchema.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>

namespace {

const char *const InsertDownloaded =
    "INSERT INTO Downloaded (DownloadID, PageURL, FilePath, ThumbnailPath, Time, Size, Status, "
    "Resolution, AddDate, CovertedPath, WebIconPath, SubtitlePath, PlaylistTitle ,PlaylistUID,"
    "PlaylistIndex) VALUES(?,?,?,?, ?,?,?,?, ?,?,?,?,?,?,?)";
const char *const UpdateDownloaded =
    "UPDATE Downloaded SET FilePath = ?,ThumbnailPath = ?, Time = ?,Size = ?,Status = ?,Resolution "
    "= ?,CovertedPath = ? WHERE DownloadID = ?";
// Values are always bound, never pasted into the text.
const char *const DeleteDownloaded = "DELETE FROM Downloaded WHERE DownloadID = ?";
const char *const FindFilePath = "SELECT 1 FROM Downloaded WHERE FilePath = ? LIMIT 1";
// The queue's finished row of a file the library now holds (LibrarySchema::FinishedQueueStatus).
const char *const DeleteFinishedQueueRow = "DELETE FROM Downloading WHERE Status = 9 AND FilePath = ?";
// Columns by name, so a table whose columns were added in another order still reads right.
const char *const SelectDownloaded =
    "SELECT DownloadID, PageURL, FilePath, ThumbnailPath, Time, Size, Status, Resolution, AddDate, "
    "CovertedPath, WebIconPath, SubtitlePath, PlaylistTitle, PlaylistUID, PlaylistIndex FROM "
    "Downloaded";

// A prepared statement finalized on every path out.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, &m_tail);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_rc == SQLITE_OK && m_stmt; }
    int rc() const { return m_rc; }
    const char *tail() const { return m_tail ? m_tail : ""; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bindText(int index, const QString &text)
    {
        // A null string is stored as the empty text, never as NULL.
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindInt(int index, qint32 value) { sqlite3_bind_int(m_stmt, index, value); }
    void bindInt64(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    int step() { return sqlite3_step(m_stmt); }

    QByteArrayView bytes(int column) const
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return data ? QByteArrayView(data, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
    }

private:
    sqlite3_stmt *m_stmt = nullptr;
    const char *m_tail = nullptr;
    int m_rc = SQLITE_ERROR;
};

// BEGIN IMMEDIATE takes the write lock at once, so the busy time-out covers the whole write.
class Transaction
{
public:
    explicit Transaction(sqlite3 *db)
        : m_db(db)
    {
        m_begun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!m_begun)
            ScribletLogError(QStringLiteral("==>>SQLite begin failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
    ~Transaction()
    {
        if (m_begun && !m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool begun() const { return m_begun; }
    bool commit()
    {
        m_done = true;
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        ScribletLogError(QStringLiteral("==>>SQLite commit failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }

private:
    sqlite3 *m_db;
    bool m_begun = false;
    bool m_done = false;
};

// The library stores only "converted" (5) or plain (0); 6 is an older spelling of 5.
qint32 storedStatus(qint32 status)
{
    return (status == 5 || status == 6) ? 5 : 0;
}

bool isDamage(int rc)
{
    rc &= 0xff;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

QString errorText(sqlite3 *db)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
}

} // namespace

DataBaseManager &DataBaseManager::defaultManager()
{
    static DataBaseManager manager(AppPaths::productSupport());
    return manager;
}

DataBaseManager::DataBaseManager(const QString &workSpaceDir)
    : m_strWorkSpaceDir(workSpaceDir)
    , m_strThumbnailDir(workSpaceDir + QStringLiteral("/Thumbnail"))
    , m_strWebIconDir(workSpaceDir + QStringLiteral("/Favicon"))
{
}

DataBaseManager::~DataBaseManager()
{
    closeDataBase();
}

QString DataBaseManager::databasePath() const
{
    return m_strWorkSpaceDir + QStringLiteral("/Library.db");
}

QString DataBaseManager::movedAsidePath() const
{
    QMutexLocker lock(&m_lock);
    return m_movedAsidePath;
}

bool DataBaseManager::ensureOpen()
{
    return m_dataBase || loadDataBase();
}

bool DataBaseManager::exec(const char *sql)
{
    return sqlite3_exec(m_dataBase, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool DataBaseManager::loadDataBase()
{
    QMutexLocker lock(&m_lock);
    if (m_dataBase)
        closeDataBase();
    // Folders get the user's umask (never a world-writable 0777).
    AppPaths::ensureFolder(m_strThumbnailDir);
    AppPaths::ensureFolder(m_strWebIconDir);

    const QString path = databasePath();
    if (!QFileInfo::exists(path)) {
        m_maxDownloadID = 0;
        return createDataBase(path);
    }
    if (!openConnection(path, false))
        return false;
    const QString damage = prepareFile();
    if (!damage.isEmpty())
        return recoverDamagedFile(damage);
    moveFinishedQueueRows();
    getMaxDownloadID();
    return true;
}

void DataBaseManager::moveFinishedQueueRows()
{
    // Before the library is read: a download that finished while its record could not be
    // written is still named by the queue and enters the library now.
    QString error;
    const int moved = LibrarySchema::moveFinishedQueueRows(m_dataBase, &error);
    if (moved < 0)
        ScribletLogError(QStringLiteral("==>>finished downloads of the queue not moved to the library: %1").arg(error));
    else if (moved > 0)
        ScribletLogInfo(QStringLiteral("%1 finished downloads of the queue moved to the library").arg(moved));
}

bool DataBaseManager::openConnection(const QString &path, bool create)
{
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    // SQLite would block for good reading a FIFO planted under the name.
    if (QString refused; !SafeFileReader::isRegularOrMissing(path, &refused)) {
        ScribletLogError(QStringLiteral("==>>SQLite open refused: %1").arg(refused));
        return false;
    }
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_dataBase, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (create)
            ScribletLogError(QStringLiteral("==>>Create DB failed!"));
        else
            ScribletLogError(QStringLiteral("==>>SQLite open failed %1 : %2").arg(rc).arg(errorText(m_dataBase)));
        sqlite3_close(m_dataBase);
        m_dataBase = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_dataBase, BusyTimeoutMs);
    sqlite3_extended_result_codes(m_dataBase, 1);
    return true;
}

// Sets up an existing file; the reason when it is not a readable database, else empty.
QString DataBaseManager::prepareFile()
{
    if (sqlite3_exec(m_dataBase, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK
        && isDamage(sqlite3_errcode(m_dataBase)))
        return errorText(m_dataBase);
    exec("PRAGMA synchronous=NORMAL");
    if (!isHealthy())
        return QStringLiteral("integrity check failed");
    createTables();
    return QString();
}

bool DataBaseManager::isHealthy()
{
    Statement check(m_dataBase, "PRAGMA quick_check");
    if (!check.ok())
        return !isDamage(check.rc());
    const int rc = check.step();
    if (rc == SQLITE_ROW)
        return check.bytes(0) == QByteArrayView("ok");
    return !isDamage(rc);
}

bool DataBaseManager::recoverDamagedFile(const QString &why)
{
    sqlite3_close(m_dataBase);
    m_dataBase = nullptr;
    const QString path = databasePath();
    QString error;
    const auto salvage = LibrarySchema::salvage(path, why, &error);
    if (!salvage) {
        ScribletLogError(QStringLiteral("==>>Library.db is damaged (%1) and cannot be salvaged: %2").arg(why, error));
        return false;
    }
    ScribletLogError(QStringLiteral("==>>Library.db is damaged (%1); kept aside as %2, %3 queued and %4 finished rows saved")
                         .arg(why, salvage->asidePath)
                         .arg(salvage->queueRows)
                         .arg(salvage->libraryRows));
    m_movedAsidePath = salvage->asidePath;
    if (!openConnection(path, false))
        return false;
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    const bool ok = createTables();
    if (ok)
        moveFinishedQueueRows();
    getMaxDownloadID();
    return ok;
}

bool DataBaseManager::createDataBase(const QString &path)
{
    QMutexLocker lock(&m_lock);
    if (m_dataBase)
        closeDataBase();
    if (!openConnection(path, true))
        return false;
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    return createTables();
}

bool DataBaseManager::createTables()
{
    QString error;
    if (!LibrarySchema::migrate(m_dataBase, &error)) {
        ScribletLogError(QStringLiteral("==>>Library.db layout not brought up to date: %1").arg(error));
        return false;
    }
    return true;
}

qint32 DataBaseManager::maxID(const char *sql)
{
    if (!ensureOpen())
        return 0;
    Statement max(m_dataBase, sql);
    if (!max.ok() || max.step() != SQLITE_ROW)
        return 0;
    return sqlite3_column_int(max.get(), 0);
}

qint32 DataBaseManager::maxDownloadedID()
{
    QMutexLocker lock(&m_lock);
    return maxID("SELECT MAX(DownloadID) FROM Downloaded");
}

qint32 DataBaseManager::maxDownloadingID()
{
    QMutexLocker lock(&m_lock);
    return maxID("SELECT MAX(DownloadID) FROM Downloading");
}

qint32 DataBaseManager::getMaxDownloadID()
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return m_maxDownloadID;
    m_maxDownloadID = std::max(maxDownloadingID(), maxDownloadedID());
    return m_maxDownloadID;
}

qint32 DataBaseManager::insertDownloadedItem(DownloadedItem &item)
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return -1;
    Transaction transaction(m_dataBase);
    if (!transaction.begun())
        return -1;
    // The queue's connection hands out identifiers too; both take them from the file.
    QString error;
    const qint32 id = qint32(LibrarySchema::takeDownloadId(m_dataBase, &error));
    if (id <= 0) {
        ScribletLogError(QStringLiteral("==>>insertDownloadedItem: no identifier: %1").arg(error));
        return -1;
    }

    Statement insert(m_dataBase, InsertDownloaded);
    if (!insert.ok()) {
        ScribletLogError(QStringLiteral("==>>insertDownloadedItem: sqlite3_prepare failed,%1")
                             .arg(QString::fromUtf8(insert.tail())));
        return -1;
    }
    if (!item.addDate().isValid())
        item.setAddDate(QDateTime::currentDateTimeUtc());
    insert.bindInt(1, id);
    insert.bindText(2, item.pageURL());
    insert.bindText(3, item.filePath());
    insert.bindText(4, item.thumbnailPath());
    insert.bindInt64(5, item.time());
    insert.bindInt64(6, item.videoSize());
    insert.bindInt(7, storedStatus(item.status()));
    insert.bindInt(8, item.resolution());
    insert.bindText(9, LibraryDateText::format(item.addDate()));
    insert.bindText(10, item.covertedFilePath());
    insert.bindText(11, item.webIconPath());
    insert.bindText(12, item.storedSubtitlePath());
    insert.bindText(13, item.playlistName());
    insert.bindText(14, item.playlistUId());
    insert.bindInt(15, item.playlistIndex());
    const int rc = insert.step();
    if (rc != SQLITE_DONE) {
        ScribletLogError(QStringLiteral("==>>insertDownloadedItem: sqlite3_step failed: %1").arg(rc));
        return -1;
    }
    // Recorded now: the queue no longer keeps the download as finished, so removing it from the
    // library later does not bring it back at the next start.
    Statement taken(m_dataBase, DeleteFinishedQueueRow);
    if (taken.ok()) {
        taken.bindText(1, item.filePath());
        taken.step();
    }
    if (!transaction.commit())
        return -1;
    m_maxDownloadID = id;
    item.setDownloadID(id);
    return id;
}

qint32 DataBaseManager::recordFinishedItem(const std::shared_ptr<DownloadedItem> &item)
{
    QMutexLocker lock(&m_lock);
    if (!item)
        return -1;
    // Older records first, so the library keeps the order the downloads finished in.
    if (!m_pendingRecords.contains(item))
        m_pendingRecords.append(item);
    writePendingRecords();
    return m_pendingRecords.contains(item) ? -1 : item->downloadID();
}

int DataBaseManager::retryPendingRecords()
{
    QMutexLocker lock(&m_lock);
    const qsizetype before = m_pendingRecords.size();
    writePendingRecords();
    return int(before - m_pendingRecords.size());
}

int DataBaseManager::pendingRecordCount() const
{
    QMutexLocker lock(&m_lock);
    return int(m_pendingRecords.size());
}

void DataBaseManager::setRetryIntervalForTesting(int ms)
{
    QMutexLocker lock(&m_lock);
    m_retryIntervalMs = ms > 0 ? ms : RetryIntervalMs;
    if (m_retryTimer)
        m_retryTimer->setInterval(m_retryIntervalMs);
}

void DataBaseManager::setFullForTesting(bool full)
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return;
    // A cap below the size leaves the size as the cap; SQLite's own largest count lifts it.
    const QByteArray sql = "PRAGMA max_page_count = " + QByteArray(full ? "1" : "4294967294");
    exec(sql.constData());
}

bool DataBaseManager::writePendingRecords()
{
    while (!m_pendingRecords.isEmpty()) {
        const std::shared_ptr<DownloadedItem> item = m_pendingRecords.first();
        if (insertDownloadedItem(*item) < 0)
            break;
        m_pendingRecords.removeFirst();
        if (m_toldPending)
            ScribletLogInfo(QStringLiteral("finished download stored after all: %1").arg(item->filePath()));
    }
    if (m_pendingRecords.isEmpty()) {
        if (m_retryTimer)
            m_retryTimer->stop();
        m_toldPending = false;
        return true;
    }
    // Tried again now and then until there is room; a retry is one small write.
    if (!m_retryTimer) {
        m_retryTimer = std::make_unique<QTimer>();
        m_retryTimer->setInterval(m_retryIntervalMs);
        QObject::connect(m_retryTimer.get(), &QTimer::timeout, [this] { retryPendingRecords(); });
    }
    if (!m_retryTimer->isActive())
        m_retryTimer->start();
    if (!m_toldPending) {
        m_toldPending = true;
        const QString path = m_pendingRecords.first()->filePath();
        ScribletLogError(QStringLiteral("==>>finished download not stored yet, kept to be stored later: %1").arg(path));
        NotificationCenter::defaultCenter().post(NotificationNames::LibraryRecordPending, path);
    }
    return false;
}

bool DataBaseManager::updateDownloadedItem(const DownloadedItem &item)
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return false;
    if (item.downloadID() < 0) {
        ScribletLogError(QStringLiteral("downloadedItem downloadID is invalid: %1 == NULL").arg(item.downloadID()));
        return false;
    }
    Transaction transaction(m_dataBase);
    if (!transaction.begun())
        return false;
    Statement update(m_dataBase, UpdateDownloaded);
    if (!update.ok()) {
        ScribletLogError(QStringLiteral("updateDownloadedItem: sqlite3_prepare failed"));
        return false;
    }
    update.bindText(1, item.filePath());
    update.bindText(2, item.thumbnailPath());
    update.bindInt64(3, item.time());
    update.bindInt64(4, item.videoSize());
    update.bindInt(5, storedStatus(item.status()));
    update.bindInt(6, item.resolution());
    update.bindText(7, item.covertedFilePath());
    update.bindInt(8, item.downloadID());
    const int rc = update.step();
    if (rc != SQLITE_DONE) {
        ScribletLogError(QStringLiteral("updateDownloadedItem: sqlite3_step failed: %1").arg(rc));
        return false;
    }
    return transaction.commit();
}

bool DataBaseManager::deleteDownloadedItem(const DownloadedItem &item)
{
    QMutexLocker lock(&m_lock);
    // A record never written has no row to delete.
    if (m_pendingRecords.removeIf([&item](const auto &kept) { return kept.get() == &item; }) > 0)
        return true;
    if (item.downloadID() < 0) {
        ScribletLogError(QStringLiteral("deleteDownloadedItem downloadID is invalid: %1 == NULL").arg(item.downloadID()));
        return false;
    }
    if (!ensureOpen())
        return false;
    Transaction transaction(m_dataBase);
    if (!transaction.begun())
        return false;
    Statement remove(m_dataBase, DeleteDownloaded);
    if (!remove.ok()) {
        ScribletLogError(QStringLiteral("deleteDownloadedItem: sqlite3_prepare failed"));
        return false;
    }
    remove.bindInt(1, item.downloadID());
    const int rc = remove.step();
    if (rc != SQLITE_DONE) {
        ScribletLogError(QStringLiteral("deleteDownloadedItem: sqlite3_step failed: %1").arg(rc));
        return false;
    }
    return transaction.commit();
}

std::optional<QList<std::shared_ptr<DownloadedItem>>> DataBaseManager::getAllDownloadedItems()
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return std::nullopt;
    Statement select(m_dataBase, SelectDownloaded);
    if (!select.ok()) {
        ScribletLogError(QStringLiteral("==>>getAllDownloadedItems: sqlite3_prepare failed."));
        return std::nullopt;
    }
    QList<std::shared_ptr<DownloadedItem>> items;
    {
        Statement count(m_dataBase, "SELECT COUNT(*) FROM Downloaded");
        if (count.ok() && count.step() == SQLITE_ROW)
            items.reserve(qsizetype(std::clamp<sqlite3_int64>(sqlite3_column_int64(count.get(), 0), 0, 1 << 24)));
    }
    const auto text = [&](int column) {
        const QByteArrayView bytes = select.bytes(column);
        return bytes.isEmpty() ? QString(QLatin1String("")) : QString::fromUtf8(bytes);
    };
    // Neighbouring rows often repeat these texts (converted path, site icon, subtitle, play
    // list): a repeated value is shared with the row before instead of being decoded again.
    QByteArray lastBytes[15];
    QString lastText[15];
    const auto repeated = [&](int column) {
        const QByteArrayView bytes = select.bytes(column);
        if (lastText[column].isNull() || QByteArrayView(lastBytes[column]) != bytes) {
            lastBytes[column] = bytes.toByteArray();
            lastText[column] = text(column);
        }
        return lastText[column];
    };
    int undated = 0;
    int rc;
    while ((rc = select.step()) == SQLITE_ROW) {
        auto item = std::make_shared<DownloadedItem>();
        sqlite3_stmt *row = select.get();
        item->setDownloadID(sqlite3_column_int(row, 0));
        item->setPageURL(text(1));
        item->setFilePath(text(2));
        item->setThumbnailPath(text(3));
        item->setTime(sqlite3_column_int64(row, 4));
        item->setVideoSize(sqlite3_column_int64(row, 5));
        item->setStatus(storedStatus(sqlite3_column_int(row, 6)));
        item->setResolution(sqlite3_column_int(row, 7));
        // A date that does not read leaves the date empty; the row keeps everything else.
        const QDateTime added = LibraryDateText::parse(select.bytes(8));
        if (!added.isValid())
            ++undated;
        item->setAddDate(added);
        item->setCovertedFilePath(repeated(9));
        item->setWebIconPath(repeated(10));
        item->setSubtitlePath(repeated(11));
        item->setPlaylistName(repeated(12));
        item->setPlaylistUId(repeated(13));
        item->setPlaylistIndex(sqlite3_column_int(row, 14));
        items.append(std::move(item));
    }
    if (rc != SQLITE_DONE) {
        ScribletLogError(QStringLiteral("==>>getAllDownloadedItems: sqlite3_step failed: %1").arg(rc));
        return std::nullopt;
    }
    if (undated)
        ScribletLogInfo(QStringLiteral("==>>getAllDownloadedItems: %1 rows without a readable AddDate").arg(undated));
    return items;
}

bool DataBaseManager::isTheFileInDataBase(const QString &path)
{
    QMutexLocker lock(&m_lock);
    if (path.isEmpty() || !ensureOpen())
        return false;
    Statement find(m_dataBase, FindFilePath);
    if (!find.ok())
        return false;
    find.bindText(1, path);
    return find.step() == SQLITE_ROW;
}

bool DataBaseManager::saveDataByorder(const QList<std::shared_ptr<DownloadedItem>> &,
                                      const QList<std::shared_ptr<DownloadedItem>> &downloaded)
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return false;
    QList<qint64> order;
    order.reserve(downloaded.size());
    for (const auto &item : downloaded)
        if (item && item->downloadID() >= 0)
            order.append(item->downloadID());
    QString error;
    if (!LibrarySchema::saveDownloadedInOrder(m_dataBase, order, &error)) {
        ScribletLogError(QStringLiteral("-->>database saving order error!!! %1").arg(error));
        return false;
    }
    return true;
}

bool DataBaseManager::checkDB()
{
    QMutexLocker lock(&m_lock);
    if (!ensureOpen())
        return false;
    const struct
    {
        const char *sql;
        const char *damage;
    } tables[] = {{"SELECT * FROM Downloaded", "==>>Table Downloaded Damage."},
                  {"SELECT * FROM Downloading", "==>>Table Downloading Damage."}};
    for (const auto &table : tables) {
        Statement select(m_dataBase, table.sql);
        int rc = select.ok() ? SQLITE_ROW : select.rc();
        while (rc == SQLITE_ROW)
            rc = select.step();
        if (rc != SQLITE_DONE || errorText(m_dataBase).contains(QLatin1String("no such column: "))) {
            ScribletLogError(QString::fromLatin1(table.damage));
            return false;
        }
    }
    return true;
}

bool DataBaseManager::closeDataBase()
{
    QMutexLocker lock(&m_lock);
    if (!m_dataBase)
        return true;
    const int rc = sqlite3_close(m_dataBase);
    if (rc != SQLITE_OK) {
        ScribletLogError(QStringLiteral("==>>SQLite close failed: %1.").arg(rc));
        return false;
    }
    m_dataBase = nullptr;
    return true;
}
