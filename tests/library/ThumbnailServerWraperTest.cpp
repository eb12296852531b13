#include "library/ThumbnailServerWraper.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace {

class ScopedTool
{
public:
    explicit ScopedTool(const QString &path) { qputenv("FENNIX_SWIFTCARRY", path.toLocal8Bit()); }
    ~ScopedTool() { qunsetenv("FENNIX_SWIFTCARRY"); }
};

struct Answer
{
    QString thumbnail;
    QString video;
    qint64 id;
    int type;
};

class Receiver : public ThumbnailReceiver
{
public:
    void getThumbnailPath(const QString &thumbnail, const QString &video, qint64 id, int type) override
    {
        answers.append({thumbnail, video, id, type});
    }
    QList<Answer> answers;
};

bool isJpeg(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(3) == QByteArray("\xFF\xD8\xFF", 3);
}

class ThumbnailServiceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        for (int i = 0; i < 3; ++i)
            s_clips << MediaFixtures::makeClip(s_dir->path(), QStringLiteral("clip %1.mp4").arg(i), {1.0, QStringLiteral("320x240")});
        s_audio = MediaFixtures::makeClip(s_dir->path(), QStringLiteral("tone.m4a"), {1.0, {}, false, true});
    }
    static void TearDownTestSuite() { delete s_dir; }
    static QTemporaryDir *s_dir;
    static QStringList s_clips;
    static QString s_audio;
};
QTemporaryDir *ThumbnailServiceTest::s_dir = nullptr;
QStringList ThumbnailServiceTest::s_clips;
QString ThumbnailServiceTest::s_audio;

} // namespace

TEST_F(ThumbnailServiceTest, AnswersReachEveryFinishedListAndKeepComingAfterAKill)
{
    ASSERT_EQ(s_clips.size(), 3);
    ThumbnailServerWraper service;
    service.setRestartDelayMs(100);
    auto library = std::make_shared<Receiver>();
    auto converter = std::make_shared<Receiver>();
    auto downloading = std::make_shared<Receiver>();
    service.setDownloadedDelegate(library);
    service.setConverterDelegate(converter);
    service.setDownloadingDelegate(downloading);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.isLive(); }, 10000));

    service.DownloadedFileForThumbnail(s_clips[0], 10, false);
    // While the first is in flight the next ones wait; a priority request jumps the queue.
    service.DownloadedFileForThumbnail(s_clips[1], 11, false);
    service.DownloadedFileForThumbnail(s_clips[2], 12, true);
    service.DownloadedFileForThumbnail(s_dir->filePath(QStringLiteral("missing.mp4")), 13, true);
    EXPECT_EQ(service.waitingCount(), 2);
    EXPECT_EQ(service.videoPathForID(s_clips[2]), 12);
    EXPECT_EQ(service.videoPathForTypeID(s_clips[2]), 1);
    EXPECT_EQ(service.videoPathForID(s_clips[1]), -1);

    ASSERT_TRUE(TestEnvironment::waitFor([&] { return library->answers.size() == 3; }, 20000));
    EXPECT_EQ(library->answers[0].id, 10);
    EXPECT_EQ(library->answers[1].id, 12);
    EXPECT_EQ(library->answers[2].id, 11);
    for (const Answer &a : library->answers) {
        EXPECT_TRUE(isJpeg(a.thumbnail)) << a.thumbnail.toStdString();
        EXPECT_EQ(a.type, 1);
    }
    EXPECT_EQ(converter->answers.size(), 3);
    EXPECT_TRUE(downloading->answers.isEmpty());

    // Killed: the service starts a new tool and goes on.
    const qint64 first = service.toolProcessId();
    ::kill(pid_t(first), SIGKILL);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.hasTool() && service.toolProcessId() != first; }, 10000));
    EXPECT_EQ(service.launchCount(), 2);
    service.DownloadedFileForThumbnail(s_clips[1], 21, false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return library->answers.size() == 4; }, 20000));
    EXPECT_EQ(library->answers[3].id, 21);
    EXPECT_TRUE(isJpeg(library->answers[3].thumbnail));
}

TEST_F(ThumbnailServiceTest, NoPictureCountsAsNoAnswerAndIsRetried)
{
    ThumbnailServerWraper service;
    service.setAnswerTimeoutMs(60000);
    auto library = std::make_shared<Receiver>();
    service.setDownloadedDelegate(library);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.isLive(); }, 10000));
    // No video stream: the tool answers with no picture, which is asked again up to three times,
    // after which the tool is restarted and the next request served.
    service.DownloadedFileForThumbnail(s_audio, 1, false);
    service.DownloadedFileForThumbnail(s_clips[0], 2, false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return library->answers.size() == 1; }, 20000));
    EXPECT_EQ(library->answers[0].id, 2);
    EXPECT_EQ(service.launchCount(), 2);
}

// A tool that never answers: every time-out resends the current request, even with nothing
// else waiting, and after three tries the tool is started anew.
TEST_F(ThumbnailServiceTest, TimeOutsRetryThenRestartTheTool)
{
    QTemporaryDir scripts;
    const QString log = scripts.filePath(QStringLiteral("launches"));
    ScopedTool tool(MediaFixtures::writeScript(scripts.path(), QStringLiteral("mute.sh"),
                                               QStringLiteral("echo start >> '%1'\nexec sleep 60").arg(log)));
    ThumbnailServerWraper service;
    service.setAnswerTimeoutMs(150);
    service.DownloadedFileForThumbnail(s_clips[0], 5, false);
    ASSERT_TRUE(service.currentRequest().has_value());
    EXPECT_EQ(service.currentRequest()->videoTime, 1);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.currentRequest() && service.currentRequest()->videoTime == 2; }, 2000));
    EXPECT_EQ(service.waitingCount(), 0);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.currentRequest() && service.currentRequest()->videoTime == 3; }, 2000));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.launchCount() == 2; }, 2000));
    EXPECT_FALSE(service.currentRequest().has_value());
    ASSERT_TRUE(TestEnvironment::waitFor(
        [&] {
            QFile f(log);
            return f.open(QIODevice::ReadOnly) && f.readAll().count("start") == 2;
        },
        3000));
}

TEST_F(ThumbnailServiceTest, QuitNotificationEndsTheToolWithoutRestart)
{
    ThumbnailServerWraper service;
    // A restart, were there one, would come with the next turn of the event loop.
    service.setRestartDelayMs(0);
    auto library = std::make_shared<Receiver>();
    auto record = std::make_shared<Receiver>();
    service.setDownloadedDelegate(library);
    service.setRecodeDelegate(record);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return service.isLive(); }, 10000));
    const qint64 pid = service.toolProcessId();
    NotificationCenter::defaultCenter().post(QStringLiteral("FENNIXPROWillQuitNotification"));
    EXPECT_FALSE(service.hasTool());
    EXPECT_EQ(service.downloadedDelegate(), nullptr);
    EXPECT_EQ(service.recodeDelegate(), record);
    // Once the tool is reaped its end has been heard; one more turn runs any restart.
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return ::kill(pid_t(pid), 0) != 0; }, 10000));
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
    EXPECT_EQ(service.launchCount(), 1);
}
