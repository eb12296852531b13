// Post-processing branches (with a recording stand-in and with the real ffmpeg), and the
// Reelgrab program run standalone against pages served from loopback.
#include "platform/AppPaths.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVMediaSniffer.h"
#include "reelgrab/QVReelgrabPostProcessor.h"
#include "support/TestEnvironment.h"
#include "TestHttpServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

QString script(const QString &path, const QByteArray &body)
{
    writeFile(path, "#!/bin/sh\n" + body);
    QFile(path).setPermissions(QFile(path).permissions() | QFileDevice::ExeOwner);
    return path;
}

QVSniffingMediaSegment seg(const QString &path, const char *format)
{
    QVSniffingMediaSegment s;
    s.setSavePath(path);
    s.setMediaFormat(MediaFormatCode::fromString(QString::fromLatin1(format)));
    return s;
}

TEST(ReelgrabPostProcess, BranchTable)
{
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/post-XXXXXX"));
    const QString d = dir.path();
    // Writes $SIZE bytes (from the file beside it) to its last argument and exits with $CODE.
    const QString tool = script(d + QStringLiteral("/tool"),
                                "for a; do out=\"$a\"; done\n"
                                "head -c $(cat \"$0.size\") /dev/zero > \"$out\"\nexit $(cat \"$0.code\")\n");
    const QString w = d + QStringLiteral("/work");
    QDir().mkpath(w);
    const QString target = d + QStringLiteral("/Film.mp4");
    const QString mp3Target = d + QStringLiteral("/Film.mp3");
    struct Case
    {
        const char *name;
        QList<QVSniffingMediaSegment> segments;
        int content;
        QString target;
        bool ffmpeg, swiftcarry;
        int size, code;
        qint64 preexisting; // bytes already at the target (-1: none)
        bool ok;
        QStringList firstRun; // arguments of the first run, with "<tmp>" for the temporary output
        int runs;
    } cases[] = {
        {"audio extraction", {seg(w + "/Film.mp4a", "mp4a")}, 4, mp3Target, true, false, 2000, 0, -1, true,
         {"-i", w + "/Film.mp4a", "-f", "mp3", "-vn", "-ab", "320000", "-y", "<tmp>"}, 1},
        {"mp3 already", {seg(mp3Target, "mp3 ")}, 4, mp3Target, true, false, 0, 0, 1024, true, {}, 0},
        {"1023 bytes is too small", {seg(target, "mp4 ")}, 2, target, true, false, 0, 0, 1023, false, {}, 0},
        {"join, audio last", {seg(w + "/Film-00.mp4", "mp4 "), seg(w + "/Film-01.mp4a", "mp4a")}, 2, target, true, false,
         5000, 0, 0, true,
         {"-i", w + "/Film-01.mp4a", "-i", w + "/Film-00.mp4", "-acodec", "copy", "-vcodec", "copy", "-y", "<tmp>"}, 1},
        {"join, audio first", {seg(w + "/Film-00.mp4a", "mp4a"), seg(w + "/Film-01.mp4", "mp4 ")}, 2, target, true, false,
         5000, 0, 0, true,
         {"-i", w + "/Film-00.mp4a", "-i", w + "/Film-01.mp4", "-acodec", "copy", "-vcodec", "copy", "-y", "<tmp>"}, 1},
        {"mp4 and webm are concatenated", {seg(w + "/Film-00.mp4", "mp4 "), seg(w + "/Film-01.webm", "webm")}, 2, target,
         true, false, 5000, 0, 0, true,
         {"-f", "concat", "-safe", "0", "-i", "<list>", "-c", "copy", "-y", "<tmp>"}, 1},
        {"a failing tool is a failure even with output", {seg(w + "/Film-00.ts", "ts  "), seg(w + "/Film-01.ts", "ts  ")}, 2,
         target, true, false, 5000, 1, 0, false, {}, 1},
        {"short output is a failure", {seg(w + "/Film-00.ts", "ts  "), seg(w + "/Film-01.ts", "ts  ")}, 2, target, true,
         false, 1023, 0, 0, false, {}, 1},
        {"segmented audio: concatenate, then extract", {seg(w + "/Film-00.ts", "ts  "), seg(w + "/Film-01.ts", "ts  ")}, 4,
         mp3Target, true, false, 3000, 0, 0, true, {}, 2},
        {"no ffmpeg: SwiftcarryCmd joins", {seg(w + "/Film-00.mp4", "mp4 "), seg(w + "/Film-01.mp4a", "mp4a")}, 2, target,
         false, true, 3000, 0, 0, true,
         {"Swiftcarry-MediaCombine", "-aFiles", w + "/Film-01.mp4a", "-vFiles", w + "/Film-00.mp4", "-outFile", "<tmp>"}, 1},
        {"no tool at all", {seg(w + "/Film.mp4a", "mp4a")}, 4, mp3Target, false, false, 3000, 0, -1, false, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(target);
        QFile::remove(mp3Target);
        if (c.preexisting >= 0)
            writeFile(c.target, QByteArray(c.preexisting, 'v'));
        writeFile(tool + QStringLiteral(".size"), QByteArray::number(c.size));
        writeFile(tool + QStringLiteral(".code"), QByteArray::number(c.code));
        QVReelgrabPostProcessor::Job job;
        job.segments = c.segments;
        job.downloadContent = c.content;
        job.target = c.target;
        job.guid = QStringLiteral("0A0B0C0D-0000-4000-8000-000000000001");
        job.pageUrl = QStringLiteral("http://127.0.0.1/page");
        job.ffmpegPath = c.ffmpeg ? tool : QString();
        job.swiftcarryPath = c.swiftcarry ? tool : QString();
        const auto result = QVReelgrabPostProcessor::run(job);
        EXPECT_EQ(result.ok, c.ok);
        EXPECT_EQ(result.runs.size(), c.runs);
        if (!c.firstRun.isEmpty() && !result.runs.isEmpty()) {
            QStringList args = result.runs.first().mid(1);
            for (QString &a : args) {
                if (a.endsWith(QLatin1String(".lst")))
                    a = QStringLiteral("<list>");
                else if (a.contains(QLatin1String(".part.")))
                    a = QStringLiteral("<tmp>");
            }
            EXPECT_EQ(args, c.firstRun);
        }
        // Nothing temporary is left beside the target.
        const QStringList left = QDir(d).entryList(QStringList{QStringLiteral(".*part*"), QStringLiteral("*.lst")},
                                                   QDir::Files | QDir::Hidden);
        EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();
        if (!c.ok && c.preexisting < 0)
            EXPECT_FALSE(QFileInfo::exists(c.target));
    }
}

TEST(ReelgrabPostProcess, ConcatListQuotesPaths)
{
    EXPECT_EQ(QVReelgrabPostProcessor::concatList({QStringLiteral("/t/it's.ts"), QStringLiteral("/t/b.ts")}),
              QStringLiteral("file '/t/it'\\''s.ts'\nfile '/t/b.ts'\n"));
    EXPECT_TRUE(QVReelgrabPostProcessor::concatListPath(QStringLiteral("ABC")).endsWith(QLatin1String("/ABC.lst")));
}

QString ffmpeg() { return QStandardPaths::findExecutable(QStringLiteral("ffmpeg")); }

bool makeMedia(const QStringList &args)
{
    QProcess p;
    p.start(ffmpeg(), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                                  QStringLiteral("-y")}
                          + args);
    return p.waitForFinished(60000) && p.exitCode() == 0;
}

QString probe(const QString &file, const QString &entries)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("ffprobe")),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"), entries, QStringLiteral("-of"),
             QStringLiteral("csv=p=0"), file});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

TEST(ReelgrabPostProcess, RealFfmpegJoinsAndConcatenates)
{
    if (ffmpeg().isEmpty())
        GTEST_SKIP() << "ffmpeg missing";
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/real-XXXXXX"));
    const QString d = dir.path() + QStringLiteral("/it's here");
    QDir().mkpath(d);
    const QString video = d + QStringLiteral("/v.mp4"), audio = d + QStringLiteral("/a.m4a");
    const QString p1 = d + QStringLiteral("/p1.ts"), p2 = d + QStringLiteral("/p2.ts");
    const QString src = QStringLiteral("testsrc=duration=1:size=160x120:rate=10");
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", src, "-c:v", "mpeg4", video}));
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:a", "aac", audio}));
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", src, "-c:v", "mpeg4", "-f", "mpegts", p1}));
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", src, "-c:v", "mpeg4", "-f", "mpegts", p2}));

    QVReelgrabPostProcessor::Job join;
    join.segments = {seg(video, "mp4 "), seg(audio, "mp4a")};
    join.target = d + QStringLiteral("/joined.mp4");
    join.guid = QStringLiteral("0A0B0C0D-0000-4000-8000-000000000002");
    join.ffmpegPath = ffmpeg();
    writeFile(join.target, {}); // the reserved placeholder
    auto r = QVReelgrabPostProcessor::run(join);
    ASSERT_TRUE(r.ok);
    QStringList streams = probe(join.target, QStringLiteral("stream=codec_type")).split(u'\n');
    streams.sort();
    EXPECT_EQ(streams, (QStringList{QStringLiteral("audio"), QStringLiteral("video")}));

    QVReelgrabPostProcessor::Job concat = join;
    concat.segments = {seg(p1, "ts  "), seg(p2, "ts  ")};
    concat.target = d + QStringLiteral("/joined.ts");
    r = QVReelgrabPostProcessor::run(concat);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(probe(concat.target, QStringLiteral("stream=nb_read_frames")).isEmpty(), false);
    const double duration = probe(concat.target, QStringLiteral("format=duration")).toDouble();
    EXPECT_GT(duration, 1.8);
}

TEST(ReelgrabSniffer, WebResponseTable)
{
    QVMediaSniffer sniffer(nullptr);
    // A small video response stretches the budget by 20 s, the fraction kept.
    sniffer.setTimesForTesting(30, 120);
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/ad.mp4"), QStringLiteral("video/mp4"), 500000,
                              QStringLiteral("mp4"));
    EXPECT_NEAR(sniffer.maxSniffingTime(), 146.67, 0.01);
    EXPECT_NEAR(sniffer.sniffedTime(), 36.67, 0.01);
    // A Flash object changes nothing; a text response changes nothing.
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/x.swf"), QStringLiteral("application/x-shockwave-flash"),
                              100, QStringLiteral("swf"));
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/x.txt"), QStringLiteral("text/html"), 100, QString());
    EXPECT_NEAR(sniffer.maxSniffingTime(), 146.67, 0.01);
    // Advertisements cannot stretch it beyond the hard cap.
    for (int i = 0; i < 100; ++i)
        sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/ad.mp4"), QStringLiteral("video/mp4"), 10,
                                  QStringLiteral("mp4"));
    EXPECT_LE(sniffer.maxSniffingTime(), QVMediaSniffer::MaxBudget);
    EXPECT_TRUE(sniffer.webViewResult().candidateMedias().isEmpty());
    // A real media is taken once, with the query cut for a plain file.
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/v.webm?a=1&b=2"), QStringLiteral("video/webm"),
                              2 * 1024 * 1024, QStringLiteral("webm"));
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/v.webm?a=1&b=2"), QStringLiteral("video/webm"),
                              2 * 1024 * 1024, QStringLiteral("webm"));
    ASSERT_EQ(sniffer.webViewResult().candidateMedias().size(), 1);
    EXPECT_EQ(sniffer.webViewResult().candidateMedias()[0].segments()[0].url(), QStringLiteral("http://127.0.0.1:9/v.webm"));
    EXPECT_LE(sniffer.maxSniffingTime() - sniffer.sniffedTime(), QVMediaSniffer::SettleAfterMedia + 0.01);
}

// --- the program, standalone ---

struct RunResult
{
    int code = -1;
    QString out, err;
};

RunResult runReelgrab(const QString &url, int webSeconds = 20, int timeoutMs = 90000)
{
    const QString prefs = TestEnvironment::home() + QStringLiteral("/standalone.plist");
    writeFile(prefs, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                    "<key>download-webview-seconds</key><integer>%1</integer></dict></plist>\n")
                         .arg(webSeconds)
                         .toUtf8());
    QProcess p;
    p.start(QStringLiteral(REELGRAB_PROGRAM), {QStringLiteral("-u"), url, QStringLiteral("-p"), prefs});
    RunResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class ReelgrabStandalone : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (ffmpeg().isEmpty())
            return;
        s_clip = new QByteArray;
        s_big = new QByteArray;
        const QString d = TestEnvironment::home() + QStringLiteral("/media");
        QDir().mkpath(d);
        makeMedia({"-f", "lavfi", "-i", "testsrc=duration=1:size=160x120:rate=10", "-c:v", "mpeg4", d + "/clip.mp4"});
        *s_clip = readAll(d + QStringLiteral("/clip.mp4"));
        // Big enough (over 1 MiB) to count as media on the page-loading road.
        makeMedia({"-f", "lavfi", "-i", "nullsrc=s=320x240:d=2:r=15,geq=lum='random(1)*255':cb=128:cr=128", "-c:v",
                   "libvpx", "-b:v", "20M", "-deadline", "realtime", d + "/big.webm"});
        *s_big = readAll(d + QStringLiteral("/big.webm"));
        makeMedia({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=10", "-c:v", "mpeg4", "-f", "hls",
                   "-hls_time", "1", "-hls_list_size", "0", "-hls_segment_filename", d + "/seg%d.ts", d + "/list.m3u8"});
    }
    void SetUp() override
    {
        if (!s_clip || s_clip->isEmpty())
            GTEST_SKIP() << "ffmpeg missing";
        ASSERT_GT(s_big->size(), QVMediaSniffer::MinMediaBytes);
    }
    static QString downloads() { return AppPaths::downloads(); }
    static inline QByteArray *s_clip = nullptr;
    static inline QByteArray *s_big = nullptr;
};

TEST_F(ReelgrabStandalone, DirectMediaAddress)
{
    TestHttpServer server;
    TestHttpServer::Resource r;
    r.body = *s_clip;
    r.contentType = "video/mp4";
    r.disposition = "attachment; filename=\"../../evil/direct clip.mp4\"";
    server.add(QStringLiteral("/files/direct.mp4"), r);
    const RunResult run = runReelgrab(server.url(QStringLiteral("/files/direct.mp4")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).absolutePath(), QDir(downloads()).absolutePath());
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("direct clip.mp4"));
    EXPECT_EQ(readAll(run.out), *s_clip);
}

TEST_F(ReelgrabStandalone, PageWithVideoElementAndHostileTitle)
{
    TestHttpServer server;
    server.add(QStringLiteral("/v/movie.mp4"), *s_clip, "video/mp4");
    QString hostile = QStringLiteral("../../x\x01\x1f") + QString(400, u'A');
    server.add(QStringLiteral("/page.html"),
               (QStringLiteral("<html><head><title>%1</title></head><body><video src=\"/v/movie.mp4\"></video></body></html>")
                    .arg(hostile))
                   .toUtf8(),
               "text/html; charset=utf-8");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/page.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QFileInfo info(run.out);
    EXPECT_EQ(info.absolutePath(), QDir(downloads()).absolutePath());
    EXPECT_LE(info.fileName().toUtf8().size(), 255);
    EXPECT_FALSE(info.fileName().contains(u'/'));
    for (QChar ch : info.fileName())
        EXPECT_GE(ch.unicode(), 0x20);
    EXPECT_EQ(readAll(run.out), *s_clip);
}

TEST_F(ReelgrabStandalone, PageWithHlsPlaylistOnly)
{
    TestHttpServer server;
    const QString d = TestEnvironment::home() + QStringLiteral("/media");
    server.add(QStringLiteral("/hls/list.m3u8"), readAll(d + QStringLiteral("/list.m3u8")), "application/vnd.apple.mpegurl");
    QByteArray joined;
    for (int i = 0; QFileInfo::exists(d + QStringLiteral("/seg%1.ts").arg(i)); ++i) {
        const QByteArray part = readAll(d + QStringLiteral("/seg%1.ts").arg(i));
        server.add(QStringLiteral("/hls/seg%1.ts").arg(i), part, "video/mp2t");
        joined += part;
    }
    server.add(QStringLiteral("/hls.html"),
               "<html><head><title>Stream</title></head><body><video><source src=\"/hls/list.m3u8\" "
               "type=\"application/x-mpegURL\"></video></body></html>",
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/hls.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(run.out), joined);
}

TEST_F(ReelgrabStandalone, PageWithoutMediaFailsAndLeavesNothing)
{
    TestHttpServer server;
    server.add(QStringLiteral("/empty.html"), "<html><head><title>Nothing</title></head><body>text</body></html>",
               "text/html");
    const QStringList before = QDir(downloads()).entryList(QDir::Files | QDir::Hidden);
    const RunResult run = runReelgrab(server.url(QStringLiteral("/empty.html")), 2);
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("sniffing failed"))) << run.err.toStdString();
    EXPECT_EQ(QDir(downloads()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(ReelgrabStandalone, VideoInsertedByScriptIsFoundByLoadingThePage)
{
    TestHttpServer server;
    server.add(QStringLiteral("/late/big.webm"), *s_big, "video/webm");
    // The address is put together at run time, so reading the HTML cannot find it.
    server.add(QStringLiteral("/late.html"),
               "<html><head><title>Late video</title></head><body><script>"
               "setTimeout(function(){var v=document.createElement('video');v.muted=true;v.preload='auto';"
               "v.src='/la'+'te/'+'big'+'.we'+'bm';document.body.appendChild(v);v.play();},300);"
               "</script></body></html>",
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/late.html")), 30, 110000);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Late video.webm"));
    EXPECT_EQ(readAll(run.out), *s_big);
}

} // namespace
