#pragma once

#include "reelgrab/QVMediaSniffer.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include <memory>

// The page-loading road in a child program: the web engine never loads into Reelgrab itself,
// so the helper starts fast and only pages the engine library cannot read pay for a browser.
// The child gets its request on standard input and reports on standard output (WebSnifferWire);
// closing its standard input ends it.
class QVWebSnifferProcess : public QObject, public QVWebViewSniffing
{
    Q_OBJECT
public:
    // Seconds beyond the request's limit before a silent child is ended from here.
    static constexpr int GraceSeconds = 10;
    // Private memory the child and the processes it starts may hold together; above it the
    // page is too large and every one of them is ended. REELGRAB_WEBSNIFFER_MEMORY_MB sets
    // another figure (tests use a low one).
    static constexpr qint64 DefaultMemoryLimit = qint64(2) << 30;
    static constexpr int MemoryCheckMs = 100;
    static qint64 memoryLimit();

    explicit QVWebSnifferProcess(const QString &program);
    ~QVWebSnifferProcess() override;

    // ReelgrabWebSniffer in the running program's own folder.
    static QString defaultProgram();

    // The child ends itself after seconds; this side ends it GraceSeconds later.
    void setTimeLimit(int seconds) { m_seconds = seconds; }

    void load(const QString &pageUrl, const QString &userAgent) override;
    void stop() override;

private:
    void readOutput();
    void childEnded(const QString &why);
    void checkMemory();
    // reason: what the user is told, when it is more than that the page sniffer broke.
    void broken(const QString &why, const QString &reason = QString());
    void dismiss();

    QString m_program;
    int m_seconds = int(QVMediaSniffer::MaxBudget);
    QProcess *m_process = nullptr; // owned while running; handed to its own clean-up on stop
    QTimer m_watchdog;
    QTimer m_memoryWatch;
    qint64 m_memoryLimit = DefaultMemoryLimit;
    qint64 m_memoryPeak = 0;
    QByteArray m_buffer;
    qint64 m_received = 0;
    quint64 m_run = 0; // a break of an earlier run is not told to a later one
};
