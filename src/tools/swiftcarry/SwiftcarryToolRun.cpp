#include "tools/swiftcarry/SwiftcarryToolRun.h"

#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "platform/NamedConnection.h"
#include "platform/ProcessRegistry.h"

#include <QTimer>

SwiftcarryToolRun::SwiftcarryToolRun(QObject *parent)
    : QObject(parent)
{
}

SwiftcarryToolRun::~SwiftcarryToolRun() { end(); }

bool SwiftcarryToolRun::publish(const QString &name, QString *error)
{
    end();
    m_name = name;
    QPointer<SwiftcarryToolRun> self(this);
    auto connection = NamedConnection::publish(
        name,
        [self](const QString &message, const QByteArray &object) {
            if (self)
                emit self->messageReceived(message, object);
        },
        error);
    if (!connection)
        return false;
    m_connection = connection.release();
    connect(m_connection, &NamedConnection::connectionDidDie, this, [this]() {
        m_toolDisconnected = true;
        if (m_exited)
            conclude();
    });
    return true;
}

bool SwiftcarryToolRun::launch(const QStringList &arguments, QString *error)
{
    m_arguments = QStringList{m_name} + arguments;
    m_exited = m_toolDisconnected = m_concluded = false;
    QProcess *p = ProcessRegistry::shared().createProcess(this);
    p->setProgram(SwiftcarryProtocol::toolPath());
    p->setArguments(m_arguments);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setStandardOutputFile(QProcess::nullDevice());
    connect(p, &QProcess::finished, this, &SwiftcarryToolRun::processFinished);
    m_process = p;
    p->start();
    if (!p->waitForStarted(10000)) {
        if (error)
            *error = p->errorString();
        disconnect(p, nullptr, this, nullptr);
        m_process = nullptr;
        p->deleteLater();
        return false;
    }
    return true;
}

void SwiftcarryToolRun::end()
{
    m_concluded = true;
    if (m_connection) {
        disconnect(m_connection, nullptr, this, nullptr);
        m_connection->invalidate();
        m_connection->deleteLater();  // may be inside one of its own calls
        m_connection = nullptr;
    }
    if (QProcess *p = m_process.data()) {
        m_process = nullptr;
        disconnect(p, nullptr, this, nullptr);
        p->setParent(nullptr);
        if (p->state() == QProcess::NotRunning) {
            p->deleteLater();
            return;
        }
        QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
        p->terminate();
        QTimer::singleShot(3000, p, [p]() {
            if (p->state() != QProcess::NotRunning)
                p->kill();
        });
    }
}

void SwiftcarryToolRun::endAndWait(int waitMs)
{
    const QPointer<QProcess> p = m_process;
    end();
    if (p && p->state() != QProcess::NotRunning)
        p->waitForFinished(waitMs);
}

bool SwiftcarryToolRun::isRunning() const { return m_process && m_process->state() != QProcess::NotRunning; }

qint64 SwiftcarryToolRun::processId() const { return m_process ? m_process->processId() : 0; }

void SwiftcarryToolRun::processFinished(int exitCode, QProcess::ExitStatus status)
{
    if (sender() != m_process.data() || m_exited)
        return;
    m_exited = true;
    m_bySignal = status == QProcess::CrashExit;
    m_exitCode = exitCode;
    if (m_toolDisconnected || !m_connection) {
        conclude();
        return;
    }
    QPointer<SwiftcarryToolRun> self(this);
    QTimer::singleShot(DrainGraceMs, this, [self]() {
        if (self)
            self->conclude();
    });
}

void SwiftcarryToolRun::conclude()
{
    if (m_concluded || !m_exited)
        return;
    m_concluded = true;
    emit toolEnded(m_bySignal, m_exitCode);
}
