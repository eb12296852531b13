#include "EngineFixture.h"

#include <QDir>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

using namespace EngineTestData;
using namespace std::chrono_literals;

namespace {

struct Offer
{
    int format = 0;
    std::string url;
};

std::vector<Offer> sniffOffers(const std::string &url, int *code)
{
    std::vector<Offer> out;
    CorvidashSniffer *h = URLSniffingCreate();
    *code = URLSniffingStart(h, url.c_str(), "TestAgent");
    for (int i = 0; i < URLSniffingGetTypeCount(h); ++i) {
        CorvidashTypeInfo info{};
        EXPECT_TRUE(URLSniffingGetTypeInfo(h, i, &info));
        EXPECT_EQ(info.segmentCount, 1);
        char *text = nullptr;
        EXPECT_GT(URLSniffingGetSegmentUrl(h, i, 0, 0, &text), 0);
        out.push_back({info.format, text ? text : ""});
        URLSniffingFreeSegmentUrl(h, &text);
    }
    URLSniffingRelease(h);
    return out;
}

std::string run(const QString &program, const QStringList &args, const std::string &dir = {})
{
    QProcess p;
    if (!dir.empty())
        p.setWorkingDirectory(QString::fromStdString(dir));
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return p.readAllStandardOutput().toStdString();
}

// The stream types ffprobe finds in a file, one a line.
std::string probe(const std::string &file)
{
    return run("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type", "-of", "default=nw=1:nk=1",
                           QString::fromStdString(file)});
}

} // namespace

class corvidashDash : public EngineFixture
{
protected:
    // A real DASH stream made by ffmpeg in its own folder: picture (representation "0") and
    // sound ("1") in pieces of one second, served under /<name>/. The sound ends a little
    // early, so its encoder delay does not spill into a piece past the presentation's end.
    void makeStream(const std::string &name, int seconds, bool timeline, int pieceDelayMs = 0)
    {
        const std::string dir = path("src-" + name);
        QDir().mkpath(QString::fromStdString(dir));
        const QString length = QString::number(seconds);
        run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                       "testsrc=size=160x120:rate=25:duration=" + length, "-f", "lavfi", "-i",
                       "sine=frequency=440:sample_rate=44100:duration=" + QString::number(seconds - 0.1), "-map", "0:v",
                       "-map", "1:a", "-c:v", "libx264", "-preset", "ultrafast", "-g", "25", "-keyint_min", "25",
                       "-sc_threshold", "0", "-c:a", "aac", "-b:a", "64k", "-f", "dash", "-seg_duration", "1",
                       "-use_template", "1", "-use_timeline", timeline ? "1" : "0", "stream.mpd"},
            dir);
        for (const QString &file : QDir(QString::fromStdString(dir)).entryList(QDir::Files)) {
            LoopbackServer::Resource r;
            r.body = readFile(dir + "/" + file.toStdString());
            if (file.endsWith(".mpd")) {
                r.contentType = "application/dash+xml";
            } else {
                r.contentType = "video/iso.segment";
                r.delayMs = file.startsWith("chunk") ? pieceDelayMs : 0;
            }
            server.add("/" + name + "/" + file.toStdString(), r);
        }
        m_streamDir[name] = dir;
    }
    // The addresses of a representation's pieces, from what ffmpeg wrote.
    std::vector<std::string> pieceFiles(const std::string &name, int representation)
    {
        std::vector<std::string> out;
        for (int n = 1;; ++n) {
            char file[64];
            snprintf(file, sizeof file, "chunk-stream%d-%05d.m4s", representation, n);
            if (!exists(m_streamDir[name] + "/" + file))
                return out;
            out.push_back(file);
        }
    }
    // Initialization followed by every piece, in order: what a download must hold.
    std::string joined(const std::string &name, int representation)
    {
        const std::string dir = m_streamDir[name];
        std::string out = readFile(dir + "/init-stream" + std::to_string(representation) + ".m4s");
        for (const auto &file : pieceFiles(name, representation))
            out += readFile(dir + "/" + file);
        return out;
    }
    int pieceRequests(const std::string &name, int representation)
    {
        int n = 0;
        for (const auto &file : pieceFiles(name, representation))
            n += server.requests("/" + name + "/" + file);
        return n;
    }

    std::map<std::string, std::string> m_streamDir;
};

TEST_F(corvidashDash, SniffedRepresentationsDownloadAsInitAndPiecesInOrder)
{
    struct Case
    {
        const char *name;
        bool timeline;
        bool turbo;
    };
    for (const Case &c : {Case{"numbered", false, false}, Case{"timeline", true, true}}) {
        SCOPED_TRACE(c.name);
        makeStream(c.name, 5, c.timeline);
        const std::string manifest = server.url("/" + std::string(c.name) + "/stream.mpd");
        int code = -1;
        const auto offers = sniffOffers(manifest, &code);
        ASSERT_EQ(code, 0);
        ASSERT_EQ(offers.size(), 2u);
        EXPECT_EQ(offers[0].format, CORVIDASH_FORMAT_MP4_VIDEO);
        EXPECT_EQ(offers[0].url, manifest + "#corvidash-dash=0.0");
        EXPECT_EQ(offers[1].format, CORVIDASH_FORMAT_MP4_AUDIO);
        EXPECT_EQ(offers[1].url, manifest + "#corvidash-dash=0.1");
        for (int rep = 0; rep < 2; ++rep) {
            SCOPED_TRACE(rep);
            log.clear();
            const std::string target = path(std::string(c.name) + std::to_string(rep) + ".mp4");
            ASSERT_EQ(download(offers[static_cast<size_t>(rep)].url, target, false, c.turbo), 0);
            expectWellFormed(0);
            const std::string expected = joined(c.name, rep);
            ASSERT_GE(pieceFiles(c.name, rep).size(), 5u);
            EXPECT_TRUE(readFile(target) == expected) << "file differs from init + pieces";
            EXPECT_EQ(log.last().downloaded, static_cast<int64_t>(expected.size()));
            EXPECT_FALSE(exists(target + ".cvctl"));
            EXPECT_EQ(pieceRequests(c.name, rep), static_cast<int>(pieceFiles(c.name, rep).size()));
            EXPECT_EQ(probe(target), rep == 0 ? "video\n" : "audio\n");
        }
    }
}

TEST_F(corvidashDash, StoppedDownloadResumesWithTheMissingPiecesOnly)
{
    makeStream("resume", 40, true, 60);
    const std::string url = server.url("/resume/stream.mpd") + "#corvidash-dash=0.0";
    const std::string target = path("resume.mp4");
    const size_t count = pieceFiles("resume", 0).size();
    ASSERT_GE(count, 40u);
    // A piece past the stop point is held until the stop: a late stop still comes first.
    const std::string held = "/resume/" + pieceFiles("resume", 0)[15];
    server.gate(held, 0);
    std::thread first([&] { download(url, target); });
    const auto until = std::chrono::steady_clock::now() + 10s;
    // Eight go out at once: wait until the first of them have been replaced by others.
    while (pieceRequests("resume", 0) < 12 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    stopRun(first);
    server.release(held);
    ASSERT_FALSE(exists(target));
    ASSERT_TRUE(exists(target + ".cvctl"));
    const int before = pieceRequests("resume", 0);
    ASSERT_LT(before, static_cast<int>(count));

    log.clear();
    ASSERT_EQ(download(url, target, true), 0);
    expectWellFormed(0);
    EXPECT_TRUE(readFile(target) == joined("resume", 0)) << "resumed file differs from init + pieces";
    // Only the pieces in flight at the stop, and those that came in ahead of one of them, may
    // come twice; so may the init section, when it was itself still in flight (a slow run).
    EXPECT_LE(pieceRequests("resume", 0), static_cast<int>(count) + 16);
    EXPECT_LE(server.requests("/resume/init-stream0.m4s"), 2);
    EXPECT_EQ(server.requests("/resume/stream.mpd"), 2);
    EXPECT_EQ(probe(target), "video\n");
}

// A list of byte ranges into one file: the init section and the pieces are asked for as
// ranges, and the download is the file again.
TEST_F(corvidashDash, SegmentListRangesOfOneFile)
{
    makeStream("whole", 4, false);
    const std::string whole = joined("whole", 1);
    const std::string init = readFile(m_streamDir["whole"] + "/init-stream1.m4s");
    LoopbackServer::Resource file;
    file.body = whole;
    file.contentType = "audio/mp4";
    server.add("/list/sound.m4a", file);
    std::string list = "<SegmentList timescale='1000' duration='1000'><Initialization range='0-" +
                       std::to_string(init.size() - 1) + "'/>";
    size_t at = init.size();
    for (const auto &piece : pieceFiles("whole", 1)) {
        const size_t size = readFile(m_streamDir["whole"] + "/" + piece).size();
        list += "<SegmentURL mediaRange='" + std::to_string(at) + "-" + std::to_string(at + size - 1) + "'/>";
        at += size;
    }
    LoopbackServer::Resource manifest;
    manifest.body = "<MPD type='static' mediaPresentationDuration='PT4S'><Period><AdaptationSet mimeType='audio/mp4' "
                    "codecs='mp4a.40.2'><Representation id='sound one' bandwidth='64000'><BaseURL>sound.m4a</BaseURL>" +
                    list + "</SegmentList></Representation></AdaptationSet></Period></MPD>";
    manifest.contentType = "application/dash+xml";
    server.add("/list/manifest.mpd", manifest);

    int code = -1;
    const auto offers = sniffOffers(server.url("/list/manifest.mpd"), &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(offers[0].format, CORVIDASH_FORMAT_MP4_AUDIO);
    EXPECT_EQ(offers[0].url, server.url("/list/manifest.mpd") + "#corvidash-dash=0.sound%20one");
    for (const bool turbo : {false, true}) {
        SCOPED_TRACE(turbo);
        log.clear();
        const std::string target = path(turbo ? "list-turbo.m4a" : "list.m4a");
        ASSERT_EQ(download(offers[0].url, target, false, turbo), 0);
        expectWellFormed(0);
        EXPECT_TRUE(readFile(target) == whole) << "file differs from the ranges it is made of";
        EXPECT_EQ(probe(target), "audio\n");
    }
    const auto ranges = server.rangeHeaders("/list/sound.m4a");
    EXPECT_EQ(std::count(ranges.begin(), ranges.end(), "bytes=0-" + std::to_string(init.size() - 1)), 2);
    EXPECT_EQ(ranges.size(), 2 * (pieceFiles("whole", 1).size() + 1));
}

TEST_F(corvidashDash, AddressesThatNameNoUsableRepresentationAreErrors)
{
    LoopbackServer::Resource manifest;
    manifest.body = "<MPD type='static' mediaPresentationDuration='PT2S'><Period><AdaptationSet mimeType='video/mp4'>"
                    "<Representation id='ok'><SegmentTemplate duration='1' media='p$Number$.m4s'/></Representation>"
                    "<Representation id='wide'><SegmentTemplate duration='1' media='p$Number%030d$.m4s'/></Representation>"
                    "<Representation id='file'><BaseURL>whole.mp4</BaseURL></Representation>"
                    "</AdaptationSet></Period></MPD>";
    manifest.contentType = "application/dash+xml";
    server.add("/bad/manifest.mpd", manifest);
    LoopbackServer::Resource piece;
    piece.body = "piece";
    server.add("/bad/p1.m4s", piece);
    struct Case
    {
        const char *name;
        std::string fragment;
        int expected;
    };
    const Case cases[] = {
        {"gone", "#corvidash-dash=0.nothing", CORVIDASH_INVALID_URL},
        {"period out of range", "#corvidash-dash=4.ok", CORVIDASH_INVALID_URL},
        {"refused", "#corvidash-dash=0.wide", CORVIDASH_INVALID_URL},
        {"one file", "#corvidash-dash=0.file", CORVIDASH_INVALID_URL},
        {"manifest without a choice", "", CORVIDASH_INVALID_URL},
        {"missing piece", "#corvidash-dash=0.ok", CORVIDASH_INVALID_URL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const std::string target = path(std::string(c.name) + ".mp4");
        EXPECT_EQ(download(server.url("/bad/manifest.mpd") + c.fragment, target), c.expected);
        expectWellFormed(c.expected);
        EXPECT_FALSE(exists(target));
    }
}
