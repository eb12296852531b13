#include "reelgrab/QVXConnection.h"

#include "platform/Dispatch.h"
#include "platform/NamedConnection.h"
#include "platform/NotificationCenter.h"
#include "reelgrab/Func.h"
#include "reelgrab/QVRmiConnection.h"

#include <QCoreApplication>
#include <QUuid>

namespace {

const QString kSendMessage = QStringLiteral("sendMessage:withObject:");

RmiProtocol messageProtocol()
{
    RmiProtocol p;
    p.required.append({kSendMessage, QStringLiteral("@@")});
    return p;
}

class RootAdapter : public RmiTarget
{
public:
    explicit RootAdapter(std::shared_ptr<std::atomic<QVRemoteMessageTarget *>> root) : m_root(std::move(root)) {}
    std::optional<QString> rmiMethodSignature(const QString &selector) const override
    {
        if (selector == kSendMessage)
            return QStringLiteral("@@");
        return std::nullopt;
    }
    void rmiInvoke(const QString &selector, const QVariantList &args) override
    {
        if (selector != kSendMessage)
            return;
        if (QVRemoteMessageTarget *root = m_root->load())
            root->sendMessage(args.value(0).toString(), args.value(1).toByteArray());
    }

private:
    std::shared_ptr<std::atomic<QVRemoteMessageTarget *>> m_root;
};

class NamedProxy : public QVRemoteProxy
{
public:
    explicit NamedProxy(std::unique_ptr<NamedConnection> c) : m_connection(std::move(c)) {}
    bool sendMessage(const QString &name, const QByteArray &object) override
    {
        return m_connection && m_connection->sendMessage(name, object);
    }
    NamedConnection *connection() const { return m_connection.get(); }

private:
    std::unique_ptr<NamedConnection> m_connection;
};

class SocketProxy : public QVRemoteProxy
{
public:
    explicit SocketProxy(QVRmiConnection *c) : m_connection(c) {}
    bool sendMessage(const QString &name, const QByteArray &object) override
    {
        return m_connection && m_connection->sendMessage(name, object);
    }

private:
    QPointer<QVRmiConnection> m_connection;
};

} // namespace

QVXConnection::QVXConnection(QObject *parent)
    : QObject(parent), m_terminate([](int code) { QCoreApplication::exit(code); })
{
}

QVXConnection::~QVXConnection()
{
    if (m_dieObserver)
        NotificationCenter::defaultCenter().removeObserver(m_dieObserver);
    m_clientRoot.reset();
    invalidate();
}

bool QVXConnection::sandboxEnabled() { return !qEnvironmentVariable("APP_SANDBOX_CONTAINER_ID").isEmpty(); }

QString QVXConnection::generateUuid() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

QVRmiConnection *QVXConnection::ensureSocketConnection(bool server, const QString &address)
{
    if (!m_socketConnection)
        m_socketConnection = std::make_unique<QVRmiConnection>(address, server);
    return m_socketConnection.get();
}

bool QVXConnection::initWithClientName(const QString &name)
{
    if (sandboxEnabled()) {
        QVRmiConnection *socket = ensureSocketConnection(false, name);
        m_dieObserver = NotificationCenter::defaultCenter().addObserver(
            this, QString::fromLatin1(QVRmiConnection::DidDieNotification),
            [this](const Notification &) { rmiConnectionDidDeadNotification(); }, socket);
        socket->start();
        m_clientRoot = std::make_shared<SocketProxy>(socket);
        return true;
    }
    auto connection = NamedConnection::connectTo(name);
    if (!connection)
        return false;
    connect(connection.get(), &NamedConnection::connectionDidDie, this, &QVXConnection::clientProcessDidTerminate);
    m_clientRoot = std::make_shared<NamedProxy>(std::move(connection));
    return true;
}

QString QVXConnection::registeRootObject(QVRemoteMessageTarget *root, const QString &name)
{
    m_root->store(root);
    if (sandboxEnabled()) {
        QVRmiConnection *socket = ensureSocketConnection(true, QString());
        socket->setRemoteObjectProtocol(messageProtocol());
        m_socketTarget = std::make_unique<RootAdapter>(m_root);
        socket->setTargetObject(m_socketTarget.get());
        socket->start();
        m_registeredName = socket->serverAddress();
        if (!m_clientRoot)
            m_clientRoot = std::make_shared<SocketProxy>(socket);
        return m_registeredName;
    }
    const QString registered = name.isEmpty() ? generateUuid() : name;
    auto connection = NamedConnection::publish(registered, [holder = m_root](const QString &message, const QByteArray &object) {
        if (QVRemoteMessageTarget *root = holder->load())
            root->sendMessage(message, object);
    });
    if (!connection)
        return {};
    m_ownConnection = std::move(connection);
    m_registeredName = registered;
    return registered;
}

std::shared_ptr<QVRemoteProxy> QVXConnection::rootObjectNamed(const QString &name)
{
    if (sandboxEnabled()) {
        if (!m_socketConnection)
            return {};
        return std::make_shared<SocketProxy>(m_socketConnection.get());
    }
    auto connection = NamedConnection::connectTo(name);
    if (!connection)
        return {};
    return std::make_shared<NamedProxy>(std::move(connection));
}

void QVXConnection::sendMessage(const QString &name, const QByteArray &object)
{
    if (m_clientRoot && !m_clientRoot->sendMessage(name, object))
        Func(FuncLogError, QStringLiteral("QVXConnection SendMessage exception:%1").arg(QStringLiteral("connection closed")));
}

void QVXConnection::invalidate()
{
    if (m_ownConnection) {
        m_ownConnection->invalidate();
        m_ownConnection.reset();
    }
    if (m_socketConnection)
        m_socketConnection->invalidate();
}

void QVXConnection::clientProcessDidTerminate()
{
    Func(FuncLogWarning, QStringLiteral("Reelgrab Client Did Die %1").arg(m_registeredName));
    if (!m_clientRoot)
        return;
    // Called from the dying connection's own signal: release it once that has returned.
    dispatch::async_main([dead = std::move(m_clientRoot)]() {});
    if (m_terminate)
        m_terminate(-1);
}

void QVXConnection::rmiConnectionDidDeadNotification()
{
    if (m_socketConnection)
        m_socketConnection->setTargetObject(nullptr);
    if (m_dieObserver) {
        NotificationCenter::defaultCenter().removeObserver(m_dieObserver);
        m_dieObserver = 0;
    }
    dispatch::async_main([dead = std::move(m_clientRoot)]() {});
    if (m_terminate)
        m_terminate(-1);
}
