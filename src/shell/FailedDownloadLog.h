#pragma once

#include <QMutex>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The last six failed downloads, each with the engine log of its task, kept in
// "DownloadFailedLog.plist" (an array, oldest first) for crash reports and feedback mail.
// Every access, reads included, holds one lock, so a reader never sees a half-made change.
class FailedDownloadLog
{
public:
    static constexpr int MaxEntries = 6;
    // Engine logs shorter than this carry nothing worth sending.
    static constexpr int MinLogLength = 11;
    // Only the tail of a longer engine log is kept, so six entries stay a small file.
    static constexpr qint64 MaxLogBytes = 2 * 1024 * 1024;

    // The application's log ("DownloadFailedLog.plist" in the product folder, engine logs in
    // the ReelgrabKit "aLogs" folder).
    static FailedDownloadLog &shared();
    FailedDownloadLog(const QString &filePath, const QString &engineLogFolder);

    // Records a failure; nothing happens when the task's engine log is missing or too short.
    void add(const QString &logName, const QString &url);
    // {"core": engine log text, "FailedURL": url when not empty}; empty when there is no log.
    QVariantMap createEntry(const QString &logName, const QString &url) const;
    // "Failed URL:" and one address a line; null when the log is empty.
    QString lastFailedUrls();
    QVariantList entries();

    QString filePath() const { return m_filePath; }

private:
    void loadLocked();
    QString engineLogPath(const QString &logName) const;

    QMutex m_mutex;
    QString m_filePath;
    QString m_engineLogFolder;
    bool m_loaded = false;
    QVariantList m_entries;
};
