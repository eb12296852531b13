// Post-processing branches (with a recording stand-in and with the real ffmpeg), and the
// Reelgrab program run standalone against pages served from loopback.
#include "platform/AppPaths.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/MediaRemuxer.h"
#include "reelgrab/QVMediaSniffer.h"
#include "reelgrab/QVReelgrabPostProcessor.h"
#include "reelgrab/ReelgrabMain.h"
#include "support/SpecialFiles.h"
#include "support/TestEnvironment.h"
#include "TestHttpServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <tuple>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where the helper keeps its work folders and lists: the private cache of this test's user.
QString helperWork() { return TestEnvironment::home() + QStringLiteral("/.cache/fennixpro/ReelgrabKit"); }

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
        qint64 engineBytes = -1; // what the engine reported for a single segment
    } cases[] = {
        {"audio extraction", {seg(w + "/Film.mp4a", "mp4a")}, 4, mp3Target, true, false, 2000, 0, -1, true,
         {"-i", w + "/Film.mp4a", "-f", "mp3", "-vn", "-ab", "320000", "-y", "<tmp>"}, 1},
        {"mp3 already", {seg(mp3Target, "mp3 ")}, 4, mp3Target, true, false, 0, 0, 1024, true, {}, 0},
        {"1023 bytes is too small", {seg(target, "mp4 ")}, 2, target, true, false, 0, 0, 1023, false, {}, 0},
        {"a tiny file the engine wrote whole", {seg(target, "mp3 ")}, 2, target, true, false, 0, 0, 417, true, {}, 0, 417},
        {"a tiny file shorter than the engine said", {seg(target, "mp4 ")}, 2, target, true, false, 0, 0, 400, false, {}, 0, 417},
        {"an empty placeholder is no download", {seg(target, "mp4 ")}, 2, target, true, false, 0, 0, 0, false, {}, 0, 0},
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
        job.engineBytes = c.engineBytes;
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
        if (!c.ok && c.preexisting < 0) {
            EXPECT_FALSE(QFileInfo::exists(c.target));
        }
    }
}

TEST(ReelgrabPostProcess, ConcatListQuotesPaths)
{
    EXPECT_EQ(QVReelgrabPostProcessor::concatList({QStringLiteral("/t/it's.ts"), QStringLiteral("/t/b.ts")}),
              QStringLiteral("file '/t/it'\\''s.ts'\nfile '/t/b.ts'\n"));
    // The list lives in the private cache; a name that is not an identifier cannot climb out.
    const QString id = QStringLiteral("0A0B0C0D-0000-4000-8000-000000000001");
    EXPECT_EQ(QVReelgrabPostProcessor::concatListPath(id), helperWork() + QStringLiteral("/Lists/") + id + QStringLiteral(".lst"));
    EXPECT_EQ(QVReelgrabPostProcessor::concatListPath(QStringLiteral("../../x")), helperWork() + QStringLiteral("/Lists/segments.lst"));
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

// A stream copied out of MPEG-TS goes into MP4 when MP4 can hold every stream, else into a
// container that can, under a name of its extension; the reserved empty name does not stay.
TEST(ReelgrabPostProcess, StreamsAreCopiedIntoAContainerThatHoldsThemAll)
{
    if (ffmpeg().isEmpty())
        GTEST_SKIP() << "ffmpeg missing";
    if (!MediaRemuxer::available())
        GTEST_SKIP() << "stream module missing";
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/copy-XXXXXX"));
    const QString d = dir.path();
    const struct
    {
        const char *name;
        QStringList sound; // encoder arguments of the sound stream, and the download's container
        QString extension;
        QString codecs;
    } cases[] = {
        {"aac", {"-c:a", "aac", "-f", "mpegts"}, QStringLiteral("mp4"), QStringLiteral("h264,video\naac,audio")},
        // SMPTE 302M sound travels in MPEG-TS, but neither MP4 nor Matroska has a place for it:
        // the stream stays as it came rather than lose its sound.
        {"s302m", {"-c:a", "s302m", "-strict", "-2", "-f", "mpegts"}, QStringLiteral("ts"), QStringLiteral("h264,video\ns302m,audio")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString ts = d + QStringLiteral("/%1.ts").arg(QString::fromLatin1(c.name));
        ASSERT_TRUE(makeMedia(QStringList{"-f", "lavfi", "-i", "testsrc=duration=1:size=160x120:rate=10", "-f", "lavfi", "-i",
                                          "sine=frequency=440:duration=1:sample_rate=48000", "-ac", "2", "-c:v", "libx264",
                                          "-preset", "ultrafast"}
                              + c.sound + QStringList{ts}));
        QVReelgrabPostProcessor::Job job;
        job.segments = {seg(ts, "ts  ")};
        job.currentSegmentPath = ts;
        job.target = d + QStringLiteral("/%1 film.mp4").arg(QString::fromLatin1(c.name));
        writeFile(job.target, {}); // the reserved placeholder
        const auto r = QVReelgrabPostProcessor::run(job);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(QFileInfo(r.path).fileName(), QStringLiteral("%1 film.%2").arg(QString::fromLatin1(c.name), c.extension));
        // MPEG-TS lists its streams twice, once under their program.
        EXPECT_TRUE(probe(r.path, QStringLiteral("stream=codec_name,codec_type")).startsWith(c.codecs));
        EXPECT_EQ(QFileInfo::exists(job.target), c.extension == QLatin1String("mp4"));
        EXPECT_TRUE(r.runs.isEmpty()); // no tool was run
    }
}

TEST(ReelgrabSniffer, WebResponseTable)
{
    QVMediaSniffer sniffer(nullptr);
    // A small video response stretches the budget by 20 s, the fraction kept.
    sniffer.setTimesForTesting(2, 10);
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/ad.mp4"), QStringLiteral("video/mp4"), 500000,
                              QStringLiteral("mp4"));
    EXPECT_NEAR(sniffer.maxSniffingTime(), 35.0, 0.01);
    EXPECT_NEAR(sniffer.sniffedTime(), 7.0, 0.01);
    // A Flash object changes nothing; a text response changes nothing.
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/x.swf"), QStringLiteral("application/x-shockwave-flash"),
                              100, QStringLiteral("swf"));
    sniffer.handleWebResponse(QStringLiteral("http://127.0.0.1:9/x.txt"), QStringLiteral("text/html"), 100, QString());
    EXPECT_NEAR(sniffer.maxSniffingTime(), 35.0, 0.01);
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

// The helper's temporary folder: private to this test process, so what a run leaves there
// can be checked.
QString helperTemp()
{
    const QString path = TestEnvironment::home() + QStringLiteral("/helper-tmp");
    QDir().mkpath(path);
    return path;
}


QString writePrefs(int webSeconds)
{
    const QString prefs = TestEnvironment::home() + QStringLiteral("/standalone.plist");
    writeFile(prefs, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                    "<key>download-webview-seconds</key><integer>%1</integer></dict></plist>\n")
                         .arg(webSeconds)
                         .toUtf8());
    return prefs;
}

void startReelgrab(QProcess &p, const QString &url, int webSeconds, const QString &program = QStringLiteral(REELGRAB_PROGRAM),
                   const QStringList &more = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), helperTemp());
    p.setProcessEnvironment(env);
    p.start(program, QStringList{QStringLiteral("-u"), url, QStringLiteral("-p"), writePrefs(webSeconds)} + more);
}

RunResult runReelgrab(const QString &url, int webSeconds = 20, int timeoutMs = 90000,
                      const QString &program = QStringLiteral(REELGRAB_PROGRAM), const QStringList &more = {})
{
    QProcess p;
    startReelgrab(p, url, webSeconds, program, more);
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

// Packet sizes and digests of one kind of stream ("v" or "a"), in order: equal lists mean
// the streams are identical whatever container holds them.
// decoded: digests of the decoded frames instead, for a stream whose packets a container
// re-frames (H.264 from MPEG-TS into MP4 loses its start codes, not a picture).
QStringList packets(const QStringList &files, const QString &kind, bool decoded = false)
{
    QStringList out;
    for (const QString &file : files) {
        QProcess p;
        QStringList args{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), file, QStringLiteral("-map"),
                         QStringLiteral("0:") + kind};
        if (!decoded)
            args << QStringLiteral("-c") << QStringLiteral("copy");
        p.start(ffmpeg(), args << QStringLiteral("-f") << QStringLiteral("framemd5") << QStringLiteral("-"));
        p.waitForFinished(60000);
        for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
            const QStringList fields = line.split(u',');
            if (!line.startsWith(u'#') && fields.size() >= 6)
                out << fields[4].trimmed() + u' ' + fields[5].trimmed();
        }
    }
    return out;
}

// What is left in a folder, recursively, as relative paths.
QStringList contents(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// Three seconds of picture and sound as DASH pieces in folder/show.mpd, numbered by a
// template, over a timeline or by their duration.
bool makeDash(const QString &folder, bool timeline)
{
    return makeMedia({"-f", "lavfi", "-i", "testsrc=duration=3:size=160x120:rate=10", "-f", "lavfi", "-i",
                      "sine=frequency=500:duration=3", "-c:v", "mpeg4", "-g", "10", "-c:a", "aac", "-f", "dash",
                      "-seg_duration", "1", "-use_template", "1", "-use_timeline", timeline ? "1" : "0",
                      "-adaptation_sets", "id=0,streams=v id=1,streams=a", folder + "/show.mpd"});
}

// A page whose player names one source of that type.
QByteArray pageWithSource(const QString &title, const QString &src, const QString &type)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><video><source src=\"%2\" type=\"%3\"></video>"
                          "</body></html>")
        .arg(title, src, type)
        .toUtf8();
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
        // A stream as sites send it: H.264 and AAC in MPEG-TS pieces.
        makeMedia({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=10", "-f", "lavfi", "-i",
                   "sine=frequency=440:duration=2", "-c:v", "libx264", "-preset", "ultrafast", "-g", "10", "-c:a", "aac",
                   "-f", "hls", "-hls_time", "1", "-hls_list_size", "0", "-hls_segment_filename", d + "/seg%d.ts",
                   d + "/list.m3u8"});
        // Picture and sound apart, as adaptive streaming serves them; and a film in three
        // self-contained parts.
        makeMedia({"-f", "lavfi", "-i", "testsrc=duration=2:size=160x120:rate=10", "-c:v", "mpeg4", "-an", d + "/picture.mp4"});
        makeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a", "aac", d + "/sound.m4a"});
        for (int i = 1; i <= 3; ++i)
            makeMedia({"-f", "lavfi", "-i", "testsrc=duration=1:size=160x120:rate=10", "-f", "lavfi", "-i",
                       QStringLiteral("sine=frequency=%1:duration=1").arg(300 * i), "-c:v", "mpeg4", "-c:a", "aac",
                       "-shortest", d + QStringLiteral("/part%1.mp4").arg(i)});
    }
    void SetUp() override
    {
        if (!s_clip || s_clip->isEmpty())
            GTEST_SKIP() << "ffmpeg missing";
        ASSERT_GT(s_big->size(), QVMediaSniffer::MinMediaBytes);
    }
    static QString downloads() { return AppPaths::downloads(); }
    // A page whose video address is put together at run time, so reading its HTML cannot find
    // it: only loading the page does.
    // The title names the download: tests of one process share the download folder.
    static void serveLatePage(TestHttpServer &server, const QString &title)
    {
        server.add(QStringLiteral("/late/big.webm"), *s_big, "video/webm");
        server.add(QStringLiteral("/late.html"),
                   QStringLiteral("<html><head><title>%1</title></head><body><script>"
                                  "setTimeout(function(){var v=document.createElement('video');v.muted=true;v.preload='auto';"
                                  "v.src='/la'+'te/'+'big'+'.we'+'bm';document.body.appendChild(v);v.play();},300);"
                                  "</script></body></html>")
                       .arg(title)
                       .toUtf8(),
                   "text/html");
    }
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

TEST_F(ReelgrabStandalone, MediaWithoutAUsefulTypeIsDownloadedDirectly)
{
    TestHttpServer server;
    // A storage object: no extension, a neutral type; only its bytes say it is a film.
    server.add(QStringLiteral("/store/7f3a"), *s_clip, "application/octet-stream");
    // A sound file far below a kilobyte, served without a type.
    QByteArray tiny("ID3\x04\0\0\0\0\0\0", 10);
    tiny += QByteArray(400, '\x55');
    server.add(QStringLiteral("/tiny/Jingle.mp3"), tiny, "");
    struct Case
    {
        QString path;
        QByteArray body;
        QString suffix;
    } cases[] = {{QStringLiteral("/store/7f3a"), *s_clip, QStringLiteral("mp4")},
                 {QStringLiteral("/tiny/Jingle.mp3"), tiny, QStringLiteral("mp3")}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const RunResult run = runReelgrab(server.url(c.path));
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(QFileInfo(run.out).suffix(), c.suffix);
        EXPECT_EQ(readAll(run.out), c.body);
    }
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
    // Copied into MP4 as users expect, every stream kept, the picture's packets untouched.
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Stream.mp4"));
    EXPECT_TRUE(probe(run.out, QStringLiteral("format=format_name")).contains(QStringLiteral("mp4")));
    EXPECT_EQ(probe(run.out, QStringLiteral("stream=codec_type,codec_name")).split(u'\n'),
              (QStringList{QStringLiteral("h264,video"), QStringLiteral("aac,audio")}));
    writeFile(d + QStringLiteral("/joined.ts"), joined);
    for (const QString &kind : {QStringLiteral("v"), QStringLiteral("a")}) {
        const QStringList expected = packets({d + QStringLiteral("/joined.ts")}, kind, true);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(packets({run.out}, kind, true), expected) << kind.toStdString();
    }
    EXPECT_EQ(contents(downloads()).filter(QStringLiteral("Stream")), QStringList{QStringLiteral("Stream.mp4")});
}

// Sites serve the sound of an HLS stream as a rendition of its own: it is fetched with the
// chosen picture and both end in one MP4.
TEST_F(ReelgrabStandalone, HlsMasterWithASeparateSoundGroup)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media/group");
    QDir().mkpath(d);
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", "testsrc=duration=3:size=160x120:rate=10", "-c:v", "libx264", "-preset",
                           "ultrafast", "-g", "10", "-an", "-f", "hls", "-hls_time", "1", "-hls_list_size", "0", "-hls_segment_filename",
                           d + "/v%d.ts", d + "/video.m3u8"}));
    ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-c:a", "aac", "-f", "hls", "-hls_time",
                           "1", "-hls_list_size", "0", "-hls_segment_filename", d + "/a%d.ts", d + "/audio.m3u8"}));
    TestHttpServer server;
    QByteArray picture, sound;
    for (const QString &file : QDir(d).entryList(QDir::Files, QDir::Name)) {
        server.add(QStringLiteral("/group/") + file, readAll(d + u'/' + file),
                   file.endsWith(QLatin1String(".m3u8")) ? "application/vnd.apple.mpegurl" : "video/mp2t");
        if (file.endsWith(QLatin1String(".ts")))
            (file.startsWith(u'v') ? picture : sound) += readAll(d + u'/' + file);
    }
    server.add(QStringLiteral("/group/master.m3u8"),
               "#EXTM3U\n"
               "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"English\",DEFAULT=YES,AUTOSELECT=YES,URI=\"audio.m3u8\"\n"
               "#EXT-X-STREAM-INF:BANDWIDTH=300000,RESOLUTION=160x120,CODECS=\"avc1.42c00d,mp4a.40.2\",AUDIO=\"aud\"\n"
               "video.m3u8\n",
               "application/vnd.apple.mpegurl");
    server.add(QStringLiteral("/group.html"),
               pageWithSource(QStringLiteral("Grouped sound"), QStringLiteral("/group/master.m3u8"),
                              QStringLiteral("application/x-mpegURL")),
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/group.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Grouped sound.mp4"));
    // Picture and sound, each read by ffprobe, each with all of its packets.
    EXPECT_EQ(probe(run.out, QStringLiteral("stream=codec_type,codec_name")).split(u'\n'),
              (QStringList{QStringLiteral("h264,video"), QStringLiteral("aac,audio")}));
    writeFile(d + QStringLiteral("/picture.ts"), picture);
    writeFile(d + QStringLiteral("/sound.ts"), sound);
    const QStringList expected = packets({d + QStringLiteral("/picture.ts")}, QStringLiteral("v"), true);
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(packets({run.out}, QStringLiteral("v"), true), expected);
    EXPECT_EQ(packets({run.out}, QStringLiteral("a"), true), packets({d + QStringLiteral("/sound.ts")}, QStringLiteral("a"), true));
    EXPECT_EQ(server.gets(QStringLiteral("/group/a0.ts")), 1);
}

// Pages that keep their media in element attributes, as players and lazy loaders write them:
// the set-up as JSON (entities and all), a list of sources on a plain div, lazy sources. Of
// two films the larger is saved, picture and sound.
TEST_F(ReelgrabStandalone, AddressesKeptInElementAttributesAreSaved)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media/attributes");
    QDir().mkpath(d);
    for (const auto &[name, size, tone] : {std::tuple{"small", "160x120", "300"}, std::tuple{"large", "320x240", "600"}})
        ASSERT_TRUE(makeMedia({"-f", "lavfi", "-i", QStringLiteral("testsrc=duration=1:size=%1:rate=10").arg(QLatin1String(size)),
                               "-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:duration=1").arg(QLatin1String(tone)),
                               "-c:v", "mpeg4", "-c:a", "aac", "-shortest", d + QStringLiteral("/%1.mp4").arg(QLatin1String(name))}));
    const QString large = d + QStringLiteral("/large.mp4");
    TestHttpServer server;
    server.add(QStringLiteral("/films/small.mp4"), readAll(d + QStringLiteral("/small.mp4")), "video/mp4");
    server.add(QStringLiteral("/films/large.mp4"), readAll(large), "video/mp4");
    const QString protocolRelative = server.url(QStringLiteral("/films/large.mp4")).mid(5);
    const QString forms[] = {
        QStringLiteral("<video class='video-js' controls preload='none' data-setup='{\"fluid\": true, \"sources\": ["
                       "{\"src\": \"/films/small.mp4\", \"type\": \"video/mp4\", \"label\": \"360p\"}, "
                       "{\"src\": \"/films/large.mp4\", \"type\": \"video/mp4\", \"label\": \"720p\"}]}'></video>"),
        QStringLiteral("<div class=\"player\" data-config=\"{&quot;sources&quot;:[{&quot;src&quot;:&quot;films/small.mp4&quot;,"
                       "&quot;label&quot;:&quot;360p&quot;},{&quot;src&quot;:&quot;films/large.mp4?x=1&amp;y=2&quot;,"
                       "&quot;label&quot;:&quot;720p&quot;}]}\"></div>"),
        QStringLiteral("<div class='js-player' data-sources='[{\"src\":\"/films/small.mp4\",\"type\":\"video/mp4\",\"res\":\"360\"},"
                       "{\"src\":\"%1\",\"type\":\"video/mp4\",\"res\":\"720\"}]'></div>")
            .arg(protocolRelative),
        QStringLiteral("<video class='lazyload' preload='none'><source data-src='/films/small.mp4' type='video/mp4' label='360p'>"
                       "<source data-src='/films/large.mp4' type='video/mp4' label='720p'></video>"),
        QStringLiteral("<video class='lazy' muted playsinline data-src='/films/large.mp4'></video>"),
        QStringLiteral("<video><source data-srcset='/films/small.mp4 640w, /films/large.mp4 1280w' type='video/mp4'></video>"),
    };
    const QStringList picture = packets({large}, QStringLiteral("v"));
    const QStringList sound = packets({large}, QStringLiteral("a"));
    ASSERT_FALSE(picture.isEmpty());
    ASSERT_FALSE(sound.isEmpty());
    int n = 0;
    for (const QString &form : forms) {
        SCOPED_TRACE(form.toStdString());
        const QString page = QStringLiteral("/form%1.html").arg(++n);
        server.add(page,
                   QStringLiteral("<html><head><title>Attribute form %1</title></head><body>%2</body></html>").arg(n).arg(form).toUtf8(),
                   "text/html");
        // Hardly any time for the page loader: the page's HTML must name the film.
        const RunResult run = runReelgrab(server.url(page), 2);
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Attribute form %1.mp4").arg(n));
        EXPECT_EQ(probe(run.out, QStringLiteral("stream=codec_type,width,height")).split(u'\n'),
                  (QStringList{QStringLiteral("video,320,240"), QStringLiteral("audio")}));
        EXPECT_EQ(packets({run.out}, QStringLiteral("v")), picture);
        EXPECT_EQ(packets({run.out}, QStringLiteral("a")), sound);
    }
    EXPECT_EQ(server.gets(QStringLiteral("/films/small.mp4")), 0);
}

// The kinds of HLS master real sites serve, each behind a page: one picture listed once per
// sound group, a sound-only variant that is also the group's rendition, variants that carry
// their own sound beside a sound-only one, and a master with no sound at all. The saved MP4
// holds the tallest picture and the sound its entry names.
TEST_F(ReelgrabStandalone, HlsMasterKindsGiveTheRightPictureAndSound)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media/kinds");
    QDir().mkpath(d);
    const QStringList hls{"-f", "hls", "-hls_time", "1", "-hls_list_size", "0", "-hls_segment_filename"};
    auto picture = [&](const QString &name, const char *size, const char *tone) {
        QStringList args{"-f", "lavfi", "-i", QStringLiteral("testsrc=duration=2:size=%1:rate=10").arg(QLatin1String(size))};
        if (tone)
            args << "-f"
                 << "lavfi"
                 << "-i" << QStringLiteral("sine=frequency=%1:duration=2").arg(QLatin1String(tone)) << "-c:a"
                 << "aac";
        else
            args << "-an";
        return makeMedia(args << "-c:v"
                              << "libx264"
                              << "-preset"
                              << "ultrafast"
                              << "-g"
                              << "10" << hls
                              << d + u'/' + name + QStringLiteral("%d.ts") << d + u'/' + name + QStringLiteral(".m3u8"));
    };
    auto sound = [&](const QString &name, const char *tone) {
        return makeMedia(QStringList{"-f", "lavfi", "-i", QStringLiteral("sine=frequency=%1:duration=2").arg(QLatin1String(tone)),
                                     "-c:a", "aac"}
                         << hls << d + u'/' + name + QStringLiteral("%d.ts") << d + u'/' + name + QStringLiteral(".m3u8"));
    };
    ASSERT_TRUE(picture(QStringLiteral("ps"), "160x120", nullptr));
    ASSERT_TRUE(picture(QStringLiteral("pl"), "320x240", nullptr));
    ASSERT_TRUE(picture(QStringLiteral("ms"), "160x120", "900"));
    ASSERT_TRUE(picture(QStringLiteral("ml"), "320x240", "900"));
    ASSERT_TRUE(sound(QStringLiteral("s1"), "300"));
    ASSERT_TRUE(sound(QStringLiteral("s2"), "500"));
    ASSERT_TRUE(sound(QStringLiteral("s3"), "700"));
    TestHttpServer server;
    QMap<QString, QByteArray> joined; // the pieces of each stream, one after another
    for (const QString &file : QDir(d).entryList(QDir::Files, QDir::Name)) {
        server.add(QStringLiteral("/kinds/") + file, readAll(d + u'/' + file),
                   file.endsWith(QLatin1String(".m3u8")) ? "application/vnd.apple.mpegurl" : "video/mp2t");
        if (file.endsWith(QLatin1String(".ts")))
            joined[file.left(2)] += readAll(d + u'/' + file);
    }
    for (auto it = joined.cbegin(); it != joined.cend(); ++it)
        writeFile(d + QStringLiteral("/joined-%1.ts").arg(it.key()), it.value());
    const QByteArray video = "CODECS=\"avc1.42c00d,mp4a.40.2\"";
    struct Kind
    {
        const char *name;
        QByteArray master;
        QString picture, sound; // streams whose packets the MP4 holds; no sound: none
    } kinds[] = {
        {"a picture once per sound group",
         "#EXTM3U\n"
         "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud1\",NAME=\"English\",AUTOSELECT=YES,DEFAULT=YES,URI=\"s1.m3u8\"\n"
         "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud2\",NAME=\"English\",AUTOSELECT=YES,DEFAULT=YES,URI=\"s2.m3u8\"\n"
         "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud3\",NAME=\"English\",AUTOSELECT=YES,DEFAULT=YES,URI=\"s3.m3u8\"\n"
         "#EXT-X-STREAM-INF:BANDWIDTH=300000,RESOLUTION=160x120,"
             + video + ",AUDIO=\"aud1\"\nps.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=900000,RESOLUTION=320x240,"
             + video + ",AUDIO=\"aud1\"\npl.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=1200000,RESOLUTION=320x240,CODECS=\"avc1.42c00d,ac-3\",AUDIO=\"aud2\"\npl.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=1100000,RESOLUTION=320x240,CODECS=\"avc1.42c00d,ec-3\",AUDIO=\"aud3\"\npl.m3u8\n",
         QStringLiteral("pl"), QStringLiteral("s2")},
        {"a sound-only variant that is the group's rendition",
         "#EXTM3U\n"
         "#EXT-X-STREAM-INF:AUDIO=\"600k\",BANDWIDTH=300000,"
             + video + ",RESOLUTION=160x120\nps.m3u8\n"
                       "#EXT-X-STREAM-INF:AUDIO=\"600k\",BANDWIDTH=900000,"
             + video + ",RESOLUTION=320x240\npl.m3u8\n"
                       "#EXT-X-STREAM-INF:AUDIO=\"600k\",BANDWIDTH=64000,CODECS=\"mp4a.40.2\",DEFAULT=YES\ns1.m3u8\n"
                       "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"600k\",NAME=\"Audio\",AUTOSELECT=YES,DEFAULT=YES,URI=\"s1.m3u8\"\n",
         QStringLiteral("pl"), QStringLiteral("s1")},
        {"variants with their own sound, and a sound-only one",
         "#EXTM3U\n"
         "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"bb\",NAME=\"Main\",AUTOSELECT=YES,DEFAULT=YES\n"
         "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"bb\",NAME=\"Other\",AUTOSELECT=NO,DEFAULT=NO,URI=\"s3.m3u8\"\n"
         "#EXT-X-STREAM-INF:BANDWIDTH=300000,"
             + video + ",RESOLUTION=160x120,AUDIO=\"bb\"\nms.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=900000,"
             + video + ",RESOLUTION=320x240,AUDIO=\"bb\"\nml.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=64000,CODECS=\"mp4a.40.2\",AUDIO=\"bb\"\ns2.m3u8\n",
         QStringLiteral("ml"), QStringLiteral("ml")},
        {"no sound at all",
         "#EXTM3U\n"
         "#EXT-X-STREAM-INF:BANDWIDTH=200000,RESOLUTION=160x120,CODECS=\"avc1.42c00d\"\nps.m3u8\n"
         "#EXT-X-STREAM-INF:BANDWIDTH=600000,RESOLUTION=320x240,CODECS=\"avc1.42c00d\"\npl.m3u8\n",
         QStringLiteral("pl"), QString()},
    };
    int n = 0;
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        ++n;
        server.add(QStringLiteral("/kinds/master%1.m3u8").arg(n), kind.master, "application/vnd.apple.mpegurl");
        const QString title = QStringLiteral("Master kind %1").arg(n);
        server.add(QStringLiteral("/kind%1.html").arg(n),
                   pageWithSource(title, QStringLiteral("/kinds/master%1.m3u8").arg(n), QStringLiteral("application/x-mpegURL")),
                   "text/html");
        const RunResult run = runReelgrab(server.url(QStringLiteral("/kind%1.html").arg(n)), 2);
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(QFileInfo(run.out).fileName(), title + QStringLiteral(".mp4"));
        QStringList streams{QStringLiteral("h264,video,320,240")};
        if (!kind.sound.isEmpty())
            streams << QStringLiteral("aac,audio");
        EXPECT_EQ(probe(run.out, QStringLiteral("stream=codec_name,codec_type,width,height")).split(u'\n'), streams);
        const QStringList expected = packets({d + QStringLiteral("/joined-%1.ts").arg(kind.picture)}, QStringLiteral("v"), true);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(packets({run.out}, QStringLiteral("v"), true), expected);
        if (!kind.sound.isEmpty()) {
            EXPECT_EQ(packets({run.out}, QStringLiteral("a"), true),
                      packets({d + QStringLiteral("/joined-%1.ts").arg(kind.sound)}, QStringLiteral("a"), true));
        }
    }
}

// Durations written with a fraction ("2.0") are what real manifests carry.
TEST_F(ReelgrabStandalone, DashWithDecimalDurations)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media/decimal");
    QDir().mkpath(d);
    ASSERT_TRUE(makeDash(d, false));
    QString manifest = QString::fromUtf8(readAll(d + QStringLiteral("/show.mpd")));
    const QRegularExpression whole(QStringLiteral("(<SegmentTemplate[^>]*\\b(?:duration|timescale)=\")(\\d+)\""));
    ASSERT_TRUE(manifest.contains(whole)) << manifest.toStdString();
    manifest.replace(whole, QStringLiteral("\\1\\2.0\""));
    manifest.replace(whole, QStringLiteral("\\1\\2.0\""));
    TestHttpServer server;
    for (const QString &file : QDir(d).entryList(QDir::Files, QDir::Name))
        server.add(QStringLiteral("/decimal/") + file, readAll(d + u'/' + file), "video/iso.segment");
    server.add(QStringLiteral("/decimal/show.mpd"), manifest.toUtf8(), "application/dash+xml");
    server.add(QStringLiteral("/decimal.html"),
               pageWithSource(QStringLiteral("Decimal"), QStringLiteral("/decimal/show.mpd"), QStringLiteral("application/dash+xml")),
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/decimal.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString() << manifest.toStdString();
    QByteArray joined = readAll(d + QStringLiteral("/init-stream0.m4s"));
    for (const QString &file : QDir(d).entryList({QStringLiteral("chunk-stream0-*")}, QDir::Files, QDir::Name))
        joined += readAll(d + u'/' + file);
    writeFile(d + QStringLiteral("/joined.mp4"), joined);
    const QStringList picture = packets({d + QStringLiteral("/joined.mp4")}, QStringLiteral("v"));
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_EQ(packets({run.out}, QStringLiteral("v")), picture);
}

// Each failure road ends with its sentence, the one the row shows, and leaves nothing under
// the user's name.
TEST_F(ReelgrabStandalone, FailuresSayWhy)
{
    TestHttpServer server;
    server.add(QStringLiteral("/empty.html"), "<html><head><title>Nothing</title></head><body>text</body></html>", "text/html");
    server.add(QStringLiteral("/broken.html"),
               "<html><head><title>Broken</title></head><body><video src=\"/gone/Broken.mp4\"></video></body></html>",
               "text/html");
    server.add(QStringLiteral("/live.m3u8"), "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n/s0.ts\n",
               "application/vnd.apple.mpegurl");
    server.add(QStringLiteral("/s0.ts"), QByteArray(4096, 'x'), "video/mp2t");
    // A port that was just free: nothing listens there.
    quint16 closed = 0;
    {
        TestHttpServer gone;
        closed = QUrl(gone.url(QStringLiteral("/"))).port();
    }
    struct Case
    {
        QString url;
        QString sentence;
    };
    const Case cases[] = {
        {server.url(QStringLiteral("/empty.html")), QStringLiteral("No video found on this page")},
        {server.url(QStringLiteral("/broken.html")), QStringLiteral("The server answered 404 Not Found")},
        // The page itself is missing: the server's answer, not that a page did not load.
        {server.url(QStringLiteral("/no-such-page.html")), QStringLiteral("The server answered 404 Not Found")},
        {server.url(QStringLiteral("/live.m3u8")), QStringLiteral("Live streams are not supported")},
        {QStringLiteral("http://127.0.0.1:%1/page.html").arg(closed), QStringLiteral("Could not connect to 127.0.0.1")},
    };
    const QStringList before = contents(downloads());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const RunResult run = runReelgrab(c.url, 2);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains(c.sentence)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(contents(downloads()), before);
    }
}

// The command line alone: usage for help (status 0, standard output) and for a line that gives
// nothing to do (status 2, standard error), at once, without starting a task.
TEST(ReelgrabCommandLine, HelpAndNothingToDoPrintTheUsageAndEnd)
{
    const struct
    {
        QStringList args;
        int code;
    } cases[] = {
        {{QStringLiteral("--help")}, 0},
        {{QStringLiteral("-h")}, 0},
        {{QStringLiteral("-u"), QStringLiteral("http://127.0.0.1:9/x"), QStringLiteral("--help")}, 0},
        {{}, 2},
        {{QStringLiteral("--frobnicate")}, 2},
        {{QStringLiteral("-u")}, 2},
        {{QStringLiteral("-p"), QStringLiteral("prefs.plist")}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess p;
        p.start(QStringLiteral(REELGRAB_PROGRAM), c.args);
        const bool ended = p.waitForFinished(30000);
        if (!ended) {
            p.kill();
            p.waitForFinished();
        }
        ASSERT_TRUE(ended) << "it must not wait for a task that never comes";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.code);
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        const QString &usage = c.code == 0 ? out : err;
        EXPECT_TRUE(usage.contains(QStringLiteral("Usage: Reelgrab -u ADDRESS"))) << usage.toStdString();
        EXPECT_TRUE(usage.contains(QStringLiteral("--help")));
        EXPECT_TRUE((c.code == 0 ? err : out).isEmpty()) << (c.code == 0 ? err : out).toStdString();
    }
}

// Run by hand, the helper says its result and little else: the path on standard output, or one
// line of reason; the log lines go to its log unless -v asks for them; no child is left running
// when it ends.
TEST_F(ReelgrabStandalone, StandaloneRunsSayTheResultAndKeepTheLogLinesInTheLog)
{
    TestHttpServer server;
    TestHttpServer::Resource r;
    r.body = *s_clip;
    r.contentType = "video/mp4";
    server.add(QStringLiteral("/quiet/quiet-one.mp4"), r);
    server.add(QStringLiteral("/quiet/quiet-two.mp4"), r);
    server.add(QStringLiteral("/quiet/empty.html"), "<html><head><title>Quiet</title></head><body>text</body></html>",
               "text/html");
    const QString log = AppPaths::reelgrabKitLogs() + QStringLiteral("/standalone-helper.log");
    QFile::remove(log);
    const struct
    {
        const char *name;
        QString url;
        bool verbose;
        int code;
        QString out; // the file name the path ends with; "" for none
        QString err; // what standard error starts with; "" for nothing at all
    } cases[] = {
        {"a download", server.url(QStringLiteral("/quiet/quiet-one.mp4")), false, 0, QStringLiteral("/quiet-one.mp4"), QString()},
        {"a page without video", server.url(QStringLiteral("/quiet/empty.html")), false, 1, QString(),
         QStringLiteral("Reelgrab: sniffing failed: No video found on this page")},
        {"a download, verbose", server.url(QStringLiteral("/quiet/quiet-two.mp4")), true, 0, QStringLiteral("/quiet-two.mp4"),
         QStringLiteral("")},
        {"a page without video, verbose", server.url(QStringLiteral("/quiet/empty.html")), true, 1, QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult run = runReelgrab(c.url, 2, 90000, QStringLiteral(REELGRAB_PROGRAM),
                                          c.verbose ? QStringList{QStringLiteral("-v")} : QStringList{});
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        if (c.out.isEmpty())
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        else
            EXPECT_TRUE(run.out.endsWith(c.out) && !run.out.contains(u'\n')) << run.out.toStdString();
        EXPECT_FALSE(run.err.contains(QStringLiteral("Destroyed while process"))) << run.err.toStdString();
        if (c.verbose) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("[ RGK ]"))) << run.err.toStdString();
        } else if (c.err.isEmpty()) {
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        } else {
            EXPECT_TRUE(run.err.startsWith(c.err)) << run.err.toStdString();
            EXPECT_EQ(run.err.trimmed().count(u'\n'), 0) << run.err.toStdString();
        }
    }
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the quiet runs wrote their lines to the log";
    EXPECT_FALSE(file.readAll().isEmpty());
}

// Something planted where the quiet run keeps its log (a FIFO would hold the open for good, a
// link would put the lines elsewhere) is left alone: the run goes on at once, its lines on the
// terminal with a word on why, and nothing is written through the name.
TEST_F(ReelgrabStandalone, AStandaloneLogThatIsNoRegularFileIsLeftAloneAtOnce)
{
    TestHttpServer server;
    server.add(QStringLiteral("/quiet/empty.html"), "<html><head><title>Quiet</title></head><body>text</body></html>",
               "text/html");
    const QString log = AppPaths::reelgrabKitLogs() + QStringLiteral("/standalone-helper.log");
    for (const SpecialFiles::Case &c : SpecialFiles::all()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(SpecialFiles::plant(c.kind, log));
        const QFileInfo before(log);
        const RunResult run = runReelgrab(server.url(QStringLiteral("/quiet/empty.html")), 2, 30000);
        EXPECT_EQ(run.code, 1) << "it must not wait on the log's name";
        EXPECT_TRUE(run.err.contains(QStringLiteral("No video found on this page"))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(log + QStringLiteral(" is not a regular file"))) << run.err.toStdString();
        const QFileInfo after(log);
        EXPECT_EQ(after.isSymLink(), before.isSymLink());
        EXPECT_EQ(after.isDir(), before.isDir());
        EXPECT_FALSE(QFileInfo::exists(log + QStringLiteral(".nowhere"))) << "nothing written through a link";
    }
    QFile::remove(log);
    QDir(log).removeRecursively();
}

// A server that takes the connection and never answers: the probe, the sniff and the page
// loader must not each wait out their own time; the run ends soon, saying why.
TEST_F(ReelgrabStandalone, ASilentServerFailsSoonWithItsReason)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 16), 0); // connections complete in the backlog; nothing is ever read
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len), 0);
    const QString url = QStringLiteral("http://127.0.0.1:%1/watch.html").arg(ntohs(addr.sin_port));
    // Every wait on a server shortened alike, as the defaults are in proportion.
    qputenv("CORVIDASH_STALL_SECONDS", "1");
    QElapsedTimer clock;
    clock.start();
    const RunResult run = runReelgrab(url, 30);
    qunsetenv("CORVIDASH_STALL_SECONDS");
    ::close(fd);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("No answer from 127.0.0.1 in time"))) << run.err.toStdString();
    EXPECT_LT(clock.elapsed(), 15000) << "the page loader's 30 s must not be waited out";
}

// A disk near its reserve: the download stops before crossing it, says "Disk full" once (no
// retry fills it again) and leaves nothing under the user's name.
TEST_F(ReelgrabStandalone, ADiskNearlyFullStopsTheDownloadWithDiskFull)
{
    TestHttpServer server;
    TestHttpServer::Resource media;
    media.body = QByteArray(3 << 20, 'm');
    media.contentType = "video/mp4";
    server.add(QStringLiteral("/files/large.mp4"), media);
    const QStringList before = QDir(downloads()).entryList(QDir::Files | QDir::Hidden);
    // A pretend disk with 1 MB left above a 1 MB reserve.
    qputenv("CORVIDASH_DISK_RESERVE", "1048576");
    qputenv("CORVIDASH_FREE_BYTES", "2097152");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/files/large.mp4")), 2);
    qunsetenv("CORVIDASH_DISK_RESERVE");
    qunsetenv("CORVIDASH_FREE_BYTES");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Disk full"))) << run.err.toStdString();
    EXPECT_EQ(server.gets(QStringLiteral("/files/large.mp4")), 1) << "a full disk is not retried";
    EXPECT_EQ(QDir(downloads()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(ReelgrabStandalone, AFailedDownloadLeavesNoEmptyFile)
{
    TestHttpServer server;
    server.add(QStringLiteral("/gone.html"),
               "<html><head><title>Gone away</title></head><body><video src=\"/gone/film.mp4\"></video></body></html>",
               "text/html");
    const QStringList before = QDir(downloads()).entryList(QDir::Files | QDir::Hidden);
    const RunResult run = runReelgrab(server.url(QStringLiteral("/gone.html")), 2);
    EXPECT_NE(run.code, 0);
    EXPECT_EQ(QDir(downloads()).entryList(QDir::Files | QDir::Hidden).join(u'|').toStdString(), before.join(u'|').toStdString())
        << run.err.toStdString();
}

// A page without end grows the page loader until its memory limit ends it; the sniff fails with
// the reason the user reads, and the helper itself carries on to tell it.
TEST_F(ReelgrabStandalone, APageTooLargeForThePageLoaderFailsTheSniff)
{
    TestHttpServer server;
    TestHttpServer::Resource page;
    page.body = "<html><head><title>Endless</title></head><body>";
    page.contentType = "text/html";
    page.endless = "<div>" + QByteArray(60000, 'x') + "</div>\n";
    server.add(QStringLiteral("/endless.html"), page);
    // A web engine alone holds about 300 MB: a low limit keeps the test cheap.
    qputenv("REELGRAB_WEBSNIFFER_MEMORY_MB", "700");
    QElapsedTimer clock;
    clock.start();
    const RunResult run = runReelgrab(server.url(QStringLiteral("/endless.html")), 40);
    qunsetenv("REELGRAB_WEBSNIFFER_MEMORY_MB");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("sniffing failed: page too large"))) << run.err.toStdString();
    EXPECT_LT(clock.elapsed(), 35000) << "ended by the limit, not by the budget";
}

TEST_F(ReelgrabStandalone, PageWithoutMediaFailsAndLeavesNothing)
{
    TestHttpServer server;
    server.add(QStringLiteral("/empty.html"), "<html><head><title>Nothing</title></head><body>text</body></html>",
               "text/html");
    const QStringList before = QDir(downloads()).entryList(QDir::Files | QDir::Hidden);
    const RunResult run = runReelgrab(server.url(QStringLiteral("/empty.html")), 2);
    EXPECT_NE(run.code, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("sniffing failed: No video found on this page"))) << run.err.toStdString();
    EXPECT_EQ(QDir(downloads()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(ReelgrabStandalone, TheInstalledHelperFindsItsEngineAndItsPageLoader)
{
    // Installed as a package lays it out: the helper in bin/, the engine in lib/.
    const QString prefix = TestEnvironment::home() + QStringLiteral("/installed");
    QProcess install;
    install.start(QStringLiteral(CMAKE_PROGRAM), {QStringLiteral("--install"), QStringLiteral(BUILD_FOLDER), QStringLiteral("--component"),
                                                  QStringLiteral("helper"), QStringLiteral("--prefix"), prefix});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    const QString program = prefix + QStringLiteral("/bin/Reelgrab");
    // The engine under its versioned name, which is the one the helper opens.
    ASSERT_TRUE(QFileInfo(prefix + QStringLiteral("/lib/") + QString::fromLatin1(EngineLibrary::FileName)).isFile());
    ASSERT_TRUE(QFileInfo(program).isExecutable());

    TestHttpServer server;
    server.add(QStringLiteral("/installed/clip.mp4"), *s_clip, "video/mp4");
    serveLatePage(server, QStringLiteral("Installed late"));
    const RunResult direct = runReelgrab(server.url(QStringLiteral("/installed/clip.mp4")), 20, 90000, program);
    ASSERT_EQ(direct.code, 0) << direct.err.toStdString();
    EXPECT_EQ(readAll(direct.out), *s_clip);
    const RunResult loaded = runReelgrab(server.url(QStringLiteral("/late.html")), 30, 110000, program);
    ASSERT_EQ(loaded.code, 0) << loaded.err.toStdString();
    EXPECT_EQ(QFileInfo(loaded.out).fileName(), QStringLiteral("Installed late.webm"));
    EXPECT_EQ(readAll(loaded.out), *s_big);
}

TEST_F(ReelgrabStandalone, VideoInsertedByScriptIsFoundByLoadingThePage)
{
    TestHttpServer server;
    serveLatePage(server, QStringLiteral("Late video"));
    const RunResult run = runReelgrab(server.url(QStringLiteral("/late.html")), 30, 110000);
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Late video.webm"));
    EXPECT_EQ(readAll(run.out), *s_big);
}

TEST_F(ReelgrabStandalone, SeparatePictureAndSoundAreJoined)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media");
    TestHttpServer server;
    server.add(QStringLiteral("/dash/picture.mp4"), readAll(d + QStringLiteral("/picture.mp4")), "video/mp4");
    server.add(QStringLiteral("/dash/sound.m4a"), readAll(d + QStringLiteral("/sound.m4a")), "audio/mp4");
    server.add(QStringLiteral("/dash/manifest.mpd"),
               "<?xml version=\"1.0\"?><MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\" "
               "mediaPresentationDuration=\"PT2S\"><Period>"
               "<AdaptationSet contentType=\"video\" mimeType=\"video/mp4\">"
               "<Representation id=\"v\" bandwidth=\"300000\" width=\"160\" height=\"120\" codecs=\"mp4v.20.9\">"
               "<BaseURL>picture.mp4</BaseURL></Representation></AdaptationSet>"
               "<AdaptationSet contentType=\"audio\" mimeType=\"audio/mp4\">"
               "<Representation id=\"a\" bandwidth=\"128000\" codecs=\"mp4a.40.2\"><BaseURL>sound.m4a</BaseURL>"
               "</Representation></AdaptationSet></Period></MPD>",
               "application/dash+xml");
    server.add(QStringLiteral("/split.html"),
               "<html><head><title>Split streams</title></head><body><video><source src=\"/dash/manifest.mpd\" "
               "type=\"application/dash+xml\"></video></body></html>",
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/split.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).absolutePath(), QDir(downloads()).absolutePath());
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Split streams.mp4"));
    const QStringList picture = packets({d + QStringLiteral("/picture.mp4")}, QStringLiteral("v"));
    const QStringList sound = packets({d + QStringLiteral("/sound.m4a")}, QStringLiteral("a"));
    ASSERT_FALSE(picture.isEmpty());
    ASSERT_FALSE(sound.isEmpty());
    EXPECT_EQ(packets({run.out}, QStringLiteral("v")), picture);
    EXPECT_EQ(packets({run.out}, QStringLiteral("a")), sound);
    // The two downloads were fetched once each, and their work folder is gone.
    EXPECT_EQ(server.gets(QStringLiteral("/dash/picture.mp4")), 1);
    EXPECT_EQ(server.gets(QStringLiteral("/dash/sound.m4a")), 1);
    EXPECT_EQ(contents(helperWork() + QStringLiteral("/Downloading")), QStringList());
}

TEST_F(ReelgrabStandalone, PiecewisePictureAndSoundAreFetchedAndJoined)
{
    // Adaptive streaming as sites serve it: picture and sound apart, each cut into pieces
    // named by a template over a timeline.
    const QString d = TestEnvironment::home() + QStringLiteral("/media/pieces");
    QDir().mkpath(d);
    ASSERT_TRUE(makeDash(d, true));
    TestHttpServer server;
    const QStringList files = QDir(d).entryList(QDir::Files, QDir::Name);
    for (const QString &file : files)
        server.add(QStringLiteral("/pieces/") + file, readAll(d + u'/' + file),
                   file.endsWith(QLatin1String(".mpd")) ? "application/dash+xml" : "video/iso.segment");
    server.add(QStringLiteral("/pieces.html"),
               "<html><head><title>Cut streams</title></head><body><video><source src=\"/pieces/show.mpd\" "
               "type=\"application/dash+xml\"></video></body></html>",
               "text/html");
    const RunResult run = runReelgrab(server.url(QStringLiteral("/pieces.html")));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("Cut streams.mp4"));

    // Each stream as its init section and pieces in order would play it.
    auto joined = [&](int stream) {
        QByteArray all = readAll(d + QStringLiteral("/init-stream%1.m4s").arg(stream));
        int pieces = 0;
        for (const QString &file : files)
            if (file.startsWith(QStringLiteral("chunk-stream%1-").arg(stream))) {
                all += readAll(d + u'/' + file);
                ++pieces;
            }
        EXPECT_GE(pieces, 3);
        const QString path = d + QStringLiteral("/joined%1.mp4").arg(stream);
        writeFile(path, all);
        return path;
    };
    const QStringList picture = packets({joined(0)}, QStringLiteral("v"));
    const QStringList sound = packets({joined(1)}, QStringLiteral("a"));
    ASSERT_FALSE(picture.isEmpty());
    ASSERT_FALSE(sound.isEmpty());
    EXPECT_EQ(packets({run.out}, QStringLiteral("v")), picture);
    EXPECT_EQ(packets({run.out}, QStringLiteral("a")), sound);
    for (const QString &file : files)
        if (file.endsWith(QLatin1String(".m4s"))) {
            EXPECT_EQ(server.gets(QStringLiteral("/pieces/") + file), 1) << file.toStdString();
        }
    EXPECT_EQ(contents(helperWork() + QStringLiteral("/Downloading")), QStringList());
}

TEST_F(ReelgrabStandalone, SegmentedMediaIsConcatenated)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media");
    TestHttpServer server;
    QString periods;
    QStringList parts;
    for (int i = 1; i <= 3; ++i) {
        parts << d + QStringLiteral("/part%1.mp4").arg(i);
        // A quote in the address: the concatenation list must carry it through.
        server.add(QStringLiteral("/parts/it's-%1.mp4").arg(i), readAll(parts.last()), "video/mp4");
        periods += QStringLiteral("<Period duration=\"PT1S\"><AdaptationSet mimeType=\"video/mp4\" "
                                  "codecs=\"mp4v.20.9,mp4a.40.2\"><Representation id=\"only\" height=\"120\">"
                                  "<BaseURL>it's-%1.mp4</BaseURL></Representation></AdaptationSet></Period>")
                       .arg(i);
    }
    server.add(QStringLiteral("/parts/film.mpd"),
               QStringLiteral("<MPD type=\"static\" mediaPresentationDuration=\"PT3S\">%1</MPD>").arg(periods).toUtf8(),
               "application/dash+xml");
    server.add(QStringLiteral("/parts.html"),
               "<html><head><title>In three parts</title></head><body><video src=\"/parts/film.mpd\"></video></body></html>",
               "text/html");
    // Another user's links at the names the work folder and the list once had in the shared
    // temporary folder: neither is followed, and what they point at stays as it was.
    const QString victim = TestEnvironment::home() + QStringLiteral("/victim");
    writeFile(victim + QStringLiteral("/Downloading/keep.txt"), "kept");
    writeFile(victim + QStringLiteral("/list.txt"), "kept");
    const QString pageUrl = server.url(QStringLiteral("/parts.html"));
    ASSERT_TRUE(QFile::link(victim, helperTemp() + QStringLiteral("/ReelgrabKit")));
    ASSERT_TRUE(QFile::link(victim + QStringLiteral("/list.txt"),
                            helperTemp() + u'/' + ReelgrabMain::standaloneGuid(pageUrl) + QStringLiteral(".lst")));
    const RunResult run = runReelgrab(pageUrl);
    QFile::remove(helperTemp() + QStringLiteral("/ReelgrabKit"));
    QFile::remove(helperTemp() + u'/' + ReelgrabMain::standaloneGuid(pageUrl) + QStringLiteral(".lst"));
    EXPECT_EQ(contents(victim), (QStringList{QStringLiteral("Downloading"), QStringLiteral("Downloading/keep.txt"),
                                             QStringLiteral("list.txt")}));
    EXPECT_EQ(readAll(victim + QStringLiteral("/list.txt")), QByteArray("kept"));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(QFileInfo(run.out).fileName(), QStringLiteral("In three parts.mp4"));
    for (const QString &kind : QStringList{QStringLiteral("v"), QStringLiteral("a")}) {
        SCOPED_TRACE(kind.toStdString());
        const QStringList expected = packets(parts, kind);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(packets({run.out}, kind), expected);
    }
    // Neither the parts nor the list stay behind.
    EXPECT_EQ(contents(helperWork()).filter(QRegularExpression(QStringLiteral("\\.lst$|\\.mp4"))), QStringList());
    EXPECT_EQ(contents(helperTemp()), QStringList());
}

TEST_F(ReelgrabStandalone, KilledHelperLeavesResumableDataThatASecondRunCompletes)
{
    TestHttpServer server;
    TestHttpServer::Resource slow;
    slow.body = *s_big;
    slow.contentType = "video/webm";
    slow.bytesPerSecond = 100 * 1024;
    server.add(QStringLiteral("/slow/killed-film.webm"), slow);
    const QString url = server.url(QStringLiteral("/slow/killed-film.webm"));
    const QStringList before = contents(downloads());
    const QStringList tempBefore = contents(helperWork());

    QProcess first;
    startReelgrab(first, url, 5);
    ASSERT_TRUE(first.waitForStarted());
    // Wait until the engine has recorded real progress, then kill it without warning.
    const QString target = QDir(downloads()).filePath(QStringLiteral("killed-film.webm"));
    const QRegularExpression done(QStringLiteral("^done 0 (\\d+)$"), QRegularExpression::MultilineOption);
    const bool progressed = TestEnvironment::waitFor(
        [&] {
            const auto m = done.match(QString::fromUtf8(readAll(target + QStringLiteral(".cvctl"))));
            return m.hasMatch() && m.captured(1).toLongLong() >= 100000;
        },
        60000);
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished();
    ASSERT_TRUE(progressed) << first.readAllStandardError().toStdString();

    // Only the reserved empty name and the engine's partial data, beside it; no finished
    // file and nothing elsewhere.
    QStringList left = contents(downloads());
    for (const QString &name : before)
        left.removeOne(name);
    for (const QString &name : left)
        EXPECT_TRUE(name.startsWith(QStringLiteral("killed-film.webm"))) << name.toStdString();
    EXPECT_TRUE(left.contains(QStringLiteral("killed-film.webm.cvpart")));
    EXPECT_TRUE(left.contains(QStringLiteral("killed-film.webm.cvctl")));
    EXPECT_EQ(QFileInfo(target).size(), 0);
    EXPECT_EQ(contents(helperWork()), tempBefore);

    // The second run continues where the first stopped, into the same name.
    slow.bytesPerSecond = 0;
    server.add(QStringLiteral("/slow/killed-film.webm"), slow);
    const int getsBefore = server.gets(QStringLiteral("/slow/killed-film.webm"));
    const RunResult second = runReelgrab(url, 5);
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, target);
    EXPECT_EQ(readAll(target), *s_big);
    const QList<QByteArray> ranges = server.ranges(QStringLiteral("/slow/killed-film.webm")).mid(getsBefore);
    ASSERT_FALSE(ranges.isEmpty());
    const bool resumed = std::any_of(ranges.begin(), ranges.end(), [](const QByteArray &r) {
        return r.startsWith("bytes=") && r.mid(6).split('-').value(0).toLongLong() >= 100000;
    });
    EXPECT_TRUE(resumed) << ranges.join(", ").toStdString();
    QStringList after = contents(downloads());
    for (const QString &name : before)
        after.removeOne(name);
    EXPECT_EQ(after, QStringList{QStringLiteral("killed-film.webm")});
}

TEST_F(ReelgrabStandalone, ARunningResumeIsNeverTakenOverByAnotherHelper)
{
    TestHttpServer server;
    TestHttpServer::Resource slow;
    slow.body = *s_big;
    slow.contentType = "video/webm";
    slow.bytesPerSecond = 100 * 1024;
    server.add(QStringLiteral("/twice/held-film.webm"), slow);
    const QString url = server.url(QStringLiteral("/twice/held-film.webm"));
    const QString target = QDir(downloads()).filePath(QStringLiteral("held-film.webm"));
    const QRegularExpression done(QStringLiteral("^done 0 (\\d+)$"), QRegularExpression::MultilineOption);
    auto recorded = [&] {
        const auto m = done.match(QString::fromUtf8(readAll(target + QStringLiteral(".cvctl"))));
        return m.hasMatch() ? m.captured(1).toLongLong() : qint64(0);
    };

    // A first run is killed part-way, so its name is open to be resumed.
    QProcess first;
    startReelgrab(first, url, 5);
    ASSERT_TRUE(first.waitForStarted());
    const bool progressed = TestEnvironment::waitFor([&] { return recorded() >= 100000; }, 60000);
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished();
    ASSERT_TRUE(progressed) << first.readAllStandardError().toStdString();

    // A second run takes it over and is still downloading (slowly) ...
    const int getsBefore = server.gets(QStringLiteral("/twice/held-film.webm"));
    QProcess second;
    startReelgrab(second, url, 5);
    ASSERT_TRUE(second.waitForStarted());
    const bool resumed = TestEnvironment::waitFor(
        [&] {
            const QList<QByteArray> ranges = server.ranges(QStringLiteral("/twice/held-film.webm")).mid(getsBefore);
            return std::any_of(ranges.begin(), ranges.end(), [](const QByteArray &r) {
                return r.startsWith("bytes=") && r.mid(6).split('-').value(0).toLongLong() >= 100000;
            });
        },
        30000);
    ASSERT_TRUE(resumed) << second.readAllStandardError().toStdString();

    // ... when a third run for the same address starts: it must leave the running one alone
    // and download into a name of its own.
    slow.bytesPerSecond = 0;
    server.add(QStringLiteral("/twice/held-film.webm"), slow);
    const RunResult third = runReelgrab(url, 5);
    ::kill(pid_t(second.processId()), SIGKILL);
    second.waitForFinished();
    ASSERT_EQ(third.code, 0) << third.err.toStdString();
    EXPECT_NE(third.out, target);
    EXPECT_EQ(QFileInfo(third.out).absolutePath(), QDir(downloads()).absolutePath());
    EXPECT_EQ(readAll(third.out), *s_big);
    // The taken-over download is still there to be resumed, untouched by the third run.
    EXPECT_TRUE(QFileInfo::exists(target + QStringLiteral(".cvctl")));
    EXPECT_GE(recorded(), 100000);
}

TEST_F(ReelgrabStandalone, KilledSegmentedDownloadIsCompletedFromItsWorkFolder)
{
    const QString d = TestEnvironment::home() + QStringLiteral("/media");
    TestHttpServer server;
    QStringList parts;
    QString periods;
    auto serveParts = [&](int bytesPerSecond) {
        for (int i = 1; i <= 3; ++i) {
            TestHttpServer::Resource r;
            r.body = readAll(d + QStringLiteral("/part%1.mp4").arg(i));
            r.contentType = "video/mp4";
            r.bytesPerSecond = bytesPerSecond;
            server.add(QStringLiteral("/kept/p%1.mp4").arg(i), r);
        }
    };
    for (int i = 1; i <= 3; ++i) {
        parts << d + QStringLiteral("/part%1.mp4").arg(i);
        periods += QStringLiteral("<Period duration=\"PT1S\"><AdaptationSet mimeType=\"video/mp4\">"
                                  "<Representation><BaseURL>p%1.mp4</BaseURL></Representation></AdaptationSet></Period>")
                       .arg(i);
    }
    serveParts(4096);
    server.add(QStringLiteral("/kept/film.mpd"), QStringLiteral("<MPD type=\"static\">%1</MPD>").arg(periods).toUtf8(),
               "application/dash+xml");
    server.add(QStringLiteral("/kept.html"),
               "<html><head><title>Kept parts</title></head><body><video src=\"/kept/film.mpd\"></video></body></html>",
               "text/html");
    const QString work = helperWork() + QStringLiteral("/Downloading");
    const QStringList before = contents(downloads());
    const QStringList workBefore = contents(work);

    QProcess first;
    startReelgrab(first, server.url(QStringLiteral("/kept.html")), 5);
    ASSERT_TRUE(first.waitForStarted());
    const QRegularExpression done(QStringLiteral("^done 0 (\\d+)$"), QRegularExpression::MultilineOption);
    QString control;
    const bool progressed = TestEnvironment::waitFor(
        [&] {
            for (const QString &name : contents(work)) {
                const auto m = done.match(QString::fromUtf8(readAll(work + u'/' + name)));
                if (name.endsWith(QLatin1String(".cvctl")) && m.hasMatch() && m.captured(1).toLongLong() >= 8192) {
                    control = name;
                    return true;
                }
            }
            return false;
        },
        60000);
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished();
    ASSERT_TRUE(progressed) << first.readAllStandardError().toStdString();

    // The download folder holds only the reserved empty name; the parts are in the work folder.
    const QString target = QDir(downloads()).filePath(QStringLiteral("Kept parts.mp4"));
    QStringList left = contents(downloads());
    for (const QString &name : before)
        left.removeOne(name);
    EXPECT_EQ(left, QStringList{QStringLiteral("Kept parts.mp4")});
    EXPECT_EQ(QFileInfo(target).size(), 0);

    serveParts(0);
    const RunResult second = runReelgrab(server.url(QStringLiteral("/kept.html")), 5);
    ASSERT_EQ(second.code, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, target);
    for (const QString &kind : QStringList{QStringLiteral("v"), QStringLiteral("a")}) {
        SCOPED_TRACE(kind.toStdString());
        EXPECT_EQ(packets({second.out}, kind), packets(parts, kind));
    }
    // The interrupted part went on from where it was.
    const QString part = QStringLiteral("/kept/p%1.mp4").arg(control.section(u'/', -1).section(u'-', -1).left(2).toInt(nullptr, 16) + 1);
    const QList<QByteArray> ranges = server.ranges(part);
    EXPECT_TRUE(std::any_of(ranges.begin(), ranges.end(),
                            [](const QByteArray &r) { return r.mid(6).split('-').value(0).toLongLong() >= 8192; }))
        << part.toStdString() << ": " << ranges.join(", ").toStdString();
    QStringList after = contents(downloads());
    for (const QString &name : before)
        after.removeOne(name);
    EXPECT_EQ(after, QStringList{QStringLiteral("Kept parts.mp4")});
    EXPECT_EQ(contents(work), workBefore);
}

} // namespace
