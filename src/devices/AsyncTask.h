#pragma once

#include "devices/IAsyncTask.h"

#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

class IAsyncTaskDelegate;

// The device layer's task: progress and the end go to a weakly held delegate on the thread
// that reports them; the end is reported once, and waiters wake only after the delegate was
// told, so a caller returning from waitDone() sees every report.
class AsyncTask : public IAsyncTask, public std::enable_shared_from_this<AsyncTask>
{
public:
    using Work = std::function<std::optional<int>(AsyncTask &task)>;

    explicit AsyncTask(std::weak_ptr<IAsyncTaskDelegate> delegate = {});
    ~AsyncTask() override;

    // Runs work on a thread of its own; its return value is the result.
    static std::shared_ptr<AsyncTask> run(std::weak_ptr<IAsyncTaskDelegate> delegate, Work work);
    // A task that has already ended (nothing is reported to anybody).
    static std::shared_ptr<AsyncTask> finished(std::optional<int> result);

    void setProgress(int percent);
    // Ends the task; later calls are ignored.
    void finish(std::optional<int> result);

    bool isDone() const override;
    bool waitDone(int timeoutMs = -1) override;
    std::optional<int> result() const override;
    int progress() const override { return m_progress.load(); }
    void cancel() override { m_cancelled = true; }
    bool isCancelled() const override { return m_cancelled.load(); }

private:
    std::weak_ptr<IAsyncTaskDelegate> m_delegate;
    std::atomic<int> m_progress{0};
    std::atomic<bool> m_cancelled{false};
    mutable QMutex m_lock;
    QWaitCondition m_doneCondition;
    bool m_finishing = false;
    bool m_done = false;
    std::optional<int> m_result;
};
