// The main road on real helper processes: an address pasted on the Download page is sniffed
// and downloaded from a loopback server, and becomes a library row with its thumbnail,
// duration and resolution, stored in "Library.db" as another program reads it; a new page
// over the same database shows the same library.
#include "library/DownloadedViewCtrl.h"
#include "library/ThumbnailServerWraper.h"

#include "downloads/DataBaseManager.h"
#include "downloads/DownloadViewCtrl.h"
#include "downloads/DownloadedItem.h"
#include "downloads/DownloadedItemViewCtrl.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"

#include "LoopbackServer.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>

#include <gtest/gtest.h>

#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// Paste clicks less than 800 ms apart are dropped; the test's clock moves on a second a paste.
struct SteppingClock : dispatch::Clock
{
    mutable qint64 now = 1'000'000;
    qint64 nowMs() const override { return now += 1000; }
};

// What a library shows and keeps of each row, in display order.
QStringList snapshot(DownloadedViewCtrl &library)
{
    QStringList rows;
    for (const DownloadNode::Ptr &node : library.displayNodeArr()) {
        const auto item = node->downloadItem();
        rows << QStringList{QString::number(item->downloadID()), item->pageURL(), item->filePath(), item->thumbnailPath(),
                            QString::number(item->time()), QString::number(item->videoSize()),
                            QString::number(item->resolution()), QString::number(item->status()),
                            item->addDate().toString(Qt::ISODate)}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

class LibraryEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));
        dispatch::Clock::setForTesting(&m_clock);
        m_clip = TestEnvironment::noisyVideoClip();
        ASSERT_GT(m_clip.size(), 500000) << "ffmpeg makes the clip";
        const QString run = QUuid::createUuid().toString(QUuid::Id128);
        m_folder = TestEnvironment::home() + QStringLiteral("/Movies/library-road-") + run;
        m_dbFolder = TestEnvironment::home() + QStringLiteral("/library-road-db-") + run;
        QDir().mkpath(m_folder);
        QDir().mkpath(m_dbFolder);
        UserDefaults &d = UserDefaults::standard();
        d.setString(QStringLiteral("downloadedSavePath"), m_folder);
        d.setInteger(QStringLiteral("numberOfDownload"), 2);
        d.setBool(QStringLiteral("values.DownAndConvertOneMode"), false);

        LoopbackServer::Resource page;
        page.contentType = "text/html; charset=utf-8";
        page.body = "<html><head><title>Harbour at dawn</title></head><body><h1>Harbour at dawn</h1>"
                    "<video controls src=\"/media/harbour.mp4\"></video></body></html>";
        m_server.add("/watch/harbour.html", page);
        LoopbackServer::Resource clip;
        clip.body = std::string(m_clip.constData(), size_t(m_clip.size()));
        clip.contentType = "video/mp4";
        m_server.add("/media/harbour.mp4", clip);

        m_db = std::make_unique<DataBaseManager>(m_dbFolder);
        ASSERT_TRUE(m_db->loadDataBase());
        m_thumbnails = std::make_unique<ThumbnailServerWraper>();
        auto library = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
        m_library = library.get();
        m_page = std::make_unique<DownloadViewCtrl>(std::move(library), m_db->databasePath());
        m_window.setCentralWidget(m_page->view());
        m_window.resize(1000, 600);
        m_window.show();
    }
    void TearDown() override
    {
        if (m_page)
            m_page->downloadingList()->reelgrabDispatcher()->cancelAllTasks();
        m_page.reset();
        m_reopened.reset();
        m_thumbnails.reset();
        m_db.reset();
        dispatch::Clock::setForTesting(nullptr);
        QVReelgrabTask::setHelperExecutable(QString());
    }
    QString url(const std::string &path) const { return QString::fromStdString(m_server.url(path)); }

    SteppingClock m_clock;
    LoopbackServer m_server;
    QByteArray m_clip;
    QString m_folder;
    QString m_dbFolder;
    std::unique_ptr<DataBaseManager> m_db;
    std::unique_ptr<ThumbnailServerWraper> m_thumbnails;
    DownloadedViewCtrl *m_library = nullptr;
    std::unique_ptr<DownloadViewCtrl> m_page;
    std::unique_ptr<DownloadedViewCtrl> m_reopened;
    QMainWindow m_window;
};

TEST_F(LibraryEndToEnd, PastedPageBecomesAStoredLibraryRowThatSurvivesARestart)
{
    QObject observer;
    int scheduled = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("TimeForScheduledTask"),
                                                    [&](const Notification &) { ++scheduled; });
    const QString address = url("/watch/harbour.html");
    QApplication::clipboard()->setText(address);
    m_page->pasteUrl();
    ASSERT_EQ(m_page->downloadingList()->tasksCount(), 1);

    // Downloaded, handed over, its media information read: one library row.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return m_library->displayItemCount() == 1; }, 180000));
    EXPECT_EQ(m_page->downloadingList()->tasksCount(), 0);
    const DownloadNode::Ptr node = m_library->displayNodeArr().value(0);
    ASSERT_TRUE(node);
    const auto item = node->downloadItem();
    EXPECT_EQ(item->pageURL(), address);
    EXPECT_TRUE(item->filePath().startsWith(m_folder + QLatin1Char('/'))) << item->filePath().toStdString();
    QFile file(item->filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == m_clip) << "the file is the served clip";
    EXPECT_GE(item->time(), 1) << "one second of video";
    EXPECT_EQ(item->videoWidth(), 320);
    EXPECT_EQ(item->videoHeight(), 240);
    EXPECT_EQ(item->resolution(), 240);
    EXPECT_EQ(item->videoSize(), m_clip.size());
    EXPECT_GE(item->downloadID(), 1);
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] { return !item->thumbnailPath().isEmpty() && QFileInfo::exists(item->thumbnailPath()); }, 60000))
        << "the thumbnail service made a picture";
    EXPECT_EQ(scheduled, 1) << "the scheduler hears of the finished download once";
    EXPECT_FALSE(m_page->isHasTask());

    // The row on the Downloaded tab shows what was read.
    m_page->switchDispalyContent(1);
    const auto row = m_library->rowForNode(node);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return row->isViewLoaded() && !row->isDefaultThumbnail(); }, 10000));
    EXPECT_EQ(row->titleText(), item->fileName());
    EXPECT_EQ(row->timeText(), QStringLiteral("00:01"));
    EXPECT_TRUE(row->resolutionText().contains(QLatin1String("240"))) << row->resolutionText().toStdString();
    EXPECT_FALSE(row->isLocalFileShownMissing());

    // Another program reads the stored row.
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    ASSERT_FALSE(sqlite.isEmpty()) << "the sqlite3 program (Debian package sqlite3) is needed";
    QProcess query;
    query.start(sqlite, {QStringLiteral("-separator"), QStringLiteral("|"), m_db->databasePath(),
                         QStringLiteral("SELECT DownloadID, PageURL, FilePath, Time, Resolution, ThumbnailPath, Size "
                                        "FROM Downloaded")});
    ASSERT_TRUE(query.waitForFinished(30000));
    EXPECT_EQ(query.exitCode(), 0) << query.readAllStandardError().toStdString();
    const QString expected = QStringList{QString::number(item->downloadID()), address, item->filePath(),
                                         QString::number(item->time()), QStringLiteral("240"), item->thumbnailPath(),
                                         QString::number(m_clip.size())}
                                 .join(QLatin1Char('|'));
    EXPECT_EQ(QString::fromUtf8(query.readAllStandardOutput()).trimmed(), expected);

    // A new page over the same database: the same library.
    const QStringList before = snapshot(*m_library);
    ASSERT_EQ(before.size(), 1);
    NotificationCenter::defaultCenter().removeObserver(&observer);
    m_page.reset();
    m_db.reset();
    m_db = std::make_unique<DataBaseManager>(m_dbFolder);
    ASSERT_TRUE(m_db->loadDataBase());
    m_reopened = std::make_unique<DownloadedViewCtrl>(m_db.get(), m_thumbnails.get());
    m_reopened->view()->resize(900, 500);
    EXPECT_EQ(snapshot(*m_reopened), before);
    EXPECT_EQ(m_reopened->displayItemCount(), 1);
}

} // namespace
