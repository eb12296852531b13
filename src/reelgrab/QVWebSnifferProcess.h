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
    void broken(const QString &why);
    void dismiss();

    QString m_program;
    int m_seconds = int(QVMediaSniffer::MaxBudget);
    QProcess *m_process = nullptr; // owned while running; handed to its own clean-up on stop
    QTimer m_watchdog;
    QByteArray m_buffer;
    qint64 m_received = 0;
    quint64 m_run = 0; // a break of an earlier run is not told to a later one
};
