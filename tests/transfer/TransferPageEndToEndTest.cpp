// The Transfer page as the user reaches it in the running application: the main window's
// Transfer tab, a phone plugged in, files handed over by the library's notification, Transfer
// All, the real conversion tool for what the phone cannot play. Once on the scripted fake
// devices, once through the fake adb program on PATH with the application's own device manager.
#include "AdbDeviceHarness.h"
#include "TransferPageFixtures.h"

#include "controls/MGHoverButton.h"
#include "devices/Dexmoor.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationCenter.h"
#include "shell/AppDelegate.h"
#include "shell/MainWindowCtrl.h"
#include "shell/ShellRegistry.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "transfer/ConnectManagerViewCtrl.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferManagerViewCtrl.h"
#include "transfer/TransferPageRegistration.h"
#include "transfer/TransferViewCtrl.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString emptyFile(const QString &dir, const QString &name)
{
    QFile f(dir + QLatin1Char('/') + name);
    f.open(QIODevice::WriteOnly);
    return f.fileName();
}

// Hands files over the way the library's "Add to Transfer List" does.
void handOver(const QStringList &paths)
{
    QVariantList items;
    for (const QString &path : paths) {
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        items << QVariant::fromValue(item);
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("AddToTransferNotification"), items);
}

std::shared_ptr<TransferDataItem> rowNamed(TransferViewCtrl *page, const QString &name)
{
    for (const auto &row : page->transferList()->rows())
        if (QFileInfo(row->filePath()).fileName() == name)
            return row;
    return nullptr;
}

struct App
{
    App()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        AppDelegate::initializeClass();
        delegate = std::make_unique<AppDelegate>();
        delegate->launch();
        ctrl = delegate->mainWindowCtrl();
    }
    TransferViewCtrl *page() const { return dynamic_cast<TransferViewCtrl *>(ctrl->page(ShellRegistry::Transfer)); }
    std::unique_ptr<AppDelegate> delegate;
    MainWindowCtrl *ctrl = nullptr;
};

TEST(TransferPageEndToEnd, FakePhoneTakesHandedOverFilesAndWaitingRowsComeBack)
{
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir media;
    const QString avi = MediaFixtures::makeClip(media.path(), "holiday clip.avi", {1.0, "320x240"});
    const QString mp4 = MediaFixtures::makeClip(media.path(), "ready.mp4", {1.0, "320x240"});
    const QString empty = emptyFile(media.path(), "empty.mp4");
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_FALSE(mp4.isEmpty());

    Dexmoor manager;
    auto backend = std::make_shared<FakeDeviceBackend>();
    manager.addBackend(backend);
    manager.startDexmoorListen();
    ThumbnailServerWraper thumbnails(false);
    const QString waitList = media.filePath("WaitTransfer.plist");
    ShellRegistry::registerPage(ShellRegistry::Transfer,
                                [&] { return std::make_unique<TransferViewCtrl>(&manager, &thumbnails, waitList); });
    App app;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app.ctrl->window()));
    app.ctrl->gotoPage(ShellRegistry::Transfer);
    TransferViewCtrl *page = app.page();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->bodyContent(), page->connectionFlow()->view());

    // Handed over while no phone is there: they wait, and the banner says so.
    handOver({avi, mp4, empty});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->transferList()->rows().size() == 3; }));
    EXPECT_TRUE(page->waitBanner()->isVisible());
    EXPECT_TRUE(page->waitBannerText()->text().startsWith("3 file"));

    ScriptedPhone phone;
    backend->plug(phone.device);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->bodyContent() == page->transferList()->view(); }, 10000));
    EXPECT_FALSE(page->waitBanner()->isVisible());
    EXPECT_TRUE(page->transferAllButton()->isVisible());

    QTest::mouseClick(page->transferAllButton(), Qt::LeftButton);
    EXPECT_TRUE(page->isHasTask());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !page->isHasTask(); }, 240000));

    const auto converted = rowNamed(page, "holiday clip.avi");
    const auto ready = rowNamed(page, "ready.mp4");
    const auto failed = rowNamed(page, "empty.mp4");
    ASSERT_TRUE(converted && ready && failed);
    EXPECT_EQ(converted->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(ready->taskStatus(), DownloadedItem::TaskFinished);
    EXPECT_EQ(failed->taskStatus(), DownloadedItem::TaskFailed);
    const QString video = QStringLiteral("/storage/emulated/0/Video/");
    EXPECT_TRUE(QFileInfo(phone.local(video + "holiday clip.mp4")).isFile()) << "converted, then written";
    EXPECT_EQ(QFileInfo(phone.local(video + "ready.mp4")).size(), QFileInfo(mp4).size());
    EXPECT_FALSE(QFileInfo::exists(phone.local(video + "empty.mp4")));
    EXPECT_TRUE(MediaFixtures::probe(phone.local(video + "holiday clip.mp4")).value("format").toMap().value("format_name").toString().contains("mp4"));

    // The rows show how it went; the failed one says why.
    DownloadNode::Ptr failedNode;
    for (const auto &node : page->transferList()->nodes())
        if (node->downloadItem() == failed)
            failedNode = node;
    ASSERT_TRUE(failedNode);
    const auto failedRow = failedNode->downloadingItemViewCtr<DownloadedItemViewCtrl>();
    ASSERT_TRUE(failedRow);
    failedRow->view();
    failedRow->displayViewCtroller(failed);
    EXPECT_EQ(failedRow->taskResultText(), "Failed to transfer file. The file is empty.");

    // A rebuilt page reads back the row that still waits (the failed one), not the done ones.
    // Each finished waiting row saves the list once its news reach the main thread.
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return TransferManagerViewCtrl::readWaitList(waitList).size() == 1; }));
    app.ctrl->gotoPage(ShellRegistry::Download);
    TransferViewCtrl rebuilt(&manager, &thumbnails, waitList);
    QStringList names;
    for (const auto &row : rebuilt.transferList()->rows())
        names << QFileInfo(row->filePath()).fileName();
    EXPECT_EQ(names, QStringList{"empty.mp4"});
    backend->pull(phone.device);
    manager.stopListen();
}

TEST(TransferPageEndToEnd, ThroughFakeAdbTheFileArrivesOnThePhone)
{
    AdbDeviceHarness adb;
    if (!adb.skipReason().isEmpty())
        GTEST_SKIP() << adb.skipReason().toStdString();
    QTemporaryDir media;
    const QString song = media.filePath("song.mp3");
    {
        QFile f(song);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 's'));
    }
    // The application as shipped: its page and its device manager, started once the window
    // has loaded, with only the fake adb program to find.
    qputenv("FENNIX_DEMO_DEVICES", "");
    registerTransferPage();
    App app;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app.ctrl->window()));
    app.ctrl->gotoPage(ShellRegistry::Transfer);
    TransferViewCtrl *page = app.page();
    ASSERT_TRUE(page);
    ASSERT_TRUE(TestEnvironment::waitFor([] { return Dexmoor::defaultManager().isListening(); }, 10000));
    adb.plug();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->bodyContent() == page->transferList()->view(); }, 20000));
    EXPECT_TRUE(page->titleLabel()->text().endsWith("is connected!"));

    handOver({song});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return page->transferList()->rows().size() == 1; }));
    QTest::mouseClick(page->transferAllButton(), Qt::LeftButton);
    const auto row = page->transferList()->rows().first();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return row->taskStatus() == DownloadedItem::TaskFinished
                                                      || row->taskStatus() == DownloadedItem::TaskFailed; },
                                         60000));
    EXPECT_EQ(row->taskStatus(), DownloadedItem::TaskFinished) << row->taskFinishStr().toStdString();
    const QString arrived = adb.localFile(QStringLiteral("/storage/emulated/0/Music/song.mp3"));
    ASSERT_TRUE(QFileInfo(arrived).isFile());
    EXPECT_EQ(QFileInfo(arrived).size(), 4096);
    Dexmoor::defaultManager().stopListen();
}

} // namespace
