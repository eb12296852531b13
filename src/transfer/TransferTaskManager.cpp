#include "transfer/TransferTaskManager.h"

#include "platform/Dispatch.h"
#include "transfer/TransferMediaTask.h"

void TransferTaskManager::addItem(const std::shared_ptr<TransferMediaTask> &job)
{
    if (!job)
        return;
    {
        QMutexLocker lock(&m_lock);
        m_items.append(job);
    }
    std::weak_ptr<TransferTaskManager> weakSelf = weak_from_this();
    job->setConverterCompleted([weakSelf](const std::shared_ptr<TransferMediaTask> &) {
        dispatch::async_main([weakSelf] {
            if (auto self = weakSelf.lock())
                self->runNextTask();
        });
    });
}

void TransferTaskManager::startTask(const std::shared_ptr<TransferMediaTask> &job)
{
    if (!job)
        return;
    {
        QMutexLocker lock(&m_lock);
        if (!m_items.contains(job))
            return;
    }
    if (isCanStartTask(job))
        job->start();
}

bool TransferTaskManager::isCanStartTask(const std::shared_ptr<TransferMediaTask> &job) const
{
    QMutexLocker lock(&m_lock);
    for (const auto &other : m_items) {
        if (other != job && other->state() < TransferMediaTask::StateFinished)
            return false;
    }
    return true;
}

std::shared_ptr<TransferMediaTask> TransferTaskManager::nextTransferTask() const
{
    QMutexLocker lock(&m_lock);
    for (const auto &job : m_items) {
        if (job->state() < TransferMediaTask::StateRunning && !job->hasStarted())
            return job;
    }
    return nullptr;
}

void TransferTaskManager::runNextTask()
{
    if (auto next = nextTransferTask()) {
        next->setState(TransferMediaTask::StateRunning);
        next->start();
    }
}

void TransferTaskManager::deleteItem(const std::shared_ptr<TransferMediaTask> &job)
{
    if (!job)
        return;
    QMutexLocker lock(&m_lock);
    m_items.removeOne(job);
}

QList<std::shared_ptr<TransferMediaTask>> TransferTaskManager::jobs() const
{
    QMutexLocker lock(&m_lock);
    return m_items;
}
