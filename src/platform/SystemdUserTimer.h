#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// A per-user systemd timer and the service it starts: how a program asks to be started at
// calendar moments, also out of sleep where the system allows it (WakeSystem=true). The units
// go to $XDG_CONFIG_HOME/systemd/user; systemctl runs through an injectable runner with an
// argument list, never a shell.
class SystemdUserTimer
{
public:
    // Exit status of the program, or -1 when it could not be started (no systemd).
    using Runner = std::function<int(const QString &program, const QStringList &arguments)>;

    // systemd-escape of a unit name: characters outside [A-Za-z0-9:_.] (and a leading ".")
    // become \xNN, "/" becomes "-".
    static QString escapeUnitName(const QString &name);
    // One ExecStart= word, quoted so blanks, quotes, backslashes, "%" and "$" reach the program
    // as they are. Empty for a word with a line break or NUL, which no quoting carries.
    static QString quoteExecWord(const QString &word);

    // The units are named after the escaped label.
    explicit SystemdUserTimer(const QString &label);
    QString label() const { return m_label; }
    // Folder of the unit files; $XDG_CONFIG_HOME/systemd/user by default.
    void setUnitFolder(const QString &folder) { m_folder = folder; }
    QString unitFolder() const { return m_folder; }
    // The Description= lines of the timer and the service.
    void setDescriptions(const QString &timer, const QString &service);
    // What the service starts: the running program with no arguments by default.
    void setProgram(const QString &program) { m_program = program; }
    QString program() const { return m_program; }
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    // The runner new timers start with (tests keep systemctl away); empty restores the real one.
    static void setDefaultRunnerForTesting(Runner runner);

    QString timerName() const;   // escaped label + ".timer"
    QString serviceName() const; // escaped label + ".service"
    QString timerPath() const;
    QString servicePath() const;
    // One OnCalendar= line per calendar value; a value with a line break is left out. Empty
    // when no line is left.
    QString timerText(const QStringList &calendars) const;
    // Empty when the command cannot be written (see quoteExecWord).
    QString serviceText() const;

    // Writes both units and enables the timer. False when nothing was written (no calendar,
    // a command that cannot be written, an unwritable folder) or systemctl refused it; the
    // files stay then.
    bool install(const QStringList &calendars, QString *error = nullptr);
    // Disables the timer when its file exists and deletes both units.
    void remove();
    bool isInstalled() const;

private:
    int run(const QStringList &arguments) const;

    QString m_label;
    QString m_folder;
    QString m_timerDescription;
    QString m_serviceDescription;
    QString m_program;
    QStringList m_arguments;
    Runner m_runner;
};
