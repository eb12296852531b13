#include "transfer/NSStringTruncating.h"

#include <gtest/gtest.h>

namespace {

using NSStringTruncating::characterCount;
using NSStringTruncating::stringByTruncatingMiddleToLength;

const QString E = QStringLiteral("\u2026");

struct Case
{
    const char *what;
    QString text;
    int max;
    bool words;
    QString expected;
};

TEST(MiddleTruncation, Table)
{
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");  // one character
    const QString grin = QStringLiteral("\U0001F600");
    const QString accented = QStringLiteral("e\u0301");
    const Case cases[] = {
        {"a-j at 7: head 5, tail 1", "abcdefghij", 7, false, "abcde" + E + "j"},
        {"exactly M comes back", "abcdefg", 7, false, "abcdefg"},
        {"shorter comes back", "abc", 7, false, "abc"},
        {"M = 0 is empty", "abcdefghij", 0, false, ""},
        {"negative M is empty", "abcdefghij", -4, false, ""},
        {"M = 3: two and the ellipsis", "abcdefghij", 3, false, "ab" + E},
        {"M = 2", "abcdefghij", 2, false, "a" + E},
        {"M = 1: the ellipsis alone", "abcdefghij", 1, false, E},
        {"M = 10 of 30", "abcdefghijklmnopqrstuvwxyz0123", 10, false, "abcdefg" + E + "23"},
        {"wide characters count one each", QStringLiteral("日本語のファイル名です.mp4"), 7, false,
         QStringLiteral("日本語のフ") + E + "4"},
        {"surrogate pairs are never split", grin.repeated(10), 7, false, grin.repeated(5) + E + grin},
        {"joined emoji stay whole", family.repeated(4), 3, false, family.repeated(2) + E},
        {"accents stay on their letter", accented.repeated(10), 4, false, accented.repeated(3) + E},
        {"empty text", "", 5, false, ""},
        {"whole words", "the quick brown fox jumps over the lazy dog", 20, true, "the quick " + E + " dog"},
        {"whole words that fit", "the quick", 9, true, "the quick"},
        {"one long word falls back to characters", "abcdefghij", 7, true, "abcde" + E + "j"},
        {"two words leaving one fall back", "hello world", 5, true, "hell" + E},
        {"M = 0 by words", "the quick brown", 0, true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = stringByTruncatingMiddleToLength(c.text, c.max, c.words);
        EXPECT_EQ(out, c.expected) << out.toStdString();
        if (!c.words) {
            EXPECT_LE(characterCount(out), std::max(c.max, 0));
        }
        // No lone half of a surrogate pair is left anywhere.
        for (qsizetype i = 0; i < out.size(); ++i) {
            if (out[i].isHighSurrogate()) {
                EXPECT_TRUE(i + 1 < out.size() && out[i + 1].isLowSurrogate()) << "at " << i;
            } else if (out[i].isLowSurrogate()) {
                EXPECT_TRUE(i > 0 && out[i - 1].isHighSurrogate()) << "at " << i;
            }
        }
    }
}

TEST(MiddleTruncation, ByCharactersAlwaysGivesExactlyMWhenCut)
{
    const QString text = QStringLiteral("A rather long video title from some page (1080p).mp4");
    for (int m = 1; m < characterCount(text); ++m) {
        const QString out = stringByTruncatingMiddleToLength(text, m, false);
        EXPECT_EQ(characterCount(out), m) << m;
        EXPECT_TRUE(out.contains(E)) << m;
        EXPECT_TRUE(text.startsWith(out.section(E, 0, 0))) << m;
        EXPECT_TRUE(text.endsWith(out.section(E, 1))) << m;
    }
}

} // namespace
