#include "reelgrab/QVRmiConnection.h"

#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "reelgrab/RmiSockets.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

std::atomic<int> g_heartbeatTimeoutMs{60000};

// Writing to a closed socket must report EPIPE instead of ending the process.
const bool g_ignoreSigpipe = [] {
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}();

void setReceiveTimeout(int fd, int ms)
{
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

// Reads exactly n bytes unless the time-out, an error or the end comes first; returns the count.
ssize_t readFull(int fd, char *buf, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, buf + got, n - got, 0);
        if (r == 0) {
            errno = ECONNRESET;
            return ssize_t(got);
        }
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return ssize_t(got);
        }
        got += size_t(r);
    }
    return ssize_t(got);
}

bool writeFull(int fd, const char *buf, size_t n)
{
    size_t sent = 0;
    while (sent < n) {
        const ssize_t r = ::send(fd, buf + sent, n - sent, MSG_NOSIGNAL);
        if (r <= 0) {
            if (r < 0 && errno == EINTR)
                continue;
            return false;
        }
        sent += size_t(r);
    }
    return true;
}

bool readByte(int fd, char expected)
{
    char b = 0;
    errno = 0;
    return readFull(fd, &b, 1) == 1 && b == expected;
}

bool writeByte(int fd, char b) { return writeFull(fd, &b, 1); }

} // namespace

std::optional<RmiMethod> RmiProtocol::find(const QString &selector) const
{
    for (const auto *list : {&required, &optional})
        for (const RmiMethod &m : *list)
            if (m.selector == selector)
                return m;
    return std::nullopt;
}

void QVRmiConnection::setHeartbeatTimeoutForTesting(int ms) { g_heartbeatTimeoutMs.store(ms > 0 ? ms : 60000); }

QVRmiConnection::QVRmiConnection(const QString &address, bool isServer, QObject *parent)
    : QObject(parent), m_address(address), m_isServer(isServer)
{
    (void)g_ignoreSigpipe;
    m_observer = NotificationCenter::defaultCenter().addObserver(
        this, QString::fromLatin1(DidReceiveDataNotification),
        [this](const Notification &n) { deliver(n.userInfo.value(QString::fromLatin1(ReceivedDataKey)).toByteArray()); },
        this);
}

QVRmiConnection::~QVRmiConnection()
{
    NotificationCenter::defaultCenter().removeObserver(m_observer);
    invalidate();
    // Threads may start others (the client's start sequence); join until none is left.
    for (;;) {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(m_threadsLock);
            threads.swap(m_threads);
        }
        if (threads.empty())
            break;
        for (auto &t : threads)
            if (t.joinable())
                t.join();
    }
}

void QVRmiConnection::setRemoteObjectProtocol(const RmiProtocol &protocol)
{
    m_protocol = protocol;
    m_hasProtocol = true;
}

QString QVRmiConnection::serverAddress() const { return m_address; }

void QVRmiConnection::spawn(std::function<void()> fn)
{
    std::lock_guard lock(m_threadsLock);
    m_threads.emplace_back(std::move(fn));
}

void QVRmiConnection::post(const char *name, const QVariantMap &userInfo)
{
    NotificationCenter::defaultCenter().post(QString::fromLatin1(name), QVariant::fromValue<QObject *>(this), userInfo);
}

void QVRmiConnection::fail()
{
    quint32 expected = Connecting;
    if (!m_status.compare_exchange_strong(expected, Failed)) {
        expected = Connected;
        m_status.compare_exchange_strong(expected, Failed);
    }
    m_sendReady.notify_all();
}

void QVRmiConnection::failListening()
{
    fail();
    post(DidFailListeningNotification);
}

void QVRmiConnection::start()
{
    if (m_started.exchange(true))
        return;
    if (!m_isServer) {
        spawn([this] {
            clientThread('S');
            for (char kind : {'R', 'C'}) {
                ::usleep(100 * 1000);
                if (!isValid())
                    return;
                clientThread(kind);
            }
        });
        return;
    }
    if (m_address.isEmpty()) {
        char buffer[256];
        if (!generate_socket_path(buffer, sizeof buffer, RmiSocketServer, nullptr)) {
            std::printf("error is %d\n", errno);
            failListening();
            return;
        }
        m_address = QString::fromLocal8Bit(buffer);
    }
    const QByteArray address = QFile::encodeName(m_address);
    std::printf("server listen socket path:\"%s\"\n", address.constData());
    const int fd = serv_listen(address.constData());
    if (fd < 0) {
        std::printf("error is %d\n", errno);
        failListening();
        return;
    }
    {
        std::lock_guard lock(m_threadsLock);
        m_listenFd = fd;
    }
    if (m_postsListening)
        post(DidStartListeningNotification);
    spawn([this, fd] { acceptLoop(fd); });
}

void QVRmiConnection::acceptLoop(int listenFd)
{
    int accepted = 0;
    while (accepted < 3 && isValid()) {
        char path[256];
        const int fd = serv_accept(listenFd, path, sizeof path);
        if (fd < 0)
            break;
        const char *slash = std::strrchr(path, '/');
        const char kind = slash ? slash[1] : path[0];
        if (kind != 'C' && kind != 'R' && kind != 'S') {
            std::printf("server accept unknow client!!!!!!   char=\"%c\"\n", kind);
            ::close(fd);
            continue;
        }
        ++accepted;
        const QByteArray clientPath(path);
        spawn([this, kind, fd, clientPath] {
            if (clientPath.size() > 102) {
                ::close(fd);
                return;
            }
            {
                std::lock_guard lock(m_threadsLock);
                m_fds.push_back(fd);
            }
            socketReady();
            if (kind == 'C')
                checkLoop(fd, true);
            else if (kind == 'R')
                sendLoop(fd);
            else
                receiveLoop(fd);
            socketEnded(fd, clientPath);
        });
    }
    {
        std::lock_guard lock(m_threadsLock);
        m_listenFd = -1;
    }
    ::close(listenFd);
    char resolved[256];
    if (rmi_resolve_path(QFile::encodeName(m_address).constData(), resolved, sizeof resolved))
        ::unlink(resolved);
    std::printf("serverListenThread ended!\n");
}

void QVRmiConnection::clientThread(char kind)
{
    const int socketKind = kind == 'R' ? RmiSocketReceive : kind == 'S' ? RmiSocketSend : RmiSocketCheck;
    auto body = [this, kind, socketKind] {
        char clientPath[256];
        const QByteArray server = QFile::encodeName(m_address);
        int fd = -1;
        if (generate_socket_path(clientPath, sizeof clientPath, socketKind, server.constData()))
            fd = cli_conn(server.constData(), clientPath);
        if (fd < 0) {
            fail();
            if (!m_diePosted.exchange(true))
                post(DidDieNotification);
            return;
        }
        {
            std::lock_guard lock(m_threadsLock);
            m_fds.push_back(fd);
        }
        socketReady();
        if (kind == 'S')
            sendLoop(fd);
        else if (kind == 'R')
            receiveLoop(fd);
        else
            checkLoop(fd, false);
        char resolved[256];
        const QByteArray path = rmi_resolve_path(clientPath, resolved, sizeof resolved) ? QByteArray(resolved) : QByteArray();
        socketEnded(fd, path);
    };
    spawn(body);
}

void QVRmiConnection::socketReady()
{
    const int ready = m_ready.fetch_add(1) + 1;
    if (ready == 3) {
        quint32 expected = Connecting;
        if (m_status.compare_exchange_strong(expected, Connected))
            post(DidFinishInitNotification);
    }
}

void QVRmiConnection::socketEnded(int fd, const QByteArray &path)
{
    {
        std::lock_guard lock(m_threadsLock);
        std::erase(m_fds, fd);
    }
    ::close(fd);
    if (!path.isEmpty())
        ::unlink(path.constData());
    if (m_ready.fetch_sub(1) - 1 == 0 && !m_diePosted.exchange(true))
        post(DidDieNotification);
}

void QVRmiConnection::invalidate()
{
    m_status.store(Invalidated);
    m_sendReady.notify_all();
    std::lock_guard lock(m_threadsLock);
    // Wake every blocked read at once instead of waiting for its time-out.
    for (int fd : m_fds)
        ::shutdown(fd, SHUT_RDWR);
    if (m_listenFd >= 0)
        ::shutdown(m_listenFd, SHUT_RDWR);
}

bool QVRmiConnection::sendFrame(int fd, const QByteArray &body)
{
    const qint32 length = qint32(body.size());
    if (!writeFull(fd, reinterpret_cast<const char *>(&length), sizeof length)) {
        std::printf("server send msg length error!  errno is %d\n", errno);
        return false;
    }
    qint64 offset = 0;
    while (length - offset > ChunkSize) {
        if (!writeFull(fd, body.constData() + offset, ChunkSize)) {
            std::printf("break with send_size <= 0\n");
            std::printf("send_size(%d) != length(%d)  err is %d\n", int(offset), int(length), errno);
            return false;
        }
        offset += ChunkSize;
        if (length - offset > ChunkSize && !readByte(fd, 'c')) {
            std::printf("recv ack failed\n");
            std::printf("send_size(%d) != length(%d)  err is %d\n", int(offset), int(length), errno);
            return false;
        }
    }
    if (!writeFull(fd, body.constData() + offset, size_t(length - offset))) {
        std::printf("send_size(%d) != length(%d)  err is %d\n", int(offset), int(length), errno);
        return false;
    }
    if (!readByte(fd, 'a')) {
        std::printf("receive invalid acknowledgement. errno is %d\n", errno);
        return false;
    }
    return true;
}

QVRmiConnection::ReceiveResult QVRmiConnection::receiveFrame(int fd, QByteArray *body)
{
    qint32 length = 0;
    errno = 0;
    const ssize_t got = readFull(fd, reinterpret_cast<char *>(&length), sizeof length);
    if (got == 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return ReceiveResult::TimedOut;
    if (got != ssize_t(sizeof length)) {
        std::printf("recv msg length error, errno is %d\n", errno);
        return ReceiveResult::Failed;
    }
    // A negative or huge length is a broken or hostile peer: never allocate or read on it.
    if (length < 0 || length > MaxFrameSize) {
        std::printf("recv msg length error, errno is %d\n", EMSGSIZE);
        return ReceiveResult::Failed;
    }
    QByteArray data(length, Qt::Uninitialized);
    qint64 offset = 0;
    while (offset < length) {
        const qint64 piece = qMin<qint64>(ChunkSize, length - offset);
        const bool last = length - offset <= ChunkSize;
        const ssize_t r = readFull(fd, data.data() + offset, size_t(last ? length - offset : piece));
        if (r != ssize_t(last ? length - offset : piece)) {
            // A partial body cannot be skipped safely: the stream would be read out of step.
            std::printf("recv msg contents error, errno is %d\n", errno);
            return ReceiveResult::Failed;
        }
        offset += r;
        if (length - offset > ChunkSize && !writeByte(fd, 'c')) {
            std::printf("recv msg contents error, errno is %d\n", errno);
            return ReceiveResult::Failed;
        }
    }
    if (!writeByte(fd, 'a')) {
        std::printf("send msg ack error, errno is %d\n", errno);
        return ReceiveResult::Failed;
    }
    *body = data;
    return ReceiveResult::Ok;
}

void QVRmiConnection::sendLoop(int fd)
{
    setReceiveTimeout(fd, 5000);
    while (isValid()) {
        QByteArray block;
        {
            std::unique_lock lock(m_sendLock);
            // Woken by a new call or by the end of the connection; 300 ms bounds a missed wake.
            m_sendReady.wait_for(lock, std::chrono::milliseconds(300), [this] { return !m_sendQueue.empty() || !isValid(); });
            if (!isValid() || m_sendQueue.empty())
                continue;
            block = std::move(m_sendQueue.front());
            m_sendQueue.pop_front();
        }
        if (block.isEmpty())
            continue;
        if (!sendFrame(fd, block)) {
            fail();
            break;
        }
    }
}

void QVRmiConnection::receiveLoop(int fd)
{
    setReceiveTimeout(fd, 2000);
    while (isValid()) {
        QByteArray body;
        const ReceiveResult r = receiveFrame(fd, &body);
        if (r == ReceiveResult::TimedOut)
            continue;
        if (r == ReceiveResult::Failed) {
            if (isValid())
                fail();
            break;
        }
        post(DidReceiveDataNotification, {{QString::fromLatin1(ReceivedDataKey), body}});
    }
}

void QVRmiConnection::checkLoop(int fd, bool server)
{
    setReceiveTimeout(fd, g_heartbeatTimeoutMs.load());
    int failures = 1;
    while (isValid()) {
        errno = 0;
        bool ok;
        if (server)
            ok = writeByte(fd, 'c') && readByte(fd, 's');
        else
            ok = readByte(fd, 'c') && writeByte(fd, 's');
        if (ok) {
            failures = 1;
            if (server) {
                // One exchange a second; invalidate is noticed within 100 ms.
                for (int i = 0; i < 10 && isValid(); ++i)
                    ::usleep(100 * 1000);
            }
            continue;
        }
        if (!isValid())
            break;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && failures < 2) {
            std::printf("%s check status error. errno is %d\n", server ? "server" : "client", errno);
            ++failures;
            continue;
        }
        if (errno == 0) {
            failures = 1;  // a wrong byte: the peer is alive
            continue;
        }
        fail();
        break;
    }
    if (m_exitOnCheckFailed.load()) {
        std::fflush(stdout);
        ::_exit(0);
    }
}

bool QVRmiConnection::forwardCall(const QString &selector, const QVariantList &arguments)
{
    QString types;
    if (m_hasProtocol) {
        const auto method = m_protocol.find(selector);
        if (!method)
            return false;  // not in the agreed protocol: dropped
        types = method->argumentTypes;
    } else {
        types = QString(arguments.size(), QLatin1Char('@'));
    }
    if (types.size() != arguments.size())
        return false;
    const QByteArray body = archiveCall(selector, types, arguments);
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::unique_lock lock(m_sendLock, std::try_to_lock);
        if (lock.owns_lock()) {
            m_sendQueue.push_back(body);
            lock.unlock();
            m_sendReady.notify_one();
            return true;
        }
        ::usleep(100 * 1000);
    }
    std::printf("Failed to enqueue data to be send!\n");
    return false;
}

bool QVRmiConnection::sendMessage(const QString &name, const QByteArray &object)
{
    return forwardCall(QStringLiteral("sendMessage:withObject:"), {name, object});
}

QByteArray QVRmiConnection::archiveCall(const QString &selector, const QString &types, const QVariantList &arguments)
{
    KeyedArchiver coder;
    coder.encodeString(QString::fromLatin1(SelectorKey), selector);
    for (int i = 0; i < arguments.size() && i < types.size(); ++i) {
        const QString key = QString::number(i);
        const QVariant &v = arguments[i];
        switch (types[i].toLatin1()) {
        case 'f':
            coder.encodeDouble(key, double(float(v.toDouble())));
            break;
        case 'd':
            coder.encodeDouble(key, v.toDouble());
            break;
        case 'i':
        case 'I':
        case 'S':
        case 'L':
            coder.encodeInt32(key, qint32(v.toLongLong()));
            break;
        case 'q':
            coder.encodeInt64(key, v.toLongLong());
            break;
        case 'c':
            coder.encodeBool(key, v.toBool());
            break;
        default:
            coder.encodeVariant(key, v);
            break;
        }
    }
    return coder.archivedData();
}

bool QVRmiConnection::unarchiveCall(const QByteArray &body, QString *selector,
                                    const std::function<std::optional<QString>(const QString &)> &signature,
                                    QVariantList *arguments)
{
    KeyedUnarchiver coder(body);
    if (!coder.isValid())
        return false;
    *selector = coder.decodeString(QString::fromLatin1(SelectorKey));
    if (selector->isEmpty())
        return false;
    const auto types = signature(*selector);
    if (!types)
        return false;
    arguments->clear();
    for (int i = 0; i < types->size(); ++i) {
        const QString key = QString::number(i);
        switch (types->at(i).toLatin1()) {
        case 'f':
        case 'd':
            arguments->append(coder.decodeDouble(key));
            break;
        case 'i':
        case 'I':
        case 'S':
        case 'L':
            arguments->append(coder.decodeInt32(key));
            break;
        case 'q':
            arguments->append(coder.decodeInt64(key));
            break;
        case 'c':
            arguments->append(coder.decodeBool(key));
            break;
        default:
            arguments->append(coder.decodeVariant(key));
            break;
        }
    }
    return true;
}

void QVRmiConnection::deliver(const QByteArray &body)
{
    if (!m_target)
        return;
    QString selector;
    QVariantList arguments;
    RmiTarget *target = m_target;
    if (!unarchiveCall(body, &selector, [target](const QString &s) { return target->rmiMethodSignature(s); }, &arguments))
        return;
    target->rmiInvoke(selector, arguments);
}
