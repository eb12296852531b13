// Manifests captured from public sites, read from the shared test data beside the checkout.
#include "engine/Corvidash.h"
#include "engine/DashManifest.h"
#include "engine/HlsPlaylist.h"
#include "engine/PageSniffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kFolder = REAL_MANIFESTS_DIR;
const std::string kShow = "https://media.example/show/";

// The file's text; empty when it is not there.
std::string readManifest(const std::string &name)
{
    std::ifstream in(kFolder + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool haveFolder()
{
    return std::ifstream(kFolder + "/SOURCES").good();
}

} // namespace

TEST(corvidashRealManifests, DashRepresentationsAndPieces)
{
    if (!haveFolder())
        GTEST_SKIP() << "real-world manifests not found at " << kFolder;
    struct Rep
    {
        std::string key;
        int height;
        bool video, audio, pieceWise;
        std::string url;      // one file: its address; in pieces: the initialization's ("" none)
        int64_t initLength;   // -1: the whole resource
        size_t pieces;
        std::string first, last;
        int64_t lastOffset, lastLength;
        double pieceSeconds;
    };
    struct Case
    {
        const char *file;
        size_t representations;
        std::vector<Rep> checked;
    };
    const std::string range = kShow + "video_dashinit.mp4";
    const std::string fragment = kShow + "video-frag.mp4";
    const std::string vd = "https://media.example/vd_5999c902ea707c67d8e267a9_1503250723/";
    const std::string sub = kShow + "dash/3144-kZT4LWMQw6Rh7Kpd-";
    const Case cases[] = {
        // Durations written "2000000.0"; picture and sound sets share their ids.
        {"float_duration.mpd", 7,
         {{"318597", 0, false, true, true, kShow + "ai_318597.mp4d", -1, 3007, kShow + "a_318597_0.mp4d",
           kShow + "a_318597_3006.mp4d", 0, -1, 2.0},
          {"318597#2", 192, true, false, true, kShow + "vi_318597.mp4d", -1, 3007, kShow + "v_318597_0.mp4d",
           kShow + "v_318597_3006.mp4d", 0, -1, 2.0},
          {"5997485", 1080, true, false, true, kShow + "vi_5997485.mp4d", -1, 3007, kShow + "v_5997485_0.mp4d",
           kShow + "v_5997485_3006.mp4d", 0, -1, 2.0}}},
        {"range_only.mpd", 2,
         {{"1", 432, true, false, true, range, 882, 4, range, range, 1953616, 40596, 10.0},
          {"2", 0, false, true, true, kShow + "audio_dashinit.mp4", 753, 3, kShow + "audio_dashinit.mp4",
           kShow + "audio_dashinit.mp4", 250545, 124385, 10.0}}},
        {"url_and_range.mpd", 2,
         {{"video-avc1", 432, true, false, true, fragment, 711, 4, fragment, fragment, 1953955, 40698, 10.01}}},
        {"thisav.mpd", 1,
         {{"1", 426, true, true, true, kShow + "300708_dashinit.mp4", 1427, 120, kShow + "300708_dashinit.mp4",
           kShow + "300708_dashinit.mp4", -2, -2, 5.0}}},
        {"urls_only.mpd", 7,
         {{"h264_aac_144p_m4s", 144, true, true, true, vd + "h264_aac_144p_m4s/init/432f65a0.mp4", -1, 25,
           vd + "h264_aac_144p_m4s/0/432f65a0.m4s", vd + "h264_aac_144p_m4s/24/432f65a0.m4s", 0, -1, 10.0},
          {"h264_aac_1080p_m4s", 1080, true, true, true, vd + "h264_aac_1080p_m4s/init/432f65a0.mp4", -1, 25,
           vd + "h264_aac_1080p_m4s/0/432f65a0.m4s", vd + "h264_aac_1080p_m4s/24/432f65a0.m4s", 0, -1, 10.0}}},
        // Timelines with $Time$; the subtitle set is not offered.
        {"subtitles.mpd", 6,
         {{"audio=128001", 0, false, true, true, sub + "audio=128001.dash", -1, 445, sub + "audio=128001-0.dash",
           sub + "audio=128001-42624000.dash", 0, -1, -1},
          {"video=4482000", 720, true, false, true, sub + "video=4482000.dash", -1, 444, sub + "video=4482000-0.dash",
           sub + "video=4482000-10887168.dash", 0, -1, -1}}},
        // One file each, indexed by a SegmentBase.
        {"unfragmented.mpd", 3,
         {{"VIDEO-1", 360, true, false, false, kShow + "DASH_360", -1, 0, "", "", 0, 0, 0},
          {"AUDIO-1", 0, false, true, false, kShow + "audio", -1, 0, "", "", 0, 0, 0}}},
        {"supplemental_codecs.mpd", 3,
         {{"VIDEO-2", 240, true, false, false, kShow + "DASH_240", -1, 0, "", "", 0, 0, 0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = readManifest(std::string("mpd/") + c.file);
        ASSERT_FALSE(text.empty());
        DashManifest m;
        std::string error;
        ASSERT_TRUE(m.parse(text, kShow + "manifest.mpd", &error)) << error;
        ASSERT_EQ(m.periods.size(), 1u);
        EXPECT_EQ(m.periods[0].representations.size(), c.representations);
        EXPECT_TRUE(m.refused.empty()) << m.refused.front().reason;
        for (const Rep &want : c.checked) {
            SCOPED_TRACE(want.key);
            const DashManifest::Representation *r = m.find(0, want.key);
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(r->height, want.height);
            EXPECT_EQ(r->hasVideo, want.video);
            EXPECT_EQ(r->hasAudio, want.audio);
            ASSERT_EQ(r->pieceWise, want.pieceWise);
            if (!want.pieceWise) {
                EXPECT_EQ(r->url, want.url);
                continue;
            }
            std::string manifestUrl, key;
            size_t period = 9;
            ASSERT_TRUE(DashManifest::readPieceWiseAddress(r->url, &manifestUrl, &period, &key));
            EXPECT_EQ(key, want.key);
            EXPECT_EQ(manifestUrl, kShow + "manifest.mpd");
            DashManifest::Piece init;
            std::vector<DashManifest::Piece> pieces;
            ASSERT_TRUE(DashManifest::pieces(*r, init, pieces, &error)) << error;
            EXPECT_EQ(init.url, want.url);
            EXPECT_EQ(init.length, want.initLength);
            ASSERT_EQ(pieces.size(), want.pieces);
            EXPECT_EQ(pieces.front().url, want.first);
            EXPECT_EQ(pieces.back().url, want.last);
            if (want.lastOffset != -2) {
                EXPECT_EQ(pieces.back().offset, want.lastOffset);
                EXPECT_EQ(pieces.back().length, want.lastLength);
            }
            if (want.pieceSeconds >= 0) {
                EXPECT_DOUBLE_EQ(pieces.front().duration, want.pieceSeconds);
            }
            // Ranged pieces follow one another without a gap.
            for (size_t i = 1; i < pieces.size(); ++i)
                if (pieces[i].length > 0 && pieces[i].url == pieces[i - 1].url) {
                    EXPECT_EQ(pieces[i].offset, pieces[i - 1].offset + pieces[i - 1].length) << i;
                }
        }
    }
}

TEST(corvidashRealManifests, HlsVariantsAndTheirSound)
{
    if (!haveFolder())
        GTEST_SKIP() << "real-world manifests not found at " << kFolder;
    struct Case
    {
        const char *file;
        std::vector<int> heights;    // of the variants, in order (0: not given)
        std::string firstUri;        // the first variant's playlist
        std::string firstSound;      // its sound rendition ("": the sound is in its own stream)
        size_t soundRenditions;      // sound renditions of their own that some variant plays with
        // What a download at the highest quality takes: the tallest picture, then the richest
        // variant entry, with the sound of that entry's own group ("": in its stream).
        std::string picture;
        int64_t pictureBitrate;
        std::string sound;
        size_t pictures;                 // picture candidates: one per (address, sound group)
        std::vector<std::string> sounds; // sound candidates, each address once
    };
    const std::string ted = "https://media.example/videos/BorisHesser_2018S/";
    const std::string toggle = "http://k.toggle.sg/fhls/p/2082311/sp/208231100/serveFlavor/entryId/0_89q6e8ku/v/2/pv/1/flavorId/";
    const Case cases[] = {
        // The default sound has no address: it is inside each variant.
        {"bipbop_16x9.m3u8", {234, 360, 540, 720, 1080, 0}, kShow + "gear1/prog_index.m3u8", "", 0, kShow + "gear5/prog_index.m3u8", 1924009, "", 5, {kShow + "gear0/prog_index.m3u8"}},
        {"img_bipbop_adv_example_fmp4.m3u8",
         {540, 1080, 1080, 1080, 720, 432, 360, 270, 540, 1080, 1080, 1080, 720, 432, 360, 270, 540, 1080, 1080, 1080, 720,
          432, 360, 270},
         kShow + "v5/prog_index.m3u8",
         kShow + "a1/prog_index.m3u8",
         3,
         // v9 comes once per sound group; its richest entry plays with aud2.
         kShow + "v9/prog_index.m3u8",
         8223601,
         kShow + "a2/prog_index.m3u8",
         24,
         {kShow + "a1/prog_index.m3u8", kShow + "a2/prog_index.m3u8", kShow + "a3/prog_index.m3u8"}},
        // Tags indented, with a carriage return in front.
        {"pluzz_francetv_11507.m3u8", {144, 180, 288, 396, 576}, "http://replayftv-vh.akamaihd.net/i/streaming-adaptatif_france-dom-tom/2017/S16/J2/"
                                                                 "156589847-58f59130c1f52-,standard1,standard2,standard3,standard4,standard5,.mp4.csmil/index_0_av.m3u8?null=0",
         "",
         0,
         "http://replayftv-vh.akamaihd.net/i/streaming-adaptatif_france-dom-tom/2017/S16/J2/"
         "156589847-58f59130c1f52-,standard1,standard2,standard3,standard4,standard5,.mp4.csmil/index_4_av.m3u8?null=0",
         1467000,
         "",
         5,
         {}},
        {"teamcoco_11995.m3u8", {576, 360, 224, 224, 0}, kShow + "hls/CONAN_020217_Highlight_show-2m_v4.m3u8", kShow + "hls/CONAN_020217_Highlight_show-audio-160k_v4.m3u8", 2,
         // 400k comes once per group; the last variant is sound only, and the sound of audio-1.
         kShow + "hls/CONAN_020217_Highlight_show-2m_v4.m3u8",
         2374000,
         kShow + "hls/CONAN_020217_Highlight_show-audio-160k_v4.m3u8",
         4,
         {kShow + "hls/CONAN_020217_Highlight_show-audio-160k_v4.m3u8", kShow + "hls/CONAN_020217_Highlight_show-audio-64k_v4.m3u8"}},
        {"ted_18923.m3u8", {360, 180, 288, 288, 288, 480, 720, 0}, ted + "video/600k.m3u8?nobumpers=true&uniqueId=76011e2b", ted + "audio/600k.m3u8?nobumpers=true&uniqueId=76011e2b", 1,
         // The sound-only last variant is the group's rendition too: one sound candidate.
         ted + "video/1500k.m3u8?nobumpers=true&uniqueId=76011e2b",
         2462469,
         ted + "audio/600k.m3u8?nobumpers=true&uniqueId=76011e2b",
         7,
         {ted + "audio/600k.m3u8?nobumpers=true&uniqueId=76011e2b"}},
        // No default in the group: its first rendition.
        {"toggle_mobile_12211.m3u8", {180, 270, 360, 480}, toggle + "0_qlk9hlzr/name/a.mp4/index.m3u8", toggle + "0_sa2ntrdg/name/a.mp4/index.m3u8", 1, "http://k.toggle.sg/fhls/p/2082311/sp/208231100/serveFlavor/entryId/0_89q6e8ku/v/12/pv/1/flavorId/0_50n4psvx/name/a.mp4/index.m3u8", 1396736, toggle + "0_sa2ntrdg/name/a.mp4/index.m3u8", 4, {toggle + "0_sa2ntrdg/name/a.mp4/index.m3u8"}},
        {"twitch_vod.m3u8", {720, 720, 480, 360, 226, 0}, "https://vod.edgecast.hls.ttvnw.net/e5da31ab49_riotgames_15001215120_261543898/chunked/index-muted-HM49I092CC.m3u8", "", 0, "https://vod.edgecast.hls.ttvnw.net/e5da31ab49_riotgames_15001215120_261543898/chunked/index-muted-HM49I092CC.m3u8", 3214134, "", 5, {"https://vod.edgecast.hls.ttvnw.net/e5da31ab49_riotgames_15001215120_261543898/audio_only/index-muted-HM49I092CC.m3u8"}},
        {"vidio.m3u8", {270, 360, 720}, "https://cdn1-a.production.vidio.static6.com/uploads/165683/dj_ambred-4383-b300.mp4.m3u8", "", 0, "https://cdn1-a.production.vidio.static6.com/uploads/165683/dj_ambred-4383-b1200.mp4.m3u8", 1200000, "", 3, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string text = readManifest(std::string("m3u8/") + c.file);
        ASSERT_FALSE(text.empty());
        HlsPlaylist list;
        std::string error;
        ASSERT_TRUE(list.parse(text, kShow + "master.m3u8", &error)) << error;
        EXPECT_TRUE(list.isMaster);
        EXPECT_FALSE(list.isLive());
        EXPECT_TRUE(list.segments.empty());
        std::vector<int> heights;
        std::vector<std::string> sounds;
        for (const auto &v : list.variants) {
            heights.push_back(v.height);
            const HlsPlaylist::Rendition *audio = list.audioFor(v);
            if (audio && std::find(sounds.begin(), sounds.end(), audio->uri) == sounds.end())
                sounds.push_back(audio->uri);
        }
        EXPECT_EQ(heights, c.heights);
        EXPECT_EQ(list.variants.front().uri, c.firstUri);
        const HlsPlaylist::Rendition *first = list.audioFor(list.variants.front());
        EXPECT_EQ(first ? first->uri : std::string(), c.firstSound);
        EXPECT_EQ(sounds.size(), c.soundRenditions);

        const std::vector<PageSniffer::Media> medias = PageSniffer::hlsMedias(list);
        std::vector<std::string> soundUrls;
        for (const auto &m : medias)
            if (PageSniffer::isSound(m)) {
                EXPECT_EQ(m.format, CORVIDASH_FORMAT_MP4_AUDIO) << m.url;
                soundUrls.push_back(m.url);
            }
        const PageSniffer::Media *best = nullptr;
        size_t pictures = 0;
        for (const auto &m : medias) {
            if (PageSniffer::isSound(m))
                continue;
            ++pictures;
            // Picture only exactly when it plays with a sound of its own, and that sound is offered.
            EXPECT_EQ(m.format, m.sound.empty() ? CORVIDASH_FORMAT_TS : CORVIDASH_FORMAT_MP4_VIDEO) << m.url;
            if (!m.sound.empty()) {
                EXPECT_NE(std::find(soundUrls.begin(), soundUrls.end(), m.sound), soundUrls.end()) << m.sound;
            }
            if (!best || std::make_pair(m.height, m.bitrate) > std::make_pair(best->height, best->bitrate))
                best = &m;
        }
        EXPECT_EQ(pictures, c.pictures);
        EXPECT_EQ(soundUrls, c.sounds);
        ASSERT_NE(best, nullptr);
        EXPECT_EQ(best->url, c.picture);
        EXPECT_EQ(best->bitrate, c.pictureBitrate);
        EXPECT_EQ(best->sound, c.sound);
    }
}

// A master as large as a page may be, of distinct variants (half of them sound only) and some
// named twice: each address is offered once, and the list is made at once, not in the many
// seconds that comparing every variant with every other took (for each such list a page names).
TEST(corvidashHlsMaster, AHugeMasterIsListedOnceEachAndAtOnce)
{
    std::string text = "#EXTM3U\n";
    int distinct = 0;
    while (text.size() < (6u << 20) - 100) {
        const int i = distinct++;
        text += "#EXT-X-STREAM-INF:BANDWIDTH=" + std::to_string(i + 1) + (i % 2 ? ",CODECS=\"mp4a.40.2\"" : "") + "\n"
                + std::to_string(i) + ".m3u8\n";
        if (i % 1000 == 0)
            text += "#EXT-X-STREAM-INF:BANDWIDTH=1\n0.m3u8\n";
    }
    HlsPlaylist list;
    ASSERT_TRUE(list.parse(text, "http://media.example.com/master.m3u8"));
    const auto start = std::chrono::steady_clock::now();
    const std::vector<PageSniffer::Media> medias = PageSniffer::hlsMedias(list);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(medias.size(), size_t(distinct));
    const auto sounds = std::count_if(medias.begin(), medias.end(), [](const PageSniffer::Media &m) { return PageSniffer::isSound(m); });
    EXPECT_EQ(sounds, distinct / 2);
    // Generous for a loaded machine: it takes well under a second, and took over ten.
    EXPECT_LT(took, std::chrono::seconds(10)) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
}
