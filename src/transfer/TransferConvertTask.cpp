#include "transfer/TransferConvertTask.h"

#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "platform/Dispatch.h"

#include <QCoreApplication>

TransferConvertTask::TransferConvertTask(const Request &request)
    : m_task(std::make_shared<TBVideoConvertTask>())
{
    auto source = std::make_shared<TBMultiMediaItem>();
    source->setFilePath(request.sourcePath);
    auto target = request.video ? TBMultiMediaItem::defuatVideoConverterParam() : TBMultiMediaItem::defuatAudioConverterParam();
    target->setFilePath(request.targetPath);
    m_task->setSourceItem(source);
    m_task->setTargetItem(target);
    m_task->setTaskID(request.taskID);
    m_task->setTaskStatus(ConvertJob::Waiting);
    m_task->setDelegate(request.delegate);
    m_task->setEncodeParams(target->encData());
    // Made on the job's thread, run and ended on the main thread, where its tool talks to it.
    if (QCoreApplication *app = QCoreApplication::instance())
        m_task->moveToThread(app->thread());
}

TransferConvertTask::~TransferConvertTask()
{
    // The job is a QObject of the main thread: it goes away there.
    if (m_task && !dispatch::isMainThread())
        dispatch::async_main([task = std::move(m_task)] {});
}

std::shared_ptr<ITransferConversion> TransferConvertTask::create(const Request &request)
{
    return std::make_shared<TransferConvertTask>(request);
}

void TransferConvertTask::start()
{
    m_task->start();
}

void TransferConvertTask::stop()
{
    m_task->stop();
}

qint32 TransferConvertTask::taskStatus() const
{
    return m_task->taskStatus();
}

QString TransferConvertTask::targetFilePath() const
{
    return m_task->targetFilePath();
}
