// The transfer row: item reports become row states, a finished waiting row is announced.

#include "TransferFixtures.h"

#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"

#include <gtest/gtest.h>

namespace {

TEST(TransferRow, ReportsBecomeRowStates)
{
    struct Case { quint32 itemStatus; quint32 rowStatus; };
    const Case cases[] = {
        {TransferFileItem::StatusDone, DownloadedItem::TaskFinished},
        {TransferFileItem::StatusDeviceResult4, DownloadedItem::TaskNone},
        {TransferFileItem::StatusFailed, DownloadedItem::TaskFailed},
        {TransferFileItem::StatusEmptyOrRefused, DownloadedItem::TaskFailed},
        {TransferFileItem::StatusDeviceResult3, DownloadedItem::TaskFailed},
    };
    for (const Case &c : cases) {
        FileInfoItem info;
        info.setFilePath("/music/a.mp3");
        auto row = std::make_shared<TransferDataItem>(info);
        EXPECT_EQ(row->transferFilePath(), "/music/a.mp3");
        auto item = TransferFileItem::initWithAudioFilePath("/music/a.mp3");
        item->addDelegate(row);
        row->transferItemProgress(*item, 42);
        EXPECT_EQ(row->percent(), 42);
        EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskRunning);
        EXPECT_EQ(row->taskStateStr(), "Transfering to device...");
        row->transferItemStartAync(*item);
        EXPECT_EQ(row->taskStateStr(), "Syncing...");
        item->setItemStatus(c.itemStatus);
        item->sendItemFinished();
        EXPECT_EQ(row->taskStatus(), c.rowStatus) << c.itemStatus;
    }
}

TEST(TransferRow, OnlyAFinishedWaitingRowIsAnnounced)
{
    QObject owner;
    QList<std::shared_ptr<TransferDataItem>> announced;
    NotificationCenter::defaultCenter().addObserver(&owner, "FennixTransferDataItemTaskFinish", [&](const Notification &n) {
        announced << n.object.value<std::shared_ptr<TransferDataItem>>();
    });
    auto waiting = std::make_shared<TransferDataItem>();
    waiting->setIsWaitItem(true);
    auto plain = std::make_shared<TransferDataItem>();
    for (const auto &row : {waiting, plain}) {
        auto item = TransferFileItem::initWithAudioFilePath("/a.mp3");
        item->addDelegate(row);
        item->setItemStatus(TransferFileItem::StatusDone);
        item->sendItemFinished();
    }
    EXPECT_EQ(announced, QList<std::shared_ptr<TransferDataItem>>{waiting});
    EXPECT_EQ(waiting->archiveClassName(), "TransferDataItem");
}

} // namespace
