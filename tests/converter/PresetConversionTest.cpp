#include "converter/EncFormatMgr.h"
#include "converter/IM_MediaItemExtended.h"
#include "tools/swiftcarry/FfmpegCommand.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "media/FourCC.h"
#include "media/QVMediaFileInfo.h"
#include "platform/MainBundle.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

namespace {

// What ffprobe calls the codec of each framework code.
QString probeName(uint32_t code)
{
    static const QMap<QString, QString> names = {
        {QStringLiteral("avc1"), QStringLiteral("h264")},        {QStringLiteral("hvc1"), QStringLiteral("hevc")},
        {QStringLiteral("mp4v"), QStringLiteral("mpeg4")},       {QStringLiteral("XVID"), QStringLiteral("mpeg4")},
        {QStringLiteral("VP90"), QStringLiteral("vp9")},         {QStringLiteral("VP80"), QStringLiteral("vp8")},
        {QStringLiteral("FLV1"), QStringLiteral("flv1")},        {QStringLiteral("mjpg"), QStringLiteral("mjpeg")},
        {QStringLiteral("mpg2"), QStringLiteral("mpeg2video")},  {QStringLiteral("mpg1"), QStringLiteral("mpeg1video")},
        {QStringLiteral("WMV2"), QStringLiteral("wmv2")},        {QStringLiteral("WMV1"), QStringLiteral("wmv1")},
        {QStringLiteral("theo"), QStringLiteral("theora")},      {QStringLiteral("apcn"), QStringLiteral("prores")},
        {QStringLiteral("mp4a"), QStringLiteral("aac")},         {QStringLiteral(".mp3"), QStringLiteral("mp3")},
        {QStringLiteral("mp2"), QStringLiteral("mp2")},          {QStringLiteral("ac-3"), QStringLiteral("ac3")},
        {QStringLiteral("vorb"), QStringLiteral("vorbis")},      {QStringLiteral("opus"), QStringLiteral("opus")},
        {QStringLiteral("flac"), QStringLiteral("flac")},        {QStringLiteral("sowt"), QStringLiteral("pcm_s16le")},
        {QStringLiteral("twos"), QStringLiteral("pcm_s16be")},   {QStringLiteral("wma2"), QStringLiteral("wmav2")},
        {QStringLiteral("alac"), QStringLiteral("alac")}};
    return names.value(FourCCToString(code).trimmed(), QStringLiteral("?"));
}

double rational(const QString &text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 2 || parts[1].toDouble() == 0)
        return text.toDouble();
    return parts[0].toDouble() / parts[1].toDouble();
}

QVariantMap streamOfType(const QVariantMap &probe, const QString &type)
{
    for (const QVariant &s : probe.value(QStringLiteral("streams")).toList())
        if (s.toMap().value(QStringLiteral("codec_type")).toString() == type)
            return s.toMap();
    return {};
}

} // namespace

// Every built-in preset converts a one-second clip through the pipeline's own argument list,
// with the block fitted as the convert road fits it, and the result plays as the block says.
TEST(PresetConversion, EveryPresetConvertsAFittedClip)
{
    QTemporaryDir dir;
    const QString clip = MediaFixtures::makeClip(dir.path(), QStringLiteral("source.mp4"), {1.0, QStringLiteral("320x240"), true, true});
    ASSERT_FALSE(clip.isEmpty());
    const QVMediaFileInfo info(clip);
    ASSERT_TRUE(info.isValid());
    auto catalogue = EncFormatMgr::initWithFile(MainBundle::pathForResource(QStringLiteral("Format"), QStringLiteral("std")),
                                                dir.filePath(QStringLiteral("CustomFormat.pro")));
    ASSERT_TRUE(catalogue);
    ASSERT_GT(catalogue->formatCount(), 20);

    for (const auto &preset : catalogue->formatItems()) {
        SCOPED_TRACE(preset->rawTitle().toStdString());
        // The default target of the convert road: preset defaults in bit/s, picture values on Smart Fit.
        IM_EncodeParamEx block = EncodeParamData::zeroed();
        block.presetDefaultsFlag = 1;
        preset->getDefaultSettings(&block);
        block.videoBitrate *= 1000;
        block.audioBitrate *= 1000;
        for (uint32_t bit : {IM_AutoResolution, IM_AutoFrameRate, IM_AutoVideoBitrate})
            SetAutomaticOfEncParam(&block, bit, true);
        IM_MediaItemExtended item(IM_MediaItem(info.programInfoAtIndex(0), info));
        item.setFormatCatalogue(catalogue.get());
        item.setFormatId(preset->iD());
        item.setEncodeParam(block);
        item.autoAdjustEncodeParam(block.smartFitMask);
        const IM_EncodeParamEx fitted = item.encodeParam();

        const QString out = dir.filePath(QStringLiteral("out-%1.%2").arg(preset->iD()).arg(preset->formatExt()));
        QString error;
        const QStringList args = FfmpegCommand::conversionArguments(fitted, info, clip, QString(), out, false, &error);
        ASSERT_FALSE(args.isEmpty()) << error.toStdString();
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"), args);
        ASSERT_TRUE(ffmpeg.waitForFinished(120000));
        ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();

        const QVariantMap probe = MediaFixtures::probe(out);
        ASSERT_FALSE(probe.isEmpty());
        EXPECT_NEAR(MediaFixtures::duration(probe), 1.0, 0.3);
        const QVariantMap video = streamOfType(probe, QStringLiteral("video"));
        if (fitted.videoDisabled) {
            EXPECT_TRUE(video.isEmpty());
        } else {
            EXPECT_EQ(video.value(QStringLiteral("codec_name")).toString(), probeName(fitted.videoFourCC));
            EXPECT_EQ(video.value(QStringLiteral("width")).toInt(), fitted.width);
            EXPECT_EQ(video.value(QStringLiteral("height")).toInt(), fitted.height);
            EXPECT_NEAR(rational(video.value(QStringLiteral("avg_frame_rate")).toString()), fitted.frameRate, 0.6);
        }
        const QVariantMap audio = streamOfType(probe, QStringLiteral("audio"));
        ASSERT_FALSE(audio.isEmpty());
        EXPECT_EQ(audio.value(QStringLiteral("codec_name")).toString(), probeName(fitted.audioFourCC));
        EXPECT_EQ(audio.value(QStringLiteral("sample_rate")).toString().toUInt(), fitted.sampleRate);
        EXPECT_EQ(audio.value(QStringLiteral("channels")).toUInt(), fitted.channels);
        QFile::remove(out);
    }
}
