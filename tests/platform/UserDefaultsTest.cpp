#include "platform/UserDefaults.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {
QString iniPath(const char *name) { return TestEnvironment::home() + QStringLiteral("/") + QLatin1String(name); }
}

TEST(UserDefaults, RegisteredValuesAnswerButAreNeverWritten)
{
    const QString path = iniPath("reg.ini");
    {
        UserDefaults d(path);
        d.registerDefaults({{QStringLiteral("download-max-tasks"), 3}, {QStringLiteral("AlertWhenDeleteDownloading"), true}});
        EXPECT_EQ(d.integerForKey(QStringLiteral("download-max-tasks")), 3);
        EXPECT_FALSE(d.hasUserValue(QStringLiteral("download-max-tasks")));
        d.setInteger(QStringLiteral("download-max-tasks"), 5);
        EXPECT_EQ(d.integerForKey(QStringLiteral("download-max-tasks")), 5);
        d.removeObjectForKey(QStringLiteral("download-max-tasks"));
        EXPECT_EQ(d.integerForKey(QStringLiteral("download-max-tasks")), 3);
        d.synchronize();
    }
    UserDefaults reread(path);
    EXPECT_FALSE(reread.hasUserValue(QStringLiteral("AlertWhenDeleteDownloading")));
    EXPECT_FALSE(reread.boolForKey(QStringLiteral("AlertWhenDeleteDownloading")));
}

TEST(UserDefaults, ADamagedFileIsKeptAsideBeforeDefaultsAreWritten)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/damaged/FennixPro.conf");
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray damaged = QByteArray("[General]\ndownload-directory=/home/me/Films\nthis line is torn\n") + QByteArray("\0\x01\xff[", 4)
                               + QByteArray("download-max-tasks=3\n");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    {
        UserDefaults d(path);
        d.setInteger(QStringLiteral("download-max-tasks"), 5);
        d.synchronize();
    }
    QFile aside(path + QStringLiteral(".damaged"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), damaged);
    // A sound file is left alone.
    {
        UserDefaults again(path);
        EXPECT_EQ(again.integerForKey(QStringLiteral("download-max-tasks")), 5);
    }
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".damaged-2")));
}

TEST(UserDefaults, CoercionsTable)
{
    struct Case { QVariant stored; qint64 asInteger; bool asBool; };
    const Case cases[] = {
        {QStringLiteral("1"), 1, true},
        {QStringLiteral(" 12 "), 12, true},
        {QStringLiteral("0"), 0, false},
        {QStringLiteral("YES"), 1, true},
        {QStringLiteral("yes"), 1, true},
        {QStringLiteral("NO"), 0, false},
        {QStringLiteral("true"), 1, true},
        {QStringLiteral("2.7"), 2, true},
        {QStringLiteral("abc"), 0, false},
        {true, 1, true},
        {false, 0, false},
        {2.9, 2, true},
        {qint64(-4), -4, true},
        {QVariant(), 0, false},
        {QVariantList{1}, 0, false},
    };
    UserDefaults d(iniPath("coerce.ini"));
    for (const Case &c : cases) {
        d.setObject(QStringLiteral("k"), c.stored);
        EXPECT_EQ(d.integerForKey(QStringLiteral("k")), c.asInteger) << c.stored.toString().toStdString();
        EXPECT_EQ(d.boolForKey(QStringLiteral("k")), c.asBool) << c.stored.toString().toStdString();
    }
}

TEST(UserDefaults, TypedReadsOfOtherTypesAreEmpty)
{
    UserDefaults d(iniPath("types.ini"));
    d.setObject(QStringLiteral("list"), QVariantList{QStringLiteral("a"), QStringLiteral("b")});
    d.setObject(QStringLiteral("map"), QVariantMap{{QStringLiteral("x"), 1}});
    d.setString(QStringLiteral("text"), QStringLiteral("hello"));
    EXPECT_EQ(d.stringArrayForKey(QStringLiteral("list")), (QStringList{"a", "b"}));
    EXPECT_EQ(d.dictionaryForKey(QStringLiteral("map")).value("x").toInt(), 1);
    EXPECT_TRUE(d.arrayForKey(QStringLiteral("text")).isEmpty());
    EXPECT_TRUE(d.dictionaryForKey(QStringLiteral("list")).isEmpty());
    EXPECT_TRUE(d.stringForKey(QStringLiteral("map")).isEmpty());
}

TEST(UserDefaults, ChangesAreSignalled)
{
    UserDefaults d(iniPath("signal.ini"));
    QSignalSpy spy(&d, &UserDefaults::changed);
    d.setBool(QStringLiteral("download-speedup"), true);
    d.removeObjectForKey(QStringLiteral("download-speedup"));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("download-speedup"));
}

TEST(UserDefaults, ConcurrentWritersAndReaders)
{
    UserDefaults d(iniPath("threads.ini"));
    d.registerDefaults({{QStringLiteral("shared"), 0}});
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&d, t] {
            for (int i = 0; i < 200; ++i) {
                d.setInteger(QStringLiteral("key%1").arg(t), i);
                d.integerForKey(QStringLiteral("shared"));
                d.registerDefaults({{QStringLiteral("r%1").arg(t), i}});
            }
        });
    }
    for (auto &th : threads)
        th.join();
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(d.integerForKey(QStringLiteral("key%1").arg(t)), 199);
}
