#include "MediaFixtures.h"
#include "tools/swiftcarry/FfmpegCommand.h"
#include "tools/swiftcarry/SwiftcarryMediaInfo.h"
#include "tools/swiftcarry/SwiftcarryPostProcess.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/SwiftcarryToolRun.h"
#include "media/QVMediaFileInfo.h"
#include "media/VexlumeCodecs.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace SwiftcarryProtocol;
using VexlumeCodecs::fourCC;

namespace {

IM_EncodeParamEx mp4Block()
{
    IM_EncodeParamEx b = MediaFixtures::mp4Target(160, 120, 300000, 22050, 1, 64000);
    b.frameRate = 15;
    return b;
}

QString valueAfter(const QStringList &args, const QString &option)
{
    const qsizetype at = args.indexOf(option);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

class SwiftcarryTool : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_clip = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("clip.mp4"), {1.0, QStringLiteral("320x240")});
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir *s_dir;
    static QString s_clip;

    static int runTool(const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(toolPath(), args);
        if (!p.waitForFinished(60000))
            return -100;
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};
QTemporaryDir *SwiftcarryTool::s_dir = nullptr;
QString SwiftcarryTool::s_clip;

} // namespace

TEST(SwiftcarryNames, ConnectionNamesAndTheirUse)
{
    EXPECT_EQ(convertConnectionName(7), bundleIdentifier() + QStringLiteral(":Swiftcarry-MediaConvert.7"));
    const QString info = uniqueConnectionName(MediaInfoService);
    EXPECT_TRUE(info.startsWith(bundleIdentifier() + QStringLiteral(":Swiftcarry-MediaInfo-")));
    EXPECT_NE(info, uniqueConnectionName(MediaInfoService));
    EXPECT_EQ(useOfConnectionName(convertConnectionName(100001)), Use::Convert);
    EXPECT_EQ(useOfConnectionName(info), Use::MediaInfo);
    EXPECT_EQ(useOfConnectionName(uniqueConnectionName(ThumbnailService)), Use::Thumbnail);
    EXPECT_EQ(useOfConnectionName(QStringLiteral("-inFile")), Use::Unknown);
}

TEST(SwiftcarryArchive, MalformedObjectsReadAsEmpty)
{
    EXPECT_TRUE(unarchiveDictionary(QByteArray("\xff\xff\xff", 3)).isEmpty());
    EXPECT_TRUE(unarchiveStringList(QByteArray()).isEmpty());
    EXPECT_TRUE(unarchiveString(QByteArray("\x9f\x9f\x9f\x9f", 4)).isEmpty());
    QVariantMap m{{QStringLiteral("progress"), 42}, {QStringLiteral("dictionary-content"), QStringLiteral("x")}};
    EXPECT_EQ(unarchiveDictionary(archiveDictionary(m)).value(QStringLiteral("progress")).toInt(), 42);
}

TEST_F(SwiftcarryTool, ConversionArgumentsFollowTheBlock)
{
    ASSERT_FALSE(s_clip.isEmpty());
    const QVMediaFileInfo source(s_clip);
    QString error;
    const QString out = s_dir->filePath(QStringLiteral("-out.mp4"));
    QStringList args = FfmpegCommand::conversionArguments(mp4Block(), source, s_clip, {}, out, false, &error);
    ASSERT_FALSE(args.isEmpty()) << error.toStdString();
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:v")), QStringLiteral("libx264"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:a")), QStringLiteral("aac"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-vf")), QStringLiteral("scale=160:120"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-r")), QStringLiteral("15"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-b:v")), QStringLiteral("300000"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-ar")), QStringLiteral("22050"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-ac")), QStringLiteral("1"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-f")), QStringLiteral("mp4"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-i")), QStringLiteral("file:") + s_clip);
    // An output named like an option stays a file.
    EXPECT_EQ(args.last(), QStringLiteral("file:") + out);

    // Values under Smart Fit were fitted before the block got here: the fitted ones are written.
    IM_EncodeParamEx fit = mp4Block();
    fit.smartFitMask = IM_AutoResolution | IM_AutoFrameRate | IM_AutoSampleRate;
    fit.width = 1280;
    fit.height = 720;
    args = FfmpegCommand::conversionArguments(fit, source, s_clip, {}, out, false, &error);
    EXPECT_EQ(valueAfter(args, QStringLiteral("-vf")), QStringLiteral("scale=1280:720"));
    EXPECT_TRUE(args.contains(QStringLiteral("-r")));
    EXPECT_TRUE(args.contains(QStringLiteral("-ar")));

    // Lossless copies what the target can carry unchanged.
    args = FfmpegCommand::conversionArguments(mp4Block(), source, s_clip, {}, out, true, &error);
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:v")), QStringLiteral("copy"));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:a")), QStringLiteral("copy"));

    // Audio container or video off: no picture.
    IM_EncodeParamEx mp3 = EncodeParamData::zeroed();
    mp3.containerFourCC = fourCC("mp3 ");
    mp3.videoFourCC = fourCC("avc1");
    mp3.audioFourCC = fourCC(".mp3");
    args = FfmpegCommand::conversionArguments(mp3, source, s_clip, {}, s_dir->filePath(QStringLiteral("a.mp3")), true, &error);
    EXPECT_TRUE(args.contains(QStringLiteral("-vn")));
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:a")), QStringLiteral("libmp3lame"));
}

TEST_F(SwiftcarryTool, ConversionArgumentsRefuseWhatCannotBeDone)
{
    const QVMediaFileInfo source(s_clip);
    const QVMediaFileInfo missing(s_dir->filePath(QStringLiteral("missing.mp4")));
    IM_EncodeParamEx unknownCodec = mp4Block();
    unknownCodec.videoFourCC = fourCC("zzzz");
    IM_EncodeParamEx unknownContainer = mp4Block();
    unknownContainer.containerFourCC = fourCC("zzzz");
    IM_EncodeParamEx nothing = mp4Block();
    nothing.videoDisabled = nothing.audioDisabled = 1;
    const struct
    {
        const char *name;
        const QVMediaFileInfo *source;
        IM_EncodeParamEx block;
    } cases[] = {{"unreadable source", &missing, mp4Block()},
                 {"unknown video code", &source, unknownCodec},
                 {"unknown container", &source, unknownContainer},
                 {"no stream wanted", &source, nothing}};
    for (const auto &c : cases) {
        QString error;
        EXPECT_TRUE(FfmpegCommand::conversionArguments(c.block, *c.source, s_clip, {}, s_dir->filePath(QStringLiteral("x.mp4")),
                                                       false, &error)
                        .isEmpty())
            << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
}

TEST(FfmpegFilterEscaping, HostileSubtitleNamesStayOneValue)
{
    EXPECT_EQ(FfmpegCommand::escapeFilterValue(QStringLiteral("/a/b.srt")), QStringLiteral("/a/b.srt"));
    EXPECT_EQ(FfmpegCommand::escapeFilterValue(QStringLiteral("a'b")), QStringLiteral("a\\\\\\'b"));
    EXPECT_EQ(FfmpegCommand::escapeFilterValue(QStringLiteral("a:b")), QStringLiteral("a\\\\:b"));
    EXPECT_EQ(FfmpegCommand::escapeFilterValue(QStringLiteral("a,b[c];d")), QStringLiteral("a\\,b\\[c\\]\\;d"));
    EXPECT_EQ(FfmpegCommand::concatListLine(QStringLiteral("/x/it's.mp4")), QStringLiteral("file '/x/it'\\''s.mp4'\n"));
}

// The escaping is only right if ffmpeg itself reads the name back: burn a subtitle whose file
// name holds every character the filter syntax treats specially.
TEST_F(SwiftcarryTool, SubtitleWithHostileNameIsBurntIn)
{
    const QString subtitle = s_dir->filePath(QStringLiteral("sub 'x':y,z[1];2\\3.srt"));
    QFile f(subtitle);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("1\n00:00:00,000 --> 00:00:01,000\nHello\n\n");
    f.close();
    const QVMediaFileInfo source(s_clip);
    QString error;
    const QString out = s_dir->filePath(QStringLiteral("subbed.mp4"));
    QStringList args = FfmpegCommand::conversionArguments(mp4Block(), source, s_clip, subtitle, out, true, &error);
    ASSERT_FALSE(args.isEmpty()) << error.toStdString();
    EXPECT_EQ(valueAfter(args, QStringLiteral("-c:v")), QStringLiteral("libx264"));  // burning needs encoding
    args.removeAt(args.indexOf(QStringLiteral("-progress")) + 1);
    args.removeAll(QStringLiteral("-progress"));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(ffmpegPath(), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(MediaFixtures::codecNames(MediaFixtures::probe(out)), (QStringList{QStringLiteral("h264"), QStringLiteral("aac")}));
}

TEST(FfmpegProgressReader, TakesBlocksSplitAnywhere)
{
    FfmpegCommand::Progress progress;
    EXPECT_FALSE(progress.feed("frame=3\nout_time_us=5000"));
    EXPECT_TRUE(progress.feed("00\nprogress=continue\nout_time_us=N/A\n"));
    EXPECT_EQ(progress.outTimeUs(), 500000);
    EXPECT_FALSE(progress.ended());
    EXPECT_TRUE(progress.feed("out_time_ms=1000000\nprogress=end\n"));
    EXPECT_EQ(progress.outTimeUs(), 1000000);
    EXPECT_TRUE(progress.ended());
    FfmpegCommand::Progress flood;
    EXPECT_FALSE(flood.feed(QByteArray(100000, 'x')));  // no line end: dropped, not kept
}

TEST_F(SwiftcarryTool, AudioExtractWritesMp3)
{
    const QString out = s_dir->filePath(QStringLiteral("it's audio.mp3"));
    EXPECT_EQ(runTool({QLatin1String(AudioExtractUse), QStringLiteral("-inFile"), s_clip, QStringLiteral("-outFile"), out}), 0);
    const QVariantMap probe = MediaFixtures::probe(out);
    EXPECT_EQ(MediaFixtures::codecNames(probe), QStringList{QStringLiteral("mp3")});
    EXPECT_NEAR(MediaFixtures::duration(probe), 1.0, 0.2);
    // Wrong use and unreadable input fail with a non-zero status.
    EXPECT_NE(runTool({QLatin1String(AudioExtractUse), QStringLiteral("-inFile"), s_clip}), 0);
    EXPECT_NE(runTool({QLatin1String(AudioExtractUse), QStringLiteral("-inFile"), s_dir->filePath(QStringLiteral("none.mp4")),
                       QStringLiteral("-outFile"), s_dir->filePath(QStringLiteral("none.mp3"))}),
              0);
}

TEST_F(SwiftcarryTool, MediaCombineMuxesAndConcatenates)
{
    const QString audio = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("a.m4a"), {1.0, {}, false, true});
    const QString video = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("v.mp4"), {1.0, QStringLiteral("160x120"), true, false});
    ASSERT_FALSE(audio.isEmpty());
    ASSERT_FALSE(video.isEmpty());
    const QString muxed = s_dir->filePath(QStringLiteral("muxed.mp4"));
    EXPECT_EQ(runTool({QLatin1String(MediaCombineUse), QStringLiteral("-aFiles"), audio, QStringLiteral("-vFiles"), video,
                       QStringLiteral("-outFile"), muxed}),
              0);
    QStringList codecs = MediaFixtures::codecNames(MediaFixtures::probe(muxed));
    codecs.sort();
    EXPECT_EQ(codecs, (QStringList{QStringLiteral("aac"), QStringLiteral("h264")}));

    // A segment whose name needs quoting in the concat list.
    const QString quoted = s_dir->filePath(QStringLiteral("it's part.mp4"));
    ASSERT_TRUE(QFile::copy(s_clip, quoted));
    const QString joined = s_dir->filePath(QStringLiteral("joined.mp4"));
    EXPECT_EQ(runTool({QLatin1String(MediaCombineUse), QStringLiteral("-vFiles"), s_clip, quoted, QStringLiteral("-outFile"), joined}), 0);
    EXPECT_NEAR(MediaFixtures::duration(MediaFixtures::probe(joined)), 2.0, 0.25);
}

TEST(SwiftcarryPostProcessArgs, ValuesStopAtTheNextOption)
{
    const QStringList args{QStringLiteral("-vFiles"), QStringLiteral("a"), QStringLiteral("-b"), QStringLiteral("-outFile"), QStringLiteral("o")};
    EXPECT_EQ(SwiftcarryPostProcess::valuesOf(args, QStringLiteral("-vFiles")), (QStringList{QStringLiteral("a"), QStringLiteral("-b")}));
    EXPECT_EQ(SwiftcarryPostProcess::valuesOf(args, QStringLiteral("-outFile")), QStringList{QStringLiteral("o")});
    EXPECT_TRUE(SwiftcarryPostProcess::valuesOf(args, QStringLiteral("-aFiles")).isEmpty());
}

// The media-information use over a real connection: one report per file, then the end.
TEST_F(SwiftcarryTool, MediaInfoReportsEveryFileThenEnds)
{
    const QString corrupt = MediaFixtures::makeCorrupt(s_dir->path(), QStringLiteral("broken.mp4"));
    SwiftcarryToolRun run;
    QList<QPair<QString, QVariantMap>> reports;
    QObject::connect(&run, &SwiftcarryToolRun::messageReceived, [&](const QString &m, const QByteArray &o) {
        reports.append({m, m == QLatin1String(MediaInfoDidLoad) ? unarchiveDictionary(o) : QVariantMap()});
    });
    bool ended = false;
    bool bySignal = true;
    QObject::connect(&run, &SwiftcarryToolRun::toolEnded, [&](bool sig, int) {
        ended = true;
        bySignal = sig;
    });
    ASSERT_TRUE(run.publish(uniqueConnectionName(MediaInfoService)));
    ASSERT_TRUE(run.launch({s_clip, corrupt}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ended; }, 20000));
    EXPECT_FALSE(bySignal);
    ASSERT_EQ(reports.size(), 4);
    EXPECT_EQ(reports[0].first, QLatin1String(MediaInfoWillStart));
    const QVariantMap good = reports[1].second;
    EXPECT_EQ(good.value(QStringLiteral("dictionary-content")).toString(), QStringLiteral("Swiftcarry-MediaInfo"));
    EXPECT_EQ(good.value(QStringLiteral("filePath")).toString(), s_clip);
    EXPECT_EQ(good.value(QStringLiteral("duration")).toLongLong(), 1);
    EXPECT_EQ(good.value(QStringLiteral("resolution")).toMap().value(QStringLiteral("width")).toDouble(), 320.0);
    EXPECT_EQ(good.value(QStringLiteral("fileIndex")).toInt(), 1);
    EXPECT_EQ(good.value(QStringLiteral("filesCount")).toInt(), 2);
    EXPECT_FALSE(good.contains(QStringLiteral("error")));
    EXPECT_TRUE(reports[2].second.contains(QStringLiteral("error")));
    EXPECT_EQ(reports[2].second.value(QStringLiteral("fileIndex")).toInt(), 2);
    EXPECT_EQ(reports[3].first, QLatin1String(MediaInfoDidEnd));
}

TEST_F(SwiftcarryTool, ToolWithoutAListenerOrUseExitsWithAnError)
{
    EXPECT_NE(runTool({uniqueConnectionName(MediaInfoService), s_clip}), 0);  // nobody published the name
    EXPECT_EQ(runTool({QStringLiteral("whatever")}), 64);
    EXPECT_EQ(runTool({}), 64);
}
