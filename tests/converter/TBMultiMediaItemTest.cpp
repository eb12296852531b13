#include "converter/MediaLoaderController.h"
#include "converter/TBMultiMediaItem.h"
#include "media/VexlumeCodecs.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using VexlumeCodecs::fourCC;

TEST(MediaItemRecord, NearestStandardHeight)
{
    const struct
    {
        double w, h;
        int expected;
    } cases[] = {{700, 400, 360}, {0, 0, 240}, {1920, 1080, 1080}, {5000, 3000, 2160},
                 // exactly halfway between 1280x720 and 1920x1080 keeps the smaller
                 {1600, 900, 720}};
    for (const auto &c : cases) {
        TBMultiMediaItem item;
        item.setResolution(QSizeF(c.w, c.h));
        EXPECT_EQ(item.nearlyResolution(), c.expected) << c.w << "x" << c.h;
    }
}

TEST(MediaItemRecord, DefaultTargetsInBitsPerSecondWithSmartFit)
{
    TBMultiMediaItem::setDefaultSettingsProvider([](bool audio, IM_EncodeParamEx *b) {
        TBMultiMediaItem::builtInDefaultSettings(audio, b);
        if (!audio)
            b->videoBitrate = 1500;
        return true;
    });
    auto video = TBMultiMediaItem::defuatVideoConverterParam();
    EXPECT_EQ(video->videoBitrate(), 1500000u);
    EXPECT_EQ(video->fourCC(), fourCC("mp4 "));
    EXPECT_EQ(video->smartFixFlag(), 2u | 4u | 8u);
    EXPECT_TRUE(video->filePath().isEmpty());
    IM_EncodeParamEx block;
    ASSERT_TRUE(EncodeParamData::fromData(video->encData(), &block));
    EXPECT_EQ(block.presetDefaultsFlag, 1);
    EXPECT_EQ(block.videoBitrate, 1500000u);

    auto audio = TBMultiMediaItem::defuatAudioConverterParam();
    EXPECT_EQ(audio->resolution(), QSizeF(0, 0));
    EXPECT_EQ(audio->frameRate(), 0.0f);
    EXPECT_EQ(audio->videoBitrate(), 0u);
    EXPECT_EQ(audio->fourCC(), fourCC("mp3 "));
    EXPECT_EQ(audio->audioBitrate() % 1000, 0u);
    TBMultiMediaItem::setDefaultSettingsProvider(nullptr);
}

TEST(MediaLoaderHelpers, BitrateTitleAndFailureText)
{
    EXPECT_EQ(MediaLoaderController::getRightnessVideoBitrateforWidth(1280, 720), 4000);
    EXPECT_EQ(MediaLoaderController::getRightnessVideoBitrateforWidth(4000, 2100), 256000);
    EXPECT_EQ(MediaLoaderController::getRightnessVideoBitrateforWidth(0, 0), 384);
    EXPECT_EQ(MediaLoaderController::getUnUsedTitle(QStringLiteral("Movie(12)")), QStringLiteral("Movie"));
    EXPECT_EQ(MediaLoaderController::getUnUsedTitle(QStringLiteral("Movie()")), QStringLiteral("Movie"));
    EXPECT_EQ(MediaLoaderController::getUnUsedTitle(QStringLiteral("(12)")), QString());
    EXPECT_EQ(MediaLoaderController::getUnUsedTitle(QStringLiteral("Movie(1a)")), QString());
    EXPECT_EQ(MediaLoaderController::getUnUsedTitle(QString()), QString());
    EXPECT_EQ(MediaLoaderController::failureText({QStringLiteral("/x/a.mp4"), QStringLiteral("/y/b.avi")}),
              QStringLiteral("Importing completed. 2 video(s) failed to import:\r\na.mp4\r\nb.avi"));
    MediaLoaderController loader;
    const QString temp = loader.getTempImagePath();
    ASSERT_FALSE(temp.isEmpty());
    EXPECT_TRUE(temp.endsWith(QStringLiteral(".jpg")));
    const QFileInfo folder(QFileInfo(temp).absolutePath());
    EXPECT_EQ(folder.permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
              QFile::Permissions());
}

TEST(MediaLoaderHelpers, MediaFileParamsAndTheirThumbnail)
{
    MediaLoaderController loader;
    EXPECT_TRUE(loader.getMediaFileParam(nullptr).isEmpty());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("clip.mkv"));
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1234, 'x'));
    f.close();

    MediaLoaderController::MediaObject media;
    media.mediaPath = source;
    media.srcLength = 95;
    media.frameRate = 29.97;
    media.width = 1280;
    media.height = 720;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QBuffer jpeg(&media.image);
    ASSERT_TRUE(jpeg.open(QIODevice::WriteOnly));
    ASSERT_TRUE(picture.save(&jpeg, "JPEG"));
    // No resolution text: only that value is missing, the ones after it stay.
    const QVariantMap p = loader.getMediaFileParam(&media);
    EXPECT_EQ(p.value("SourceFileName").toString(), source);
    EXPECT_EQ(p.value("SourceFileLength").toLongLong(), 95);
    EXPECT_EQ(p.value("SourceFileSize").toLongLong(), 1234);
    EXPECT_FALSE(p.contains("SourceFileResolution"));
    EXPECT_DOUBLE_EQ(p.value("SourceFileVideoFrame").toDouble(), 29.97);
    EXPECT_EQ(p.value("SourceFileVideoBitrate").toInt(), 0);
    EXPECT_EQ(p.value("SourceFileVideoWidth").toInt(), 1280);
    EXPECT_EQ(p.value("SourceFileVideoHeight").toInt(), 720);
    EXPECT_EQ(p.value("SourceFileExtension").toString(), QStringLiteral("mkv"));
    const QString thumbnail = p.value("SourceFileThumbnail").toString();
    ASSERT_TRUE(thumbnail.endsWith(QStringLiteral(".jpg")));
    const QImage back(thumbnail);
    EXPECT_EQ(back.size(), QSize(64, 48)) << "the .jpg holds a JPEG picture";

    // Without a picture, or with one that is not JPEG, no thumbnail: the name would lie.
    for (const QByteArray &notJpeg : {QByteArray(), QByteArray("\x89PNG\r\n\x1a\n", 8), QByteArray("\xFF\xD8")}) {
        media.image = notJpeg;
        EXPECT_FALSE(loader.getMediaFileParam(&media).contains("SourceFileThumbnail"));
    }
    // No picture or an unwritable place is refused; a written one replaces what was there.
    EXPECT_FALSE(MediaLoaderController::saveThumbnailToFile(QByteArray(), dir.filePath("a.jpg")));
    EXPECT_FALSE(MediaLoaderController::saveThumbnailToFile("picture", dir.filePath("missing/folder/a.jpg")));
    EXPECT_TRUE(MediaLoaderController::saveThumbnailToFile("an older, longer picture", dir.filePath("a.jpg")));
    EXPECT_TRUE(MediaLoaderController::saveThumbnailToFile("picture", dir.filePath("a.jpg")));
    QFile written(dir.filePath("a.jpg"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray("picture"));
}

