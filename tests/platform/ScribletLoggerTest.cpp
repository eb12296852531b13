#include "platform/log/ScribletLogger.h"

#include "support/TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(ScribletLogger, WritesLevelledLinesAndEscapesLineBreaks)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/logs/test.log");
    {
        ScribletLogger logger(path);
        logger.setLevel(ScribletLogger::Info);
        logger.log(ScribletLogger::Info, QStringLiteral("[QVAppDelegate startQVHelper] exception:x!"));
        logger.log(ScribletLogger::Debug, QStringLiteral("hidden"));
        logger.log(ScribletLogger::Error, QStringLiteral("title\nFORGED ERROR line"));
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(" INFO [QVAppDelegate startQVHelper] exception:x!"));
    EXPECT_TRUE(lines[1].contains(" ERROR title\\nFORGED ERROR line"));
}

TEST(ScribletLogger, ConcurrentWritersKeepWholeLines)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/logs/threads.log");
    {
        ScribletLogger logger(path);
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t)
            threads.emplace_back([&logger, t] {
                for (int i = 0; i < 300; ++i)
                    logger.log(ScribletLogger::Info, QStringLiteral("thread %1 line %2 end").arg(t).arg(i));
            });
        for (auto &th : threads)
            th.join();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    EXPECT_EQ(lines.size(), 1800);
    for (const QByteArray &l : lines)
        ASSERT_TRUE(l.endsWith(" end")) << l.constData();
}
