#include "LibraryFixtures.h"

#include "downloads/DownloadedItem.h"
#include "downloads/FileInfoItem.h"
#include "downloads/LibraryDateText.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace LibraryFixtures;

namespace {

FileInfoItem fullItem()
{
    FileInfoItem item;
    item.setFileID(42);
    item.setPageURL(QStringLiteral("https://example.com/watch?v=\"x\""));
    item.setFilePath(QStringLiteral("/home/u/Vidéos/clip.mp4"));
    item.setSubtitlePath(QStringLiteral("/home/u/Vidéos/clip.en.srt"));
    item.setThumbnailPath(QStringLiteral("/t/clip.jpg"));
    item.setIconFilePath(QStringLiteral("/i/site.ico"));
    item.setTime(Q_INT64_C(4000000000));
    item.setVideoSize(Q_INT64_C(9000000000));
    item.setResolution(1080);
    item.setVideoWidth(1920);
    item.setVideoHeight(1080);
    item.setVideoFrame(29.97);
    item.setVideoBitrate(4500);
    return item;
}

void expectSameInfo(const FileInfoItem &a, const FileInfoItem &b)
{
    EXPECT_EQ(a.fileID(), b.fileID());
    EXPECT_EQ(a.pageURL(), b.pageURL());
    EXPECT_EQ(a.filePath(), b.filePath());
    EXPECT_EQ(a.storedSubtitlePath(), b.storedSubtitlePath());
    EXPECT_EQ(a.thumbnailPath(), b.thumbnailPath());
    EXPECT_EQ(a.iconFilePath(), b.iconFilePath());
    EXPECT_EQ(a.time(), b.time());
    EXPECT_EQ(a.videoSize(), b.videoSize());
    EXPECT_EQ(a.resolution(), b.resolution());
    EXPECT_EQ(a.videoWidth(), b.videoWidth());
    EXPECT_EQ(a.videoHeight(), b.videoHeight());
    EXPECT_EQ(a.videoFrame(), b.videoFrame());
    EXPECT_EQ(a.videoBitrate(), b.videoBitrate());
}

} // namespace

TEST(FileInfoItemTest, ArchiveWritesTheFixedKeysAndRoundTrips)
{
    const FileInfoItem item = fullItem();
    KeyedArchiver coder(item.archiveClassName());
    item.encodeWithCoder(coder);
    const QCborMap map = coder.map();
    for (const char *key : {"Identity", "resolution", "videoWidth", "videoHeight", "videoBitrate", "videoTime",
                            "videoSize", "videoFrame", "strPageURL", "strFilePath", "subtitlePath", "thumbnailPath",
                            "iconFilePath"})
        EXPECT_TRUE(map.contains(QString::fromLatin1(key))) << key;
    EXPECT_EQ(map.value(QStringLiteral("videoTime")).toInteger(), Q_INT64_C(4000000000));
    EXPECT_EQ(map.value(QStringLiteral("videoFrame")).toDouble(), 29.97);

    FileInfoItem back;
    QString error;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(KeyedArchiver::archivedDataWithRootObject(item), back, &error))
        << error.toStdString();
    expectSameInfo(back, item);
}

TEST(FileInfoItemTest, EmptyStringsAreLeftOutAndDecodeAsNull)
{
    struct Case
    {
        const char *key;
        void (FileInfoItem::*set)(const QString &);
        QString (FileInfoItem::*get)() const;
    };
    const Case cases[] = {
        {"strPageURL", &FileInfoItem::setPageURL, &FileInfoItem::pageURL},
        {"strFilePath", &FileInfoItem::setFilePath, &FileInfoItem::filePath},
        {"subtitlePath", &FileInfoItem::setSubtitlePath, &FileInfoItem::storedSubtitlePath},
        {"thumbnailPath", &FileInfoItem::setThumbnailPath, &FileInfoItem::thumbnailPath},
        {"iconFilePath", &FileInfoItem::setIconFilePath, &FileInfoItem::iconFilePath},
    };
    for (const Case &c : cases) {
        FileInfoItem item = fullItem();
        (item.*c.set)(QString(QLatin1String("")));
        KeyedArchiver coder;
        item.encodeWithCoder(coder);
        EXPECT_FALSE(coder.map().contains(QString::fromLatin1(c.key))) << c.key;
        EXPECT_EQ(coder.map().size(), 12) << c.key;

        KeyedUnarchiver reader(coder.map());
        FileInfoItem back = fullItem();
        back.initWithCoder(reader);
        EXPECT_TRUE((back.*c.get)().isNull()) << c.key;
    }
}

TEST(FileInfoItemTest, MissingNumbersDecodeAsZero)
{
    KeyedUnarchiver reader{QCborMap{}};
    FileInfoItem back = fullItem();
    back.initWithCoder(reader);
    expectSameInfo(back, FileInfoItem());
}

TEST(FileInfoItemTest, ADownloadedItemArchivesOnlyTheFileInformation)
{
    auto item = std::make_shared<DownloadedItem>(fullItem());
    item->setPlaylistName(QStringLiteral("list"));
    item->setStatus(5);
    item->setIsDownAndConvertOneMode(true);
    KeyedArchiver coder;
    item->encodeWithCoder(coder);
    EXPECT_EQ(coder.map().size(), 13);

    DownloadedItem back;
    back.setIsDownAndConvertOneMode(true);
    KeyedUnarchiver reader(coder.map());
    back.initWithCoder(reader);
    expectSameInfo(back, *item);
    EXPECT_TRUE(back.playlistName().isNull());
    EXPECT_EQ(back.status(), 0);
    EXPECT_FALSE(back.isDownAndConvertOneMode());

    // A copy of the file information is a plain FileInfoItem with the same fields.
    const FileInfoItem copy = item->fileInfoCopy();
    expectSameInfo(copy, *item);
    EXPECT_EQ(copy.archiveClassName(), QStringLiteral("FileInfoItem"));
}

TEST(FileInfoItemTest, NameExtensionAndClockText)
{
    struct Case
    {
        const char *path;
        const char *name;
        const char *ext;
    };
    const Case cases[] = {
        {"/v/clip.mp4", "clip", "mp4"},
        {"/v/a.b.mkv", "a.b", "mkv"},
        {"/v/noext", "noext", ""},
        {"/v/.hidden", ".hidden", ""},
        {"/v.d/clip", "clip", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        FileInfoItem item;
        item.setFilePath(QString::fromUtf8(c.path));
        EXPECT_EQ(item.fileName(), QString::fromUtf8(c.name)) << c.path;
        EXPECT_EQ(item.fileExt(), QString::fromUtf8(c.ext)) << c.path;
    }
    const std::pair<qint64, const char *> clocks[] = {
        {0, "00:00"}, {59, "00:59"}, {61, "01:01"}, {3599, "59:59"}, {3600, "01:00:00"}, {36061, "10:01:01"}, {-5, "0"}};
    for (const auto &[seconds, text] : clocks) {
        FileInfoItem item;
        item.setTime(seconds);
        EXPECT_EQ(item.timeString(), QString::fromLatin1(text)) << seconds;
    }
}

TEST(FileInfoItemTest, ResolutionTextSnapsToTheNearestStandardHeight)
{
    const struct
    {
        const char *text;
        int height;
    } cases[] = {
        {"1280*720", 720}, {"1280", 0},    {"640*300", 240}, {"1*1800", 1440}, {"1*2000", 2160},
        {"1*9999", 2160},  {"1*-50", 0},   {"1*120", 0},     {"1*121", 240},   {"x*1080p", 1080},
        {"1* +360", 360},  {"1*\u0661\u0660\u0668\u0660", 0},
        // Far beyond any number: no overflow, the largest or smallest snap.
        {"1*99999999999999999999999", 2160}, {"1*-99999999999999999999999", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FileInfoItem::covertStringToResolution(QString::fromUtf8(c.text)), c.height);
    }
}

TEST(FileInfoItemTest, SubtitleIsTheStoredFileElseASiblingSrt)
{
    const QString folder = freshFolder(QStringLiteral("subs"));
    const QString media = folder + QStringLiteral("/My \"clip\" ü.mp4");
    const QString sibling = folder + QStringLiteral("/My \"clip\" ü.srt");
    const QString stored = folder + QStringLiteral("/other.srt");
    writeFile(media, "m");

    struct Case
    {
        const char *name;
        bool siblingExists;
        QString storedPath;
        bool storedExists;
        QString expected;
    };
    const Case cases[] = {
        {"no subtitle at all", false, QString(), false, QString()},
        {"sibling found", true, QString(), false, sibling},
        {"stored wins over sibling", true, stored, true, stored},
        {"stored missing falls back to sibling", true, stored, false, sibling},
        {"stored missing and no sibling", false, stored, false, QString()},
    };
    for (const Case &c : cases) {
        QFile::remove(sibling);
        QFile::remove(stored);
        if (c.siblingExists)
            writeFile(sibling, "1\n");
        if (c.storedExists)
            writeFile(stored, "1\n");
        FileInfoItem item;
        item.setFilePath(media);
        item.setSubtitlePath(c.storedPath);
        EXPECT_EQ(item.subtitlePath(), c.expected) << c.name;
    }
}

TEST(LibraryDateTextTest, FixedFormatRoundTripsAndRejectsAnythingElse)
{
    const QDateTime local(QDate(2023, 12, 31), QTime(23, 59, 58), Qt::OffsetFromUTC, -5 * 3600);
    EXPECT_EQ(LibraryDateText::format(local), QStringLiteral("2024-01-01 04:59:58 +0000"));
    EXPECT_EQ(LibraryDateText::parse(LibraryDateText::format(local)), local);
    for (const char *bad : {"", "2024-01-01", "2024-01-01 04:59:58", "2024-13-01 04:59:58 +0000",
                            "2024-01-01T04:59:58 +0000", "2024-01-01 04:59:58 +2500", "yesterday at noon",
                            "2024-01-01 04:59:58 +0000 "})
        EXPECT_FALSE(LibraryDateText::parse(QString::fromLatin1(bad)).isValid()) << bad;
}
