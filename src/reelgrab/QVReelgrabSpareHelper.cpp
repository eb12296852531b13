#include "reelgrab/QVReelgrabSpareHelper.h"

#include "platform/Dispatch.h"
#include "platform/ProcessRegistry.h"
#include "reelgrab/HelperProcess.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/RGKMessage.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTimer>

QVReelgrabSpareHelper::QVReelgrabSpareHelper(QObject *parent) : QObject(parent) {}

QVReelgrabSpareHelper::~QVReelgrabSpareHelper()
{
    if (m_connection)
        m_connection->setRootObject(nullptr);
    m_ended = true;
    end();
}

bool QVReelgrabSpareHelper::start(const QString &executable, const QStringList &arguments, int announceTimeoutMs)
{
    if (m_connection || m_ended)
        return false;
    auto connection = std::make_unique<QVXConnection>();
    // No task yet: a fresh identifier keeps the name unique, as a task's guid does.
    const QString name = QStringLiteral("RGK-%1-%2").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
                                                         QVXConnection::generateUuid());
    const QString registered = connection->registeRootObject(this, name);
    if (registered.isEmpty())
        return false;
    m_connection = std::move(connection);
    m_clientName = registered;
    m_executable = executable;
    m_arguments = arguments;
    m_sockets = QVXConnection::sandboxEnabled();
    m_stamp = filesStamp(executable, arguments);

    m_process = ProcessRegistry::shared().createProcess(this);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    QProcess *process = m_process;
    connect(process, &QProcess::finished, this, [this, process]() {
        if (process == m_process)
            end();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart && process == m_process)
            end();
    });
    m_announceTimer = new QTimer(this);
    m_announceTimer->setSingleShot(true);
    connect(m_announceTimer, &QTimer::timeout, this, [this, announceTimeoutMs]() {
        if (m_serviceProxy)
            return;
        Func(FuncLogError, QStringLiteral("A spare Reelgrab did not announce itself within %1 s.").arg(announceTimeoutMs / 1000));
        end();
    });
    m_announceTimer->start(announceTimeoutMs);
    process->start(executable, QStringList{QStringLiteral("-c"), registered} + arguments);
    return true;
}

qint64 QVReelgrabSpareHelper::processId() const { return m_process ? m_process->processId() : 0; }

bool QVReelgrabSpareHelper::suits(const QString &executable, const QStringList &arguments) const
{
    return isReady() && executable == m_executable && arguments == m_arguments && QVXConnection::sandboxEnabled() == m_sockets
        && filesStamp(executable, arguments) == m_stamp;
}

QString QVReelgrabSpareHelper::filesStamp(const QString &executable, const QStringList &arguments)
{
    // The program, the engine library it finds beside it or in ../lib, and one given with "-l".
    const QString folder = QFileInfo(executable).absolutePath();
    QStringList files{executable, folder + QStringLiteral("/") + QString::fromLatin1(EngineLibrary::FileName),
                      folder + QStringLiteral("/../lib/") + QString::fromLatin1(EngineLibrary::FileName)};
    const qsizetype library = arguments.indexOf(QStringLiteral("-l"));
    if (library >= 0 && library + 1 < arguments.size())
        files << arguments[library + 1];
    QString stamp;
    for (const QString &file : files) {
        const QFileInfo info(file);
        stamp += info.exists() ? QStringLiteral("%1:%2;").arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size())
                               : QStringLiteral("-;");
    }
    return stamp;
}

void QVReelgrabSpareHelper::sendMessage(const QString &name, const QByteArray &object)
{
    // Until it is handed over, the helper says nothing but that it is there.
    if (name != QLatin1String(RGKMessage::ProcessLaunched))
        return;
    const QString serviceName = QString::fromUtf8(object);
    if (dispatch::isMainThread()) {
        announced(serviceName);
        return;
    }
    QPointer<QVReelgrabSpareHelper> self(this);
    dispatch::async_main([self, serviceName]() {
        if (self)
            self->announced(serviceName);
    });
}

void QVReelgrabSpareHelper::announced(const QString &serviceName)
{
    if (m_ended || m_serviceProxy || !m_connection)
        return;
    m_serviceProxy = m_connection->rootObjectNamed(serviceName);
    if (!m_serviceProxy)
        return;
    if (m_announceTimer)
        m_announceTimer->stop();
    emit becameReady();
}

QVReelgrabSpareHelper::Handover QVReelgrabSpareHelper::handOver(QVRemoteMessageTarget *root)
{
    Handover h;
    if (!isReady())
        return h;
    m_connection->setRootObject(root);
    if (m_announceTimer) {
        m_announceTimer->stop();
        m_announceTimer->deleteLater();
        m_announceTimer = nullptr;
    }
    m_process->disconnect(this);
    m_process->setParent(nullptr);
    h.process = std::exchange(m_process, nullptr);
    h.connection = std::move(m_connection);
    h.serviceProxy = std::move(m_serviceProxy);
    h.clientName = m_clientName;
    m_ended = true;
    return h;
}

void QVReelgrabSpareHelper::end()
{
    const bool wasLive = m_connection || m_process;
    m_serviceProxy.reset();
    if (m_announceTimer)
        m_announceTimer->stop();
    // An idle helper ends by itself when its client goes; this makes sure of it.
    HelperProcess::end(std::exchange(m_process, nullptr), this, 1000);
    if (m_connection)
        m_connection->setRootObject(nullptr);
    HelperProcess::release(std::move(m_connection));
    const bool first = !m_ended;
    m_ended = true;
    if (wasLive && first)
        emit ended();
}
