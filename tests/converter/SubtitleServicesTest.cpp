#include "PresetFixtures.h"

#include "converter/ConverterGlobal.h"
#include "converter/IM_MediaItemExtended.h"
#include "media/QVMediaFileInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The framework's item for a file; only its path and picture matter here.
IM_MediaItemExtended videoItemFor(const QString &mediaPath)
{
    IM_MediaItemExtended item{IM_MediaItem(nullptr, QVMediaFileInfo(mediaPath))};
    item.mediaItem().mediaInfo().hasVideo = true;
    return item;
}

} // namespace

TEST(SubtitleServices, CharacterSetsAndLanguages)
{
    EXPECT_EQ(IM_MediaItemExtended::externalSubtitleFontCodePagesArrayExtend(),
              (QStringList{QStringLiteral("UTF-8"), QStringLiteral("CP1252"), QStringLiteral("SHIFT_JIS"), QStringLiteral("GBK"),
                           QStringLiteral("CP936"), QStringLiteral("BIG5")}));
    EXPECT_EQ(IM_MediaItemExtended::externalSubtitleFontCodePagesArrayDescriptionExtend().size(), 6);
    EXPECT_EQ(IM_MediaItemExtended::externalSubtitleLanguages().size(), IM_MediaItemExtended::externalSubtitleFontNamesForLanguages().size());
    EXPECT_EQ(IM_MediaItemExtended::externalSubtitleFontNamesForLanguages().last(), QStringLiteral("Hiragino Kaku"));
}

TEST(SubtitleServices, MenuPositionsWithTheSecondSeparator)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("media")));
    QDir().mkpath(dir.filePath(QStringLiteral("other")));
    const QString media = PresetFixtures::write(dir.filePath(QStringLiteral("media")), QStringLiteral("Film.mp4"), "x");
    PresetFixtures::write(dir.filePath(QStringLiteral("media")), QStringLiteral("b.SRT"), "1");
    PresetFixtures::write(dir.filePath(QStringLiteral("media")), QStringLiteral("Film.srt"), "1");
    PresetFixtures::write(dir.filePath(QStringLiteral("media")), QStringLiteral("notes.txt"), "1");
    const QString elsewhere = PresetFixtures::write(dir.filePath(QStringLiteral("other")), QStringLiteral("b.SRT"), "1");

    IM_MediaItemExtended item = videoItemFor(media);
    ASSERT_TRUE(item.generalSubtitleDescriptions());
    EXPECT_EQ(*item.generalSubtitleDescriptions(), (QStringList{QStringLiteral("No Subtitle"), QStringLiteral("Load Subtitle")}));

    g_strDefaultSubtitleEncoding = QStringLiteral("GBK");
    g_strDefaultSubtitleFontName = QStringLiteral("Hei");
    IM_MediaItemExtended film = videoItemFor(media);
    film.initExternalSubtitleParams();
    EXPECT_EQ(film.subtitleEncoding(), QStringLiteral("GBK"));
    EXPECT_EQ(film.subtitleFontName(), QStringLiteral("Hei"));
    // Sorted without regard to case; the file named like the media is selected.
    ASSERT_EQ(film.externalSubtitles().size(), 2);
    EXPECT_EQ(QFileInfo(film.externalSubtitles()[0]).fileName(), QStringLiteral("b.SRT"));
    EXPECT_EQ(film.selectedExternalSubtitle(), 1);
    EXPECT_EQ(film.indexOfSelectedGeneralSubtitle(), 4);

    film.addExternalSubtitle(elsewhere, false);
    EXPECT_EQ(film.externalSubtitleCountInTheSameDirOfMedia(), 2);
    const QStringList menu = *film.generalSubtitleDescriptions();
    EXPECT_EQ(menu, (QStringList{QStringLiteral("No Subtitle"), QStringLiteral("Load Subtitle"), QStringLiteral("Group Sperator"),
                                 QStringLiteral("b.SRT -- media"), QStringLiteral("Film.srt"), QStringLiteral("Group Sperator"),
                                 QStringLiteral("b.SRT -- other")}));
    // S = 2, N = 3: the second separator stands at 5.
    const struct
    {
        int position;
        int file;  // -1: no file
    } table[] = {{0, -1}, {1, -1}, {2, -1}, {3, 0}, {4, 1}, {5, -1}, {6, 2}, {7, -1}};
    for (const auto &t : table) {
        const QString path = film.subtitlePathAtIndex(t.position);
        EXPECT_EQ(path, t.file < 0 ? QString() : film.externalSubtitles()[t.file]) << t.position;
        film.setIndexOfSelectedGeneralSubtitle(t.position);
        EXPECT_EQ(film.selectedExternalSubtitle(), t.file) << t.position;
        EXPECT_EQ(film.indexOfSelectedGeneralSubtitle(), t.file < 0 ? 0 : t.position) << t.position;
        EXPECT_EQ(film.mediaItem().subtitlePath(), path);
    }
    g_strDefaultSubtitleEncoding.clear();
    g_strDefaultSubtitleFontName.clear();
}

TEST(SubtitleServices, AudioAndEmbeddedItemsMapToFrameworkIndexes)
{
    IM_MediaItemExtended audio{IM_MediaItem()};  // no picture: media type 1
    EXPECT_FALSE(audio.needLoadExternalSubtitleAction());
    EXPECT_EQ(*audio.generalSubtitleDescriptions(), QStringList{QStringLiteral("No Subtitle")});
    EXPECT_EQ(audio.externalSubtitleCountInTheSameDirOfMedia(), 0);
    EXPECT_FALSE(audio.shouldEnableSubtitle());

    IM_MediaItemExtended embedded{IM_MediaItem()};
    embedded.mediaItem().mediaInfo().hasVideo = true;
    embedded.setEmbeddedSubtitleDescriptions({QStringLiteral("English"), QStringLiteral("French")});
    EXPECT_FALSE(embedded.needLoadExternalSubtitleAction());
    EXPECT_EQ(embedded.generalSubtitleDescriptions()->size(), 3);
    EXPECT_EQ(embedded.indexOfSelectedGeneralSubtitle(), 0);
    embedded.setIndexOfSelectedGeneralSubtitle(2);
    EXPECT_EQ(embedded.embeddedSubtitleIndex(), 1);
    EXPECT_EQ(embedded.indexOfSelectedGeneralSubtitle(), 2);
    embedded.setIndexOfSelectedGeneralSubtitle(0);
    EXPECT_EQ(embedded.indexOfSelectedGeneralSubtitle(), 0);

    IM_MediaItemExtended other{IM_MediaItem()};
    other.setMediaType(3);
    EXPECT_FALSE(other.generalSubtitleDescriptions());
}

TEST(PresetServices, SizeOutputPathAndExport)
{
    IM_MediaItemExtended item{IM_MediaItem()};
    item.mediaItem().mediaInfo().duration = 8;
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.videoBitrate = 1000000;
    b.audioBitrate = 48576;
    item.setEncodeParam(b);
    EXPECT_DOUBLE_EQ(item.estimatedSize(), 1048576.0 / (1024 * 1024));
    EXPECT_EQ(item.dstSize(), QStringLiteral("1.0MB"));
    item.mediaItem().setDstName(QStringLiteral("clip.mp4"));
    g_strVideoOutputPath = QStringLiteral("/videos");
    g_strAudioOutputPath = QStringLiteral("/audio");
    EXPECT_EQ(item.outputFilePath(), QStringLiteral("/videos/clip.mp4"));
    g_iFunctionMode = 1;
    EXPECT_EQ(item.outputFilePath(), QStringLiteral("/audio/clip.mp4"));
    g_iFunctionMode = 0;
    g_strVideoOutputPath.clear();
    g_strAudioOutputPath.clear();
    EXPECT_FALSE(item.exportToiTunes());  // no preset
    EXPECT_FALSE(item.exportChapters());
}
