#include "platform/SystemdUserTimer.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions = {})
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    if (permissions)
        f.setPermissions(permissions);
}

// A systemctl of our own first on PATH: it writes its arguments, one call a line, and exits
// with the status the test sets. The timer's real runner finds it by name like the real one.
class FakeSystemctl
{
public:
    FakeSystemctl()
        : m_path(qgetenv("PATH"))
    {
        setStatus(0);
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + m_path);
    }
    ~FakeSystemctl() { qputenv("PATH", m_path); }
    void setStatus(int status)
    {
        writeFile(m_dir.filePath(QStringLiteral("systemctl")),
                  QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '%1'\nexit %2\n").arg(callsPath()).arg(status).toUtf8(),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList takeCalls()
    {
        const QStringList lines = readFile(callsPath()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QFile::remove(callsPath());
        return lines;
    }

private:
    QString callsPath() const { return m_dir.filePath(QStringLiteral("calls")); }
    QTemporaryDir m_dir{TestEnvironment::home() + QStringLiteral("/systemctl-XXXXXX")};
    QByteArray m_path;
};

} // namespace

TEST(SystemdUserTimer, WritesBothUnitsToTheUserFolderAndEnablesTheTimer)
{
    FakeSystemctl systemctl;
    struct Case
    {
        const char *name;
        QStringList calendars;
        QStringList lines; // the OnCalendar= values written; none: nothing installed
    } cases[] = {
        {"weekly days", {QStringLiteral("Mon *-*-* 06:05:00"), QStringLiteral("Fri *-*-* 06:05:00")}, {QStringLiteral("Mon *-*-* 06:05:00"), QStringLiteral("Fri *-*-* 06:05:00")}},
        {"one moment", {QStringLiteral("2031-03-03 07:09:00")}, {QStringLiteral("2031-03-03 07:09:00")}},
        {"empty values are left out", {QString(), QStringLiteral("  "), QStringLiteral("Sun *-*-* 00:00:00")}, {QStringLiteral("Sun *-*-* 00:00:00")}},
        {"a value that would add a directive is left out",
         {QStringLiteral("Mon *-*-* 01:00:00\nExecStart=/bin/evil"), QStringLiteral("Tue *-*-* 01:00:00")},
         {QStringLiteral("Tue *-*-* 01:00:00")}},
        {"nothing to start at", {}, {}},
    };
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/systemd/user");
    ASSERT_TRUE(folder.startsWith(TestEnvironment::home()));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder).removeRecursively();
        systemctl.takeCalls();
        SystemdUserTimer timer(QStringLiteral("com.example.Some App.scheduler"));
        timer.setDescriptions(QStringLiteral("Runs at 100%"), QStringLiteral("Starts it\nExecStartPre=/bin/evil"));
        timer.setProgram(QStringLiteral("/opt/some app/bin/app"));
        timer.setArguments({QStringLiteral("-scheduled")});
        EXPECT_EQ(timer.unitFolder(), folder);
        QString error;
        const bool installed = timer.install(c.calendars, &error);
        EXPECT_EQ(installed, !c.lines.isEmpty()) << error.toStdString();
        if (c.lines.isEmpty()) {
            EXPECT_FALSE(error.isEmpty());
            EXPECT_FALSE(QFileInfo::exists(folder));
            EXPECT_TRUE(systemctl.takeCalls().isEmpty());
            continue;
        }
        EXPECT_EQ(timer.timerPath(), folder + QStringLiteral("/com.example.Some\\x20App.scheduler.timer"));
        QString onCalendar;
        for (const QString &line : c.lines)
            onCalendar += QStringLiteral("OnCalendar=%1\n").arg(line);
        EXPECT_EQ(readFile(timer.timerPath()),
                  QStringLiteral("[Unit]\nDescription=Runs at 100%%\n\n[Timer]\n") + onCalendar + QStringLiteral("WakeSystem=true\nPersistent=true\nUnit=com.example.Some\\x20App.scheduler.service\n\n"
                                                                                                                 "[Install]\nWantedBy=timers.target\n"));
        EXPECT_EQ(readFile(timer.servicePath()),
                  QStringLiteral("[Unit]\nDescription=Starts it ExecStartPre=/bin/evil\n\n[Service]\nType=simple\n"
                                 "ExecStart=\"/opt/some app/bin/app\" \"-scheduled\"\n"));
        EXPECT_EQ(systemctl.takeCalls(), (QStringList{QStringLiteral("--user daemon-reload"),
                                                      QStringLiteral("--user disable --now ") + timer.timerName(),
                                                      QStringLiteral("--user enable --now ") + timer.timerName()}));
        EXPECT_TRUE(timer.isInstalled());
    }
}

TEST(SystemdUserTimer, CommandWordsAreQuotedOrRefused)
{
    struct Case
    {
        QString word;
        QString quoted; // empty: refused
    } cases[] = {
        {QStringLiteral("/opt/a b/\"x\"\\100%"), QStringLiteral("\"/opt/a b/\\\"x\\\"\\\\100%%\"")},
        // systemd puts an environment variable in place of $NAME.
        {QStringLiteral("/home/$USER/app"), QStringLiteral("\"/home/$$USER/app\"")},
        {QStringLiteral("; rm -rf ~"), QStringLiteral("\"; rm -rf ~\"")},
        {QStringLiteral("/opt/app\nExecStartPost=/bin/evil"), QString()},
        {QStringLiteral("/opt/app\r"), QString()},
        {QString(QChar(0)) + QStringLiteral("x"), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word.toStdString());
        EXPECT_EQ(SystemdUserTimer::quoteExecWord(c.word), c.quoted);
    }
    EXPECT_EQ(SystemdUserTimer::escapeUnitName(QStringLiteral("com.a b/c.x")), QStringLiteral("com.a\\x20b-c.x"));
    EXPECT_EQ(SystemdUserTimer::escapeUnitName(QStringLiteral(".hidden")), QStringLiteral("\\x2ehidden"));

    // A program no unit can carry writes nothing and asks systemctl nothing.
    FakeSystemctl systemctl;
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/units-XXXXXX"));
    SystemdUserTimer timer(QStringLiteral("../../escape"));
    timer.setUnitFolder(dir.path());
    timer.setProgram(QStringLiteral("/opt/app\nExecStartPost=/bin/evil"));
    QString error;
    EXPECT_FALSE(timer.install({QStringLiteral("Mon *-*-* 01:00:00")}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(systemctl.takeCalls().isEmpty());

    // A hostile label stays one file name inside the unit folder.
    timer.setProgram(QStringLiteral("/opt/app"));
    ASSERT_TRUE(timer.install({QStringLiteral("Mon *-*-* 01:00:00")}, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(timer.timerPath()).absolutePath(), dir.path());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(SystemdUserTimer, ALinkLeftAtAUnitIsReplacedNotWrittenThrough)
{
    FakeSystemctl systemctl;
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/units-XXXXXX"));
    const QString outside = dir.filePath(QStringLiteral("outside.conf"));
    writeFile(outside, "keep");
    SystemdUserTimer timer(QStringLiteral("t"));
    timer.setUnitFolder(dir.filePath(QStringLiteral("user")));
    ASSERT_TRUE(QDir().mkpath(timer.unitFolder()));
    ASSERT_TRUE(QFile::link(outside, timer.servicePath()));
    ASSERT_TRUE(timer.install({QStringLiteral("daily")}));
    EXPECT_EQ(readFile(outside), QStringLiteral("keep"));
    EXPECT_FALSE(QFileInfo(timer.servicePath()).isSymLink());
    EXPECT_TRUE(readFile(timer.servicePath()).contains(QLatin1String("ExecStart=")));
}

TEST(SystemdUserTimer, ARefusedEnableKeepsTheFilesAndRemoveTakesThemAway)
{
    FakeSystemctl systemctl;
    QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/units-XXXXXX"));
    SystemdUserTimer timer(QStringLiteral("t"));
    timer.setUnitFolder(dir.path());
    systemctl.setStatus(1);
    QString error;
    EXPECT_FALSE(timer.install({QStringLiteral("daily")}, &error));
    EXPECT_TRUE(error.contains(QLatin1String("(1)"))) << error.toStdString();
    EXPECT_TRUE(timer.isInstalled());
    EXPECT_TRUE(QFileInfo::exists(timer.servicePath()));

    systemctl.setStatus(0);
    systemctl.takeCalls();
    timer.remove();
    EXPECT_FALSE(QFileInfo::exists(timer.timerPath()));
    EXPECT_FALSE(QFileInfo::exists(timer.servicePath()));
    EXPECT_EQ(systemctl.takeCalls(),
              (QStringList{QStringLiteral("--user disable --now t.timer"), QStringLiteral("--user daemon-reload")}));
    // Nothing there: nothing to ask systemd.
    timer.remove();
    EXPECT_TRUE(systemctl.takeCalls().isEmpty());

    // No systemctl at all (no systemd) is a failure the caller hears of.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    EXPECT_FALSE(timer.install({QStringLiteral("daily")}, &error));
    qputenv("PATH", path);
}
