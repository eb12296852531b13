#include "EngineFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace EngineTestData;
using namespace std::chrono_literals;

extern char **environ;

namespace {

bool waitUntil(const std::function<bool()> &pred, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return pred();
}

pid_t spawnFetch(const std::vector<std::string> &args, const std::string &output = "/dev/null")
{
    std::vector<char *> argv;
    std::string program = CORVIDASH_FETCH;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (auto &a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

class corvidashDownload : public EngineFixture
{
};

TEST_F(corvidashDownload, PlainRunSendsStartedProgressAndOneFinished)
{
    const std::string body = bytes(3 << 20, 1);
    LoopbackServer::Resource res;
    res.body = body;
    res.bytesPerSecond = 6 << 20;
    server.add("/video.mp4", res);
    const std::string target = path("out/video.mp4");

    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(download(server.url("/video.mp4"), target), 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    expectWellFormed(0);
    EXPECT_EQ(readFile(target), body);
    EXPECT_FALSE(exists(target + ".cvpart"));
    EXPECT_FALSE(exists(target + ".cvctl"));
    const auto last = log.last();
    EXPECT_EQ(last.downloaded, static_cast<int64_t>(body.size()));
    EXPECT_EQ(last.total, static_cast<int64_t>(body.size()));
    EXPECT_GE(log.count(CORVIDASH_EVENT_PROGRESS), 1);
    EXPECT_LE(log.count(CORVIDASH_EVENT_PROGRESS), static_cast<int>(seconds * 4) + 2);
    // More connections only while they raise the rate, and without turbo never more than a few.
    EXPECT_LE(server.maxConcurrent("/video.mp4"), 8);
}

TEST_F(corvidashDownload, ProgressCarriesTotalAndSpeed)
{
    LoopbackServer::Resource res;
    res.body = bytes(1 << 20, 2);
    res.bytesPerSecond = 1 << 20;
    server.add("/a.bin", res);
    ASSERT_EQ(download(server.url("/a.bin"), path("a.bin")), 0);
    bool sawSpeed = false;
    for (const auto &e : log.events()) {
        if (e.type != CORVIDASH_EVENT_PROGRESS)
            continue;
        EXPECT_EQ(e.total, 1 << 20);
        sawSpeed = sawSpeed || static_cast<uint32_t>(e.code) > 0;
    }
    EXPECT_TRUE(sawSpeed);
}

TEST_F(corvidashDownload, StopKeepsPartialDataAndResumeCompletesByteIdentical)
{
    const std::string body = bytes(2 << 20, 3);
    LoopbackServer::Resource res;
    res.body = body;
    res.bytesPerSecond = 2 << 20;
    server.add("/v.mp4", res);
    // However late the stop comes, the run is held at half the file, not finished.
    server.gate("/v.mp4", static_cast<int64_t>(body.size()) / 2);
    const std::string target = path("v.mp4");

    int result = -99;
    std::thread run([&] { result = download(server.url("/v.mp4"), target); });
    ASSERT_TRUE(waitUntil([&] { return log.lastDownloaded() > 400 * 1024; }, 5000ms));
    VantrelSetCallback(handle, nullptr, nullptr);
    const size_t eventsAtDetach = log.events().size();
    VantrelStop(handle);
    // Stop returns once the run is over.
    run.join();
    server.release("/v.mp4");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log.events().size(), eventsAtDetach);
    EXPECT_FALSE(exists(target));
    EXPECT_TRUE(exists(target + ".cvpart"));
    EXPECT_TRUE(exists(target + ".cvctl"));

    log.clear();
    EXPECT_EQ(download(server.url("/v.mp4"), target, true), 0);
    expectWellFormed(0);
    EXPECT_EQ(readFile(target), body);
    EXPECT_LT(server.bodyBytesSent("/v.mp4"), static_cast<int64_t>(body.size()) + 512 * 1024);
    const auto ranges = server.rangeHeaders("/v.mp4");
    EXPECT_NE(ranges.back(), "bytes=0-");
}

TEST_F(corvidashDownload, ResumeAfterTheProcessWasKilled)
{
    for (bool turbo : {false, true}) {
        SCOPED_TRACE(turbo ? "turbo" : "plain");
        const std::string name = turbo ? "/killed-turbo.bin" : "/killed.bin";
        const std::string body = bytes(3 << 20, turbo ? 5 : 4);
        LoopbackServer::Resource res;
        res.body = body;
        res.bytesPerSecond = 1 << 20;
        server.add(name, res);
        // However late the kill comes, the run is held at half the file, not finished.
        server.gate(name, static_cast<int64_t>(body.size()) / 2);
        const std::string target = path(name.substr(1));

        const pid_t pid = spawnFetch({server.url(name), target, "0", turbo ? "1" : "0"});
        ASSERT_GT(pid, 0);
        // Kill once the control file records real progress.
        ASSERT_TRUE(waitUntil(
            [&] {
                const std::string ctl = readFile(target + ".cvctl");
                return ctl.find("done 0 ") != std::string::npos && server.bodyBytesSent(name) > 900 * 1024;
            },
            8000ms));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_FALSE(exists(target));
        const int64_t sentBeforeKill = server.bodyBytesSent(name);
        server.release(name);

        log.clear();
        ASSERT_EQ(download(server.url(name), target, true, turbo), 0);
        expectWellFormed(0);
        EXPECT_EQ(readFile(target), body);
        // Only what was lost since the last control write is fetched again.
        const int64_t refetched = server.bodyBytesSent(name) + 0 - static_cast<int64_t>(body.size());
        EXPECT_LT(refetched, sentBeforeKill);
        EXPECT_LT(refetched, 1 << 20);
    }
}

TEST_F(corvidashDownload, AKillCostsOnlyWhatEachConnectionGotSinceAMomentAgo)
{
    // The saved state trails what is on disk by little: killed while many connections run, the
    // next run fetches again at most kPerConnection for each of them (what came since the last
    // save, and what was on its way), not a share of the file.
    constexpr int64_t kPerConnection = 320 << 10;
    for (bool turbo : {false, true}) {
        SCOPED_TRACE(turbo ? "turbo" : "polite");
        const std::string name = turbo ? "/kill-turbo.bin" : "/kill.bin";
        const std::string body = bytes(turbo ? 24 << 20 : 12 << 20, 13);
        LoopbackServer::Resource res;
        res.body = body;
        res.bytesPerSecond = 2 << 20; // per connection
        server.add(name, res);
        // A kill that comes late on a busy machine finds the run held, all connections open,
        // instead of finished.
        server.gate(name, static_cast<int64_t>(body.size()) * 2 / 3);
        const std::string target = path(name.substr(1));
        const pid_t pid = spawnFetch({server.url(name), target, "0", turbo ? "1" : "0"});
        ASSERT_GT(pid, 0);
        const int wide = turbo ? 16 : 6;
        int connections = 0;
        const bool reached = waitUntil(
            [&] {
                connections = server.concurrent(name);
                return connections >= wide && server.bodyBytesSent(name) >= static_cast<int64_t>(body.size()) / 3;
            },
            30000ms);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        server.release(name);
        ASSERT_TRUE(reached);
        ASSERT_TRUE(WIFSIGNALED(status));

        log.clear();
        ASSERT_EQ(download(server.url(name), target, true, turbo), 0);
        expectWellFormed(0);
        EXPECT_TRUE(readFile(target) == body);
        const int64_t again = server.bodyBytesSent(name) - static_cast<int64_t>(body.size());
        EXPECT_LE(again, kPerConnection * connections) << connections << " connections at the kill";
    }
}

TEST_F(corvidashDownload, TurboIsByteIdenticalAndGrowsAgainstAThrottlingServer)
{
    const std::string body = bytes(4 << 20, 6);
    LoopbackServer::Resource res;
    res.body = body;
    res.bytesPerSecond = 512 * 1024; // per connection
    server.add("/t.mp4", res);
    ASSERT_EQ(download(server.url("/t.mp4"), path("t.mp4"), false, true), 0);
    expectWellFormed(0);
    EXPECT_EQ(readFile(path("t.mp4")), body);
    EXPECT_GE(server.maxConcurrent("/t.mp4"), 4);
    // Work is shared by pieces, never by cutting a running one short: no byte comes twice.
    EXPECT_EQ(server.bytesSentAgain("/t.mp4"), 0);
    EXPECT_EQ(server.bodyBytesSent("/t.mp4"), static_cast<int64_t>(body.size()));
}

TEST_F(corvidashDownload, ALargeFileIsSplitWhenOneConnectionIsHeldBack)
{
    // Every connection is held back by the server: smoothly, or in bursts with pauses between.
    struct Case
    {
        const char *name;
        bool paced;
        bool turbo;
        int mib;
        int atLeast, atMost; // connections
    } cases[] = {
        {"paced, polite", true, false, 16, 8, 8},
        {"paced, turbo", true, true, 32, 9, 32},
        {"smooth, polite", false, false, 6, 2, 8},
    };
    const std::string file = bytes(32 << 20, 11);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = std::string("/split-") + (c.paced ? "paced" : "smooth") + (c.turbo ? "-turbo" : "") + ".mp4";
        const std::string body = file.substr(0, static_cast<size_t>(c.mib) << 20);
        LoopbackServer::Resource res;
        res.body = body;
        if (c.paced) {
            res.burstBytes = 256 << 10;
            res.burstPauseMs = 250;
        } else {
            res.bytesPerSecond = 1 << 20;
        }
        server.add(name, res);
        log.clear();
        const std::string target = path(name.substr(1));
        ASSERT_EQ(download(server.url(name), target, false, c.turbo), 0);
        expectWellFormed(0);
        EXPECT_EQ(readFile(target), body);
        EXPECT_GE(server.maxConcurrent(name), c.atLeast);
        EXPECT_LE(server.maxConcurrent(name), c.atMost);
        // Pieces are asked for bounded, so sharing work cuts nothing off: without an error no
        // byte is sent twice, and the server sends the file and nothing more.
        EXPECT_EQ(server.bytesSentAgain(name), 0);
        EXPECT_EQ(server.bodyBytesSent(name), static_cast<int64_t>(body.size()));
        // And connections carry one piece after another.
        if (c.paced) {
            EXPECT_GT(server.requests(name), server.maxConcurrent(name));
        }
    }
}

TEST_F(corvidashDownload, BoundedPiecesSurvivePausesAndKillsAtAnyPoint)
{
    // A run split over several connections is paused (stop, as the helper's pause does) and
    // its process killed at points spread over the file, each time continuing from the saved
    // state; the last run must finish and the file must be the server's, byte for byte.
    enum class Cut { Pause, Kill };
    struct Stage
    {
        Cut cut;
        int percent; // of the file the server has sent when the run is cut
    };
    const std::vector<Stage> stages = {{Cut::Pause, 10}, {Cut::Kill, 30}, {Cut::Pause, 55}, {Cut::Kill, 70}, {Cut::Pause, 90}};
    const std::string body = bytes(12 << 20, 12);
    for (bool turbo : {false, true}) {
        SCOPED_TRACE(turbo ? "turbo" : "polite");
        const std::string name = turbo ? "/cut-turbo.bin" : "/cut.bin";
        LoopbackServer::Resource res;
        res.body = body;
        res.burstBytes = 256 << 10;
        res.burstPauseMs = 100;
        server.add(name, res);
        const std::string target = path(name.substr(1));
        const auto sent = [&] { return server.bodyBytesSent(name); };
        bool resume = false;
        for (const Stage &stage : stages) {
            SCOPED_TRACE(stage.percent);
            const int64_t at = static_cast<int64_t>(body.size()) * stage.percent / 100;
            // Held there until the cut is made, so the cut always comes before the end.
            server.gate(name, at);
            if (stage.cut == Cut::Pause) {
                std::atomic<bool> ended{false};
                int result = -99;
                std::thread run([&] {
                    result = download(server.url(name), target, resume, turbo);
                    ended = true;
                });
                const bool reached = waitUntil([&] { return sent() >= at || ended; }, 20000ms);
                stopRun(run);
                ASSERT_TRUE(reached);
                ASSERT_FALSE(exists(target)) << "finished before the cut";
                EXPECT_EQ(result, 0);
            } else {
                const pid_t pid = spawnFetch({server.url(name), target, resume ? "1" : "0", turbo ? "1" : "0"});
                ASSERT_GT(pid, 0);
                const bool reached = waitUntil([&] { return sent() >= at && exists(target + ".cvctl"); }, 20000ms);
                kill(pid, SIGKILL);
                int status = 0;
                waitpid(pid, &status, 0);
                ASSERT_TRUE(reached);
                ASSERT_TRUE(WIFSIGNALED(status)) << "finished before the cut";
            }
            server.release(name);
            EXPECT_TRUE(exists(target + ".cvctl"));
            resume = true;
        }
        log.clear();
        ASSERT_EQ(download(server.url(name), target, true, turbo), 0);
        expectWellFormed(0);
        EXPECT_EQ(log.last().downloaded, static_cast<int64_t>(body.size()));
        EXPECT_TRUE(readFile(target) == body) << "the resumed file differs from the server's";
        EXPECT_FALSE(exists(target + ".cvpart"));
        EXPECT_FALSE(exists(target + ".cvctl"));
        // What a pause or a kill costs again is bounded, not the file.
        EXPECT_LT(sent(), static_cast<int64_t>(body.size()) * 3 / 2);
    }
}

TEST_F(corvidashDownload, TurboFallsBackToOneConnectionWhenRangesAreRefused)
{
    const std::string body = bytes(1 << 20, 7);
    LoopbackServer::Resource res;
    res.body = body;
    res.ranges = false;
    res.bytesPerSecond = 4 << 20;
    server.add("/n.mp4", res);
    ASSERT_EQ(download(server.url("/n.mp4"), path("n.mp4"), false, true), 0);
    expectWellFormed(0);
    EXPECT_EQ(readFile(path("n.mp4")), body);
    EXPECT_EQ(server.maxConcurrent("/n.mp4"), 1);
    EXPECT_FALSE(exists(path("n.mp4.cvctl")));
}

TEST_F(corvidashDownload, ResumeWithoutRangesStartsOver)
{
    const std::string body = bytes(256 * 1024, 8);
    LoopbackServer::Resource res;
    res.body = body;
    res.ranges = false;
    server.add("/nr.bin", res);
    writeFile(path("nr.bin.cvpart"), "stale partial data");
    ASSERT_EQ(download(server.url("/nr.bin"), path("nr.bin"), true), 0);
    EXPECT_EQ(readFile(path("nr.bin")), body);
}

TEST_F(corvidashDownload, ResumeOfAChangedResourceStartsOver)
{
    const std::string oldBody = bytes(1 << 20, 9);
    const std::string newBody = bytes(1 << 20, 10);
    LoopbackServer::Resource res;
    res.body = newBody;
    res.etag = "\"v2\"";
    server.add("/c.bin", res);
    writeFile(path("c.bin.cvpart"), oldBody);
    writeFile(path("c.bin.cvctl"), "corvidash-control 1\nkind ranges\nurl x\ntotal 1048576\nvalidator \"v1\"\n"
                                   "done 0 524288\n");
    ASSERT_EQ(download(server.url("/c.bin"), path("c.bin"), true), 0);
    EXPECT_EQ(readFile(path("c.bin")), newBody);
}

TEST_F(corvidashDownload, DroppedConnectionsAreRetriedFromWhereTheyBroke)
{
    for (bool turbo : {false, true}) {
        SCOPED_TRACE(turbo ? "turbo" : "plain");
        const std::string name = turbo ? "/drop-t.bin" : "/drop.bin";
        const std::string body = bytes(1 << 20, 11);
        LoopbackServer::Resource res;
        res.body = body;
        res.dropAfter = 200 * 1024;
        res.drops = 2;
        server.add(name, res);
        log.clear();
        ASSERT_EQ(download(server.url(name), path(name.substr(1)), false, turbo), 0);
        expectWellFormed(0);
        EXPECT_EQ(readFile(path(name.substr(1))), body);
        // A broken piece goes on from its last byte: even then nothing comes twice.
        EXPECT_EQ(server.bytesSentAgain(name), 0);
        EXPECT_EQ(server.bodyBytesSent(name), static_cast<int64_t>(body.size()));
    }
}

TEST_F(corvidashDownload, EmptyResourceAndRedirect)
{
    LoopbackServer::Resource empty;
    server.add("/empty.bin", empty);
    ASSERT_EQ(download(server.url("/empty.bin"), path("empty.bin")), 0);
    expectWellFormed(0);
    EXPECT_EQ(fileSize(path("empty.bin")), 0);

    LoopbackServer::Resource moved;
    moved.status = 302;
    moved.location = "/real.bin";
    server.add("/moved.bin", moved);
    LoopbackServer::Resource real;
    real.body = bytes(100000, 12);
    server.add("/real.bin", real);
    log.clear();
    ASSERT_EQ(download(server.url("/moved.bin"), path("moved.bin")), 0);
    EXPECT_EQ(readFile(path("moved.bin")), real.body);
}

// The helper's probe of an address: a HEAD or the first bytes, with what the server said, and
// nothing of the user's sent along.
TEST_F(corvidashDownload, ProbeTellsTypeLengthNameAndFirstBytes)
{
    LoopbackServer::Resource clip;
    clip.body = bytes(5000, 3);
    clip.contentType = "Video/MP4; codecs=avc1";
    clip.headers = {{"Content-Disposition", "attachment; filename=\"clip.mp4\""}};
    server.add("/clip", clip);
    LoopbackServer::Resource whole = clip;
    whole.ranges = false;
    server.add("/whole", whole);
    LoopbackServer::Resource moved;
    moved.status = 302;
    moved.location = "/clip";
    server.add("/moved", moved);
    LoopbackServer::Resource gone;
    gone.status = 404;
    server.add("/gone", gone);

    struct Case
    {
        const char *name;
        std::string url;
        const char *range;
        int code, status;
        int64_t length;
        std::string body;
        bool cut;
        const char *finalPath;
    };
    const std::string first64 = clip.body.substr(0, 64);
    const Case cases[] = {
        {"head", server.url("/clip"), nullptr, 0, 200, 5000, "", false, "/clip"},
        {"head after a redirect", server.url("/moved"), nullptr, 0, 200, 5000, "", false, "/clip"},
        {"first bytes of a ranged file", server.url("/clip"), "0-63", 0, 206, 64, first64, false, "/clip"},
        {"first bytes, the server sends it all", server.url("/whole"), "0-63", 0, 200, 5000, first64, true, "/whole"},
        {"missing", server.url("/gone"), nullptr, CORVIDASH_INVALID_URL, 404, -1, "", false, "/gone"},
        {"no address", "not an address", nullptr, CORVIDASH_MALFORMED_URL, 0, -1, "", false, nullptr},
        {"another protocol", "file:///etc/passwd", nullptr, CORVIDASH_UNSUPPORTED_PROTOCOL, 0, -1, "", false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CorvidashProbe *p = CorvidashProbeRun(c.url.c_str(), c.range, 64, 5000);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->code, c.code);
        EXPECT_EQ(p->status, c.status);
        if (c.status == 200 || c.status == 206) {
            EXPECT_EQ(p->contentLength, c.length);
            EXPECT_STREQ(p->contentType, "video/mp4; codecs=avc1");
            EXPECT_STREQ(p->disposition, "attachment; filename=\"clip.mp4\"");
        }
        EXPECT_EQ(std::string(p->body, static_cast<size_t>(p->bodyLength)), c.body);
        EXPECT_EQ(p->cut != 0, c.cut);
        if (c.finalPath) {
            EXPECT_EQ(std::string(p->finalUrl), server.url(c.finalPath));
        }
        CorvidashProbeFree(p);
    }
    for (const std::string &cookie : server.cookieHeaders("/clip"))
        EXPECT_EQ(cookie, "");
    CorvidashProbeFree(nullptr);
}

// A Cookie header as a sorted list of pairs, whatever order the client chose.
std::vector<std::string> cookiePairs(const std::string &header)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < header.size()) {
        size_t end = header.find(';', start);
        if (end == std::string::npos)
            end = header.size();
        std::string pair = header.substr(start, end - start);
        pair.erase(0, pair.find_first_not_of(' '));
        if (!pair.empty())
            out.push_back(pair);
        start = end + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(corvidashDownload, CookiesReachOnlyTheHostsAndPathsTheyBelongToAcrossRedirects)
{
    // 127.0.0.1 and localhost reach the same server under two host names.
    const std::string port = std::to_string(server.port());
    auto at = [&](const std::string &host, const std::string &p) { return "http://" + host + ":" + port + p; };
    LoopbackServer::Resource media;
    media.body = bytes(5000, 3);
    server.add("/media/a.bin", media);
    server.add("/other/b.bin", media);
    LoopbackServer::Resource hop;
    hop.status = 302;
    hop.location = at("localhost", "/other/b.bin");
    server.add("/media/hop", hop);
    const std::string jar = "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\t1\n"
                            "127.0.0.1\tFALSE\t/media\tFALSE\t4000000000\tdeep\t2\n"
                            "127.0.0.1\tFALSE\t/\tFALSE\t1000\told\t3\n"
                            "localhost\tFALSE\t/\tFALSE\t0\tlh\t4\n";
    using Pairs = std::vector<std::string>;
    struct Case
    {
        const char *name;
        std::string cookies, url, path;
        Pairs first;      // what the first request carried
        Pairs afterHop;   // what the request on the other host carried ("-" when none was made)
    };
    const Case cases[] = {
        {"path and expiry", jar, at("127.0.0.1", "/media/a.bin"), "/media/a.bin", {"deep=2", "sid=1"}, {"-"}},
        {"other path", jar, at("127.0.0.1", "/other/b.bin"), "/other/b.bin", {"sid=1"}, {"-"}},
        {"redirect to another host", jar, at("127.0.0.1", "/media/hop"), "/media/hop", {"deep=2", "sid=1"}, {"lh=4"}},
        {"plain text stays with its host", "plain=5; two=6", at("127.0.0.1", "/media/hop"), "/media/hop",
         {"plain=5", "two=6"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        cookie = c.cookies;
        ::unlink(path("cookie.bin").c_str());
        const size_t before = server.cookieHeaders("/other/b.bin").size();
        log.clear();
        ASSERT_EQ(download(c.url, path("cookie.bin")), 0);
        EXPECT_EQ(readFile(path("cookie.bin")), media.body);
        const auto first = server.cookieHeaders(c.path);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(cookiePairs(first.back()), c.first);
        const auto hopped = server.cookieHeaders("/other/b.bin");
        if (c.afterHop == Pairs{"-"})
            continue;
        ASSERT_GT(hopped.size(), before);
        EXPECT_EQ(cookiePairs(hopped.back()), c.afterHop);
    }
}

struct ErrorCase
{
    const char *name;
    int expected;
};

class corvidashDownloadErrors : public EngineFixture
{
protected:
    std::string urlFor(const std::string &name)
    {
        LoopbackServer::Resource res;
        res.body = bytes(300 * 1024, 13);
        if (name == "not-found")
            return server.url("/missing.bin");
        if (name == "forbidden")
            res.status = 403;
        if (name == "server-error")
            res.status = 500;
        if (name == "always-drops") {
            res.dropAfter = 1000;
            res.drops = -1;
        }
        if (name == "short-body") {
            res.ranges = false;
            res.announcedLength = 400 * 1024;
        }
        if (name == "stalls")
            res.stall = true;
        if (name == "empty-reply")
            res.closeAtOnce = true;
        if (name == "unsupported")
            return "gopher://127.0.0.1/x";
        if (name == "malformed")
            return "http://[127.0.0.1/x";
        if (name == "no-address")
            return "";
        if (name == "refused") {
            LoopbackServer closed;
            return closed.url("/x"); // the port is free again once it is gone
        }
        if (name == "endless-redirects") {
            res.status = 302;
            res.location = "/endless-redirects";
        }
        server.add("/" + name, res);
        return server.url("/" + name);
    }
};

TEST_F(corvidashDownloadErrors, EveryFailureEndsWithOneErrorEventAndItsCode)
{
    setenv("CORVIDASH_STALL_SECONDS", "1", 1);
    const ErrorCase cases[] = {
        {"not-found", CORVIDASH_INVALID_URL},        {"forbidden", CORVIDASH_ACCESS_DENIED},
        {"server-error", CORVIDASH_NO_DATA},         {"always-drops", CORVIDASH_SIZE_MISMATCH},
        {"short-body", CORVIDASH_SIZE_MISMATCH},     {"stalls", CORVIDASH_TIMED_OUT},
        {"empty-reply", CORVIDASH_NO_DATA},          {"unsupported", CORVIDASH_UNSUPPORTED_PROTOCOL},
        {"malformed", CORVIDASH_MALFORMED_URL},      {"no-address", CORVIDASH_INVALID_URL},
        {"refused", CORVIDASH_CONNECT_FAILED},       {"endless-redirects", CORVIDASH_INVALID_URL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const std::string target = path(std::string(c.name) + ".bin");
        EXPECT_EQ(download(urlFor(c.name), target), c.expected);
        expectWellFormed(c.expected, std::string(c.name) != "short-body");
        EXPECT_FALSE(exists(target));
    }
    unsetenv("CORVIDASH_STALL_SECONDS");
}

TEST_F(corvidashDownloadErrors, UnusableSavePathIsAFileError)
{
    const std::string url = urlFor("fine");
    writeFile(path("plain-file"), "x");
    for (const std::string &target : {path("plain-file/below.bin"), std::string(), m_dir}) {
        SCOPED_TRACE(target);
        log.clear();
        EXPECT_EQ(download(url, target), CORVIDASH_FILE_ERROR);
        expectWellFormed(CORVIDASH_FILE_ERROR);
    }
}

TEST_F(corvidashDownloadErrors, FullDiskIsAWriteError)
{
    const std::string url = urlFor("fine");
    // A file size limit in a child process stands in for a full disk.
    const pid_t pid = spawnFetch({url, path("limited.bin"), "0", "0", "65536"}, path("limited.out"));
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string out = readFile(path("limited.out"));
    EXPECT_NE(out.find("event 2 0"), std::string::npos) << out;
    EXPECT_NE(out.find("event 1 26 "), std::string::npos) << out;
    EXPECT_NE(out.find("result 26"), std::string::npos) << out;
    EXPECT_FALSE(exists(path("limited.bin")));
}

TEST_F(corvidashDownload, NoEventArrivesAfterTheCallbackIsDetached)
{
    LoopbackServer::Resource res;
    res.body = bytes(1 << 20, 14);
    res.bytesPerSecond = 2 << 20;
    server.add("/d.bin", res);
    std::thread run([&] { download(server.url("/d.bin"), path("d.bin")); });
    ASSERT_TRUE(waitUntil([&] { return log.count(CORVIDASH_EVENT_PROGRESS) > 0; }, 5000ms));
    VantrelSetCallback(handle, nullptr, nullptr);
    const size_t atDetach = log.events().size();
    run.join(); // the run goes on to the end, silently
    EXPECT_EQ(log.events().size(), atDetach);
    EXPECT_EQ(readFile(path("d.bin")), res.body);
}

TEST_F(corvidashDownload, StopBeforeTheRunBeganCancelsItUnlessACallbackIsSetAgain)
{
    LoopbackServer::Resource res;
    res.body = bytes(64 * 1024, 15);
    server.add("/s.bin", res);
    VantrelSetUrl(handle, server.url("/s.bin").c_str());
    VantrelSetSavePath(handle, path("s.bin").c_str());
    VantrelSetCallback(handle, nullptr, nullptr);
    VantrelStop(handle); // a pause that overtook the start
    EXPECT_EQ(VantrelStart(handle, 1, 0), 0);
    EXPECT_FALSE(exists(path("s.bin")));
    EXPECT_EQ(server.requests("/s.bin"), 0);

    VantrelStop(handle);
    ASSERT_EQ(download(server.url("/s.bin"), path("s.bin")), 0);
    EXPECT_EQ(readFile(path("s.bin")), res.body);
}

TEST_F(corvidashDownload, DeleteTempFilesRemovesPartialState)
{
    writeFile(path("x.bin.cvpart"), "partial");
    writeFile(path("x.bin.cvctl"), "corvidash-control 1\n");
    VantrelSetSavePath(handle, path("x.bin").c_str());
    VantrelDeleteTempFiles(handle);
    EXPECT_FALSE(exists(path("x.bin.cvpart")));
    EXPECT_FALSE(exists(path("x.bin.cvctl")));
}

TEST(corvidashLibrary, ExportsExactlyTheNamedFunctions)
{
    void *lib = dlopen(CORVIDASH_LIBRARY, RTLD_LAZY | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const char *name :
         {"VantrelCreate", "VantrelRelease", "VantrelSetUrl", "VantrelSetSavePath", "VantrelSetUserAgent",
          "VantrelSetCookie", "VantrelSetCallback", "VantrelStart", "VantrelStop", "VantrelDeleteTempFiles",
          "URLSniffingCreate", "URLSniffingSetMacResPath", "URLSniffingRelease", "URLSniffingSetCookie",
          "URLSniffingStart", "URLSniffingStop", "fURLSniffingGetErrorCode", "URLSniffingGetTypeCount",
          "URLSniffingGetTypeInfo", "URLSniffingGetTypeSound", "URLSniffingGetSegmentUrl", "URLSniffingFreeSegmentUrl",
          "URLSniffingGetSegmentInfo", "URLSniffingGetTitle", "URLSniffingGetThumbnail",
          "URLSniffingGetSubtitleCount", "URLSniffingGetSubtitleInfo", "URLSniffingGetSubtitleContent",
          "GetWebBrowserCookies", "SetPythonRuntimeResoucePath", "SniffingOnlyUsePython", "ALogInit",
          "ALogSetLevel", "LogD", "ALogFree", "CorvidashErrorString", "VantrelGetErrorText", "URLSniffingGetErrorText",
          "CorvidashApiVersion", "CorvidashProbeRun", "CorvidashProbeFree"})
        EXPECT_NE(dlsym(lib, name), nullptr) << name;
    // Nothing of the engine's inside leaks out.
    const std::string command = std::string("nm -D --defined-only ") + CORVIDASH_LIBRARY + " | wc -l";
    if (FILE *p = popen(command.c_str(), "r")) {
        int count = 0;
        if (fscanf(p, "%d", &count) == 1) {
            EXPECT_EQ(count, 41);
        }
        pclose(p);
    }
    dlclose(lib);
}

// Every helper opens the engine at its start; the page parser and the cookie-store reader are
// opened only when a page is parsed or a store read (both have tests of their own).
TEST(corvidashLibrary, OpensItsPageParserAndCookieReaderOnlyWhenUsed)
{
    const std::string command = std::string("readelf -d ") + CORVIDASH_LIBRARY;
    FILE *p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string needed;
    char line[512];
    while (fgets(line, sizeof line, p))
        if (strstr(line, "(NEEDED)"))
            needed += line;
    pclose(p);
    if (needed.empty())
        GTEST_SKIP() << "readelf gave nothing";
    EXPECT_NE(needed.find("libcurl"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libsqlite3"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libgumbo"), std::string::npos) << needed;
}

// A failed run leaves the sentence the user is shown; a success clears it.
TEST_F(corvidashDownload, FailedRunsSayWhy)
{
    LoopbackServer::Resource ok;
    ok.body = bytes(3000, 4);
    server.add("/ok.bin", ok);
    LoopbackServer::Resource forbidden;
    forbidden.status = 403;
    server.add("/forbidden.bin", forbidden);
    LoopbackServer::Resource unavailable;
    unavailable.status = 503;
    server.add("/unavailable.bin", unavailable);
    LoopbackServer::Resource odd; // a status without a standard phrase
    odd.status = 599;
    server.add("/odd.bin", odd);
    const int closed = closedPort();
    const struct
    {
        std::string url;
        int code;
        std::string reason;
    } cases[] = {
        {server.url("/nothing.bin"), CORVIDASH_INVALID_URL, "The server answered 404 Not Found"},
        {server.url("/forbidden.bin"), CORVIDASH_ACCESS_DENIED, "The server answered 403 Forbidden"},
        {server.url("/unavailable.bin"), CORVIDASH_NO_DATA, "The server answered 503 Service Unavailable"},
        {server.url("/odd.bin"), CORVIDASH_NO_DATA, "The server answered 599"},
        {"http://127.0.0.1:" + std::to_string(closed) + "/x.bin", CORVIDASH_CONNECT_FAILED, "Could not connect to 127.0.0.1"},
        {server.url("/ok.bin"), CORVIDASH_OK, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        log.clear();
        EXPECT_EQ(download(c.url, path("why.bin")), c.code);
        expectWellFormed(c.code);
        EXPECT_EQ(std::string(VantrelGetErrorText(handle)), c.reason);
    }
    EXPECT_STREQ(VantrelGetErrorText(nullptr), "");
}

TEST(corvidashLibrary, EventRecordLayoutAndErrorTexts)
{
    static_assert(sizeof(CorvidashEvent) == 24);
    static_assert(offsetof(CorvidashEvent, downloaded) == 8 && offsetof(CorvidashEvent, total) == 16);
    static_assert(sizeof(CorvidashTypeInfo) == 20 && offsetof(CorvidashTypeInfo, segmentCount) == 16);
    static_assert(sizeof(CorvidashSegmentInfo) == 16);
    static_assert(offsetof(CorvidashSubtitleInfo, languageCode) == 208 &&
                  offsetof(CorvidashSubtitleInfo, isDefault) == 408);
    EXPECT_STREQ(CorvidashErrorString(CORVIDASH_SIZE_MISMATCH), "File transfer was shorter or larger than expected");
    EXPECT_STREQ(CorvidashErrorString(123456), "Unknown error");
    EXPECT_STREQ(CorvidashErrorString(CORVIDASH_ERROR_INVALID_HANDLE), "Invalid handle");
    EXPECT_EQ(VantrelStart(nullptr, 0, 0), CORVIDASH_ERROR_INVALID_HANDLE);
    VantrelStop(nullptr);
    VantrelRelease(nullptr);
}

TEST(corvidashLibrary, LogWritesLinesUpToItsLevel)
{
    const std::string file = (std::string(getenv("HOME")) + "/engine.log");
    ASSERT_EQ(ALogInit(file.c_str()), 0);
    ALogSetLevel(1);
    LogD(0, "%s", "an error line");
    LogD(2, "%s", "an info line");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                LogD(1, "thread %d line %d", t, i);
        });
    for (auto &t : threads)
        t.join();
    ALogFree();
    LogD(0, "%s", "after free");
    const std::string text = readFile(file);
    EXPECT_NE(text.find("an error line"), std::string::npos);
    EXPECT_EQ(text.find("an info line"), std::string::npos);
    EXPECT_EQ(text.find("after free"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 201);
}

// Hostile and careless servers: what they control stays bounded, and each run ends with a
// reason the user can read.
class corvidashDownloadBounds : public EngineFixture
{
protected:
    // Sets a variable for one test and puts the old state back.
    struct Env
    {
        Env(const char *name, const std::string &value) : name(name)
        {
            if (const char *old = getenv(name))
                before = old;
            setenv(name, value.c_str(), 1);
        }
        ~Env()
        {
            if (before)
                setenv(name, before->c_str(), 1);
            else
                unsetenv(name);
        }
        const char *name;
        std::optional<std::string> before;
    };

    static int64_t allocatedBytes(const std::string &file)
    {
        struct stat st{};
        return ::stat(file.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_blocks) * 512 : 0;
    }

    static constexpr int64_t kMiB = 1 << 20;
};

TEST_F(corvidashDownloadBounds, BodiesStopAtTheDiskReserveWithDiskFull)
{
    // A pretend disk with 3 MiB above a 1 MiB reserve: nothing here writes more than that.
    const Env reserve("CORVIDASH_DISK_RESERVE", std::to_string(kMiB));
    const Env free("CORVIDASH_FREE_BYTES", std::to_string(4 * kMiB));

    LoopbackServer::Resource endless;
    endless.body = bytes(64 * 1024, 30);
    endless.ranges = false;
    endless.endless = true;
    server.add("/endless.bin", endless);

    LoopbackServer::Resource tooBig; // honest, and larger than the room left
    tooBig.body = bytes(5 * kMiB, 31);
    server.add("/too-big.bin", tooBig);

    LoopbackServer::Resource lie; // announces 1 TB, sends 900 KB, takes no ranges
    lie.body = bytes(900 * 1024, 32);
    lie.ranges = false;
    lie.announcedLength = int64_t(1) << 40;
    server.add("/lie.bin", lie);

    // A long playlist of segments that together outgrow the room.
    LoopbackServer::Resource segment, playlist;
    segment.body = bytes(kMiB, 33);
    segment.contentType = "video/mp2t";
    playlist.contentType = "application/vnd.apple.mpegurl";
    playlist.body = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n";
    for (int i = 0; i < 8; ++i) {
        server.add("/many/s" + std::to_string(i) + ".ts", segment);
        playlist.body += "#EXTINF:2,\ns" + std::to_string(i) + ".ts\n";
    }
    playlist.body += "#EXT-X-ENDLIST\n";
    server.add("/many/index.m3u8", playlist);

    const struct
    {
        const char *name;
        std::string url;
        bool turbo;
    } cases[] = {
        {"endless stream", server.url("/endless.bin"), false},
        {"announced size above the room", server.url("/too-big.bin"), true},
        {"length lie above the room", server.url("/lie.bin"), false},
        {"segments outgrow the room", server.url("/many/index.m3u8"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const std::string target = path(std::string("full-") + c.name);
        EXPECT_EQ(download(c.url, target, false, c.turbo), CORVIDASH_WRITE_FAILED);
        expectWellFormed(CORVIDASH_WRITE_FAILED, false);
        EXPECT_STREQ(VantrelGetErrorText(handle), "Disk full");
        EXPECT_FALSE(exists(target));
        // What is left beside the name never crosses the room above the reserve.
        EXPECT_LE(fileSize(target + ".cvpart"), 3 * kMiB);
        EXPECT_LE(allocatedBytes(target + ".cvpart"), 3 * kMiB);
    }
    EXPECT_EQ(server.requests("/endless.bin"), 1) << "a full disk is not retried";
    EXPECT_EQ(server.requests("/too-big.bin"), 1);
    EXPECT_EQ(fileSize(path("full-endless stream.cvpart")), 0) << "a stream that cannot resume keeps nothing";
}

// A small pretend file system: 200 MiB, 10 MiB free. A body whose length was announced may come
// down to the small reserve; a body of unknown length stops at the larger one (here 2 % of the
// disk, 4 MiB, above the 2 MiB minimum this test sets in place of the usual 1 GiB).
TEST_F(corvidashDownloadBounds, OnlyAnAnnouncedLengthThatFitsMayUseTheSmallReserve)
{
    const Env reserve("CORVIDASH_DISK_RESERVE", std::to_string(kMiB));
    const Env openReserve("CORVIDASH_OPEN_RESERVE", std::to_string(2 * kMiB));
    const Env size("CORVIDASH_DISK_SIZE", std::to_string(200 * kMiB));
    const Env free("CORVIDASH_FREE_BYTES", std::to_string(10 * kMiB));

    LoopbackServer::Resource fits; // 8 MiB: above the large reserve, below the small one
    fits.body = bytes(8 * kMiB, 40);
    server.add("/fits.bin", fits);
    LoopbackServer::Resource fitsStream = fits;
    fitsStream.ranges = false;
    server.add("/fits-stream.bin", fitsStream);
    LoopbackServer::Resource tooLarge;
    tooLarge.body = bytes(12 * kMiB, 41);
    server.add("/too-large.bin", tooLarge);
    LoopbackServer::Resource unknown = fitsStream; // the same 8 MiB without a length
    unknown.chunked = true;
    server.add("/unknown.bin", unknown);
    LoopbackServer::Resource endless;
    endless.body = bytes(64 * 1024, 42);
    endless.ranges = false;
    endless.endless = true;
    server.add("/endless.bin", endless);

    const struct
    {
        const char *name;
        int code;
        int64_t mostWritten; // bytes the run may have written at most
    } cases[] = {
        {"/fits.bin", CORVIDASH_OK, 8 * kMiB},
        {"/fits-stream.bin", CORVIDASH_OK, 8 * kMiB},
        {"/too-large.bin", CORVIDASH_WRITE_FAILED, 0},
        {"/unknown.bin", CORVIDASH_WRITE_FAILED, 6 * kMiB},
        {"/endless.bin", CORVIDASH_WRITE_FAILED, 6 * kMiB},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const std::string target = path(std::string("small") + (c.name + 1));
        EXPECT_EQ(download(server.url(c.name), target), c.code);
        expectWellFormed(c.code, false);
        EXPECT_LE(log.lastDownloaded(), c.mostWritten);
        if (c.code == CORVIDASH_OK) {
            EXPECT_EQ(fileSize(target), 8 * kMiB);
            continue;
        }
        EXPECT_EQ(server.requests(c.name), 1) << "a full disk is not retried";
        EXPECT_STREQ(VantrelGetErrorText(handle), "Disk full");
        EXPECT_FALSE(exists(target));
        EXPECT_LE(fileSize(target + ".cvpart"), 0) << "what cannot resume keeps nothing";
        EXPECT_LE(allocatedBytes(target + ".cvpart"), 0);
    }
}

// A server that sends now and then, never quite nothing: slower than the floor for a whole window
// is a stall that fails the run with its reason (the helper asks again, and counts it). Faster,
// however slow, is not.
TEST_F(corvidashDownloadBounds, ATrickleBelowTheFloorIsAStall)
{
    const Env window("CORVIDASH_SLOW_SECONDS", "1");
    const Env rate("CORVIDASH_SLOW_RATE", "1024");
    LoopbackServer::Resource drip; // claims 100 MB, sends 100 bytes a second
    drip.body = bytes(100 << 20, 43);
    drip.bytesPerSecond = 100;
    drip.pieceBytes = 10;
    server.add("/drip.bin", drip);
    LoopbackServer::Resource dripStream = drip;
    dripStream.ranges = false;
    server.add("/drip-stream.bin", dripStream);
    LoopbackServer::Resource slow; // 4 KiB a second for about two windows
    slow.body = bytes(10 * 1024, 44);
    slow.bytesPerSecond = 4096;
    slow.pieceBytes = 256;
    server.add("/slow.bin", slow);

    const struct
    {
        const char *name;
        int code;
        const char *reason;
        int fewestRequests, mostRequests; // ranges let further connections try meanwhile
    } cases[] = {
        {"/drip.bin", CORVIDASH_TIMED_OUT, "The server stopped sending data", 1, 8},
        {"/drip-stream.bin", CORVIDASH_TIMED_OUT, "The server stopped sending data", 1, 1},
        {"/slow.bin", CORVIDASH_OK, "", 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(download(server.url(c.name), path(std::string("t") + (c.name + 1))), c.code);
        expectWellFormed(c.code, false);
        EXPECT_EQ(std::string(VantrelGetErrorText(handle)), c.reason);
        EXPECT_GE(server.requests(c.name), c.fewestRequests);
        EXPECT_LE(server.requests(c.name), c.mostRequests);
        EXPECT_LT(std::chrono::steady_clock::now() - began, 15s);
    }
}

// Answers the engine will not hold end with what happened, not with a memory error.
TEST_F(corvidashDownloadBounds, AnswersTooLargeToHoldSayWhatHappened)
{
    LoopbackServer::Resource giantHeader;
    giantHeader.body = bytes(4096, 45);
    giantHeader.headers.emplace_back("X-Padding", std::string(1 << 20, 'p'));
    server.add("/giant-header.bin", giantHeader);

    // A segment that never ends (the server gives up after 64 MiB and a bit).
    LoopbackServer::Resource endless, playlist;
    endless.body = bytes(100000, 46);
    endless.contentType = "video/mp2t";
    endless.ranges = false;
    endless.endless = true;
    server.add("/endless/s0.ts", endless);
    playlist.contentType = "application/vnd.apple.mpegurl";
    playlist.body = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\ns0.ts\n#EXT-X-ENDLIST\n";
    server.add("/endless/index.m3u8", playlist);

    const struct
    {
        const char *name;
        const char *reason;
    } cases[] = {
        {"/giant-header.bin", "The server's answer was too large"},
        {"/endless/index.m3u8", "A piece of the stream never ended"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        const std::string target = path(std::string("large") + std::to_string(strlen(c.name)));
        EXPECT_NE(download(server.url(c.name), target), CORVIDASH_OK);
        EXPECT_EQ(std::string(VantrelGetErrorText(handle)), c.reason);
        EXPECT_FALSE(exists(target));
    }
}

TEST_F(corvidashDownloadBounds, LengthLiesAndDropsAreRetriedAFewTimesAndHoldNoSpace)
{
    // Announces 256 MB and sends 900 KB each time: a few tries, then the reason; nothing of the
    // announced size is held on the disk, during the run or after it.
    LoopbackServer::Resource lie;
    lie.body = bytes(900 * 1024, 34);
    lie.ranges = false;
    lie.announcedLength = int64_t(256) << 20;
    server.add("/lie.bin", lie);
    // Takes ranges and always breaks off: the blocks reserved for the rest go back to the disk,
    // the size and the control file stay for a resume.
    LoopbackServer::Resource drops;
    drops.body = bytes(16 * kMiB, 35);
    drops.dropAfter = 128 * 1024; // less than any piece the engine asks for
    drops.drops = -1;
    server.add("/drops.bin", drops);

    std::atomic<int64_t> mostHeld{0};
    std::atomic<bool> done{false};
    const std::string liePart = path("lie.bin.cvpart");
    std::thread watch([&] {
        while (!done) {
            mostHeld = std::max<int64_t>(mostHeld, allocatedBytes(liePart));
            std::this_thread::sleep_for(1ms);
        }
    });
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(download(server.url("/lie.bin"), path("lie.bin")), CORVIDASH_SIZE_MISMATCH);
    done = true;
    watch.join();
    expectWellFormed(CORVIDASH_SIZE_MISMATCH, false);
    EXPECT_EQ(std::string(VantrelGetErrorText(handle)), "The server sent less than it announced");
    EXPECT_LE(server.requests("/lie.bin"), 6);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 10s);
    EXPECT_LT(mostHeld.load(), 8 * kMiB);
    EXPECT_EQ(fileSize(liePart), 0);

    log.clear();
    const std::string target = path("drops.bin");
    EXPECT_EQ(download(server.url("/drops.bin"), target, false, true), CORVIDASH_SIZE_MISMATCH);
    expectWellFormed(CORVIDASH_SIZE_MISMATCH);
    EXPECT_LE(server.requests("/drops.bin"), 8);
    EXPECT_EQ(fileSize(target + ".cvpart"), 16 * kMiB);
    EXPECT_TRUE(exists(target + ".cvctl"));
    EXPECT_LT(allocatedBytes(target + ".cvpart"), 8 * kMiB);
}

TEST_F(corvidashDownloadBounds, ASilentServerTimesOutWithItsReason)
{
    const Env stall("CORVIDASH_STALL_SECONDS", "1");
    LoopbackServer::Resource silent; // takes the request and never answers
    silent.body = "x";
    silent.delayMs = 120000;
    server.add("/silent.bin", silent);
    LoopbackServer::Resource stalls; // answers, then sends nothing
    stalls.body = bytes(64 * 1024, 36);
    stalls.stall = true;
    server.add("/stalls.bin", stalls);
    for (const char *name : {"/silent.bin", "/stalls.bin"}) {
        SCOPED_TRACE(name);
        log.clear();
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(download(server.url(name), path(std::string("t") + (name + 1))), CORVIDASH_TIMED_OUT);
        expectWellFormed(CORVIDASH_TIMED_OUT);
        EXPECT_LT(std::chrono::steady_clock::now() - began, 8s);
        EXPECT_EQ(std::string(VantrelGetErrorText(handle)), "No answer from 127.0.0.1 in time");
        EXPECT_EQ(server.requests(name), 1);
    }
}
