#include "platform/KeyedArchiver.h"

#include <QCborValue>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

struct Segment : KeyedArchivable
{
    QString url;
    qint64 size = 0;
    QString archiveClassName() const override { return QStringLiteral("Segment"); }
    void encodeWithCoder(KeyedArchiver &c) const override
    {
        c.encodeString(QStringLiteral("url"), url);
        c.encodeInt64(QStringLiteral("size"), size);
    }
    void initWithCoder(KeyedUnarchiver &c) override
    {
        url = c.decodeString(QStringLiteral("url"));
        size = c.decodeInt64(QStringLiteral("size"));
    }
    bool operator==(const Segment &o) const { return url == o.url && size == o.size; }
};

struct Task : KeyedArchivable
{
    QString title;
    qint64 bytes = 0;
    double ratio = 0;
    bool paused = false;
    QByteArray blob;
    QDateTime added;
    QStringList names;
    QVariantMap params;
    Segment main;
    QList<Segment> segments;

    QString archiveClassName() const override { return QStringLiteral("Task"); }
    void encodeWithCoder(KeyedArchiver &c) const override
    {
        c.encodeString(QStringLiteral("title"), title);
        c.encodeInt64(QStringLiteral("bytes"), bytes);
        c.encodeDouble(QStringLiteral("ratio"), ratio);
        c.encodeBool(QStringLiteral("paused"), paused);
        c.encodeBytes(QStringLiteral("blob"), blob);
        c.encodeDate(QStringLiteral("added"), added);
        c.encodeStringList(QStringLiteral("names"), names);
        c.encodeVariant(QStringLiteral("params"), params);
        c.encodeObject(QStringLiteral("main"), main);
        c.encodeObjectList(QStringLiteral("segments"), segments);
    }
    void initWithCoder(KeyedUnarchiver &c) override
    {
        title = c.decodeString(QStringLiteral("title"));
        bytes = c.decodeInt64(QStringLiteral("bytes"));
        ratio = c.decodeDouble(QStringLiteral("ratio"));
        paused = c.decodeBool(QStringLiteral("paused"));
        blob = c.decodeBytes(QStringLiteral("blob"));
        added = c.decodeDate(QStringLiteral("added"));
        names = c.decodeStringList(QStringLiteral("names"));
        params = c.decodeVariant(QStringLiteral("params")).toMap();
        c.decodeObject(QStringLiteral("main"), main);
        segments = c.decodeObjectList<Segment>(QStringLiteral("segments"));
    }
};

Task sampleTask()
{
    Task t;
    t.title = QStringLiteral("Ünïcode \"title\" / with slash");
    t.bytes = 0x7fffffffffffffffLL;
    t.ratio = 0.125;
    t.paused = true;
    t.blob = QByteArray("\0\1\2binary", 9);
    t.added = QDateTime(QDate(2026, 12, 10), QTime(11, 22, 33, 444), Qt::UTC);
    t.names = {QStringLiteral("a"), QString(), QStringLiteral("c")};
    t.params = {{QStringLiteral("Contents"), 2}, {QStringLiteral("nested"), QVariantList{1, QStringLiteral("x")}}};
    t.main.url = QStringLiteral("https://example.invalid/v.mp4");
    t.main.size = 42;
    for (int i = 0; i < 3; ++i) {
        Segment s;
        s.url = QStringLiteral("seg%1").arg(i);
        s.size = i * 1000;
        t.segments.append(s);
    }
    return t;
}

} // namespace

TEST(KeyedArchiver, RoundTripsEveryValueType)
{
    const Task in = sampleTask();
    const QByteArray data = KeyedArchiver::archivedDataWithRootObject(in);
    Task out;
    QString error;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(data, out, &error)) << error.toStdString();
    EXPECT_EQ(out.title, in.title);
    EXPECT_EQ(out.bytes, in.bytes);
    EXPECT_DOUBLE_EQ(out.ratio, in.ratio);
    EXPECT_EQ(out.paused, in.paused);
    EXPECT_EQ(out.blob, in.blob);
    EXPECT_EQ(out.added, in.added);
    EXPECT_EQ(out.names, in.names);
    EXPECT_EQ(out.params.value("Contents").toLongLong(), 2);
    EXPECT_EQ(out.params.value("nested").toList().value(1).toString(), QStringLiteral("x"));
    EXPECT_TRUE(out.main == in.main);
    ASSERT_EQ(out.segments.size(), 3);
    EXPECT_TRUE(out.segments[2] == in.segments[2]);
}

TEST(KeyedArchiver, AbsentOrMistypedKeysReadAsEmpty)
{
    KeyedArchiver c(QStringLiteral("Task"));
    c.encodeString(QStringLiteral("bytes"), QStringLiteral("not a number"));
    c.encodeInt64(QStringLiteral("title"), 7);
    Task out;
    out.title = QStringLiteral("old");
    out.bytes = 5;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(c.archivedData(), out));
    EXPECT_EQ(out.title, QString());
    EXPECT_EQ(out.bytes, 0);
    EXPECT_FALSE(out.paused);
    EXPECT_TRUE(out.segments.isEmpty());
    EXPECT_FALSE(out.added.isValid());
}

TEST(KeyedArchiver, ReadsArchivesWithUnknownKeysAndNoClassName)
{
    // An archive from an older or newer build: extra keys are ignored, missing ones default.
    QCborMap m;
    m.insert(QStringLiteral("title"), QStringLiteral("old build"));
    m.insert(QStringLiteral("someFutureKey"), QCborArray{1, 2, 3});
    Task out;
    ASSERT_TRUE(KeyedUnarchiver::unarchive(QCborValue(m).toCbor(), out));
    EXPECT_EQ(out.title, QStringLiteral("old build"));
}

TEST(KeyedArchiver, RejectsAnotherClass)
{
    Segment s;
    Task t;
    QString error;
    EXPECT_FALSE(KeyedUnarchiver::unarchive(KeyedArchiver::archivedDataWithRootObject(s), t, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(KeyedArchiver, MalformedInputIsAnErrorNotACrash)
{
    const QByteArray good = KeyedArchiver::archivedDataWithRootObject(sampleTask());
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep.append(char(0x81));  // array of one element, nested
    deep.append(char(0x01));

    struct Case { const char *name; QByteArray bytes; };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"truncated", good.left(good.size() / 2)},
        {"one byte short", good.left(good.size() - 1)},
        {"trailing garbage", good + QByteArray("xx")},
        {"not a map", QCborValue(QStringLiteral("text")).toCbor()},
        {"declared 2^62-byte string", QByteArray::fromHex("a1617a7b4000000000000000")},
        {"declared 2^62-element array", QByteArray::fromHex("a1617a9b4000000000000000")},
        {"declared huge map", QByteArray::fromHex("bb4000000000000000")},
        {"deep nesting", deep},
        {"invalid utf-8 text", QByteArray::fromHex("a1617a62c328")},
        {"integer beyond int64", QByteArray::fromHex("a1617a1bffffffffffffffff")},
        {"break outside container", QByteArray::fromHex("ff")},
    };
    for (const Case &c : cases) {
        Task out;
        QString error;
        EXPECT_FALSE(KeyedUnarchiver::unarchive(c.bytes, out, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
}

TEST(KeyedArchiver, SurvivesRandomAndMutatedBytes)
{
    const QByteArray good = KeyedArchiver::archivedDataWithRootObject(sampleTask());
    QRandomGenerator rng(20261210);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            bytes = good;
            const int flips = 1 + rng.bounded(8);
            for (int i = 0; i < flips; ++i)
                bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
            if (round % 4 == 0)
                bytes.truncate(rng.bounded(int(bytes.size())));
        } else {
            bytes.resize(rng.bounded(200));
            for (char &ch : bytes)
                ch = char(rng.bounded(256));
        }
        Task out;
        KeyedUnarchiver::unarchive(bytes, out);  // must simply return
    }
    SUCCEED();
}
