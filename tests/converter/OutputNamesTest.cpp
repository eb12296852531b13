#include "PresetFixtures.h"

#include "converter/EncFormatMgr.h"
#include "converter/OneModeOutputNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray Presets = R"(<?xml version="1.0" encoding="UTF-8"?>
<FormatList defaultFormat="MP4" defaultAudioFormat="MP3">
  <category id="1" title="General" pixId="catVideo"/>
  <Format id="1" categoryid="1" Ext=".mp4" FourCC="mp4"><Title>MP4 Video</Title></Format>
  <Format id="2" categoryid="1" Ext="MP3" FourCC="mp3" DisableVideo="YES"><Title>MP3</Title></Format>
  <Format id="3" categoryid="1" Ext="" FourCC="mp4"><Title>Plain</Title></Format>
  <Format id="4" categoryid="1" Ext="m4v" FourCC="mp4"><Title>../../etc/x:y</Title></Format>
  <Format id="5" categoryid="1" Ext="m/k/v" FourCC="mkv"><Title>Odd ext</Title></Format>
</FormatList>
)";

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

class OutputNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString file = PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), Presets);
        catalogue = EncFormatMgr::initWithFile(file, dir.filePath(QStringLiteral("Custom.pro")));
        ASSERT_TRUE(catalogue);
        out = dir.filePath(QStringLiteral("Converted/deeper"));
        source = dir.filePath(QStringLiteral("in/clip.mov"));
    }
    void TearDown() override
    {
        for (const QString &p : std::as_const(reserved))
            OneModeOutputNames::release(p);
    }
    QString name(OneModeOutputNames &names, const QString &src, QSizeF size, int id)
    {
        const QString p = names.targetFilePathWith(src, size, id, out);
        reserved << p;
        return p;
    }

    QTemporaryDir dir;
    std::unique_ptr<EncFormatMgr> catalogue;
    QString out, source;
    QStringList reserved;
};

} // namespace

// Names in a chosen folder, the counter while a name is on disk, and what a preset's title or
// extension may not do to the path.
TEST_F(OutputNames, NamingTable)
{
    OneModeOutputNames names(catalogue.get());
    const struct
    {
        const char *source;
        int id;
        QSizeF size;
        const char *expected;
        const char *onDisk; // taken before asking
    } cases[] = {
        {"clip.mov", 1, {1280, 720}, "clip_1280x720_MP4 Video.mp4", nullptr},
        {"clip.mov", 1, {1280.9, 720.2}, "clip_1280x720(1)_MP4 Video.mp4", "clip_1280x720_MP4 Video.mp4"},
        {"song.flac", 2, {1920, 1080}, "song_MP3.MP3", nullptr},
        {"song.flac", 2, {0, 0}, "song(1)_MP3.MP3", "song_MP3.MP3"},
        {"raw.avi", 3, {640, 480}, "raw_640x480_Plain.mp4", nullptr},
        {"evil.mp4", 4, {320, 240}, "evil_320x240_..-..-etc-x-y.m4v", nullptr},
        {"ext.mp4", 5, {320, 240}, "ext_320x240_Odd ext.m-k-v", nullptr},
        {"noid.mp4", 999, {320, 240}, "noid_320x240_.mp4", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        QDir().mkpath(out);
        if (c.onDisk)
            touch(out + QLatin1Char('/') + QString::fromUtf8(c.onDisk));
        const QString got = name(names, dir.filePath(QStringLiteral("in/")) + QString::fromUtf8(c.source), c.size, c.id);
        EXPECT_EQ(got, out + QLatin1Char('/') + QString::fromUtf8(c.expected));
        EXPECT_EQ(QFileInfo(got).absolutePath(), QDir(out).absolutePath()) << "nothing outside the folder";
        EXPECT_FALSE(QFileInfo::exists(got)) << "a name is only reserved, never written";
    }
}

// Two jobs waiting at once never share a target; a stopped job gives its name back.
TEST_F(OutputNames, ReservedUntilTheJobEnds)
{
    OneModeOutputNames names(catalogue.get());
    const QString first = name(names, source, {1280, 720}, 1);
    const QString second = name(names, dir.filePath(QStringLiteral("other/clip.mkv")), {1280, 720}, 1);
    const QString third = name(names, source, {1280, 720}, 1);
    EXPECT_TRUE(first.endsWith(QStringLiteral("/clip_1280x720_MP4 Video.mp4")));
    EXPECT_TRUE(second.endsWith(QStringLiteral("/clip_1280x720(1)_MP4 Video.mp4")));
    EXPECT_TRUE(third.endsWith(QStringLiteral("/clip_1280x720(2)_MP4 Video.mp4")));
    EXPECT_TRUE(OneModeOutputNames::isReserved(second));

    OneModeOutputNames::release(second); // the job of the second was stopped
    EXPECT_FALSE(OneModeOutputNames::isReserved(second));
    EXPECT_EQ(name(names, source, {1280, 720}, 1), second);
}

TEST_F(OutputNames, FolderIsMadeOrRefused)
{
    OneModeOutputNames names(catalogue.get());
    EXPECT_TRUE(name(names, QString(), {1, 1}, 1).isEmpty());
    const QString got = name(names, source, {2, 2}, 1);
    EXPECT_TRUE(QFileInfo(out).isDir());
    EXPECT_FALSE(got.isEmpty());
    // A file where the folder should be: no name rather than a write somewhere else.
    touch(dir.filePath(QStringLiteral("blocker")));
    out = dir.filePath(QStringLiteral("blocker/sub"));
    EXPECT_TRUE(name(names, source, {2, 2}, 1).isEmpty());
    // No folder given: beside the source.
    out.clear();
    EXPECT_EQ(QFileInfo(name(names, source, {2, 2}, 1)).path(), dir.filePath(QStringLiteral("in")));
}
