// The addresses other programs open the application with, and how they reach the running one.
#include "platform/Dispatch.h"
#include "platform/NamedConnection.h"
#include "shell/DesktopEntry.h"
#include "shell/URLEventDecoder.h"
#include "shell/URLHandOff.h"
#include "shell/URLRateLimiter.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

using Kind = URLEventDecoder::Kind;

namespace {

QString pelqa(const QByteArray &text)
{
    return QStringLiteral("pelqa://") + QString::fromLatin1(text.toBase64());
}

class FakeClock : public dispatch::Clock
{
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 1'000'000;
};

} // namespace

TEST(URLEventDecoder, ClassificationOrder)
{
    const struct
    {
        QString text;
        Kind kind;
    } cases[] = {
        {QStringLiteral("jsLog://pelqa://aGVsbG8="), Kind::JsLog},
        {QStringLiteral("pelqa://x jsLog://y"), Kind::JsLog},
        {pelqa("pageUrl=http://a.example.com/v"), Kind::SinglePage},
        {pelqa("RESOLUTION=PLAYLIST-QV-GUES-pageUrl=http://a.example.com/p"), Kind::Playlist},
        {QStringLiteral("http://www.example.com/watch"), Kind::Plain},
        // A request is the whole address, never a piece of another one.
        {QStringLiteral("http://a.example.com/?") + pelqa("pageUrl=http://b.example.com/v"), Kind::Plain},
        {QStringLiteral(" pelqa://") + QString::fromLatin1(QByteArray("pageUrl=http://b.example.com/v").toBase64()), Kind::Plain},
        {QStringLiteral("PELQA://") + QString::fromLatin1(QByteArray("pageUrl=http://b.example.com/v").toBase64()), Kind::SinglePage},
        {QString(), Kind::Empty},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.text));
        EXPECT_EQ(URLEventDecoder::decode(c.text).kind, c.kind);
    }
}

TEST(URLEventDecoder, SinglePageParameters)
{
    const struct
    {
        QByteArray text;
        const char *pageUrl;
        QVariantMap params;
    } cases[] = {
        {"pageUrl=http://v.example.com/a-QV-GUES-resolution=MP3-QV-GUES-title=x", "http://v.example.com/a",
         {{"Contents", 4}}},
        {"resolution=720-QV-GUES-pageUrl=http://v.example.com/b-QV-GUES-cookies=a=1; b=2-QV-GUES-browser=Firefox",
         "http://v.example.com/b",
         {{"Quality", 720}, {"Cookies", "a=1; b=2"}, {"Browser", "Firefox"}}},
        {"pageUrl=http://v.example.com/c-QV-GUES-resolution=1080p", "http://v.example.com/c", {{"Quality", 1080}}},
        {"pageUrl=http://first.example.com-QV-GUES-noequals-QV-GUES-pageUrl=http://later.example.com",
         "http://later.example.com",
         {}},
        {"pageUrl=-QV-GUES-cookies=", "", {{"Cookies", ""}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.constData());
        const URLEventDecoder::Request r = URLEventDecoder::decode(pelqa(c.text));
        EXPECT_EQ(r.kind, Kind::SinglePage);
        EXPECT_EQ(r.pageUrl, QString::fromLatin1(c.pageUrl));
        EXPECT_EQ(r.params.keys(), c.params.keys());
        for (auto it = c.params.cbegin(); it != c.params.cend(); ++it)
            EXPECT_EQ(r.params.value(it.key()).toString(), it.value().toString()) << qPrintable(it.key());
    }
}

TEST(URLEventDecoder, PlaylistItems)
{
    const QByteArray text =
        "title=list-QV-GUES-resolution=playlist-QV-GUES-pageUrl=http://v.example.com/list"
        "-QV-ITEM-title=%20First%20one%0A-QV-GUES-duration=1:02:03-QV-GUES-pageUrl=http://v.example.com/1"
        "-QV-ITEM-title=null-QV-GUES-duration=null-QV-GUES-pageUrl=http://v.example.com/2"
        "-QV-ITEM-title=bad-QV-GUES-duration=5-QV-GUES-pageUrl=javascript:alert(1)"
        "-QV-ITEM-title=short-QV-GUES-pageUrl=http://x";
    const URLEventDecoder::Request r = URLEventDecoder::decode(pelqa(text));
    ASSERT_EQ(r.kind, Kind::Playlist);
    EXPECT_EQ(r.pageUrl, QStringLiteral("http://v.example.com/list"));
    EXPECT_EQ(r.params.value(QStringLiteral("Contents")).toInt(), 16);
    ASSERT_EQ(r.items.size(), 2);
    EXPECT_EQ(r.droppedItems, 2);  // a script address and one too short
    EXPECT_EQ(r.items[0].value(QStringLiteral("Title")).toString(), QStringLiteral("First one"));
    EXPECT_EQ(r.items[0].value(QStringLiteral("Duration")).toLongLong(), 3723);
    EXPECT_EQ(r.items[0].value(QStringLiteral("PageUrl")).toString(), QStringLiteral("http://v.example.com/1"));
    EXPECT_EQ(r.items[1].value(QStringLiteral("Title")).toString(), QString());
    EXPECT_EQ(r.items[1].value(QStringLiteral("title")).toString(), QString());
    EXPECT_EQ(r.items[1].value(QStringLiteral("Duration")).toLongLong(), 0);

    // A header without items is one task for the list's own page.
    const URLEventDecoder::Request header =
        URLEventDecoder::decode(pelqa("resolution=playlist-QV-GUES-pageUrl=http://v.example.com/only"));
    EXPECT_FALSE(header.hasItemMarker);
    EXPECT_TRUE(header.items.isEmpty());
    EXPECT_EQ(header.pageUrl, QStringLiteral("http://v.example.com/only"));
}

TEST(URLEventDecoder, BrokenInputGivesNothing)
{
    // Invalid UTF-8 after decoding: the text is empty, no pairs, no address.
    const URLEventDecoder::Request badUtf8 = URLEventDecoder::decode(pelqa("pageUrl=http://a.example.com/\xff\xfe"));
    EXPECT_TRUE(badUtf8.decoded.isEmpty());
    EXPECT_TRUE(badUtf8.pageUrl.isEmpty());
    // Characters outside the Base64 alphabet are skipped; only garbage decodes to nothing.
    EXPECT_TRUE(URLEventDecoder::decode(QStringLiteral("pelqa://!!!***")).pageUrl.isEmpty());
    const URLEventDecoder::Request spaced = URLEventDecoder::decode(
        QStringLiteral("pelqa://") + QString::fromLatin1(QByteArray("pageUrl=http://a.example.com/v").toBase64()).insert(4, QStringLiteral(" \n")));
    EXPECT_EQ(spaced.pageUrl, QStringLiteral("http://a.example.com/v"));

    // Sizes are bounded: a huge event is cut, and so is a huge play list.
    const QString huge = QStringLiteral("pelqa://") + QString(URLEventDecoder::MaxEventLength * 2, QLatin1Char('Q'));
    const URLEventDecoder::Request cut = URLEventDecoder::decode(huge);
    EXPECT_LE(cut.text.size(), URLEventDecoder::MaxEventLength);
    EXPECT_LE(cut.decoded.size(), URLEventDecoder::MaxEventLength);
    QByteArray list = "resolution=playlist-QV-GUES-pageUrl=http://v.example.com/l";
    for (int i = 0; i < URLEventDecoder::MaxPlaylistItems + 10; ++i)
        list += "-QV-ITEM-pageUrl=http://v.example.com/" + QByteArray::number(i);
    const URLEventDecoder::Request many = URLEventDecoder::decode(pelqa(list));
    EXPECT_EQ(many.items.size(), URLEventDecoder::MaxPlaylistItems);
    EXPECT_EQ(many.droppedItems, 10);
}

TEST(URLEventDecoder, OverlongAddressesAreRefusedOnEveryRoad)
{
    const QByteArray huge = "http://a.example.com/" + QByteArray(4 * 1024 * 1024 - 64, 'a');
    const QByteArray fits = "http://a.example.com/" + QByteArray(URLEventDecoder::MaxAddressLength - 21, 'a');
    const struct
    {
        const char *name;
        QString event;
        QString expected;
    } cases[] = {
        {"plain", QString::fromLatin1(huge), QString()},
        {"single page", pelqa("pageUrl=" + huge + "-QV-GUES-resolution=720"), QString()},
        {"play list head", pelqa("resolution=playlist-QV-GUES-pageUrl=" + huge + "-QV-ITEM-pageUrl=http://v.example.com/1"),
         QString()},
        {"play list without items", pelqa("resolution=playlist-QV-GUES-pageUrl=" + huge), QString()},
        {"plain at the bound", QString::fromLatin1(fits), QString::fromLatin1(fits)},
        {"single page at the bound", pelqa("pageUrl=" + fits), QString::fromLatin1(fits)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(URLEventDecoder::decode(c.event).pageUrl, c.expected);
    }
    const URLEventDecoder::Request items =
        URLEventDecoder::decode(pelqa("resolution=playlist-QV-GUES-pageUrl=http://v.example.com/l-QV-ITEM-pageUrl=" + huge));
    EXPECT_TRUE(items.items.isEmpty());
    EXPECT_EQ(items.droppedItems, 1);
}

TEST(URLEventDecoder, AddressChecks)
{
    const struct
    {
        const char *text;
        const char *expected;  // "" refused
    } cases[] = {
        {"http://www.example.com/watch?v=1", "http://www.example.com/watch?v=1"},
        {"HTTPS://Example.com/a#frag", "HTTPS://Example.com/a#frag"},
        {"www.example.com/x", "http://www.example.com/x"},
        {"http://example.com/a b\nsecond line", "http://example.com/a%20b"},
        {"http://example.com/%E4%BD%A0", "http://example.com/%E4%BD%A0"},
        {"http://example.com/100%", "http://example.com/100%25"},
        {"ftp://example.com/file", ""},
        {"javascript:alert(1)", ""},
        {"http://a", ""},
        {"http://", ""},
        {"example.com/no-scheme", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(URLEventDecoder::formatAddress(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
    EXPECT_TRUE(URLEventDecoder::formatAddress(QStringLiteral("http://example.com/")
                                               + QString(URLEventDecoder::MaxAddressLength, QLatin1Char('a')))
                    .isEmpty());
    EXPECT_EQ(URLEventDecoder::parseURL(QStringLiteral("caf%C3%A9%20bar")), QStringLiteral("café bar"));
    EXPECT_EQ(URLEventDecoder::parseURL(QStringLiteral("caf%E9")), QStringLiteral("café"));
    EXPECT_EQ(URLEventDecoder::parseURL(QStringLiteral("100%zz")), QStringLiteral("100%zz"));
}

TEST(URLEventDecoder, LogTextHidesCookies)
{
    const struct
    {
        const char *decoded;
        const char *logged;
    } cases[] = {
        {"pageUrl=http://a.example.com-QV-GUES-cookies=SID=secret; x=1-QV-GUES-browser=Chrome",
         "pageUrl=http://a.example.com-QV-GUES-cookies=<15 characters>-QV-GUES-browser=Chrome"},
        {"cookies=abc", "cookies=<3 characters>"},
        {"mycookies=abc-QV-GUES-cookies=", "mycookies=abc-QV-GUES-cookies=<0 characters>"},
        {"pageUrl=http://a.example.com", "pageUrl=http://a.example.com"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.decoded);
        EXPECT_EQ(URLEventDecoder::withoutCookies(QString::fromLatin1(c.decoded)), QString::fromLatin1(c.logged));
    }
}

TEST(URLRateLimiter, OnePlainAddressPerSecondOnTheMonotonicClock)
{
    FakeClock clock;
    dispatch::Clock::setForTesting(&clock);
    URLRateLimiter limiter;
    const struct
    {
        qint64 atMs;
        bool accepted;
    } steps[] = {{0, true}, {500, false}, {999, false}, {1000, true}, {1500, false}, {2999, true}, {3000, false}};
    for (const auto &s : steps) {
        SCOPED_TRACE(s.atMs);
        clock.now = 1'000'000 + s.atMs;
        EXPECT_EQ(limiter.tryAccept(), s.accepted);
    }
    dispatch::Clock::setForTesting(nullptr);
}

TEST(URLHandOff, SecondInstanceHandsItsAddressesOver)
{
    URLHandOff first(QStringLiteral("handoff-test"));
    QStringList received;
    ASSERT_TRUE(first.listen([&received](const QString &url) { received.append(url); }));

    URLHandOff second(QStringLiteral("handoff-test"));
    QString error;
    EXPECT_FALSE(second.listen([](const QString &) {}, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(second.sendToRunningInstance({QStringLiteral("pelqa://abc"), QString()}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (QStringList{QStringLiteral("pelqa://abc"), QString()}));

    URLHandOff nobody(QStringLiteral("handoff-nobody"));
    EXPECT_FALSE(nobody.sendToRunningInstance({QStringLiteral("http://example.com/x")}));
}

namespace {

QByteArray socketPath(const QString &name) { return QFile::encodeName(NamedConnection::socketPathForName(name)); }

// A raw connection to the hand-off socket that never says anything (system calls only: it also
// runs in a forked child).
int idleConnection(const QByteArray &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool handOff(const QString &name, const QString &url, QStringList &received)
{
    const qsizetype before = received.size();
    URLHandOff later(name);
    return later.sendToRunningInstance({url})
        && TestEnvironment::waitFor([&] { return received.size() > before && received.last() == url; }, 10000);
}

} // namespace

TEST(URLHandOff, ThousandsOfIdlePeersLeaveHandOffWorking)
{
    URLHandOff first(QStringLiteral("handoff-crowd"));
    QStringList received;
    ASSERT_TRUE(first.listen([&received](const QString &url) { received.append(url); }));

    // 1,100 silent connections from another process, more than a process's descriptors.
    const QByteArray path = socketPath(QStringLiteral("handoff-crowd"));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t crowd = ::fork();
    ASSERT_GE(crowd, 0);
    if (crowd == 0) {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        int made = 0;
        for (int i = 0; i < 1100; ++i)
            made += idleConnection(path) >= 0;
        [[maybe_unused]] const ssize_t sent = ::write(ready[1], &made, sizeof made);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    int made = 0;
    // The listener keeps accepting while the crowd connects.
    ASSERT_TRUE(TestEnvironment::waitFor([&] {
        pollfd p{ready[0], POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && ::read(ready[0], &made, sizeof made) == sizeof made;
    }, 60000));
    ::close(ready[0]);
    EXPECT_GT(made, 100);
    EXPECT_TRUE(handOff(QStringLiteral("handoff-crowd"), QStringLiteral("http://example.com/after-crowd"), received));
    ::kill(crowd, SIGKILL);
    ::waitpid(crowd, nullptr, 0);
    EXPECT_TRUE(first.isListening());
}

TEST(URLHandOff, ListenerComesBackAfterAFailedAcceptAndNoSecondInstanceStarts)
{
    URLHandOff first(QStringLiteral("handoff-emfile"));
    QStringList received;
    ASSERT_TRUE(first.listen([&received](const QString &url) { received.append(url); }));

    // Use up every descriptor, then let a peer knock: the accept fails.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const int peer = idleConnection(socketPath(QStringLiteral("handoff-emfile")));
    ASSERT_GE(peer, 0);
    rlimit tight = saved;
    tight.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 2048);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> fillers;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fillers.push_back(fd);
    const bool stopped = TestEnvironment::waitFor([&] { return !first.isListening(); }, 10000);
    for (int fd : fillers)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ::close(peer);
    ASSERT_TRUE(stopped);

    // While it is down, a second instance must not start beside it.
    URLHandOff second(QStringLiteral("handoff-emfile"));
    QString error;
    EXPECT_FALSE(second.listen([](const QString &) {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("another instance"))) << error.toStdString();

    ASSERT_TRUE(TestEnvironment::waitFor([&] { return first.isListening(); }, 10000));
    EXPECT_TRUE(handOff(QStringLiteral("handoff-emfile"), QStringLiteral("http://example.com/back"), received));
}

TEST(DesktopEntry, RegistersThePelqaScheme)
{
    const struct
    {
        const char *before;
        const char *after;
    } cases[] = {
        {"", "[Default Applications]\nx-scheme-handler/pelqa=FennixPro.desktop\n"},
        {"[Default Applications]\ntext/html=firefox.desktop\n",
         "[Default Applications]\nx-scheme-handler/pelqa=FennixPro.desktop\ntext/html=firefox.desktop\n"},
        {"[Added Associations]\na=b\n[Default Applications]\nx-scheme-handler/pelqa=other.desktop\n[X]\ny=z\n",
         "[Added Associations]\na=b\n[Default Applications]\nx-scheme-handler/pelqa=FennixPro.desktop\n[X]\ny=z\n"},
        {"[Added Associations]\na=b\n", "[Added Associations]\na=b\n\n[Default Applications]\nx-scheme-handler/pelqa=FennixPro.desktop\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.before);
        EXPECT_EQ(DesktopEntry::withSchemeDefault(QString::fromLatin1(c.before)), QString::fromLatin1(c.after));
    }
    EXPECT_TRUE(DesktopEntry::entryText(QStringLiteral("/opt/fx/FennixPro")).contains(QStringLiteral("\nExec=/opt/fx/FennixPro %u\n")));
    EXPECT_TRUE(DesktopEntry::entryText(QStringLiteral("/my apps/$x/FennixPro"))
                    .contains(QStringLiteral("\nExec=\"/my apps/\\\\$x/FennixPro\" %u\n")));
    EXPECT_TRUE(DesktopEntry::entryText(QStringLiteral("/my\\apps/FennixPro"))
                    .contains(QStringLiteral("\nExec=\"/my\\\\\\\\apps/FennixPro\" %u\n")));
    EXPECT_FALSE(DesktopEntry::entryText(QStringLiteral("/a\nExec=evil")).contains(QStringLiteral("\nExec=evil")));

    ASSERT_TRUE(DesktopEntry::install(QStringLiteral("/opt/fx/FennixPro")));
    EXPECT_TRUE(DesktopEntry::entryPath().startsWith(TestEnvironment::home()));
    QFile mime(DesktopEntry::mimeAppsPath());
    ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
    EXPECT_TRUE(mime.readAll().contains("x-scheme-handler/pelqa=FennixPro.desktop"));
    QFile entry(DesktopEntry::entryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("MimeType=x-scheme-handler/pelqa;"));
}
