#include "platform/NamedConnection.h"

#include "platform/AppPaths.h"
#include "platform/KeyedArchiver.h"

#include <QCborMap>
#include <QCborValue>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// How often a publisher checks that its server still listens.
constexpr int ListenerCheckMs = 500;

bool peerIsSameUser(qintptr fd)
{
    struct ucred cred {};
    socklen_t len = sizeof cred;
    if (::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
        return false;
    return cred.uid == ::getuid();
}

} // namespace

NamedConnection::NamedConnection() = default;

NamedConnection::~NamedConnection() { invalidate(); }

bool NamedConnection::isValidName(const QString &name)
{
    if (name.isEmpty() || name.size() > 512)
        return false;
    for (QChar c : name)
        if (c.unicode() < 0x20 || c == QLatin1Char('/'))
            return false;
    return true;
}

QString NamedConnection::socketPathForName(const QString &name)
{
    const QString folder = AppPaths::runtimeFolder();
    if (folder.isEmpty() || !isValidName(name))
        return {};
    QString file = name;
    // sun_path holds 108 bytes; long or unusual names get a stable digest instead.
    bool plain = true;
    for (QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('.'))
            plain = false;
    if (!plain || name.startsWith(QLatin1Char('.')) || (folder.size() + 1 + name.size()) > 100)
        file = QStringLiteral("n-")
            + QString::fromLatin1(QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(40));
    return folder + QLatin1Char('/') + file;
}

std::unique_ptr<NamedConnection> NamedConnection::publish(const QString &name, Root root, QString *error)
{
    auto fail = [&](const QString &e) {
        if (error)
            *error = e;
        return std::unique_ptr<NamedConnection>();
    };
    const QString path = socketPathForName(name);
    if (path.isEmpty())
        return fail(QStringLiteral("invalid connection name or no private runtime folder"));
    if (QFile::exists(path)) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500))
            return fail(QStringLiteral("the name %1 is already registered").arg(name));
        QFile::remove(path);  // left behind by a process that died
    }
    std::unique_ptr<NamedConnection> c(new NamedConnection());
    c->m_name = name;
    c->m_root = std::move(root);
    c->m_server = new QLocalServer(c.get());
    // The folder is ours alone (socketPathForName refuses any other), so the socket needs no
    // access option of its own; that option makes, renames and removes a temporary folder on
    // every registration.
    if (!c->m_server->listen(path))
        return fail(QStringLiteral("cannot register %1: %2").arg(name, c->m_server->errorString()));
    NamedConnection *self = c.get();
    c->m_path = path;
    QObject::connect(c->m_server, &QLocalServer::newConnection, self, [self]() { self->acceptPending(); });
    auto *watch = new QTimer(self);
    watch->setInterval(ListenerCheckMs);
    QObject::connect(watch, &QTimer::timeout, self, [self]() { self->relistenIfClosed(); });
    watch->start();
    if (error)
        error->clear();
    return c;
}

std::unique_ptr<NamedConnection> NamedConnection::connectTo(const QString &name, int timeoutMs, QString *error)
{
    auto fail = [&](const QString &e) {
        if (error)
            *error = e;
        return std::unique_ptr<NamedConnection>();
    };
    const QString path = socketPathForName(name);
    if (path.isEmpty())
        return fail(QStringLiteral("invalid connection name or no private runtime folder"));
    std::unique_ptr<NamedConnection> c(new NamedConnection());
    c->m_name = name;
    auto *socket = new QLocalSocket(c.get());
    socket->connectToServer(path);
    if (!socket->waitForConnected(timeoutMs))
        return fail(QStringLiteral("no connection registered as %1").arg(name));
    if (!peerIsSameUser(socket->socketDescriptor()))
        return fail(QStringLiteral("the connection %1 belongs to another user").arg(name));
    c->m_socket = socket;
    NamedConnection *self = c.get();
    QObject::connect(socket, &QLocalSocket::disconnected, self, [self]() {
        if (!self->m_invalidated)
            emit self->connectionDidDie();
    });
    // The publisher never sends to clients; anything it sends is ignored.
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket]() { socket->readAll(); });
    if (error)
        error->clear();
    return c;
}

void NamedConnection::setClientLimits(int maxClients, int idleMs)
{
    m_maxClients = qMax(0, maxClients);
    m_idleMs = qMax(0, idleMs);
}

void NamedConnection::acceptPending()
{
    while (QLocalSocket *s = m_server->nextPendingConnection()) {
        if (!peerIsSameUser(s->socketDescriptor())) {
            s->abort();
            s->deleteLater();
            continue;
        }
        adoptClientSocket(s);
    }
}

void NamedConnection::relistenIfClosed()
{
    if (m_invalidated || !m_server || m_server->isListening())
        return;
    // Our own folder: what is at the path is our stale socket.
    QFile::remove(m_path);
    if (m_server->listen(m_path))
        qWarning("NamedConnection: %s listens again", qPrintable(m_name));
}

void NamedConnection::adoptClientSocket(QLocalSocket *socket)
{
    if (m_maxClients > 0) {
        m_clients.removeAll(nullptr);
        while (m_clients.size() >= m_maxClients)
            if (QLocalSocket *oldest = m_clients.takeFirst())
                oldest->abort();
        m_clients.append(socket);
    }
    if (m_idleMs > 0) {
        auto *idle = new QTimer(socket);
        idle->setObjectName(QStringLiteral("idle"));
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket]() { socket->abort(); });
        idle->start(m_idleMs);
    }
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { readFrames(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket]() {
        socket->deleteLater();
        if (!m_invalidated)
            emit connectionDidDie();
    });
    if (socket->bytesAvailable() > 0)
        readFrames(socket);
}

void NamedConnection::readFrames(QLocalSocket *socket)
{
    while (socket->bytesAvailable() >= 4) {
        uchar header[4];
        socket->peek(reinterpret_cast<char *>(header), 4);
        const qint32 length = qFromBigEndian<qint32>(header);
        if (length < 0 || length > MaxFrameSize) {
            socket->abort();
            return;
        }
        if (socket->bytesAvailable() < 4 + qint64(length))
            return;
        socket->skip(4);
        const QByteArray payload = socket->read(length);
        QCborValue parsed;
        if (!KeyedUnarchiver::parseCbor(payload, parsed, nullptr) || !parsed.isMap()) {
            socket->abort();
            return;
        }
        const QCborMap call = parsed.toMap();
        if (call.value(QStringLiteral("sel")).toString() != QLatin1String(Selector)) {
            socket->abort();
            return;
        }
        const QCborValue name = call.value(QStringLiteral("name"));
        const QCborValue object = call.value(QStringLiteral("object"));
        if (!name.isString() || !(object.isByteArray() || object.isNull() || object.isUndefined())) {
            socket->abort();
            return;
        }
        if (auto *idle = socket->findChild<QTimer *>(QStringLiteral("idle"), Qt::FindDirectChildrenOnly))
            idle->start();
        if (m_root)
            m_root(name.toString(), object.toByteArray());
        if (!socket || socket->state() != QLocalSocket::ConnectedState)
            return;
    }
}

QByteArray NamedConnection::encodeFrame(const QString &message, const QByteArray &object)
{
    QCborMap call;
    call.insert(QStringLiteral("sel"), QString::fromLatin1(Selector));
    call.insert(QStringLiteral("name"), message);
    call.insert(QStringLiteral("object"), object);
    const QByteArray payload = call.toCborValue().toCbor();
    QByteArray frame(4, '\0');
    qToBigEndian<qint32>(qint32(payload.size()), frame.data());
    return frame + payload;
}

bool NamedConnection::isValid() const
{
    if (m_invalidated)
        return false;
    if (m_server)
        return m_server->isListening();
    return m_socket && m_socket->state() == QLocalSocket::ConnectedState;
}

bool NamedConnection::sendMessage(const QString &message, const QByteArray &object)
{
    if (m_server || m_invalidated)
        return false;
    const QByteArray frame = encodeFrame(message, object);
    if (frame.size() - 4 > MaxFrameSize)
        return false;
    if (QThread::currentThread() == thread()) {
        if (!isValid())
            return false;
        writeFrame(frame);
        return true;
    }
    QPointer<NamedConnection> self(this);
    QMetaObject::invokeMethod(this, [self, frame]() {
        if (self && self->isValid())
            self->writeFrame(frame);
    }, Qt::QueuedConnection);
    return true;
}

void NamedConnection::writeFrame(const QByteArray &frame)
{
    m_socket->write(frame);
    m_socket->flush();
}

void NamedConnection::invalidate()
{
    if (m_invalidated)
        return;
    m_invalidated = true;
    if (m_server) {
        const QString path = m_server->fullServerName();
        m_server->close();
        QFile::remove(path);
    }
    if (m_socket) {
        m_socket->flush();
        m_socket->disconnectFromServer();
    }
}
