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

TEST(corvidashPageFindings, SizeTexts)
{
    const std::pair<std::string, int> cases[] = {
        {"720p", 720}, {"HD 1080p60", 1080}, {"740", 740}, {"1280x720", 720}, {"4K", 2160},
        {"hd720", 720}, {"", 0}, {"HD", 0}, {"12", 0}, {"10485760", 0},
    };
    for (const auto &[text, height] : cases)
        EXPECT_EQ(PlayerConfig::heightOf(text), height) << text;
}
