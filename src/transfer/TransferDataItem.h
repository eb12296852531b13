#pragma once

#include "downloads/DownloadedItem.h"
#include "transfer/TransferItemDelegate.h"

#include <QMetaType>

#include <memory>

class TransferFileItem;
class TransferMediaTask;

// A row of the transfer list: a finished-download record with the file item carrying it to the
// device, its job and whether it waits across restarts. Turns the item's reports into the row's
// state. Archived under its own class name with the record's coding.
class TransferDataItem : public DownloadedItem, public TransferItemDelegate
{
public:
    TransferDataItem();
    explicit TransferDataItem(const FileInfoItem &info);  // initWithFileInfoItem:
    ~TransferDataItem() override;

    std::shared_ptr<TransferDataItem> sharedTransferItem();

    QString transferFilePath() const { return filePath(); }
    std::shared_ptr<TransferFileItem> transferItem() const;
    void setTransferItem(const std::shared_ptr<TransferFileItem> &item);
    std::shared_ptr<TransferMediaTask> transferTask() const;
    void setTransferTask(const std::shared_ptr<TransferMediaTask> &job);
    bool isWaitItem() const { return m_isWaitItem; }
    void setIsWaitItem(bool wait) { m_isWaitItem = wait; }

    void transferItemProgress(TransferFileItem &item, int percent) override;
    void transferItemWaitAync(TransferFileItem &item) override;
    void transferItemStartAync(TransferFileItem &item) override;
    void transferItemFinished(TransferFileItem &item) override;

    // What the user is told of a failed file, from the file item's errorText(); empty when
    // there is nothing to add.
    static QString failureReasonText(const QString &errorText);

    QString archiveClassName() const override;

private:
    mutable QMutex m_transferLock;
    std::shared_ptr<TransferFileItem> m_transferItem;
    std::shared_ptr<TransferMediaTask> m_transferTask;
    bool m_isWaitItem = false;
};

Q_DECLARE_METATYPE(std::shared_ptr<TransferDataItem>)
