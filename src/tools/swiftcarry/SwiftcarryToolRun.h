#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStringList>

#include <memory>

class NamedConnection;

// One run of the conversion tool as its starter sees it: the connection published under the
// run's name (the starter is its root) and the tool process that talks back over it.
//
// The tool's last reports and its exit travel apart; toolEnded is therefore held back until
// the tool's side of the connection has closed (or a short grace time passed), so every
// report it sent has been delivered first.
class SwiftcarryToolRun : public QObject
{
    Q_OBJECT
public:
    explicit SwiftcarryToolRun(QObject *parent = nullptr);
    ~SwiftcarryToolRun() override;

    // Registers the root under name; false with *error when the name cannot be used.
    bool publish(const QString &name, QString *error = nullptr);
    // Starts the tool (SwiftcarryProtocol::toolPath()) with the run's name and arguments;
    // false with *error when it cannot be started.
    bool launch(const QStringList &arguments, QString *error = nullptr);
    // Ends the run without any report: stops listening, closes the connection and ends the
    // process (SIGTERM, SIGKILL after a grace time). Never blocks.
    void end();
    // end(), then waits up to waitMs for the process to be gone: what it started (ffmpeg) was
    // killed first, so nothing writes its output any more once this returns.
    void endAndWait(int waitMs);

    QString name() const { return m_name; }
    bool isRunning() const;
    qint64 processId() const;
    QStringList arguments() const { return m_arguments; }

    // Grace time for the tool's last reports after its exit.
    static constexpr int DrainGraceMs = 1000;

signals:
    void messageReceived(const QString &message, const QByteArray &object);
    // The tool process ended by itself: bySignal when a signal killed it.
    void toolEnded(bool bySignal, int exitCode);

private:
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void conclude();

    QString m_name;
    QStringList m_arguments;
    NamedConnection *m_connection = nullptr;
    QPointer<QProcess> m_process;
    bool m_exited = false;
    bool m_bySignal = false;
    int m_exitCode = 0;
    bool m_toolDisconnected = false;
    bool m_concluded = false;
};
