#include "tools/capvane/CapvaneClient.h"

#include "platform/NotificationCenter.h"
#include "recording/ScreenRecordServer.h"

CapvaneClient::CapvaneClient(const QString &serverAddress, QObject *parent)
    : QObject(parent), m_connection(serverAddress, false)
{
    m_connection.setTargetObject(this);
    m_connection.setRemoteObjectProtocol(ScreenRecordServer::clientProtocol());
    NotificationCenter::defaultCenter().addObserver(
        this, QString::fromLatin1(QVRmiConnection::DidDieNotification), [this](const Notification &) { emit connectionLost(); },
        &m_connection);
}

CapvaneClient::~CapvaneClient()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    m_connection.setTargetObject(nullptr);
}

void CapvaneClient::start() { m_connection.start(); }

void CapvaneClient::reportStart() { m_connection.forwardCall(QStringLiteral("screenRecordIsStart"), {}); }

void CapvaneClient::reportFile(const QString &path)
{
    m_connection.forwardCall(QStringLiteral("screenRecordGenerateFileSuccess:"), {path});
}

void CapvaneClient::reportStopped() { m_connection.forwardCall(QStringLiteral("screenRecordIsStopped"), {}); }

std::optional<QString> CapvaneClient::rmiMethodSignature(const QString &selector) const
{
    if (const auto m = ScreenRecordServer::serverProtocol().find(selector))
        return m->argumentTypes;
    return std::nullopt;
}

void CapvaneClient::rmiInvoke(const QString &selector, const QVariantList &arguments)
{
    if (selector == QLatin1String("askClientIsAlive")) {
        m_connection.forwardCall(QStringLiteral("setClientLive"), {});
    } else if (selector == QLatin1String("getScreenRecordOutPutFileSavePath:")) {
        m_saveFolder = arguments.value(0).toString();
        emit saveFolderReceived(m_saveFolder);
    } else if (selector == QLatin1String("startScreenRecord")) {
        emit startRequested();
    } else if (selector == QLatin1String("stopScreenRecord")) {
        emit stopRequested();
    }
}
