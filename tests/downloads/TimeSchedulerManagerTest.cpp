#include "downloads/TimeSchedulerManager.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

struct Call
{
    QString program;
    QStringList arguments;
};

// A scheduler over its own defaults file, a hand-set clock and a recorded systemctl.
class SchedulerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SystemdUserTimer::setDefaultRunnerForTesting([this](const QString &program, const QStringList &args) {
            calls.append({program, args});
            return systemctlStatus;
        });
        defaults = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("defaults.ini")));
    }
    void TearDown() override { SystemdUserTimer::setDefaultRunnerForTesting({}); }

    std::unique_ptr<TimeSchedulerManager> makeScheduler()
    {
        auto s = std::make_unique<TimeSchedulerManager>(*defaults, [this] { return clock; });
        s->launchAgent().setUnitFolder(m_dir.filePath(QStringLiteral("systemd/user")));
        s->launchAgent().setProgram(QCoreApplication::applicationFilePath());
        s->setCommands([this] { events << QStringLiteral("resume"); }, [this] { events << QStringLiteral("pause"); });
        s->load();
        return s;
    }
    // Runs the check at every 30 seconds from..to, like the timer does while awake.
    void tickThrough(TimeSchedulerManager &s, const QDateTime &from, const QDateTime &to)
    {
        for (QDateTime t = from; t <= to; t = t.addSecs(30)) {
            clock = t;
            s.timerFireSchedule();
        }
    }
    QString readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QStringList onCalendarLines(const QString &path)
    {
        QStringList out;
        for (const QString &line : readFile(path).split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("OnCalendar=")))
                out << line.mid(11);
        return out;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<UserDefaults> defaults;
    QDateTime clock = QDateTime(QDate(2031, 3, 3), QTime(7, 0, 10)); // a Monday
    QList<Call> calls;
    int systemctlStatus = 0;
    QStringList events;
};

TEST_F(SchedulerFixture, OneTimeStartWritesTimerAndFiresOnceInItsMinute)
{
    auto s = makeScheduler();
    s->schedulerOnceStart(QDateTime(QDate(2031, 3, 3), QTime(7, 9)), std::nullopt);

    const auto &agent = s->launchAgent();
    EXPECT_EQ(agent.timerName(), QStringLiteral("com.iQuenmark.Orrisca\\x20Studio.scheduler.timer"));
    EXPECT_EQ(onCalendarLines(agent.timerPath()), QStringList{QStringLiteral("2031-03-03 07:09:00")});
    const QString timer = readFile(agent.timerPath());
    EXPECT_TRUE(timer.contains(QLatin1String("\nWakeSystem=true\n")));
    EXPECT_TRUE(timer.contains(QStringLiteral("\nUnit=%1\n").arg(agent.serviceName())));
    const QString service = readFile(agent.servicePath());
    EXPECT_TRUE(service.contains(QStringLiteral("ExecStart=\"%1\" \"-scheduled\"").arg(QCoreApplication::applicationFilePath())));

    // Every systemctl call is an argument list for the user manager.
    ASSERT_FALSE(calls.isEmpty());
    for (const Call &c : calls) {
        EXPECT_EQ(c.program, QStringLiteral("systemctl"));
        EXPECT_EQ(c.arguments.value(0), QStringLiteral("--user"));
    }
    EXPECT_EQ(calls.last().arguments, (QStringList{QStringLiteral("--user"), QStringLiteral("enable"), QStringLiteral("--now"), agent.timerName()}));
    EXPECT_EQ(defaults->arrayForKey(QStringLiteral("StartSchedulerDownload")).size(), 1);

    tickThrough(*s, QDateTime(QDate(2031, 3, 3), QTime(7, 7, 0)), QDateTime(QDate(2031, 3, 3), QTime(7, 12, 0)));
    EXPECT_EQ(events, QStringList{QStringLiteral("resume")});
    // Fired: the schedule, its keys and its units are gone.
    EXPECT_TRUE(s->startList().isEmpty());
    EXPECT_FALSE(defaults->hasUserValue(QStringLiteral("StartSchedulerDownload")));
    EXPECT_FALSE(QFile::exists(agent.timerPath()));
    EXPECT_FALSE(QFile::exists(agent.servicePath()));
    EXPECT_EQ(calls.last().arguments.value(1), QStringLiteral("daemon-reload"));
}

TEST_F(SchedulerFixture, CreationDropsExpiredOneTimeEntriesButKeepsTheGraceWindow)
{
    struct Case
    {
        const char *name;
        int startAgoSeconds;
        int stopAgoSeconds;
        bool startKept;
        bool stopKept;
    };
    const Case cases[] = {
        {"start long gone", 3600, -3600, false, true},
        {"start just arrived (timer-started launch)", 20, -3600, true, true},
        {"start within grace (entries keep whole minutes)", TimeSchedulerManager::GraceSeconds - 70, -3600, true, true},
        {"stop long gone", -3600, 3600, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        defaults->removeObjectForKey(QStringLiteral("StartSchedulerDownload"));
        defaults->removeObjectForKey(QStringLiteral("StopSchedulerDownload"));
        const QDateTime start = clock.addSecs(-c.startAgoSeconds);
        const QDateTime stop = clock.addSecs(-c.stopAgoSeconds);
        {
            const QDateTime saved = clock;
            clock = start.addSecs(-600);
            auto writer = makeScheduler();
            writer->schedulerOnceStart(start, stop);
            clock = saved;
        }
        ASSERT_TRUE(QFile::exists(m_dir.filePath(QStringLiteral("systemd/user/com.iQuenmark.Orrisca\\x20Studio.scheduler.timer"))));
        auto s = makeScheduler();
        EXPECT_EQ(!s->startList().isEmpty(), c.startKept);
        EXPECT_EQ(!s->stopList().isEmpty(), c.stopKept);
        EXPECT_EQ(QFile::exists(s->launchAgent().timerPath()), c.startKept);
        EXPECT_EQ(defaults->hasUserValue(QStringLiteral("StartSchedulerDownload")), c.startKept);
        s->timerFireSchedule();
        EXPECT_EQ(events.contains(QStringLiteral("resume")), c.startKept && c.startAgoSeconds > 0);
    }
}

TEST_F(SchedulerFixture, WeeklyMatchesItsWeekdayOncePerOccurrence)
{
    auto s = makeScheduler();
    // Monday to Friday at 08:05, stop at 17:30.
    s->schedulerDailyStart(QVariantList{1, 1, 1, 1, 1, 0, 0, QStringLiteral("08:05")}, QTime(17, 30));
    EXPECT_EQ(onCalendarLines(s->launchAgent().timerPath()),
              (QStringList{QStringLiteral("Mon *-*-* 08:05:00"), QStringLiteral("Tue *-*-* 08:05:00"),
                           QStringLiteral("Wed *-*-* 08:05:00"), QStringLiteral("Thu *-*-* 08:05:00"),
                           QStringLiteral("Fri *-*-* 08:05:00")}));
    ASSERT_EQ(s->stopList().size(), 5);

    // Monday: several checks fall within 08:05, the command goes once.
    tickThrough(*s, QDateTime(QDate(2031, 3, 3), QTime(8, 3, 5)), QDateTime(QDate(2031, 3, 3), QTime(8, 8, 0)));
    EXPECT_EQ(events, QStringList{QStringLiteral("resume")});
    tickThrough(*s, QDateTime(QDate(2031, 3, 3), QTime(17, 28, 5)), QDateTime(QDate(2031, 3, 3), QTime(17, 32, 0)));
    EXPECT_EQ(events, (QStringList{QStringLiteral("resume"), QStringLiteral("pause")}));
    // Saturday is not selected (a fresh start that day: jumping the clock would be a sleep).
    events.clear();
    clock = QDateTime(QDate(2031, 3, 8), QTime(8, 0));
    s = makeScheduler();
    tickThrough(*s, QDateTime(QDate(2031, 3, 8), QTime(8, 3, 5)), QDateTime(QDate(2031, 3, 8), QTime(8, 8, 0)));
    EXPECT_TRUE(events.isEmpty());
    // Weekly lists never expire.
    EXPECT_EQ(s->startList().size(), 5);

    // Sunday is weekday 7, "U", and fires on Sundays only.
    s->schedulerDailyStart(QVariantList{0, 0, 0, 0, 0, 0, 1, QStringLiteral("09:00")}, std::nullopt);
    EXPECT_EQ(TimeSchedulerManager::weekdayString(7), QStringLiteral("U"));
    EXPECT_EQ(onCalendarLines(s->launchAgent().timerPath()), QStringList{QStringLiteral("Sun *-*-* 09:00:00")});
    tickThrough(*s, QDateTime(QDate(2031, 3, 8), QTime(8, 58, 5)), QDateTime(QDate(2031, 3, 8), QTime(9, 2, 0)));
    EXPECT_TRUE(events.isEmpty());
    clock = QDateTime(QDate(2031, 3, 9), QTime(8, 0));
    s = makeScheduler();
    tickThrough(*s, QDateTime(QDate(2031, 3, 9), QTime(8, 58, 5)), QDateTime(QDate(2031, 3, 9), QTime(9, 2, 0)));
    EXPECT_EQ(events, QStringList{QStringLiteral("resume")});
}

TEST_F(SchedulerFixture, StartAndStopInTheSameMinuteResumeThenPause)
{
    auto s = makeScheduler();
    const QDateTime at(QDate(2031, 3, 3), QTime(10, 0));
    s->schedulerOnceStart(at, at);
    tickThrough(*s, at.addSecs(-50), at.addSecs(70));
    EXPECT_EQ(events, (QStringList{QStringLiteral("resume"), QStringLiteral("pause")}));
    EXPECT_TRUE(s->startList().isEmpty());
    EXPECT_TRUE(s->stopList().isEmpty());
}

TEST_F(SchedulerFixture, MomentsMissedWhileAsleepAreCaughtUpOnceInTimeOrder)
{
    struct Case
    {
        const char *name;
        bool daily;
        QTime start;
        QTime stop;
        QStringList expected;
    };
    const Case cases[] = {
        {"one-time start", false, QTime(8, 5), QTime(), {QStringLiteral("resume")}},
        {"weekly start", true, QTime(8, 5), QTime(), {QStringLiteral("resume")}},
        {"weekly start then stop", true, QTime(8, 0), QTime(11, 0), {QStringLiteral("resume"), QStringLiteral("pause")}},
        {"weekly stop then start", true, QTime(11, 0), QTime(8, 0), {QStringLiteral("pause"), QStringLiteral("resume")}},
        {"one-time stop then start", false, QTime(11, 0), QTime(8, 0), {QStringLiteral("pause"), QStringLiteral("resume")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        clock = QDateTime(QDate(2031, 3, 3), QTime(7, 0));
        auto s = makeScheduler();
        const QDate day(2031, 3, 3);
        if (c.daily)
            s->schedulerDailyStart(QVariantList{1, 1, 1, 1, 1, 1, 1, c.start.toString(QStringLiteral("HH:mm"))},
                                   c.stop.isValid() ? std::optional<QTime>(c.stop) : std::nullopt);
        else
            s->schedulerOnceStart(QDateTime(day, c.start),
                                  c.stop.isValid() ? std::optional<QDateTime>(QDateTime(day, c.stop)) : std::nullopt);
        tickThrough(*s, QDateTime(day, QTime(7, 30)), QDateTime(day, QTime(7, 45)));
        ASSERT_TRUE(events.isEmpty());
        // The machine sleeps from 07:45 until noon: the next tick comes at 12:00.
        tickThrough(*s, QDateTime(day, QTime(12, 0)), QDateTime(day, QTime(12, 10)));
        EXPECT_EQ(events, c.expected);
    }
}

TEST_F(SchedulerFixture, DailyEdgeCases)
{
    auto s = makeScheduler();
    // No weekday selected: an empty start list, no unit, no systemctl.
    s->schedulerDailyStart(QVariantList{0, 0, 0, 0, 0, 0, 0, QStringLiteral("08:00")}, std::nullopt);
    EXPECT_TRUE(s->startList().isEmpty());
    EXPECT_FALSE(QFile::exists(s->launchAgent().timerPath()));
    EXPECT_TRUE(calls.isEmpty());

    // A time text that is not two parts changes nothing, stop included.
    s->schedulerDailyStart(QVariantList{1, 0, 0, 0, 0, 0, 0, QStringLiteral("08:00")}, QTime(9, 0));
    const QVariantList stop = s->stopList();
    for (const char *bad : {"0800", "08:00:00", "", "ab:cd", "25:00"}) {
        SCOPED_TRACE(bad);
        s->schedulerDailyStart(QVariantList{0, 1, 0, 0, 0, 0, 0, QString::fromLatin1(bad)}, QTime(10, 0));
        EXPECT_EQ(s->stopList(), stop);
        EXPECT_EQ(s->startList().size(), 1);
    }
    // Too short an array is refused too.
    s->schedulerDailyStart(QVariantList{1, QStringLiteral("08:00")}, QTime(10, 0));
    EXPECT_EQ(s->stopList(), stop);

    // A stop without a start holds every day and fires.
    s->schedulerDailyStart(std::nullopt, QTime(18, 15));
    EXPECT_TRUE(s->startList().isEmpty());
    EXPECT_FALSE(QFile::exists(s->launchAgent().timerPath()));
    EXPECT_EQ(s->stopList().size(), 7);
    events.clear();
    clock = QDateTime(QDate(2031, 3, 6), QTime(18, 0));
    s = makeScheduler();
    EXPECT_EQ(s->stopList().size(), 7);
    tickThrough(*s, QDateTime(QDate(2031, 3, 6), QTime(18, 13, 5)), QDateTime(QDate(2031, 3, 6), QTime(18, 17, 0)));
    EXPECT_EQ(events, QStringList{QStringLiteral("pause")});
}

TEST_F(SchedulerFixture, WithoutSystemdTheScheduleStillWorksWhileRunning)
{
    systemctlStatus = -1;
    auto s = makeScheduler();
    s->schedulerOnceStart(QDateTime(QDate(2031, 3, 3), QTime(7, 30)), std::nullopt);
    EXPECT_EQ(s->startList().size(), 1);
    EXPECT_EQ(defaults->arrayForKey(QStringLiteral("StartSchedulerDownload")).size(), 1);
    tickThrough(*s, QDateTime(QDate(2031, 3, 3), QTime(7, 29)), QDateTime(QDate(2031, 3, 3), QTime(7, 31)));
    EXPECT_EQ(events, QStringList{QStringLiteral("resume")});
}

TEST(TimeSchedulerManager, OnCalendarOfEntries)
{
    struct Case
    {
        const char *name;
        QVariantMap entry;
        QString calendar;
    } cases[] = {
        {"weekly", TimeSchedulerManager::weeklyEntry(6, 5, 7), QStringLiteral("Sun *-*-* 06:05:00")},
        {"once", TimeSchedulerManager::onceEntry(QDateTime(QDate(2031, 2, 28), QTime(23, 59))), QStringLiteral("2031-02-28 23:59:00")},
        // Hostile or damaged entries give no calendar line rather than a broken unit.
        {"hour out of range", {{QStringLiteral("Hour"), 24}, {QStringLiteral("Minute"), 0}, {QStringLiteral("Weekday"), 1}}, QString()},
        {"weekday out of range", {{QStringLiteral("Hour"), 1}, {QStringLiteral("Minute"), 0}, {QStringLiteral("Weekday"), 8}}, QString()},
        {"a directive in the hour", {{QStringLiteral("Hour"), QStringLiteral("1\nExecStart=x")}, {QStringLiteral("Minute"), 0}}, QString()},
        {"no such day", {{QStringLiteral("Year"), 2031}, {QStringLiteral("Month"), 2}, {QStringLiteral("Day"), 30}, {QStringLiteral("Hour"), 1}, {QStringLiteral("Minute"), 0}}, QString()},
        {"before systemd's years", {{QStringLiteral("Year"), 1969}, {QStringLiteral("Month"), 1}, {QStringLiteral("Day"), 1}, {QStringLiteral("Hour"), 1}, {QStringLiteral("Minute"), 0}}, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TimeSchedulerManager::onCalendar(c.entry), c.calendar);
    }
}

TEST_F(SchedulerFixture, WrittenUnitsPassSystemdAnalyzeVerify)
{
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze not installed";
    auto s = makeScheduler();
    s->schedulerDailyStart(QVariantList{1, 0, 1, 0, 1, 0, 0, QStringLiteral("06:45")}, std::nullopt);
    s->schedulerOnceStart(QDateTime(QDate(2031, 3, 3), QTime(7, 9)), std::nullopt);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(analyze, {QStringLiteral("verify"), s->launchAgent().timerPath(), s->launchAgent().servicePath()});
    ASSERT_TRUE(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAll());
    // Without a system bus the tool may complain about the host; anything else is ours.
    if (!out.contains(QLatin1String("bus"), Qt::CaseInsensitive)) {
        EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    }
    EXPECT_FALSE(out.contains(SystemdUserTimer::escapeUnitName(TimeSchedulerManager::launchAgentLabel()))) << out.toStdString();
    EXPECT_EQ(onCalendarLines(s->launchAgent().timerPath()), QStringList{QStringLiteral("2031-03-03 07:09:00")});
}

} // namespace
