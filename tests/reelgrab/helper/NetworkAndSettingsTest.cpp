// The helper's shared network thread, its reading of the default browser and its cached
// preferences.
#include "TestHttpServer.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/EngineProbe.h"
#include "reelgrab/QVReelgrabService.h"
#include "reelgrab/SyncHttp.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <future>
#include <thread>

namespace {

// A clip the server names with a Content-Disposition header.
TestHttpServer::Resource namedClip(qsizetype size, const QByteArray &type, const QByteArray &disposition)
{
    TestHttpServer::Resource clip;
    clip.body = QByteArray(size, 'v');
    clip.contentType = type;
    clip.disposition = disposition;
    return clip;
}

} // namespace

TEST(SyncHttp, OneNetworkThreadServesRequestsFromManyThreads)
{
    TestHttpServer server;
    server.add(QStringLiteral("/clip"), namedClip(300000, "video/mp4", "attachment; filename=\"clip one.mp4\""));
    server.add(QStringLiteral("/page"), QByteArray("<html>hello</html>"), "text/html; charset=utf-8");
    SyncHttp::prepare();

    // Started together from pool threads and the caller: each gets its own answer.
    std::vector<std::future<SyncHttp::Response>> answers;
    for (int i = 0; i < 6; ++i)
        answers.push_back(std::async(std::launch::async, [&server, i]() {
            return i % 2 ? SyncHttp::get(server.url(QStringLiteral("/page")), 1000, 10000)
                         : SyncHttp::head(server.url(QStringLiteral("/clip")), 10000);
        }));
    const std::shared_future<SyncHttp::Response> pending = SyncHttp::startHead(server.url(QStringLiteral("/clip")), 10000);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const SyncHttp::Response r = answers[i].get();
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.status, 200);
        if (i % 2) {
            EXPECT_EQ(r.mimeType, QStringLiteral("text/html"));
            EXPECT_EQ(r.body, QByteArray("<html>hello</html>"));
            EXPECT_FALSE(r.truncated);
        } else {
            EXPECT_EQ(r.mimeType, QStringLiteral("video/mp4"));
            EXPECT_EQ(r.contentLength, 300000);
            EXPECT_EQ(r.suggestedFileName, QStringLiteral("clip one.mp4"));
            EXPECT_TRUE(r.body.isEmpty());
        }
    }
    const SyncHttp::Response later = pending.get();
    EXPECT_TRUE(later.ok);
    EXPECT_EQ(later.contentLength, 300000);
}

TEST(SyncHttp, LimitsAndFailuresTable)
{
    TestHttpServer server;
    server.add(QStringLiteral("/big"), QByteArray(200000, 'b'), "application/octet-stream");
    TestHttpServer::Resource slow;
    slow.body = QByteArray(100000, 's');
    slow.bytesPerSecond = 2000;
    server.add(QStringLiteral("/slow"), slow);
    struct Case
    {
        const char *name;
        QString url;
        qint64 maxBytes;
        int timeoutMs;
        bool ok;
        qint64 bodySize;
        bool truncated;
        bool error;
    } cases[] = {
        {"a longer body is cut at the limit", server.url(QStringLiteral("/big")), 1000, 10000, true, 1000, true, true},
        {"a body within the limit is whole", server.url(QStringLiteral("/big")), 300000, 10000, true, 200000, false, false},
        {"a stalled transfer ends at its deadline", server.url(QStringLiteral("/slow")), 1 << 20, 300, false, -1, false, true},
        {"an address without a host", QStringLiteral("http:///x"), 100, 1000, false, 0, false, true},
        {"not an address", QStringLiteral("::nonsense"), 100, 1000, false, 0, false, true},
        {"nobody listening", QStringLiteral("http://127.0.0.1:1/x"), 100, 5000, false, 0, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const SyncHttp::Response r = SyncHttp::get(c.url, c.maxBytes, c.timeoutMs);
        if (c.ok) {
            EXPECT_TRUE(r.ok) << r.error.toStdString();
        }
        if (c.bodySize >= 0) {
            EXPECT_EQ(r.body.size(), c.bodySize);
        }
        EXPECT_EQ(r.truncated, c.truncated);
        EXPECT_EQ(!r.error.isEmpty(), c.error) << r.error.toStdString();
    }
    // The thread goes on serving after all of that.
    EXPECT_TRUE(SyncHttp::head(server.url(QStringLiteral("/big")), 5000).ok);
}

TEST(EngineProbe, AnswersAsTheNetworkThreadDoes)
{
    // The service probes through the engine when it can and through the network thread when
    // not: both roads must read an address the same way.
    struct Case
    {
        const char *name;
        QString url;
        bool firstBytes;
    };
    void *engine = EngineLibrary::open(QStringLiteral(CORVIDASH_LIBRARY));
    ASSERT_NE(engine, nullptr);
    TestHttpServer server;
    server.add(QStringLiteral("/clip"), namedClip(5000, "video/MP4; codecs=avc1", "attachment; filename*=UTF-8''clip%20one.mp4"));
    server.add(QStringLiteral("/media/plain.webm"), QByteArray(3000, 'w'), "application/octet-stream");
    server.add(QStringLiteral("/page"), QByteArray("<html>hello</html>"), "text/html; charset=utf-8");
    const Case cases[] = {
        {"a named clip", server.url(QStringLiteral("/clip")), false},
        {"a name from the address", server.url(QStringLiteral("/media/plain.webm")), false},
        {"a page", server.url(QStringLiteral("/page")), false},
        {"a missing file", server.url(QStringLiteral("/nowhere.mp4")), false},
        {"nobody listening", QStringLiteral("http://127.0.0.1:1/x.mp4"), false},
        {"first bytes", server.url(QStringLiteral("/clip")), true},
        {"first bytes of a page", server.url(QStringLiteral("/page")), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<SyncHttp::Response> mine =
            c.firstBytes ? EngineProbe::firstBytes(engine, c.url, 64, 5000) : EngineProbe::head(engine, c.url, 5000);
        ASSERT_TRUE(mine.has_value());
        const SyncHttp::Response theirs = c.firstBytes ? SyncHttp::firstBytes(c.url, 64, 5000) : SyncHttp::head(c.url, 5000);
        EXPECT_EQ(mine->ok, theirs.ok);
        EXPECT_EQ(mine->status, theirs.status);
        EXPECT_EQ(mine->mimeType, theirs.mimeType);
        EXPECT_EQ(mine->contentLength, theirs.contentLength);
        EXPECT_EQ(mine->suggestedFileName, theirs.suggestedFileName);
        EXPECT_EQ(mine->body, theirs.body);
        EXPECT_EQ(!mine->error.isEmpty(), !theirs.error.isEmpty()) << mine->error.toStdString() << " / " << theirs.error.toStdString();
    }
    // An engine without a probe of its own leaves it to the network thread.
    void *fake = EngineLibrary::open(QStringLiteral(FAKE_CORVIDASH));
    ASSERT_NE(fake, nullptr);
    EXPECT_FALSE(EngineProbe::head(fake, server.url(QStringLiteral("/clip")), 5000).has_value());
}

TEST(QVMediaSniffer, CookieSourceOfADesktopEntry)
{
    const struct
    {
        const char *entry;
        const char *source;
    } cases[] = {
        {"", "safari"},
        {"firefox-esr.desktop", "firefox"},
        {"google-chrome.desktop", "chrome"},
        {"org.chromium.Chromium.desktop", "chrome"},
        {"epiphany.desktop", "safari"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QVMediaSniffer::cookieSource(QString::fromLatin1(c.entry)), QString::fromLatin1(c.source)) << c.entry;
    // The browser that handed the page over wins over the desktop's default.
    EXPECT_EQ(QVMediaSniffer::cookieBrowser(QStringLiteral("firefox")), QStringLiteral("firefox"));
}

TEST(ReelgrabService, PreferencesFollowTheFile)
{
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/prefs-XXXXXX"));
    const auto plist = [](const QString &ffmpeg) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                              "<key>download-ffmpeg</key><string>%1</string></dict></plist>\n")
            .arg(ffmpeg)
            .toUtf8();
    };
    const QString path = dir.filePath(QStringLiteral("preferences.plist"));
    QVReelgrabService service(TestEnvironment::home() + QStringLiteral("/no-such-lib.so"), QString());
    const auto ffmpeg = [&]() { return service.preferences().value(QStringLiteral("download-ffmpeg")).toString(); };

    EXPECT_TRUE(service.preferences().isEmpty()) << "no path yet";
    service.setPreferencesFilePath(path);
    EXPECT_TRUE(service.preferences().isEmpty()) << "no file yet";

    ASSERT_TRUE(TestEnvironment::writeFile(path, plist(QStringLiteral("/a"))));
    EXPECT_EQ(ffmpeg(), QStringLiteral("/a"));
    // Rewritten in place with the same length: still seen.
    ASSERT_TRUE(TestEnvironment::writeFile(path, plist(QStringLiteral("/b"))));
    EXPECT_EQ(ffmpeg(), QStringLiteral("/b"));
    // Replaced atomically, as the client writes it.
    {
        QSaveFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(plist(QStringLiteral("/usr/bin/c")));
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(ffmpeg(), QStringLiteral("/usr/bin/c"));
    // Another file.
    const QString other = dir.filePath(QStringLiteral("other.plist"));
    ASSERT_TRUE(TestEnvironment::writeFile(other, plist(QStringLiteral("/d"))));
    service.setPreferencesFilePath(other);
    EXPECT_EQ(ffmpeg(), QStringLiteral("/d"));
    // Damaged or gone: nothing, and no stale values.
    ASSERT_TRUE(TestEnvironment::writeFile(other, "<plist><dict><key>download-ffmpeg</key><str"));
    EXPECT_TRUE(ffmpeg().isEmpty());
    QFile::remove(other);
    EXPECT_TRUE(service.preferences().isEmpty());
    ASSERT_TRUE(TestEnvironment::writeFile(other, plist(QStringLiteral("/e"))));
    EXPECT_EQ(ffmpeg(), QStringLiteral("/e"));
    // A file last written long ago, read twice, then written again with the same length.
    {
        QFile f(other);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(ffmpeg(), QStringLiteral("/e"));
    EXPECT_EQ(ffmpeg(), QStringLiteral("/e"));
    ASSERT_TRUE(TestEnvironment::writeFile(other, plist(QStringLiteral("/f"))));
    EXPECT_EQ(ffmpeg(), QStringLiteral("/f"));
}
