#pragma once

#include <QFile>
#include <QMutex>
#include <QString>

// Levelled log file of the application: one line per call with time, level and text, in the
// application's log folder ("<LogName>.log"; LogName comes from Info.plist, else "FennixPro").
// The file is rotated once it passes MaxFileSize; one older file is kept.
class ScribletLogger
{
public:
    enum Level { Error = 0, Info = 1, Debug = 2 };
    static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;

    static ScribletLogger &defaultLogger();
    explicit ScribletLogger(const QString &filePath);
    ~ScribletLogger();

    void setLevel(Level level);
    Level level() const;
    void log(Level level, const QString &text);
    QString filePath() const;
    void flush();

private:
    void openLocked();
    mutable QMutex m_mutex;
    QString m_path;
    QFile m_file;
    Level m_level = Info;
};

void ScribletLogInfo(const QString &text);
void ScribletLogError(const QString &text);
void ScribletLogDebug(const QString &text);
