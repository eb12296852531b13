// The library page's model: refresh with play lists and search, sorting, the stored sort
// choice, the selection across a sort, and the library across a restart.
#include "LibraryStoreFixture.h"
#include "RowTitleMenu.h"

#include "library/DownloadedViewCtrl.h"
#include "library/LibrarySearchFilter.h"
#include "library/ThumbnailServerWraper.h"

#include "controls/DownloadTableView.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedItem.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct Entry
{
    QString name{};            // file name without extension
    QString playlist{};        // play-list identifier; empty: not in a play list
    int index = 0;             // position in the play list
    qint64 time = 0;
    qint64 size = 0;
    QString page{};            // page address
    int ageSeconds = 0;        // added this many seconds ago
};

class LibraryPageTest : public LibraryStoreFixture
{
protected:
    LibraryPageTest() : LibraryStoreFixture(QStringLiteral("lib-")) {}

    void TearDown() override
    {
        m_page.reset();
        LibraryStoreFixture::TearDown();
    }

    void store(const QList<Entry> &entries)
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (const Entry &e : entries) {
            DownloadedItem item;
            item.setFilePath(m_folder + QLatin1Char('/') + e.name + QStringLiteral(".mp4"));
            item.setPageURL(e.page);
            item.setTime(e.time);
            item.setVideoSize(e.size);
            item.setAddDate(now.addSecs(-e.ageSeconds));
            if (!e.playlist.isEmpty()) {
                item.setPlaylistName(QStringLiteral("List ") + e.playlist);
                item.setPlaylistUId(e.playlist);
                item.setPlaylistIndex(e.index);
            }
            ASSERT_GE(m_db->insertDownloadedItem(item), 1);
        }
    }

    DownloadedViewCtrl &open()
    {
        m_page = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
        m_page->view()->resize(800, 600);
        return *m_page;
    }

    QStringList rows() const
    {
        QStringList names;
        for (const DownloadNode::Ptr &node : m_page->displayNodeArr())
            names << node->downloadItem()->fileName();
        return names;
    }

    void search(const QString &text) { m_page->searchFeild()->setText(text); }

    std::unique_ptr<DownloadedViewCtrl> m_page;
};

DownloadNode::Ptr groupOf(const DownloadedViewCtrl &page, const QString &id)
{
    for (const DownloadNode::Ptr &group : page.playlistNodeArray())
        if (group->playlistID() == id)
            return group;
    return nullptr;
}

TEST_F(LibraryPageTest, RefreshGroupsPlaylistsFiltersAndCounts)
{
    struct Case
    {
        const char *what;
        bool expanded;
        QString search;
        QStringList rows;
        QString header; // the row heading the play list, empty when none shows
        int count;
    };
    // Stored out of play-list order on purpose.
    const QList<Entry> library = {{QStringLiteral("m3 gamma"), QStringLiteral("P"), 3},
                                  {QStringLiteral("m1 alpha"), QStringLiteral("P"), 1},
                                  {QStringLiteral("m2 beta"), QStringLiteral("P"), 2},
                                  {QStringLiteral("solo"), QString(), 0},
                                  {QStringLiteral("it's a\\b"), QString(), 0}};
    const QList<Case> cases = {
        // A header sorts by play-list name + its own name: "List Pm1 alpha".
        {"collapsed: lowest index heads, all counted", false, QString(),
         {QStringLiteral("m1 alpha"), QStringLiteral("it's a\\b"), QStringLiteral("solo")}, QStringLiteral("m1 alpha"), 5},
        {"expanded: members follow the header in index order", true, QString(),
         {QStringLiteral("m1 alpha"), QStringLiteral("m2 beta"), QStringLiteral("m3 gamma"), QStringLiteral("it's a\\b"),
          QStringLiteral("solo")},
         QStringLiteral("m1 alpha"), 5},
        {"search matching only the second member makes it the header", false, QStringLiteral("beta"),
         {QStringLiteral("m2 beta")}, QStringLiteral("m2 beta"), 1},
        {"search matching every member of a collapsed list", false, QStringLiteral("a"),
         {QStringLiteral("m1 alpha"), QStringLiteral("it's a\\b")}, QStringLiteral("m1 alpha"), 4},
        {"blank search shows everything", false, QStringLiteral("   "),
         {QStringLiteral("m1 alpha"), QStringLiteral("it's a\\b"), QStringLiteral("solo")}, QStringLiteral("m1 alpha"), 5},
        {"single quote filters literally", false, QStringLiteral("'"), {QStringLiteral("it's a\\b")}, QString(), 1},
        {"backslash filters literally", false, QStringLiteral("a\\b"), {QStringLiteral("it's a\\b")}, QString(), 1},
        {"no match", false, QStringLiteral("zzz"), {}, QString(), 0},
    };
    store(library);
    DownloadedViewCtrl &page = open();
    ASSERT_EQ(page.playlistNodeArray().size(), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        groupOf(page, QStringLiteral("P"))->setIsExtend(c.expanded);
        search(QString());
        search(c.search);
        page.refreshDownloadedTableView();
        EXPECT_EQ(rows(), c.rows);
        EXPECT_EQ(page.displayItemCount(), c.count);
        QString header;
        for (const DownloadNode::Ptr &node : page.displayNodeArr())
            if (node->isPlaylistNode())
                header = node->downloadItem()->fileName();
        EXPECT_EQ(header, c.header);
        EXPECT_EQ(page.tableView()->model()->rowCount(), c.rows.size());
        for (int i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(page.tableView()->rowHeight(i), page.displayNodeArr()[i]->isPlaylistNode() ? 117 : 81) << i;
    }
    // Every item node is in the node list exactly once, whatever was shown.
    EXPECT_EQ(page.downloadedNodeArr().size(), library.size());
    EXPECT_EQ(page.getPlaylistCountByID(QStringLiteral("P")), 3);
    EXPECT_EQ(page.getPlaylistCountByID(QStringLiteral("nope")), 0);
}

TEST_F(LibraryPageTest, SortsByEveryKeyInBothDirections)
{
    struct Case
    {
        const char *key;
        const char *order;
        QStringList rows;
    };
    // A play list (P: two members, 10+20 s, 5+50 bytes, added 100 and 1 s ago) beside three
    // single items; the header stands for the sums and the earliest date of its members.
    store({{QStringLiteral("b"), QString(), 0, 40, 40, QStringLiteral("https://beta.example/v"), 30},
           {QStringLiteral("c"), QString(), 0, 25, 70, QString(), 10},
           {QStringLiteral("a"), QString(), 0, 5, 60, QStringLiteral("https://alpha.example/v"), 50},
           {QStringLiteral("p1"), QStringLiteral("P"), 1, 10, 5, QStringLiteral("https://zed.example/x"), 1},
           {QStringLiteral("p2"), QStringLiteral("P"), 2, 20, 50, QStringLiteral("https://zed.example/y"), 100}});
    const QStringList abc = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QList<Case> cases = {
        // Header name is play-list name + item name: "List Pp1".
        {"Name", "Ascending", {QStringLiteral("List Pp1"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"Name", "Descending", {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("List Pp1")}},
        {"Date", "Ascending", {QStringLiteral("List Pp1"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"Date", "Descending", {QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("List Pp1")}},
        {"Length", "Ascending", {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("List Pp1"), QStringLiteral("b")}},
        {"Length", "Descending", {QStringLiteral("b"), QStringLiteral("List Pp1"), QStringLiteral("c"), QStringLiteral("a")}},
        {"Size", "Ascending", {QStringLiteral("b"), QStringLiteral("List Pp1"), QStringLiteral("a"), QStringLiteral("c")}},
        {"Size", "Descending", {QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("List Pp1"), QStringLiteral("b")}},
        // No address: empty host, gathered at one end.
        {"Site", "Ascending", {QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("List Pp1")}},
        {"Site", "Descending", {QStringLiteral("List Pp1"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}},
    };
    DownloadedViewCtrl &page = open();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.order);
        UserDefaults::standard().setString(QStringLiteral("SortByKey"), QString::fromLatin1(c.key));
        UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QString::fromLatin1(c.order));
        page.refreshDownloadedTableView();
        QStringList got;
        for (const DownloadNode::Ptr &node : page.displayNodeArr())
            got << node->fileName();
        EXPECT_EQ(got, c.rows);
    }
    // Expanded, members follow their header whatever the key; only headers and items move.
    groupOf(page, QStringLiteral("P"))->setIsExtend(true);
    UserDefaults::standard().setString(QStringLiteral("SortByKey"), QStringLiteral("Length"));
    UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QStringLiteral("Descending"));
    page.refreshDownloadedTableView();
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("b"), QStringLiteral("p1"), QStringLiteral("p2"), QStringLiteral("c"),
                                   QStringLiteral("a")}));
    // The node list keeps database order whatever the rows show.
    QStringList stored;
    for (const DownloadNode::Ptr &node : page.downloadedNodeArr())
        stored << node->downloadItem()->fileName();
    EXPECT_EQ(stored, (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("p1"),
                                   QStringLiteral("p2")}));
}

TEST_F(LibraryPageTest, StoredKeyOutsideTheMenuResetsToDateDescending)
{
    store({{QStringLiteral("old"), QString(), 0, 1, 1, QString(), 300},
           {QStringLiteral("new"), QString(), 0, 1, 1, QString(), 1},
           {QStringLiteral("mid"), QString(), 0, 1, 1, QString(), 100}});
    DownloadedViewCtrl &page = open();
    for (const QString &bad : {QStringLiteral("Format"), QStringLiteral("Resolution"), QStringLiteral("Größe"),
                               QString(), QStringLiteral("date")}) {
        SCOPED_TRACE(bad.toStdString());
        UserDefaults::standard().setString(QStringLiteral("SortByKey"), bad);
        UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QStringLiteral("Ascending"));
        page.refreshDownloadedTableView();
        EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("SortByKey")), QStringLiteral("Date"));
        EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("SortByOrder")), QStringLiteral("Descending"));
        EXPECT_EQ(rows(), (QStringList{QStringLiteral("new"), QStringLiteral("mid"), QStringLiteral("old")}));
    }
    // Any order text but "Ascending" sorts descending.
    UserDefaults::standard().setString(QStringLiteral("SortByKey"), QStringLiteral("Date"));
    UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QStringLiteral("sideways"));
    page.refreshDownloadedTableView();
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("new"), QStringLiteral("mid"), QStringLiteral("old")}));
}

TEST_F(LibraryPageTest, MenuSortKeepsTheSelectedFilesAndTheCheckMarks)
{
    store({{QStringLiteral("a"), QString(), 0, 3, 1, QString(), 3},
           {QStringLiteral("b"), QString(), 0, 1, 1, QString(), 2},
           {QStringLiteral("c"), QString(), 0, 2, 1, QString(), 1},
           {QStringLiteral("d"), QString(), 0, 4, 1, QString(), 4}});
    DownloadedViewCtrl &page = open();
    ASSERT_EQ(rows(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    page.selectRows({0, 2}); // a and c
    QAction *byLength = page.menuItem(QStringLiteral("sortByLength:"));
    ASSERT_NE(byLength, nullptr);
    byLength->trigger();
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("d")}));
    EXPECT_EQ(page.selectedRows(), (QList<int>{1, 2}));
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("SortByKey")), QStringLiteral("Length"));
    EXPECT_TRUE(byLength->isChecked());
    EXPECT_FALSE(page.menuItem(QStringLiteral("sortByName:"))->isChecked());

    // The direction re-runs the checked key on the next pass and keeps it checked.
    page.menuItem(QStringLiteral("Descending:"))->trigger();
    TestEnvironment::waitFor([&] { return rows().constFirst() == QLatin1String("d"); }, 2000);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("d"), QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")}));
    EXPECT_EQ(page.selectedRows(), (QList<int>{1, 2}));
    EXPECT_TRUE(byLength->isChecked());
    EXPECT_TRUE(page.menuItem(QStringLiteral("Descending:"))->isChecked());
    EXPECT_FALSE(page.menuItem(QStringLiteral("Ascending:"))->isChecked());
    EXPECT_EQ(UserDefaults::standard().stringForKey(QStringLiteral("SortByOrder")), QStringLiteral("Descending"));

    // Nothing selected stays nothing selected.
    page.selectRows({});
    page.menuItem(QStringLiteral("sortBySize:"))->trigger();
    EXPECT_TRUE(page.selectedRows().isEmpty());
}

TEST_F(LibraryPageTest, SearchIgnoresCaseAndAccents)
{
    struct Case
    {
        QString name;
        QString search;
        bool match;
    };
    const QList<Case> cases = {
        {QStringLiteral("Café Noir"), QStringLiteral("cafe"), true},
        {QStringLiteral("CAFÉ"), QStringLiteral("café"), true},
        {QStringLiteral("cafe"), QStringLiteral("CAFÉ"), true},
        {QStringLiteral("Naïve Señor"), QStringLiteral("NAIVE senor"), true},
        {QStringLiteral("Die Straße"), QStringLiteral("strasse"), true},
        {QStringLiteral("Ørsted"), QStringLiteral("orsted"), true},
        {QStringLiteral("Ｆｕｌｌ"), QStringLiteral("full"), true},
        {QStringLiteral("Ελληνικά"), QStringLiteral("ελληνικα"), true},
        {QStringLiteral("abc"), QStringLiteral("abd"), false},
        {QStringLiteral("résumé"), QStringLiteral("resume!"), false},
    };
    LibrarySearchFilter filter;
    for (const Case &c : cases) {
        SCOPED_TRACE((c.name + QStringLiteral(" / ") + c.search).toStdString());
        filter.setSearchText(c.search);
        EXPECT_EQ(filter.matches(c.name), c.match);
    }

    // Through the page and its search field.
    store({{QStringLiteral("Café Noir")}, {QStringLiteral("Tea")}, {QStringLiteral("ÉCLAIR")}});
    open();
    search(QStringLiteral("  e\u0301clair "));
    EXPECT_EQ(rows(), QStringList{QStringLiteral("ÉCLAIR")});
    search(QStringLiteral("CAFE"));
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Café Noir")});
    search(QString());
    EXPECT_EQ(rows().size(), 3);
}

TEST_F(LibraryPageTest, EmptyLibraryCountsZeroAndTellsTheHost)
{
    struct Host : DownloadedViewCtrlDelegate
    {
        int told = 0;
        void downloadedItemCountDidChange() override { ++told; }
    } host;
    DownloadedViewCtrl &page = open();
    page.setDelegate(&host);
    page.refreshDownloadedTableView();
    EXPECT_EQ(page.displayItemCount(), 0);
    EXPECT_EQ(host.told, 1);
    EXPECT_TRUE(page.displayNodeArr().isEmpty());
    page.setDelegate(nullptr);
}

TEST_F(LibraryPageTest, FinishedDownloadWithMissingFileIsRecordedAndSurvivesRestart)
{
    store({{QStringLiteral("kept"), QStringLiteral("L"), 2, 60, 1000, QStringLiteral("https://a.example/1"), 50}});
    {
        DownloadedViewCtrl &page = open();
        QVReelgrabTask task;
        task.setTargetFileName(m_folder + QStringLiteral("/gone.webm"));
        task.setPageUrl(QStringLiteral("https://a.example/2"));
        task.setPlaylistName(QStringLiteral("List L"));
        task.setPlaylistUUID(QStringLiteral("L"));
        task.setIndexInPlaylist(1);
        task.setExpectMediaQuality(2147483647);
        const auto item = page.addNodeByReelgrabTask(&task);
        ASSERT_TRUE(item);
        EXPECT_GE(item->downloadID(), 1);
        EXPECT_EQ(item->resolution(), 0);
        EXPECT_EQ(item->videoPaths(), QStringList{m_folder + QStringLiteral("/gone.webm")});
        // New at the front of the node list; lower index: it heads the play list now.
        EXPECT_EQ(page.downloadedNodeArr().constFirst()->downloadItem(), item);
        EXPECT_EQ(page.displayItemCount(), 2);
        ASSERT_EQ(page.displayNodeArr().size(), 1);
        EXPECT_EQ(page.displayNodeArr().constFirst()->downloadItem(), item);
    }
    auto snapshot = [this] {
        QStringList s;
        for (const DownloadNode::Ptr &node : m_page->downloadedNodeArr()) {
            const auto i = node->downloadItem();
            s << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
                     .arg(i->downloadID())
                     .arg(i->filePath(), i->pageURL(), i->playlistUId())
                     .arg(i->playlistIndex())
                     .arg(i->time())
                     .arg(i->videoSize())
                     .arg(i->addDate().toSecsSinceEpoch());
        }
        return s;
    };
    const QStringList before = snapshot();
    const QStringList rowsBefore = rows();
    const int countBefore = m_page->displayItemCount();

    // Restart: page and database connection go, and come back from the file.
    m_page.reset();
    m_db.reset();
    m_db = std::make_unique<DataBaseManager>(m_folder);
    ASSERT_TRUE(m_db->loadDataBase());
    open();
    // Table order is insertion order; the node list of a fresh start follows it.
    QStringList after = snapshot();
    QStringList beforeSorted = before, afterSorted = after;
    beforeSorted.sort();
    afterSorted.sort();
    EXPECT_EQ(afterSorted, beforeSorted);
    EXPECT_EQ(rows(), rowsBefore);
    EXPECT_EQ(m_page->displayItemCount(), countBefore);
}

TEST_F(LibraryPageTest, ThumbnailAnswersReachOnlyTheirOwnItem)
{
    store({{QStringLiteral("clip")}});
    DownloadedViewCtrl &page = open();
    const auto item = page.downloadedNodeArr().constFirst()->downloadItem();
    struct Case
    {
        const char *what;
        QString video;
        qint64 id;
        int type;
        bool taken;
    };
    const QList<Case> cases = {
        {"other list's type", item->filePath(), item->downloadID(), 0, false},
        {"negative identifier", item->filePath(), -1, 1, false},
        {"unknown file", m_folder + QStringLiteral("/other.mp4"), item->downloadID(), 1, false},
        {"own item", item->filePath(), item->downloadID(), 1, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString thumb = m_folder + QStringLiteral("/thumb-") + QString::fromLatin1(c.what) + QStringLiteral(".jpg");
        page.getThumbnailPath(thumb, c.video, c.id, c.type);
        EXPECT_EQ(item->thumbnailPath() == thumb, c.taken);
    }
    // Written to the database.
    const auto stored = m_db->getAllDownloadedItems();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->constFirst()->thumbnailPath(), item->thumbnailPath());
}

} // namespace

namespace {

// The page as the user sees it: an expanded play list, a row being converted and a row whose
// file is gone. Saved as a picture when FENNIX_GRAB_DIR names a folder.
TEST_F(LibraryPageTest, RightClickOnTheTitleShowsTheListMenu)
{
    store({{QStringLiteral("Mountain lake at dawn"), QString(), 0, 754, 48234496, QStringLiteral("https://video.example.org/lake"), 5}});
    QFile media(m_folder + QStringLiteral("/Mountain lake at dawn.mp4"));
    ASSERT_TRUE(media.open(QIODevice::WriteOnly));
    media.write(QByteArray(1024, 'x'));
    media.close();
    DownloadedViewCtrl &page = open();
    page.view()->resize(860, 400);
    page.view()->show();
    page.refreshDownloadedTableView();
    QApplication::processEvents();
    ASSERT_EQ(page.numberOfRowsInTableView(), 1);
    EXPECT_EQ(RowTitleMenu::rightClickTitle(page.tableView(),
                                            page.displayNodeArr().first()->downloadingItemViewCtr<DownloadedItemViewCtrl>()),
              QString());
    // A right click selects the row, as anywhere else on it.
    EXPECT_EQ(page.tableView()->selectedRowList(), QList<int>{0});
}

TEST_F(LibraryPageTest, RowsOfEveryKindAreLaidOutInTheViewport)
{
    const QList<Entry> library = {{QStringLiteral("Mountain lake at dawn"), QString(), 0, 754, 48234496,
                                   QStringLiteral("https://video.example.org/lake"), 500},
                                  {QStringLiteral("Lecture 1 - Introduction"), QStringLiteral("C"), 1, 2710, 163577856,
                                   QStringLiteral("https://video.example.org/c1"), 400},
                                  {QStringLiteral("Lecture 2 - Sorting"), QStringLiteral("C"), 2, 3012, 181403648,
                                   QStringLiteral("https://video.example.org/c2"), 390},
                                  {QStringLiteral("Lecture 3 - Graphs"), QStringLiteral("C"), 3, 2544, 150994944,
                                   QStringLiteral("https://video.example.org/c3"), 380},
                                  {QStringLiteral("City timelapse"), QString(), 0, 95, 20971520,
                                   QStringLiteral("https://video.example.org/city"), 100},
                                  {QStringLiteral("Removed concert recording"), QString(), 0, 4211, 734003200,
                                   QStringLiteral("https://video.example.org/gone"), 50}};
    store(library);
    // Files and thumbnails for all but the last item.
    const QList<QColor> colours = {QColor(70, 130, 180), QColor(46, 139, 87), QColor(205, 133, 63),
                                   QColor(147, 112, 219), QColor(220, 20, 60)};
    for (int i = 0; i + 1 < library.size(); ++i) {
        QFile media(m_folder + QLatin1Char('/') + library[i].name + QStringLiteral(".mp4"));
        ASSERT_TRUE(media.open(QIODevice::WriteOnly));
        media.write(QByteArray(1024, 'x'));
        QImage thumb(160, 90, QImage::Format_RGB32);
        thumb.fill(colours[i]);
        ASSERT_TRUE(thumb.save(m_folder + QStringLiteral("/thumb%1.png").arg(i)));
    }
    UserDefaults::standard().setString(QStringLiteral("SortByKey"), QStringLiteral("Date"));
    UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QStringLiteral("Descending"));
    DownloadedViewCtrl &page = open();
    for (const DownloadNode::Ptr &node : page.downloadedNodeArr()) {
        const auto item = node->downloadItem();
        for (int k = 0; k + 1 < library.size(); ++k)
            if (item->fileName() == library[k].name)
                item->setThumbnailPath(m_folder + QStringLiteral("/thumb%1.png").arg(k));
        item->setResolution(item->fileName().startsWith(QLatin1String("Lecture")) ? 720 : 1080);
        if (item->fileName() == QLatin1String("City timelapse")) {
            item->setTaskStatus(DownloadedItem::TaskRunning);
            item->setStatus(DownloadedItem::StatusMarkedForConvert);
            item->setPercent(42);
            item->setTaskStateStr(QStringLiteral("Converting..."));
            item->setTask2StateStr(QStringLiteral("00:01:12 left"));
        }
    }
    groupOf(page, QStringLiteral("C"))->setIsExtend(true);
    QWidget *view = page.view();
    view->resize(860, 640);
    view->show();
    page.refreshDownloadedTableView();
    page.selectRows({0});
    QApplication::processEvents();

    ASSERT_EQ(page.numberOfRowsInTableView(), 6);
    // Every row's view sits in the viewport at its row's place and height.
    for (int row = 0; row < page.numberOfRowsInTableView(); ++row) {
        SCOPED_TRACE(row);
        const DownloadNode::Ptr node = page.displayNodeArr()[row];
        auto ctrl = node->downloadingItemViewCtr<DownloadedItemViewCtrl>();
        ASSERT_TRUE(ctrl);
        ASSERT_TRUE(ctrl->isViewLoaded());
        EXPECT_TRUE(ctrl->view()->isVisible());
        EXPECT_EQ(ctrl->view()->parentWidget(), page.tableView()->viewport());
        EXPECT_EQ(ctrl->view()->y(), page.tableView()->rowViewportPosition(row));
        EXPECT_EQ(ctrl->view()->height(), page.heightOfRow(row));
        const bool missing = node->downloadItem()->fileName() == QLatin1String("Removed concert recording");
        EXPECT_EQ(ctrl->isLocalFileShownMissing(), missing);
        EXPECT_EQ(ctrl->isShowingTaskFace(), node->downloadItem()->fileName() == QLatin1String("City timelapse"));
    }
    EXPECT_EQ(page.displayItemCount(), 6);

    const QByteArray grabDir = qgetenv("FENNIX_GRAB_DIR");
    if (!grabDir.isEmpty()) {
        QDir().mkpath(QString::fromLocal8Bit(grabDir));
        EXPECT_TRUE(view->grab().save(QString::fromLocal8Bit(grabDir) + QStringLiteral("/library-page.png")));
    }
}

} // namespace

TEST(DownloadedViewCtrlHelpers, FinishedItemStatisticsAndEndingAModalWindow)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(QStringLiteral("/videos/song.webm"));
    item->setTime(45);
    item->setResolution(360);
    QVHPHelper &helper = QVHPHelper::share();
    const qint64 formats = helper.count("Id_Vid_Format", "Id_Vid_Format_WEBM");
    const qint64 lengths = helper.count("Id_Vid_Length", "Id_Vid_Length_1");
    const qint64 resolutions = helper.count("Id_Vid_Resolution", "Id_Vid_Resolution_360P");
    DownloadedViewCtrl::halvornHelper(*item);
    EXPECT_EQ(helper.count("Id_Vid_Format", "Id_Vid_Format_WEBM"), formats + 1);
    EXPECT_EQ(helper.count("Id_Vid_Length", "Id_Vid_Length_1"), lengths + 1);
    EXPECT_EQ(helper.count("Id_Vid_Resolution", "Id_Vid_Resolution_360P"), resolutions + 1);

    // A modal window ended from outside returns as cancelled and leaves the screen.
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&dialog] { DownloadedViewCtrl::cancelDidEndDelete(&dialog); });
    EXPECT_EQ(dialog.exec(), int(QDialog::Rejected));
    EXPECT_FALSE(dialog.isVisible());
    DownloadedViewCtrl::cancelDidEndDelete(nullptr);
}

