#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

// The per-user start-up of a scheduled resume: a systemd user timer whose service starts the
// application with "-scheduled". The timer carries one OnCalendar= line per start entry and
// WakeSystem=true, so it also wakes a sleeping machine where the system allows that.
// systemctl is run through an injectable runner with an argument list, never a shell.
class SystemdUserTimer
{
public:
    // Exit status of the program, or -1 when it could not be started (no systemd).
    using Runner = std::function<int(const QString &program, const QStringList &arguments)>;

    // "com.iQuenmark.Orrisca Studio.scheduler"
    static QString label();
    // systemd-escape of a unit name: characters outside [A-Za-z0-9:_.] (and a leading ".")
    // become \xNN, "/" becomes "-".
    static QString escapeUnitName(const QString &name);
    // The OnCalendar= value of one schedule entry; empty for an entry out of range.
    static QString onCalendar(const QVariantMap &entry);
    // One ExecStart= word, quoted so blanks, quotes, backslashes and "%" survive systemd's parser.
    static QString quoteExecWord(const QString &word);

    SystemdUserTimer();
    // Folder of the unit files; $XDG_CONFIG_HOME/systemd/user by default.
    void setUnitFolder(const QString &folder) { m_folder = folder; }
    QString unitFolder() const { return m_folder; }
    // The program the service starts; the running program by default.
    void setProgram(const QString &program) { m_program = program; }
    QString program() const { return m_program; }
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    // The runner new agents start with (tests keep systemctl away); empty restores QProcess.
    static void setDefaultRunnerForTesting(Runner runner);

    QString timerName() const;   // escaped label + ".timer"
    QString serviceName() const; // escaped label + ".service"
    QString timerPath() const;
    QString servicePath() const;
    QString timerText(const QVariantList &startList) const;
    QString serviceText() const;

    // Writes both units and enables the timer. False when nothing was written (empty list,
    // no usable entry, unwritable folder) or systemctl refused it; the files stay then.
    bool install(const QVariantList &startList);
    // Disables the timer when its file exists and deletes both units.
    void remove();
    bool isInstalled() const;

private:
    int run(const QStringList &arguments) const;

    QString m_folder;
    QString m_program;
    Runner m_runner;
};
