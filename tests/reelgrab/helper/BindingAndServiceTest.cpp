// The engine binding's event table and the service's retry rules, against the fake engine.
#include "engine/Corvidash.h"
#include "platform/AppPaths.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVReelgrabService.h"
#include "reelgrab/QVReelgraber.h"
#include "reelgrab/RGKMessage.h"
#include "reelgrab/ReelgrabMain.h"
#include "support/TestEnvironment.h"

#include "LoopbackServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <limits>

namespace {

struct Fake
{
    void *handle = EngineLibrary::open(QStringLiteral(FAKE_CORVIDASH));
    void reset() { EngineLibrary::symbol<void (*)()>(handle, "FakeCorvidashReset")(); }
    void push(const char *run) { EngineLibrary::symbol<void (*)(const char *)>(handle, "FakeCorvidashPushRun")(run); }
    int starts() { return EngineLibrary::symbol<int (*)()>(handle, "FakeCorvidashStarts")(); }
    int creates() { return EngineLibrary::symbol<int (*)()>(handle, "FakeCorvidashCreates")(); }
    QString log() { return QString::fromUtf8(EngineLibrary::symbol<const char *(*)()>(handle, "FakeCorvidashLog")()); }
};

struct Recorder : QVReelgraberDelegate
{
    QStringList calls;
    qint64 lastSpeed = -1, lastDone = -1, lastTotal = -1;
    QVReelgrabError error;
    void downloadDidStarted(QVReelgraber *) override { calls << QStringLiteral("started"); }
    void downloadDidProcessing(QVReelgraber *, qint64 s, qint64 d, qint64 t) override
    {
        calls << QStringLiteral("progress");
        lastSpeed = s, lastDone = d, lastTotal = t;
    }
    void downloadDidCompleted(QVReelgraber *) override { calls << QStringLiteral("completed"); }
    void downloadDidFailed(QVReelgraber *, const QVReelgrabError &e) override
    {
        calls << QStringLiteral("failed");
        error = e;
    }
    void downloadWillPause(QVReelgraber *) override { calls << QStringLiteral("willpause"); }
    void downloadDidPaused(QVReelgraber *) override { calls << QStringLiteral("paused"); }
};

TEST(ReelgrabBinding, EngineEventsBecomeDelegateCallsOnTheMainThread)
{
    Fake fake;
    ASSERT_NE(fake.handle, nullptr);
    struct Case
    {
        CorvidashEvent event;
        const char *call; // nullptr: nothing happens
        qint64 code;
        qint64 downloadedBytes;
    } cases[] = {
        {{CORVIDASH_EVENT_STARTED, 0, 0, 0}, "started", 0, 0},
        {{CORVIDASH_EVENT_PROGRESS, 700, 10, 100}, "progress", 0, 10},
        // An open total is dropped.
        {{CORVIDASH_EVENT_PROGRESS, 700, 10, std::numeric_limits<int64_t>::min()}, nullptr, 0, 0},
        {{CORVIDASH_EVENT_FINISHED, 0, 500, 400}, "completed", 0, 500},
        {{CORVIDASH_EVENT_FINISHED, 0, 0, 0}, "completed", 0, 0},
        {{CORVIDASH_EVENT_FINISHED, 28, 5, 9}, "failed", 28, 0},
        {{CORVIDASH_EVENT_ERROR, 7, 0, 0}, "failed", 7, 0},
        {{4, 0, 0, 0}, "failed", 1, 0},
        {{99, 0, 0, 0}, "failed", 1, 0},
    };
    for (const Case &c : cases) {
        QVReelgraber binding(fake.handle);
        Recorder rec;
        binding.setDelegate(&rec);
        ReelgrabCallback(&c.event, &binding);
        EXPECT_TRUE(rec.calls.isEmpty()) << "events must wait for the main thread";
        if (c.call)
            TestEnvironment::waitFor([&] { return !rec.calls.isEmpty(); }, 5000);
        else
            ASSERT_TRUE(TestEnvironment::drainPostedEvents());
        SCOPED_TRACE(c.event.type);
        if (!c.call) {
            EXPECT_TRUE(rec.calls.isEmpty());
            continue;
        }
        ASSERT_EQ(rec.calls, QStringList{QString::fromLatin1(c.call)});
        EXPECT_EQ(binding.downloadedBytes(), c.downloadedBytes);
        if (QString::fromLatin1(c.call) == QLatin1String("failed")) {
            EXPECT_EQ(rec.error.domain(), QLatin1String(QVReelgrabError::Domain));
            EXPECT_EQ(rec.error.code(), c.code);
        }
    }
}

TEST(ReelgrabBinding, SpeedIsUnsignedAndEmptyAddressIsNotPassedOn)
{
    Fake fake;
    fake.reset();
    QVReelgraber binding(fake.handle);
    Recorder rec;
    binding.setDelegate(&rec);
    CorvidashEvent e{CORVIDASH_EVENT_PROGRESS, -1, 5, 10};
    ReelgrabCallback(&e, &binding);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !rec.calls.isEmpty(); }));
    EXPECT_EQ(rec.lastSpeed, 4294967295LL);
    binding.setDownloadUrl(QStringLiteral("http://a/x.mp4"));
    binding.setDownloadUrl(QString());
    binding.setSavePath(QString());
    EXPECT_EQ(fake.log(), QStringLiteral("url http://a/x.mp4\n"));
}

TEST(ReelgrabBinding, NoEventAfterPause)
{
    Fake fake;
    fake.reset();
    fake.push("start;block");
    QVReelgraber binding(fake.handle);
    Recorder rec;
    binding.setDelegate(&rec);
    binding.setSavePath(TestEnvironment::home() + QStringLiteral("/p.bin"));
    ASSERT_TRUE(binding.download(false, true));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec.calls.contains(QStringLiteral("started")); }));
    // An event already on its way when the pause comes is dropped.
    CorvidashEvent late{CORVIDASH_EVENT_PROGRESS, 1, 2, 3};
    ReelgrabCallback(&late, &binding);
    binding.pause();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return rec.calls.contains(QStringLiteral("paused")); }));
    EXPECT_EQ(rec.calls, (QStringList{QStringLiteral("started"), QStringLiteral("willpause"), QStringLiteral("paused")}));
}

TEST(ReelgrabBinding, MissingLibraryMakesNothingRun)
{
    QVReelgraber binding(nullptr);
    EXPECT_FALSE(binding.isUsable());
    EXPECT_FALSE(binding.download(false, true));
}

TEST(ReelgrabBinding, OnlyAnEngineOfTheSameApiVersionIsTaken)
{
    struct Case
    {
        const char *library;
        bool opens;
        QString reason;
    };
    const QString needs = QString::number(CORVIDASH_API_VERSION);
    const Case cases[] = {
        {FAKE_CORVIDASH, true, QString()},
        {FAKE_CORVIDASH_NEXT, false,
         QStringLiteral("has engine API version %1, this program needs version %2")
             .arg(CORVIDASH_API_VERSION + 1)
             .arg(needs)},
        {FAKE_CORVIDASH_UNVERSIONED, false,
         QStringLiteral("is no engine library of API version %1 (it has no CorvidashApiVersion)").arg(needs)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.library);
        QString error;
        void *handle = EngineLibrary::open(QString::fromUtf8(c.library), &error);
        EXPECT_EQ(handle != nullptr, c.opens);
        if (c.opens) {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        } else {
            EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.library))) << error.toStdString();
            EXPECT_TRUE(error.endsWith(c.reason)) << error.toStdString();
        }
        EngineLibrary::close(handle);
    }
    // The background road reports the same refusal.
    const EngineLibrary::Load load = EngineLibrary::openInBackground(QStringLiteral(FAKE_CORVIDASH_NEXT)).get();
    EXPECT_EQ(load.handle, nullptr);
    EXPECT_TRUE(load.error.contains(QStringLiteral("engine API version"))) << load.error.toStdString();
}

TEST(ReelgrabBinding, AnEarlyLoadIsTakenOnceAndOnlyForItsOwnPath)
{
    // The early load of a path without a library fails. An open of another path does not get
    // it; the first open of that path does; once a library is there, the next open loads afresh.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("libCorvidash.so"));
    EngineLibrary::startEarly(path);
    const QString otherPath = dir.filePath(QStringLiteral("other.so"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_CORVIDASH), otherPath));
    const EngineLibrary::Load other = EngineLibrary::openInBackground(otherPath).get();
    EXPECT_NE(other.handle, nullptr) << other.error.toStdString();

    const EngineLibrary::Load early = EngineLibrary::openInBackground(path).get();
    EXPECT_EQ(early.handle, nullptr);
    EXPECT_TRUE(early.error.contains(QStringLiteral("libCorvidash.so"))) << early.error.toStdString();
    ASSERT_TRUE(QFile::copy(QStringLiteral(FAKE_CORVIDASH), path));
    const EngineLibrary::Load fresh = EngineLibrary::openInBackground(path).get();
    EXPECT_NE(fresh.handle, nullptr) << fresh.error.toStdString();
    EXPECT_TRUE(fresh.error.isEmpty());
}

// --- service ---

struct Outbox : QVRemoteMessageTarget
{
    QStringList names;
    QList<QByteArray> objects;
    void sendMessage(const QString &name, const QByteArray &object) override
    {
        names << name;
        objects << object;
    }
    bool ended() const
    {
        return names.contains(QLatin1String(RGKMessage::DownloadFinished))
            || names.contains(QLatin1String(RGKMessage::DownloadFailed));
    }
    QVReelgrabError lastError() const
    {
        const qsizetype i = names.lastIndexOf(QLatin1String(RGKMessage::DownloadFailed));
        return i < 0 ? QVReelgrabError() : RGKMessage::errorFromArchive(objects[i]);
    }
};

QVSniffingMediaSegment segment(const QString &url, const char *format)
{
    QVSniffingMediaSegment s;
    s.setUrl(url);
    s.setMediaFormat(MediaFormatCode::fromString(QString::fromLatin1(format)));
    return s;
}

QString writePrefs(const QString &folder, bool speedup, const QString &ffmpeg)
{
    const QString path = folder + QStringLiteral("/prefs.plist");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                           "<key>download-speedup</key><%1/><key>download-ffmpeg</key><string>%2</string>"
                           "</dict></plist>\n")
                .arg(speedup ? QStringLiteral("true") : QStringLiteral("false"), ffmpeg)
                .toUtf8());
    return path;
}

// A stand-in for ffmpeg that always exits 0 and writes 10 bytes: output the final check refuses.
QString shortOutputTool(const QString &folder)
{
    const QString path = folder + QStringLiteral("/ffmpeg-short");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\nfor a; do out=\"$a\"; done\nprintf 0123456789 > \"$out\"\nexit 0\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

TEST(ReelgrabService, RetryTable)
{
    Fake fake;
    struct Case
    {
        const char *name;
        QStringList runs;
        bool youtubeTurbo;
        int segments;
        bool expectFinished;
        qint64 expectCode;
        int expectStarts;
        QStringList expectFlags; // "resume turbo" of each start
    };
    // One case a row or two, as written.
    // clang-format off
    const Case cases[] = {
        {"three attempts, then failure", {"start;error 28", "start;error 28", "start;error 28"}, false, 1, false, 28, 3,
         {"1 0", "1 0", "1 0"}},
        {"progress past 1024 bytes restores the count",
         {"start;error 7", "start;error 7", "start;progress 2000 5000 10;error 7", "start;error 7", "start;finish 4096"},
         false, 1, true, 0, 5, {}},
        {"progress below 1024 bytes does not", {"start;error 7", "start;progress 1000 5000 1;error 7", "start;error 7"},
         false, 1, false, 7, 3, {}},
        // A server that breaks off at the same place each time makes no progress: the count is
        // not restored, so it is not asked for ever.
        {"breaking off at the same place is no progress",
         {"start;progress 900000 1073741824 10;error 18", "start;progress 900000 1073741824 10;error 18",
          "start;progress 900000 1073741824 10;error 18", "start;finish 4096"},
         false, 1, false, 18, 3, {}},
        // A server that sends a little and then stalls, each time: its progress does not buy it
        // more attempts.
        {"trickling progress does not restore the count of time-outs",
         {"start;progress 2000 100000000 10;error 28", "start;progress 4000 100000000 10;error 28",
          "start;progress 6000 100000000 10;error 28", "start;finish 4096"},
         false, 1, false, 28, 3, {}},
        {"a full disk is not retried", {"start;progress 5000 90000 10;error 26", "start;finish 4096"}, false, 1, false, 26, 1, {}},
        {"missing media is not retried", {"start;error 3", "start;finish 4096"}, false, 1, false, 3, 1, {}},
        {"turbo gets a final series without turbo",
         {"start;error 56", "start;error 56", "start;error 56", "start;error 56", "start;error 56", "start;error 56"},
         true, 1, false, 56, 6, {"1 1", "1 1", "1 1", "0 0", "0 0", "0 0"}},
        // An engine code 4 is an engine failure like any other: retried, and nothing deleted.
        {"engine code 4 is an ordinary failure", {"start;error 4", "start;error 4", "start;error 4", "start;error 4", "start;error 4", "start;error 4"}, true, 2, false, 4, 6,
         {}},
        // Post-processing output that is too small: a turbo task is downloaded once more from
        // scratch in single-connection mode, then fails with code 4.
        {"invalid post-processing output", {"start;finish 2000", "start;finish 2000", "start;finish 2000", "start;finish 2000"},
         true, 2, false, 4, 4, {"1 1", "1 1", "0 0", "0 0"}},
        {"invalid output without turbo fails at once", {"start;finish 2000", "start;finish 2000"}, false, 2, false, 4, 2, {}},
    };
    // clang-format on
    // Short waits between attempts, still long enough to see that they are kept.
    qputenv("REELGRAB_RETRY_DELAY_MS", "40");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fake.reset();
        for (const QString &r : c.runs)
            fake.push(r.toUtf8().constData());
        QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/retry-XXXXXX"));
        const QString userFolder = dir.path() + QStringLiteral("/Videos");
        QDir().mkpath(userFolder);
        const QString sentinel = userFolder + QStringLiteral("/keep-me.mp4");
        QFile(sentinel).open(QIODevice::WriteOnly);

        QVReelgrabService service(QStringLiteral(FAKE_CORVIDASH), QStringLiteral("retry"));
        Outbox out;
        service.setDelegate(&out);
        service.setPreferencesFilePath(writePrefs(dir.path(), c.youtubeTurbo, shortOutputTool(dir.path())));
        auto task = std::make_unique<QVReelgrabTask>();
        task->setPageUrl(c.youtubeTurbo ? QStringLiteral("https://www.youtube.com/watch?v=abc")
                                        : QStringLiteral("http://127.0.0.1:9/page"));
        task->setTargetFilePath(userFolder);
        task->setMediaTitle(QStringLiteral("clip"));
        task->setMediaExtName(QStringLiteral("mp4"));
        QList<QVSniffingMediaSegment> segs{segment(QStringLiteral("http://127.0.0.1:9/v.mp4"), "mp4 ")};
        if (c.segments == 2)
            segs << segment(QStringLiteral("http://127.0.0.1:9/v2.mp4"), "mp4 ");
        task->setSegments(segs);
        QElapsedTimer clock;
        clock.start();
        service.sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task->archivedData());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.ended(); }, 20000)) << out.names.join(u',').toStdString();
        // Back-off: 40 ms before the second attempt, 80 ms before the third (a series of
        // engine failures; the switch to one connection after bad output is not a failure).
        if (c.expectStarts >= 3 && c.segments == 1) {
            EXPECT_GE(clock.elapsed(), 120);
        }
        EXPECT_EQ(out.names.contains(QLatin1String(RGKMessage::DownloadFinished)), c.expectFinished);
        if (!c.expectFinished) {
            EXPECT_EQ(out.lastError().code(), c.expectCode);
        }
        EXPECT_EQ(fake.starts(), c.expectStarts);
        if (!c.expectFlags.isEmpty()) {
            QStringList flags;
            for (const QString &line : fake.log().split(u'\n'))
                if (line.startsWith(QLatin1String("start ")))
                    flags << line.mid(6).replace(QStringLiteral("resume="), QString()).replace(QStringLiteral("turbo="), QString());
            EXPECT_EQ(flags, c.expectFlags);
        }
        EXPECT_TRUE(QFileInfo::exists(sentinel)) << "the user's folder must survive";
    }
    qunsetenv("REELGRAB_RETRY_DELAY_MS");
}

// Cookies handed over with a page (by the extension or an address) reach the page's host, and
// never another host, also not one a redirect leads to.
TEST(ReelgrabService, HandedOverCookiesReachThePageHostOnly)
{
    LoopbackServer home; // 127.0.0.1
    LoopbackServer other("127.0.0.2");
    LoopbackServer::Resource clip;
    clip.body = std::string(5000, 'v');
    clip.contentType = "video/mp4";
    home.add("/clip.mp4", clip);
    other.add("/clip.mp4", clip);
    LoopbackServer::Resource hop;
    hop.status = 302;
    hop.location = other.url("/clip.mp4");
    home.add("/hop.mp4", hop);

    const struct
    {
        const char *name;
        std::string path;
        bool leavesHome;
    } cases[] = {
        {"the page's own host", "/clip.mp4", false},
        {"a redirect to another host", "/hop.mp4", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/cookies-XXXXXX"));
        QVReelgrabService service(QStringLiteral(CORVIDASH_LIBRARY), QStringLiteral("cookies"));
        Outbox out;
        service.setDelegate(&out);
        QVReelgrabTask task;
        task.setPageUrl(QString::fromStdString(home.url(c.path)));
        task.setCookies(QStringLiteral("sid=1; two=2"));
        task.setTargetFilePath(dir.path());
        service.sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task.archivedData());
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.ended(); }, 20000)) << out.names.join(u',').toStdString();
        bool sentHome = false;
        for (const std::string &header : home.cookieHeaders(c.path))
            sentHome = sentHome || (header.find("sid=1") != std::string::npos && header.find("two=2") != std::string::npos);
        EXPECT_TRUE(sentHome) << "the page's host gets the page's cookies";
        const auto away = other.cookieHeaders("/clip.mp4");
        EXPECT_EQ(away.empty(), !c.leavesHome);
        for (const std::string &header : away)
            EXPECT_EQ(header, "") << "another host gets none";
    }
}

TEST(ReelgrabService, WithoutEngineTheTaskFailsClearly)
{
    Outbox out;
    QVReelgrabService service(TestEnvironment::home() + QStringLiteral("/no-such-lib.so"), QString());
    EXPECT_FALSE(service.isLibraryLoaded());
    service.setDelegate(&out);
    QVReelgrabTask task;
    task.setPageUrl(QStringLiteral("http://127.0.0.1:9/"));
    service.sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task.archivedData());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.ended(); }, 2000));
    EXPECT_EQ(out.lastError().code(), 1002);
    EXPECT_TRUE(out.lastError().localizedDescription().contains(QStringLiteral("no-such-lib.so")));
}

TEST(ReelgrabService, AWaitingServiceHasItsEngineReadyBeforeATaskArrives)
{
    // A spare helper takes its task with one message: the engine object is made as soon as the
    // library has opened, with nothing asked of the service.
    Fake fake;
    const int before = fake.creates();
    const int startsBefore = fake.starts();
    QVReelgrabService service(QStringLiteral(FAKE_CORVIDASH), QStringLiteral("waiting"));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return fake.creates() > before; }));
    EXPECT_EQ(service.downloadTask(), nullptr);
    EXPECT_EQ(fake.starts(), startsBefore);
}

TEST(ReelgrabService, CommandsOutOfTheirStateAreIgnored)
{
    Fake fake;
    fake.reset();
    fake.push("start;block");
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/pause-XXXXXX"));
    QVReelgrabService service(QStringLiteral(FAKE_CORVIDASH), QString());
    Outbox out;
    service.setDelegate(&out);
    auto task = std::make_unique<QVReelgrabTask>();
    task->setPageUrl(QStringLiteral("http://127.0.0.1:9/page"));
    task->setTargetFilePath(dir.path());
    task->setMediaTitle(QStringLiteral("clip"));
    task->setMediaExtName(QStringLiteral("mp4"));
    task->setSegments({segment(QStringLiteral("http://127.0.0.1:9/v.mp4"), "mp4 ")});
    service.sendMessage(QString::fromLatin1(RGKMessage::ResumeDownloadTask), {});
    service.sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task->archivedData());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.names.contains(QLatin1String(RGKMessage::DownloadStarted)); }));
    service.sendMessage(QString::fromLatin1(RGKMessage::ResumeDownloadTask), {}); // downloading: ignored
    service.sendMessage(QString::fromLatin1(RGKMessage::PauseDownloadTask), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.names.contains(QLatin1String(RGKMessage::DownloadPaused)); }));
    EXPECT_EQ(service.downloadTask()->downloadStatus(), QVReelgrabTaskStatusPaused);
    fake.push("start;finish 3000");
    service.sendMessage(QString::fromLatin1(RGKMessage::ResumeDownloadTask), {});
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return out.ended(); }, 10000));
    EXPECT_EQ(out.names.filter(QStringLiteral("Download-Started")).size(), 2);
    EXPECT_TRUE(out.names.contains(QLatin1String(RGKMessage::DownloadFinished)));
    EXPECT_EQ(fake.starts(), 2);
}

TEST(ReelgrabService, SuggestedNamesKeepOnlyAMediaNameInTheFolder)
{
    struct Case
    {
        const char *suggested, *base, *ext;
    } cases[] = {
        {"clip.mp4", "clip", "mp4"},         {"../../etc/passwd", "passwd", ""},
        {"a/b/c.WEBM", "c", "webm"},         {"run.sh", "run.sh", ""},
        {"..\\..\\x.mkv", "x", "mkv"},       {"..", "", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        const auto [base, ext] = QVReelgrabService::suggestedNameParts(QString::fromUtf8(c.suggested));
        EXPECT_EQ(base, QString::fromUtf8(c.base)) << c.suggested;
        EXPECT_EQ(ext, QString::fromUtf8(c.ext)) << c.suggested;
    }
    EXPECT_EQ(QVReelgrabService::formatForDirectMime(QStringLiteral("video/mp4")), MediaFormatCode::MP4);
    EXPECT_EQ(QVReelgrabService::formatForDirectMime(QStringLiteral("VIDEO/MP4")), 0u);
}

TEST(ReelgrabMainArguments, ScanTable)
{
    struct Case
    {
        QStringList argv;
        const char *client, *lib, *url, *prefs;
    } cases[] = {
        {{"R", "-c"}, "", "dflt", "", ""},
        {{"R", "-lib", "a", "-l", "b"}, "", "b", "", ""},
        {{"R", "-c", "n", "junk", "-u", "http://x"}, "n", "dflt", "http://x", ""},
        {{"R", "-client", "n", "-url", "u", "-preferences", "p.plist"}, "n", "dflt", "u", "p.plist"},
        {{"R", "-C", "n"}, "", "dflt", "", ""},
    };
    for (const Case &c : cases) {
        const auto a = ReelgrabMain::parseArguments(c.argv, QStringLiteral("dflt"));
        EXPECT_EQ(a.clientName, QString::fromLatin1(c.client)) << c.argv.join(u' ').toStdString();
        EXPECT_EQ(a.libraryPath, QString::fromLatin1(c.lib));
        EXPECT_EQ(a.pageUrl, QString::fromLatin1(c.url));
        EXPECT_EQ(a.preferencesPath, QString::fromLatin1(c.prefs));
    }
    // Flags take no value; a value is taken as it stands, also one that looks like a flag.
    const auto flags = ReelgrabMain::parseArguments({"R", "-v", "-u", "x", "--help"}, QStringLiteral("dflt"));
    EXPECT_TRUE(flags.verbose && flags.help);
    EXPECT_EQ(flags.pageUrl, QStringLiteral("x"));
    const auto valued = ReelgrabMain::parseArguments({"R", "-u", "-v"}, QStringLiteral("dflt"));
    EXPECT_FALSE(valued.verbose);
    EXPECT_EQ(valued.pageUrl, QStringLiteral("-v"));
    EXPECT_EQ(ReelgrabMain::standaloneGuid(QStringLiteral("http://a")), ReelgrabMain::standaloneGuid(QStringLiteral("http://a")));
    EXPECT_NE(ReelgrabMain::standaloneGuid(QStringLiteral("http://a")), ReelgrabMain::standaloneGuid(QStringLiteral("http://b")));
}

} // namespace
