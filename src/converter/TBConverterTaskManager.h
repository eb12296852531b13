#pragma once

#include <QList>
#include <QObject>
#include <QVariantList>

#include <memory>
#include <optional>

class ConvertJob;
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
    // Job news, forwarded by a queue that is its jobs' delegate (TBVideoConverter).
    virtual void convertTaskDidStarted(ConvertJob &job) {}
    virtual void convertTaskDidChangeProgress(ConvertJob &job, qint32 percent) {}
    virtual void convertTaskDidFinished(ConvertJob &job) {}
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

protected:
    // A queue numbering from base + 1 that may leave the quit notification to its owner.
    TBConverterTaskManager(quint32 base, bool endsJobsAtQuit);
    // Makes a job report its end to the queue; called when it is added and before it starts.
    virtual void installCompletion(const std::shared_ptr<TBVideoConvertTask> &task);

private:
    void pauseOne(const std::shared_ptr<TBVideoConvertTask> &task);

    quint32 m_maxTaskID = 0;
    QList<std::shared_ptr<TBVideoConvertTask>> m_tasks;
    TBVideoConverterDelegate *m_delegate = nullptr;
};
