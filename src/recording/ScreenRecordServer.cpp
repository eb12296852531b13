#include "recording/ScreenRecordServer.h"

#include "platform/NotificationCenter.h"
#include "platform/ProcessRegistry.h"
#include "platform/log/ScribletLogger.h"
#include "recording/RecordingFiles.h"
#include "recording/ScreenRecordServerDelegate.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

namespace {

const QString kStart = QStringLiteral("screenRecordIsStart");
const QString kFile = QStringLiteral("screenRecordGenerateFileSuccess:");
const QString kStopped = QStringLiteral("screenRecordIsStopped");
const QString kLive = QStringLiteral("setClientLive");

// Grace between the polite end and the hard one for a recorder that ignores it.
constexpr int KillAfterMs = 3000;

void endProcess(QProcess *process)
{
    if (!process)
        return;
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->terminate();
    QPointer<QProcess> guard(process);
    QTimer::singleShot(KillAfterMs, process, [guard] {
        if (guard && guard->state() != QProcess::NotRunning)
            guard->kill();
    });
}

} // namespace

ScreenRecordServer &ScreenRecordServer::sharedScreenRecordServer()
{
    static ScreenRecordServer *server = new ScreenRecordServer;  // lives as long as the process
    return *server;
}

ScreenRecordServer::ScreenRecordServer()
{
    m_screenRecordClientExecPath = QCoreApplication::applicationDirPath() + QStringLiteral("/Capvane");
    m_checkTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_checkTimer, &QTimer::timeout, this, &ScreenRecordServer::checkScreenRecord);
}

ScreenRecordServer::~ScreenRecordServer()
{
    m_delegate = nullptr;
    tearDown();
}

RmiProtocol ScreenRecordServer::serverProtocol()
{
    RmiProtocol p;
    p.required = {{QStringLiteral("getScreenRecordOutPutFileSavePath:"), QStringLiteral("@")},
                  {QStringLiteral("startScreenRecord"), QString()},
                  {QStringLiteral("stopScreenRecord"), QString()},
                  {QStringLiteral("askClientIsAlive"), QString()}};
    return p;
}

RmiProtocol ScreenRecordServer::clientProtocol()
{
    RmiProtocol p;
    p.required = {{kStart, QString()}, {kFile, QStringLiteral("@")}, {kStopped, QString()}, {kLive, QString()}};
    return p;
}

void ScreenRecordServer::setScreenRecordFileSaveFolder(const QString &folder)
{
    ScribletLogInfo(QStringLiteral("setScreenRecordFileSaveFolder Enter screenFileSaveFolder:%1").arg(folder));
    m_saveFolder = folder;
    if (m_connection)
        m_connection->forwardCall(QStringLiteral("getScreenRecordOutPutFileSavePath:"), {folder});
}

QString ScreenRecordServer::serverAddress() const
{
    return m_connection ? m_connection->serverAddress() : QString();
}

qint64 ScreenRecordServer::clientProcessId() const
{
    return m_task ? m_task->processId() : 0;
}

bool ScreenRecordServer::launchScreenRecordClient()
{
    if (m_state != Idle)
        return false;
    m_state = Listening;
    ++m_generation;
    m_timerNumbers = 0;
    m_isAlive = true;
    m_connection = std::make_unique<QVRmiConnection>(m_listenAddress, true);
    m_connection->setRemoteObjectProtocol(serverProtocol());
    m_connection->setTargetObject(this);
    m_connection->setPostsListeningNotification(true);
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    QVRmiConnection *connection = m_connection.get();
    nc.addObserver(this, QString::fromLatin1(QVRmiConnection::DidStartListeningNotification),
                   [this](const Notification &) { registerServerSuccess(); }, connection);
    nc.addObserver(this, QString::fromLatin1(QVRmiConnection::DidFailListeningNotification),
                   [this](const Notification &) { stopServerProcess(QStringLiteral("The recorder's connection could not be opened.")); },
                   connection);
    nc.addObserver(this, QString::fromLatin1(QVRmiConnection::DidDieNotification),
                   [this](const Notification &) { remoteConnectionDidDie(); },
                   connection);
    m_connection->start();
    return true;
}

void ScreenRecordServer::registerServerSuccess()
{
    if (m_state != Listening || !m_connection)
        return;
    ScribletLogInfo(QStringLiteral("screen record server is listening"));
    const QString address = m_connection->serverAddress();
    if (address.isEmpty()) {
        stopServerProcess(QStringLiteral("The recorder's connection has no address."));
        return;
    }
    QProcess *task = ProcessRegistry::shared().createProcess(this);
    task->setProgram(m_screenRecordClientExecPath);
    task->setArguments({address});
    task->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    task->setStandardOutputFile(QProcess::nullDevice());
    m_clientErrors.clear();
    connect(task, &QProcess::readyReadStandardError, this, [this, task] {
        m_clientErrors += task->readAllStandardError();
        if (m_clientErrors.size() > 4096)
            m_clientErrors = m_clientErrors.right(2048);
    });
    connect(task, &QProcess::errorOccurred, this, [this, task](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && task == m_task)
            stopServerProcess(QStringLiteral("The recorder could not be started: %1").arg(task->errorString()));
    });
    connect(task, &QProcess::finished, this, [this, task](int code, QProcess::ExitStatus) {
        if (task != m_task || m_state == Idle)
            return;
        m_clientErrors += task->readAllStandardError();
        // The recorder's last word says why, when it gave one.
        QString why;
        const QList<QByteArray> lines = m_clientErrors.trimmed().split('\n');
        if (!lines.isEmpty())
            why = QString::fromLocal8Bit(lines.last()).trimmed().remove(QRegularExpression(QStringLiteral("^Capvane: ")));
        QString reason = QStringLiteral("The recorder ended (code %1) before it saved a recording.").arg(code);
        if (!why.isEmpty())
            reason += QLatin1Char(' ') + why;
        stopServerProcess(reason);
    });
    m_task = task;
    m_state = Connected;
    m_isAlive = true;
    // The folder goes first: the recorder saves nowhere else.
    if (!m_saveFolder.isEmpty())
        m_connection->forwardCall(QStringLiteral("getScreenRecordOutPutFileSavePath:"), {m_saveFolder});
    m_checkTimer.start(m_checkIntervalMs);
    task->start();
}

void ScreenRecordServer::remoteConnectionDidDie()
{
    ScribletLogInfo(QStringLiteral("screen record server: the recorder's connection died"));
    const QString lost = QStringLiteral("The connection to the recorder was lost.");
    if (!m_task || m_task->state() == QProcess::NotRunning) {
        stopServerProcess(lost);
        return;
    }
    // A recorder that is ending closes its connection first; its exit says why, so give it a
    // moment before calling the loss.
    const quint64 generation = m_generation;
    QTimer::singleShot(DeathGraceMs, this, [this, generation, lost] {
        if (generation == m_generation)
            stopServerProcess(lost);
    });
}

void ScreenRecordServer::checkScreenRecord()
{
    if (m_state != Connected)
        return;
    if (m_isAlive) {
        m_isAlive = false;
        m_timerNumbers = 0;
        if (m_connection)
            m_connection->forwardCall(QStringLiteral("askClientIsAlive"), {});
        return;
    }
    if (++m_timerNumbers >= MaxUnansweredChecks) {
        ScribletLogInfo(QStringLiteral("screen record server: the recorder stopped answering"));
        stopServerProcess(QStringLiteral("The recorder stopped answering."));
    }
}

std::optional<QString> ScreenRecordServer::rmiMethodSignature(const QString &selector) const
{
    if (const auto m = clientProtocol().find(selector))
        return m->argumentTypes;
    return std::nullopt;
}

void ScreenRecordServer::rmiInvoke(const QString &selector, const QVariantList &arguments)
{
    if (m_state != Connected)
        return;
    if (selector == kLive) {
        m_isAlive = true;
    } else if (selector == kStart) {
        ScribletLogInfo(QStringLiteral("screenRecordIsStart"));
        if (m_delegate)
            m_delegate->screenRecordIsStartNeedUpdateButtonState();
    } else if (selector == kFile) {
        screenRecordGenerateFileSuccess(arguments.value(0).toString());
    } else if (selector == kStopped) {
        stopServerProcess();
    }
}

void ScreenRecordServer::screenRecordGenerateFileSuccess(const QString &path)
{
    ScribletLogInfo(QStringLiteral("screenRecordGenerateFileSuccess recordPath:%1").arg(path));
    QString error;
    if (!RecordingFiles::isTrustedRecording(path, m_saveFolder, &error)) {
        ScribletLogInfo(error);
        stopServerProcess(error);
        return;
    }
    ScreenRecordServerDelegate *delegate = m_delegate;
    disConnection();
    if (delegate)
        delegate->screenRecordIsOverNeedAddFileToResource(path);
}

void ScreenRecordServer::tearDown()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    m_checkTimer.stop();
    if (m_connection) {
        m_connection->setTargetObject(nullptr);
        m_connection->invalidate();
        // The transport's threads are joined away from the caller's stack, which may be one of
        // its own notifications.
        QVRmiConnection *old = m_connection.release();
        old->deleteLater();
    }
    QProcess *task = m_task;
    m_task = nullptr;
    endProcess(task);
    m_state = Idle;
    m_isAlive = true;
    m_timerNumbers = 0;
}

void ScreenRecordServer::disConnection()
{
    if (m_state == Idle)
        return;
    tearDown();
}

void ScreenRecordServer::stopServerProcess(const QString &reason)
{
    if (m_state == Idle)
        return;
    if (!reason.isEmpty())
        ScribletLogInfo(QStringLiteral("screen record server stops: %1").arg(reason));
    tearDown();
    if (m_delegate)
        m_delegate->screenRecordIsStoppedNeedUpdateButtonState(reason);
}
