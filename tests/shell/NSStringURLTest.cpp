#include "shell/NSStringURL.h"

#include <gtest/gtest.h>

using namespace NSStringURL;

TEST(NSStringURL, IsValidURL)
{
    const struct
    {
        const char *text;
        bool valid;
    } cases[] = {
        {"www.example.com", true},
        {"www.example.COM", false},       // suffixes compare exactly
        {"www.example.com/watch", false}, // the last part carries a path
        {"HTTP://EXAMPLE", true},         // schemes compare in lower case
        {"  https://x  ", true},
        {"ftp://a", true},
        {"example.co", false},
        {"index.php", true},
        {"com", false},
        {"", false},
        {"javascript:alert(1)", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(isValidURL(QString::fromUtf8(c.text)), c.valid);
    }
}

TEST(NSStringURL, HttpUrlAndPrefixes)
{
    const struct
    {
        const char *in, *httpUrl, *noPrefix, *title, *domain;
    } cases[] = {
        {"example.com", "http://example.com/", "example.com", "example", "example.com"},
        {"https://www.example.com", "https://www.example.com/", "www.example.com", "example", "https://www.example.com"},
        {"http://a.b.c/x/y", "http://a.b.c/x/y/", "a.b.c/x/y", "b", "http://a.b.c"},
        {"localhost", "http://localhost/", "localhost", "localhost", "localhost"},
        {"HTTP://Site.Org/Path", "HTTP://Site.Org/Path/", "HTTP://Site.Org/Path", "HTTP://Site", "http://Site.Org"},
        {"WWW.Site.org/Path", "http://WWW.Site.org/Path/", "WWW.Site.org/Path", "Site", "www.site.org"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        const QString in = QString::fromUtf8(c.in);
        EXPECT_EQ(httpURL(in), QString::fromUtf8(c.httpUrl));
        EXPECT_EQ(removeHttpPrefix(in), QString::fromUtf8(c.noPrefix));
        EXPECT_EQ(urlTitle(in), QString::fromUtf8(c.title));
        EXPECT_EQ(urlDomain(in), QString::fromUtf8(c.domain));
    }
}

TEST(NSStringURL, IsFirstDomainAndCompare)
{
    EXPECT_TRUE(isFirstDomain(QStringLiteral("http://example.com/")));
    EXPECT_TRUE(isFirstDomain(QStringLiteral("http://example.com")));
    EXPECT_TRUE(isFirstDomain(QStringLiteral("http://example.com/abcde")));
    EXPECT_FALSE(isFirstDomain(QStringLiteral("http://example.com/abcdef")));
    EXPECT_FALSE(isFirstDomain(QStringLiteral("http://example.com/a/")));

    EXPECT_TRUE(urlCompare(QStringLiteral("Example.com"), QStringLiteral("http://example.com/")));
    EXPECT_TRUE(urlCompare(QStringLiteral("https://example.com"), QStringLiteral("example.com")));
    EXPECT_FALSE(urlCompare(QStringLiteral("example.com"), QString()));
    EXPECT_FALSE(urlCompare(QStringLiteral("example.com"), QStringLiteral("example.org")));
}

TEST(NSStringURL, Escaping)
{
    EXPECT_EQ(encodeURI(QStringLiteral("a b!*'();:@&=+$,/?%#[]~-._")),
              QStringLiteral("a%20b%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D~-._"));
    EXPECT_EQ(encodeURI(QStringLiteral("é")), QStringLiteral("%C3%A9"));
    EXPECT_EQ(decodeURL(QStringLiteral("a+b%20c%C3%A9")), QStringLiteral("a b cé"));
    EXPECT_EQ(decodeURL(encodeURI(QStringLiteral("x+y z/é"))), QStringLiteral("x+y z/é"));
    // Address characters keep their meaning; blanks, "%" and non-ASCII are escaped.
    EXPECT_EQ(UTF8URL(QStringLiteral("http://h/p a?q=é&r=1#frag")),
              QStringLiteral("http://h/p%20a?q=%C3%A9&r=1#frag"));
    EXPECT_EQ(trimURL(QStringLiteral(" http://a .com/ x ")), QStringLiteral("http://a.com/x"));
}
