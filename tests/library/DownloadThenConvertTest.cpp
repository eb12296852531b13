#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "downloads/DataBaseManager.h"
#include "library/DownloadedViewCtrl.h"
#include "converter/OneModeOutputNames.h"
#include "converter/TBVideoConvertTask.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "reelgrab/QVReelgrabTask.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

// Rows of "Downloaded" as another program reads them: file path and status.
QList<QPair<QString, int>> storedRows(const QString &dbPath)
{
    QList<QPair<QString, int>> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT FilePath, Status FROM Downloaded", -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            rows.append({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                         sqlite3_column_int(st, 1)});
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

// A finished picture-only download handed to a library page, with "Download then Convert" on
// and encParam as the stored choice's encoder block.
struct PictureOnlyDownload
{
    QTemporaryDir dir;
    QString clip;
    std::unique_ptr<DownloadedViewCtrl> page;
    QVReelgrabTask task;
    std::shared_ptr<DownloadedItem> item;

    void start(const QString &fileName, const QByteArray &encParam)
    {
        clip = dir.filePath(fileName);
        {
            QFile f(clip);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(TestEnvironment::noisyVideoClip()); // picture only
        }
        UserDefaults &defaults = UserDefaults::standard();
        defaults.setObject(QStringLiteral("OneModeConvertSetingParam"),
                           QVariantMap{{QStringLiteral("formatID"), 100}, {QStringLiteral("encParam"), encParam}});
        defaults.setBool(QStringLiteral("values.DownAndConvertOneMode"), true);
        ASSERT_TRUE(DataBaseManager::defaultManager().loadDataBase());
        page = std::make_unique<DownloadedViewCtrl>();
        page->view();
        task.setTargetFileName(clip);
        item = page->addNodeByReelgrabTask(&task);
        ASSERT_TRUE(item);
    }
};

} // namespace

// A finished download joins the library and, with "Download then Convert" on and MP3 stored,
// is converted; the converted file takes its place in the list and in "Library.db".
TEST(DownloadThenConvert, FinishedDownloadIsConvertedAndReplaced)
{
    QTemporaryDir dir;
    // A clip with sound, as a downloaded video has (made with ffmpeg's lavfi sources).
    QDir().mkpath(dir.filePath(QStringLiteral("Downloads")));
    const QString clip = MediaFixtures::makeClip(dir.filePath(QStringLiteral("Downloads")), QStringLiteral("noisy clip.mp4"),
                                                 {1.0, QStringLiteral("320x240"), true, true});
    ASSERT_FALSE(clip.isEmpty()) << "ffmpeg is needed";

    g_formatMgr = EncFormatMgr::initWithFile(MainBundle::pathForResource(QStringLiteral("Format"), QStringLiteral("std")),
                                             dir.filePath(QStringLiteral("CustomFormat.pro")));
    ASSERT_TRUE(g_formatMgr);
    const auto mp3 = g_formatMgr->defaultMp3Format();
    ASSERT_TRUE(mp3);

    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(QStringLiteral("OneModeConvertSetingParam"),
                       QVariantMap{{QStringLiteral("FormatTitle"), QStringLiteral("MP3")},
                                   {QStringLiteral("formatID"), mp3->iD()},
                                   {QStringLiteral("encParam"), EncodeParamData::toData(MediaFixtures::mp3Target(128000))},
                                   {QStringLiteral("isExportToItunes"), false},
                                   {QStringLiteral("isShowInFinder"), true}});
    QStringList opened;
    Workspace::setHookForTesting([&](const QString &action, const QStringList &targets) {
        opened << action + QLatin1Char(' ') + targets.join(QLatin1Char(','));
        return true;
    });
    defaults.setBool(QStringLiteral("values.DownAndConvertOneMode"), true);

    DataBaseManager &db = DataBaseManager::defaultManager();
    ASSERT_TRUE(db.loadDataBase());
    auto page = std::make_unique<DownloadedViewCtrl>();
    page->view();

    QVReelgrabTask task;
    task.setTargetFileName(clip);
    task.setPageUrl(QStringLiteral("https://example.org/watch?v=1"));
    const auto item = page->addNodeByReelgrabTask(&task);
    ASSERT_TRUE(item);

    // Loaded, listed, stored, converted, replaced.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->taskStatus() >= DownloadedItem::TaskFinished; }, 120000));
    EXPECT_EQ(item->taskStatus(), quint32(DownloadedItem::TaskFinished));
    EXPECT_EQ(item->status(), DownloadedItem::StatusConverted);
    EXPECT_FALSE(page->isHasConvertingTask());
    const QString converted = QFileInfo(clip).path() + QStringLiteral("/noisy clip.mp3");
    EXPECT_EQ(item->filePath(), converted);
    EXPECT_TRUE(QFileInfo::exists(converted));
    EXPECT_FALSE(QFileInfo::exists(clip)) << "the download went to the Trash";
    EXPECT_EQ(MediaFixtures::codecNames(MediaFixtures::probe(converted)), QStringList{QStringLiteral("mp3")});
    EXPECT_GT(item->time(), 0);
    EXPECT_FALSE(OneModeOutputNames::isReserved(QFileInfo(clip).path() + QStringLiteral("/noisy clip_MP3.mp3")));
    // "Open the output folder when the conversion is done." was ticked: the folder, once.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_TRUE(TestEnvironment::drainPostedEvents());
    Workspace::setHookForTesting(nullptr);
    EXPECT_EQ(opened, QStringList{QStringLiteral("open ") + QUrl::fromLocalFile(QFileInfo(clip).path()).toString()});

    ASSERT_EQ(page->downloadedNodeArr().size(), 1);
    EXPECT_EQ(page->downloadedNodeArr().first()->downloadItem(), item);
    const auto rows = storedRows(db.databasePath());
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().first, converted);
    EXPECT_EQ(rows.first().second, 5);

    defaults.removeObjectForKey(QStringLiteral("values.DownAndConvertOneMode"));
    g_formatMgr.reset();
}

// The stored MP4 choice with Smart Fit off at 1280x720: an H.264 download is taken over
// unchanged at its own size and its output is named after that size; an MPEG-2 download (a codec
// the preset does not offer) is re-encoded to the stored size and named after it.
TEST(DownloadThenConvert, OutputIsNamedAfterTheSizeItReallyHas)
{
    QTemporaryDir dir;
    const QString downloads = dir.filePath(QStringLiteral("Downloads"));
    QDir().mkpath(downloads);
    g_formatMgr = EncFormatMgr::initWithFile(MainBundle::pathForResource(QStringLiteral("Format"), QStringLiteral("std")),
                                             dir.filePath(QStringLiteral("CustomFormat.pro")));
    ASSERT_TRUE(g_formatMgr);
    const auto mp4 = g_formatMgr->defaultMp4Format();
    ASSERT_TRUE(mp4);
    const IM_EncodeParamEx block = MediaFixtures::mp4Target(1280, 720, 1000000);
    ASSERT_EQ(block.smartFitMask, 0u);
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(QStringLiteral("OneModeConvertSetingParam"),
                       QVariantMap{{QStringLiteral("FormatTitle"), mp4->title()},
                                   {QStringLiteral("formatID"), mp4->iD()},
                                   {QStringLiteral("encParam"), EncodeParamData::toData(block)}});
    defaults.setBool(QStringLiteral("values.DownAndConvertOneMode"), true);
    ASSERT_TRUE(DataBaseManager::defaultManager().loadDataBase());
    auto page = std::make_unique<DownloadedViewCtrl>();
    page->view();

    const struct
    {
        const char *download, *codec;
        bool lossless;
        QString output;
        QSize size;
    } cases[] = {
        {"copied.mp4", "libx264", true, QStringLiteral("copied_640x480_%1.mp4"), {640, 480}},
        {"encoded.mp4", "mpeg2video", false, QStringLiteral("encoded_1280x720_%1.mp4"), {1280, 720}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.download);
        MediaFixtures::ClipSpec clipSpec{1.0, QStringLiteral("640x480")};
        clipSpec.videoCodec = QString::fromLatin1(c.codec);
        const QString clip = MediaFixtures::makeClip(downloads, QString::fromLatin1(c.download), clipSpec);
        ASSERT_FALSE(clip.isEmpty()) << "ffmpeg is needed";
        QVReelgrabTask task;
        task.setTargetFileName(clip);
        const auto item = page->addNodeByReelgrabTask(&task);
        ASSERT_TRUE(item);
        std::shared_ptr<TBVideoConvertTask> job;
        ASSERT_TRUE(TestEnvironment::waitFor(
            [&] { return (job = std::dynamic_pointer_cast<TBVideoConvertTask>(item->converterItem())) != nullptr; }, 60000));
        EXPECT_EQ(job->isLosslessConvert(), c.lossless);
        EXPECT_EQ(QFileInfo(job->targetFilePath()).fileName().toStdString(), c.output.arg(mp4->title()).toStdString());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->taskStatus() >= DownloadedItem::TaskFinished; }, 120000));
        ASSERT_EQ(item->taskStatus(), quint32(DownloadedItem::TaskFinished));
        const QVariantMap probe = MediaFixtures::probe(item->filePath());
        QSize size;
        for (const QVariant &stream : probe.value(QStringLiteral("streams")).toList())
            if (stream.toMap().value(QStringLiteral("codec_type")).toString() == QLatin1String("video"))
                size = QSize(stream.toMap().value(QStringLiteral("width")).toInt(),
                             stream.toMap().value(QStringLiteral("height")).toInt());
        EXPECT_EQ(size, c.size);
    }
    defaults.removeObjectForKey(QStringLiteral("values.DownAndConvertOneMode"));
    g_formatMgr.reset();
}

// A conversion that cannot run (MP3 of a clip without sound) does not leave the item busy.
TEST(DownloadThenConvert, FailedConversionIsNoLongerBusy)
{
    PictureOnlyDownload d;
    d.start(QStringLiteral("silent.mp4"), EncodeParamData::toData(MediaFixtures::mp3Target(128000)));
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const auto &item = d.item;
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return item->taskStatus() == DownloadedItem::TaskFailed; }, 60000));
    EXPECT_EQ(item->status(), DownloadedItem::StatusPlain);
    EXPECT_FALSE(d.page->isHasConvertingTask());
    EXPECT_TRUE(QFileInfo::exists(d.clip));
    EXPECT_TRUE(item->covertedFilePath().isEmpty());
    UserDefaults::standard().removeObjectForKey(QStringLiteral("values.DownAndConvertOneMode"));
}

// A stored choice whose encoder block is cut short is refused: the download joins the library
// and is not left busy.
TEST(DownloadThenConvert, ShortStoredBlockLeavesThePlainDownload)
{
    PictureOnlyDownload d;
    d.start(QStringLiteral("short.mp4"), EncodeParamData::toData(MediaFixtures::mp3Target(128000)).left(1000));
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const auto &item = d.item;
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return d.page->loadQueue().isEmpty() && item->downloadID() > 0; }, 60000));
    EXPECT_EQ(item->status(), DownloadedItem::StatusPlain);
    EXPECT_FALSE(d.page->isHasConvertingTask());
    EXPECT_EQ(item->filePath(), d.clip);
    EXPECT_TRUE(QFileInfo::exists(d.clip));
    UserDefaults::standard().removeObjectForKey(QStringLiteral("values.DownAndConvertOneMode"));
}
