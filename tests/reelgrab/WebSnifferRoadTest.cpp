// The page-loading road as Reelgrab runs it: records from a child program, and what the sniffer
// makes of a child that reports, dies, hangs or talks nonsense. The children here are small
// scripts; the real browser child is run end to end by the helper's standalone tests.
#include "reelgrab/PngConverter.h"
#include "reelgrab/QVMediaSniffer.h"
#include "reelgrab/QVWebSnifferProcess.h"
#include "reelgrab/WebSnifferWire.h"
#include "support/TestEnvironment.h"

#include <QCborArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace {

QByteArray lengthPrefix(qint32 length)
{
    QByteArray out(4, Qt::Uninitialized);
    qToBigEndian<qint32>(length, out.data());
    return out;
}

QByteArray responseRecord(const QString &url, qint64 length)
{
    WebSnifferWire::Event e;
    e.kind = WebSnifferWire::Event::Response;
    e.url = url;
    e.mime = QStringLiteral("video/webm");
    e.length = length;
    e.ext = QStringLiteral("webm");
    return WebSnifferWire::encodeEvent(e);
}

// --- records ---

TEST(WebSnifferWire, TakeRecordTable)
{
    QCborMap map;
    map.insert(QStringLiteral("kind"), QStringLiteral("title"));
    map.insert(QStringLiteral("text"), QStringLiteral("A page"));
    const QByteArray good = WebSnifferWire::frame(map);
    const QByteArray array = QCborValue(QCborArray{1, 2}).toCbor();
    const QByteArray mapBody = map.toCborValue().toCbor();
    struct Case
    {
        const char *name;
        QByteArray bytes;
        WebSnifferWire::Take expected;
        qsizetype leftAfter; // bytes still in the buffer afterwards (for Record and NeedMore)
    };
    const Case cases[] = {
        {"empty", {}, WebSnifferWire::Take::NeedMore, 0},
        {"three length bytes", good.left(3), WebSnifferWire::Take::NeedMore, 3},
        {"body cut short", good.left(good.size() - 1), WebSnifferWire::Take::NeedMore, good.size() - 1},
        {"one record and the start of the next", good + good.left(2), WebSnifferWire::Take::Record, 2},
        {"negative length", lengthPrefix(-1) + mapBody, WebSnifferWire::Take::Broken, -1},
        {"length above the cap", lengthPrefix(WebSnifferWire::MaxRecordBytes + 1), WebSnifferWire::Take::Broken, -1},
        {"an array, not a map", lengthPrefix(qint32(array.size())) + array, WebSnifferWire::Take::Broken, -1},
        {"a map with trailing bytes", lengthPrefix(qint32(mapBody.size() + 1)) + mapBody + '\0', WebSnifferWire::Take::Broken, -1},
        {"text that is no CBOR", lengthPrefix(5) + "hello", WebSnifferWire::Take::Broken, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray buffer = c.bytes;
        QCborMap record;
        QString error;
        const WebSnifferWire::Take take = WebSnifferWire::takeRecord(buffer, &record, &error);
        EXPECT_EQ(take, c.expected);
        if (take == WebSnifferWire::Take::Broken)
            EXPECT_FALSE(error.isEmpty());
        else
            EXPECT_EQ(buffer.size(), c.leftAfter);
        if (take == WebSnifferWire::Take::Record) {
            EXPECT_EQ(record, map);
        }
    }
}

TEST(WebSnifferWire, EventsRoundTripAndBadFieldsAreRefused)
{
    WebSnifferWire::Event response;
    response.kind = WebSnifferWire::Event::Response;
    response.url = QStringLiteral("http://127.0.0.1:9/v.webm");
    response.mime = QStringLiteral("video/webm");
    response.length = 5'000'000'000LL; // beyond 32 bits
    response.ext = QStringLiteral("webm");
    WebSnifferWire::Event icon;
    icon.kind = WebSnifferWire::Event::Icon;
    icon.png = QByteArray("\x89PNG\r\n\x1a\n", 8);
    WebSnifferWire::Event failed;
    failed.kind = WebSnifferWire::Event::LoadFailed;
    failed.text = QStringLiteral("the page did not load");
    WebSnifferWire::Event progress;
    progress.kind = WebSnifferWire::Event::Progress;
    progress.length = 40;
    WebSnifferWire::Event settled;
    settled.kind = WebSnifferWire::Event::Settled;
    for (const WebSnifferWire::Event &e : {response, icon, failed, progress, settled}) {
        QByteArray buffer = WebSnifferWire::encodeEvent(e);
        QCborMap record;
        ASSERT_EQ(WebSnifferWire::takeRecord(buffer, &record, nullptr), WebSnifferWire::Take::Record);
        WebSnifferWire::Event back;
        QString error;
        ASSERT_TRUE(WebSnifferWire::decodeEvent(record, &back, &error)) << error.toStdString();
        EXPECT_EQ(back.kind, e.kind);
        EXPECT_EQ(back.url, e.url);
        EXPECT_EQ(back.length, e.length);
        EXPECT_EQ(back.png, e.png);
        EXPECT_EQ(back.text, e.text);
    }

    auto map = [](std::initializer_list<std::pair<const char *, QCborValue>> fields) {
        QCborMap m;
        for (const auto &[k, v] : fields)
            m.insert(QString::fromLatin1(k), v);
        return m;
    };
    const struct
    {
        const char *name;
        QCborMap record;
    } bad[] = {
        {"no kind", map({{"text", QStringLiteral("x")}})},
        {"unknown kind", map({{"kind", QStringLiteral("launch-missiles")}})},
        {"response without address", map({{"kind", QStringLiteral("response")}, {"url", QString()}, {"mime", QStringLiteral("video/mp4")}, {"length", 5}})},
        {"length as text", map({{"kind", QStringLiteral("response")}, {"url", QStringLiteral("http://a/b")}, {"mime", QStringLiteral("video/mp4")}, {"length", QStringLiteral("5")}})},
        {"length below -1", map({{"kind", QStringLiteral("response")}, {"url", QStringLiteral("http://a/b")}, {"mime", QStringLiteral("video/mp4")}, {"length", -7}})},
        {"icon as text", map({{"kind", QStringLiteral("icon")}, {"png", QStringLiteral("png")}})},
        {"title as number", map({{"kind", QStringLiteral("title")}, {"text", 3}})},
        {"progress above 100", map({{"kind", QStringLiteral("progress")}, {"percent", 101}})},
        {"progress as text", map({{"kind", QStringLiteral("progress")}, {"percent", QStringLiteral("40")}})},
    };
    for (const auto &c : bad) {
        SCOPED_TRACE(c.name);
        WebSnifferWire::Event e;
        QString error;
        EXPECT_FALSE(WebSnifferWire::decodeEvent(c.record, &e, &error));
        EXPECT_FALSE(error.isEmpty());
    }

    WebSnifferWire::Request request{QStringLiteral("http://127.0.0.1/p"), QStringLiteral("agent"), 120};
    QByteArray buffer = WebSnifferWire::encodeRequest(request);
    QCborMap record;
    ASSERT_EQ(WebSnifferWire::takeRecord(buffer, &record, nullptr), WebSnifferWire::Take::Record);
    WebSnifferWire::Request back;
    ASSERT_TRUE(WebSnifferWire::decodeRequest(record, &back, nullptr));
    EXPECT_EQ(back.pageUrl, request.pageUrl);
    EXPECT_EQ(back.seconds, 120);
    record.insert(QStringLiteral("seconds"), 0);
    EXPECT_FALSE(WebSnifferWire::decodeRequest(record, &back, nullptr));
}

// --- the sniffer with a child program ---

struct Outcome : QVMediaSnifferDelegate
{
    std::optional<QVReelgrabError> failed;
    std::optional<QVMediaSniffingResult> completed;
    int progressReports = 0;
    QList<float> progress;
    float sniffedAtEnd = -1;
    bool sniffingCouldSniffByWebView() override { return true; }
    void sniffingInProgress(QVMediaSniffer *, float p) override
    {
        ++progressReports;
        progress << p;
    }
    void sniffingDidFailed(QVMediaSniffer *, const QVReelgrabError &e) override { failed = e; }
    void sniffingDidCompleted(QVMediaSniffer *, const QVMediaSniffingResult &r) override { completed = r; }
    bool done() const { return failed || completed; }
};

class WebSnifferChild : public ::testing::Test
{
protected:
    void TearDown() override { QVMediaSniffer::setWebViewFactory(nullptr); }

    // A child program made of a shell script; records.bin beside it holds prepared records.
    QString child(const QString &name, const QByteArray &body, const QByteArray &records = {})
    {
        const QString dir = TestEnvironment::home() + QStringLiteral("/children/") + name;
        QDir().mkpath(dir);
        QFile r(dir + QStringLiteral("/records.bin"));
        EXPECT_TRUE(r.open(QIODevice::WriteOnly));
        r.write(records);
        r.close();
        const QString path = dir + QStringLiteral("/child.sh");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\ncd \"$(dirname \"$0\")\"\n" + body + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    Outcome run(const QString &program, float budget = 30)
    {
        QVMediaSniffer::setWebViewFactory([program]() { return std::make_unique<QVWebSnifferProcess>(program); });
        QVMediaSniffer sniffer(nullptr);
        Outcome outcome;
        sniffer.setDelegate(&outcome);
        sniffer.setWebViewBudget(budget);
        sniffer.sniffingPageUrlUsingWebViewSniffer(QStringLiteral("http://127.0.0.1:9/page.html"), {}, {});
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return outcome.done(); }, 60000));
        outcome.sniffedAtEnd = sniffer.sniffedTime();
        return outcome;
    }
};

TEST_F(WebSnifferChild, BrokenChildrenFailTheSniffClearly)
{
    const struct
    {
        const char *name;
        QByteArray script;
        QByteArray records;
        const char *expected;
    } cases[] = {
        {"garbage", "printf 'Hello, this is not a record at all'\nsleep 30", {}, "wrote garbage"},
        {"huge length", "cat records.bin\nsleep 30", lengthPrefix(0x7fffffff), "wrote garbage"},
        {"unknown record", "cat records.bin\nsleep 30",
         WebSnifferWire::frame(QCborMap{{QStringLiteral("kind"), QStringLiteral("shell")}}), "unknown kind"},
        {"endless talker", "cat records.bin\nwhile :; do cat records.bin; done",
         // titles without end: the stream cap stops it
         WebSnifferWire::encodeEvent({WebSnifferWire::Event::Title, {}, {}, -1, {}, QString(300000, u't'), {}}), "wrote more than"},
        {"exits", "exit 3", {}, "ended early with status 3"},
        {"killed", "kill -9 $$", {}, "was killed or crashed"},
        {"small media then death", "cat records.bin\nexit 1", responseRecord(QStringLiteral("http://127.0.0.1:9/ad.webm"), 1000), "ended early with status 1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = run(child(QString::fromLatin1(c.name), c.script, c.records));
        ASSERT_TRUE(outcome.failed.has_value());
        EXPECT_EQ(outcome.failed->domain(), QString::fromLatin1(QVReelgrabError::Domain));
        EXPECT_EQ(outcome.failed->code(), QVReelgrabError::NoMediaFound);
        EXPECT_TRUE(outcome.failed->localizedDescription().contains(QString::fromLatin1(c.expected)))
            << outcome.failed->localizedDescription().toStdString();
    }
}

// A page that has loaded and gone quiet ends the road at once, whatever time is left; the
// progress shown is the page's own.
TEST_F(WebSnifferChild, ASettledPageEndsTheRoad)
{
    WebSnifferWire::Event loading, loaded, settled;
    loading.kind = loaded.kind = WebSnifferWire::Event::Progress;
    loading.length = 40;
    loaded.length = 100;
    settled.kind = WebSnifferWire::Event::Settled;
    const QByteArray records =
        WebSnifferWire::encodeEvent(loading) + WebSnifferWire::encodeEvent(loaded) + WebSnifferWire::encodeEvent(settled);
    const Outcome outcome = run(child(QStringLiteral("settles"), "cat records.bin\nsleep 60", records), QVMediaSniffer::MaxBudget);
    ASSERT_TRUE(outcome.failed.has_value());
    EXPECT_EQ(outcome.progress, (QList<float>{0.0f, 0.4f, 1.0f}));
    // Ended by the page, not by the cap: most of the budget was never spent.
    EXPECT_LT(outcome.sniffedAtEnd, QVMediaSniffer::MaxBudget / 2);
}

// A process that has ended but was not collected yet (its parent was killed first).
bool isZombie(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) == "Z";
}

// A page that grows without end: the child and what it started are ended at the memory limit,
// and the sniff fails with the reason the user reads. The memory is held by a grandchild, as a
// web engine's renderer holds it, and grows at a pace the watch follows.
TEST_F(WebSnifferChild, APageTooLargeForTheLimitEndsTheWholeTree)
{
    qputenv("REELGRAB_WEBSNIFFER_MEMORY_MB", "48");
    const QByteArray grow = "echo $$ > pid\n"
                            "i=0; while [ $i -lt 600 ]; do head -c 1048576 /dev/zero; sleep 0.01; i=$((i+1)); done"
                            " | tail -n 1 > /dev/null & echo $! > grower\n"
                            "wait\nsleep 30";
    const QString program = child(QStringLiteral("grows"), grow);
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = run(program);
    qunsetenv("REELGRAB_WEBSNIFFER_MEMORY_MB");
    ASSERT_TRUE(outcome.failed.has_value());
    EXPECT_EQ(outcome.failed->reason(), QStringLiteral("page too large"));
    EXPECT_LT(clock.elapsed(), 20000) << "ended at the limit, not by the budget";
    // Nothing of the tree is left: the child and the process holding the memory are gone.
    const QString dir = QFileInfo(program).absolutePath();
    for (const QString &name : {QStringLiteral("pid"), QStringLiteral("grower")}) {
        QFile f(dir + QLatin1Char('/') + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const qint64 pid = f.readAll().trimmed().toLongLong();
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return ::kill(pid_t(pid), 0) != 0 || isZombie(pid); }, 5000))
            << name.toStdString();
    }
}

TEST_F(WebSnifferChild, MissingProgramFailsWithItsPath)
{
    const QString missing = TestEnvironment::home() + QStringLiteral("/nowhere/ReelgrabWebSniffer");
    const Outcome outcome = run(missing);
    ASSERT_TRUE(outcome.failed.has_value());
    EXPECT_TRUE(outcome.failed->localizedDescription().contains(missing));
    EXPECT_TRUE(outcome.failed->localizedDescription().contains(QStringLiteral("could not be started")));
}

TEST_F(WebSnifferChild, MediaFoundBeforeTheChildDiesIsKept)
{
    WebSnifferWire::Event title;
    title.kind = WebSnifferWire::Event::Title;
    title.text = QStringLiteral("Late video");
    const QByteArray records = WebSnifferWire::encodeEvent(title)
        + responseRecord(QStringLiteral("http://127.0.0.1:9/big.webm?a=1&b=2"), 3 * 1024 * 1024);
    // Written in two pieces with a pause, so a record arrives split.
    const QByteArray script = "head -c 7 records.bin\nsleep 0.2\ntail -c +8 records.bin\nexit 0";
    const Outcome outcome = run(child(QStringLiteral("finder"), script, records));
    ASSERT_TRUE(outcome.completed.has_value());
    ASSERT_EQ(outcome.completed->candidateMedias().size(), 1);
    EXPECT_EQ(outcome.completed->candidateMedias()[0].segments()[0].url(), QStringLiteral("http://127.0.0.1:9/big.webm"));
    EXPECT_EQ(outcome.completed->mediaTitle(), QStringLiteral("Late video"));
}

TEST_F(WebSnifferChild, RequestArrivesOnInputAndClosingInputEndsTheChild)
{
    // The child echoes its request into a file and then waits for its input to close; a child
    // that ignores the close is killed after the budget ends the road.
    const QString polite = child(QStringLiteral("polite"), "echo $$ > pid\ncat > request.bin\necho closed > done");
    const QString stubborn = child(QStringLiteral("stubborn"), "echo $$ > pid\ntrap '' TERM HUP PIPE\nwhile :; do sleep 1; done");
    for (const QString &program : {polite, stubborn}) {
        SCOPED_TRACE(program.toStdString());
        const QString dir = QFileInfo(program).absolutePath();
        const Outcome outcome = run(program, 1);
        ASSERT_TRUE(outcome.failed.has_value()); // the budget ran out with nothing found
        EXPECT_GT(outcome.progressReports, 0);
        QFile pidFile(dir + QStringLiteral("/pid"));
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return pidFile.exists() && pidFile.size() > 0; }, 5000));
        ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
        const pid_t pid = pid_t(pidFile.readAll().trimmed().toInt());
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return ::kill(pid, 0) != 0; }, 15000)) << "the child still runs";
        if (program == polite) {
            EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/done")));
            QFile request(dir + QStringLiteral("/request.bin"));
            ASSERT_TRUE(request.open(QIODevice::ReadOnly));
            QByteArray bytes = request.readAll();
            QCborMap record;
            ASSERT_EQ(WebSnifferWire::takeRecord(bytes, &record, nullptr), WebSnifferWire::Take::Record);
            WebSnifferWire::Request r;
            ASSERT_TRUE(WebSnifferWire::decodeRequest(record, &r, nullptr));
            EXPECT_EQ(r.pageUrl, QStringLiteral("http://127.0.0.1:9/page.html"));
            EXPECT_GE(r.seconds, 1);
        }
    }
}

// --- images for icons and thumbnails ---

QByteArray bmp(qint32 width, qint32 height)
{
    // 24-bit BMP; pixel rows padded to four bytes.
    const qint32 row = (width * 3 + 3) / 4 * 4;
    const qint64 pixels = qint64(row) * height;
    const bool tiny = pixels < 4096;
    QByteArray out;
    auto u16 = [&](quint16 v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&](quint32 v) { u16(quint16(v & 0xffff)); u16(quint16(v >> 16)); };
    out.append("BM");
    u32(quint32(54 + pixels));
    u32(0);
    u32(54);
    u32(40);
    u32(quint32(width));
    u32(quint32(height));
    u16(1);
    u16(24);
    u32(0);
    u32(quint32(pixels));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    if (tiny)
        out.append(QByteArray(pixels, '\x7f'));
    return out;
}

TEST(PngConverter, ImagesBecomePngAndBadBytesNothing)
{
    ASSERT_FALSE(PngConverter::modulePath().isEmpty()) << "the image module is not built beside the tests";
    const QByteArray png = PngConverter::pngOf(bmp(3, 2));
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    const struct
    {
        const char *name;
        QByteArray bytes;
    } bad[] = {
        {"empty", {}},
        {"text", "this is not an image"},
        {"a header claiming 100000 by 100000", bmp(100000, 100000)},
        {"a header cut short", bmp(3, 2).left(20)},
    };
    for (const auto &c : bad) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(PngConverter::pngOf(c.bytes).isEmpty());
    }
    // The sniffer writes through it; bytes that are no image leave no file.
    QVMediaSniffer::setImageEncoder(&PngConverter::pngOf);
    const QString path = TestEnvironment::home() + QStringLiteral("/icons/site.png");
    EXPECT_TRUE(QVMediaSniffer::writePng(bmp(3, 2), path));
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("\x89PNG"));
    EXPECT_FALSE(QVMediaSniffer::writePng("no image", TestEnvironment::home() + QStringLiteral("/icons/other.png")));
    EXPECT_FALSE(QFile::exists(TestEnvironment::home() + QStringLiteral("/icons/other.png")));
    QVMediaSniffer::setImageEncoder(nullptr);
}

} // namespace
