#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

// Named connections between processes of the same user, one way: a process publishes a root
// under a name, others connect to the name and call the root's sendMessage:withObject:, the only
// operation a root offers. A name is a UNIX socket in the private (0700) runtime folder; a peer of
// another user is refused. Calls arrive on the publisher's thread (the main thread); a connection
// whose peer goes away says so at once.
//
// Frame: 4-byte big-endian length, then a CBOR map {"sel": "sendMessage:withObject:",
// "name": text, "object": bytes}. A length above MaxFrameSize, or any other selector, closes
// the connection.
class NamedConnection : public QObject
{
    Q_OBJECT
public:
    static constexpr qint32 MaxFrameSize = 16 * 1024 * 1024;
    static constexpr const char *Selector = "sendMessage:withObject:";

    using Root = std::function<void(const QString &message, const QByteArray &object)>;

    // Publishes root under name; nullptr with *error when the name is taken by a live process or
    // cannot be used.
    static std::unique_ptr<NamedConnection> publish(const QString &name, Root root, QString *error = nullptr);
    // Connects to the root published under name.
    static std::unique_ptr<NamedConnection> connectTo(const QString &name, int timeoutMs = 5000,
                                                      QString *error = nullptr);
    static QString socketPathForName(const QString &name);
    static bool isValidName(const QString &name);

    ~NamedConnection() override;

    // Publisher side: at most maxClients connections at once (the oldest goes when another
    // arrives) and each one closed after idleMs without a whole call; 0 leaves either unbounded.
    // Idle peers then cannot use up the process's descriptors.
    void setClientLimits(int maxClients, int idleMs);

    QString name() const { return m_name; }
    bool isValid() const;
    // Any thread; one way; dropped (false) when the connection is gone.
    bool sendMessage(const QString &message, const QByteArray &object);
    void invalidate();

    // Encodes one call; exposed for tests of the framing.
    static QByteArray encodeFrame(const QString &message, const QByteArray &object);

signals:
    // Client side: the publisher went away. Publisher side: one of its clients went away.
    void connectionDidDie();

private:
    NamedConnection();
    void adoptClientSocket(QLocalSocket *socket);
    void readFrames(QLocalSocket *socket);
    void writeFrame(const QByteArray &frame);
    void acceptPending();
    // The local server stops for good when an accept fails (no descriptor left); listen again.
    void relistenIfClosed();

    QString m_name;
    Root m_root;
    QLocalServer *m_server = nullptr;
    QString m_path;
    int m_maxClients = 0;
    int m_idleMs = 0;
    QList<QPointer<QLocalSocket>> m_clients;
    QPointer<QLocalSocket> m_socket;  // client side
    bool m_invalidated = false;
};
