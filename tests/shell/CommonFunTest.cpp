#include "shell/CommonFun.h"

#include "platform/MainBundle.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(CommonFun, UnusedFileNameTable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        const char *existing; // taken before the call, besides the path itself
        const char *path;
        const char *expected;
    } cases[] = {
        {"", "video(3).mp4", "video(1).mp4"},
        {"", "(3).mp4", "(3)(1).mp4"},
        {"", "clip(x).mp4", "clip(x)(1).mp4"},
        {"", "clip().mp4", "clip(1).mp4"},
        {"", "clip(12)x.mp4", "clip(12)x(1).mp4"},
        {"song(1).mp3", "song.mp3", "song(2).mp3"},
        {"", "noext", "noext(1)"},           // no trailing dot
        {"", ".hidden", ".hidden(1)"},
        {"", "a.b.c", "a.b(1).c"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = dir.filePath(QString::fromUtf8(c.path));
        EXPECT_EQ(CommonFun::getUnUsedLocalFileName(path), path); // free: the path itself
        touch(path);
        if (*c.existing)
            touch(dir.filePath(QString::fromUtf8(c.existing)));
        EXPECT_EQ(CommonFun::getUnUsedLocalFileName(path), dir.filePath(QString::fromUtf8(c.expected)));
    }
}

TEST(CommonFun, ReservedNamesAreUniqueUnderConcurrency)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("Same Title.mp4"));
    constexpr int Threads = 8;
    constexpr int PerThread = 25;
    QMutex mutex;
    QStringList names;
    std::atomic<int> failures{0};
    QList<QThread *> threads;
    for (int t = 0; t < Threads; ++t) {
        threads << QThread::create([&] {
            for (int i = 0; i < PerThread; ++i) {
                QString error;
                const QString name = CommonFun::reserveUnUsedLocalFileName(target, &error);
                if (name.isEmpty()) {
                    ++failures;
                    continue;
                }
                QMutexLocker locker(&mutex);
                names << name;
            }
        });
    }
    for (QThread *t : threads)
        t->start();
    for (QThread *t : threads) {
        t->wait();
        delete t;
    }
    EXPECT_EQ(failures.load(), 0);
    ASSERT_EQ(names.size(), Threads * PerThread);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_TRUE(names.contains(target));
    EXPECT_TRUE(names.contains(dir.filePath(QStringLiteral("Same Title(199).mp4"))));
    for (const QString &n : std::as_const(names))
        EXPECT_TRUE(QFileInfo(n).isFile()) << n.toStdString();
}

TEST(CommonFun, ReserveReportsWhatItCannotDo)
{
    QString error;
    EXPECT_TRUE(CommonFun::reserveUnUsedLocalFileName(QStringLiteral("/nonexistent-folder/x.mp4"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An existing file is never handed out, and never truncated.
    const QString path = dir.filePath(QStringLiteral("keep.mp4"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("payload");
    }
    const QString reserved = CommonFun::reserveUnUsedLocalFileName(path, &error);
    EXPECT_EQ(reserved, dir.filePath(QStringLiteral("keep(1).mp4")));
    EXPECT_EQ(QFileInfo(path).size(), 7);
}

TEST(CommonFun, TextHelpers)
{
    const struct
    {
        qint64 bytes;
        const char *text;
    } sizes[] = {
        {0, "0 KB"}, {-9, "0 KB"}, {1500, "1.50 KB"}, {1000000, "1000.00 KB"}, {2500000, "2.50 MB"},
        {3210000000LL, "3.21 GB"},
    };
    for (const auto &c : sizes) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(CommonFun::convertSizeToStr(c.bytes), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(CommonFun::durationTimeToString(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(CommonFun::durationTimeToString(3723), QStringLiteral("01:02:03"));
    EXPECT_EQ(CommonFun::durationTimeToString(360000), QStringLiteral("100:00:00"));
    EXPECT_EQ(CommonFun::samsungToSamSung(QStringLiteral("samsung SM-G9 samsung")),
              QStringLiteral("Samsung SM-G9 Samsung"));

    EXPECT_TRUE(CommonFun::isAudiofile(QStringLiteral("mp3")));
    EXPECT_FALSE(CommonFun::isAudiofile(QStringLiteral("MP3")));
    EXPECT_FALSE(CommonFun::isAudiofile(QStringLiteral("mp4")));
    EXPECT_EQ(CommonFun::convertAudioSupportTypes().size(), 17);
    EXPECT_EQ(CommonFun::convertVideoSupportTypes().size(), 26);
}

TEST(CommonFun, RandomFloatStaysInRange)
{
    EXPECT_FLOAT_EQ(CommonFun::randomFloatBetween(1.5f, 1.5f), 1.5f);
    for (int i = 0; i < 1000; ++i) {
        const float v = CommonFun::randomFloatBetween(0.2f, 0.8f);
        ASSERT_GE(v, 0.2f - 1e-6f);
        ASSERT_LT(v, 0.8f);
        const float w = CommonFun::randomFloatBetween(5.0f, 1.0f); // reversed bounds
        ASSERT_GE(w, 1.0f - 1e-6f);
        ASSERT_LT(w, 5.0f);
    }
}

TEST(CommonFun, LocalLanguageIsALowerCaseCode)
{
    const QString language = CommonFun::localLanguage();
    EXPECT_EQ(language, language.toLower());
}
