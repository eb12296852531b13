#pragma once

#include <QList>
#include <QObject>
#include <QVariantList>

#include <memory>
#include <optional>

class TBMultiMediaItem;
class TBVideoConvertTask;

// The owner of a conversion queue. Every operation is optional: the defaults mean "does not
// answer".
class TBVideoConverterDelegate
{
public:
    virtual ~TBVideoConverterDelegate() = default;
    // The job to run next; nullopt: the queue picks (first waiting job). A value, null
    // included, replaces the queue's pick.
    virtual std::optional<std::shared_ptr<TBVideoConvertTask>> nextConvertTask() { return std::nullopt; }
};

// A queue of conversion jobs that runs one at a time. Jobs stay in the queue after they end;
// only cancelCurrentTasks forgets them. Main thread only.
class TBConverterTaskManager : public QObject
{
    Q_OBJECT
public:
    TBConverterTaskManager();
    ~TBConverterTaskManager() override;

    std::shared_ptr<TBVideoConvertTask> addConvertTaskWithFile(const QString &sourcePath,
                                                               std::shared_ptr<TBMultiMediaItem> target);
    unsigned convertingTaskCount() const;
    unsigned maxParallelTaskCount() const { return 1; }
    std::shared_ptr<TBVideoConvertTask> nextConvertTask() const;
    std::shared_ptr<TBVideoConvertTask> taskWithID(quint32 taskID) const;
    const QList<std::shared_ptr<TBVideoConvertTask>> &tasks() const { return m_tasks; }
    quint32 maxTaskID() const { return m_maxTaskID; }

    void runNextTask();
    bool startConvertTaskWith(quint32 taskID);
    bool pauseConvertTaskWith(quint32 taskID);
    void pauseConvertTaskWithArray(const QVariantList &taskIDs);
    bool resumeConvertTaskWith(quint32 taskID);
    void resumeConvertTaskWithArray(const QVariantList &taskIDs);
    bool stopConvertTaskWith(quint32 taskID);
    void cancelCurrentTasks();
    void closeConverteringTask();

    TBVideoConverterDelegate *delegate() const { return m_delegate; }
    void setDelegate(TBVideoConverterDelegate *delegate) { m_delegate = delegate; }

    // The process-wide base of the next queue's numbers (tests of numbering reset it).
    static void resetNextManagerIndexForTesting(quint32 value = 0);

private:
    void installCompletion(const std::shared_ptr<TBVideoConvertTask> &task);
    void pauseOne(const std::shared_ptr<TBVideoConvertTask> &task);

    quint32 m_maxTaskID = 0;
    QList<std::shared_ptr<TBVideoConvertTask>> m_tasks;
    TBVideoConverterDelegate *m_delegate = nullptr;
};
