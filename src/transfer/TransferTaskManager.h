#pragma once

#include <QList>
#include <QMutex>

#include <memory>

class TransferMediaTask;

// The transfer list's jobs: one runs at a time; when one ends the next waiting job is started
// from the main thread. Finished jobs stay listed. Create with std::make_shared.
class TransferTaskManager : public std::enable_shared_from_this<TransferTaskManager>
{
public:
    void addItem(const std::shared_ptr<TransferMediaTask> &job);
    void startTask(const std::shared_ptr<TransferMediaTask> &job);
    bool isCanStartTask(const std::shared_ptr<TransferMediaTask> &job) const;
    std::shared_ptr<TransferMediaTask> nextTransferTask() const;
    void runNextTask();
    void deleteItem(const std::shared_ptr<TransferMediaTask> &job);
    void stopAllItem() {}
    bool haveRuningTask() const { return true; }
    QList<std::shared_ptr<TransferMediaTask>> jobs() const;

private:
    mutable QMutex m_lock;
    QList<std::shared_ptr<TransferMediaTask>> m_items;
};
