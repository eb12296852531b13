#include "converter/FileLog.h"

#include "converter/ConverterUtilities.h"
#include "platform/log/ScribletLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

std::unique_ptr<FileLog> FileLog::initWithPath(const QString &folder, int maxNum, const QDateTime &now)
{
    const QDir dir(folder);
    if (maxNum > 0 && dir.exists()) {
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        if (entries.size() >= maxNum) {
            QStringList logs;
            for (const QString &name : entries)
                if (name.size() >= 10 && name.startsWith(QLatin1String("Log")) && name.endsWith(QLatin1String(".txt")))
                    logs.append(name);
            if (logs.size() >= maxNum) {
                logs.sort();
                QFile::remove(dir.filePath(logs.first()));  // one file per start
            }
        }
    }
    return initWithFile(dir.filePath(logFileName(now)));
}

QString FileLog::logFileName(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    return QString::asprintf("Log_%4d_%2d_%2d_%2d_%2d_%2d.txt", d.year(), d.month(), d.day(), tm.hour(), tm.minute(),
                             tm.second());
}

std::unique_ptr<FileLog> FileLog::initWithFile(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        return nullptr;
    std::unique_ptr<FileLog> log(new FileLog);
    log->m_writeHand = std::make_unique<QFile>(path);
    if (!log->m_writeHand->open(QIODevice::ReadWrite))
        return nullptr;
    log->m_strLogFile = path;
    log->clear();
    return log;
}

void FileLog::write(const QString &text)
{
    if (m_writeHand)
        m_writeHand->write(text.toUtf8());
}

void FileLog::clear()
{
    if (!m_writeHand)
        return;
    m_writeHand->resize(0);
    m_writeHand->seek(0);
    m_writeHand->write(" ");
    m_writeHand->flush();
    m_writeHand->seek(0);
}

void FileLog::logProductInfo(const QVariantMap &info)
{
    for (auto it = info.begin(); it != info.end(); ++it)
        write(QStringLiteral("%1: %2\r\n").arg(it.key(), it.value().toString()));
    write(QStringLiteral("\r\n"));
}

void FileLog::logSystemInfo()
{
    const QVariantMap info = GetSystemInfo();
    auto text = [&](const char *key) { return info.value(QLatin1String(key)).toString(); };
    write(QStringLiteral("Computer Model:%1\r\n").arg(text("Computer Model")));
    write(QStringLiteral("OS Version:%1\r\n").arg(text("OS Version")));
    write(QStringLiteral("CPU Type:%1\r\n").arg(text("CPU Type")));
    write(QStringLiteral("CPU SubType:%1\r\n").arg(text("CPU SubType")));
    write(QStringLiteral("CPU Number:%1\r\n").arg(info.contains(QStringLiteral("CPU Number")) ? info.value(QStringLiteral("CPU Number")).toInt() : -1));
    const double ghz = info.contains(QStringLiteral("CPU Speed")) ? info.value(QStringLiteral("CPU Speed")).toDouble() / 1024.0 : -1.0;
    write(QString::asprintf("CPU Speed:%0.2f GHz\r\n", ghz));
    const double gb = info.contains(QStringLiteral("Memory")) ? info.value(QStringLiteral("Memory")).toDouble() / 1024.0 : -1.0;
    write(QString::asprintf("Memory Size:%0.2f GB\r\n", gb));
    write(QStringLiteral("\r\n"));
}

void FileLog::logUserInfo()
{
    QString fullName;
    if (const passwd *pw = getpwuid(getuid())) {
        fullName = QString::fromLocal8Bit(pw->pw_gecos).section(u',', 0, 0);
        if (fullName.isEmpty())
            fullName = QString::fromLocal8Bit(pw->pw_name);
    }
    const QString program = QCoreApplication::applicationFilePath();
    const QFileInfo bundle(program);
    write(QStringLiteral("Current User:%1   ").arg(fullName));
    write(QStringLiteral("\r\nApp startup path:\r\n%1\r\n").arg(bundle.absolutePath()));
    write(QStringLiteral("For current user the app folder is:\r\n"));
    auto no = [](bool ok) { return ok ? QString() : QStringLiteral("not "); };
    write(QStringLiteral("    %1readable\r\n").arg(no(bundle.isReadable())));
    write(QStringLiteral("    %1writeable\r\n").arg(no(bundle.isWritable())));
    write(QStringLiteral("    %1exectuteable\r\n").arg(no(bundle.isExecutable())));
    write(QStringLiteral("\r\n"));
}

void FileLog::logMessgeWithLogType(const QString &type, int level, const QString &message)
{
    const QString line = QStringLiteral("[%1][%2] %3")
                             .arg(type.isEmpty() ? QStringLiteral("Info") : type)
                             .arg(level)
                             .arg(message);
    write(QDateTime::currentDateTime().toString(Qt::ISODate) + QLatin1Char(' ') + line + QStringLiteral("\r\n"));
    if (m_writeHand)
        m_writeHand->flush();
}

void FileLog::recordLogInfo(const QString &text)
{
    if (!text.isNull())
        write(text);
}

void FileLog::recordNewLine() { write(QStringLiteral(" \r\n")); }
