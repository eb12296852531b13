#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"

#include "downloads/store/LibrarySchema.h"
#include "platform/AppPaths.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"
#include "platform/UserDefaults.h"
#include "reelgrab/Func.h"
#include "reelgrab/QVReelgrabSpareHelper.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

#include <sqlite3.h>

namespace {

// One connection per use, closed at once: the library page owns its own connection to the file.
class Database
{
public:
    explicit Database(const QString &path)
    {
        if (!SafeFileReader::isRegularOrMissing(path))
            return;
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            Func(FuncLogError, QStringLiteral("==>> open %1 failed: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(m_db))));
            sqlite3_close(m_db);
            m_db = nullptr;
            return;
        }
        sqlite3_busy_timeout(m_db, 5000);
        exec("PRAGMA journal_mode=WAL");
        QString error;
        if (!LibrarySchema::migrate(m_db, &error))
            Func(FuncLogError, QStringLiteral("==>> %1 not brought up to date: %2").arg(path, error));
    }
    ~Database() { sqlite3_close(m_db); }
    bool isOpen() const { return m_db; }
    bool exec(const char *sql)
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            Func(FuncLogError, QStringLiteral("==>> %1: %2").arg(QString::fromUtf8(sql).left(60), QString::fromUtf8(err ? err : "")));
            sqlite3_free(err);
            return false;
        }
        return true;
    }
    qint64 scalar(const char *sql)
    {
        sqlite3_stmt *st = nullptr;
        qint64 v = 0;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

void bindText(sqlite3_stmt *st, int i, const QString &s)
{
    const QByteArray u = s.toUtf8();
    sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

bool isYouTube(const QString &host)
{
    const QString h = host.toLower();
    return h == QLatin1String("youtube.com") || h.endsWith(QLatin1String(".youtube.com")) || h == QLatin1String("youtu.be");
}

// A spare helper: the first starts once the application has settled, a taken one is replaced
// after the taker's own start, and one that fails is tried again a few times, further apart.
constexpr int SpareStartDelayMs = 1000;
constexpr int SpareRefillDelayMs = 300;
constexpr int SpareRetryDelayMs = 5000;
constexpr int SpareRetries = 3;

} // namespace

QVReelgrabTaskDispatcher::QVReelgrabTaskDispatcher(const QVariantMap &preference, QObject *parent)
    : QObject(parent), m_preferences(preference)
{
    m_runTimer.setSingleShot(true);
    m_runTimer.setInterval(0);
    connect(&m_runTimer, &QTimer::timeout, this, &QVReelgrabTaskDispatcher::runWaitingTasks);
    m_storeTimer.setSingleShot(true);
    m_storeTimer.setInterval(500);
    connect(&m_storeTimer, &QTimer::timeout, this, &QVReelgrabTaskDispatcher::storeNow);
    m_storeRetryTimer.setSingleShot(true);
    m_storeRetryTimer.setInterval(StoreRetryMs);
    connect(&m_storeRetryTimer, &QTimer::timeout, this, &QVReelgrabTaskDispatcher::storeNow);
    m_spareTimer.setSingleShot(true);
    connect(&m_spareTimer, &QTimer::timeout, this, &QVReelgrabTaskDispatcher::startSpareHelper);
    writeClientPreferences();
    scheduleSpareHelper(SpareStartDelayMs);
}

QVReelgrabTaskDispatcher::~QVReelgrabTaskDispatcher()
{
    endSpareHelper();
    storeNow();
    for (QVReelgrabTask *t : std::as_const(m_tasks)) {
        t->setDispatcher(nullptr);
        t->terminateReelgrabTask();
    }
}

void QVReelgrabTaskDispatcher::setObjectForPreferenceKey(const QVariant &value, const QString &key)
{
    m_preferences.insert(key, value);
    writeClientPreferences();
    if (key == QLatin1String("download-max-tasks"))
        scheduleRun();
    if (key == QLatin1String("download-spare-helper")) {
        m_spareFailures = 0;
        if (keepsSpareHelper())
            scheduleSpareHelper(SpareStartDelayMs);
        else
            endSpareHelper();
    }
}

bool QVReelgrabTaskDispatcher::keepsSpareHelper() const
{
    return UserDefaults::toBool(m_preferences.value(QStringLiteral("download-spare-helper")));
}

void QVReelgrabTaskDispatcher::scheduleSpareHelper(int delayMs)
{
    if (keepsSpareHelper() && !m_spare && !m_spareTimer.isActive())
        m_spareTimer.start(delayMs);
}

void QVReelgrabTaskDispatcher::startSpareHelper()
{
    if (!keepsSpareHelper() || m_spare)
        return;
    const QString executable = QVReelgrabTask::helperExecutable();
    if (!QFileInfo(executable).isFile())
        return;
    auto *spare = new QVReelgrabSpareHelper(this);
    connect(spare, &QVReelgrabSpareHelper::becameReady, this, [this]() { m_spareFailures = 0; });
    connect(spare, &QVReelgrabSpareHelper::ended, this, [this, spare]() {
        if (m_spare != spare)
            return;
        m_spare = nullptr;
        spare->deleteLater();
        // One that keeps failing is not started over and over: a few tries, further apart.
        if (++m_spareFailures <= SpareRetries)
            scheduleSpareHelper(SpareRetryDelayMs * m_spareFailures);
    });
    m_spare = spare;
    if (!spare->start(executable, QVReelgrabTask::helperArguments(), QVReelgrabTask::launchTimeoutMs())) {
        m_spare = nullptr;
        delete spare;
    }
}

void QVReelgrabTaskDispatcher::endSpareHelper()
{
    m_spareTimer.stop();
    delete m_spare.data();
    m_spare = nullptr;
}

bool QVReelgrabTaskDispatcher::hasReadySpareHelper() const { return m_spare && m_spare->isReady(); }

qint64 QVReelgrabTaskDispatcher::spareHelperProcessId() const { return m_spare ? m_spare->processId() : 0; }

QVReelgrabSpareHelper *QVReelgrabTaskDispatcher::takeSpareHelper(const QString &executable, const QStringList &arguments)
{
    if (!m_spare)
        return nullptr;
    if (!m_spare->isReady())
        return nullptr;  // still starting: the task launches its own, this one waits for the next
    if (!m_spare->suits(executable, arguments)) {
        // Started for another program, engine library or connection road.
        endSpareHelper();
        scheduleSpareHelper(SpareStartDelayMs);
        return nullptr;
    }
    QVReelgrabSpareHelper *spare = m_spare;
    m_spare = nullptr;
    spare->disconnect(this);
    spare->setParent(nullptr);
    // The next one starts a little later, so it does not compete with this one's first moments.
    scheduleSpareHelper(SpareRefillDelayMs);
    return spare;
}

int QVReelgrabTaskDispatcher::maxRunningTasks() const
{
    const QVariant v = m_preferences.value(QStringLiteral("download-max-tasks"));
    const qint64 n = v.isValid() ? UserDefaults::toInteger(v) : 3;
    return int(qBound<qint64>(qint64(1), n, qint64(32)));
}

void QVReelgrabTaskDispatcher::writeClientPreferences() const
{
    const QString path = QVReelgrabTask::clientPreferencesPath();
    AppPaths::ensureFolder(QFileInfo(path).absolutePath());
    QVariantMap prefs;
    for (auto it = m_preferences.cbegin(); it != m_preferences.cend(); ++it)
        if (it.value().isValid())
            prefs.insert(it.key(), it.value());
    for (const char *key : {"download-speedup", "download-ffmpeg", "download-swiftcarry"})
        if (!prefs.contains(QLatin1String(key)))
            prefs.insert(QLatin1String(key), key == QLatin1String("download-speedup") ? QVariant(false) : QVariant(QString()));
    QString error;
    if (!PropertyList::writeFile(path, prefs, &error))
        Func(FuncLogError, error);
}

int QVReelgrabTaskDispatcher::userSelectedContentOfURL(const QString &url) const
{
    if (url.size() > MaxAddressLength)
        return ContentRefused;
    const QUrl u(url.trimmed(), QUrl::StrictMode);
    const QString scheme = u.scheme().toLower();
    if (!u.isValid() || u.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return ContentRefused;
    // A play list page of the big video site is queued at once; every other page asks.
    const QUrlQuery q(u);
    if (isYouTube(u.host()) && q.hasQueryItem(QStringLiteral("list")) && !q.hasQueryItem(QStringLiteral("v")))
        return ContentAddAtOnce;
    return ContentOrdinaryPage;
}

qint64 QVReelgrabTaskDispatcher::nextTaskId()
{
    // The file hands out identifiers to this queue and to the library page alike, so a task
    // not stored yet never shares its identifier with a finished download added meanwhile.
    if (!m_databasePath.isEmpty()) {
        Database db(m_databasePath);
        QString error;
        const qint64 id = db.isOpen() ? LibrarySchema::reserveDownloadId(db.handle(), &error) : 0;
        if (id > 0) {
            m_lastTaskId = qMax(m_lastTaskId, id);
            return id;
        }
        Func(FuncLogError, QStringLiteral("==>> no download identifier from %1: %2").arg(m_databasePath, error));
    }
    qint64 maxId = m_lastTaskId;
    for (QVReelgrabTask *t : std::as_const(m_tasks))
        maxId = qMax(maxId, t->taskId());
    m_lastTaskId = maxId + 1;
    return m_lastTaskId;
}

QVReelgrabTask *QVReelgrabTaskDispatcher::makeTask(const QString &url, const QVariantMap &params)
{
    auto *task = new QVReelgrabTask(this);
    task->setPageUrl(url.trimmed());
    const qint32 contents = params.contains(QStringLiteral("Contents"))
        ? qint32(UserDefaults::toInteger(params.value(QStringLiteral("Contents"))))
        : qint32(QVReelgrabContentVideo);
    task->setDownloadContent(contents);
    if (params.contains(QStringLiteral("Quality")))
        task->setExpectMediaQuality(qint32(UserDefaults::toInteger(params.value(QStringLiteral("Quality")))));
    else if (isYouTube(QUrl(url).host()) && m_preferences.contains(QStringLiteral("download-desire-resolution-4-Youtube"))) {
        const qint64 q = UserDefaults::toInteger(m_preferences.value(QStringLiteral("download-desire-resolution-4-Youtube")));
        if (q > 0)
            task->setExpectMediaQuality(qint32(q));
    }
    const QString subtitle = params.value(QStringLiteral("SubtitleCode")).toString();
    if (!subtitle.isEmpty())
        task->setSubtitleCode(subtitle);
    task->setMatchSubtitle(contents & QVReelgrabContentSubtitle);
    task->setBrowser(params.value(QStringLiteral("Browser")).toString());
    // Handed over with the page (extension or address): the helper keeps them for its host.
    task->setCookies(params.value(QStringLiteral("Cookies")).toString());
    const QVariant format = params.value(QStringLiteral("Format"));
    if (format.typeId() == QMetaType::QString)
        task->setMediaExtName(format.toString());
    QString folder = m_preferences.value(QStringLiteral("download-directory")).toString();
    if (folder.isEmpty())
        folder = AppPaths::defaultDownloadFolder();
    task->setTargetFilePath(folder);
    task->setTaskId(nextTaskId());
    return task;
}

void QVReelgrabTaskDispatcher::enqueue(QVReelgrabTask *task)
{
    task->setParent(this);
    task->setDispatcher(this);
    m_tasks.append(task);
}

bool QVReelgrabTaskDispatcher::addReelgrabTask(const QString &url, const QVariantMap &params)
{
    const int content = userSelectedContentOfURL(url);
    if (content != ContentOrdinaryPage && content != ContentAddAtOnce)
        return false;
    if (content == ContentAddAtOnce && m_delegate && !m_delegate->isPlaylistCouldAnalyst(url, params))
        return false;
    QVReelgrabTask *task = makeTask(url, params);
    if (m_delegate && !m_delegate->reelgrabTaskCouldAdd(task)) {
        delete task;
        return false;
    }
    enqueue(task);
    if (m_delegate)
        m_delegate->reelgrabTaskDidAdded(task);
    synchronize();
    scheduleRun();
    return true;
}

bool QVReelgrabTaskDispatcher::addReelgrabTasks(const QStringList &urls, const QString &from, const QVariantMap &params)
{
    QList<QVReelgrabTask *> made;
    for (const QString &url : urls)
        if (userSelectedContentOfURL(url) != ContentRefused)
            made.append(makeTask(url, params));
    if (made.isEmpty())
        return false;
    bool allowed = true;
    if (m_delegate) {
        const auto fromAnswer = m_delegate->reelgrabTasksCouldAddFrom(made, from);
        allowed = fromAnswer ? *fromAnswer : m_delegate->reelgrabTasksCouldAdd(made);
    }
    if (!allowed) {
        qDeleteAll(made);
        return false;
    }
    for (QVReelgrabTask *t : std::as_const(made))
        enqueue(t);
    if (m_delegate)
        m_delegate->reelgrabTasksDidAdd(made);
    synchronize();
    scheduleRun();
    return true;
}

void QVReelgrabTaskDispatcher::pauseTasks(const QList<QVReelgrabTask *> *tasks)
{
    const QList<QVReelgrabTask *> list = tasks ? *tasks : m_tasks;
    for (QVReelgrabTask *t : list) {
        if (!m_tasks.contains(t))
            continue;
        // A queued task that never ran is held back as well.
        if (t->downloadStatus() == QVReelgrabTaskStatusQueued)
            t->setDownloadStatus(QVReelgrabTaskStatusWaiting);
        m_resumed.remove(t);
        t->pause();
    }
    synchronize();
}

void QVReelgrabTaskDispatcher::restartTasks(const QList<QVReelgrabTask *> *tasks)
{
    const QList<QVReelgrabTask *> list = tasks ? *tasks : m_tasks;
    for (QVReelgrabTask *t : list) {
        if (!m_tasks.contains(t))
            continue;
        switch (t->downloadStatus()) {
        case QVReelgrabTaskStatusPaused:
            t->resume();
            break;
        case QVReelgrabTaskStatusFailed:
        case QVReelgrabTaskStatusSniffingFailed:
        case QVReelgrabTaskStatusCancelled:
            t->terminateReelgrabTask();
            t->retry();
            break;
        default:
            break;
        }
    }
    synchronize();
    scheduleRun();
}

void QVReelgrabTaskDispatcher::removeTasks(const QList<QVReelgrabTask *> *tasks)
{
    const QList<QVReelgrabTask *> list = tasks ? *tasks : m_tasks;
    for (QVReelgrabTask *t : list) {
        if (!m_tasks.contains(t))
            continue;
        if (m_delegate)
            m_delegate->reelgrabTaskWillbeRemoved(t);
        t->removeFromDispatcher();  // ends the helper and calls removeReelgrabTask
        if (m_tasks.contains(t))
            drop(t);
    }
    synchronize();
    scheduleRun();
}

void QVReelgrabTaskDispatcher::rearrange(const QList<QVReelgrabTask *> &order)
{
    QList<QVReelgrabTask *> arranged;
    for (QVReelgrabTask *t : order)
        if (m_tasks.contains(t) && !arranged.contains(t))
            arranged.append(t);
    for (QVReelgrabTask *t : std::as_const(m_tasks))
        if (!arranged.contains(t))
            arranged.append(t);
    m_tasks = arranged;
    synchronize();
    scheduleRun();
}

void QVReelgrabTaskDispatcher::cancelAllTasks()
{
    m_runTimer.stop();
    for (QVReelgrabTask *t : std::as_const(m_tasks)) {
        if (!isRunning(t) && !t->hasHelperProcess())
            continue;
        t->terminateReelgrabTask();
        // Stored as paused: the helper keeps its partial data and the next start resumes it.
        t->setDownloadStatus(QVReelgrabTaskStatusPaused);
    }
    m_resumed.clear();
    storeNow();
}

QList<QVReelgrabTask *> QVReelgrabTaskDispatcher::tasks() const { return m_tasks; }

bool QVReelgrabTaskDispatcher::isRunning(QVReelgrabTask *task) const
{
    switch (task->downloadStatus()) {
    case QVReelgrabTaskStatusSniffing:
    case QVReelgrabTaskStatusDownloading:
    case QVReelgrabTaskStatusCompleted:
        return true;
    case QVReelgrabTaskStatusQueued:
    case QVReelgrabTaskStatusWaiting:
        // Told to go on (resumed, or retried while its helper was still paused) and not yet
        // answered: its helper runs it, so it holds its slot.
        return m_resumed.contains(task) && task->hasServiceProxy();
    default:
        return false;
    }
}

int QVReelgrabTaskDispatcher::runningTaskCount() const
{
    int n = 0;
    for (QVReelgrabTask *t : m_tasks)
        n += isRunning(t) ? 1 : 0;
    return n;
}

void QVReelgrabTaskDispatcher::scheduleRun()
{
    if (!m_runTimer.isActive())
        m_runTimer.start();
}

void QVReelgrabTaskDispatcher::runWaitingTasks()
{
    // Tasks told to go on that have since moved on (the helper answered, or the user paused
    // them again) are not "resumed" any more.
    for (auto it = m_resumed.begin(); it != m_resumed.end();) {
        const qint32 s = m_tasks.contains(*it) ? (*it)->downloadStatus() : -1;
        if (s != QVReelgrabTaskStatusWaiting && s != QVReelgrabTaskStatusQueued)
            it = m_resumed.erase(it);
        else
            ++it;
    }
    int running = runningTaskCount();
    const int limit = maxRunningTasks();
    for (QVReelgrabTask *t : QList<QVReelgrabTask *>(m_tasks)) {
        if (running >= limit)
            break;
        const qint32 s = t->downloadStatus();
        if (s != QVReelgrabTaskStatusQueued && s != QVReelgrabTaskStatusWaiting)
            continue;
        if (isRunning(t))
            continue;
        const bool live = t->hasServiceProxy();
        if (!t->run()) {
            t->failToLaunch();
            continue;
        }
        if (live)
            m_resumed.insert(t);
        ++running;
    }
}

void QVReelgrabTaskDispatcher::attachNextTask() { scheduleRun(); }

void QVReelgrabTaskDispatcher::synchronize()
{
    if (!m_storeTimer.isActive())
        m_storeTimer.start();
}

void QVReelgrabTaskDispatcher::reelgrabTaskDidFinished(QVReelgrabTask *task)
{
    if (m_delegate)
        m_delegate->reelgrabTaskDidFinished(task);
    // Its row stays, as finished, until the library is seen to hold its file: a record the
    // library could not write (a full disk) is then still named at the next start.
    if (m_tasks.removeOne(task)) {
        m_resumed.remove(task);
        task->setDispatcher(nullptr);
        m_finished.append(task);
    }
    synchronize();
    scheduleRun();
}

void QVReelgrabTaskDispatcher::removeReelgrabTask(QVReelgrabTask *task) { drop(task); }

void QVReelgrabTaskDispatcher::drop(QVReelgrabTask *task)
{
    if (!m_tasks.removeOne(task))
        return;
    m_resumed.remove(task);
    task->setDispatcher(nullptr);
    // Still inside one of the task's own events: delete it afterwards.
    task->deleteLater();
}

bool QVReelgrabTaskDispatcher::loadReelgrabTasksCompatibleDatabase(const QString &path)
{
    m_databasePath = path;
    AppPaths::ensureFolder(QFileInfo(path).absolutePath());
    // The queue is read before anything else opens the file: a damaged file is salvaged first,
    // so its readable queue comes back instead of being overwritten by an empty one.
    QString salvageError;
    if (!SafeFileReader::isRegularOrMissing(path, &salvageError)) {
        Func(FuncLogError, QStringLiteral("==>> %1").arg(salvageError));
        return false;
    }
    if (const auto salvage = LibrarySchema::salvageIfDamaged(path, &salvageError))
        Func(FuncLogError, QStringLiteral("==>> %1 was damaged (%2); kept aside as %3, %4 queued rows saved")
                               .arg(path, salvage->reason, salvage->asidePath)
                               .arg(salvage->queueRows));
    else if (!salvageError.isEmpty())
        Func(FuncLogError, QStringLiteral("==>> %1 is damaged and was not salvaged: %2").arg(path, salvageError));
    Database db(path);
    if (!db.isOpen())
        return false;
    QString moveError;
    if (LibrarySchema::moveFinishedQueueRows(db.handle(), &moveError) < 0)
        Func(FuncLogError, QStringLiteral("==>> finished downloads not moved to the library: %1").arg(moveError));
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db.handle(), "SELECT DownloadID, ResumeData, Status, PageURL, OnlyAudio FROM Downloading ORDER BY DownloadID",
                           -1, &st, nullptr) != SQLITE_OK)
        return false;
    const bool autoResume = UserDefaults::toBool(m_preferences.value(QStringLiteral("download-auto-resume")));
    while (sqlite3_step(st) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(st, 0);
        const QByteArray archive(static_cast<const char *>(sqlite3_column_blob(st, 1)), sqlite3_column_bytes(st, 1));
        QString error;
        auto task = QVReelgrabTask::taskWithArchive(archive, &error);
        if (!task) {
            // The resume data is lost, not the download: the row's address starts it again from
            // the beginning.
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 3));
            const QString pageUrl = text ? QString::fromUtf8(text, sqlite3_column_bytes(st, 3)) : QString();
            Func(FuncLogError, QStringLiteral("==>> stored task %1 unreadable: %2").arg(id).arg(error));
            if (userSelectedContentOfURL(pageUrl) == ContentRefused)
                continue;
            QVariantMap params;
            if (sqlite3_column_int(st, 4) != 0)
                params.insert(QStringLiteral("Contents"), int(QVReelgrabContentAudio));
            task.reset(makeTask(pageUrl, params));
            task->setDownloadStatus(QVReelgrabTaskStatusQueued);
            Func(FuncLogInfo, QStringLiteral("==>> stored task %1 starts again from the beginning").arg(id));
        }
        task->setTaskId(id);
        m_lastTaskId = qMax(m_lastTaskId, id);
        if (sqlite3_column_int(st, 2) == LibrarySchema::FinishedQueueStatus) {
            // Could not be moved to the library now: kept as it is for a later write.
            task->setDownloadStatus(QVReelgrabTaskStatusFinished);
            task->setParent(this);
            m_finishedStored.insert(task.get());
            m_finished.append(task.release());
            continue;
        }
        switch (task->downloadStatus()) {
        case QVReelgrabTaskStatusSniffing:
        case QVReelgrabTaskStatusDownloading:
        case QVReelgrabTaskStatusCompleted:
        case QVReelgrabTaskStatusWaiting:
        case QVReelgrabTaskStatusPaused:
            // No helper survives a restart: a task that was under way goes back to waiting (it
            // resumes from its partial data) or stays paused.
            task->setDownloadStatus(autoResume ? QVReelgrabTaskStatusWaiting : QVReelgrabTaskStatusPaused);
            break;
        case QVReelgrabTaskStatusQueued:
            // Nothing starts by itself at launch unless the user asked for it.
            if (!autoResume)
                task->setDownloadStatus(QVReelgrabTaskStatusPaused);
            break;
        default:
            break;
        }
        QVReelgrabTask *t = task.release();
        if (m_delegate && !m_delegate->reelgrabTaskCouldLoad(t)) {
            delete t;
            continue;
        }
        enqueue(t);
        if (m_delegate)
            m_delegate->reelgrabTaskDidLoad(t);
    }
    sqlite3_finalize(st);
    scheduleRun();
    return true;
}

bool QVReelgrabTaskDispatcher::storeNow()
{
    m_storeTimer.stop();
    m_storeRetryTimer.stop();
    if (m_databasePath.isEmpty())
        return false;
    Database db(m_databasePath);
    if (!db.isOpen() || !db.exec("BEGIN IMMEDIATE")) {
        m_storeRetryTimer.start();
        return false;
    }
    // A finished task the library holds, or took the row of, needs its row no more.
    QList<QVReelgrabTask *> recorded;
    QSet<qint64> finishedRows;
    sqlite3_stmt *inLibrary = nullptr;
    bool ok = sqlite3_prepare_v2(db.handle(), "SELECT DownloadID FROM Downloading WHERE Status = 9", -1, &inLibrary, nullptr) == SQLITE_OK;
    while (ok && sqlite3_step(inLibrary) == SQLITE_ROW)
        finishedRows.insert(sqlite3_column_int64(inLibrary, 0));
    sqlite3_finalize(inLibrary);
    inLibrary = nullptr;
    ok = ok && sqlite3_prepare_v2(db.handle(), "SELECT 1 FROM Downloaded WHERE FilePath = ? LIMIT 1", -1, &inLibrary, nullptr) == SQLITE_OK;
    for (QVReelgrabTask *t : std::as_const(m_finished)) {
        if (!ok)
            break;
        bindText(inLibrary, 1, t->storedTargetFileName());
        if (sqlite3_step(inLibrary) == SQLITE_ROW || (m_finishedStored.contains(t) && !finishedRows.contains(t->taskId())))
            recorded.append(t);
        sqlite3_reset(inLibrary);
    }
    sqlite3_finalize(inLibrary);
    ok = ok && db.exec("DELETE FROM Downloading");
    sqlite3_stmt *st = nullptr;
    ok = ok && sqlite3_prepare_v2(db.handle(),
                                  "INSERT INTO Downloading(DownloadID,PageURL,Title,FilePath,ResumeData,Status,Size,"
                                  "DownloadSize,AddDate,Cookie,OnlyAudio,GUID) VALUES(?,?,?,?,?,?,?,?,?,?,?,?)",
                                  -1, &st, nullptr) == SQLITE_OK;
    QList<QVReelgrabTask *> rows = m_tasks;
    for (QVReelgrabTask *t : std::as_const(m_finished))
        if (!recorded.contains(t))
            rows.append(t);
    for (QVReelgrabTask *t : std::as_const(rows)) {
        if (!ok)
            break;
        const qint32 s = t->downloadStatus();
        if ((s == QVReelgrabTaskStatusFinished && !m_finished.contains(t)) || s == QVReelgrabTaskStatusCancelled)
            continue;
        const QByteArray archive = t->archivedData();
        sqlite3_bind_int64(st, 1, t->taskId());
        bindText(st, 2, t->storedPageUrl());
        bindText(st, 3, t->storedMediaTitle());
        bindText(st, 4, t->storedTargetFileName());
        sqlite3_bind_blob(st, 5, archive.constData(), int(archive.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 6, s);
        sqlite3_bind_int64(st, 7, t->mediaSize());
        sqlite3_bind_int64(st, 8, t->downloadedSize());
        bindText(st, 9, t->generateDateTime().toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000")));
        bindText(st, 10, t->cookies());
        sqlite3_bind_int(st, 11, (t->downloadContent() & QVReelgrabContentAudio) ? 1 : 0);
        bindText(st, 12, t->guid());
        ok = sqlite3_step(st) == SQLITE_DONE;
        if (!ok)
            Func(FuncLogError, QStringLiteral("==>> store task failed: %1").arg(QString::fromUtf8(sqlite3_errmsg(db.handle()))));
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
    sqlite3_finalize(st);
    if (!ok || !db.exec("COMMIT")) {
        db.exec("ROLLBACK");
        // A full disk: tried again later, so finished rows and fresh progress are not lost.
        m_storeRetryTimer.start();
        return false;
    }
    for (QVReelgrabTask *t : std::as_const(recorded)) {
        m_finished.removeOne(t);
        m_finishedStored.remove(t);
        t->deleteLater();
    }
    for (QVReelgrabTask *t : std::as_const(m_finished))
        m_finishedStored.insert(t);
    return true;
}
