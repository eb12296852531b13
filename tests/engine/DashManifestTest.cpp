#include "engine/DashManifest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kManifestUrl = "http://media.test/show/manifest.mpd";

// A one-period static manifest around the given AdaptationSet contents.
std::string manifest(const std::string &set, const std::string &periodAttributes = "duration='PT10S'",
                     const std::string &setAttributes = "mimeType='video/mp4' codecs='avc1.64001f'")
{
    return "<?xml version='1.0'?><MPD xmlns='urn:mpeg:dash:schema:mpd:2011' type='static'><Period " + periodAttributes +
           "><AdaptationSet " + setAttributes + ">" + set + "</AdaptationSet></Period></MPD>";
}

struct Expanded
{
    bool ok = false;
    std::string error;
    DashManifest::Piece init;
    std::vector<DashManifest::Piece> pieces;
};

// Parses the manifest and spells out the representation of that id in the first period.
Expanded expand(const std::string &text, const std::string &id)
{
    Expanded out;
    DashManifest m;
    if (!m.parse(text, kManifestUrl, &out.error))
        return out;
    const DashManifest::Representation *r = m.find(0, id);
    if (!r) {
        out.error = "no representation " + id;
        return out;
    }
    EXPECT_TRUE(r->pieceWise);
    EXPECT_EQ(r->url, DashManifest::pieceWiseAddress(kManifestUrl, 0, id));
    out.ok = DashManifest::pieces(*r, out.init, out.pieces, &out.error);
    EXPECT_EQ(static_cast<int64_t>(out.pieces.size()), r->cutting.count);
    return out;
}

std::vector<std::string> urls(const std::vector<DashManifest::Piece> &pieces)
{
    std::vector<std::string> out;
    for (const auto &p : pieces)
        out.push_back(p.url);
    return out;
}

std::vector<double> durations(const std::vector<DashManifest::Piece> &pieces)
{
    std::vector<double> out;
    for (const auto &p : pieces)
        out.push_back(p.duration);
    return out;
}

std::string at(const std::string &name)
{
    return "http://media.test/show/" + name;
}

} // namespace

TEST(corvidashDashManifest, NumberedTemplates)
{
    struct Case
    {
        const char *name;
        std::string manifest;
        std::string init;
        std::vector<std::string> pieces;
        std::vector<double> durations;
    };
    const Case cases[] = {
        {"width and start number, last piece cut short",
         manifest("<Representation id='v1' bandwidth='900000'><SegmentTemplate timescale='1000' duration='2000' "
                  "startNumber='7' initialization='init-$RepresentationID$.mp4' "
                  "media='seg-$RepresentationID$-$Number%05d$.m4s'/></Representation>",
                  "duration='PT9S'"),
         at("init-v1.mp4"),
         {at("seg-v1-00007.m4s"), at("seg-v1-00008.m4s"), at("seg-v1-00009.m4s"), at("seg-v1-00010.m4s"),
          at("seg-v1-00011.m4s")},
         {2, 2, 2, 2, 2}},
        {"bandwidth, escaped dollar, no width, start at zero",
         manifest("<Representation id='v1' bandwidth='900000'><SegmentTemplate duration='5' startNumber='0' "
                  "media='$Bandwidth$/x$$$Number%d$-$Number%03d$.m4s'/></Representation>"),
         "",
         {at("900000/x$0-000.m4s"), at("900000/x$1-001.m4s")},
         {5, 5}},
        {"a number longer than its width is kept whole",
         manifest("<Representation id='v1'><SegmentTemplate timescale='1' duration='1' startNumber='998' "
                  "media='$Number%02d$.m4s'/></Representation>",
                  "duration='PT3S'"),
         "",
         {at("998.m4s"), at("999.m4s"), at("1000.m4s")},
         {1, 1, 1}},
        {"presentation duration when the period gives none, offset ignored",
         "<MPD type='static' mediaPresentationDuration='PT4S'><Period start='PT1S'><AdaptationSet mimeType='audio/mp4'>"
         "<Representation id='v1'><SegmentTemplate timescale='48000' duration='48000' presentationTimeOffset='96000' "
         "media='a$Number$.m4s' initialization='a-init.mp4'/></Representation></AdaptationSet></Period></MPD>",
         at("a-init.mp4"),
         {at("a1.m4s"), at("a2.m4s"), at("a3.m4s")},
         {1, 1, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = expand(c.manifest, "v1");
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(e.init.url, c.init);
        EXPECT_EQ(e.init.length, -1);
        EXPECT_EQ(urls(e.pieces), c.pieces);
        EXPECT_EQ(durations(e.pieces), c.durations);
    }
}

// Real manifests write whole numbers as decimals ("2000000.0") and piece durations with a
// fraction; both mean what they say.
TEST(corvidashDashManifest, DecimalNumbers)
{
    struct Case
    {
        const char *name;
        std::string representation;
        std::string period;
        std::vector<std::string> pieces;
        std::vector<double> durations;
    };
    const Case cases[] = {
        {"whole duration with a zero fraction",
         "<Representation id='v1'><SegmentTemplate timescale='1000000.0' duration='2000000.0' startNumber='3.0' "
         "media='$Number$.m4s'/></Representation>",
         "duration='PT6S'", {at("3.m4s"), at("4.m4s"), at("5.m4s")}, {2, 2, 2}},
        {"duration with a fraction", "<Representation id='v1'><SegmentTemplate duration='2.5' media='$Number$.m4s'/></Representation>",
         "duration='PT10S'", {at("1.m4s"), at("2.m4s"), at("3.m4s"), at("4.m4s")}, {2.5, 2.5, 2.5, 2.5}},
        {"fraction on a finer scale",
         "<Representation id='v1'><SegmentTemplate timescale='1000' duration='1500.50' media='$Number$.m4s'/></Representation>",
         "duration='PT3.001S'", {at("1.m4s"), at("2.m4s")}, {1.5005, 1.5005}},
        {"timeline times and a bandwidth as decimals",
         "<Representation id='v1' bandwidth='1500000.0'><SegmentTemplate timescale='10' media='$Bandwidth$-$Time$.m4s'>"
         "<SegmentTimeline><S t='0.0' d='10.00' r='1.0'/></SegmentTimeline></SegmentTemplate></Representation>",
         "duration='PT2S'", {at("1500000-0.m4s"), at("1500000-10.m4s")}, {1, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = expand(manifest(c.representation, c.period), "v1");
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(urls(e.pieces), c.pieces);
        ASSERT_EQ(e.pieces.size(), c.durations.size());
        for (size_t i = 0; i < c.durations.size(); ++i)
            EXPECT_DOUBLE_EQ(e.pieces[i].duration, c.durations[i]);
    }

    DashManifest m;
    ASSERT_TRUE(m.parse(manifest("<Representation id='v1' width='1280.0' height='720.0' bandwidth='2e6'><BaseURL>v.mp4</BaseURL>"
                                 "</Representation>"),
                        kManifestUrl));
    EXPECT_EQ(m.periods[0].representations[0].height, 720);
    EXPECT_EQ(m.periods[0].representations[0].width, 1280);
    EXPECT_EQ(m.periods[0].representations[0].bandwidth, 0); // not a decimal: unknown

    // Where only whole numbers make sense a fraction is refused with its reason.
    const std::pair<std::string, std::string> refusals[] = {
        {"<SegmentTemplate timescale='10' media='$Time$.m4s'><SegmentTimeline><S d='1.5'/></SegmentTimeline></SegmentTemplate>",
         "timeline duration"},
        {"<SegmentTemplate timescale='2.5' duration='1' media='$Number$.m4s'/>", "timescale"},
        {"<SegmentTemplate duration='1.2.3' media='$Number$.m4s'/>", "duration"},
        {"<SegmentTemplate duration='.' media='$Number$.m4s'/>", "duration"},
    };
    for (const auto &[xml, reason] : refusals) {
        SCOPED_TRACE(xml);
        DashManifest r;
        std::string error;
        EXPECT_FALSE(r.parse(manifest("<Representation id='v1'>" + xml + "</Representation>"), kManifestUrl, &error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

TEST(corvidashDashManifest, Timelines)
{
    struct Case
    {
        const char *name;
        std::string templateXml;
        std::string period;
        std::vector<std::string> pieces;
        std::vector<double> durations;
    };
    const Case cases[] = {
        {"repeats and a time that follows on",
         "<SegmentTemplate timescale='10' media='t-$Time$.m4s'><SegmentTimeline><S t='0' d='10' r='2'/><S d='5'/>"
         "</SegmentTimeline></SegmentTemplate>",
         "duration='PT10S'",
         {at("t-0.m4s"), at("t-10.m4s"), at("t-20.m4s"), at("t-30.m4s")},
         {1, 1, 1, 0.5}},
        {"open repeat up to the period end",
         "<SegmentTemplate media='t-$Time$.m4s'><SegmentTimeline><S t='0' d='3' r='-1'/></SegmentTimeline></SegmentTemplate>",
         "duration='PT10S'",
         {at("t-0.m4s"), at("t-3.m4s"), at("t-6.m4s"), at("t-9.m4s")},
         {3, 3, 3, 3}},
        {"open repeat up to the next entry's time",
         "<SegmentTemplate media='t-$Time$.m4s'><SegmentTimeline><S t='0' d='2' r='-1'/><S t='6' d='1'/>"
         "</SegmentTimeline></SegmentTemplate>",
         "duration='PT100S'",
         {at("t-0.m4s"), at("t-2.m4s"), at("t-4.m4s"), at("t-6.m4s")},
         {2, 2, 2, 1}},
        {"open repeat from the presentation offset",
         "<SegmentTemplate media='t-$Time$.m4s' presentationTimeOffset='100'><SegmentTimeline><S t='100' d='5' r='-1'/>"
         "</SegmentTimeline></SegmentTemplate>",
         "duration='PT20S'",
         {at("t-100.m4s"), at("t-105.m4s"), at("t-110.m4s"), at("t-115.m4s")},
         {5, 5, 5, 5}},
        {"numbers along a timeline, with a gap in time",
         "<SegmentTemplate startNumber='3' media='n-$Number%03d$-$Time$.m4s'><SegmentTimeline><S t='10' d='4'/>"
         "<S t='20' d='4' r='1'/></SegmentTimeline></SegmentTemplate>",
         "",
         {at("n-003-10.m4s"), at("n-004-20.m4s"), at("n-005-24.m4s")},
         {4, 4, 4}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = expand(manifest("<Representation id='v1'>" + c.templateXml + "</Representation>", c.period), "v1");
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(urls(e.pieces), c.pieces);
        EXPECT_EQ(durations(e.pieces), c.durations);
    }
}

TEST(corvidashDashManifest, SegmentListsWithRanges)
{
    struct Case
    {
        const char *name;
        std::string representation;
        DashManifest::Piece init;
        std::vector<DashManifest::Piece> pieces;
    };
    const Case cases[] = {
        {"ranges of one file",
         "<Representation id='v1'><BaseURL>one.mp4</BaseURL><SegmentList timescale='1000' duration='2000'>"
         "<Initialization range='0-799'/><SegmentURL mediaRange='800-1999'/><SegmentURL mediaRange='2000-2999'/>"
         "</SegmentList></Representation>",
         {at("one.mp4"), 0, 800, 0},
         {{at("one.mp4"), 800, 1200, 2}, {at("one.mp4"), 2000, 1000, 2}}},
        {"files of their own, some ranged",
         "<Representation id='v1'><SegmentList><Initialization sourceURL='init.mp4'/>"
         "<SegmentURL media='p1.m4s'/><SegmentURL media='p2.m4s' mediaRange='10-19'/></SegmentList></Representation>",
         {at("init.mp4"), 0, -1, 0},
         {{at("p1.m4s"), 0, -1, 0}, {at("p2.m4s"), 10, 10, 0}}},
        {"no initialization",
         "<Representation id='v1'><SegmentList duration='3'><SegmentURL media='http://other.test/p.ts'/></SegmentList>"
         "</Representation>",
         {"", 0, -1, 0},
         {{"http://other.test/p.ts", 0, -1, 3}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = expand(manifest(c.representation), "v1");
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(e.init.url, c.init.url);
        EXPECT_EQ(e.init.offset, c.init.offset);
        EXPECT_EQ(e.init.length, c.init.length);
        ASSERT_EQ(e.pieces.size(), c.pieces.size());
        for (size_t i = 0; i < c.pieces.size(); ++i) {
            EXPECT_EQ(e.pieces[i].url, c.pieces[i].url);
            EXPECT_EQ(e.pieces[i].offset, c.pieces[i].offset);
            EXPECT_EQ(e.pieces[i].length, c.pieces[i].length);
            EXPECT_EQ(e.pieces[i].duration, c.pieces[i].duration);
        }
    }
}

// What a representation inherits from its adaptation set and period, and where its
// addresses resolve.
TEST(corvidashDashManifest, InheritanceAndBaseAddresses)
{
    struct Case
    {
        const char *name;
        std::string manifest;
        std::string init;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"set template, representation overrides some attributes",
         manifest("<SegmentTemplate timescale='1000' duration='5000' startNumber='5' media='$RepresentationID$/$Number$.m4s' "
                  "initialization='$RepresentationID$/init.mp4'/>"
                  "<Representation id='v1'><SegmentTemplate duration='2500' startNumber='1'/></Representation>"),
         at("v1/init.mp4"),
         {at("v1/1.m4s"), at("v1/2.m4s"), at("v1/3.m4s"), at("v1/4.m4s")}},
        {"set timeline under the representation's media",
         manifest("<SegmentTemplate media='x.m4s'><SegmentTimeline><S t='0' d='4' r='1'/></SegmentTimeline></SegmentTemplate>"
                  "<Representation id='v1'><SegmentTemplate media='$Time$.m4s'/></Representation>"),
         "",
         {at("0.m4s"), at("4.m4s")}},
        {"period template reaches down",
         "<MPD type='static'><Period duration='PT2S'><SegmentTemplate duration='1' media='p$Number$.m4s'/>"
         "<AdaptationSet mimeType='video/mp4'><Representation id='v1'/></AdaptationSet></Period></MPD>",
         "",
         {at("p1.m4s"), at("p2.m4s")}},
        {"a representation's list beats the set's template",
         manifest("<SegmentTemplate duration='1' media='no$Number$.m4s'/>"
                  "<Representation id='v1'><SegmentList><SegmentURL media='yes.m4s'/></SegmentList></Representation>"),
         "",
         {at("yes.m4s")}},
        {"base address at every level",
         "<MPD type='static' mediaPresentationDuration='PT2S'><BaseURL>http://cdn.test/root/</BaseURL><Period>"
         "<BaseURL>p1/</BaseURL><AdaptationSet mimeType='video/mp4'><BaseURL>video/</BaseURL>"
         "<SegmentTemplate duration='1' media='$Number$.m4s' initialization='../init.mp4'/>"
         "<Representation id='v1'><BaseURL>hd/</BaseURL></Representation></AdaptationSet></Period></MPD>",
         "http://cdn.test/root/p1/video/init.mp4",
         {"http://cdn.test/root/p1/video/hd/1.m4s", "http://cdn.test/root/p1/video/hd/2.m4s"}},
        {"an absolute base address replaces the ones above",
         "<MPD type='static' mediaPresentationDuration='PT1S'><BaseURL>http://cdn.test/root/</BaseURL><Period>"
         "<AdaptationSet mimeType='video/mp4'><BaseURL>https://other.test/set/</BaseURL>"
         "<Representation id='v1'><SegmentTemplate duration='1' media='$Number$.m4s'/></Representation>"
         "</AdaptationSet></Period></MPD>",
         "",
         {"https://other.test/set/1.m4s"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Expanded e = expand(c.manifest, "v1");
        ASSERT_TRUE(e.ok) << e.error;
        EXPECT_EQ(e.init.url, c.init);
        EXPECT_EQ(urls(e.pieces), c.pieces);
    }
}

TEST(corvidashDashManifest, HostileCuttingIsRefusedWithItsReason)
{
    struct Case
    {
        const char *name;
        std::string representation; // inside an AdaptationSet of a 10-second period
        const char *reason;
    };
    const std::string huge = "9223372036854775807";
    const Case cases[] = {
        {"zero duration", "<SegmentTemplate duration='0' media='$Number$.m4s'/>", "duration"},
        {"negative duration", "<SegmentTemplate duration='-4' media='$Number$.m4s'/>", "duration"},
        {"zero timescale", "<SegmentTemplate timescale='0' duration='1' media='$Number$.m4s'/>", "timescale"},
        {"negative timescale", "<SegmentTemplate timescale='-1' duration='1' media='$Number$.m4s'/>", "timescale"},
        {"timescale not a number", "<SegmentTemplate timescale='1e3' duration='1' media='$Number$.m4s'/>", "timescale"},
        {"negative start number", "<SegmentTemplate startNumber='-2' duration='1' media='$Number$.m4s'/>", "startNumber"},
        {"unknown identifier", "<SegmentTemplate duration='1' media='$SubNumber$.m4s'/>", "unknown identifier"},
        {"width above 20", "<SegmentTemplate duration='1' media='$Number%021d$.m4s'/>", "width above 20"},
        {"width far above 20", "<SegmentTemplate duration='1' media='$Number%0999999999d$.m4s'/>", "width above 20"},
        {"printf beyond a width", "<SegmentTemplate duration='1' media='$Number%s$.m4s'/>", "bad format"},
        {"width on the id", "<SegmentTemplate duration='1' media='$RepresentationID%05d$.m4s'/>", "width on"},
        {"unterminated identifier", "<SegmentTemplate duration='1' media='$Number.m4s'/>", "unterminated"},
        {"time without a timeline", "<SegmentTemplate duration='1' media='$Time$.m4s'/>", "$Time$"},
        {"number in the initialization", "<SegmentTemplate duration='1' media='$Number$.m4s' initialization='$Number$.mp4'/>",
         "$Number$"},
        {"neither duration nor timeline", "<SegmentTemplate media='$Number$.m4s'/>", "neither"},
        {"no media", "<SegmentTemplate duration='1'/>", "without media"},
        {"too many pieces by duration", "<SegmentTemplate timescale='100000' duration='1' media='$Number$.m4s'/>", "200000"},
        {"too many pieces by repeats",
         "<SegmentTemplate media='$Number$.m4s'><SegmentTimeline><S d='1' r='150000'/><S d='1' r='60000'/></SegmentTimeline>"
         "</SegmentTemplate>",
         "200000"},
        {"repeat count overflows",
         "<SegmentTemplate media='$Number$.m4s'><SegmentTimeline><S d='1' r='" + huge + "'/></SegmentTimeline></SegmentTemplate>",
         "200000"},
        {"open repeat of a tiny duration",
         "<SegmentTemplate timescale='1000000000' media='$Number$.m4s'><SegmentTimeline><S d='1' r='-1'/></SegmentTimeline>"
         "</SegmentTemplate>",
         "200000"},
        {"timeline times overflow",
         "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline><S t='9223372036854775800' d='10' r='1'/></SegmentTimeline>"
         "</SegmentTemplate>",
         "overflow"},
        {"timeline time out of range", "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline><S t='" + huge +
                                           "0' d='1'/></SegmentTimeline></SegmentTemplate>",
         "timeline time"},
        {"piece numbers overflow", "<SegmentTemplate startNumber='" + huge + "' duration='1' media='$Number$.m4s'/>",
         "overflow"},
        {"timeline runs backwards",
         "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline><S t='10' d='5'/><S t='2' d='5'/></SegmentTimeline>"
         "</SegmentTemplate>",
         "backwards"},
        {"zero timeline duration",
         "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline><S d='0' r='3'/></SegmentTimeline></SegmentTemplate>",
         "duration not positive"},
        {"empty timeline", "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline/></SegmentTemplate>", "empty timeline"},
        {"open repeat ends before it starts",
         "<SegmentTemplate media='$Time$.m4s'><SegmentTimeline><S t='50' d='5' r='-1'/><S t='40' d='5'/></SegmentTimeline>"
         "</SegmentTemplate>",
         "before it starts"},
        {"local file pieces", "<SegmentTemplate duration='1' media='file:///etc/passwd?$Number$'/>", "unusable piece address"},
        {"local file initialization",
         "<SegmentTemplate duration='1' media='$Number$.m4s' initialization='file:///etc/passwd'/>",
         "unusable initialization address"},
        {"overlong template", "<SegmentTemplate duration='1' media='" + std::string(5000, 'a') + "$Number$'/>", "too long"},
        {"bad media range", "<SegmentList><SegmentURL media='a.m4s' mediaRange='20-10'/></SegmentList>", "media range"},
        {"media range past the end of numbers",
         "<SegmentList><SegmentURL media='a.m4s' mediaRange='0-" + huge + "'/></SegmentList>", "media range"},
        {"bad initialization range",
         "<SegmentList><Initialization range='x'/><SegmentURL media='a.m4s'/></SegmentList>", "initialization range"},
        {"list without pieces", "<SegmentList duration='1'><Initialization sourceURL='i.mp4'/></SegmentList>",
         "without pieces"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DashManifest m;
        std::string error;
        EXPECT_FALSE(m.parse(manifest("<Representation id='v1'>" + c.representation + "</Representation>"), kManifestUrl,
                             &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_NE(m.refusalOf(0, "v1").find(c.reason), std::string::npos) << m.refusalOf(0, "v1");
    }

    // A whole manifest that cannot be used.
    struct Whole
    {
        const char *name;
        std::string text;
        const char *reason;
    };
    const Whole wholes[] = {
        {"live", "<MPD type='dynamic'><Period><AdaptationSet mimeType='video/mp4'><Representation id='v1'>"
                 "<SegmentTemplate duration='1' media='$Number$.m4s'/></Representation></AdaptationSet></Period></MPD>",
         "Live streams are not supported"},
        {"nothing to count pieces by", "<MPD type='static'><Period><AdaptationSet mimeType='video/mp4'><Representation id='v1'>"
                                       "<SegmentTemplate duration='1' media='$Number$.m4s'/></Representation>"
                                       "</AdaptationSet></Period></MPD>",
         "no period duration"},
        {"open repeat without a period end",
         "<MPD type='static'><Period><AdaptationSet mimeType='video/mp4'><Representation id='v1'><SegmentTemplate "
         "media='$Number$.m4s'><SegmentTimeline><S d='1' r='-1'/></SegmentTimeline></SegmentTemplate></Representation>"
         "</AdaptationSet></Period></MPD>",
         "period end"},
        {"without an id", manifest("<Representation><SegmentTemplate duration='1' media='$Number$.m4s'/></Representation>"),
         "id"},
        {"too large", manifest("<Representation id='v1'><SegmentTemplate duration='1' media='$Number$.m4s'/></Representation>" +
                               std::string(5 << 20, ' ')),
         "too large"},
    };
    for (const auto &w : wholes) {
        SCOPED_TRACE(w.name);
        DashManifest m;
        std::string error;
        EXPECT_FALSE(m.parse(w.text, kManifestUrl, &error));
        EXPECT_NE(error.find(w.reason), std::string::npos) << error;
    }
}

// Many representations sharing one long timeline: it is read and kept once, and only the
// one representation downloaded is spelled out.
TEST(corvidashDashManifest, ASharedLongTimelineStaysCompact)
{
    std::string reps;
    for (int i = 0; i < 300; ++i)
        reps += "<Representation id='r" + std::to_string(i) + "'/>";
    const std::string text = manifest("<SegmentTemplate media='$RepresentationID$/$Number%08d$.m4s'><SegmentTimeline>"
                                      "<S d='1' r='199999'/></SegmentTimeline></SegmentTemplate>" + reps);
    DashManifest m;
    std::string error;
    ASSERT_TRUE(m.parse(text, kManifestUrl, &error)) << error;
    ASSERT_EQ(m.periods.size(), 1u);
    ASSERT_EQ(m.periods[0].representations.size(), 256u); // the representation bound still holds
    EXPECT_EQ(m.periods[0].representations[0].cutting.timeline, m.periods[0].representations[255].cutting.timeline);
    const Expanded e = expand(text, "r7");
    ASSERT_TRUE(e.ok) << e.error;
    ASSERT_EQ(e.pieces.size(), 200000u);
    EXPECT_EQ(e.pieces.back().url, at("r7/00200000.m4s"));

    // A long timeline whose open end each representation moves (its own timescale) would be
    // kept once for each of them: past a bound the rest are refused.
    std::string entries, scaled;
    for (int i = 0; i < 19000; ++i)
        entries += "<S d='1'/>";
    for (int i = 0; i < 300; ++i)
        scaled += "<Representation id='s" + std::to_string(i) + "'><SegmentTemplate timescale='" + std::to_string(100000 + i) +
                  "'/></Representation>";
    DashManifest copies;
    ASSERT_TRUE(copies.parse(manifest("<SegmentTemplate media='$Number$.m4s'><SegmentTimeline>" + entries +
                                      "<S d='100000' r='-1'/></SegmentTimeline></SegmentTemplate>" + scaled,
                                      "duration='PT1S'"),
                             kManifestUrl, &error))
        << error;
    EXPECT_LE(copies.periods[0].representations.size(), 6u);
    EXPECT_EQ(copies.periods[0].representations.size() + copies.refused.size(), 300u);
    EXPECT_EQ(copies.refusalOf(0, "s299"), "timelines too large");

    // Long piece addresses times many pieces are refused before they take gigabytes.
    DashManifest wordy;
    ASSERT_TRUE(wordy.parse(manifest("<SegmentTemplate media='" + std::string(4000, 'w') +
                                     "$Number$.m4s'><SegmentTimeline><S d='1' r='199999'/></SegmentTimeline>"
                                     "</SegmentTemplate><Representation id='w'/>"),
                            kManifestUrl, &error))
        << error;
    DashManifest::Piece init;
    std::vector<DashManifest::Piece> pieces;
    EXPECT_FALSE(DashManifest::pieces(*wordy.find(0, "w"), init, pieces, &error));
    EXPECT_EQ(error, "piece addresses too long altogether");
    EXPECT_TRUE(pieces.empty());
}

TEST(corvidashDashManifest, PieceWiseAddressesReadBack)
{
    for (const std::string id : {"v1", "video 1/ä#%.x", "0"}) {
        SCOPED_TRACE(id);
        const std::string address = DashManifest::pieceWiseAddress(kManifestUrl + "#t=5", 3, id);
        EXPECT_EQ(address.find('#'), address.rfind('#')); // one fragment, the manifest's own dropped
        EXPECT_EQ(address.find(' '), std::string::npos);
        std::string manifestUrl, readId;
        size_t period = 0;
        ASSERT_TRUE(DashManifest::readPieceWiseAddress(address, &manifestUrl, &period, &readId));
        EXPECT_EQ(manifestUrl, kManifestUrl);
        EXPECT_EQ(period, 3u);
        EXPECT_EQ(readId, id);
    }
    for (const std::string &bad : {kManifestUrl, kManifestUrl + "#t=5", kManifestUrl + "#corvidash-dash=",
                                  kManifestUrl + "#corvidash-dash=x.v", kManifestUrl + "#corvidash-dash=0.",
                                  kManifestUrl + "#corvidash-dash=0.%zz", kManifestUrl + "#corvidash-dash=0.%4",
                                  kManifestUrl + "#corvidash-dash=99999999999999999999.v"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(DashManifest::readPieceWiseAddress(bad, nullptr, nullptr, nullptr));
    }
}
