#include "shell/GolobFun.h"

#include "platform/Dispatch.h"

#include <chrono>
#include <cmath>

#include <gtest/gtest.h>

TEST(GolobFun, ValidFileNameTable)
{
    const struct
    {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("a*b|c:d\"e<f>g?h\\i/j"), QStringLiteral("a_b_c_d_e_f_g_h_i_j")},
        {QStringLiteral("Clip\tname\nwith\x01 controls\x7f"), QStringLiteral("Clipnamewith controls")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral(".._.._etc_passwd")},
        {QString(), QStringLiteral("_")},
        {QStringLiteral("."), QStringLiteral("_")},
        {QStringLiteral(".."), QStringLiteral("__")},
        {QStringLiteral("\x01\x02"), QStringLiteral("_")},
        {QStringLiteral("..."), QStringLiteral("...")},
        {QStringLiteral("Ünïcødé title"), QStringLiteral("Ünïcødé title")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_EQ(GolobFun::validFileName(c.in), c.out);
    }
}

TEST(GolobFun, ValidFileNameLimitsUtf8Bytes)
{
    EXPECT_EQ(GolobFun::validFileName(QString(300, QLatin1Char('a'))).size(), 249);
    EXPECT_EQ(GolobFun::validFileName(QString(254, QLatin1Char('a'))).size(), 254);
    EXPECT_EQ(GolobFun::validFileName(QString(255, QLatin1Char('a'))).size(), 249);

    // Two-byte letters: 127 of them (254 bytes) stay, 128 (256 bytes) are cut to 124 (248 bytes).
    EXPECT_EQ(GolobFun::validFileName(QString(127, QChar(0xe9))).toUtf8().size(), 254);
    const QString cut = GolobFun::validFileName(QString(128, QChar(0xe9)));
    EXPECT_EQ(cut.toUtf8().size(), 248);
    EXPECT_EQ(cut, QString(124, QChar(0xe9)));

    // Four-byte characters (surrogate pairs in UTF-16) are never split.
    QString emoji;
    for (int i = 0; i < 100; ++i)
        emoji += QStringLiteral("\U0001F600");
    const QString cutEmoji = GolobFun::validFileName(emoji);
    EXPECT_EQ(cutEmoji.toUtf8().size(), 248);
    EXPECT_FALSE(cutEmoji.back().isHighSurrogate());
    EXPECT_EQ(QString::fromUtf8(cutEmoji.toUtf8()), cutEmoji);

    // Three-byte characters: 249 is not a multiple of 3, so the cut lands below it.
    const QString cjk = GolobFun::validFileName(QString(100, QChar(0x4e2d)));
    EXPECT_EQ(cjk.toUtf8().size(), 249);
    const QString mixed = GolobFun::validFileName(QStringLiteral("a") + QString(100, QChar(0x4e2d)));
    EXPECT_EQ(mixed.toUtf8().size(), 247);
}

TEST(GolobFun, SpeedSizeAndTimeTexts)
{
    const struct
    {
        qint64 bytesPerSecond;
        const char *text;
    } speeds[] = {
        {-5, "0 KB/S"},
        {0, "0 KB/S"},
        {499, "0 KB/S"},
        {500, "1 KB/S"},
        {1000000, "1000 KB/S"},
        {1500000, "2 MB/S"},     // megabytes taken from the whole kilobyte count
        {1499499, "1499 KB/S"},
        {1999999999, "2 GB/S"},
        {1400000000, "1400 MB/S"},
    };
    for (const auto &c : speeds) {
        SCOPED_TRACE(c.bytesPerSecond);
        EXPECT_EQ(GolobFun::speed(c.bytesPerSecond), QString::fromLatin1(c.text));
    }

    const struct
    {
        qint64 bytes;
        const char *text;
    } sizes[] = {
        {0, "0 MB"},           {-1, "0 MB"},         {500, "0.5 KB"},      {1000, "1.0 KB"},
        {1000001, "1.0 MB"},   {1000000, "1000.0 KB"}, {1000000000, "1000.0 MB"}, {2500000000LL, "2.5 GB"},
    };
    for (const auto &c : sizes) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(GolobFun::convertSizeToString(c.bytes), QString::fromLatin1(c.text));
    }

    const struct
    {
        qint64 seconds;
        const char *text;
    } words[] = {
        {-3, "1 second"}, {0, "1 second"},       {1, "1 second"},        {2, "2 seconds"},
        {59, "59 seconds"}, {60, "1.0 minutes"}, {90, "1.5 minutes"},    {3600, "1.0 hours"},
        {5400, "1.5 hours"},
    };
    for (const auto &c : words) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(GolobFun::ConvertTimeToString(c.seconds), QString::fromLatin1(c.text));
    }

    const struct
    {
        double seconds;
        const char *text;
    } clocks[] = {
        {-1.6, "0"},        {-1.0, "00:00"},     {-0.4, "00:00"},     {0, "00:00"},           {59.5, "01:00"},
        {61.2, "01:01"},    {3599.4, "59:59"},   {3600, "01:00:00"},     {3723, "01:02:03"},
        {360000, "100:00:00"},
    };
    for (const auto &c : clocks) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(GolobFun::convertTimeToHMSPro(c.seconds), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(GolobFun::convertTimeToHMSPro(std::nan("")), QStringLiteral("0"));

    const struct
    {
        const char *text;
        qint64 seconds;
    } parsed[] = {
        {"1:02:03", 3723}, {"75", 75}, {"", 0}, {"2:30", 150}, {"1:x:5", 3605}, {" 1: 2", 62},
    };
    for (const auto &c : parsed) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GolobFun::convertStringToTime(QString::fromLatin1(c.text)), c.seconds);
    }
    // Absurd input gives some number, never an overflow trap.
    GolobFun::convertStringToTime(QStringLiteral("99999999999999999999:99:99:99:99:99:99:99:99:99:99:99"));
}

TEST(GolobFun, YouTubeAddresses)
{
    EXPECT_TRUE(GolobFun::isYouTubeURL(QStringLiteral("https://www.YouTube.com/watch?v=x")));
    EXPECT_TRUE(GolobFun::isYouTubeURL(QStringLiteral("https://youtu.be/x")));
    EXPECT_FALSE(GolobFun::isYouTubeURL(QStringLiteral("https://vimeo.com/1")));
}

TEST(GolobFun, PercentDecodingIsOnePass)
{
    const struct
    {
        const char *in, *out;
    } cases[] = {
        {"a%20b", "a b"},
        {"%3A%3B%2C%27%28%29%2A%21%7E%2B%2F%20%09%3D%3F%26%22", ":;,'()*!~+/ \t=?&\""},
        {"%2520", "%20"},          // an escaped "%" is not decoded again
        {"%252520", "%2520"},
        {"%253A", "%3A"},
        {"%3a", "%3a"},            // upper-case hex only
        {"%41", "%41"},            // not in the list
        {"100%", "100%"},
        {"%2", "%2"},
        {"%", "%"},
        {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(GolobFun::replacePercentString(QString::fromLatin1(c.in)), QString::fromLatin1(c.out));
    }
}

TEST(GolobFun, OsVersionTestsAnswerForACurrentSystem)
{
    EXPECT_TRUE(GolobFun::isOSOfSnowLeopard());
    EXPECT_TRUE(GolobFun::isOSOfLion());
    EXPECT_TRUE(GolobFun::isOSOfMountainLion());
    EXPECT_TRUE(GolobFun::isMavericksOS());
}

namespace {
struct FixedClock : dispatch::Clock
{
    qint64 now = 0;
    qint64 nowMs() const override { return now; }
};
} // namespace

TEST(GolobFun, TimeGetTimeIs64BitMonotonicMilliseconds)
{
    // The real count is the monotonic clock in milliseconds: it falls between two readings of it.
    using namespace std::chrono;
    const auto steadyMs = [] { return quint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()); };
    const quint64 before = steadyMs();
    const quint64 t = GolobFun::timeGetTime();
    const quint64 after = steadyMs();
    EXPECT_LE(before, t);
    EXPECT_LE(t, after);

    // Past 2^32 ms (49.7 days of uptime) the count keeps growing instead of wrapping.
    FixedClock clock;
    clock.now = (qint64(1) << 32) + 5;
    dispatch::Clock::setForTesting(&clock);
    EXPECT_EQ(GolobFun::timeGetTime(), (quint64(1) << 32) + 5);
    clock.now += 800;
    EXPECT_EQ(GolobFun::timeGetTime(), (quint64(1) << 32) + 805);
    dispatch::Clock::setForTesting(nullptr);
}

TEST(GolobFun, WindowTitle)
{
    EXPECT_EQ(GolobFun::windowTitle(), QStringLiteral("iQuenmark Orrisca Studio"));
}

TEST(GolobFun, ConvertHtmlDecodesOnce)
{
    const struct
    {
        const char *in, *out;
    } cases[] = {
        {"", ""},
        {"plain title", "plain title"},
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"&amp;lt;b&amp;gt;", "&lt;b&gt;"},        // what one replacement makes is not decoded again
        {"&lt;i&gt;&quot;x&quot;", "<i>\"x\""},
        {"&#39;quoted&#39;", "'quoted'"},
        {"a; b & c", "a; b & c"},
        {"&unknown; &", "&unknown; &"},
        {"caf&eacute;", "caf\xc3\xa9"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(GolobFun::convertHtml(QString::fromUtf8(c.in)), QString::fromUtf8(c.out));
    }
}
