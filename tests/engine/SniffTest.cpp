#include "EngineFixture.h"

#include "support/TestEnvironment.h"

#include <QDir>

#include <nettle/aes.h>
#include <nettle/cbc.h>
#include <nettle/pbkdf2.h>
#include <sqlite3.h>

#include <cstring>

using namespace EngineTestData;

namespace {

struct Sniffed
{
    int code = 0;
    std::string title;
    std::string thumbnail;
    std::vector<std::string> urls;
    std::vector<CorvidashTypeInfo> types;
    std::vector<std::string> subtitles;
    std::string reason;
};

Sniffed sniff(const std::string &url)
{
    Sniffed s;
    CorvidashSniffer *h = URLSniffingCreate();
    URLSniffingSetCookie(h, "session=1");
    s.code = URLSniffingStart(h, url.c_str(), "TestAgent");
    EXPECT_EQ(s.code, fURLSniffingGetErrorCode(h));
    s.reason = URLSniffingGetErrorText(h);
    for (int i = 0; i < URLSniffingGetTypeCount(h); ++i) {
        CorvidashTypeInfo info{};
        EXPECT_TRUE(URLSniffingGetTypeInfo(h, i, &info));
        s.types.push_back(info);
        for (int k = 0; k < info.segmentCount; ++k) {
            char *text = nullptr;
            EXPECT_GT(URLSniffingGetSegmentUrl(h, i, k, 0, &text), 0);
            s.urls.emplace_back(text);
            URLSniffingFreeSegmentUrl(h, &text);
            EXPECT_EQ(text, nullptr);
        }
    }
    if (const char *t = URLSniffingGetTitle(h))
        s.title = t;
    if (const char *t = URLSniffingGetThumbnail(h))
        s.thumbnail = t;
    for (int i = 0; i < URLSniffingGetSubtitleCount(h); ++i) {
        CorvidashSubtitleInfo info{};
        EXPECT_TRUE(URLSniffingGetSubtitleInfo(h, i, &info));
        char *content = nullptr;
        std::string text = std::string(info.languageCode) + ":";
        if (URLSniffingGetSubtitleContent(h, i, &content)) {
            text += content;
            URLSniffingFreeSegmentUrl(h, &content);
        }
        s.subtitles.push_back(text);
    }
    URLSniffingRelease(h);
    return s;
}

bool contains(const std::vector<std::string> &v, const std::string &s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

class corvidashSniff : public ::testing::Test
{
protected:
    void page(const std::string &path, const std::string &html, const std::string &type = "text/html; charset=utf-8")
    {
        LoopbackServer::Resource r;
        r.body = html;
        r.contentType = type;
        server.add(path, r);
    }
    LoopbackServer server;
};

TEST_F(corvidashSniff, EachPagePatternYieldsItsMedia)
{
    const std::string base = server.url("");
    page("/frame.html", "<html><body><video src='/in-frame.mp4'></video></body></html>");
    struct Case
    {
        const char *name;
        std::string html;
        std::string expected;
    };
    const Case cases[] = {
        {"video-src", "<video src='/a.mp4' poster='/p.jpg'></video>", base + "/a.mp4"},
        {"source", "<video><source src='b.webm' type='video/webm' size='720'></video>", base + "/b.webm"},
        {"audio", "<audio controls><source src='/c.mp3'></audio>", base + "/c.mp3"},
        {"og-video", "<meta property='og:video' content='https://cdn.example/d.mp4'>", "https://cdn.example/d.mp4"},
        {"twitter", "<meta name='twitter:player:stream' content='/e.mp4'>", base + "/e.mp4"},
        {"json-ld",
         "<script type='application/ld+json'>{\"@context\":\"https://schema.org\",\"@type\":\"VideoObject\","
         "\"name\":\"LD title\",\"contentUrl\":\"/f.mp4\",\"duration\":\"PT1M30S\"}</script>",
         base + "/f.mp4"},
        {"link", "<a href='/downloads/g.m4a'>get</a>", base + "/downloads/g.m4a"},
        {"script", "<script>var player={file:\"http:\\/\\/media.example\\/h.mp4?x=1\\u0026y=2\"};</script>",
         "http://media.example/h.mp4?x=1&y=2"},
        {"embed", "<embed src='/i.flv' type='video/x-flv'>", base + "/i.flv"},
        {"object", "<object data='/j.mp4'><param name='movie' value='/j2.mp4'></object>", base + "/j.mp4"},
        {"iframe", "<iframe src='/frame.html'></iframe>", base + "/in-frame.mp4"},
        {"base", "<base href='/sub/'><video src='k.mp4'></video>", base + "/sub/k.mp4"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string("/") + c.name + ".html";
        page(path, "<html><head><title>T &amp; more</title></head><body>" + c.html + "</body></html>");
        const Sniffed s = sniff(server.url(path));
        EXPECT_EQ(s.code, 0);
        EXPECT_TRUE(contains(s.urls, c.expected)) << (s.urls.empty() ? "" : s.urls.front());
        EXPECT_FALSE(s.title.empty());
    }
}

TEST_F(corvidashSniff, TitleThumbnailQualityAndSubtitles)
{
    LoopbackServer::Resource vtt;
    vtt.body = "WEBVTT\n\n00:01.000 --> 00:02.500\nHello\n";
    vtt.contentType = "text/vtt";
    server.add("/en.vtt", vtt);
    page("/full.html",
         "<html><head><title> Plain  title </title><meta property='og:title' content='Caf&eacute; &lt;live&gt;'>"
         "<meta property='og:image' content='/thumb.jpg'></head><body>"
         "<video poster='/poster.jpg'><source src='/v720.mp4' label='720p'><source src='/v360.mp4' label='360p'>"
         "<track kind='subtitles' srclang='en' label='English' src='/en.vtt' default></video></body></html>");
    const Sniffed s = sniff(server.url("/full.html"));
    ASSERT_EQ(s.code, 0);
    EXPECT_EQ(s.title, "Café <live>");
    EXPECT_EQ(s.thumbnail, server.url("/thumb.jpg"));
    ASSERT_EQ(s.types.size(), 2u);
    EXPECT_EQ(s.types[0].quality, 4); // 720 lines
    EXPECT_EQ(s.types[1].quality, 2); // 360 lines
    EXPECT_EQ(s.types[0].format, CORVIDASH_FORMAT_MP4);
    ASSERT_EQ(s.subtitles.size(), 1u);
    EXPECT_EQ(s.subtitles[0], "en:1\n00:00:01,000 --> 00:00:02,500\nHello\n\n");
}

TEST_F(corvidashSniff, MediaAddressAndMasterPlaylist)
{
    LoopbackServer::Resource media;
    media.body = bytes(200000, 1);
    media.contentType = "video/mp4";
    server.add("/clip.mp4", media);
    Sniffed s = sniff(server.url("/clip.mp4"));
    ASSERT_EQ(s.code, 0);
    ASSERT_EQ(s.urls.size(), 1u);
    EXPECT_EQ(s.urls[0], server.url("/clip.mp4"));
    EXPECT_EQ(s.title, "clip");

    LoopbackServer::Resource master;
    master.body = "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360\nlow/index.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=5000000,RESOLUTION=1920x1080\nhigh/index.m3u8\n";
    master.contentType = "application/vnd.apple.mpegurl";
    server.add("/live/master.m3u8", master);
    page("/hls.html", "<video src='/live/master.m3u8'></video>");
    s = sniff(server.url("/hls.html"));
    ASSERT_EQ(s.code, 0);
    ASSERT_EQ(s.types.size(), 2u);
    EXPECT_EQ(s.urls[0], server.url("/live/low/index.m3u8"));
    EXPECT_EQ(s.types[0].quality, 2);
    EXPECT_EQ(s.types[1].quality, 5);
    EXPECT_EQ(s.types[1].format, CORVIDASH_FORMAT_TS);
    EXPECT_EQ(s.types[1].bitrate, 5000000);
}

// One picture listed once per sound group: each entry names its own group's sound through the
// interface (the default, else the one selected automatically, else the first with an address);
// a picture whose chosen rendition has no address carries its sound and names none. The quick
// sniff lists the picture once.
TEST_F(corvidashSniff, EachPictureNamesTheSoundOfItsGroup)
{
    LoopbackServer::Resource list;
    list.body = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\ns0.ts\n#EXT-X-ENDLIST\n";
    list.contentType = "application/vnd.apple.mpegurl";
    for (const char *name : {"/g/v.m3u8", "/g/own.m3u8", "/g/own2.m3u8"})
        server.add(name, list);
    LoopbackServer::Resource master;
    master.body = "#EXTM3U\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud1\",NAME=\"en\",DEFAULT=YES,URI=\"a1.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud2\",NAME=\"en\",DEFAULT=YES,URI=\"a2.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"auto\",NAME=\"a\",URI=\"x1.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"auto\",NAME=\"b\",AUTOSELECT=YES,URI=\"x2.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"plain\",NAME=\"a\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"plain\",NAME=\"b\",URI=\"y1.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"plain\",NAME=\"c\",URI=\"y2.m3u8\"\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"inside\",NAME=\"a\",DEFAULT=YES\n"
                  "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"inside\",NAME=\"b\",URI=\"z1.m3u8\"\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=900000,RESOLUTION=1280x720,CODECS=\"avc1.64001f,mp4a.40.2\",AUDIO=\"aud1\"\nv.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=1100000,RESOLUTION=1280x720,CODECS=\"avc1.64001f,ac-3\",AUDIO=\"aud2\"\nv.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=400000,RESOLUTION=640x360\nown.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=1200000,RESOLUTION=1280x720,AUDIO=\"auto\"\nv.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=1300000,RESOLUTION=1280x720,AUDIO=\"plain\"\nv.m3u8\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=500000,RESOLUTION=640x360,AUDIO=\"inside\"\nown2.m3u8\n";
    master.contentType = "application/vnd.apple.mpegurl";
    server.add("/g/master.m3u8", master);
    CorvidashSniffer *h = URLSniffingCreate();
    ASSERT_EQ(URLSniffingStart(h, server.url("/g/master.m3u8").c_str(), ""), 0);
    // Per type: its address (past the folder) and format, then the address of the sound it names.
    std::vector<std::string> types;
    for (int i = 0; i < URLSniffingGetTypeCount(h); ++i) {
        CorvidashTypeInfo info{};
        EXPECT_TRUE(URLSniffingGetTypeInfo(h, i, &info));
        char *text = nullptr;
        URLSniffingGetSegmentUrl(h, i, 0, 0, &text);
        std::string row = std::string(text ? text : "").substr(server.url("/g/").size()) + " " + std::to_string(info.format);
        URLSniffingFreeSegmentUrl(h, &text);
        const int sound = URLSniffingGetTypeSound(h, i);
        if (sound >= 0 && URLSniffingGetSegmentUrl(h, sound, 0, 0, &text) > 0)
            row += " > " + std::string(text).substr(server.url("/g/").size());
        URLSniffingFreeSegmentUrl(h, &text);
        types.push_back(row);
    }
    EXPECT_EQ(types, (std::vector<std::string>{"v.m3u8 6 > a1.m3u8", "v.m3u8 6 > a2.m3u8", "own.m3u8 3", "v.m3u8 6 > x2.m3u8",
                                               "v.m3u8 6 > y1.m3u8", "own2.m3u8 3", "a1.m3u8 7", "a2.m3u8 7", "x2.m3u8 7",
                                               "y1.m3u8 7"}));
    EXPECT_EQ(URLSniffingGetTypeSound(h, 99), -1);
    EXPECT_EQ(URLSniffingGetTypeSound(nullptr, 0), -1);
    URLSniffingRelease(h);

    const std::string json = SniffingOnlyUsePython(server.url("/g/master.m3u8").c_str(), "");
    size_t links = 0;
    for (size_t at = json.find(server.url("/g/v.m3u8")); at != std::string::npos; at = json.find(server.url("/g/v.m3u8"), at + 1))
        ++links;
    EXPECT_EQ(links, 1u) << json;
}

TEST_F(corvidashSniff, PagesWithoutMediaFindNothing)
{
    const std::string cases[] = {
        "<html><body><p>Just text about video.mp4 and <a href='/page.html'>a link</a></p></body></html>",
        "<html><body><img src='/a.jpg'><script>var x = 'not a url: mp4';</script></body></html>",
        "<script type='application/ld+json'>{\"@type\":\"Article\",\"name\":\"x\"}</script>",
        "<script type='application/ld+json'>{broken json</script><video></video>",
        "<iframe src='http://other.example/frame.html'></iframe>",
        std::string(20000, '<') + std::string(20000, 'd'),
    };
    int i = 0;
    for (const auto &html : cases) {
        SCOPED_TRACE(i);
        const std::string path = "/empty" + std::to_string(i++) + ".html";
        page(path, html);
        const Sniffed s = sniff(server.url(path));
        EXPECT_EQ(s.code, CORVIDASH_INVALID_URL);
        EXPECT_TRUE(s.urls.empty());
        EXPECT_EQ(s.reason, "No video found on this page");
    }
    // Binary data and fetch errors, each with the sentence the user is shown.
    page("/binary", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11) + bytes(5000, 2), "application/octet-stream");
    LoopbackServer::Resource live;
    live.body = "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nseg1.ts\n";
    live.contentType = "application/vnd.apple.mpegurl";
    server.add("/live.m3u8", live);
    page("/live.html", "<video src='/live.m3u8'></video>");
    const int closed = closedPort();
    const struct
    {
        std::string url;
        int code;
        std::string reason;
    } failures[] = {
        {server.url("/binary"), CORVIDASH_INVALID_URL, "No video found on this page"},
        {server.url("/missing"), CORVIDASH_INVALID_URL, "The server answered 404 Not Found"},
        {server.url("/live.m3u8"), CORVIDASH_LIVE_STREAM, "Live streams are not supported"},
        {server.url("/live.html"), CORVIDASH_LIVE_STREAM, "Live streams are not supported"},
        {"http://127.0.0.1:" + std::to_string(closed) + "/page.html", CORVIDASH_CONNECT_FAILED, "Could not connect to 127.0.0.1"},
        {"", CORVIDASH_INVALID_URL, "No video found on this page"},
        {"notaurl", CORVIDASH_MALFORMED_URL, "The address is not valid"},
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(f.url);
        const Sniffed s = sniff(f.url);
        EXPECT_EQ(s.code, f.code);
        EXPECT_EQ(s.reason, f.reason);
    }
    EXPECT_EQ(sniff(server.url("/live.m3u8")).urls, std::vector<std::string>());
}

TEST_F(corvidashSniff, DashManifestTracks)
{
    const std::string head = "<?xml version='1.0'?><!-- made by hand --><MPD xmlns='urn:mpeg:dash:schema:mpd:2011' "
                             "type='static' mediaPresentationDuration='PT4.5S'>";
    // A picture-only MP4 and a sound track of one period; a WebM picture without sound is
    // left out (nothing joins it), as is a template that names neither duration nor timeline.
    const std::string split = head +
        "<BaseURL>media/</BaseURL><Period>"
        "<AdaptationSet contentType='video' mimeType='video/mp4'>"
        "<Representation id='v1' bandwidth='900000' width='640' height='360' codecs='avc1.4d401e'>"
        "<BaseURL>v360.mp4</BaseURL><SegmentBase indexRange='0-99'/></Representation>"
        "<Representation id='v2' bandwidth='2000000' height='720' codecs='avc1.4d401f'><BaseURL>v720.mp4</BaseURL></Representation>"
        "<Representation id='t' bandwidth='1' height='1080'><SegmentTemplate media='$Number$.m4s'/></Representation>"
        "</AdaptationSet>"
        "<AdaptationSet mimeType='video/webm'><Representation id='w' codecs='vp9'><BaseURL>w.webm</BaseURL></Representation></AdaptationSet>"
        "<AdaptationSet mimeType='audio/mp4' lang='en'><Representation id='a' bandwidth='128000' codecs='mp4a.40.2'>"
        "<BaseURL>a&amp;b.m4a</BaseURL></Representation></AdaptationSet></Period></MPD>";
    // Three periods of muxed MP4: one track of three pieces; the 240-line track has no match
    // in the second period, so the nearest one stands in.
    const std::string periods = head +
        "<Period duration='PT1.5S'><AdaptationSet mimeType='video/mp4' codecs='mp4v.20.9,mp4a.40.2'>"
        "<Representation id='hi' height='480'><BaseURL>p1.mp4</BaseURL></Representation></AdaptationSet></Period>"
        "<Period duration='PT1.5S'><BaseURL>two/</BaseURL><AdaptationSet mimeType='video/mp4' codecs='mp4v.20.9,mp4a.40.2'>"
        "<Representation id='other' height='480'><BaseURL>p2.mp4</BaseURL></Representation></AdaptationSet></Period>"
        "<Period duration='PT1.5S'><AdaptationSet mimeType='video/mp4'>"
        "<Representation id='hi' height='480'><BaseURL>p3.mp4</BaseURL></Representation></AdaptationSet></Period></MPD>";
    // Pieces: a numbered picture track beside a sound file, offered under the manifest's
    // address with a fragment naming period and representation.
    const std::string pieces = head +
        "<Period><AdaptationSet mimeType='video/mp4' codecs='avc1.4d401f'>"
        "<SegmentTemplate timescale='1000' duration='2000' media='v/$Number$.m4s' initialization='v/init.mp4'/>"
        "<Representation id='v 1' bandwidth='900000' height='360'/></AdaptationSet>"
        "<AdaptationSet mimeType='audio/mp4' codecs='mp4a.40.2'><Representation id='a'><BaseURL>a.m4a</BaseURL>"
        "</Representation></AdaptationSet></Period></MPD>";
    // Two periods of muxed pieces: one track, a period's representation each piece.
    const std::string piecePeriods = head +
        "<Period duration='PT2S'><AdaptationSet mimeType='video/mp4' codecs='avc1.4d401f,mp4a.40.2'>"
        "<SegmentTemplate duration='1' media='p0-$Number$.m4s'/><Representation id='m' height='480'/></AdaptationSet></Period>"
        "<Period duration='PT2.5S'><AdaptationSet mimeType='video/mp4' codecs='avc1.4d401f,mp4a.40.2'>"
        "<SegmentTemplate duration='1' media='p1-$Number$.m4s'/><Representation id='m' height='480'/></AdaptationSet></Period>"
        "</MPD>";
    struct Case
    {
        const char *name;
        std::string manifest;
        int code;
        std::vector<int> formats;
        std::vector<int> segmentCounts;
        std::vector<std::string> urls; // relative to the server
    };
    const Case cases[] = {
        {"split", split, 0,
         {CORVIDASH_FORMAT_MP4_VIDEO, CORVIDASH_FORMAT_MP4_VIDEO, CORVIDASH_FORMAT_MP4_AUDIO}, {1, 1, 1},
         {"/dash/media/v360.mp4", "/dash/media/v720.mp4", "/dash/media/a&b.m4a"}},
        {"periods", periods, 0, {CORVIDASH_FORMAT_MP4}, {3}, {"/dash/p1.mp4", "/dash/two/p2.mp4", "/dash/p3.mp4"}},
        {"pieces", pieces, 0, {CORVIDASH_FORMAT_MP4_VIDEO, CORVIDASH_FORMAT_MP4_AUDIO}, {1, 1},
         {"/dash/manifest.mpd#corvidash-dash=0.v%201", "/dash/a.m4a"}},
        {"periods of pieces", piecePeriods, 0, {CORVIDASH_FORMAT_MP4}, {2},
         {"/dash/manifest.mpd#corvidash-dash=0.m", "/dash/manifest.mpd#corvidash-dash=1.m"}},
        {"live", "<MPD type='dynamic'><Period><AdaptationSet mimeType='video/mp4'><Representation>"
                 "<BaseURL>x.mp4</BaseURL></Representation></AdaptationSet></Period></MPD>",
         CORVIDASH_LIVE_STREAM, {}, {}, {}},
        {"templates only", head + "<Period><AdaptationSet mimeType='video/mp4'><SegmentTemplate media='$Number$.m4s'/>"
                                  "<Representation><BaseURL>x.mp4</BaseURL></Representation></AdaptationSet></Period></MPD>",
         CORVIDASH_INVALID_URL, {}, {}, {}},
        {"mismatched tags", head + "<Period><AdaptationSet></Period></MPD>", CORVIDASH_INVALID_URL, {}, {}, {}},
        {"unterminated", head + "<Period><AdaptationSet mimeType='video/mp4", CORVIDASH_INVALID_URL, {}, {}, {}},
        {"stray brackets", head + std::string(5000, '<'), CORVIDASH_INVALID_URL, {}, {}, {}},
        {"nested too deeply", [&] {
             std::string deep = head + "<Period>";
             for (int i = 0; i < 200; ++i)
                 deep += "<x>";
             for (int i = 0; i < 200; ++i)
                 deep += "</x>";
             return deep + "<AdaptationSet mimeType='video/mp4'><Representation><BaseURL>x.mp4</BaseURL>"
                           "</Representation></AdaptationSet></Period></MPD>";
         }(),
         CORVIDASH_INVALID_URL, {}, {}, {}},
        {"other scheme", head + "<Period><AdaptationSet mimeType='video/mp4'><Representation>"
                                "<BaseURL>file:///etc/passwd</BaseURL></Representation></AdaptationSet></Period></MPD>",
         CORVIDASH_INVALID_URL, {}, {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        page("/dash/manifest.mpd", c.manifest, "application/dash+xml");
        page("/dash/page.html", "<title>Dash</title><video><source src='manifest.mpd' type='application/dash+xml'></video>");
        // The page that names the manifest and the manifest's own address give the same.
        for (const std::string path : {"/dash/page.html", "/dash/manifest.mpd"}) {
            const Sniffed s = sniff(server.url(path));
            EXPECT_EQ(s.code, c.code);
            std::vector<int> formats, counts;
            for (const auto &t : s.types) {
                formats.push_back(t.format);
                counts.push_back(t.segmentCount);
            }
            EXPECT_EQ(formats, c.formats);
            EXPECT_EQ(counts, c.segmentCounts);
            std::vector<std::string> expected;
            for (const auto &u : c.urls)
                expected.push_back(server.url(u));
            EXPECT_EQ(s.urls, expected);
        }
    }
}

TEST_F(corvidashSniff, QuickSniffAnswersJson)
{
    page("/q.html", "<title>Quick</title><meta property='og:video:duration' content='3723'>"
                    "<video><source src='/q1080.mp4' label='1080p'><track srclang='de' src='/de.vtt'></video>");
    const std::string json = SniffingOnlyUsePython(server.url("/q.html").c_str(), "");
    EXPECT_NE(json.find("\"title\":\"Quick\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"duration\":\"1:02:03\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"quality\":\"1080p\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"type\":\"mp4\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"subtitles\":{\"de\":"), std::string::npos) << json;
    const std::string failed = SniffingOnlyUsePython(server.url("/nothing").c_str(), nullptr);
    EXPECT_NE(failed.find("\"download_links\":[]"), std::string::npos) << failed;
}

class corvidashCookies : public ::testing::Test
{
protected:
    std::string home = TestEnvironment::home().toStdString();

    static void exec(const std::string &file, const std::string &sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        char *err = nullptr;
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
        sqlite3_close(db);
    }
};

TEST_F(corvidashCookies, MissingBrowsersAndSafariAnswerEmpty)
{
    EXPECT_STREQ(GetWebBrowserCookies("safari", "https://example.com/"), "");
    EXPECT_STREQ(GetWebBrowserCookies("firefox", "https://example.com/"), "");
    EXPECT_STREQ(GetWebBrowserCookies("chrome", "https://example.com/"), "");
    EXPECT_STREQ(GetWebBrowserCookies(nullptr, nullptr), "");
}

TEST_F(corvidashCookies, FirefoxDefaultProfile)
{
    const std::string root = home + "/.mozilla/firefox";
    QDir().mkpath(QString::fromStdString(root + "/abc.default-release"));
    writeFile(root + "/profiles.ini", "[Profile0]\nName=default-release\nIsRelative=1\nPath=abc.default-release\nDefault=1\n");
    exec(root + "/abc.default-release/cookies.sqlite",
         "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER,"
         " isSecure INTEGER);"
         "INSERT INTO moz_cookies VALUES (1,'a','1','.example.com','/',4000000000,0);"
         "INSERT INTO moz_cookies VALUES (2,'b','2','www.example.com','/video',4000000000,1);"
         "INSERT INTO moz_cookies VALUES (3,'old','x','.example.com','/',1000,0);"
         "INSERT INTO moz_cookies VALUES (4,'other','y','.other.com','/',4000000000,0);");
    // Each cookie keeps its scope: domain or host only, path, secure flag and expiry.
    EXPECT_STREQ(GetWebBrowserCookies("firefox", "https://www.example.com/video/1"),
                 ".example.com\tTRUE\t/\tFALSE\t4000000000\ta\t1\n"
                 "www.example.com\tFALSE\t/video\tTRUE\t4000000000\tb\t2\n");
    EXPECT_STREQ(GetWebBrowserCookies("firefox", "http://www.example.com/video/1"),
                 ".example.com\tTRUE\t/\tFALSE\t4000000000\ta\t1\n");

    writeFile(root + "/abc.default-release/cookies.sqlite", "this is not a database at all, just text........");
    EXPECT_EQ(std::string(GetWebBrowserCookies("firefox", "https://www.example.com/")).rfind("fennix_exception:", 0), 0u);
}

TEST_F(corvidashCookies, ChromeDecryptsV10Values)
{
    const std::string dir = home + "/.config/chromium/Default";
    QDir().mkpath(QString::fromStdString(dir));
    uint8_t key[16];
    pbkdf2_hmac_sha1(7, reinterpret_cast<const uint8_t *>("peanuts"), 1, 9,
                     reinterpret_cast<const uint8_t *>("saltysalt"), 16, key);
    std::string plain = "secret-value";
    const size_t pad = 16 - plain.size() % 16;
    plain += std::string(pad, static_cast<char>(pad));
    aes128_ctx ctx;
    aes128_set_encrypt_key(&ctx, key);
    uint8_t iv[16];
    memset(iv, ' ', 16);
    auto *p = reinterpret_cast<uint8_t *>(plain.data());
    cbc_encrypt(&ctx, reinterpret_cast<nettle_cipher_func *>(aes128_encrypt), 16, iv, plain.size(), p, p);
    std::string hex;
    for (unsigned char c : "v10" + plain) {
        char b[3];
        snprintf(b, sizeof b, "%02X", c);
        hex += b;
    }
    exec(dir + "/Cookies",
         "CREATE TABLE meta(key TEXT, value TEXT); INSERT INTO meta VALUES('version','21');"
         "CREATE TABLE cookies (host_key TEXT, path TEXT, is_secure INTEGER, expires_utc INTEGER, name TEXT,"
         " value TEXT, encrypted_value BLOB);"
         "INSERT INTO cookies VALUES ('.example.com','/',0,0,'plain','p','');"
         "INSERT INTO cookies VALUES ('.example.com','/',0,0,'sid','',X'" + hex + "');");
    EXPECT_STREQ(GetWebBrowserCookies("chrome", "https://example.com/watch"),
                 ".example.com\tTRUE\t/\tFALSE\t0\tplain\tp\n.example.com\tTRUE\t/\tFALSE\t0\tsid\tsecret-value\n");
}
