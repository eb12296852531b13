#include "platform/SystemdUserTimer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

int runProcess(const QString &program, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return -1;
    QProcess p;
    p.setProgram(path);
    p.setArguments(arguments);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start();
    // systemctl answers in well under a second; a hung bus must not hang the window.
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

SystemdUserTimer::Runner &defaultRunner()
{
    static SystemdUserTimer::Runner runner = runProcess;
    return runner;
}

bool hasLineBreak(const QString &text)
{
    for (QChar c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0))
            return true;
    return false;
}

// A Description= value: "%" would start a specifier, a line break a new directive.
QString descriptionValue(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        out += c.isPrint() ? c : QLatin1Char(' ');
    }
    return out;
}

} // namespace

void SystemdUserTimer::setDefaultRunnerForTesting(Runner runner)
{
    defaultRunner() = runner ? std::move(runner) : Runner(runProcess);
}

QString SystemdUserTimer::escapeUnitName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    QString out;
    for (int i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '_' || (c == '.' && i > 0);
        if (c == '/')
            out += QLatin1Char('-');
        else if (plain)
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString SystemdUserTimer::quoteExecWord(const QString &word)
{
    if (hasLineBreak(word))
        return {};
    QString out = QStringLiteral("\"");
    for (QChar c : word) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        else if (c == QLatin1Char('$')) // else an environment variable is put in its place
            out += QLatin1Char('$');
        out += c;
    }
    return out + QLatin1Char('"');
}

SystemdUserTimer::SystemdUserTimer(const QString &label)
    : m_label(label), m_folder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/systemd/user")), m_timerDescription(label), m_serviceDescription(label), m_program(QCoreApplication::applicationFilePath()), m_runner(defaultRunner())
{
}

void SystemdUserTimer::setDescriptions(const QString &timer, const QString &service)
{
    m_timerDescription = timer;
    m_serviceDescription = service;
}

QString SystemdUserTimer::timerName() const
{
    return escapeUnitName(m_label) + QStringLiteral(".timer");
}

QString SystemdUserTimer::serviceName() const
{
    return escapeUnitName(m_label) + QStringLiteral(".service");
}

QString SystemdUserTimer::timerPath() const
{
    return m_folder + QLatin1Char('/') + timerName();
}

QString SystemdUserTimer::servicePath() const
{
    return m_folder + QLatin1Char('/') + serviceName();
}

QString SystemdUserTimer::timerText(const QStringList &calendars) const
{
    QString lines;
    for (const QString &calendar : calendars) {
        if (!calendar.trimmed().isEmpty() && !hasLineBreak(calendar))
            lines += QStringLiteral("OnCalendar=%1\n").arg(calendar.trimmed());
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral("[Unit]\nDescription=%1\n\n[Timer]\n").arg(descriptionValue(m_timerDescription)) + lines + QStringLiteral("WakeSystem=true\nPersistent=true\nUnit=%1\n\n[Install]\nWantedBy=timers.target\n").arg(serviceName());
}

QString SystemdUserTimer::serviceText() const
{
    QStringList words;
    for (const QString &word : QStringList{m_program} + m_arguments) {
        words << quoteExecWord(word);
        if (words.last().isEmpty())
            return {};
    }
    return QStringLiteral("[Unit]\nDescription=%1\n\n[Service]\nType=simple\nExecStart=%2\n")
        .arg(descriptionValue(m_serviceDescription), words.join(QLatin1Char(' ')));
}

bool SystemdUserTimer::install(const QStringList &calendars, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString timer = timerText(calendars);
    if (timer.isEmpty())
        return fail(QStringLiteral("no calendar moment to write"));
    const QString service = serviceText();
    if (service.isEmpty() || m_program.isEmpty())
        return fail(QStringLiteral("the command cannot be written to a unit: %1").arg(m_program));
    if (!QDir().mkpath(m_folder))
        return fail(QStringLiteral("cannot make %1").arg(m_folder));
    for (const auto &[path, text] : {std::pair{servicePath(), service}, std::pair{timerPath(), timer}}) {
        // QSaveFile writes through a link; the unit belongs in this folder, not where a link
        // left here points.
        if (QFileInfo(path).isSymLink() && !QFile::remove(path))
            return fail(QStringLiteral("cannot replace the link %1").arg(path));
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit())
            return fail(QStringLiteral("unit write failed: %1").arg(path));
    }
    run({QStringLiteral("--user"), QStringLiteral("daemon-reload")});
    // Restart so a changed calendar takes effect at once.
    run({QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"), timerName()});
    const int status = run({QStringLiteral("--user"), QStringLiteral("enable"), QStringLiteral("--now"), timerName()});
    if (status != 0)
        return fail(QStringLiteral("systemctl could not enable %1 (%2)").arg(timerName()).arg(status));
    return true;
}

void SystemdUserTimer::remove()
{
    if (!QFileInfo::exists(timerPath()) && !QFileInfo::exists(servicePath()))
        return;
    if (QFileInfo::exists(timerPath()))
        run({QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"), timerName()});
    QFile::remove(timerPath());
    QFile::remove(servicePath());
    run({QStringLiteral("--user"), QStringLiteral("daemon-reload")});
}

bool SystemdUserTimer::isInstalled() const
{
    return QFileInfo::exists(timerPath());
}

int SystemdUserTimer::run(const QStringList &arguments) const
{
    return m_runner ? m_runner(QStringLiteral("systemctl"), arguments) : -1;
}
