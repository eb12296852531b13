#include "TestHttpServer.h"

#include <QList>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TestHttpServer::TestHttpServer()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(m_listen, 64);
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { acceptLoop(); });
}

TestHttpServer::~TestHttpServer()
{
    m_stopping = true;
    ::shutdown(m_listen, SHUT_RDWR);
    ::close(m_listen);
    m_thread.join();
    for (auto &t : m_workers)
        t.join();
}

void TestHttpServer::add(const QString &path, const Resource &resource)
{
    QMutexLocker lock(&m_mutex);
    m_resources.insert(path, resource);
}

void TestHttpServer::add(const QString &path, const QByteArray &body, const QByteArray &contentType)
{
    Resource r;
    r.body = body;
    r.contentType = contentType;
    add(path, r);
}

QString TestHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

int TestHttpServer::gets(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    return m_gets.value(path);
}

QList<QByteArray> TestHttpServer::ranges(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    return m_ranges.value(path);
}

void TestHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        QMutexLocker lock(&m_mutex);
        m_workers.emplace_back([this, fd] { serve(fd); });
    }
}

static bool sendAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

void TestHttpServer::serve(int fd)
{
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n") && request.size() < 65536) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, n);
    }
    const QList<QByteArray> lines = request.left(request.indexOf("\r\n\r\n")).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    const QByteArray method = first.value(0);
    QString path = QString::fromUtf8(first.value(1));
    path = path.section(u'?', 0, 0);
    QByteArray range;
    for (const QByteArray &l : lines)
        if (l.toLower().startsWith("range:"))
            range = l.mid(6).trimmed();

    Resource r;
    bool found = false;
    {
        QMutexLocker lock(&m_mutex);
        found = m_resources.contains(path);
        if (found)
            r = m_resources.value(path);
        if (method == "GET") {
            m_gets[path]++;
            m_ranges[path].append(range);
        }
    }
    QByteArray head;
    QByteArray body = r.body;
    int status = found ? r.status : 404;
    if (!found)
        body = "not found";
    qint64 from = 0, to = body.size() - 1;
    if (found && status == 200 && range.startsWith("bytes=")) {
        const QList<QByteArray> parts = range.mid(6).split('-');
        from = parts.value(0).toLongLong();
        if (!parts.value(1).isEmpty())
            to = std::min<qint64>(parts.value(1).toLongLong(), body.size() - 1);
        if (from >= body.size()) {
            status = 416;
        } else {
            status = 206;
        }
    }
    const char *reason = status == 200 ? "OK" : status == 206 ? "Partial Content" : status == 404 ? "Not Found" : "Error";
    head += "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    // An empty type is left out, as storage servers do.
    if (!found || !r.contentType.isEmpty())
        head += "Content-Type: " + (found ? r.contentType : QByteArray("text/plain")) + "\r\n";
    head += "Accept-Ranges: bytes\r\nConnection: close\r\nETag: \"t1\"\r\n";
    if (!r.disposition.isEmpty())
        head += "Content-Disposition: " + r.disposition + "\r\n";
    QByteArray payload;
    if (status == 206) {
        payload = body.mid(from, to - from + 1);
        head += "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(to) + '/'
            + QByteArray::number(body.size()) + "\r\n";
    } else if (status == 416) {
        head += "Content-Range: bytes */" + QByteArray::number(body.size()) + "\r\n";
    } else {
        payload = body;
    }
    if (r.endless.isEmpty() || status != 200)
        head += "Content-Length: " + QByteArray::number(payload.size()) + "\r\n";
    head += "\r\n";
    if (sendAll(fd, head.constData(), head.size()) && method != "HEAD") {
        if (!r.endless.isEmpty() && status == 200) {
            bool open = sendAll(fd, payload.constData(), payload.size());
            for (qint64 sent = 0; open && !m_stopping && sent < (qint64(4) << 30); sent += r.endless.size())
                open = sendAll(fd, r.endless.constData(), r.endless.size());
        } else if (r.bytesPerSecond <= 0) {
            sendAll(fd, payload.constData(), payload.size());
        } else {
            // Slow serving, a tenth of a second's worth at a time, until the client goes away.
            const qsizetype step = std::max(1, r.bytesPerSecond / 10);
            for (qsizetype at = 0; at < payload.size() && !m_stopping; at += step) {
                if (!sendAll(fd, payload.constData() + at, std::min(step, payload.size() - at)))
                    break;
                ::usleep(100000);
            }
        }
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}
