#include "converter/TBConverterTaskManager.h"

#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"

#include <QPointer>

#include <atomic>

namespace {
std::atomic<quint32> NextManagerIndex{0};
}

TBConverterTaskManager::TBConverterTaskManager()
    : TBConverterTaskManager(NextManagerIndex.fetch_add(100000), true)
{
}

TBConverterTaskManager::TBConverterTaskManager(quint32 base, bool endsJobsAtQuit)
    : m_maxTaskID(base)
{
    if (endsJobsAtQuit)
        NotificationCenter::defaultCenter().addObserver(this, NotificationNames::FENNIXPROWillQuitNotification,
                                                        [this](const Notification &) { closeConverteringTask(); });
}

TBConverterTaskManager::~TBConverterTaskManager()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    for (const auto &task : m_tasks)
        task->setConverterCompleted(nullptr);
    closeConverteringTask();
}

void TBConverterTaskManager::resetNextManagerIndexForTesting(quint32 value) { NextManagerIndex = value; }

std::shared_ptr<TBVideoConvertTask> TBConverterTaskManager::addConvertTaskWithFile(const QString &sourcePath,
                                                                                   std::shared_ptr<TBMultiMediaItem> target)
{
    auto task = std::make_shared<TBVideoConvertTask>();
    task->setTaskID(++m_maxTaskID);
    auto source = std::make_shared<TBMultiMediaItem>();
    source->setFilePath(sourcePath);
    task->setSourceItem(source);
    task->setTargetItem(std::move(target));
    task->setTaskStatus(ConvertJob::Waiting);
    installCompletion(task);
    m_tasks.append(task);
    return task;
}

void TBConverterTaskManager::installCompletion(const std::shared_ptr<TBVideoConvertTask> &task)
{
    QPointer<TBConverterTaskManager> self(this);
    // Deferred: the job may still be inside its end report.
    task->setConverterCompleted([self](const std::shared_ptr<TBVideoConvertTask> &finished) {
        dispatch::async_main([self, finished]() {
            ScribletLogInfo(QStringLiteral("block converter next task:%1").arg(finished->taskID()));
            if (self)
                self->runNextTask();
        });
    });
}

unsigned TBConverterTaskManager::convertingTaskCount() const
{
    unsigned n = 0;
    for (const auto &task : m_tasks)
        if (task->taskStatus() == ConvertJob::Converting)
            ++n;
    return n;
}

std::shared_ptr<TBVideoConvertTask> TBConverterTaskManager::nextConvertTask() const
{
    for (const auto &task : m_tasks)
        if (task->taskStatus() == ConvertJob::Waiting)
            return task;
    return nullptr;
}

std::shared_ptr<TBVideoConvertTask> TBConverterTaskManager::taskWithID(quint32 taskID) const
{
    for (const auto &task : m_tasks)
        if (task->taskID() == taskID)
            return task;
    return nullptr;
}

void TBConverterTaskManager::runNextTask()
{
    if (convertingTaskCount() >= maxParallelTaskCount())
        return;
    std::shared_ptr<TBVideoConvertTask> candidate = nextConvertTask();
    if (m_delegate)
        if (auto chosen = m_delegate->nextConvertTask())
            candidate = *chosen;
    ScribletLogInfo(QStringLiteral("converter run next task %1").arg(candidate ? qint64(candidate->taskID()) : -1));
    if (!candidate)
        return;
    candidate->setTaskStatus(ConvertJob::Converting);
    // A paused job continues in its tool; one whose tool is gone (stopped, killed, never
    // started) starts over.
    if (candidate->percent() < 1 || !candidate->hasToolProcess()) {
        if (!candidate->hasCompletion())
            installCompletion(candidate);
        candidate->start();
    } else {
        candidate->resume();
    }
}

bool TBConverterTaskManager::startConvertTaskWith(quint32 taskID)
{
    auto task = taskWithID(taskID);
    if (!task)
        return false;
    task->start();
    return true;
}

void TBConverterTaskManager::pauseOne(const std::shared_ptr<TBVideoConvertTask> &task)
{
    if (task->taskStatus() == ConvertJob::Converting)
        task->pause();
    else
        task->setTaskStatus(ConvertJob::Paused);
}

bool TBConverterTaskManager::pauseConvertTaskWith(quint32 taskID)
{
    auto task = taskWithID(taskID);
    if (!task)
        return false;
    const bool wasConverting = task->taskStatus() == ConvertJob::Converting;
    pauseOne(task);
    if (wasConverting)
        runNextTask();
    return true;
}

void TBConverterTaskManager::pauseConvertTaskWithArray(const QVariantList &taskIDs)
{
    for (const QVariant &id : taskIDs)
        if (auto task = taskWithID(quint32(id.toInt())))
            pauseOne(task);
    runNextTask();
}

bool TBConverterTaskManager::resumeConvertTaskWith(quint32 taskID)
{
    auto task = taskWithID(taskID);
    if (!task)
        return false;
    task->setTaskStatus(ConvertJob::Waiting);
    runNextTask();
    return true;
}

void TBConverterTaskManager::resumeConvertTaskWithArray(const QVariantList &taskIDs)
{
    for (const QVariant &id : taskIDs)
        if (auto task = taskWithID(quint32(id.toInt())))
            task->setTaskStatus(ConvertJob::Waiting);
    runNextTask();
}

bool TBConverterTaskManager::stopConvertTaskWith(quint32 taskID)
{
    auto task = taskWithID(taskID);
    if (!task)
        return false;
    task->stop();
    return true;
}

void TBConverterTaskManager::cancelCurrentTasks()
{
    for (const auto &task : m_tasks)
        task->terminate();
    m_tasks.clear();
}

void TBConverterTaskManager::closeConverteringTask()
{
    for (const auto &task : m_tasks)
        task->terminate();
}
