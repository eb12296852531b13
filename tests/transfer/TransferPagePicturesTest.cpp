// Pictures of the Transfer page in each of its states, for looking at (written to
// TRANSFER_SCREENS_DIR); each is also checked to show something.
#include "TransferPageFixtures.h"

#include "controls/ATPopupWindow.h"
#include "devices/Dexmoor.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "library/ThumbnailServerWraper.h"
#include "support/TestEnvironment.h"
#include "transfer/ConnectFailedViewCtrl.h"
#include "transfer/ConnectManagerViewCtrl.h"
#include "transfer/ConnectingViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/StartConnectViewCtrl.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferManagerViewCtrl.h"
#include "transfer/TransferViewCtrl.h"
#include "transfer/USBDebugViewCtrl.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSemaphore>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString screens() { return QStringLiteral(TRANSFER_SCREENS_DIR); }

// Saves the widget's picture and checks it is not blank.
void save(QWidget *widget, const QString &name)
{
    QDir().mkpath(screens());
    const QImage image = widget->grab().toImage();
    ASSERT_FALSE(image.isNull()) << name.toStdString();
    ASSERT_TRUE(image.save(screens() + QLatin1Char('/') + name + QStringLiteral(".png"))) << name.toStdString();
    int inked = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            inked += image.pixelColor(x, y).lightness() < 200;
    EXPECT_GT(inked, 30) << name.toStdString() << " looks empty";
}

TEST(TransferPagePictures, ConnectionPanels)
{
    auto flow = std::make_shared<ConnectManagerViewCtrl>();
    QWidget *view = flow->view();
    view->resize(860, 560);
    view->show();
    flow->goToStartConnectView();
    save(view, "connect-start");
    flow->goToConnectingView();
    for (int i = 0; i < 40; ++i)
        flow->connectingView()->tick();
    save(view, "connect-connecting");
    flow->goToUSBDebugView();
    save(view, "connect-usb-debugging");
    flow->usbDebugView()->selectVersionTag(3);
    save(view, "connect-usb-debugging-3.0");
    for (int type = 0; type <= 4; ++type) {
        flow->goToConnectFailedView(type);
        save(view, QStringLiteral("connect-failed-%1").arg(type));
    }
}

TEST(TransferPagePictures, ListDuringATransferAndTheWaitingPopup)
{
    for (const auto &item : QVMobileDeviceDataSource::share().allItems())
        QVMobileDeviceDataSource::share().removeObject(item);
    QTemporaryDir dir;
    Dexmoor manager;
    auto backend = std::make_shared<FakeDeviceBackend>();
    manager.addBackend(backend);
    manager.startDexmoorListen();
    ThumbnailServerWraper thumbnails(false);
    TransferViewCtrl page(&manager, &thumbnails, dir.filePath("WaitTransfer.plist"));
    page.view()->resize(900, 600);
    page.view()->show();
    page.startShowView();

    QVariantList items;
    for (const char *name : {"Morning walk by the river.mp4", "Concert recording, second half (live).mp3",
                             "A very long file name of a lecture about the history of printing presses in Europe.mp4"}) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(300000, 'v'));
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(f.fileName());
        items << QVariant::fromValue(item);
    }
    page.addDownloadedItem(items);
    save(page.view(), "page-waiting-banner");
    page.showWaitTransferView();
    ASSERT_TRUE(page.popupWindow());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !page.popupWindow()->isBouncing(); }));
    page.focusRow(1);
    save(page.popupWindow(), "page-waiting-popup");
    page.closeWaitTransferView();

    // Every progress report gets through (the clock moves on a second each time it is read).
    SteppingClock clock(1000);
    ClockScope clockScope(&clock);
    // A phone whose writes stop half-way until the picture is taken.
    ScriptedPhone phone(DeviceTransferPlatform::Android, 0, DevicePrepareCheck::Ready, "Pixel 7");
    QSemaphore release;
    std::atomic<bool> held{false};
    FakeFileStore::Script script = phone.store->script();
    script.onProgress = [&](const QString &, int percent) {
        if (percent == 50 && !held.exchange(true))
            release.acquire();
    };
    phone.store->setScript(script);
    backend->plug(phone.device);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page.bodyContent() == page.transferList()->view(); }, 10000));
    save(page.view(), "page-list-connected");
    page.transferAll();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return held.load(); }, 10000));
    // The rows' news reach the main thread.
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        for (const auto &node : page.transferList()->nodes())
            if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>(); row && row->progressValue() > 0)
                return true;
        return false;
    }));
    save(page.view(), "page-list-transferring");
    release.release();
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        for (const auto &node : page.transferList()->nodes())
            if (auto row = node->downloadingItemViewCtr<DownloadedItemViewCtrl>(); !row || row->isShowingTaskFace())
                return false;
        return !page.isHasTask();
    }, 30000));
    save(page.view(), "page-list-done");
    backend->pull(phone.device);
    manager.stopListen();
}

} // namespace
