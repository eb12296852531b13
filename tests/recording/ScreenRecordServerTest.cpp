#include "recording/ScreenRecordServer.h"
#include "recording/ScreenRecordServerDelegate.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Events : ScreenRecordServerDelegate
{
    int started = 0;
    QStringList files;
    QStringList stops;  // reasons
    void screenRecordIsStartNeedUpdateButtonState() override { ++started; }
    void screenRecordIsOverNeedAddFileToResource(const QString &path) override { files.append(path); }
    void screenRecordIsStoppedNeedUpdateButtonState(const QString &reason) override { stops.append(reason); }
};

bool processGone(qint64 pid)
{
    return pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
}

class ScreenRecordServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.filePath(QStringLiteral("Record"));
        QDir().mkpath(m_folder);
        m_args = m_dir.filePath(QStringLiteral("args"));
        qputenv("FAKE_RECORDER_ARGS", m_args.toLocal8Bit());
        m_server.setScreenRecordClientExecPath(QStringLiteral(FAKE_RECORDER_PROGRAM));
        m_server.setScreenRecordFileSaveFolder(m_folder);
        m_server.setDelegate(&m_events);
    }
    void TearDown() override
    {
        m_server.setDelegate(nullptr);
        m_server.stopServerProcess();
    }

    void useMode(const char *mode) { qputenv("FAKE_RECORDER_MODE", mode); }

    QStringList argsSeen() const
    {
        QFile f(m_args);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    QString m_folder;
    QString m_args;
    Events m_events;
    ScreenRecordServer m_server;
};

TEST_F(ScreenRecordServerTest, StartsTheRecorderWithOnlyTheAddressAndTakesItsFile)
{
    useMode("report");
    ASSERT_TRUE(m_server.launchScreenRecordClient());
    const QString address = m_server.serverAddress();
    ASSERT_FALSE(address.isEmpty());
    const qint64 pid = m_server.clientProcessId();
    // A second Record while the recorder runs does nothing.
    EXPECT_FALSE(m_server.launchScreenRecordClient());
    EXPECT_EQ(m_server.clientProcessId(), pid);

    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !m_events.files.isEmpty(); }, 10000)) << m_events.stops.join(';').toStdString();
    EXPECT_EQ(argsSeen(), QStringList{address});
    EXPECT_EQ(m_events.started, 1);
    EXPECT_EQ(m_events.files, QStringList{m_folder + QStringLiteral("/clip.mp4")});
    EXPECT_TRUE(m_events.stops.isEmpty()) << "a finished file is not a stop";
    EXPECT_EQ(m_server.state(), ScreenRecordServer::Idle);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(pid); }, 5000)) << "the recorder is ended after its file";

    // The next recording gets a new endpoint.
    ASSERT_TRUE(m_server.launchScreenRecordClient());
    EXPECT_NE(m_server.serverAddress(), address);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return m_events.files.size() == 2; }, 10000));
}

TEST_F(ScreenRecordServerTest, EveryFailureEndsInTheClosePathAndRecordingCanStartAgain)
{
    QFile outside(m_dir.filePath(QStringLiteral("elsewhere.mp4")));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.close();
    qputenv("FAKE_RECORDER_FILE", outside.fileName().toLocal8Bit());

    struct Case
    {
        const char *name;
        const char *mode;
        QString program;      // empty: the fake recorder
        QString listenAddress;
        const char *reason;   // part of the reason the user is told; empty: the user's own stop
    };
    const QList<Case> cases{
        {"missing program", "report", m_dir.filePath(QStringLiteral("no-such-recorder")), {}, "could not be started"},
        {"exits at once", "exit", {}, {}, "ended"},
        {"unbindable socket", "report", {}, QStringLiteral("/nonexistent-folder-of-the-test/M0000100002"), "could not be opened"},
        {"silent recorder", "silent", {}, {}, "stopped answering"},
        {"file outside the folder", "outside", {}, {}, "outside the recordings folder"},
        {"symbolic link", "symlink", {}, {}, "not a plain file"},
        {"stopped by the user", "stop", {}, {}, ""},
    };
    for (const Case &c : cases) {
        // Only the silent case waits on the liveness checks; the others keep the real pace.
        m_server.setCheckIntervalMsForTesting(QByteArray(c.mode) == "silent" ? 100 : ScreenRecordServer::CheckIntervalMs);
        m_events = Events();
        useMode(c.mode);
        m_server.setScreenRecordClientExecPath(c.program.isEmpty() ? QStringLiteral(FAKE_RECORDER_PROGRAM) : c.program);
        m_server.setListenAddressForTesting(c.listenAddress);
        m_server.launchScreenRecordClient();
        const qint64 pid = m_server.clientProcessId();
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return !m_events.stops.isEmpty(); }, 10000)) << c.name;
        EXPECT_TRUE(m_events.files.isEmpty()) << c.name;
        EXPECT_EQ(m_events.stops.size(), 1) << c.name;
        if (*c.reason)
            EXPECT_TRUE(m_events.stops.value(0).contains(QLatin1String(c.reason))) << c.name << ": " << m_events.stops.value(0).toStdString();
        else
            EXPECT_TRUE(m_events.stops.value(0).isEmpty()) << c.name;
        EXPECT_EQ(m_server.state(), ScreenRecordServer::Idle) << c.name;
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return processGone(pid); }, 5000)) << c.name;
        // Late reports of the old recorder change nothing: what it wrote before it died is
        // read by the time the queued work has run.
        ASSERT_TRUE(TestEnvironment::drainPostedEvents()) << c.name;
        EXPECT_EQ(m_events.stops.size(), 1) << c.name;
    }
    m_server.setListenAddressForTesting(QString());
    m_server.setScreenRecordClientExecPath(QStringLiteral(FAKE_RECORDER_PROGRAM));
    useMode("report");
    m_events = Events();
    ASSERT_TRUE(m_server.launchScreenRecordClient());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return m_events.files.size() == 1; }, 10000));
}

} // namespace
