#include "recording/RecordListStore.h"

#include "downloads/DownloadedItem.h"
#include "platform/KeyedArchiver.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<DownloadedItem> recording(const QString &path, qint64 seconds)
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(path);
    item->setTime(seconds);
    item->setVideoSize(seconds * 1000);
    item->setResolution(720);
    item->setVideoWidth(1280);
    item->setVideoHeight(720);
    item->setVideoFrame(25.0);
    item->setThumbnailPath(path + QStringLiteral(".png"));
    item->setDownloadID(4711);
    item->setAddDate(QDateTime::currentDateTime());
    item->setStatus(DownloadedItem::StatusConverted);
    return item;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(RecordListStore, RoundTripKeepsOrderAndOnlyTheItemKeys)
{
    QTemporaryDir dir;
    // The folder does not exist yet: the save makes it.
    RecordListStore store(dir.filePath(QStringLiteral("Product/RecordData.data")));
    const QList<std::shared_ptr<DownloadedItem>> items{recording(QStringLiteral("/r/2026-01-02 03-04-05.mp4"), 3),
                                                       recording(QStringLiteral("/r/b.mp4"), 60),
                                                       recording(QStringLiteral("/r/a.mp4"), 7200)};
    ASSERT_TRUE(store.save(items));

    const auto loaded = store.load();
    EXPECT_FALSE(loaded.damaged);
    ASSERT_EQ(loaded.items.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.items[i]->filePath(), items[i]->filePath());
        EXPECT_EQ(loaded.items[i]->time(), items[i]->time());
        EXPECT_EQ(loaded.items[i]->videoSize(), items[i]->videoSize());
        EXPECT_EQ(loaded.items[i]->thumbnailPath(), items[i]->thumbnailPath());
        EXPECT_EQ(loaded.items[i]->resolution(), 720);
        // What is not an item key is not stored.
        EXPECT_FALSE(loaded.items[i]->addDate().isValid());
        EXPECT_EQ(loaded.items[i]->status(), 0);
    }

    QCborValue root = QCborValue::fromCbor(readAll(store.path()));
    ASSERT_TRUE(root.isArray());
    const QCborMap first = root.toArray().at(0).toMap();
    QStringList keys;
    for (auto it = first.begin(); it != first.end(); ++it)
        keys.append(it.key().toString());
    keys.sort();
    QStringList expected{QStringLiteral("$class"), QStringLiteral("Identity"), QStringLiteral("resolution"), QStringLiteral("videoWidth"),
                         QStringLiteral("videoHeight"), QStringLiteral("videoBitrate"), QStringLiteral("videoTime"),
                         QStringLiteral("videoSize"), QStringLiteral("videoFrame"), QStringLiteral("strFilePath"),
                         QStringLiteral("thumbnailPath")};
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(first.value(QStringLiteral("$class")).toString(), QStringLiteral("DownloadedItem"));
}

TEST(RecordListStore, DamagedFileIsKeptAsideWithItsReadablePrefix)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RecordData.data"));
    const QByteArray whole = RecordListStore::archive({recording(QStringLiteral("/r/one.mp4"), 1), recording(QStringLiteral("/r/two.mp4"), 2),
                                                       recording(QStringLiteral("/r/three.mp4"), 3)});
    const QByteArray oneEntry = RecordListStore::archive({recording(QStringLiteral("/r/one.mp4"), 1)});
    // Array header (1 byte) + the first entry: how much a cut after the first entry keeps.
    const qsizetype firstEnd = oneEntry.size();

    const struct
    {
        const char *name;
        QByteArray bytes;
        int readable;
    } cases[] = {
        {"cut inside the second entry", whole.left(firstEnd + 20), 1},
        {"cut inside the first entry", whole.left(30), 0},
        {"not an archive", QByteArray("garbage that is not CBOR"), 0},
        {"trailing bytes", whole + QByteArray("xx"), 3},
        {"wrong class", QCborValue(QCborArray{QCborMap{{QStringLiteral("$class"), QStringLiteral("Other")}}}).toCbor(), 0},
        {"a map at the root", QCborValue(QCborMap{}).toCbor(), 0},
    };
    for (const auto &c : cases) {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();

        RecordListStore store(path);
        const auto result = store.load();
        EXPECT_TRUE(result.damaged) << c.name;
        EXPECT_FALSE(result.error.isEmpty()) << c.name;
        EXPECT_EQ(result.items.size(), c.readable) << c.name;
        ASSERT_FALSE(result.keptAsidePath.isEmpty()) << c.name;
        EXPECT_EQ(readAll(result.keptAsidePath), c.bytes) << c.name;

        // The next save writes a new list and leaves the damaged file alone.
        ASSERT_TRUE(store.save(result.items)) << c.name;
        EXPECT_EQ(readAll(result.keptAsidePath), c.bytes) << c.name;
        EXPECT_EQ(RecordListStore(path).load().items.size(), c.readable) << c.name;
    }
}

TEST(RecordListStore, MissingFileIsAnEmptyList)
{
    QTemporaryDir dir;
    const auto result = RecordListStore(dir.filePath(QStringLiteral("none/RecordData.data"))).load();
    EXPECT_FALSE(result.damaged);
    EXPECT_TRUE(result.items.isEmpty());
}

} // namespace
