#include "shell/NSDataAdditions.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace NSDataAdditions;

TEST(NSDataAdditions, DecodeTable)
{
    const struct
    {
        const char *text;
        QByteArray bytes;
    } cases[] = {
        {"YWJj", "abc"},
        {"YW Jj", "abc"},           // characters outside the alphabet are skipped
        {"YQ==", "a"},
        {"YWI=", "ab"},
        {"YQ", "a"},                // a final group of 2 gives 1 byte
        {"YWI", "ab"},              // of 3 gives 2
        {"Y", ""},                  // a lone character gives nothing
        {"YQ==YWJj", "a"},          // decoding ends at the first "="
        {"Y\nW\tJ\rj!", "abc"},
        {"", ""},
        {"////", "\xff\xff\xff"},
        {"+/+/", "\xfb\xff\xbf"},
        {"-_-_", ""},               // the URL-safe alphabet is not this one
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dataWithBase64EncodedString(QString::fromUtf8(c.text)), c.bytes);
        EXPECT_EQ(initWithBase64EncodedString(QString::fromUtf8(c.text)), c.bytes);
    }
    EXPECT_TRUE(dataWithBase64EncodedString(QString()).isEmpty());
    // Non-ASCII characters are skipped, not folded into the alphabet.
    EXPECT_EQ(dataWithBase64EncodedString(QStringLiteral("Y\u0141WJ\U0001F600j")), QByteArray("abc"));
}

TEST(NSDataAdditions, EncodeTable)
{
    const struct
    {
        QByteArray bytes;
        int lineLength;
        const char *text;
    } cases[] = {
        {"abc", 0, "YWJj"},
        {"a", 0, "YQ=="},
        {"ab", 0, "YWI="},
        {"", 0, ""},
        {"", 4, ""},
        {"abc", 4, "YWJj\n"},
        {"abcabc", 4, "YWJj\nYWJj\n"},
        {"abcabca", 8, "YWJjYWJj\nYQ=="},
        {"abcabcabc", 6, "YWJjYWJj\nYWJj"},   // a break after the group that reaches the length
        {"abcabc", -1, "YWJjYWJj"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(base64EncodingWithLineLength(c.bytes, c.lineLength), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(base64Encoding("abcd"), QStringLiteral("YWJjZA=="));
}

TEST(NSDataAdditions, RoundTripMatchesQt)
{
    auto *rng = QRandomGenerator::global();
    for (int size = 0; size < 300; ++size) {
        QByteArray data(size, Qt::Uninitialized);
        for (char &b : data)
            b = char(rng->bounded(256));
        const QString encoded = base64Encoding(data);
        ASSERT_EQ(encoded, QString::fromLatin1(data.toBase64()));
        ASSERT_EQ(dataWithBase64EncodedString(encoded), data);
        ASSERT_EQ(dataWithBase64EncodedString(base64EncodingWithLineLength(data, 76)), data);
    }
}

TEST(NSDataAdditions, HostileInputNeverCrashes)
{
    auto *rng = QRandomGenerator::global();
    const QString valid = base64Encoding(QByteArray(3000, 'x'));
    // Truncated at every length.
    for (qsizetype n = 0; n <= 40; ++n) {
        const QByteArray out = dataWithBase64EncodedString(valid.left(n));
        EXPECT_LE(out.size(), n * 3 / 4 + 1);
    }
    // Random code units, surrogates and all.
    for (int round = 0; round < 200; ++round) {
        QString junk(rng->bounded(1, 600), Qt::Uninitialized);
        for (QChar &c : junk)
            c = QChar(char16_t(rng->bounded(0x10000)));
        const QByteArray out = dataWithBase64EncodedString(junk);
        EXPECT_LE(out.size(), junk.size() * 3 / 4 + 1);
    }
    // Oversized: output stays proportional to the input.
    const QString big(8 * 1024 * 1024, QLatin1Char('A'));
    EXPECT_EQ(dataWithBase64EncodedString(big).size(), 6 * 1024 * 1024);
    const QString mostlyJunk = QString(4 * 1024 * 1024, QLatin1Char('*')) + QStringLiteral("YWJj");
    EXPECT_EQ(dataWithBase64EncodedString(mostlyJunk), QByteArray("abc"));
}

TEST(NSDataAdditions, PrefixAndSuffixBytes)
{
    const QByteArray data("\x89PNG\r\n\x1a\n....IEND", 16);
    EXPECT_TRUE(hasPrefixBytes(data, "\x89PNG", 4));
    EXPECT_FALSE(hasPrefixBytes(data, "PNG", 3));
    EXPECT_TRUE(hasSuffixBytes(data, "IEND", 4));
    EXPECT_FALSE(hasSuffixBytes(data, "IEN", 3));
    EXPECT_FALSE(hasPrefixBytes(data, nullptr, 4));
    EXPECT_FALSE(hasPrefixBytes(data, "\x89", 0));
    EXPECT_FALSE(hasSuffixBytes(QByteArray("ab"), "abc", 3));
    EXPECT_TRUE(hasSuffixBytes(QByteArray("abc"), "abc", 3));
}
