#include "reelgrab/Md5Encrypt.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVMediaMetaData.h"
#include "reelgrab/QVMediaSniffingResult.h"
#include "reelgrab/QVOnlineVideoInfo.h"
#include "support/TestEnvironment.h"

#include <QCborMap>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace MediaFormatCode;

TEST(MediaFormatCode, ExtensionIsTheTrimmedFourCharacters)
{
    const struct
    {
        quint32 code;
        const char *ext;
    } cases[] = {{MP4, "mp4"}, {Nil, "nil"}, {TS, "ts"}, {WebM, "webm"}, {MP4Audio, "mp4a"}, {AD, "ad"}, {0, ""},
                 {0x01FF7A20, "??z"}}; // bytes from a damaged archive stay printable
    for (const auto &c : cases)
        EXPECT_EQ(extName(c.code), QString::fromLatin1(c.ext)) << c.code;
    EXPECT_EQ(make("mp4 "), 0x6D703420u);
    EXPECT_EQ(fromString(QStringLiteral("ts")), TS);
}

TEST(QVSniffingMedia, EngineFormatAndQualityMaps)
{
    const struct
    {
        int engine;
        quint32 code;
    } formats[] = {{1, MP4},  {2, FLV},      {3, TS},  {4, WebM}, {5, ThreeGP}, {6, MP4Video},
                   {7, MP4Audio}, {8, Rev5}, {9, AD},  {11, MP3}, {10, Nil},    {0, Nil}, {-3, Nil}};
    QVSniffingMedia media;
    for (const auto &f : formats) {
        media.setMediaFormatByUrlFormat(f.engine);
        EXPECT_EQ(media.mediaFormat(), f.code) << f.engine;
    }
    const int qualities[][2] = {{0, 0},     {1, 240},  {2, 360},  {3, 480},         {4, 720},
                                {5, 1080},  {6, 1440}, {7, 2160}, {8, 2147483647}, {-1, 2147483647}};
    for (const auto &q : qualities) {
        media.setMediaQualityByUrlQuality(q[0]);
        EXPECT_EQ(media.mediaQuality(), q[1]) << q[0];
    }
}

TEST(QVSniffingMediaSegment, NewSegmentWaitsButArchiveWithoutStatusReadsZero)
{
    EXPECT_EQ(QVSniffingMediaSegment().downloadStatus(), 4);

    QCborMap stored; // as an older build wrote it, without "download-status"
    stored.insert(QStringLiteral("bytes"), 1234);
    stored.insert(QStringLiteral("url"), QStringLiteral("http://127.0.0.1/a.mp4"));
    stored.insert(QStringLiteral("format"), qint64(MP4));
    stored.insert(QStringLiteral("quality"), 720);
    KeyedUnarchiver coder(stored);
    QVSniffingMediaSegment segment;
    segment.initWithCoder(coder);
    EXPECT_EQ(segment.downloadStatus(), 0);
    EXPECT_EQ(segment.bytes(), 1234);
    EXPECT_EQ(segment.extName(), QStringLiteral("mp4"));
    EXPECT_EQ(segment.mediaQuality(), 720);
}

TEST(QVSniffingMediaSubtitle, FileExtensions)
{
    EXPECT_EQ(QVSniffingMediaSubtitle::fileExtensionForFormat(1), QStringLiteral("sub"));
    EXPECT_EQ(QVSniffingMediaSubtitle::fileExtensionForFormat(2), QStringLiteral("ass"));
    EXPECT_EQ(QVSniffingMediaSubtitle::fileExtensionForFormat(0), QStringLiteral("srt"));
    EXPECT_EQ(QVSniffingMediaSubtitle::fileExtensionForFormat(7), QStringLiteral("srt"));
    for (const char *ext : {"srt", "SUB", "ass", "aas"})
        EXPECT_TRUE(QVSniffingMediaSubtitle::isSubtitleFileExtension(QString::fromLatin1(ext))) << ext;
    EXPECT_FALSE(QVSniffingMediaSubtitle::isSubtitleFileExtension(QStringLiteral("mp4")));
}

TEST(QVMediaSniffingResult, FileUrlResult)
{
    EXPECT_FALSE(QVMediaSniffingResult::mediaSniffingResultWithFileUrl(QString(), MP4, 10).has_value());
    const auto result =
        QVMediaSniffingResult::mediaSniffingResultWithFileUrl(QStringLiteral("http://127.0.0.1/v/clip.mp4?x=1"), MP4, 4096);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->mediaTitle(), QStringLiteral("clip.mp4"));
    ASSERT_EQ(result->candidateMedias().size(), 1);
    const QVSniffingMedia &media = result->candidateMedias().first();
    EXPECT_EQ(media.mediaFormat(), MP4);
    ASSERT_EQ(media.segments().size(), 1);
    EXPECT_EQ(media.segments().first().url(), QStringLiteral("http://127.0.0.1/v/clip.mp4?x=1"));
    EXPECT_EQ(media.segments().first().bytes(), 4096);
    EXPECT_EQ(media.segments().first().mediaFormat(), MP4);
}

TEST(QVMediaSniffingResult, ArchiveRoundTripAndWrongClassIsRefused)
{
    QVSniffingMediaSegment seg;
    seg.setUrl(QStringLiteral("http://127.0.0.1/s1"));
    seg.setBytes(5'000'000'000LL); // beyond 32 bits
    seg.setDuration(321);
    seg.setDownloadedBytes(77);
    seg.setDownloadSpeed(99);
    seg.setMediaFormat(WebM);
    QVSniffingMedia media;
    media.setBitrate(128000);
    media.setSeekable(true);
    media.setMediaFormat(WebM);
    media.setMediaQuality(1080);
    media.setSegments({seg, seg});
    QVSniffingMediaSubtitle sub;
    sub.setLangCode(QStringLiteral("en-GB"));
    sub.setLanguage(QStringLiteral("English"));
    sub.setAsDefault(true);
    sub.setSubtitleFormat(2);
    sub.setContent(QStringLiteral("1\n00:00:01,000 --> 00:00:02,000\nh\u00e9llo\n"));
    QVMediaSniffingResult result;
    result.setSniffer(3);
    result.setMediaTitle(QStringLiteral("T\u00eftle"));
    result.setMediaIcon(QStringLiteral("/i.png"));
    result.setMediaThumbnail(QStringLiteral("/t.png"));
    // A picture that names its sound keeps it across processes.
    QVSniffingMedia picture = media;
    picture.setMediaFormat(MP4Video);
    picture.setSoundUrl(QStringLiteral("http://127.0.0.1/a2/prog_index.m3u8"));
    result.setCandidateMedias({media, picture});
    result.setCandidateSubtitles({sub});

    const QByteArray data = KeyedArchiver::archivedDataWithRootObject(result);
    QVMediaSniffingResult back;
    QString error;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(data, back, &error)) << qPrintable(error);
    EXPECT_EQ(back, result);
    ASSERT_EQ(back.candidateMedias().size(), 2);
    EXPECT_EQ(back.candidateMedias().at(1).soundUrl(), picture.soundUrl());

    QVMediaMetaData meta;
    EXPECT_FALSE(KeyedUnarchiver::unarchive(data, meta, &error)); // a result is not metadata
}

TEST(QVMediaMetaData, ArchiveRoundTrip)
{
    QVMediaMetaData meta;
    meta.setTitle(QStringLiteral("t"));
    meta.setAlbum(QStringLiteral("al"));
    meta.setArtist(QStringLiteral("ar"));
    meta.setComment(QStringLiteral("c"));
    meta.setGenre(QStringLiteral("g"));
    meta.setYear(2024);
    meta.setTrackNo(3);
    meta.setTrackCount(12);
    meta.setArtworks({QByteArray("\x89PNG\0\1", 6), QStringLiteral("/cover.jpg")});
    QVMediaMetaData back;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(KeyedArchiver::archivedDataWithRootObject(meta), back));
    EXPECT_EQ(back, meta);
}

TEST(QVOnlineVideoInfo, CopiesUnderLock)
{
    QVOnlineVideoInfo info;
    info.setMediaTitle(QStringLiteral("x"));
    info.setDuration(61);
    info.setMediaInfos({{MP4, 720}, {WebM, 1080}});
    info.setSubtitleCodes({QStringLiteral("en")});
    const QVOnlineVideoInfo copy = info;
    EXPECT_EQ(copy.mediaTitle(), QStringLiteral("x"));
    EXPECT_EQ(copy.duration(), 61);
    EXPECT_EQ(copy.mediaInfos(), info.mediaInfos());
    EXPECT_EQ(copy.subtitleCodes(), QStringList{QStringLiteral("en")});
}

TEST(Md5Encrypt, DigestsAndNothingForEmptyInput)
{
    EXPECT_TRUE(Md5Encrypt::encryptString(QString()).isEmpty());
    EXPECT_TRUE(Md5Encrypt::encryptData(QByteArray()).isEmpty());
    EXPECT_EQ(Md5Encrypt::encryptString(QStringLiteral("abc")), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));

    const QString path = QDir(TestEnvironment::home()).filePath(QStringLiteral("hundred.bin"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray hundred(100, 'x');
    file.write(hundred);
    file.close();
    const QString whole = Md5Encrypt::encryptData(hundred);
    EXPECT_EQ(Md5Encrypt::fileMd5(path, 4096), whole); // sample larger than the file
    EXPECT_EQ(Md5Encrypt::fileMd5(path, 0), whole);    // 0: all of it
    EXPECT_EQ(Md5Encrypt::fileMd5(path, 10), Md5Encrypt::encryptData(hundred.left(10)));
    EXPECT_EQ(Md5Encrypt::urlMd5(QUrl::fromLocalFile(path), 0), whole);
    EXPECT_TRUE(Md5Encrypt::fileMd5(path + QStringLiteral(".missing"), 0).isEmpty());
    EXPECT_TRUE(Md5Encrypt::fileMd5(TestEnvironment::home(), 0).isEmpty()); // a folder
}
