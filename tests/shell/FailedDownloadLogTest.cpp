#include "shell/FailedDownloadLog.h"
#include "shell/GolobFun.h"

#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "platform/PropertyList.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class FailedDownloadLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_logs = m_dir.filePath(QStringLiteral("aLogs"));
        QDir().mkpath(m_logs);
        m_file = m_dir.filePath(QStringLiteral("DownloadFailedLog.plist"));
    }

    void writeEngineLog(const QString &logName, const QByteArray &text)
    {
        QFile f(QDir(m_logs).filePath(logName + QStringLiteral("-core.log")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QVariantList fileEntries()
    {
        return PropertyList::readFile(m_file, nullptr, PropertyList::OnDamage::Keep).toList();
    }

    QStringList fileUrls()
    {
        QStringList urls;
        for (const QVariant &v : fileEntries())
            urls << v.toMap().value(QStringLiteral("FailedURL")).toString();
        return urls;
    }

    QStringList asideFiles()
    {
        return QDir(m_dir.path()).entryList({QStringLiteral("DownloadFailedLog.plist.*")}, QDir::Files);
    }

    QTemporaryDir m_dir;
    QString m_logs;
    QString m_file;
};

} // namespace

TEST_F(FailedDownloadLogTest, KeepsTheLastSixOldestFirst)
{
    FailedDownloadLog log(m_file, m_logs);
    for (int i = 1; i <= 7; ++i) {
        writeEngineLog(QStringLiteral("task%1").arg(i), QByteArray("engine log line ") + QByteArray::number(i));
        log.add(QStringLiteral("task%1").arg(i), QStringLiteral("http://site/%1").arg(i));
    }
    EXPECT_EQ(fileUrls(), (QStringList{QStringLiteral("http://site/2"), QStringLiteral("http://site/3"),
                                       QStringLiteral("http://site/4"), QStringLiteral("http://site/5"),
                                       QStringLiteral("http://site/6"), QStringLiteral("http://site/7")}));
    EXPECT_EQ(fileEntries().first().toMap().value(QStringLiteral("core")).toString(), QStringLiteral("engine log line 2"));
    EXPECT_EQ(log.lastFailedUrls(), QStringLiteral("Failed URL:\nhttp://site/2\nhttp://site/3\nhttp://site/4\n"
                                                   "http://site/5\nhttp://site/6\nhttp://site/7"));
}

TEST_F(FailedDownloadLogTest, SameAddressReplacesItsEntryAndMovesToTheEnd)
{
    FailedDownloadLog log(m_file, m_logs);
    writeEngineLog(QStringLiteral("a"), "first attempt log");
    writeEngineLog(QStringLiteral("b"), "other address log");
    log.add(QStringLiteral("a"), QStringLiteral("http://same/"));
    log.add(QStringLiteral("b"), QStringLiteral("http://other/"));
    writeEngineLog(QStringLiteral("a2"), "second attempt log");
    log.add(QStringLiteral("a2"), QStringLiteral("http://same/"));
    const QVariantList entries = fileEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toMap().value(QStringLiteral("FailedURL")).toString(), QStringLiteral("http://other/"));
    EXPECT_EQ(entries[1].toMap().value(QStringLiteral("core")).toString(), QStringLiteral("second attempt log"));
}

TEST_F(FailedDownloadLogTest, ShortOrMissingEngineLogChangesNothing)
{
    FailedDownloadLog log(m_file, m_logs);
    writeEngineLog(QStringLiteral("short"), "0123456789"); // 10 characters
    log.add(QStringLiteral("short"), QStringLiteral("http://x/"));
    log.add(QStringLiteral("missing"), QStringLiteral("http://y/"));
    log.add(QStringLiteral("../escape"), QStringLiteral("http://z/"));
    EXPECT_FALSE(QFileInfo::exists(m_file));
    EXPECT_TRUE(log.lastFailedUrls().isNull());

    writeEngineLog(QStringLiteral("eleven"), "01234567890");
    const QVariantMap entry = log.createEntry(QStringLiteral("eleven"), QString());
    EXPECT_EQ(entry.value(QStringLiteral("core")).toString(), QStringLiteral("01234567890"));
    EXPECT_FALSE(entry.contains(QStringLiteral("FailedURL")));
}

TEST_F(FailedDownloadLogTest, EntriesWithoutAddressesGiveTheHeadingAlone)
{
    FailedDownloadLog log(m_file, m_logs);
    writeEngineLog(QStringLiteral("n"), "no address for this one");
    log.add(QStringLiteral("n"), QString());
    log.add(QStringLiteral("n"), QString());
    EXPECT_EQ(fileEntries().size(), 2);
    EXPECT_EQ(log.lastFailedUrls(), QStringLiteral("Failed URL:"));
}

TEST_F(FailedDownloadLogTest, ExistingFileIsReadOnce)
{
    QVariantList stored;
    for (int i = 0; i < 3; ++i)
        stored << QVariantMap{{QStringLiteral("core"), QStringLiteral("stored engine log")},
                              {QStringLiteral("FailedURL"), QStringLiteral("http://old/%1").arg(i)}};
    ASSERT_TRUE(PropertyList::writeFile(m_file, stored));
    FailedDownloadLog log(m_file, m_logs);
    writeEngineLog(QStringLiteral("t"), "a new failure's log");
    log.add(QStringLiteral("t"), QStringLiteral("http://old/1"));
    EXPECT_EQ(fileUrls(), (QStringList{QStringLiteral("http://old/0"), QStringLiteral("http://old/2"),
                                       QStringLiteral("http://old/1")}));
}

TEST_F(FailedDownloadLogTest, FileThatIsNotAnArrayIsMovedAsideAndTheLogStartsEmpty)
{
    const struct
    {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"dictionary", PropertyList::toXml(QVariantMap{{QStringLiteral("x"), 1}})},
        {"garbage", QByteArray("\x00\x01<plist><array><dict>", 22)},
        {"truncated", PropertyList::toXml(QVariantList{QVariantMap{{QStringLiteral("core"), QStringLiteral("x")}}}).left(60)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &f : asideFiles())
            QFile::remove(QDir(m_dir.path()).filePath(f));
        {
            QFile f(m_file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.content);
        }
        FailedDownloadLog log(m_file, m_logs);
        EXPECT_TRUE(log.lastFailedUrls().isNull());
        // The damaged file is kept for inspection, byte for byte.
        const QStringList aside = asideFiles();
        ASSERT_EQ(aside.size(), 1);
        QFile kept(QDir(m_dir.path()).filePath(aside.first()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), c.content);

        writeEngineLog(QStringLiteral("after"), "log after the damage");
        log.add(QStringLiteral("after"), QStringLiteral("http://after/"));
        EXPECT_EQ(fileUrls(), QStringList{QStringLiteral("http://after/")});
        QFile::remove(m_file);
    }
}

TEST_F(FailedDownloadLogTest, ConcurrentAdditionsAndReads)
{
    FailedDownloadLog log(m_file, m_logs);
    constexpr int Threads = 6;
    constexpr int PerThread = 20;
    for (int t = 0; t < Threads; ++t)
        for (int i = 0; i < PerThread; ++i)
            writeEngineLog(QStringLiteral("t%1-%2").arg(t).arg(i), "engine log of a failed task");
    QList<QThread *> threads;
    for (int t = 0; t < Threads; ++t) {
        threads << QThread::create([&log, t] {
            for (int i = 0; i < PerThread; ++i) {
                log.add(QStringLiteral("t%1-%2").arg(t).arg(i), QStringLiteral("http://t%1/%2").arg(t).arg(i));
                const QString text = log.lastFailedUrls();
                // A reader sees whole states only: a heading and at most six addresses.
                if (!text.startsWith(QLatin1String("Failed URL:")) || text.count(QLatin1Char('\n')) > 6)
                    ADD_FAILURE() << text.toStdString();
            }
        });
    }
    for (QThread *t : threads)
        t->start();
    for (QThread *t : threads) {
        t->wait();
        delete t;
    }
    EXPECT_EQ(fileEntries().size(), 6);
    EXPECT_EQ(log.entries(), fileEntries());
}

TEST(FailedDownloadLogShared, GolobFunAddsInTheBackground)
{
    const QString logs = AppPaths::reelgrabKitLogs();
    EXPECT_TRUE(logs.startsWith(TestEnvironment::home()));
    {
        QFile f(QDir(logs).filePath(QStringLiteral("shared-task-core.log")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("engine log of the shared task");
    }
    EXPECT_EQ(GolobFun::createDowbloadFailedInfo(QStringLiteral("shared-task"), QStringLiteral("http://p/")).value(QStringLiteral("FailedURL")),
              QStringLiteral("http://p/"));
    GolobFun::addDowbloadFailedLog(QStringLiteral("shared-task"), QStringLiteral("http://shared/page"));
    dispatch::waitGlobal(10000);
    EXPECT_EQ(GolobFun::getLastFailedURLS(), QStringLiteral("Failed URL:\nhttp://shared/page"));
    const QString file = QDir(AppPaths::productSupport()).filePath(QStringLiteral("DownloadFailedLog.plist"));
    EXPECT_EQ(PropertyList::readFile(file).toList().size(), 1);
}
