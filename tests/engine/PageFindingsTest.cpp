// What the engine reads out of a page's HTML before fetching anything: which <source> is the
// largest, and media addresses kept in player set-ups.
#include "engine/Corvidash.h"
#include "engine/PageSniffer.h"
#include "engine/PlayerConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kPage = "http://www.example.com/watch/page.html";

std::string at(const std::string &path)
{
    return "http://www.example.com" + path;
}

std::vector<std::string> urlsOf(const PageSniffer::Findings &f)
{
    std::vector<std::string> out;
    for (const auto &m : f.medias)
        out.push_back(m.url);
    return out;
}

} // namespace

TEST(corvidashPageFindings, SourcesRankLargestFirstThenPageOrder)
{
    struct Case
    {
        const char *name;
        std::string sources;
        std::vector<std::string> order;
        std::vector<int> heights;
    };
    const Case cases[] = {
        {"res of any number", "<source src='/v/s.mp4' res='360'><source src='/v/l.mp4' res='740'>",
         {at("/v/l.mp4"), at("/v/s.mp4")}, {740, 360}},
        {"label heights", "<source src='/a.mp4' label='480p'><source src='/b.mp4' label='HD 1080p'><source src='/c.mp4' label='720p'>",
         {at("/b.mp4"), at("/c.mp4"), at("/a.mp4")}, {1080, 720, 480}},
        {"height, and a width of 16:9", "<source src='/w.mp4' width='1280'><source src='/h.mp4' height='1080'>",
         {at("/h.mp4"), at("/w.mp4")}, {1080, 720}},
        {"4K named in words", "<source src='/hd.mp4' data-quality='hd720'><source src='/uhd.mp4' label='4K'>",
         {at("/uhd.mp4"), at("/hd.mp4")}, {2160, 720}},
        {"equal sizes keep the page order", "<source src='/1.webm' res='720'><source src='/2.mp4' res='720'>",
         {at("/1.webm"), at("/2.mp4")}, {720, 720}},
        {"unknown sizes after known ones, in page order",
         "<source src='/x.mp4'><source src='/y.mp4' label='360p'><source src='/z.mp4'>",
         {at("/y.mp4"), at("/x.mp4"), at("/z.mp4")}, {360, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto f = PageSniffer::parseHtml("<html><body><video>" + c.sources + "</video></body></html>", kPage);
        EXPECT_EQ(urlsOf(f), c.order);
        std::vector<int> heights;
        for (const auto &m : f.medias)
            heights.push_back(m.height);
        EXPECT_EQ(heights, c.heights);
    }

    // The type says the format, parameters and case aside; without a type the address does.
    const auto typed = PageSniffer::parseHtml(
        "<video><source src='/v/a' type='Video/WebM; codecs=\"vp9\"'><source src='/v/b.m3u8' type='application/x-mpegURL'>"
        "<source src='/v/c.mp4'></video>",
        kPage);
    ASSERT_EQ(typed.medias.size(), 3u);
    EXPECT_EQ(typed.medias[0].format, CORVIDASH_FORMAT_WEBM);
    EXPECT_EQ(typed.medias[1].format, CORVIDASH_FORMAT_TS);
    EXPECT_EQ(typed.medias[2].format, CORVIDASH_FORMAT_MP4);
}

TEST(corvidashPageFindings, PlayerSetUpsInInlineScripts)
{
    struct Case
    {
        const char *name;
        std::string script; // inside <script>…</script>, or a whole element when it starts with '<'
        std::vector<std::string> urls;
        std::vector<int> heights;
    };
    const Case cases[] = {
        {"one file, relative", "jwplayer('p').setup({ file: \"media/show.m3u8\", image: \"/poster.jpg\" });",
         {at("/watch/media/show.m3u8")}, {0}},
        {"sources with labels, largest first",
         "jwplayer('p').setup({sources: [{file: '/v/clip_360.mp4', label: '360p'}, {file: '/v/clip_720.mp4', label: '720p'}]});",
         {at("/v/clip_720.mp4"), at("/v/clip_360.mp4")}, {720, 360}},
        {"protocol-relative with its type", "var player = videojs('v'); player.src({src: '//cdn.example.net/a/manifest', type: 'application/dash+xml'});",
         {"http://cdn.example.net/a/manifest"}, {0}},
        {"escaped slashes in JSON",
         "<script type='application/json'>{\"video\":{\"hls\":\"https:\\/\\/media.example\\/x\\/master.m3u8\","
         "\"dash\":\"\\/x\\/manifest.mpd\"}}</script>",
         {"https://media.example/x/master.m3u8", at("/x/manifest.mpd")}, {0, 0}},
        {"unicode-escaped slashes", "window.__DATA__ = {\"file\":\"\\u002Fm\\u002Fclip.mp4?t=1\\u0026s=2\"};",
         {at("/m/clip.mp4?t=1&s=2")}, {0}},
        {"sizes as numbers", "new Plyr('#p').source = {type: 'video', sources: [{ src: '/v/576.mp4', type: 'video/mp4', size: 576 },"
                             " { src: '/v/1080.mp4', type: 'video/mp4', size: 1080 }]};",
         {at("/v/1080.mp4"), at("/v/576.mp4")}, {1080, 576}},
        {"an address of no extension under a stream key", "config = {hls_url: '/play?id=5', title: 'x'};",
         {at("/play?id=5")}, {0}},
        {"a list of plain addresses", "setup({sources: [\"a.webm\", \"a.mp4\"]})", {at("/watch/a.webm"), at("/watch/a.mp4")}, {0, 0}},
        {"other keys and non-media values are left alone",
         "var x = {url: '/about', file: '/img/logo.png', poster: '/p.mp4x', name: 'clip.mp4', 'src': 'javascript:void(0)'};", {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string element = c.script.front() == '<' ? c.script : "<script>" + c.script + "</script>";
        const auto f = PageSniffer::parseHtml("<html><head>" + element + "</head><body></body></html>", kPage);
        EXPECT_EQ(urlsOf(f), c.urls);
        std::vector<int> heights;
        for (const auto &m : f.medias)
            heights.push_back(m.height);
        EXPECT_EQ(heights, c.heights);
    }
}

TEST(corvidashPageFindings, AddressesKeptInElementAttributes)
{
    struct Case
    {
        const char *name;
        std::string body; // inside <body>
        std::vector<std::string> urls;
        std::vector<int> heights;
        std::vector<int> formats; // checked when given
    };
    const Case cases[] = {
        {"player set-up in the video element's data-setup",
         "<video id='p' class='video-js vjs-default-skin' controls preload='none' poster='/p.jpg' "
         "data-setup='{\"fluid\": true, \"sources\": [{\"src\": \"/media/clip-360.mp4\", \"type\": \"video/mp4\", "
         "\"label\": \"360p\"}, {\"src\": \"/media/clip-720.mp4\", \"type\": \"video/mp4\", \"label\": \"720p\"}]}'>"
         "<p class='vjs-no-js'>To view this video please enable JavaScript</p></video>",
         {at("/media/clip-720.mp4"), at("/media/clip-360.mp4")},
         {720, 360},
         {}},
        {"set-up written with entities, protocol-relative",
         "<div class=\"player\" data-config=\"{&quot;autoplay&quot;:false,&quot;sources&quot;:[{&quot;src&quot;:"
         "&quot;//cdn.example.net/v/master.m3u8?a=1&amp;b=2&quot;,&quot;type&quot;:&quot;application/x-mpegURL&quot;}]}\"></div>",
         {"http://cdn.example.net/v/master.m3u8?a=1&b=2"},
         {0},
         {CORVIDASH_FORMAT_TS}},
        {"JSON escaped for HTML twice",
         "<div class=\"wp-video\" data-settings=\"{&quot;file&quot;:&quot;\\/v\\/a.mp4?x=1&amp;amp;y=2&quot;}\"></div>",
         {at("/v/a.mp4?x=1&y=2")},
         {0},
         {}},
        {"a list of sources on a plain div, against the base",
         "<div class='js-player' data-sources='[{\"src\":\"media/low.webm\",\"type\":\"video/webm\",\"res\":\"480\"},"
         "{\"src\":\"media/high.webm\",\"type\":\"video/webm\",\"res\":\"1080\"}]'></div>",
         {at("/cdn/media/high.webm"), at("/cdn/media/low.webm")},
         {1080, 480},
         {CORVIDASH_FORMAT_WEBM, CORVIDASH_FORMAT_WEBM}},
        {"a source of no extension known by its type",
         "<div data-sources='[{\"src\":\"/stream?id=42\",\"type\":\"application/vnd.apple.mpegurl\"}]'></div>",
         {at("/stream?id=42")},
         {0},
         {CORVIDASH_FORMAT_TS}},
        {"an address under a player name", "<div class='player' data-video-url='https://media.example/v/clip.mp4'></div>", {"https://media.example/v/clip.mp4"}, {0}, {}},
        {"lazy video", "<video class='lazy' muted playsinline data-src='/v/lazy.mp4' poster='/p.jpg'></video>", {at("/v/lazy.mp4")}, {0}, {}},
        {"lazy sources with their type and label",
         "<video class='lazyload' preload='none'><source data-src='/v/sd' type='video/mp4' label='480p'>"
         "<source data-src='/v/hd' type='video/mp4' label='1080p'></video>",
         {at("/v/hd"), at("/v/sd")},
         {1080, 480},
         {CORVIDASH_FORMAT_MP4, CORVIDASH_FORMAT_MP4}},
        {"srcset-like list of widths on a source",
         "<video><source data-srcset='/v/a-640.mp4 640w, /v/a-1280.mp4 1280w' type='video/mp4'></video>",
         {at("/v/a-1280.mp4"), at("/v/a-640.mp4")},
         {720, 360},
         {}},
        {"srcset-like list of heights on the video",
         "<video data-srcset='/v/b_480.mp4 480p, /v/b_720.mp4 720p'></video>",
         {at("/v/b_720.mp4"), at("/v/b_480.mp4")},
         {720, 480},
         {}},
        {"a source named twice is found once",
         "<div data-setup='{\"sources\":[{\"src\":\"/v/one.mp4\"}]}'><video src='/v/one.mp4'></video></div>",
         {at("/v/one.mp4")},
         {0},
         {}},
        {"data attributes that name no media are left alone",
         "<div data-config='{\"url\":\"/about\",\"image\":\"/i.png\"}' data-src='/img/photo.jpg' data-id='5' "
         "data-url='/next'><img data-src='/img/lazy.jpg' data-srcset='/img/a.jpg 1x, /img/b.jpg 2x'></div>",
         {},
         {},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto f = PageSniffer::parseHtml("<html><head><base href='/cdn/'></head><body>" + c.body + "</body></html>", kPage);
        EXPECT_EQ(urlsOf(f), c.urls);
        std::vector<int> heights, formats;
        for (const auto &m : f.medias) {
            heights.push_back(m.height);
            formats.push_back(m.format);
        }
        EXPECT_EQ(heights, c.heights);
        if (!c.formats.empty()) {
            EXPECT_EQ(formats, c.formats);
        }
    }
}

TEST(corvidashPageFindings, SizeTexts)
{
    const std::pair<std::string, int> cases[] = {
        {"720p", 720}, {"HD 1080p60", 1080}, {"740", 740}, {"1280x720", 720}, {"4K", 2160},
        {"hd720", 720}, {"", 0}, {"HD", 0}, {"12", 0}, {"10485760", 0},
    };
    for (const auto &[text, height] : cases)
        EXPECT_EQ(PlayerConfig::heightOf(text), height) << text;
}
