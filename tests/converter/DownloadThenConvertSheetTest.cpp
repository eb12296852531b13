// The Download page's "Download then Convert" switch opens the converter's output-format sheet,
// and the choice made there converts the next finished download.
#include "PresetFixtures.h"
#include "SilentReelgrab.h"

#include "controls/AFSwitchControl.h"
#include "converter/CascadePanel.h"
#include "converter/ConvFromatController.h"
#include "converter/ConverterGlobal.h"
#include "converter/ConverterPageRegistration.h"
#include "converter/ConverterViewCtrl.h"
#include "converter/EncFormatMgr.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DownloadPageRegistration.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadingViewCtr.h"
#include "library/DownloadedViewCtrl.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"
#include "support/TestEnvironment.h"
#include "tools/swiftcarry/MediaFixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DownloadThenConvertSheet, TheSwitchAsksThisSheetAndItsChoiceConvertsTheNextDownload)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("Downloads")));
    const QString clip = MediaFixtures::makeClip(dir.filePath(QStringLiteral("Downloads")), QStringLiteral("talk.mp4"),
                                                 {1.0, QStringLiteral("320x240")});
    if (clip.isEmpty())
        GTEST_SKIP() << "ffmpeg could not make the clip";
    SilentReelgrab::use();
    const QString file = PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), PresetFixtures::sheetCatalogue());
    g_formatMgr = EncFormatMgr::initWithFile(file, dir.filePath(QStringLiteral("CustomFormat.pro")));
    ASSERT_TRUE(g_formatMgr);
    UserDefaults::standard().setBool(QStringLiteral("values.DownAndConvertOneMode"), false);
    registerConverterPage();

    ASSERT_TRUE(DataBaseManager::defaultManager().loadDataBase());
    auto libraryOwned = std::make_unique<DownloadedViewCtrl>();
    DownloadedViewCtrl *library = libraryOwned.get();
    auto page = std::make_unique<DownloadViewCtrl>(std::move(libraryOwned));
    page->view()->resize(1000, 600);
    page->view()->show();

    // Turning the switch on opens the converter's sheet, window-modal over the page.
    AFSwitchControl *toggle = page->convertSwitch();
    const QPointF at(5, toggle->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, toggle->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(toggle, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, toggle->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(toggle, &release);
    ASSERT_TRUE(page->formatSheet());
    auto *sheet = qobject_cast<ConvFromatController *>(page->formatSheet()->sheetWidget());
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(sheet->isOneMode());
    EXPECT_EQ(toggle->state(), 0) << "on only once a format is chosen";

    sheet->formatControl()->setSelSubItemID(100, 8); // MP3, 320 kbps
    sheet->clickDone();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(toggle->state(), 1);
    EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("values.DownAndConvertOneMode")));

    // The next finished download is converted with that choice and takes the MP3's place.
    QVReelgrabTask task;
    task.setTargetFileName(clip);
    const auto item = library->addNodeByReelgrabTask(&task);
    ASSERT_TRUE(item);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->taskStatus() >= DownloadedItem::TaskFinished; }, 120000));
    EXPECT_EQ(item->taskStatus(), quint32(DownloadedItem::TaskFinished));
    const QString converted = QFileInfo(clip).path() + QStringLiteral("/talk.mp3");
    EXPECT_EQ(item->filePath(), converted);
    const QVariantMap probe = MediaFixtures::probe(converted);
    EXPECT_EQ(MediaFixtures::codecNames(probe), QStringList{QStringLiteral("mp3")});

    page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
    page.reset();
    setFormatSheetFactory({});
    UserDefaults::standard().setBool(QStringLiteral("values.DownAndConvertOneMode"), false);
    g_formatMgr.reset();
    SilentReelgrab::release();
}

// The library's "Add to Convert List" reaches the page as the main window hands it over: the
// notification's array becomes rows, and files gone from disk are left out.
TEST(LibraryHandOff, SelectedLibraryItemsBecomeRows)
{
    QTemporaryDir dir;
    const QString here = dir.filePath(QStringLiteral("here.mp4"));
    {
        QFile f(here);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    ASSERT_TRUE(DataBaseManager::defaultManager().loadDataBase());
    DownloadedViewCtrl library;
    library.view()->resize(900, 500);
    for (const QString &path : {here, dir.filePath(QStringLiteral("gone.mp4"))}) {
        auto item = std::make_shared<DownloadedItem>();
        item->setFilePath(path);
        library.addDownloadNodeWithItem(item);
    }
    library.refreshDownloadedTableView();
    library.selectRows({0, 1});

    ThumbnailServerWraper thumbnails(false);
    ConverterViewCtrl page(&thumbnails);
    page.view();
    QObject owner;
    NotificationCenter::defaultCenter().addObserver(&owner, QStringLiteral("AddToConverterNotification"),
                                                    [&](const Notification &n) { page.addConverterFiles(n.object.toList()); });
    library.converterItem(nullptr);
    ASSERT_EQ(page.converlist().size(), 1);
    EXPECT_EQ(page.converlist()[0]->downloadItem()->filePath(), here);
    EXPECT_EQ(page.stateText(), QStringLiteral("1 items"));
}
