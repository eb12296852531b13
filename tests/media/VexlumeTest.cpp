#include "tools/swiftcarry/MediaFixtures.h"
#include "media/FourCC.h"
#include "media/IM_EncodeChecks.h"
#include "media/IM_EncodeParamEx.h"
#include "media/IM_FileFormatMgr.h"
#include "media/IM_MediaItem.h"
#include "media/QVMediaFileInfo.h"
#include "media/VexlumeCodecs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using VexlumeCodecs::fourCC;

namespace {

uint32_t u32At(const QByteArray &data, int offset)
{
    return qFromLittleEndian<uint32_t>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

} // namespace

// The block goes between processes as bytes: every member the converter uses sits at its
// fixed offset, little-endian.
TEST(EncodeParamBlock, MembersLandAtTheirByteOffsets)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.videoFourCC = fourCC("avc1");
    b.width = 1280;
    b.height = 720;
    b.frameRate = 29.97;
    b.videoBitrate = 1500000;
    b.presetDefaultsFlag = 1;
    b.videoBitDepth = 24;
    b.audioFourCC = fourCC("mp4a");
    b.sampleRate = 44100;
    b.channels = 2;
    b.audioBitrate = 128000;
    b.audioBitsPerSample = 16;
    b.videoDisabled = 0;
    b.audioDisabled = 1;
    b.containerFourCC = fourCC("mp4 ");
    b.convert2DTo3D = 1;
    b.convert3DType = 3;
    b.convert3DOffset = 7;
    b.smartFitMask = IM_AutoResolution | IM_AutoAudioBitrate;
    const QByteArray data = EncodeParamData::toData(b);
    ASSERT_EQ(data.size(), 70480);

    const struct
    {
        int offset;
        uint32_t value;
    } cases[] = {{0, fourCC("avc1")}, {4, 1280},      {8, 720},    {20, 1500000},        {32, 1},
                 {44, 24},            {6228, fourCC("mp4a")},      {6232, 44100},        {6236, 2},
                 {6240, 128000},      {6252, 16},     {12420, 0},  {12424, 1},           {12428, fourCC("mp4 ")},
                 {70464, 3},          {70468, 7},     {70472, IM_AutoResolution | IM_AutoAudioBitrate}};
    for (const auto &c : cases)
        EXPECT_EQ(u32At(data, c.offset), c.value) << "offset " << c.offset;
    EXPECT_EQ(uint8_t(data.at(70460)), 1);
    double rate = 0;
    memcpy(&rate, data.constData() + 12, sizeof rate);
    EXPECT_DOUBLE_EQ(rate, 29.97);

    IM_EncodeParamEx back;
    ASSERT_TRUE(EncodeParamData::fromData(data, &back));
    EXPECT_EQ(back.audioBitrate, 128000u);
    EXPECT_FALSE(EncodeParamData::fromData(data.left(70479), &back));
    EXPECT_FALSE(EncodeParamData::fromData(data + 'x', &back));
}

TEST(EncodeParamBlock, SmartFitBitsSetAndClear)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    SetAutomaticOfEncParam(&b, IM_AutoResolution, true);
    SetAutomaticOfEncParam(&b, IM_AutoFrameRate, true);
    SetAutomaticOfEncParam(&b, IM_AutoVideoBitrate, true);
    EXPECT_EQ(b.smartFitMask, 2u | 4u | 8u);
    SetAutomaticOfEncParam(&b, IM_AutoFrameRate, false);
    EXPECT_TRUE(IsAutomaticOfMask(b.smartFitMask, IM_AutoResolution));
    EXPECT_FALSE(IsAutomaticOfMask(b.smartFitMask, IM_AutoFrameRate));
    SetAutomaticOfEncParam(nullptr, IM_AutoFrameRate, true);  // no crash
    EXPECT_FALSE(EncodeParamDescription(&b, 4).isEmpty());
}

TEST(FourCharacterCodes, RoundTripAndEdges)
{
    const struct
    {
        const char *text;
        uint32_t code;
    } cases[] = {{"avc1", 0x61766331u}, {"mp4 ", 0x6D703420u}, {".mp3", 0x2E6D7033u}, {"ac-3", 0x61632D33u}};
    for (const auto &c : cases) {
        EXPECT_EQ(StringToFourCC(QString::fromLatin1(c.text)), c.code) << c.text;
        EXPECT_EQ(FourCCToString(c.code), QString::fromLatin1(c.text));
    }
    EXPECT_TRUE(FourCCToString(0).isNull());
    EXPECT_EQ(StringToFourCC(QString()), 0u);
    EXPECT_EQ(StringToFourCC(QStringLiteral("ts")), fourCC("ts  "));  // padded
    EXPECT_EQ(FourCCToString(0x01020304u), QStringLiteral("????"));  // unprintable bytes
}

class MediaAnalysis : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_clip = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("clip.mp4"), {2.0, QStringLiteral("320x240")});
        s_audio = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("tone.m4a"), {1.0, {}, false, true});
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir *s_dir;
    static QString s_clip;
    static QString s_audio;
};
QTemporaryDir *MediaAnalysis::s_dir = nullptr;
QString MediaAnalysis::s_clip;
QString MediaAnalysis::s_audio;

TEST_F(MediaAnalysis, ReadsStreamsOfAGoodClip)
{
    ASSERT_FALSE(s_clip.isEmpty());
    const QVMediaFileInfo info(s_clip);
    ASSERT_TRUE(info.isValid()) << info.errorString().toStdString();
    EXPECT_NEAR(info.duration(), 2.0, 0.15);
    EXPECT_EQ(info.containerFourCC(), fourCC("mp4 "));
    const QVProgramInfo *program = info.programInfoAtIndex(0);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(info.programInfoAtIndex(1), nullptr);
    ASSERT_EQ(program->videoStreamInfos().count(), 1);
    ASSERT_EQ(program->audioStreamInfos().count(), 1);
    const QVStreamInfo *v = program->videoStreamInfos().itemAtIndex(0);
    EXPECT_EQ(v->fourCC(), fourCC("avc1"));
    EXPECT_EQ(v->width(), 320);
    EXPECT_EQ(v->height(), 240);
    EXPECT_NEAR(v->frameRate(), 25.0, 0.01);
    const QVStreamInfo *a = program->audioStreamInfos().itemAtIndex(0);
    EXPECT_EQ(a->fourCC(), fourCC("mp4a"));
    EXPECT_EQ(a->sampleRate(), 44100);
    EXPECT_EQ(program->audioStreamInfos().itemAtIndex(5), nullptr);

    const IM_MediaItem item(program, info);
    EXPECT_EQ(item.mediaType(), 0);
    EXPECT_EQ(item.dstTitle(), QStringLiteral("clip"));
    EXPECT_EQ(item.mediaInfo().width, 320);
}

TEST_F(MediaAnalysis, AudioOnlyFileIsAudioMedia)
{
    ASSERT_FALSE(s_audio.isEmpty());
    const QVMediaFileInfo info(s_audio);
    ASSERT_TRUE(info.isValid());
    EXPECT_EQ(info.firstVideo(), nullptr);
    const IM_MediaItem item(info.programInfoAtIndex(0), info);
    EXPECT_EQ(item.mediaType(), 1);
}

TEST_F(MediaAnalysis, UnreadableInputsAreInvalidNotFatal)
{
    QFile text(s_dir->filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some words, no media here\n");
    text.close();
    const QString cases[] = {MediaFixtures::makeCorrupt(s_dir->path(), QStringLiteral("broken.mp4")),
                             s_dir->filePath(QStringLiteral("missing.mp4")), text.fileName(), s_dir->path()};
    for (const QString &path : cases) {
        const QVMediaFileInfo info(path);
        EXPECT_FALSE(info.isValid()) << path.toStdString();
        EXPECT_FALSE(info.errorString().isEmpty());
        EXPECT_EQ(info.programInfoAtIndex(0), nullptr);
    }
}

TEST_F(MediaAnalysis, LosslessCheckMarksCopyableStreams)
{
    const QVMediaFileInfo info(s_clip);
    IM_MediaItem item(info.programInfoAtIndex(0), info);
    IM_EncodeParamEx &b = item.encodeParam();
    b.containerFourCC = fourCC("mp4 ");
    b.videoFourCC = fourCC("avc1");
    b.audioFourCC = fourCC("mp4a");
    auto &check = IM_ReadLossParams::defaultReadLossParams();
    EXPECT_EQ(check.checkLossLessOutPutParams(&b, {}, {}, 0, &item.mediaInfo(), false), 0x0101);
    EXPECT_FALSE(item.isAffectLossless());

    // MPEG-4 Visual cannot take an H.264 stream unchanged; with auto-match the target follows.
    b.videoFourCC = fourCC("mp4v");
    EXPECT_EQ(check.checkLossLessOutPutParams(&b, {}, {fourCC("mp4v")}, 0, &item.mediaInfo(), false), 0x0100);
    EXPECT_TRUE(item.isAffectLossless());
    EXPECT_EQ(check.checkLossLessOutPutParams(&b, {}, {fourCC("mp4v"), fourCC("avc1")}, 0, &item.mediaInfo(), true),
              0x0101);
    EXPECT_EQ(b.videoFourCC, fourCC("avc1"));
}

TEST(EncodeParamCheck, CorrectsWhatEncodersRefuse)
{
    auto &check = IM_CheckEncodeParam::defaultCheckEncodeParam();
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.containerFourCC = fourCC("mp4 ");
    b.videoFourCC = fourCC("avc1");
    b.width = 641;
    b.height = 481;
    b.frameRate = 30;
    b.audioFourCC = fourCC("mp4a");
    b.sampleRate = 44100;
    b.channels = 2;
    uint16_t answer = check.checkInputParamforUserInputParamEX(&b);
    EXPECT_EQ(IM_VideoVerdict(answer), IM_CheckCorrected);
    EXPECT_EQ(IM_AudioVerdict(answer), IM_CheckOK);
    EXPECT_EQ(b.width, 640);
    EXPECT_EQ(b.height, 480);

    IM_EncodeParamEx mp3 = EncodeParamData::zeroed();
    mp3.containerFourCC = fourCC("mp3 ");
    mp3.videoDisabled = 1;
    mp3.audioFourCC = fourCC(".mp3");
    mp3.sampleRate = 44000;
    mp3.channels = 6;
    mp3.audioBitrate = 999000;
    answer = check.checkInputParamforUserInputParamEX(&mp3);
    EXPECT_EQ(IM_AudioVerdict(answer), IM_CheckCorrected);
    EXPECT_EQ(mp3.sampleRate, 44100u);
    EXPECT_EQ(mp3.channels, 2u);
    EXPECT_EQ(mp3.audioBitrate, 320000u);

    IM_EncodeParamEx unknown = EncodeParamData::zeroed();
    unknown.videoFourCC = fourCC("zzzz");
    unknown.audioFourCC = fourCC("zzzz");
    answer = check.checkInputParamforUserInputParamEX(&unknown);
    EXPECT_EQ(IM_VideoVerdict(answer), IM_CheckUnsupported);
    EXPECT_EQ(IM_AudioVerdict(answer), IM_CheckUnsupported);
    EXPECT_EQ(check.checkInputParamforUserInputParamEX(nullptr), 0x0202);
}

TEST(FileFormatCatalogue, ListsOnlyWhatFfmpegCanWrite)
{
    const IM_FileFormatMgr &mgr = IM_FileFormatMgr::sharedFileFormatMgr();
    ASSERT_GT(mgr.count(), 3);
    const IM_FileFormat *mp4 = mgr.fileFormatWithFourCC(fourCC("mp4 "));
    ASSERT_NE(mp4, nullptr);
    EXPECT_TRUE(mp4->videoEncoders.contains(fourCC("avc1")));
    EXPECT_TRUE(mp4->audioEncoders.contains(fourCC("mp4a")));
    const IM_FileFormat *mp3 = mgr.fileFormatWithFourCC(fourCC("mp3 "));
    ASSERT_NE(mp3, nullptr);
    EXPECT_TRUE(mp3->videoEncoders.isEmpty());
    EXPECT_TRUE(mp3->audioEncoders.contains(fourCC(".mp3")));
    for (int i = 0; i < mgr.count(); ++i) {
        const IM_FileFormat *f = mgr.fileFormatAtIndex(i);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(VexlumeCodecs::isMuxerAvailable(f->muxer));
        for (uint32_t code : f->videoEncoders)
            EXPECT_FALSE(VexlumeCodecs::encoderForFourCC(code, true).isEmpty());
    }
    EXPECT_EQ(mgr.fileFormatAtIndex(-1), nullptr);
    EXPECT_EQ(mgr.fileFormatAtIndex(mgr.count()), nullptr);
}

TEST(DiskSpaceEstimate, CountsEnabledStreamsOnly)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.videoBitrate = 800000;
    b.audioBitrate = 200000;
    EXPECT_EQ(IM_MediaItem::estimateDiskSpaceWithMediaInfo(b, 8.0), 1000000);
    b.videoDisabled = 1;
    EXPECT_EQ(IM_MediaItem::estimateDiskSpaceWithMediaInfo(b, 8.0), 200000);
    EXPECT_EQ(IM_MediaItem::estimateDiskSpaceWithMediaInfo(b, -1.0), 0);
}
