#include "transfer/TransferDataItem.h"

#include "platform/NotificationCenter.h"
#include "shell/WKDataColleciton.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferMediaTask.h"

#include <QCoreApplication>

TransferDataItem::TransferDataItem() = default;

TransferDataItem::TransferDataItem(const FileInfoItem &info)
    : DownloadedItem(info)
{
}

TransferDataItem::~TransferDataItem() = default;

std::shared_ptr<TransferDataItem> TransferDataItem::sharedTransferItem()
{
    return std::static_pointer_cast<TransferDataItem>(shared_from_this());
}

std::shared_ptr<TransferFileItem> TransferDataItem::transferItem() const
{
    QMutexLocker lock(&m_transferLock);
    return m_transferItem;
}

void TransferDataItem::setTransferItem(const std::shared_ptr<TransferFileItem> &item)
{
    QMutexLocker lock(&m_transferLock);
    m_transferItem = item;
}

std::shared_ptr<TransferMediaTask> TransferDataItem::transferTask() const
{
    QMutexLocker lock(&m_transferLock);
    return m_transferTask;
}

void TransferDataItem::setTransferTask(const std::shared_ptr<TransferMediaTask> &job)
{
    QMutexLocker lock(&m_transferLock);
    m_transferTask = job;
}

void TransferDataItem::transferItemProgress(TransferFileItem &, int percent)
{
    setPercent(percent);
    setTaskStatus(TaskRunning);
    setTaskStateStr(QCoreApplication::translate("TransferDataItem", "Transfering to device..."));
    sendTaskProgressChanged(percent);
}

void TransferDataItem::transferItemWaitAync(TransferFileItem &)
{
    setTaskStatus(TaskRunning);
    setTaskStateStr(QCoreApplication::translate("TransferDataItem", "Waiting to sync..."));
    sendTaskDidChangeState();
}

void TransferDataItem::transferItemStartAync(TransferFileItem &)
{
    setTaskStatus(TaskRunning);
    setTaskStateStr(QCoreApplication::translate("TransferDataItem", "Syncing..."));
    sendTaskDidChangeState();
}

void TransferDataItem::transferItemFinished(TransferFileItem &item)
{
    WKDataColleciton &statistics = WKDataColleciton::share();
    statistics.collectTransferComplete(true);
    switch (item.itemStatus()) {
    case TransferFileItem::StatusDone:
        setTaskStatus(TaskFinished);
        setTaskFinishStr(QString());
        if (m_isWaitItem)
            NotificationCenter::defaultCenter().post(QStringLiteral("FennixTransferDataItemTaskFinish"),
                                                     QVariant::fromValue(sharedTransferItem()));
        statistics.collectTransferState(QStringLiteral("TransferSuccess"));
        break;
    case TransferFileItem::StatusDeviceResult4:
        setTaskStatus(TaskNone);
        statistics.collectTransferState(QStringLiteral("TransferCancel"));
        break;
    default:
        setTaskStatus(TaskFailed);
        setTaskFinishStr(failureReasonText(item.errorText()));
        statistics.collectTransferState(QStringLiteral("TransferFailed"));
        statistics.collectTransferFailedReason(item.errorText());
        break;
    }
    sendTaskDidChangeState();
}

QString TransferDataItem::failureReasonText(const QString &errorText)
{
    static const struct
    {
        const char *error, *text;
    } reasons[] = {
        {TransferFileItem::ReasonRemoved, "The device was disconnected."},
        {TransferFileItem::ReasonOffline, "The device is not ready."},
        {TransferFileItem::ReasonEmpty, "The file is empty."},
        {TransferFileItem::ReasonUnsupported, "The device cannot play this kind of file."},
        {TransferFileItem::ReasonConversion, "The file could not be converted."},
        {TransferFileItem::ReasonNoDestination, "The device has no place for this file."},
        {TransferFileItem::ReasonWriteFailed, "The device did not take the file."},
        {TransferFileItem::ReasonStalled, "The device stopped responding"},
    };
    for (const auto &r : reasons)
        if (errorText.startsWith(QLatin1String(r.error)))
            return QCoreApplication::translate("TransferDataItem", r.text);
    return QString();
}

QString TransferDataItem::archiveClassName() const
{
    return QStringLiteral("TransferDataItem");
}
