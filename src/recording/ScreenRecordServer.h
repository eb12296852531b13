#pragma once

#include "reelgrab/QVRmiConnection.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QProcess;
class ScreenRecordServerDelegate;

// Starts the recorder program and serves it over the socket transport: one listening endpoint
// per recording, the program started with that address as its only argument, a liveness
// question every three seconds, and the program's reports passed to the delegate. Every road
// out (a finished file, a stop, a failed start, a dead or silent recorder) ends the program
// and the endpoint, so a new recording can always begin. Main thread.
class ScreenRecordServer : public QObject, public RmiTarget
{
    Q_OBJECT
public:
    enum State { Idle, Listening, Connected };

    static constexpr int CheckIntervalMs = 3000;
    // Unanswered liveness questions after which the recorder counts as hung.
    static constexpr int MaxUnansweredChecks = 3;
    // How long a recorder whose connection died may take to exit and say why.
    static constexpr int DeathGraceMs = 2000;

    static ScreenRecordServer &sharedScreenRecordServer();
    ScreenRecordServer();
    ~ScreenRecordServer() override;

    // The current recording; not owned. It must clear itself before it goes.
    void setDelegate(ScreenRecordServerDelegate *delegate) { m_delegate = delegate; }
    ScreenRecordServerDelegate *delegate() const { return m_delegate; }

    // The recorder program; defaults to "Capvane" beside this program.
    void setScreenRecordClientExecPath(const QString &path) { m_screenRecordClientExecPath = path; }
    QString screenRecordClientExecPath() const { return m_screenRecordClientExecPath; }
    // The folder the recorder is told to save into; reports of files elsewhere are refused.
    void setScreenRecordFileSaveFolder(const QString &folder);
    QString screenRecordFileSaveFolder() const { return m_saveFolder; }

    // Opens an endpoint and starts the recorder once it listens. Does nothing (false) while a
    // recorder is being started or runs.
    bool launchScreenRecordClient();
    // Ends the recorder after its finished file, without telling the delegate.
    void disConnection();
    // Ends the recorder and tells the delegate (reason empty: the user's own stop).
    void stopServerProcess(const QString &reason = QString());

    State state() const { return m_state; }
    bool isConnected() const { return m_state != Idle; }
    bool isAlive() const { return m_isAlive; }
    int timerNumbers() const { return m_timerNumbers; }
    QString serverAddress() const;
    qint64 clientProcessId() const;
    // The tail of what the recorder wrote to standard error (for the log and for diagnosis).
    QString clientErrorOutput() const { return QString::fromLocal8Bit(m_clientErrors); }

    // RmiTarget: the recorder's reports.
    std::optional<QString> rmiMethodSignature(const QString &selector) const override;
    void rmiInvoke(const QString &selector, const QVariantList &arguments) override;

    // Tests: a shorter liveness interval, a fixed (e.g. unbindable) endpoint address.
    void setCheckIntervalMsForTesting(int ms) { m_checkIntervalMs = ms; }
    void setListenAddressForTesting(const QString &address) { m_listenAddress = address; }

    static RmiProtocol serverProtocol();  // what the server may call on the recorder
    static RmiProtocol clientProtocol();  // what the recorder may call on the server

private:
    void registerServerSuccess();
    void remoteConnectionDidDie();
    void checkScreenRecord();
    void screenRecordGenerateFileSuccess(const QString &path);
    void tearDown();

    std::unique_ptr<QVRmiConnection> m_connection;
    QPointer<QProcess> m_task;
    QString m_screenRecordClientExecPath;
    QString m_saveFolder;
    ScreenRecordServerDelegate *m_delegate = nullptr;
    State m_state = Idle;
    bool m_isAlive = true;
    QTimer m_checkTimer;
    int m_timerNumbers = 0;
    quint64 m_generation = 0;  // one per recorder started; late timers of an old one do nothing
    int m_checkIntervalMs = CheckIntervalMs;
    QString m_listenAddress;
    QByteArray m_clientErrors;  // the recorder's standard error, its tail
};
