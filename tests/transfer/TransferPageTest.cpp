#include "TransferPageFixtures.h"

#include "controls/ATPopupWindow.h"
#include "controls/MGHoverButton.h"
#include "devices/Dexmoor.h"
#include "downloads/DownloadedItem.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationCenter.h"
#include "shell/MGMessageBox.h"
#include "shell/UIManager.h"
#include "support/TestEnvironment.h"
#include "transfer/ConnectManagerViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/StartConnectViewCtrl.h"
#include "transfer/QVMobileDeviceItem.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferManagerViewCtrl.h"
#include "transfer/TransferViewCtrl.h"

#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A Transfer page on its own device manager with the scripted fake back-end.
struct PageRig
{
    PageRig()
    {
        for (const auto &item : QVMobileDeviceDataSource::share().allItems())
            QVMobileDeviceDataSource::share().removeObject(item);
        manager.addBackend(backend);
        manager.startDexmoorListen();
        page = std::make_unique<TransferViewCtrl>(&manager, &thumbnails, dir.filePath("WaitTransfer.plist"));
        page->view()->resize(900, 600);
        page->view()->show();
        page->startShowView();
    }
    ~PageRig()
    {
        page.reset();
        manager.stopListen();
    }
    QVariant handed(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(2048, 'm'));
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        return QVariant::fromValue(item);
    }
    bool showsList()
    {
        return TestEnvironment::waitFor([&] { return page->bodyContent() == page->transferList()->view(); });
    }
    bool showsFlow()
    {
        return TestEnvironment::waitFor([&] { return page->connectionFlow() && page->bodyContent() == page->connectionFlow()->view(); });
    }

    QTemporaryDir dir;
    ThumbnailServerWraper thumbnails{false};
    Dexmoor manager;
    std::shared_ptr<FakeDeviceBackend> backend = std::make_shared<FakeDeviceBackend>();
    std::unique_ptr<TransferViewCtrl> page;
};

TEST(TransferPage, APluggedPhoneConnectsAndTheListShows)
{
    PageRig rig;
    ASSERT_TRUE(rig.showsFlow());
    EXPECT_FALSE(rig.page->addButton()->isVisible());
    ScriptedPhone phone(DeviceTransferPlatform::Android, 0, DevicePrepareCheck::Ready, "samsung SM-G990");
    rig.backend->plug(phone.device);
    ASSERT_TRUE(rig.showsList());
    EXPECT_EQ(phone.connects.load(), 1);
    EXPECT_EQ(rig.page->titleLabel()->text(), "Samsung SM-G990 is connected!");
    EXPECT_TRUE(rig.page->addButton()->isVisible());
    EXPECT_TRUE(rig.page->transferAllButton()->isVisible());
    // The title and buttons sit above the list, not under it.
    QWidget *view = rig.page->view();
    EXPECT_LE(rig.page->titleLabel()->mapTo(view, QPoint(0, rig.page->titleLabel()->height())).y(),
              rig.page->bodyContent()->mapTo(view, QPoint(0, 0)).y());
    EXPECT_FALSE(rig.page->waitBanner()->isVisible());
    EXPECT_EQ(rig.page->transferList()->deviceItem(), rig.page->curDeviceItem());

    // Pulled out: back to the start view, the title cleared.
    rig.backend->pull(phone.device);
    ASSERT_TRUE(rig.showsFlow());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return rig.page->titleLabel()->text().isEmpty(); }));
    EXPECT_FALSE(rig.page->curDeviceItem());
}

TEST(TransferPage, APhoneTheSystemReportsConnectedIsStillLoadedAndShown)
{
    PageRig rig;
    ScriptedPhone phone(DeviceTransferPlatform::Android, DeviceConnectionStatus::Connected);
    rig.backend->plug(phone.device);
    ASSERT_TRUE(rig.showsList());
    EXPECT_TRUE(rig.page->curDeviceItem()->isLoaded());
}

TEST(TransferPage, ASecondDeviceIsIgnoredUntilThePageIsShownAgain)
{
    PageRig rig;
    ScriptedPhone first, second(DeviceTransferPlatform::Android, 0, DevicePrepareCheck::Ready, "Second");
    rig.backend->plug(first.device);
    ASSERT_TRUE(rig.showsList());
    rig.backend->plug(second.device);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rig.manager.getConnectDevices().size() == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(second.connects.load(), 0);
    EXPECT_EQ(QVMobileDeviceDataSource::share().count(), 1);

    rig.backend->pull(first.device);
    ASSERT_TRUE(rig.showsFlow());
    EXPECT_EQ(second.connects.load(), 0) << "taken up only when the page is shown next";
    rig.page->startShowView();
    ASSERT_TRUE(rig.showsList());
    EXPECT_EQ(rig.page->curDeviceItem()->mobileDevice(), second.device);
}

TEST(TransferPage, AnIPodKeepsLaterDevicesOut)
{
    PageRig rig;
    ScriptedPhone iPod(DeviceTransferPlatform::iOS, 0, DevicePrepareCheck::Ready, "iPod", true), phone;
    rig.backend->plug(iPod.device);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return QVMobileDeviceDataSource::share().count() == 1; }));
    rig.backend->plug(phone.device);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rig.manager.getConnectDevices().size() == 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(phone.connects.load(), 0);
    EXPECT_EQ(iPod.connects.load(), 0);
    EXPECT_FALSE(rig.page->curDeviceItem());
    EXPECT_EQ(rig.page->connectionFlow()->contentView(), static_cast<QWidget *>(rig.page->connectionFlow()->startView()));
}

TEST(TransferPage, WaitingBannerAndItsPopupList)
{
    EXPECT_EQ(TransferViewCtrl::waitingText(1, "en"), "1 file is waiting to transferred to your device.");
    EXPECT_EQ(TransferViewCtrl::waitingText(1, "de"), "1 file(s) are waiting to transfer to your device.");
    EXPECT_EQ(TransferViewCtrl::waitingText(3, "en"), "3 file(s) are waiting to transfer to your device.");

    PageRig rig;
    EXPECT_FALSE(rig.page->waitBanner()->isVisible());
    rig.page->addDownloadedItem({rig.handed("one.mp4"), rig.handed("two.mp3")});
    ASSERT_TRUE(rig.page->waitBanner()->isVisible());
    EXPECT_TRUE(rig.page->waitBannerText()->text().startsWith("2 file"));

    QTest::mouseClick(rig.page->waitBannerButton(), Qt::LeftButton);
    ASSERT_TRUE(rig.page->popupWindow());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !rig.page->popupWindow()->isBouncing(); }));
    EXPECT_EQ(rig.page->popupTable()->model()->rowCount(), 2);
    rig.page->focusRow(1);
    QPushButton *del = rig.page->popupDeleteButton();
    ASSERT_TRUE(del->isVisible());
    // Held down, the button shows its pressed picture; let go, the normal one again.
    auto shows = [del](const char *slice) {
        const QImage expected =
            QIcon(QPixmap::fromImage(UIManager::sliceNamedInMain(QString::fromLatin1(slice)))).pixmap(del->iconSize()).toImage();
        return del->property("slice").toString() == QLatin1String(slice) && !expected.isNull()
               && del->icon().pixmap(del->iconSize()).toImage() == expected;
    };
    EXPECT_TRUE(shows("mainform-453"));
    QTest::mousePress(del, Qt::LeftButton);
    EXPECT_TRUE(shows("mainform-454"));
    EXPECT_EQ(rig.page->popupTable()->model()->rowCount(), 2) << "a press alone deletes nothing";
    QTest::mouseRelease(del, Qt::LeftButton);
    EXPECT_TRUE(shows("mainform-453"));
    EXPECT_EQ(rig.page->popupTable()->model()->rowCount(), 1);
    EXPECT_EQ(rig.page->focusRowIndex(), 0) << "the focus moves to the last row";
    EXPECT_TRUE(rig.page->waitBannerText()->text().startsWith("1 file"));
    ASSERT_TRUE(rig.page->popupWindow());
    QTest::mouseClick(rig.page->popupDeleteButton(), Qt::LeftButton);
    EXPECT_FALSE(rig.page->popupWindow()) << "the last deletion closes the pop-up";
    EXPECT_FALSE(rig.page->waitBanner()->isVisible());
    EXPECT_TRUE(rig.page->transferList()->waitTransferItem().isEmpty());
}

TEST(TransferPage, HasTaskOnlyWhileTheListIsTheContent)
{
    PageRig rig;
    rig.page->addDownloadedItem({rig.handed("busy.mp4")});
    rig.page->transferList()->rows().first()->setTaskStatus(DownloadedItem::TaskRunning);
    EXPECT_FALSE(rig.page->isHasTask()) << "the connection flow shows";

    ScriptedPhone phone;
    rig.backend->plug(phone.device);
    ASSERT_TRUE(rig.showsList());
    ASSERT_FALSE(rig.page->transferList()->rows().isEmpty());
    rig.page->transferList()->rows().first()->setTaskStatus(DownloadedItem::TaskRunning);
    EXPECT_TRUE(rig.page->isHasTask());
    // Another tab is selected: the scheduled shut-down still waits for the transfer.
    rig.page->view()->hide();
    EXPECT_TRUE(rig.page->isHasTask());
    rig.page->transferList()->rows().first()->setTaskStatus(DownloadedItem::TaskFinished);
    EXPECT_FALSE(rig.page->isHasTask());
}

TEST(TransferPage, ADisconnectionUnderAModalWindowShowsNoBox)
{
    PageRig rig;
    ScriptedPhone phone;
    rig.backend->plug(phone.device);
    ASSERT_TRUE(rig.showsList());
    int boxes = 0;
    MGMessageBox::setRunHookForTesting([&](MGMessageBox *box) {
        ++boxes;
        QTimer::singleShot(0, box, [box] { box->done(0); });
    });
    QDialog modal;
    modal.setModal(true);
    modal.show();
    ASSERT_TRUE(TestEnvironment::waitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    NotificationCenter::defaultCenter().post(QStringLiteral("MobileDeviceDisConnected"), QVariant::fromValue(std::static_pointer_cast<IMobileDevice>(phone.device)));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes, 0);
    modal.hide();
    ASSERT_TRUE(TestEnvironment::waitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    NotificationCenter::defaultCenter().post(QStringLiteral("MobileDeviceDisConnected"), QVariant::fromValue(std::static_pointer_cast<IMobileDevice>(phone.device)));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return boxes == 1; }));
    MGMessageBox::setRunHookForTesting({});
}

} // namespace
