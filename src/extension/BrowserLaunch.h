#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

// A browser started for the user, watched for its first seconds. The browser must outlive this
// program, so it runs detached; its error output goes to a file of ours. When it is gone within
// the watch and said something there, it did not start: failed() carries the last it said
// (Chromium as root: "Running as root without --no-sandbox is not supported."). A browser that
// hands the address to one already running leaves quietly and is no failure.
class BrowserLaunch : public QObject
{
    Q_OBJECT
public:
    static constexpr int WatchMs = 5000;
    static constexpr int PollMs = 100;

    // Starts program; null when it cannot be started. Connect, then beginWatch(): the watch
    // reports on the main thread (both may be called from any thread) and the object deletes
    // itself after settled().
    static BrowserLaunch *start(const QString &program, const QStringList &arguments);
    void beginWatch();
    ~BrowserLaunch() override;

    qint64 processId() const { return m_pid; }
    // The lines a browser's error output ends with, without Chromium's log prefixes.
    static QString reasonFromErrorOutput(const QByteArray &text);

signals:
    void failed(const QString &reason);
    // The watch is over: failed, or running (or gone quietly) at its end.
    void settled(bool failed);

private:
    BrowserLaunch() = default;
    void watch();
    void poll();

    qint64 m_pid = 0;
    QString m_errorsPath;
    QTimer *m_timer = nullptr;
    int m_polls = 0;
};
