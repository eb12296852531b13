// The library inside the Download page: the library tab's buttons reach the library's
// selection, the page waits for the library's conversions, the scheduler hears of a finished
// download once; the arrow pop-ups and the device-transfer menu item; a picture of the tab.
#include "LibraryStoreFixture.h"

#include "library/DownloadedViewCtrl.h"
#include "library/ThumbnailServerWraper.h"

#include "controls/DownloadTableView.h"
#include "controls/MGHoverButton.h"
#include "controls/MGSearchFieldCell.h"
#include "controls/MTArrowPopView.h"
#include "controls/SuggestionWindow.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DatabaseLibraryHandoff.h"
#include "downloads/DeleteModalWindowCtr.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "reelgrab/QVReelgrabTask.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QStatusBar>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

struct Entry
{
    QString name{};        // file name without extension
    bool file = true;      // a file exists at the path
    QString playlist{};    // play-list identifier
    int index = 0;
    qint32 status = 0;     // 1: converting in the library's own queue
};

class DownloadPageLibrary : public LibraryStoreFixture
{
protected:
    DownloadPageLibrary() : LibraryStoreFixture(QStringLiteral("libtab-")) {}

    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        if (HasFatalFailure())
            return;
        UserDefaults::standard().setBool(QStringLiteral("values.DownAndConvertOneMode"), false);
        Workspace::setHookForTesting([this](const QString &action, const QStringList &targets) {
            m_desktop << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
            return true;
        });
        NotificationCenter::defaultCenter().addObserver(&m_observer, QStringLiteral("AddToConverterNotification"),
                                                        [this](const Notification &n) {
                                                            m_converted << int(n.object.toList().size());
                                                        });
        NotificationCenter::defaultCenter().addObserver(&m_observer, QStringLiteral("AddToTransferNotification"),
                                                        [this](const Notification &n) {
                                                            m_transferred << int(n.object.toList().size());
                                                        });
        NotificationCenter::defaultCenter().addObserver(&m_observer, QStringLiteral("TimeForScheduledTask"),
                                                        [this](const Notification &) { ++m_scheduled; });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(&m_observer);
        DeleteModalWindowCtr::setRunHookForTesting(nullptr);
        Workspace::setHookForTesting(nullptr);
        m_page.reset();
        LibraryStoreFixture::TearDown();
    }

    QString pathOf(const QString &name) const { return m_folder + QLatin1Char('/') + name + QStringLiteral(".mp4"); }

    void store(const QList<Entry> &entries)
    {
        for (const Entry &e : entries) {
            DownloadedItem item;
            item.setFilePath(pathOf(e.name));
            item.setPageURL(QStringLiteral("https://example.org/") + e.name);
            item.setTime(61 + e.index);
            item.setVideoSize(5 * 1024 * 1024);
            item.setResolution(720);
            item.setStatus(e.status);
            item.setAddDate(QDateTime::currentDateTimeUtc());
            if (!e.playlist.isEmpty()) {
                item.setPlaylistName(QStringLiteral("Holiday films"));
                item.setPlaylistUId(e.playlist);
                item.setPlaylistIndex(e.index);
            }
            if (m_withThumbnails) {
                // A picture per item, as the thumbnail service leaves them.
                QImage picture(160, 90, QImage::Format_RGB32);
                QLinearGradient sky(0, 0, 0, 90);
                const int hue = int(e.name.size() * 37 % 360);
                sky.setColorAt(0, QColor::fromHsv(hue, 90, 230));
                sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 120));
                QPainter p(&picture);
                p.fillRect(picture.rect(), sky);
                p.fillRect(QRect(0, 62, 160, 28), QColor::fromHsv((hue + 180) % 360, 120, 90));
                p.end();
                const QString thumb = m_folder + QLatin1Char('/') + e.name + QStringLiteral(".png");
                ASSERT_TRUE(picture.save(thumb));
                item.setThumbnailPath(thumb);
            }
            ASSERT_GE(m_db->insertDownloadedItem(item), 1);
            if (e.file) {
                QFile f(item.filePath());
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(4096, 'v'));
            }
        }
    }

    // The Download page over a library page of the stored rows, in a window.
    void open()
    {
        auto library = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
        m_library = library.get();
        m_page = std::make_unique<DownloadViewCtrl>(std::move(library), m_db->databasePath());
        m_window = std::make_unique<QMainWindow>();
        m_window->setCentralWidget(m_page->view());
        m_window->resize(1000, 620);
        m_window->show();
        m_page->switchDispalyContent(1);
        QCoreApplication::processEvents();
    }

    int rowNamed(const QString &name) const
    {
        const auto rows = m_library->displayNodeArr();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i]->downloadItem()->fileName() == name)
                return i;
        return -1;
    }

    static void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

    std::unique_ptr<DownloadViewCtrl> m_page;
    std::unique_ptr<QMainWindow> m_window;
    DownloadedViewCtrl *m_library = nullptr;
    QObject m_observer;
    QStringList m_desktop;
    QList<int> m_converted;
    QList<int> m_transferred;
    int m_scheduled = 0;
    bool m_withThumbnails = false;
};

TEST_F(DownloadPageLibrary, LibraryTabButtonsActOnTheLibrarySelection)
{
    struct Case
    {
        const char *name;
        QStringList selected;
        std::function<MGHoverButton *(DownloadViewCtrl &)> button;
        int deleteAnswer;        // the delete window's answer (-1: not asked)
        QStringList desktop;     // what reached the desktop (file names)
        QList<int> converted;    // items per "AddToConverterNotification"
        QStringList rowsAfter;
        QList<int> transferred{}; // items per "AddToTransferNotification"
    };
    const Case cases[] = {
        {"show in file manager", {"beta"}, [](DownloadViewCtrl &p) { return p.openItemPathButton(); }, -1, {"beta.mp4"}, {},
         {"alpha", "beta", "gamma"}},
        {"add two to the convert list", {"alpha", "gamma"}, [](DownloadViewCtrl &p) { return p.converterItemButton(); }, -1,
         {}, {2}, {"alpha", "beta", "gamma"}},
        {"add three to the transfer list", {"alpha", "beta", "gamma"},
         [](DownloadViewCtrl &p) { return p.transferItemButton(); }, -1, {}, {}, {"alpha", "beta", "gamma"}, {3}},
        {"delete asks and is cancelled", {"alpha"}, [](DownloadViewCtrl &p) { return p.deleteItemButton(); },
         DeleteModalWindowCtr::Cancel, {}, {}, {"alpha", "beta", "gamma"}},
        {"delete asks and removes the row", {"alpha"}, [](DownloadViewCtrl &p) { return p.deleteItemButton(); },
         DeleteModalWindowCtr::Delete, {}, {}, {"beta", "gamma"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        store({{QStringLiteral("alpha")}, {QStringLiteral("beta")}, {QStringLiteral("gamma")}});
        open();
        int asked = 0;
        DeleteModalWindowCtr::setRunHookForTesting([&](DeleteModalWindowCtr *w) {
            ++asked;
            QTimer::singleShot(0, w, [w, answer = c.deleteAnswer] {
                if (answer == DeleteModalWindowCtr::Cancel)
                    w->cancelButton();
                else
                    w->deleteButtion();
            });
        });
        QList<int> rows;
        for (const QString &name : c.selected)
            rows << rowNamed(name);
        m_library->selectRows(rows);
        m_desktop.clear();
        m_converted.clear();
        m_transferred.clear();
        MGHoverButton *button = c.button(*m_page);
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->isVisible());
        click(button);

        EXPECT_EQ(asked, c.deleteAnswer < 0 ? 0 : 1);
        QStringList revealed;
        for (const QString &line : std::as_const(m_desktop))
            revealed << line.section(QLatin1Char('/'), -1);
        EXPECT_EQ(revealed, c.desktop);
        EXPECT_EQ(m_converted, c.converted);
        EXPECT_EQ(m_transferred, c.transferred);
        QStringList after;
        for (const auto &node : m_library->displayNodeArr())
            after << node->downloadItem()->fileName();
        EXPECT_EQ(after, c.rowsAfter);
        const auto stored = m_db->getAllDownloadedItems();
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->size(), c.rowsAfter.size()) << "the database follows the list";

        DeleteModalWindowCtr::setRunHookForTesting(nullptr);
        m_window.reset();
        m_page.reset();
        for (const auto &item : *stored)
            m_db->deleteDownloadedItem(*item);
    }
}

TEST_F(DownloadPageLibrary, ThePagesSearchFieldFiltersTheLibrary)
{
    store({{QStringLiteral("Harbour at dawn")}, {QStringLiteral("Lecture on tides")}, {QStringLiteral("Harbour at night")}});
    open();
    ASSERT_TRUE(m_page->searchField());
    EXPECT_EQ(m_library->searchFeild(), m_page->searchField()) << "the library shows no field of its own";
    m_page->searchField()->setText(QStringLiteral("HARBOUR"));
    EXPECT_EQ(m_library->displayItemCount(), 2);
    m_page->searchField()->clear();
    EXPECT_EQ(m_library->displayItemCount(), 3);
}

TEST_F(DownloadPageLibrary, PageWaitsForTheLibrarysConversions)
{
    store({{QStringLiteral("plain")}, {QStringLiteral("converting"), true, QString(), 0, 1}});
    open();
    // A stored "converting" mark is read back as plain: nothing converts after a restart.
    EXPECT_FALSE(m_page->isHasTask());
    const auto node = m_library->displayNodeArr().value(rowNamed(QStringLiteral("converting")));
    ASSERT_TRUE(node);
    node->downloadItem()->setStatus(DownloadedItem::StatusMarkedForConvert);
    EXPECT_TRUE(m_library->hasConvertingTask());
    EXPECT_TRUE(m_page->isHasTask()) << "a conversion under way keeps a scheduled shut-down waiting";
    node->downloadItem()->setStatus(DownloadedItem::StatusConverted);
    EXPECT_FALSE(m_page->isHasTask());
}

// Whoever takes the finished download tells the scheduler, once; the page does not add its own.
TEST_F(DownloadPageLibrary, AFinishedDownloadTellsTheSchedulerOnce)
{
    struct Case
    {
        const char *name;
        bool libraryPage;
    };
    for (const Case c : {Case{"library page, file gone", true}, Case{"database only", false}}) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<LibraryHandoff> library;
        if (c.libraryPage)
            library = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
        else
            library = std::make_unique<DatabaseLibraryHandoff>(m_db.get());
        LibraryHandoff *handoff = library.get();
        DownloadViewCtrl page(std::move(library), m_db->databasePath());
        QVReelgrabTask task;
        task.setTargetFileName(m_folder + QStringLiteral("/vanished-") + QString::fromLatin1(c.name) + QStringLiteral(".mp4"));
        task.setPageUrl(QStringLiteral("https://example.org/finished"));
        m_scheduled = 0;
        const int before = handoff->displayItemCount();
        page.reelgrabTaskDidFinished(&task);
        EXPECT_EQ(handoff->displayItemCount(), before + 1);
        EXPECT_EQ(m_scheduled, 1);
    }
}

// A host that sends files to a device.
struct DeviceHost : DownloadedViewCtrlDelegate
{
    QString device;
    QList<QPair<QStringList, bool>> sent;
    bool answersTransferFileByItems() const override { return true; }
    QString deviceName() const override { return device; }
    void transferFileByItems(const QList<std::shared_ptr<DownloadedItem>> &items, bool isConverted) override
    {
        QStringList names;
        for (const auto &item : items)
            names << item->fileName();
        sent.append({names, isConverted});
    }
};

TEST_F(DownloadPageLibrary, TransferMenuItemFollowsTheDeviceAndTheConvertedFile)
{
    store({{QStringLiteral("clip")}, {QStringLiteral("song")}});
    open();
    DeviceHost host;
    m_library->setDelegate(&host);
    const QString converted = m_folder + QStringLiteral("/song_MP3.mp3");
    QFile f(converted);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mp3");
    f.close();
    const auto song = m_library->displayNodeArr().value(rowNamed(QStringLiteral("song")))->downloadItem();
    song->setStatus(DownloadedItem::StatusConverted);
    song->setCovertedFilePath(converted);

    struct Case
    {
        const char *name;
        QString device;
        QString row;
        QString title;
        bool submenu;
        QList<QPair<QStringList, bool>> sent; // after choosing the last entry
    };
    const Case cases[] = {
        {"mobile, plain item", QStringLiteral("mobile"), QStringLiteral("clip"), QStringLiteral("Transfer to mobile"), false,
         {{{QStringLiteral("clip")}, false}}},
        {"named device, plain item", QStringLiteral("Pixel 7"), QStringLiteral("clip"),
         QStringLiteral("Transfer to Pixel 7"), false, {{{QStringLiteral("clip")}, false}}},
        {"converted item offers both files", QStringLiteral("mobile"), QStringLiteral("song"),
         QStringLiteral("Transfer to mobile"), true, {{{QStringLiteral("song")}, true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        host.device = c.device;
        host.sent.clear();
        m_library->selectRows({rowNamed(c.row)});
        // Opening the menu twice leaves one transfer item at the top.
        m_library->menuWillOpen(m_library->contextMenu());
        m_library->menuWillOpen(m_library->contextMenu());
        const QList<QAction *> actions = m_library->contextMenu()->actions();
        int transferItems = 0;
        for (QAction *a : actions)
            transferItems += a->property("tag").toInt() == 5000;
        EXPECT_EQ(transferItems, 1);
        QAction *first = actions.first();
        EXPECT_EQ(first->property("tag").toInt(), 5000);
        EXPECT_EQ(first->text(), c.title);
        EXPECT_EQ(first->menu() != nullptr, c.submenu);
        QAction *chosen = first->menu() ? first->menu()->actions().last() : first;
        if (first->menu()) {
            QStringList titles;
            for (QAction *a : first->menu()->actions())
                titles << a->text();
            EXPECT_EQ(titles, (QStringList{QStringLiteral("Transfer downloaded file"), QStringLiteral("Transfer converted file")}));
        }
        chosen->trigger();
        EXPECT_EQ(host.sent, c.sent);
    }
    m_library->setDelegate(nullptr);
}

TEST_F(DownloadPageLibrary, ShowFileAndTransferButtonsAskWithAPopUpOrActAtOnce)
{
    store({{QStringLiteral("clip")}, {QStringLiteral("film")}});
    open();
    DeviceHost host;
    m_library->setDelegate(&host);
    QWidget showFile, transfer;
    m_library->setShowFileButton(&showFile);
    m_library->setTransferFileButton(&transfer);
    QWidget rowButton;
    const int row = rowNamed(QStringLiteral("film"));
    rowButton.setProperty("tag", row);

    struct Case
    {
        const char *name;
        bool transferButton;
        QString tip;             // the page button's tool tip
        QStringList popUpRows;   // empty: no pop-up
        int choose;              // pop-up row to click
        QStringList desktop;     // reveals (file names)
        int transfers;           // device transfers made
    };
    const Case cases[] = {
        {"show file, no tip: pop-up", false, QString(), {"Show converted file", "Show downloaded file"}, 0, {"film.mp4"}, 0},
        {"show file, tip: reveal at once", false, QStringLiteral("Show in Folder"), {}, -1, {"film.mp4"}, 0},
        {"transfer, no tip: pop-up", true, QString(), {"Transfer converted file", "Transfer downloaded file"}, 0, {}, 1},
        {"transfer, tip: at once", true, QStringLiteral("Transfer"), {}, -1, {}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        (c.transferButton ? transfer : showFile).setToolTip(c.tip);
        m_desktop.clear();
        host.sent.clear();
        m_library->selectRows({});
        if (c.transferButton)
            m_library->transferButtonDidClicked(&rowButton);
        else
            m_library->clickShowFileButton(&rowButton);
        EXPECT_EQ(m_library->selectedRows(), QList<int>{row});
        SuggestionWindow *window = m_library->popUpWindow();
        EXPECT_EQ(window != nullptr && window->isVisible(), !c.popUpRows.isEmpty());
        if (!c.popUpRows.isEmpty()) {
            ASSERT_TRUE(window);
            auto *pop = window->findChild<MTArrowPopView *>();
            ASSERT_TRUE(pop);
            EXPECT_EQ(pop->rows(), c.popUpRows);
            EXPECT_EQ(pop->type(), c.transferButton ? 0 : 1);
            EXPECT_EQ(window->size(), QSize(c.transferButton ? 274 : 260, 80));
            emit pop->didClickAtRow(pop, c.choose, pop->type());
            QCoreApplication::processEvents();
            EXPECT_TRUE(!m_library->popUpWindow() || !m_library->popUpWindow()->isVisible()) << "a choice closes it";
        }
        QStringList revealed;
        for (const QString &line : std::as_const(m_desktop))
            revealed << line.section(QLatin1Char('/'), -1);
        EXPECT_EQ(revealed, c.desktop);
        EXPECT_EQ(host.sent.size(), c.transfers);
    }
    // A button that names no row does nothing.
    QWidget stray;
    stray.setProperty("tag", 99);
    m_library->clickShowFileButton(&stray);
    m_library->transferButtonDidClicked(nullptr);
    m_library->setDelegate(nullptr);
}

TEST_F(DownloadPageLibrary, SortMarksFollowTheStoredCodesWhateverTheTitles)
{
    store({{QStringLiteral("clip")}});
    open();
    struct Case
    {
        QString key, order;
        QStringList on;
    };
    const Case cases[] = {
        {QStringLiteral("Size"), QStringLiteral("Descending"), {"Size", "Descending"}},
        {QStringLiteral("Site"), QStringLiteral("Ascending"), {"Site", "Ascending"}},
    };
    QMenu *sort = m_library->sortMenu();
    ASSERT_TRUE(sort);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        UserDefaults::standard().setString(QStringLiteral("SortByKey"), c.key);
        UserDefaults::standard().setString(QStringLiteral("SortByOrder"), c.order);
        for (QAction *a : sort->actions()) {
            a->setChecked(false);
            // A translation whose titles read like other codes must not confuse the marks.
            if (!a->data().toString().isEmpty())
                a->setText(a->data().toString() == QLatin1String("Name") ? c.key : QStringLiteral("x"));
        }
        m_library->menuWillOpen(m_library->contextMenu());
        QStringList on;
        for (QAction *a : sort->actions())
            if (a->isChecked())
                on << a->data().toString();
        EXPECT_EQ(on, c.on);
    }
}

// The Downloaded tab with a play list, a converting row and a missing file, as a picture.
TEST_F(DownloadPageLibrary, PictureOfTheDownloadedTab)
{
    m_withThumbnails = true;
    store({{QStringLiteral("Harbour at dawn"), true, QStringLiteral("P1"), 1},
           {QStringLiteral("Harbour at noon"), true, QStringLiteral("P1"), 2},
           {QStringLiteral("Harbour at night"), true, QStringLiteral("P1"), 3},
           {QStringLiteral("Lecture on tides")},
           {QStringLiteral("Moved away"), false}});
    open();
    QLabel status;
    m_page->setStateInfoLable(&status);
    m_window->statusBar()->addWidget(&status);
    const auto lecture = m_library->displayNodeArr().value(rowNamed(QStringLiteral("Lecture on tides")));
    ASSERT_TRUE(lecture);
    const auto item = lecture->downloadItem();
    // As the library's queue does for a conversion it starts: the node hears the job's news.
    item->addDelegate(lecture);
    item->setStatus(DownloadedItem::StatusMarkedForConvert);
    item->setTaskStatus(DownloadedItem::TaskRunning);
    item->setPercent(42);
    item->setTaskStateStr(DownloadedItem::remainingTimeText(95));
    item->sendTaskDidChangeState();
    item->sendTaskProgressChanged(42);
    const int header = rowNamed(QStringLiteral("Harbour at dawn"));
    ASSERT_GE(header, 0);
    m_library->selectRows({header});
    m_library->clickExpandMenuItem();
    m_library->selectRows({rowNamed(QStringLiteral("Lecture on tides"))});
    QCoreApplication::processEvents();
    EXPECT_EQ(m_library->displayItemCount(), 5);
    EXPECT_EQ(status.text(), QStringLiteral("5 items"));
    const auto missing = m_library->rowForNode(m_library->displayNodeArr().value(rowNamed(QStringLiteral("Moved away"))));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->isLocalFileShownMissing());
    EXPECT_TRUE(m_library->rowForNode(lecture)->isShowingTaskFace());

    const QImage picture = m_window->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    QDir().mkpath(QStringLiteral(LIBRARY_GRAB_DIR));
    EXPECT_TRUE(picture.save(QStringLiteral(LIBRARY_GRAB_DIR "/DownloadedTab.png")));
}

} // namespace
