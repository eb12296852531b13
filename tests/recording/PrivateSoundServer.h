#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A PulseAudio server of the test's own, on a socket in a temporary folder: never the user's.
// It starts with the given output sinks (none: a server with nothing to record). When the
// program is missing or cannot start, isRunning() is false and reason() says why.
class PrivateSoundServer
{
public:
    explicit PrivateSoundServer(const QStringList &sinkNames = {QStringLiteral("speakers")});
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    bool isRunning() const { return m_running; }
    QString reason() const { return m_reason; }
    // "unix:/…/native": the libpulse server string (and PULSE_SERVER for child programs).
    QString serverString() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_running = false;
    QString m_reason;
};
