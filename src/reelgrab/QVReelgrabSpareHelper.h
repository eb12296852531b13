#pragma once

#include "reelgrab/QVXConnection.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QProcess;
class QTimer;

// A download helper started before any task needs it: launched, connected and announced, it
// waits for its first message. The task that takes it skips the process start and the engine
// load, which are most of the time between queueing a download and its first progress. The
// helper itself cannot tell: it sees the same messages as one launched for its task.
class QVReelgrabSpareHelper : public QObject, public QVRemoteMessageTarget
{
    Q_OBJECT
public:
    // What the taking task gets: it becomes the connection's root and the process's parent.
    struct Handover
    {
        std::unique_ptr<QVXConnection> connection;
        QProcess *process = nullptr;
        std::shared_ptr<QVRemoteProxy> serviceProxy;
        QString clientName;
    };

    explicit QVReelgrabSpareHelper(QObject *parent = nullptr);
    // Ends the helper unless it was handed over.
    ~QVReelgrabSpareHelper() override;

    // arguments: those after "-c name". False when nothing could be started.
    bool start(const QString &executable, const QStringList &arguments, int announceTimeoutMs);
    bool isReady() const { return m_serviceProxy != nullptr && !m_ended; }
    bool hasEnded() const { return m_ended; }
    qint64 processId() const;
    // Whether a task that would launch executable with arguments, on the current connection
    // road, may take this helper instead: also no longer once the program or an engine library
    // it may have loaded changed on disk since it started (an update).
    bool suits(const QString &executable, const QStringList &arguments) const;
    // Only when ready. Messages from the helper go to root from now on; this object is spent.
    Handover handOver(QVRemoteMessageTarget *root);

    void sendMessage(const QString &name, const QByteArray &object) override;

signals:
    void becameReady();
    // It exited, never announced itself in time, or could not start; never after handOver.
    void ended();

private:
    static QString filesStamp(const QString &executable, const QStringList &arguments);
    void announced(const QString &serviceName);
    void end();

    std::unique_ptr<QVXConnection> m_connection;
    QProcess *m_process = nullptr;
    QTimer *m_announceTimer = nullptr;
    std::shared_ptr<QVRemoteProxy> m_serviceProxy;
    QString m_clientName;
    QString m_executable;
    QStringList m_arguments;
    QString m_stamp;
    bool m_sockets = false;
    bool m_ended = false;
};
