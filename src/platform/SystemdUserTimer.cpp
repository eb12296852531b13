#include "platform/SystemdUserTimer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTime>

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

int intOf(const QVariantMap &m, const char *key, bool *ok)
{
    const QVariant v = m.value(QString::fromLatin1(key));
    bool good = false;
    const int i = v.toInt(&good);
    if (!good)
        *ok = false;
    return i;
}

SystemdUserTimer::Runner &defaultRunner()
{
    static SystemdUserTimer::Runner runner = runProcess;
    return runner;
}

} // namespace

void SystemdUserTimer::setDefaultRunnerForTesting(Runner runner)
{
    defaultRunner() = runner ? std::move(runner) : Runner(runProcess);
}

QString SystemdUserTimer::label()
{
    return QStringLiteral("com.%1.%2.scheduler").arg(QStringLiteral("iQuenmark"), QStringLiteral("Orrisca Studio"));
}

QString SystemdUserTimer::escapeUnitName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    QString out;
    for (int i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
                           c == '_' || (c == '.' && i > 0);
        if (c == '/')
            out += QLatin1Char('-');
        else if (plain)
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString SystemdUserTimer::onCalendar(const QVariantMap &entry)
{
    bool ok = true;
    const int hour = intOf(entry, "Hour", &ok);
    const int minute = intOf(entry, "Minute", &ok);
    if (!ok || !QTime::isValid(hour, minute, 0))
        return {};
    const QString time = QStringLiteral("%1:%2:00").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
    if (entry.contains(QStringLiteral("Weekday"))) {
        static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        const int weekday = intOf(entry, "Weekday", &ok);
        if (!ok || weekday < 1 || weekday > 7)
            return {};
        return QStringLiteral("%1 *-*-* %2").arg(QString::fromLatin1(days[weekday - 1]), time);
    }
    const int year = intOf(entry, "Year", &ok);
    const int month = intOf(entry, "Month", &ok);
    const int day = intOf(entry, "Day", &ok);
    if (!ok || !QDate::isValid(year, month, day) || year < 1970 || year > 9999)
        return {};
    return QStringLiteral("%1-%2-%3 %4")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(time);
}

QString SystemdUserTimer::quoteExecWord(const QString &word)
{
    QString out = QStringLiteral("\"");
    for (QChar c : word) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            continue; // a line break would end the directive
        out += c;
    }
    return out + QLatin1Char('"');
}

SystemdUserTimer::SystemdUserTimer()
    : m_folder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/systemd/user"))
    , m_program(QCoreApplication::applicationFilePath())
    , m_runner(defaultRunner())
{
}

QString SystemdUserTimer::timerName() const
{
    return escapeUnitName(label()) + QStringLiteral(".timer");
}

QString SystemdUserTimer::serviceName() const
{
    return escapeUnitName(label()) + QStringLiteral(".service");
}

QString SystemdUserTimer::timerPath() const
{
    return m_folder + QLatin1Char('/') + timerName();
}

QString SystemdUserTimer::servicePath() const
{
    return m_folder + QLatin1Char('/') + serviceName();
}

QString SystemdUserTimer::timerText(const QVariantList &startList) const
{
    QString lines;
    for (const QVariant &v : startList) {
        const QString calendar = onCalendar(v.toMap());
        if (!calendar.isEmpty())
            lines += QStringLiteral("OnCalendar=%1\n").arg(calendar);
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral("[Unit]\nDescription=Scheduled downloads of Fennix Pro\n\n[Timer]\n") + lines +
           QStringLiteral("WakeSystem=true\nPersistent=true\nUnit=%1\n\n[Install]\nWantedBy=timers.target\n").arg(serviceName());
}

QString SystemdUserTimer::serviceText() const
{
    return QStringLiteral("[Unit]\nDescription=Start Fennix Pro for scheduled downloads\n\n[Service]\nType=simple\nExecStart=%1 %2\n")
        .arg(quoteExecWord(m_program), quoteExecWord(QStringLiteral("-scheduled")));
}

bool SystemdUserTimer::install(const QVariantList &startList)
{
    const QString timer = timerText(startList);
    if (timer.isEmpty())
        return false;
    if (!QDir().mkpath(m_folder))
        return false;
    for (const auto &[path, text] : {std::pair{servicePath(), serviceText()}, std::pair{timerPath(), timer}}) {
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
            qWarning().noquote() << QStringLiteral("Scheduler unit write failed: %1").arg(path);
            return false;
        }
    }
    run({QStringLiteral("--user"), QStringLiteral("daemon-reload")});
    // Restart so a changed calendar takes effect at once.
    run({QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"), timerName()});
    const int status = run({QStringLiteral("--user"), QStringLiteral("enable"), QStringLiteral("--now"), timerName()});
    if (status != 0) {
        qInfo().noquote() << QStringLiteral("Scheduler load failed (%1); the schedule holds while the application runs").arg(status);
        return false;
    }
    qInfo().noquote() << QStringLiteral("Scheduler load ok");
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
