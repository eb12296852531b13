#include "platform/PropertyList.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
QString tempFile(const QString &name)
{
    QDir(TestEnvironment::home()).mkpath(QStringLiteral("plist"));
    return TestEnvironment::home() + QStringLiteral("/plist/") + name;
}
} // namespace

TEST(PropertyList, RoundTripsEveryType)
{
    const QVariantMap in{
        {QStringLiteral("string"), QStringLiteral("a <b> & \"c\" ünï")},
        {QStringLiteral("integer"), qint64(-1234567890123LL)},
        {QStringLiteral("real"), 0.1},
        {QStringLiteral("yes"), true},
        {QStringLiteral("no"), false},
        {QStringLiteral("date"), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC)},
        {QStringLiteral("data"), QByteArray("\x00\xff binary", 9)},
        {QStringLiteral("array"), QVariantList{1, QStringLiteral("two"), QVariantMap{{"k", 3}}}},
        {QStringLiteral("empty"), QVariantMap()},
    };
    QString error;
    const QVariant out = PropertyList::fromXml(PropertyList::toXml(in), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QVariantMap m = out.toMap();
    EXPECT_EQ(m.value("string").toString(), in.value("string").toString());
    EXPECT_EQ(m.value("integer").toLongLong(), -1234567890123LL);
    EXPECT_DOUBLE_EQ(m.value("real").toDouble(), 0.1);
    EXPECT_EQ(m.value("yes").typeId(), QMetaType::Bool);
    EXPECT_TRUE(m.value("yes").toBool());
    EXPECT_FALSE(m.value("no").toBool());
    EXPECT_EQ(m.value("date").toDateTime(), in.value("date").toDateTime());
    EXPECT_EQ(m.value("data").toByteArray(), in.value("data").toByteArray());
    EXPECT_EQ(m.value("array").toList().value(2).toMap().value("k").toLongLong(), 3);
    EXPECT_TRUE(m.contains("empty"));
}

TEST(PropertyList, ReadsHandWrittenFiles)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
	<dict>
		<key>core</key>
		<string>log text</string>
		<key>FailedURL</key>
		<string>https://a.invalid/?x=1&amp;y=2</string>
	</dict>
	<data>
	aGVs
	bG8=
	</data>
</array>
</plist>)";
    QString error;
    const QVariantList list = PropertyList::fromXml(xml, &error).toList();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toMap().value("FailedURL").toString(), QStringLiteral("https://a.invalid/?x=1&y=2"));
    EXPECT_EQ(list[1].toByteArray(), QByteArray("hello"));
}

TEST(PropertyList, MalformedDocumentsAreErrors)
{
    QByteArray deep = "<plist>";
    for (int i = 0; i < 1000; ++i)
        deep += "<array>";
    const QByteArray cases[] = {
        "",
        "not xml at all",
        "<plist><dict><key>a</key></dict></plist>",
        "<plist><dict><string>x</string></dict></plist>",
        "<plist><integer>12x</integer></plist>",
        "<plist><real>abc</real></plist>",
        "<plist><date>yesterday</date></plist>",
        "<plist><data>!!!</data></plist>",
        "<plist><dict><key>a</key><string>b</string>",
        "<plist><unknown/></plist>",
        "<plist><string>a</string><string>b</string></plist>",
        deep,
    };
    for (const QByteArray &xml : cases) {
        QString error;
        const QVariant v = PropertyList::fromXml(xml, &error);
        EXPECT_FALSE(v.isValid()) << xml.left(60).constData();
        EXPECT_FALSE(error.isEmpty()) << xml.left(60).constData();
    }
}

TEST(PropertyList, RandomBytesNeverCrash)
{
    const QByteArray good = PropertyList::toXml(QVariantMap{{"a", QVariantList{1, 2.5, QStringLiteral("x"), true}}});
    QRandomGenerator rng(7);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = good;
        for (int i = 0; i < 1 + int(rng.bounded(6)); ++i)
            bytes[rng.bounded(int(bytes.size()))] = char(rng.bounded(256));
        bytes.truncate(rng.bounded(int(bytes.size()) + 1));
        QString error;
        PropertyList::fromXml(bytes, &error);
    }
    SUCCEED();
}

TEST(PropertyList, DamagedFileIsMovedAsideNotOverwritten)
{
    const QString path = tempFile(QStringLiteral("damaged.plist"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<plist><array><string>precious");
    }
    QString error;
    EXPECT_FALSE(PropertyList::readFile(path, &error).isValid());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    const QStringList aside = QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("damaged.plist.damaged-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(QFileInfo(path).absolutePath() + QLatin1Char('/') + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().contains("precious"));
}

TEST(PropertyList, MissingFileIsNotAnError)
{
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(PropertyList::readFile(tempFile(QStringLiteral("absent.plist")), &error).isValid());
    EXPECT_TRUE(error.isEmpty());
}

TEST(PropertyList, WritesAtomicallyAndReplaces)
{
    const QString path = tempFile(QStringLiteral("queue.plist"));
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantList{1, 2, 3}));
    ASSERT_TRUE(PropertyList::writeFile(path, QVariantList{4}));
    EXPECT_EQ(PropertyList::readFile(path).toList(), QVariantList{qint64(4)});
    // No temporary files left beside it.
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).filter(QStringLiteral("queue")).size(), 1);
    QString error;
    EXPECT_FALSE(PropertyList::writeFile(TestEnvironment::home() + QStringLiteral("/no/such/dir/x.plist"), 1, &error));
    EXPECT_FALSE(error.isEmpty());
}
