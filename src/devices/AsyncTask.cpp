#include "devices/AsyncTask.h"

#include "devices/DeviceTypes.h"
#include "devices/IAsyncTaskDelegate.h"

#include <QDeadlineTimer>

#include <thread>

AsyncTask::AsyncTask(std::weak_ptr<IAsyncTaskDelegate> delegate)
    : m_delegate(std::move(delegate))
{
}

AsyncTask::~AsyncTask() = default;

std::shared_ptr<AsyncTask> AsyncTask::run(std::weak_ptr<IAsyncTaskDelegate> delegate, Work work)
{
    auto task = std::make_shared<AsyncTask>(std::move(delegate));
    // The thread owns the task until the work is over; nobody has to join it.
    std::thread([task, work = std::move(work)] {
        std::optional<int> result;
        try {
            result = work(*task);
        } catch (...) {
            result = AsyncTaskResult::Failed;
        }
        task->finish(result);
    }).detach();
    return task;
}

std::shared_ptr<AsyncTask> AsyncTask::finished(std::optional<int> result)
{
    auto task = std::make_shared<AsyncTask>();
    task->m_progress = 100;
    task->m_done = task->m_finishing = true;
    task->m_result = result;
    return task;
}

void AsyncTask::setProgress(int percent)
{
    percent = std::clamp(percent, 0, 100);
    {
        QMutexLocker lock(&m_lock);
        if (m_finishing)
            return;
    }
    m_progress = percent;
    if (auto d = m_delegate.lock())
        d->asyncTaskProgressChanged(*this, percent);
}

void AsyncTask::finish(std::optional<int> result)
{
    {
        QMutexLocker lock(&m_lock);
        if (m_finishing)
            return;
        m_finishing = true;
        m_result = result;
    }
    if (auto d = m_delegate.lock())
        d->asyncTaskFinished(*this);
    QMutexLocker lock(&m_lock);
    m_done = true;
    m_doneCondition.wakeAll();
}

bool AsyncTask::isDone() const
{
    QMutexLocker lock(&m_lock);
    return m_done;
}

bool AsyncTask::waitDone(int timeoutMs)
{
    QMutexLocker lock(&m_lock);
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (!m_done) {
        if (!m_doneCondition.wait(&m_lock, deadline))
            return m_done;
    }
    return true;
}

std::optional<int> AsyncTask::result() const
{
    QMutexLocker lock(&m_lock);
    return m_result;
}
