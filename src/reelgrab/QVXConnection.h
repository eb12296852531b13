#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class NamedConnection;
class QVRmiConnection;
class RmiTarget;

// What a root object offers the other side: one one-way operation.
class QVRemoteMessageTarget
{
public:
    virtual ~QVRemoteMessageTarget() = default;
    virtual void sendMessage(const QString &name, const QByteArray &object) = 0;
};

// The other side's root object as this side sees it.
class QVRemoteProxy
{
public:
    virtual ~QVRemoteProxy() = default;
    virtual bool sendMessage(const QString &name, const QByteArray &object) = 0;
};

// The connection of one download, used alike by the task (application side) and by the helper.
// Named connections normally; the socket transport when "APP_SANDBOX_CONTAINER_ID" is set and
// not empty (read afresh by every operation, as both processes share the environment).
class QVXConnection : public QObject
{
    Q_OBJECT
public:
    explicit QVXConnection(QObject *parent = nullptr);  // task side: init
    ~QVXConnection() override;

    static bool sandboxEnabled();
    static QString generateUuid();

    // Helper side: finds the client's root published under name (named connections) or
    // connects to the server address name (sockets). The helper ends when that side goes away.
    bool initWithClientName(const QString &name);
    // Publishes root under name (a fresh identifier when empty). Returns the registered name,
    // or empty when the name is taken. On sockets: the server address.
    QString registeRootObject(QVRemoteMessageTarget *root, const QString &name);
    // Hands the published root to another object (a helper started before its task was known
    // is given to the task that takes it). Messages from then on go to root.
    void setRootObject(QVRemoteMessageTarget *root) { m_root->store(root); }
    // The other side's root published under name; on sockets the socket connection itself.
    std::shared_ptr<QVRemoteProxy> rootObjectNamed(const QString &name);
    // Forwards to the client root object, when there is one.
    void sendMessage(const QString &name, const QByteArray &object);
    void invalidate();
    QString registeName() const { return m_registeredName; }

    // How the helper ends when its client dies; QCoreApplication::exit by default.
    void setTerminateHandler(std::function<void(int)> handler) { m_terminate = std::move(handler); }

private:
    void clientProcessDidTerminate();
    void rmiConnectionDidDeadNotification();
    QVRmiConnection *ensureSocketConnection(bool server, const QString &address);

    // Shared with whatever delivers incoming messages, so the root can change under it.
    std::shared_ptr<std::atomic<QVRemoteMessageTarget *>> m_root = std::make_shared<std::atomic<QVRemoteMessageTarget *>>(nullptr);
    std::shared_ptr<QVRemoteProxy> m_clientRoot;
    std::unique_ptr<NamedConnection> m_clientConnection;
    std::unique_ptr<NamedConnection> m_ownConnection;
    std::unique_ptr<QVRmiConnection> m_socketConnection;
    std::unique_ptr<RmiTarget> m_socketTarget;
    QString m_registeredName;
    int m_dieObserver = 0;
    std::function<void(int)> m_terminate;
};
