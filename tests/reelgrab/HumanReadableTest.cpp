#include "reelgrab/HtmlEntityTable.h"
#include "reelgrab/NSStringHumanReadable.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace NSStringHumanReadable;

namespace {

struct NumberCase
{
    qint64 value;
    const char *text;
};

} // namespace

TEST(HumanReadable, FilesizeUsesDecimalUnitsWithStrictThresholds)
{
    const NumberCase cases[] = {
        {0, "0.0 KB"},          {-5, "0.0 KB"},         {1500, "1.5 KB"},
        {1000000, "1000.0 KB"}, {1000001, "1.0 MB"},    {2500000000LL, "2.5 GB"},
        {1000000000, "1000.0 MB"}, {std::numeric_limits<qint64>::max(), "9223372036.9 GB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stringWithFilesize(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(HumanReadable, SpeedRoundsHalvesUpAndNeedsTwoOfAUnit)
{
    const NumberCase cases[] = {
        {499, "0 KB/S"},         {500, "1 KB/S"},          {-1, "0 KB/S"},         {1400000, "1400 KB/S"},
        {1499999, "2 MB/S"},      {2000000, "2 MB/S"},      {1499000000, "1499 MB/S"}, {2000000000, "2 GB/S"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stringWithSpeed(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(HumanReadable, SecondsPicksTheLargestWholeUnit)
{
    const NumberCase cases[] = {
        {59, "59 seconds"},  {60, "1.0 minutes"}, {3599, "60.0 minutes"}, {3600, "1.0 hours"},
        {5400, "1.5 hours"}, {2, "2 seconds"},    {1, "1 second"},        {0, "1 second"}, {-30, "1 second"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stringWithSeconds(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(HumanReadable, DurationClockText)
{
    const NumberCase cases[] = {
        {59, "00:59"},        {3599, "59:59"}, {3600, "01:00:00"}, {360000, "100:00:00"},
        {3661, "01:01:01"},   {0, "00:00"},
        {-1, "00:00"}, // unknown durations arrive negative
    };
    for (const auto &c : cases)
        EXPECT_EQ(stringWithDuration(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST(HumanReadable, PercentEscapesOnceAndKeepsUrlDelimiters)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"http://a.b/x y", "http://a.b/x%20y"},
        {"http://a.b/x%20y", "http://a.b/x%20y"}, // already escaped: unchanged
        {"http://a.b/100%", "http://a.b/100%25"},
        {"http://a.b/%zz", "http://a.b/%25zz"},
        {"http://a.b/p?q=1&r=[2]#frag", "http://a.b/p?q=1&r=[2]#frag"},
        {"http://a.b/\xc3\xa9t\xc3\xa9", "http://a.b/%C3%A9t%C3%A9"},
        {"a\"b<c>d\\e^f`g{h|i}j", "a%22b%3Cc%3Ed%5Ce%5Ef%60g%7Bh%7Ci%7Dj"},
        {"", ""},
    };
    for (const auto &c : cases) {
        const QString once = stringByAddingPercentEscapes(QString::fromUtf8(c.in));
        EXPECT_EQ(once, QString::fromUtf8(c.out)) << c.in;
        EXPECT_EQ(stringByAddingPercentEscapes(once), once) << "escaping twice changed " << c.in;
    }
}

TEST(HtmlEntityTable, HoldsTheNamedAndNumericReferences)
{
    const auto entries = HtmlEntityTable::entries();
    ASSERT_EQ(entries.size(), size_t(HtmlEntityTable::EntryCount));
    QSet<QString> seen;
    int named = 0;
    for (const auto &e : entries) {
        const QString ref = QString::fromLatin1(e.reference);
        EXPECT_TRUE(ref.startsWith(u'&')) << e.reference;
        EXPECT_FALSE(seen.contains(ref)) << "duplicate " << e.reference;
        seen.insert(ref);
        if (!ref.startsWith(QStringLiteral("&#")))
            ++named;
        // Every numeric reference stands for the code point it names.
        if (ref.startsWith(QStringLiteral("&#"))) {
            const QString digits = ref.mid(2).remove(u';');
            EXPECT_EQ(digits.toUInt(), uint(e.codePoint)) << e.reference;
        }
    }
    EXPECT_EQ(named, 252);
    EXPECT_EQ(HtmlEntityTable::characterFor(QStringLiteral("&nbsp;")), QStringLiteral(" "));
    EXPECT_EQ(HtmlEntityTable::characterFor(QStringLiteral("&#160;")), QString(QChar(0xA0)));
    EXPECT_EQ(HtmlEntityTable::characterFor(QStringLiteral("&#181")), QString(QChar(0xB5)));
    EXPECT_EQ(HtmlEntityTable::characterFor(QStringLiteral("&#064;")), QStringLiteral("@"));
    EXPECT_EQ(HtmlEntityTable::characterFor(QStringLiteral("&thetasym;")), QString(QChar(0x3D1)));
    EXPECT_TRUE(HtmlEntityTable::characterFor(QStringLiteral("&#64;")).isEmpty());
}

TEST(HtmlEntityTable, DecodesInOnePass)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"&lt;b&gt;&quot;x&quot;&lt;/b&gt;", "<b>\"x\"</b>"},
        {"caf&eacute; &trade;&hellip;", "caf\xc3\xa9 \xe2\x84\xa2\xe2\x80\xa6"},
        {"a&nbsp;b&#160;c", "a b\xc2\xa0" "c"},
        {"&amp;lt;", "&lt;"},         // what a replacement produces is not decoded again
        {"&amp;amp;", "&amp;"},
        {"&#181;m", "\xc2\xb5;m"},    // the table's form has no semicolon
        {"&#064;home", "@home"},
        {"&#x41; &#65; &bogus; &", "&#x41; &#65; &bogus; &"}, // outside the table
        {"no refs; here", "no refs; here"},
        {"", ""},
        {"&&amp;&", "&&&"},
        {"&#937;&#969;", "\xce\xa9\xcf\x89"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stringByDecodeHtml(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}
