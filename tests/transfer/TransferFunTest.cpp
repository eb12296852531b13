// Formats each kind of target plays, kinds by extension, and tag data copied to device media.

#include "TransferFixtures.h"

#include "devices/DeviceTypes.h"
#include "devices/ID3MediaHandle.h"
#include "devices/IMediaItem.h"
#include "devices/IMediaList.h"
#include "devices/IMediaManager.h"
#include "transfer/TransferFun.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(TransferFun, TargetsPlayTheirFormatsInAnyCase)
{
    struct Case { quint32 platform; const char *format; bool video, audio; };
    const Case cases[] = {
        {1, "MP3", false, true},  {1, "m4p", true, true},  {1, "mkv", false, false}, {1, "ogg", false, true},
        {2, "mov", true, false},  {2, "aiff", false, true}, {2, "ogg", false, false},
        {48, "mp3", false, true}, {48, "WAV", false, true}, {48, "ogg", false, false}, {48, "mp4", true, false},
        {48, "mov", true, false}, {64, "mpg", true, false}, {64, "m4p", true, true},
        {80, "anything", true, true}, {7, "mp3", false, false}, {0, "mp4", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TransferFun::isVideoSupportByDevice(c.platform, QString::fromLatin1(c.format)), c.video) << c.platform << c.format;
        EXPECT_EQ(TransferFun::isAudioSupportByDevice(c.platform, QString::fromLatin1(c.format)), c.audio) << c.platform << c.format;
    }
    EXPECT_TRUE(TransferFun::isAndroidAudioSupportType("m4p"));
    EXPECT_FALSE(TransferFun::AndroidAudioSupportTypes().contains("m4p"));
    EXPECT_TRUE(TransferFun::isiOSAudioSupportType("aiff"));
    EXPECT_FALSE(TransferFun::iOSAudioSupportTypes().contains("aiff"));
}

TEST(TransferFun, KindsAreWholeEntriesOfTheLists)
{
    struct Case { const char *path; int kind; };
    const Case cases[] = {
        {"a.mp3", 1}, {"A.MP3", 1}, {"a.mkv", 2}, {"a.png", 4}, {"a.pdd", 4}, {"a.x3f", 4},
        {"x.p3", 0}, {"x.m", 0}, {"x.4", 0}, {"noextension", 0}, {"dir.mp3/file", 0}, {"a.jpeg 2000", 4},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TransferFun::tagFileType(QString::fromLatin1(c.path)), c.kind) << c.path;
}

// A device media object standing for another one, as a library entry stands for its file.
class ProxyMedia : public IMediaItem
{
public:
    MediaMetadata own, inner;
    class Inner : public IMediaItem
    {
    public:
        explicit Inner(MediaMetadata &m) : m_m(m) {}
        MediaMetadata metadata() const override { return m_m; }
        void setMetadata(const MediaMetadata &m) override { m_m = m; }
        QString destinationPath() const override { return {}; }
        std::shared_ptr<IAsyncTask> write(const QString &, std::weak_ptr<IAsyncTaskDelegate>, int) override { return nullptr; }
        MediaMetadata &m_m;
    } innerItem{inner};
    MediaMetadata metadata() const override { return own; }
    void setMetadata(const MediaMetadata &m) override { own = m; }
    QString destinationPath() const override { return {}; }
    IMediaItem *playableMedia() override { return &innerItem; }
    std::shared_ptr<IAsyncTask> write(const QString &, std::weak_ptr<IAsyncTaskDelegate>, int) override { return nullptr; }
};

class Tags : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty())
            GTEST_SKIP() << "ffmpeg is not installed";
    }

    QString make(const QString &name, const QStringList &args)
    {
        const QString path = dir.filePath(name);
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y"} + args + QStringList{path});
        ffmpeg.waitForFinished(60000);
        EXPECT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        return path;
    }

    std::shared_ptr<IMediaItem> media()
    {
        return phone.device->musicManager()->musics()->addByPath("/storage/emulated/0/Music/x.mp3");
    }

    QTemporaryDir dir;
    FakeDevice phone{DeviceTransferPlatform::Android};
};

TEST_F(Tags, FilesMadeByFfmpegWithoutTagsAreNamedAfterTheFile)
{
    const QString audio = make("plain song.mp3", {"-f", "lavfi", "-i", "sine=d=1"});
    const QString video = make("plain clip.mp4", {"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-c:v", "mpeg4"});
    EXPECT_FALSE(ID3MediaHandle(audio).fullMetaData().has_value());
    EXPECT_TRUE(ID3MediaHandle(audio).basicMetaData().has_value());

    auto a = media();
    ASSERT_TRUE(TransferFun::loadMediaInfo(a.get(), audio));
    EXPECT_EQ(a->metadata().title, "plain song");
    EXPECT_EQ(a->metadata().mediaType, 1);
    EXPECT_EQ(a->metadata().category, 1);

    auto v = media();
    ASSERT_TRUE(TransferFun::loadMediaInfo(v.get(), video));
    EXPECT_EQ(v->metadata().title, "plain clip");
    EXPECT_EQ(v->metadata().mediaType, 2);
    EXPECT_EQ(v->metadata().category, 4096);

    ProxyMedia proxy;
    ASSERT_TRUE(TransferFun::loadMediaInfo(&proxy, video));
    EXPECT_EQ(proxy.own.category, 2);
    EXPECT_FALSE(TransferFun::loadMediaInfo(a.get(), dir.filePath("missing.mp3")));
}

TEST_F(Tags, TagsAreCopiedWithTheirFallbacks)
{
    const QString song = make("tagged.mp3", {"-f", "lavfi", "-i", "sine=d=2", "-metadata", "title=Night Song", "-metadata",
                                             "artist=The Band", "-metadata", "album=First", "-metadata", "track=3/12",
                                             "-metadata", "date=2019", "-metadata", "genre=Jazz"});
    ProxyMedia proxy;
    ASSERT_TRUE(TransferFun::loadMediaInfo(&proxy, song));
    const MediaMetadata &m = proxy.inner;  // the playable object gets the tags
    EXPECT_EQ(m.title, "Night Song");
    EXPECT_EQ(m.artist, "The Band");
    EXPECT_EQ(m.albumArtist, "The Band");
    EXPECT_EQ(m.sortTitle, "Night Song");
    EXPECT_EQ(m.sortAlbumArtist, "The Band");
    EXPECT_EQ(m.album, "First");
    EXPECT_EQ(m.trackNumber, 3);
    EXPECT_EQ(m.trackCount, 12);
    EXPECT_EQ(m.year, 2019);
    EXPECT_EQ(m.mediaType, 1);
    EXPECT_EQ(m.category, 1);
    EXPECT_EQ(m.duration, 2.0);
    EXPECT_TRUE(proxy.own.title.isEmpty());

    auto copy = media();
    TransferFun::loadMediaItemInfo(copy.get(), &proxy.innerItem);
    EXPECT_EQ(copy->metadata().title, "Night Song");
    EXPECT_EQ(copy->metadata().sortAlbum, "First");
    TransferFun::loadMediaItemInfo(copy.get(), nullptr);
    EXPECT_EQ(copy->metadata().title, "Night Song");

    EXPECT_TRUE(TransferFun::reSaveID3Info(song));
    EXPECT_EQ(ID3MediaHandle(song).fullMetaData()->title, "Night Song");
}

TEST_F(Tags, DamagedOrForeignFilesHaveNoTags)
{
    const QString junk = writeFile(dir.filePath("junk.mp3"), 5000);
    EXPECT_FALSE(ID3MediaHandle(junk).fullMetaData().has_value());
    EXPECT_FALSE(ID3MediaHandle(dir.filePath("none.mp3")).basicMetaData().has_value());
    EXPECT_FALSE(ID3MediaHandle(dir.filePath("none.mp3")).saveID3());
    auto m = media();
    ASSERT_TRUE(TransferFun::loadMediaInfo(m.get(), junk));
    EXPECT_EQ(m->metadata().title, "junk");
}

} // namespace
