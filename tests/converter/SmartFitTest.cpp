#include "PresetFixtures.h"

#include "converter/EncFormatMgr.h"
#include "converter/EncodeParamWrapper.h"
#include "converter/IM_MediaItemExtended.h"
#include "converter/RulePredicate.h"
#include "converter/SmartFitRules.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "media/FourCC.h"
#include "media/QVMediaFileInfo.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QVariantList lines(std::initializer_list<const char *> texts)
{
    QVariantList out;
    for (const char *t : texts)
        out.append(QString::fromUtf8(t));
    return out;
}

// One preset "Fit" (formal title "FitKey") and a rules file whose rule "R" the test fills.
class SmartFit : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString presets = PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), R"(<L>
          <Format id="1" categoryid="1" FourCC="mp4" Ext="mp4"><Title>Fit</Title><FormalTitleIDTitle>FitKey</FormalTitleIDTitle>
            <VideoEncoders default="avc1">avc1</VideoEncoders><AudioEncoders default="mp4a">mp4a</AudioEncoders>
            <Resolution default="1280*720">1280*720</Resolution><FrameRate default="25">25</FrameRate>
            <VideoBitrate default="1500">1500</VideoBitrate><AudioBitrate default="128">128</AudioBitrate>
            <SampleRate default="44100">44100</SampleRate><Channel default="2">2</Channel></Format>
          <Format id="2" categoryid="3" FourCC="mp4"><Title>NoRule</Title></Format>
        </L>)");
        catalogue = EncFormatMgr::initWithFile(presets, QDir(dir.path()).filePath(QStringLiteral("none.pro")));
        ASSERT_TRUE(catalogue);
    }
    void TearDown() override { SmartFitRules::setRulesPathForTesting({}); }

    void useRules(const QVariantMap &video, const QVariantMap &audio, const QVariantMap &table = {})
    {
        QVariantMap rule;
        if (!video.isEmpty())
            rule.insert(QStringLiteral("Video"), video);
        if (!audio.isEmpty())
            rule.insert(QStringLiteral("Audio"), audio);
        QVariantMap root{{QStringLiteral("RuleKeyOfFileFormat"), QVariantMap{{QStringLiteral("FitKey"), QStringLiteral("R")}}},
                         {QStringLiteral("Rules"), QVariantMap{{QStringLiteral("R"), rule}}}};
        if (!table.isEmpty())
            root.insert(QStringLiteral("BitrateControlTable"), table);
        const QString path = QDir(dir.path()).filePath(QStringLiteral("rules.plist"));
        ASSERT_TRUE(PropertyList::writeFile(path, root));
        SmartFitRules::setRulesPathForTesting(path);
    }

    // A source with the given picture, rate and streams; the block starts from the preset.
    IM_MediaItemExtended item(int w, int h, double fps, int64_t vbps = 0, int rate = 44100, int ch = 2, int64_t abps = 0)
    {
        IM_MediaItemExtended it;
        IM_MediaInfo &info = it.mediaItem().mediaInfo();
        info.hasVideo = true;
        info.hasAudio = true;
        info.width = w;
        info.height = h;
        info.frameRate = fps;
        info.videoBitrate = vbps;
        info.sampleRate = rate;
        info.channels = ch;
        info.audioBitrate = abps;
        it.setFormatCatalogue(catalogue.get());
        it.setFormatId(1);
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        catalogue->formatItemForID(1)->getDefaultSettings(&b);
        it.setEncodeParam(b);
        return it;
    }

    QTemporaryDir dir;
    std::unique_ptr<EncFormatMgr> catalogue;
};

} // namespace

TEST(SmartFitRanges, RangeTextAndConditions)
{
    const struct
    {
        const char *text;
        bool ok;
        double low, high;
    } cases[] = {{"500,2000", true, 500, 2000}, {"(2000,500)", true, 500, 2000}, {" {44100} ", true, 44100, 44100},
                 {"23.976", true, 23.976, 23.976}, {"1,2,3", false, 0, 0}, {"width>1", false, 0, 0},
                 {"", false, 0, 0}, {"-5,5", false, 0, 0}};
    for (const auto &c : cases) {
        ParameterRange r;
        EXPECT_EQ(NSStringIntelligentParameterExtension::parameterRange(QString::fromUtf8(c.text), &r), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(r.low, c.low) << c.text;
            EXPECT_DOUBLE_EQ(r.high, c.high) << c.text;
        }
    }

    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.width = 1920;
    b.height = 1080;
    b.frameRate = 29.97;
    const EncodeParamWrapper wrapper(&b);
    const RulePredicate::Resolver resolve = [&](const QString &k, double *v) { return wrapper.valueForKey(k, v); };
    const struct
    {
        const char *condition;
        bool holds;
    } predicates[] = {{"width > 1280", true}, {"width > 1280 AND height < 720", false}, {"width > 1280 or height < 720", true},
                      {"NOT (framerate >= 30)", true}, {"width * height >= 1920 * 1080", true}, {"framerate BETWEEN {29, 30}", true},
                      {"height IN {720, 1080}", true}, {"(width + 80) / 2 == 1000", true}, {"width / 0 > 1", false},
                      {"unknownkey > 1", false}, {"width >", false}, {"TRUEPREDICATE", true}, {"width != 1920 || !(height == 1080)", false},
                      {"((((width > 1))))", true}};
    for (const auto &p : predicates) {
        const RulePredicate parsed = RulePredicate::parse(QString::fromUtf8(p.condition));
        EXPECT_EQ(parsed.evaluate(resolve), p.holds) << p.condition;
    }
    EXPECT_FALSE(RulePredicate::parse(QString(5000, u'(')).isValid());
    EXPECT_FALSE(RulePredicate::parse(QStringLiteral("width > 1 )")).isValid());
}

TEST_F(SmartFit, ResolutionTable)
{
    useRules({{QStringLiteral("Resolutions"), lines({"0,1280*0,720"})}}, {});
    const struct
    {
        int w, h, ew, eh;
    } cases[] = {{1920, 1080, 1280, 720},   // outside: the nearest aspect-keeping corner
                 {854, 480, 852, 480},      // inside, then remainder 2 subtracts 2
                 {641, 359, 640, 360},      // remainder 1 and 3
                 {700, 400, 700, 400},
                 {2, 2, 4, 4},              // would snap to 0: the next multiple of 4 instead
                 {4000, 100, 1280, 32}};
    for (const auto &c : cases) {
        IM_MediaItemExtended it = item(c.w, c.h, 25);
        it.autoAdjustEncodeParam(IM_AutoResolution);
        EXPECT_EQ(it.encodeParam().width, c.ew) << c.w << "x" << c.h;
        EXPECT_EQ(it.encodeParam().height, c.eh) << c.w << "x" << c.h;
    }
}

TEST_F(SmartFit, ResolutionNeverZeroOrOutsideTheArea)
{
    useRules({{QStringLiteral("Resolutions"), lines({"320,640*240,480"})}}, {});
    {   // No candidate keeps the ratio inside: the size is brought into the area instead.
        IM_MediaItemExtended it = item(3000, 100, 25);
        it.autoAdjustEncodeParam(IM_AutoResolution);
        EXPECT_EQ(it.encodeParam().width, 640);
        EXPECT_EQ(it.encodeParam().height, 240);
    }
    {   // A source without a picture size keeps 0 (follow the source) instead of dividing by it.
        IM_MediaItemExtended it = item(0, 0, 25);
        it.autoAdjustEncodeParam(IM_AutoResolution);
        EXPECT_EQ(it.encodeParam().width, 0);
        EXPECT_EQ(it.encodeParam().height, 0);
    }
    useRules({{QStringLiteral("Resolutions"), lines({"16,1283*16,722"})}}, {});
    {   // 1283 snaps up to 1284 by its remainder, which leaves the area: it goes down instead.
        IM_MediaItemExtended it = item(1283, 719, 25);
        it.autoAdjustEncodeParam(IM_AutoResolution);
        EXPECT_EQ(it.encodeParam().width, 1280);
        EXPECT_EQ(it.encodeParam().height, 720);
    }
    for (const char *bad : {"1280", "0,1*0,2*0,3", "a*b"}) {
        useRules({{QStringLiteral("Resolutions"), lines({bad})}}, {});
        IM_MediaItemExtended it = item(1921, 1081, 25);
        it.autoAdjustEncodeParam(IM_AutoResolution);
        EXPECT_EQ(it.encodeParam().width, 1921) << bad;
        EXPECT_EQ(it.encodeParam().height, 1081) << bad;
    }
}

TEST_F(SmartFit, ConditionsSeeEarlierStepsAndFirstMatchingLineWins)
{
    useRules({{QStringLiteral("Resolutions"), lines({"0,1280*0,720"})},
              {QStringLiteral("FrameRates"), lines({"width > 1280;24", "30,60"})},
              {QStringLiteral("BitRates"), lines({"width > 1280;9000,9000", "width > 640;3000", "100,200"})}},
             {});
    IM_MediaItemExtended it = item(1920, 1080, 50, 8000000);
    it.autoAdjustEncodeParam(IM_AutoResolution | IM_AutoFrameRate | IM_AutoVideoBitrate);
    const IM_EncodeParamEx &b = it.encodeParam();
    EXPECT_DOUBLE_EQ(b.frameRate, 24.0);          // fitted first: saw the source's 1920
    EXPECT_EQ(b.width, 1280);
    EXPECT_EQ(b.videoBitrate, 3000000u);          // saw the fitted 1280
}

TEST_F(SmartFit, VideoBitrateRangesBaseRuleAndTable)
{
    useRules({{QStringLiteral("BitRates"), lines({"500,2000"})}}, {});
    for (const auto &c : std::initializer_list<std::pair<int64_t, uint32_t>>{{3500000, 2000000}, {300000, 500000}, {1200000, 1200000}}) {
        IM_MediaItemExtended it = item(1280, 720, 30, c.first);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate);
        EXPECT_EQ(it.encodeParam().videoBitrate, c.second) << c.first;
    }

    useRules({{QStringLiteral("BitRates"), lines({"2500 of 1280*720*30"})}}, {});
    {
        IM_MediaItemExtended it = item(640, 360, 30, 123);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate | IM_AutoResolution | IM_AutoFrameRate);
        EXPECT_EQ(it.encodeParam().videoBitrate, 625000u);
    }
    {   // No frame rate: nothing to scale by, the rate stays what the source gave.
        IM_MediaItemExtended it = item(640, 360, 0, 777000);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate | IM_AutoResolution | IM_AutoFrameRate);
        EXPECT_EQ(it.encodeParam().videoBitrate, 777000u);
    }
    useRules({{QStringLiteral("BitRates"), lines({"2500 of 1280*720*0"})}}, {});
    {
        IM_MediaItemExtended it = item(640, 360, 30, 777000);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate | IM_AutoResolution | IM_AutoFrameRate);
        EXPECT_EQ(it.encodeParam().videoBitrate, 777000u);
    }

    const QVariantMap table{
        {QStringLiteral("FourCCTable"), QVariantMap{{QStringLiteral("avc1"), QStringLiteral("H264")}}},
        {QStringLiteral("ResolutionTable"),
         QVariantMap{{QStringLiteral("H264"), lines({"bad line", "640*360*30;800", "1280*720*30;2500", "1280*720*30;9999"})}}}};
    useRules({{QStringLiteral("Resolutions"), lines({"0,4000*0,4000"})}}, {}, table);
    {
        IM_MediaItemExtended it = item(1280, 720, 30, 1);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate | IM_AutoResolution | IM_AutoFrameRate);
        EXPECT_EQ(it.encodeParam().videoBitrate, 2500000u);  // nearest line, the first of a tie
    }
    {
        IM_MediaItemExtended it = item(1920, 1080, 30, 1);
        it.autoAdjustEncodeParam(IM_AutoVideoBitrate | IM_AutoResolution | IM_AutoFrameRate);
        EXPECT_EQ(it.encodeParam().videoBitrate, 5625000u);
    }
}

TEST_F(SmartFit, AudioRules)
{
    useRules({}, {{QStringLiteral("SampleRates"), lines({"44100,48000"})},
                  {QStringLiteral("Channels"), lines({"channel > 2;4", "2"})},
                  {QStringLiteral("BitRates"), lines({"audiobitrate > 200000;192000", "128000"})}});
    IM_MediaItemExtended it = item(640, 480, 25, 0, 96000, 6, 320000);
    it.autoAdjustEncodeParam(0x70);
    EXPECT_EQ(it.encodeParam().sampleRate, 44100u);
    EXPECT_EQ(it.encodeParam().channels, 2u);  // 4 is no supported count
    EXPECT_EQ(it.encodeParam().audioBitrate, 192000u);
    EXPECT_EQ(it.encodeParam().width, 1280);   // video untouched: no video rules, no video bits
}

TEST_F(SmartFit, NothingChangesWithoutRuleOrMask)
{
    useRules({{QStringLiteral("Resolutions"), lines({"0,320*0,240"})}}, {});
    IM_MediaItemExtended it = item(1920, 1080, 25, 5000000);
    const IM_EncodeParamEx before = it.encodeParam();
    it.autoAdjustEncodeParam(0);
    EXPECT_EQ(std::memcmp(&before, &it.encodeParam(), sizeof before), 0);

    it.setFormatId(2);  // a preset without a rule
    it.autoAdjustEncodeParam(0x7E);
    EXPECT_EQ(std::memcmp(&before, &it.encodeParam(), sizeof before), 0);

    // A damaged rules file is reported, then tried again by the next fitting.
    const QString path = PresetFixtures::write(dir.path(), QStringLiteral("broken.plist"), "<plist><dict><key>x");
    SmartFitRules::setRulesPathForTesting(path);
    it.setFormatId(1);
    it.autoAdjustEncodeParam(0x7E);
    EXPECT_EQ(std::memcmp(&before, &it.encodeParam(), sizeof before), 0);
    EXPECT_FALSE(SmartFitRules::lastError().isEmpty());
    useRules({{QStringLiteral("Resolutions"), lines({"0,320*0,240"})}}, {});
    it.autoAdjustEncodeParam(IM_AutoResolution);
    EXPECT_EQ(it.encodeParam().width, 320);
}

TEST_F(SmartFit, LosslessDetectionAndFrameRateSnap)
{
    const struct
    {
        double in, out;
    } snaps[] = {{29.975, 29.97002997}, {30.0, 30.0}, {23.976, 23.97602397}, {14.985, 14.98501498}, {59.94, 59.94005994},
                 {23.98, 23.98}};
    for (const auto &s : snaps)
        EXPECT_DOUBLE_EQ(IM_MediaItemExtended::snapLosslessFrameRate(s.in), s.out) << s.in;

    useRules({{QStringLiteral("Resolutions"), lines({"0,1920*0,1080"})}}, {{QStringLiteral("SampleRates"), lines({"44100"})}});
    const QString clip = MediaFixtures::makeClip(dir.path(), QStringLiteral("src.mp4"), {1.0, QStringLiteral("320x240"), true, true});
    ASSERT_FALSE(clip.isEmpty());
    const QVMediaFileInfo info(clip);
    ASSERT_TRUE(info.isValid());
    auto fromClip = [&] {
        IM_MediaItemExtended it(IM_MediaItem(info.programInfoAtIndex(0), info));
        it.setFormatCatalogue(catalogue.get());
        it.setFormatId(1);
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        catalogue->formatItemForID(1)->getDefaultSettings(&b);
        b.smartFitMask = 0x7E;
        it.setEncodeParam(b);
        return it;
    };
    {   // H.264/AAC into an H.264/AAC preset: both streams pass through.
        IM_MediaItemExtended it = fromClip();
        EXPECT_TRUE(it.isMediaItemLossless());
        EXPECT_TRUE(it.mediaItem().mediaInfo().videoLossless);
        EXPECT_TRUE(it.mediaItem().mediaInfo().audioLossless);
        EXPECT_EQ(it.encodeParam().width, 320);
        EXPECT_EQ(it.encodeParam().videoFourCC, StringToFourCC(QStringLiteral("avc1")));
    }
    {   // A lossless copy keeps the source's NTSC-style rate exact in the block.
        const QString ntsc = QDir(dir.path()).filePath(QStringLiteral("ntsc.mp4"));
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=size=320x240:rate=29.975:duration=1"),
                      QStringLiteral("-an"), QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("yuv420p"), QStringLiteral("-y"), ntsc});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        ASSERT_EQ(ffmpeg.exitCode(), 0);
        const QVMediaFileInfo ntscInfo(ntsc);
        ASSERT_NEAR(ntscInfo.firstVideo()->frameRate(), 29.975, 0.001);
        IM_MediaItemExtended it(IM_MediaItem(ntscInfo.programInfoAtIndex(0), ntscInfo));
        it.setFormatCatalogue(catalogue.get());
        it.setFormatId(1);
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        catalogue->formatItemForID(1)->getDefaultSettings(&b);
        b.smartFitMask = 0x7E;
        it.setEncodeParam(b);
        it.isMediaItemLossless();
        ASSERT_TRUE(it.mediaItem().mediaInfo().videoLossless);
        EXPECT_DOUBLE_EQ(it.encodeParam().frameRate, 29.97002997);
    }
    {   // A subtitle to burn in needs the picture encoded again.
        IM_MediaItemExtended it = fromClip();
        it.mediaItem().setSubtitlePath(QDir(dir.path()).filePath(QStringLiteral("s.srt")));
        EXPECT_FALSE(it.isMediaItemLossless());
        EXPECT_FALSE(it.mediaItem().mediaInfo().videoLossless);
    }
}

// The size an output file is named after: the source's when the picture is copied or the block
// leaves the size open, else the block's.
TEST_F(SmartFit, OutputFrameSize)
{
    const struct
    {
        int sourceW, sourceH, blockW, blockH;
        bool lossless;
        QSizeF size;
    } cases[] = {
        {640, 480, 1280, 720, true, {640, 480}},
        {640, 480, 1280, 720, false, {1280, 720}},
        {640, 480, 0, 0, false, {640, 480}},
        {0, 0, 1280, 720, true, {1280, 720}}, // source size unknown: the block's
    };
    for (const auto &c : cases) {
        IM_MediaItemExtended it = item(c.sourceW, c.sourceH, 25);
        IM_EncodeParamEx block = it.encodeParam();
        block.width = c.blockW;
        block.height = c.blockH;
        EXPECT_EQ(it.outputFrameSize(block, c.lossless), c.size) << c.sourceW << "x" << c.sourceH << " " << c.blockW << "x" << c.blockH << " " << c.lossless;
    }
}

TEST_F(SmartFit, PresetNamesAndTargetName)
{
    IM_MediaItemExtended it = item(640, 480, 25);
    EXPECT_EQ(it.autoFormatRuleKey(), QStringLiteral("FitKey"));
    EXPECT_EQ(it.currentFormatName(), QStringLiteral("fitkey"));
    EXPECT_EQ(it.formatName(), QStringLiteral("Fit"));
    it.setFormatId(2);
    EXPECT_EQ(it.autoFormatRuleKey(), QStringLiteral("NoRule"));  // no formal title: the title
    EXPECT_TRUE(it.currentFormatName().isNull());                // category 3
}
