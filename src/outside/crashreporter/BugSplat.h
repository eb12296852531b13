#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class BugSplat;

class BugSplatDelegate
{
public:
    virtual ~BugSplatDelegate() = default;
    // Called for an uncaught exception, before the report is written; not for fatal signals
    // (nothing but async-signal-safe work may run then).
    virtual void bugSplatWillHandleSystemException(BugSplat *reporter, const QString &exception) = 0;
};

// The crash reporter. Once installed, a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT)
// or an uncaught exception writes a report folder under reportsFolder() holding "report.txt" and
// copies of the additional files, ends the child processes the program started (never any
// other process), and lets the program die with the original signal. Reports stay on the
// machine. One reporter per process.
class BugSplat
{
public:
    static constexpr int MaxAdditionalFiles = 4;
    static constexpr int MaxChildPids = 64;
    static constexpr qint64 MaxCopiedBytes = 8 * 1024 * 1024;  // of each additional file

    BugSplat(const QString &database, const QString &appName, const QString &version);
    ~BugSplat();

    void setDelegate(BugSplatDelegate *delegate) { m_delegate = delegate; }
    void setQuietMode(bool quiet) { m_quiet = quiet; }
    bool quietMode() const { return m_quiet; }
    void setSuppressReply(bool suppress) { m_suppressReply = suppress; }
    bool suppressReply() const { return m_suppressReply; }
    // At most MaxAdditionalFiles; false beyond that.
    bool addAdditionalFile(const QString &path);
    QStringList additionalFiles() const { return m_files; }
    QString appName() const { return m_appName; }
    QString version() const { return m_version; }
    QString database() const { return m_database; }

    // Installs the signal and terminate handlers; the folder of this process's report is fixed now.
    void install();
    void uninstall();
    QString reportFolder() const { return m_reportFolder; }
    static QString reportsFolder();

    // The children to end on a crash. The program refreshes it from its process registry; only
    // pids of its own children are ever listed.
    static void setChildPidsForCrash(const QList<qint64> &pids);

    // Writes the report now (normal context, e.g. from the terminate handler); the folder.
    QString writeReport(const QString &reason);

private:
    static void onFatalSignal(int signo);
    static void onTerminate();

    QString m_database;
    QString m_appName;
    QString m_version;
    BugSplatDelegate *m_delegate = nullptr;
    bool m_quiet = false;
    bool m_suppressReply = false;
    QStringList m_files;
    QString m_reportFolder;
    bool m_installed = false;
};
