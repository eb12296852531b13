#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QVariantMap>

#include <memory>

// A plain text log for diagnostics, one file per start, with the oldest "Log*.txt" of its
// folder removed once the folder holds the maximum number of logs.
class FileLog
{
public:
    // Null when the folder's new log cannot be opened.
    static std::unique_ptr<FileLog> initWithPath(const QString &folder, int maxNum,
                                                 const QDateTime &now = QDateTime::currentDateTime());
    // Null for an empty path, an existing file that is not writable, or one that cannot be made.
    static std::unique_ptr<FileLog> initWithFile(const QString &path);
    // "Log_%4d_%2d_%2d_%2d_%2d_%2d.txt": fields narrower than their width padded with blanks.
    static QString logFileName(const QDateTime &time);

    QString strLogFile() const { return m_strLogFile; }

    void logProductInfo(const QVariantMap &info);
    void logSystemInfo();
    void logUserInfo();
    void logMessgeWithLogType(const QString &type, int level, const QString &message);
    void recordLogInfo(const QString &text);
    void recordNewLine();
    void clear();

private:
    FileLog() = default;
    void write(const QString &text);

    QString m_strLogFile;
    std::unique_ptr<QFile> m_writeHand;
};
