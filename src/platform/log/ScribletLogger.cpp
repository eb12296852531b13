#include "platform/log/ScribletLogger.h"

#include "platform/AppPaths.h"
#include "platform/MainBundle.h"

#include <QDateTime>
#include <QDir>
#include <QMutexLocker>
#include <QThread>

ScribletLogger &ScribletLogger::defaultLogger()
{
    static ScribletLogger *logger = [] {
        QString name = MainBundle::infoString(QStringLiteral("LogName"));
        // The name becomes a file name: keep it plain.
        name.remove(QLatin1Char('/'));
        if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
            name = QStringLiteral("FennixPro");
        return new ScribletLogger(QDir(AppPaths::logFolder()).filePath(name + QStringLiteral(".log")));
    }();
    return *logger;
}

ScribletLogger::ScribletLogger(const QString &filePath) : m_path(filePath)
{
    if (qEnvironmentVariableIsSet("FENNIX_DEBUG_LOG"))
        m_level = Debug;
}

ScribletLogger::~ScribletLogger()
{
    QMutexLocker lock(&m_mutex);
    m_file.close();
}

void ScribletLogger::setLevel(Level level)
{
    QMutexLocker lock(&m_mutex);
    m_level = level;
}

ScribletLogger::Level ScribletLogger::level() const
{
    QMutexLocker lock(&m_mutex);
    return m_level;
}

QString ScribletLogger::filePath() const { return m_path; }

void ScribletLogger::openLocked()
{
    if (m_file.isOpen())
        return;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_file.setFileName(m_path);
    m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void ScribletLogger::log(Level level, const QString &text)
{
    static const char *const names[] = {"ERROR", "INFO", "DEBUG"};
    QMutexLocker lock(&m_mutex);
    if (level > m_level)
        return;
    openLocked();
    if (!m_file.isOpen())
        return;
    if (m_file.size() > MaxFileSize) {
        m_file.close();
        const QString old = m_path + QStringLiteral(".1");
        QFile::remove(old);
        QFile::rename(m_path, old);
        openLocked();
        if (!m_file.isOpen())
            return;
    }
    QString line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    line += QLatin1Char(' ');
    line += QLatin1String(names[qBound(0, int(level), 2)]);
    line += QLatin1Char(' ');
    // One record per line: embedded line breaks would let a logged page title forge entries.
    QString body = text;
    body.replace(QLatin1Char('\n'), QLatin1String("\\n")).replace(QLatin1Char('\r'), QLatin1String("\\r"));
    line += body;
    line += QLatin1Char('\n');
    m_file.write(line.toUtf8());
    m_file.flush();
}

void ScribletLogger::flush()
{
    QMutexLocker lock(&m_mutex);
    if (m_file.isOpen())
        m_file.flush();
}

void ScribletLogInfo(const QString &text) { ScribletLogger::defaultLogger().log(ScribletLogger::Info, text); }
void ScribletLogError(const QString &text) { ScribletLogger::defaultLogger().log(ScribletLogger::Error, text); }
void ScribletLogDebug(const QString &text) { ScribletLogger::defaultLogger().log(ScribletLogger::Debug, text); }
