#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVReelgrabAdjuster.h"

#include <gtest/gtest.h>

TEST(QVReelgrabAdjuster, PageUrl)
{
    const struct
    {
        const char *in;
        const char *out;
    } cases[] = {
        {"https://vimeo.com/123", "https://vimeo.com/123?autoplay=1"},
        {"https://vimeo.com/123?x=1", "https://vimeo.com/123?x=1?autoplay=1"}, // appended as it stands
        {"https://my.mail.ru/mail/u/video/1.html", "https://my.mail.ru/mail/u/video/1.html?autoplay=1"},
        {"https://youtu.be/dQw4w9WgXcQ", "https://www.youtube.com/watch?v=dQw4w9WgXcQ"},
        {"https://youtu.be/dQw4w9WgXcQ?t=10", "https://www.youtube.com/watch?v=dQw4w9WgXcQ&t=10"},
        {"https://www.youtu.be/dQw4w9WgXcQ", "https://www.youtu.be/dQw4w9WgXcQ"}, // host must match exactly
        {"http://127.0.0.1/a b", "http://127.0.0.1/a%20b"},
        {"http://127.0.0.1/a%20b", "http://127.0.0.1/a%20b"}, // never "%2520"
        {"http://127.0.0.1/p#frag", "http://127.0.0.1/p#frag"},
        {"not a url vimeo.com", "not%20a%20url%20vimeo.com?autoplay=1"},
        {"http://[broken vimeo.com", "http://[broken%20vimeo.com?autoplay=1"},
        {"", ""},
    };
    for (const auto &c : cases) {
        const QString once = QVReelgrabAdjuster::adjustPageUrl(QString::fromUtf8(c.in));
        EXPECT_EQ(once, QString::fromUtf8(c.out)) << c.in;
    }
    // Escaping an address that is already escaped changes nothing.
    const QString escaped = QStringLiteral("http://127.0.0.1/%E4%B8%AD?q=%20x");
    EXPECT_EQ(QVReelgrabAdjuster::adjustPageUrl(escaped), escaped);
    EXPECT_EQ(QVReelgrabAdjuster::adjustPageUrl(QVReelgrabAdjuster::adjustPageUrl(QStringLiteral("http://h/\u4e2d x"))),
              QStringLiteral("http://h/%E4%B8%AD%20x"));
}

TEST(QVReelgrabAdjuster, Cookies)
{
    QVReelgrabAdjuster::setCookieStore(nullptr);
    const struct
    {
        const char *cookies; // nullptr: none given
        const char *page;
        const char *out;
    } cases[] = {
        {nullptr, "https://www.dailymotion.com/video/x", "family_filter=off;"},
        {"a=1", "https://www.dailymotion.com/video/x", "a=1family_filter=off;"},
        {"a=1", "https://WWW.DAILYMOTION.COM/video/x", "a=1family_filter=off;"},
        {"a=1", "https://www.pornhub.com/view", ""},
        {"a=1", "https://127.0.0.1/x", "a=1"},
        {nullptr, "https://127.0.0.1/x", ""},
        {"a=1", "http://[bad", "a=1"}, // page not a URL: unchanged
    };
    for (const auto &c : cases) {
        const QString out = QVReelgrabAdjuster::adjustCookies(c.cookies ? QString::fromLatin1(c.cookies) : QString(),
                                                              QString::fromLatin1(c.page));
        EXPECT_EQ(out, QString::fromLatin1(c.out)) << c.page;
        EXPECT_FALSE(out.isNull());
    }

    // Empty cookies come from the store, for the page's URL.
    QUrl asked;
    QVReelgrabAdjuster::setCookieStore([&asked](const QUrl &url) {
        asked = url;
        return QStringLiteral("sid=9; ");
    });
    EXPECT_EQ(QVReelgrabAdjuster::adjustCookies(QString(), QStringLiteral("https://www.dailymotion.com/v")),
              QStringLiteral("sid=9; family_filter=off;"));
    EXPECT_EQ(asked, QUrl(QStringLiteral("https://www.dailymotion.com/v")));
    EXPECT_EQ(QVReelgrabAdjuster::adjustCookies(QStringLiteral("own=1"), QStringLiteral("https://127.0.0.1/")),
              QStringLiteral("own=1"));
    QVReelgrabAdjuster::setCookieStore(nullptr);
}

TEST(QVReelgrabAdjuster, PlainCookiesAreScopedToThePageHost)
{
    const QString jar = QStringLiteral(".example.com\tTRUE\t/\tTRUE\t4000000000\ta\t1\n");
    const struct
    {
        const char *name;
        QString cookies, pageUrl, expected;
    } cases[] = {
        {"plain pairs", QStringLiteral("sid=1; two = 2;junk; =x"), QStringLiteral("http://Page.Example/p"),
         QStringLiteral("page.example\tFALSE\t/\tFALSE\t0\tsid\t1\npage.example\tFALSE\t/\tFALSE\t0\ttwo\t2\n")},
        {"jar lines kept", jar, QStringLiteral("http://other.example/"), jar},
        {"jar then an appended plain pair", jar + QStringLiteral("family_filter=off;"), QStringLiteral("https://127.0.0.1/v"),
         jar + QStringLiteral("127.0.0.1\tFALSE\t/\tFALSE\t0\tfamily_filter\toff\n")},
        {"no page host: plain text goes nowhere", QStringLiteral("sid=1"), QStringLiteral("not a url"), QString()},
        {"a Domain above the page's host reaches its sub-domains",
         QStringLiteral("sid=1; Domain=.Example.com; Path=/v; Secure; HttpOnly"), QStringLiteral("http://www.example.com/p"),
         QStringLiteral(".example.com\tTRUE\t/v\tTRUE\t0\tsid\t1\n")},
        {"the page's own host as Domain", QStringLiteral("sid=1; domain=www.example.com"),
         QStringLiteral("http://www.example.com/p"), QStringLiteral(".www.example.com\tTRUE\t/\tFALSE\t0\tsid\t1\n")},
        {"another host's Domain is ignored", QStringLiteral("sid=1; Domain=other.test"), QStringLiteral("http://www.example.com/"),
         QStringLiteral("www.example.com\tFALSE\t/\tFALSE\t0\tsid\t1\n")},
        {"a Domain that only ends alike is another host", QStringLiteral("sid=1; Domain=ample.com"),
         QStringLiteral("http://www.example.com/"), QStringLiteral("www.example.com\tFALSE\t/\tFALSE\t0\tsid\t1\n")},
        {"a bare top-level Domain is refused", QStringLiteral("sid=1; Domain=com"), QStringLiteral("http://www.example.com/"),
         QStringLiteral("www.example.com\tFALSE\t/\tFALSE\t0\tsid\t1\n")},
        {"empty", QString(), QStringLiteral("http://a/"), QString()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QVReelgrabAdjuster::scopeCookies(c.cookies, c.pageUrl), c.expected) << c.name;
}

TEST(QVReelgrabAdjuster, UserAgent)
{
    const QString fallback = QString::fromLatin1(QVReelgrabAdjuster::DefaultUserAgent);
    EXPECT_EQ(QVReelgrabAdjuster::adjustUserAgent(QString(), QStringLiteral("http://x")), fallback);
    EXPECT_EQ(QVReelgrabAdjuster::adjustUserAgent(QStringLiteral(""), QString()), fallback);
    EXPECT_EQ(QVReelgrabAdjuster::adjustUserAgent(QStringLiteral("Mine/1"), QStringLiteral("http://x")),
              QStringLiteral("Mine/1"));
    EXPECT_TRUE(fallback.contains(QStringLiteral("Version/6.0.2 Safari/536.26.17")));
}

TEST(QVReelgrabAdjuster, FormatPriority)
{
    using namespace MediaFormatCode;
    const struct
    {
        const char *code;
        int priority;
    } cases[] = {{"mp4 ", 9}, {"mp4v", 8}, {"flv ", 7}, {"3gp ", 6}, {"webm", 5}, {"ts  ", 4},
                 {"mp3 ", 3}, {"mp4a", 2}, {"nil ", 1}, {"rev5", 1}, {"MP4 ", 1}};
    for (const auto &c : cases)
        EXPECT_EQ(QVReelgrabAdjuster::mediaFormatPriority(fromString(QString::fromLatin1(c.code))), c.priority) << c.code;
}
