#include "EngineFixture.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

using namespace EngineTestData;
using namespace std::chrono_literals;

namespace {

std::string encrypt(const std::string &plain, const uint8_t key[16], const uint8_t iv[16])
{
    const size_t pad = 16 - plain.size() % 16;
    std::string data = plain + std::string(pad, static_cast<char>(pad));
    aes128_ctx ctx;
    aes128_set_encrypt_key(&ctx, key);
    uint8_t chain[16];
    memcpy(chain, iv, 16);
    auto *bytes = reinterpret_cast<uint8_t *>(data.data());
    cbc_encrypt(&ctx, reinterpret_cast<nettle_cipher_func *>(aes128_encrypt), 16, chain, data.size(), bytes, bytes);
    return data;
}

} // namespace

class corvidashHls : public EngineFixture
{
protected:
    // Serves a media playlist of count segments under /hls/<name>/ and returns
    // what the finished file must hold.
    // tweak, when given, changes the resource of each segment (by index) before it is served.
    std::string serve(const std::string &name, int count, const std::string &keyMode, bool withMap, int delayMs = 0,
                      const std::function<void(int, LoopbackServer::Resource &)> &tweak = nullptr)
    {
        const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        std::string playlist = "#EXTM3U\n#EXT-X-VERSION:7\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:5\n";
        std::string expected;
        if (withMap) {
            LoopbackServer::Resource init;
            init.body = "INIT-SECTION" + bytes(1000, 99);
            server.add("/hls/" + name + "/init.mp4", init);
            playlist += "#EXT-X-MAP:URI=\"init.mp4\"\n";
            expected += init.body;
        }
        if (keyMode != "none") {
            LoopbackServer::Resource k;
            k.body.assign(reinterpret_cast<const char *>(key), 16);
            server.add("/keys/" + name + ".key", k);
            playlist += "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/" + name + ".key\"";
            if (keyMode == "explicit-iv")
                playlist += ",IV=0x000102030405060708090a0b0c0d0e0f";
            playlist += "\n";
        }
        for (int i = 0; i < count; ++i) {
            const std::string plain = bytes(20000 + 997 * static_cast<size_t>(i), static_cast<unsigned>(100 + i));
            expected += plain;
            LoopbackServer::Resource seg;
            seg.delayMs = delayMs;
            seg.contentType = "video/mp2t";
            if (keyMode == "none") {
                seg.body = plain;
            } else {
                uint8_t iv[16] = {};
                if (keyMode == "explicit-iv") {
                    for (int b = 0; b < 16; ++b)
                        iv[b] = static_cast<uint8_t>(b);
                } else {
                    iv[15] = static_cast<uint8_t>(5 + i); // the media sequence number
                }
                seg.body = encrypt(plain, key, iv);
            }
            if (tweak)
                tweak(i, seg);
            const std::string segName = "seg" + std::to_string(i) + ".ts";
            server.add("/hls/" + name + "/" + segName, seg);
            playlist += "#EXTINF:2.0,\n" + segName + "\n";
        }
        playlist += "#EXT-X-ENDLIST\n";
        LoopbackServer::Resource list;
        list.body = playlist;
        list.contentType = "application/vnd.apple.mpegurl";
        server.add("/hls/" + name + "/index.m3u8", list);
        return expected;
    }
};

TEST_F(corvidashHls, MediaPlaylistBecomesOneStreamInOrder)
{
    struct Case
    {
        const char *name;
        const char *key;
        bool map;
        bool turbo;
    };
    for (const Case &c : {Case{"clear", "none", false, false}, Case{"clear-turbo", "none", false, true},
                          Case{"aes-seq", "sequence-iv", false, false}, Case{"aes-iv-turbo", "explicit-iv", true, true},
                          Case{"fmp4", "none", true, false}}) {
        SCOPED_TRACE(c.name);
        const std::string expected = serve(c.name, 12, c.key, c.map);
        log.clear();
        const std::string target = path(std::string(c.name) + ".ts");
        ASSERT_EQ(download(server.url("/hls/" + std::string(c.name) + "/index.m3u8"), target, false, c.turbo), 0);
        expectWellFormed(0);
        EXPECT_EQ(readFile(target), expected);
        EXPECT_EQ(log.last().downloaded, static_cast<int64_t>(expected.size()));
        EXPECT_FALSE(exists(target + ".cvctl"));
        if (std::string(c.key) != "none") {
            EXPECT_EQ(server.requests("/keys/" + std::string(c.name) + ".key"), 1);
        }
    }
}

TEST_F(corvidashHls, TurboFetchesSegmentsInParallel)
{
    const std::string expected = serve("slow", 40, "none", false, 60);
    ASSERT_EQ(download(server.url("/hls/slow/index.m3u8"), path("slow.ts"), false, true), 0);
    EXPECT_EQ(readFile(path("slow.ts")), expected);
    EXPECT_GE(server.maxConcurrentOverall(), 4);
    int requests = 0;
    for (int i = 0; i < 40; ++i)
        requests += server.requests("/hls/slow/seg" + std::to_string(i) + ".ts");
    EXPECT_EQ(requests, 40);
}

TEST_F(corvidashHls, MasterPlaylistDownloadsItsBestVariant)
{
    const std::string expected = serve("best", 3, "none", false);
    serve("worst", 2, "none", false);
    LoopbackServer::Resource master;
    master.body = "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=200000,RESOLUTION=320x180\n/hls/worst/index.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=2000000,RESOLUTION=1280x720\n/hls/best/index.m3u8\n";
    master.contentType = "application/x-mpegURL";
    server.add("/master.m3u8", master);
    ASSERT_EQ(download(server.url("/master.m3u8"), path("master.ts")), 0);
    EXPECT_EQ(readFile(path("master.ts")), expected);
}

TEST_F(corvidashHls, StopAndResumeContinuesAtTheNextSegment)
{
    const int count = 60;
    const std::string expected = serve("resume", count, "sequence-iv", false, 60);
    const std::string target = path("resume.ts");
    // A segment well past the stop point is held until the stop: a late stop still comes first.
    const std::string held = "/hls/resume/seg20.ts";
    server.gate(held, 0);
    std::thread run([&] { download(server.url("/hls/resume/index.m3u8"), target); });
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (log.lastDownloaded() < 200000 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(5ms);
    stopRun(run);
    server.release(held);
    ASSERT_FALSE(exists(target));
    ASSERT_TRUE(exists(target + ".cvctl"));
    log.clear();
    ASSERT_EQ(download(server.url("/hls/resume/index.m3u8"), target, true), 0);
    EXPECT_EQ(readFile(target), expected);
    int refetched = 0;
    for (int i = 0; i < count; ++i)
        refetched += server.requests("/hls/resume/seg" + std::to_string(i) + ".ts") - 1;
    // Only what was in flight, or fetched while an earlier segment still was, comes again:
    // eight transfers and a window of twice that ahead of the writer.
    EXPECT_LE(refetched, 20);
}

TEST_F(corvidashHls, PiecesFetchedTogetherAreWrittenInOrder)
{
    // Answers come back scrambled: a later segment often arrives before an earlier one.
    const int count = 24;
    const std::string expected = serve("scrambled", count, "none", false, 0, [](int i, LoopbackServer::Resource &seg) {
        seg.delayMs = 10 + (i * 5 % 8) * 12;
    });
    ASSERT_EQ(download(server.url("/hls/scrambled/index.m3u8"), path("scrambled.ts")), 0);
    expectWellFormed(0);
    EXPECT_EQ(readFile(path("scrambled.ts")), expected);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(server.requests("/hls/scrambled/seg" + std::to_string(i) + ".ts"), 1) << i;
    // Several at a time without turbo, but never more than the polite number; and over
    // connections that carry one segment after another.
    EXPECT_EQ(server.maxConcurrentOverall(), 8);
    EXPECT_LE(server.connectionsAccepted(), 8 + 1); // the segments' and the playlist's
}

TEST_F(corvidashHls, AFailingSegmentIsFetchedAgainAlone)
{
    const int count = 16;
    const std::string expected = serve("flaky", count, "sequence-iv", false, 20, [](int i, LoopbackServer::Resource &seg) {
        if (i == 5) {
            seg.dropAfter = 1000; // the first answer breaks off
            seg.drops = 1;
        }
    });
    ASSERT_EQ(download(server.url("/hls/flaky/index.m3u8"), path("flaky.ts")), 0);
    EXPECT_EQ(readFile(path("flaky.ts")), expected);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(server.requests("/hls/flaky/seg" + std::to_string(i) + ".ts"), i == 5 ? 2 : 1) << i;
}

TEST_F(corvidashHls, BrokenPlaylistsAndKeysAreErrors)
{
    struct Case
    {
        const char *name;
        std::string playlist;
        int expected;
    };
    LoopbackServer::Resource shortKey;
    shortKey.body = "0123456789";
    server.add("/short.key", shortKey);
    LoopbackServer::Resource seg;
    seg.body = std::string(32, 'x');
    server.add("/s.ts", seg);
    LoopbackServer::Resource live;
    live.body = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n/s.ts\n";
    server.add("/live.m3u8", live);
    const Case cases[] = {
        {"no-segments", "#EXTM3U\n#EXT-X-ENDLIST\n", CORVIDASH_INVALID_URL},
        {"garbage-range", "#EXTM3U\n#EXT-X-BYTERANGE:abc\n/s.ts\n#EXT-X-ENDLIST\n", CORVIDASH_INVALID_URL},
        {"short-key", "#EXTM3U\n#EXT-X-KEY:METHOD=AES-128,URI=\"/short.key\"\n#EXTINF:1,\n/s.ts\n#EXT-X-ENDLIST\n",
         CORVIDASH_INVALID_URL},
        {"sample-aes", "#EXTM3U\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"/short.key\"\n#EXTINF:1,\n/s.ts\n#EXT-X-ENDLIST\n",
         CORVIDASH_UNSUPPORTED_PROTOCOL},
        {"missing-segment", "#EXTM3U\n#EXTINF:1,\n/nothing.ts\n#EXT-X-ENDLIST\n", CORVIDASH_INVALID_URL},
        // Without an end tag the list may still grow: a live stream, refused rather than cut short.
        {"live", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n/s.ts\n", CORVIDASH_LIVE_STREAM},
        {"event-still-open", "#EXTM3U\n#EXT-X-PLAYLIST-TYPE:EVENT\n#EXTINF:1,\n/s.ts\n", CORVIDASH_LIVE_STREAM},
        {"live-master", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n/live.m3u8\n", CORVIDASH_LIVE_STREAM},
        {"binary", std::string("#EXTM3U\n\0\0\x01", 11), CORVIDASH_INVALID_URL},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer::Resource list;
        list.body = c.playlist;
        list.contentType = "application/vnd.apple.mpegurl";
        server.add(std::string("/") + c.name + ".m3u8", list);
        log.clear();
        const std::string target = path(std::string(c.name) + ".ts");
        EXPECT_EQ(download(server.url(std::string("/") + c.name + ".m3u8"), target), c.expected);
        expectWellFormed(c.expected);
        EXPECT_FALSE(exists(target));
    }
}
