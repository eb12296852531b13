#pragma once

#include "reelgrab/QVReelgrabTask.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVariantMap>

#include <optional>

// Told of the queue's life, always on the main thread. Answers default to yes.
class QVReelgrabTaskDispatcherDelegate
{
public:
    virtual ~QVReelgrabTaskDispatcherDelegate() = default;
    virtual bool isPlaylistCouldAnalyst(const QString &url, const QVariantMap &params) { return true; }
    virtual bool reelgrabTaskCouldAdd(QVReelgrabTask *task) { return true; }
    virtual void reelgrabTaskDidAdded(QVReelgrabTask *task) {}
    virtual bool reelgrabTasksCouldAdd(const QList<QVReelgrabTask *> &tasks) { return true; }
    // Optional: nothing means "not implemented", and reelgrabTasksCouldAdd answers instead.
    virtual std::optional<bool> reelgrabTasksCouldAddFrom(const QList<QVReelgrabTask *> &tasks, const QString &from)
    {
        return std::nullopt;
    }
    virtual void reelgrabTasksDidAdd(const QList<QVReelgrabTask *> &tasks) {}
    virtual bool reelgrabTaskCouldLoad(QVReelgrabTask *task) { return true; }
    virtual void reelgrabTaskDidLoad(QVReelgrabTask *task) {}
    virtual void reelgrabTaskWillbeRemoved(QVReelgrabTask *task) {}
    virtual void reelgrabTaskDidFinished(QVReelgrabTask *task) {}
    virtual void reelgrabKitUpdateDidComplete2(const QString &info) {}
};

// The queue of download tasks: runs at most "download-max-tasks" helpers at once, starts the next
// waiting task whenever one leaves the running set, stores unfinished tasks in the "Downloading"
// table of the library database and brings them back at the next start.
class QVReelgrabTaskDispatcher : public QObject, public QVReelgrabTaskDispatchProtocol
{
    Q_OBJECT
public:
    // Content classes of an address.
    enum : int { ContentRefused = 0, ContentOrdinaryPage = 2, ContentAddAtOnce = 16 };
    // Longer addresses are refused whatever road brought them (the URL-event decoder's bound):
    // one would be stored in Library.db and reshaped on every row update.
    static constexpr int MaxAddressLength = 8192;

    explicit QVReelgrabTaskDispatcher(const QVariantMap &preference, QObject *parent = nullptr);
    ~QVReelgrabTaskDispatcher() override;

    void setDelegate(QVReelgrabTaskDispatcherDelegate *delegate) { m_delegate = delegate; }
    void setObjectForPreferenceKey(const QVariant &value, const QString &key);
    QVariant preference(const QString &key) const { return m_preferences.value(key); }
    int maxRunningTasks() const;

    bool loadReelgrabTasksCompatibleDatabase(const QString &path);
    int userSelectedContentOfURL(const QString &url) const;
    bool addReelgrabTask(const QString &url, const QVariantMap &params);
    bool addReelgrabTasks(const QStringList &urls, const QString &from, const QVariantMap &params);
    // nullptr: every task.
    void pauseTasks(const QList<QVReelgrabTask *> *tasks);
    void restartTasks(const QList<QVReelgrabTask *> *tasks);
    void removeTasks(const QList<QVReelgrabTask *> *tasks);
    void rearrange(const QList<QVReelgrabTask *> &order);
    void cancelAllTasks();

    QList<QVReelgrabTask *> tasks() const;
    int runningTaskCount() const;
    // Writes the queue now (synchronize() coalesces writes that come in a burst). A write that
    // fails (a full disk) is tried again after StoreRetryMs.
    bool storeNow();
    static constexpr int StoreRetryMs = 30000;
    // Finished tasks whose file the library table does not hold yet (its record could not be
    // written): each stays in the queue table as a finished row, which the next start moves
    // across (LibrarySchema::moveFinishedQueueRows), until a write of the queue finds the file
    // in the library, or finds its row taken away (the library takes it when it records the
    // file).
    int unrecordedFinishedCount() const { return int(m_finished.size()); }

    // QVReelgrabTaskDispatchProtocol
    void attachNextTask() override;
    void synchronize() override;
    void reelgrabTaskDidFinished(QVReelgrabTask *task) override;
    void removeReelgrabTask(QVReelgrabTask *task) override;
    QVReelgrabSpareHelper *takeSpareHelper(const QString &executable, const QStringList &arguments) override;

    // With "download-spare-helper" on, one helper is kept started, connected and waiting, and
    // the next task to run takes it (then another is started).
    bool hasReadySpareHelper() const;
    qint64 spareHelperProcessId() const;

private:
    void scheduleSpareHelper(int delayMs);
    void startSpareHelper();
    void endSpareHelper();
    bool keepsSpareHelper() const;
    QVReelgrabTask *makeTask(const QString &url, const QVariantMap &params);
    void enqueue(QVReelgrabTask *task);
    void drop(QVReelgrabTask *task);
    void scheduleRun();
    void runWaitingTasks();
    bool isRunning(QVReelgrabTask *task) const;
    void writeClientPreferences() const;
    qint64 nextTaskId();

    QVReelgrabTaskDispatcherDelegate *m_delegate = nullptr;
    QVariantMap m_preferences;
    QList<QVReelgrabTask *> m_tasks;  // queue order; owned (children)
    QSet<QVReelgrabTask *> m_resumed; // waiting or queued tasks whose live helper was told to go on
    QList<QVReelgrabTask *> m_finished;      // finished, not seen in the library yet; owned (children)
    QSet<QVReelgrabTask *> m_finishedStored; // those whose finished row was written
    QString m_databasePath;
    QTimer m_runTimer;
    QTimer m_storeTimer;
    QTimer m_storeRetryTimer;
    qint64 m_lastTaskId = 0;
    QPointer<QVReelgrabSpareHelper> m_spare;
    QTimer m_spareTimer;
    int m_spareFailures = 0;
};
