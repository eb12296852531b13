#include "LoopbackServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer(const std::string &address) : m_address(address)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    ::inet_pton(AF_INET, m_address.c_str(), &addr.sin_addr);
    addr.sin_port = 0;
    ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(m_listen, 128);
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer()
{
    {
        std::lock_guard lock(m_stopMutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    {
        std::lock_guard lock(m_mutex); // no gate waiter misses the stop between test and wait
    }
    m_gateChanged.notify_all();
    ::shutdown(m_listen, SHUT_RDWR);
    ::close(m_listen);
    m_acceptThread.join();
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_clients)
            ::shutdown(fd, SHUT_RDWR);
    }
    for (auto &t : m_threads)
        t.join();
}

void LoopbackServer::add(const std::string &path, Resource resource)
{
    auto body = std::make_shared<const std::string>(std::move(resource.body));
    resource.body.clear();
    std::lock_guard lock(m_mutex);
    m_resources[path] = Stored{std::move(resource), std::move(body)};
}

std::string LoopbackServer::url(const std::string &path) const
{
    return "http://" + m_address + ":" + std::to_string(m_port) + path;
}

int LoopbackServer::requests(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].requests;
}

int LoopbackServer::maxConcurrent(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].maxActive;
}

int LoopbackServer::maxConcurrentOverall()
{
    std::lock_guard lock(m_mutex);
    return m_maxActive;
}

int LoopbackServer::connectionsAccepted()
{
    std::lock_guard lock(m_mutex);
    return m_accepted;
}

int LoopbackServer::concurrent(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].active;
}

int64_t LoopbackServer::bodyBytesSent(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].bytes;
}

std::vector<std::pair<int64_t, int64_t>> LoopbackServer::servedRanges(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].served;
}

int64_t LoopbackServer::bytesSentAgain(const std::string &path)
{
    auto served = servedRanges(path);
    std::sort(served.begin(), served.end());
    int64_t sum = 0, covered = 0, at = 0;
    for (auto [first, end] : served) {
        sum += end - first;
        if (end > at) {
            covered += end - std::max(first, at);
            at = end;
        }
    }
    return sum - covered;
}

std::vector<std::string> LoopbackServer::rangeHeaders(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].ranges;
}

std::vector<std::string> LoopbackServer::cookieHeaders(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return m_stats[path].cookies;
}

void LoopbackServer::gate(const std::string &path, int64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_gates[path] = bytes;
}

void LoopbackServer::release(const std::string &path)
{
    {
        std::lock_guard lock(m_mutex);
        m_gates.erase(path);
    }
    m_gateChanged.notify_all();
}

int64_t LoopbackServer::passGate(int fd, const std::string &key, int64_t wanted)
{
    std::unique_lock lock(m_mutex);
    auto &stats = m_stats[key];
    bool held = false;
    for (;;) {
        if (m_stopping)
            return 0;
        const auto gate = m_gates.find(key);
        if (gate == m_gates.end())
            break;
        const int64_t open = gate->second - stats.bytes - stats.sending;
        if (open > 0) {
            wanted = std::min(wanted, open);
            break;
        }
        held = true;
        m_gateChanged.wait(lock);
    }
    if (held) {
        // A client cut while held must not be counted as sent to: its bytes would only sit
        // in a dead socket.
        pollfd p{fd, POLLRDHUP, 0};
        if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)))
            return 0;
    }
    stats.sending += wanted;
    return wanted;
}

void LoopbackServer::acceptLoop()
{
    while (!m_stopping) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (m_stopping)
                return;
            continue;
        }
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(m_mutex);
        ++m_accepted;
        m_clients.push_back(fd);
        m_threads.emplace_back([this, fd] { serve(fd); });
    }
}

bool LoopbackServer::sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void LoopbackServer::serve(int fd)
{
    std::string buffer;
    char chunk[8192];
    while (!m_stopping) {
        size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (buffer.size() > 65536)
                goto done;
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                goto done;
            buffer.append(chunk, static_cast<size_t>(n));
        }
        {
            const std::string head = buffer.substr(0, end);
            buffer.erase(0, end + 4);
            const auto lineEnd = head.find("\r\n");
            const std::string requestLine = head.substr(0, lineEnd);
            const auto sp1 = requestLine.find(' ');
            const auto sp2 = requestLine.find(' ', sp1 + 1);
            if (sp1 == std::string::npos || sp2 == std::string::npos)
                goto done;
            const std::string method = requestLine.substr(0, sp1);
            const std::string path = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
            std::map<std::string, std::string> headers;
            size_t at = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
            while (at < head.size()) {
                auto next = head.find("\r\n", at);
                if (next == std::string::npos)
                    next = head.size();
                const std::string line = head.substr(at, next - at);
                at = next + 2;
                const auto colon = line.find(':');
                if (colon == std::string::npos)
                    continue;
                std::string name = line.substr(0, colon);
                std::transform(name.begin(), name.end(), name.begin(), ::tolower);
                std::string value = line.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                headers[name] = value;
            }
            if (!respond(fd, method, path, headers))
                goto done;
        }
    }
done:
    std::lock_guard lock(m_mutex);
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), fd), m_clients.end());
    ::close(fd);
}

bool LoopbackServer::respond(int fd, const std::string &method, const std::string &fullPath,
                             const std::map<std::string, std::string> &headers)
{
    Resource res;
    std::shared_ptr<const std::string> body;
    std::string key = fullPath;
    bool drop = false;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_resources.find(fullPath);
        if (it == m_resources.end()) {
            key = fullPath.substr(0, fullPath.find('?'));
            it = m_resources.find(key);
        }
        auto &stats = m_stats[key];
        ++stats.requests;
        auto range = headers.find("range");
        stats.ranges.push_back(range == headers.end() ? std::string() : range->second);
        auto cookie = headers.find("cookie");
        stats.cookies.push_back(cookie == headers.end() ? std::string() : cookie->second);
        if (it == m_resources.end()) {
            const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
            return sendAll(fd, notFound.data(), notFound.size());
        }
        res = it->second.resource;
        body = it->second.body;
        if (res.dropAfter >= 0 && it->second.resource.drops != 0) {
            drop = true;
            if (it->second.resource.drops > 0)
                --it->second.resource.drops;
        }
        ++stats.active;
        stats.maxActive = std::max(stats.maxActive, stats.active);
        m_maxActive = std::max(m_maxActive, ++m_active);
    }
    struct Leave
    {
        LoopbackServer *self;
        std::string key;
        ~Leave()
        {
            std::lock_guard lock(self->m_mutex);
            --self->m_stats[key].active;
            --self->m_active;
        }
    } leave{this, key};

    if (res.closeAtOnce)
        return false;
    for (int waited = 0; waited < res.delayMs && !m_stopping; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    const int64_t size = static_cast<int64_t>(body->size());
    int64_t first = 0, last = size - 1;
    int status = res.status;
    std::string extra;
    auto range = headers.find("range");
    auto ifRange = headers.find("if-range");
    const bool rangeApplies = res.ranges && status == 200 && range != headers.end() &&
                              (ifRange == headers.end() || ifRange->second == res.etag);
    if (rangeApplies) {
        long long a = -1, b = -1;
        const int got = sscanf(range->second.c_str(), "bytes=%lld-%lld", &a, &b);
        if (got >= 1 && a >= 0) {
            if (a >= size) {
                const std::string r = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                      std::to_string(size) + "\r\nContent-Length: 0\r\n\r\n";
                return sendAll(fd, r.data(), r.size());
            }
            first = a;
            last = got == 2 && b >= a ? std::min<int64_t>(b, size - 1) : size - 1;
            status = 206;
            extra += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                     std::to_string(size) + "\r\n";
        }
    }
    const int64_t length = std::max<int64_t>(0, last - first + 1);
    std::string head = "HTTP/1.1 " + std::to_string(status) + (status == 206 ? " Partial Content" : " OK") + "\r\n";
    head += "Content-Type: " + res.contentType + "\r\n";
    if (res.ranges)
        head += "Accept-Ranges: bytes\r\nETag: " + res.etag + "\r\n";
    if (!res.location.empty())
        head += "Location: " + res.location + "\r\n";
    for (const auto &[name, value] : res.headers)
        head += name + ": " + value + "\r\n";
    if (res.chunked || res.endless)
        head += "Connection: close\r\n";
    else
        head += "Content-Length: " + std::to_string(res.announcedLength >= 0 ? res.announcedLength : length) + "\r\n";
    head += extra + "\r\n";
    if (!sendAll(fd, head.data(), head.size()))
        return false;
    if (method == "HEAD")
        return true;
    if (res.stall) {
        // Held until the server stops (the test's end at the latest).
        waitForStop();
        return false;
    }
    const auto began = std::chrono::steady_clock::now();
    int64_t sent = 0;
    const int64_t limit = drop ? std::min(length, res.dropAfter) : length;
    size_t servedIndex = 0;
    {
        std::lock_guard lock(m_mutex);
        auto &served = m_stats[key].served;
        servedIndex = served.size();
        served.emplace_back(first, first);
    }
    while (sent < limit && !m_stopping) {
        const int64_t piece =
            passGate(fd, key, std::min<int64_t>(limit - sent, std::max<int64_t>(1, res.pieceBytes)));
        if (piece == 0)
            return false;
        const bool ok = sendAll(fd, body->data() + first + sent, static_cast<size_t>(piece));
        {
            std::lock_guard lock(m_mutex);
            auto &stats = m_stats[key];
            stats.sending -= piece;
            if (ok) {
                stats.bytes += piece;
                stats.served[servedIndex].second = first + sent + piece;
            }
        }
        if (!ok)
            return false;
        sent += piece;
        if (res.bytesPerSecond > 0) {
            const auto due = began + std::chrono::microseconds(sent * 1000000 / res.bytesPerSecond);
            std::this_thread::sleep_until(due);
        }
        // A gate may cut a write short: pause where a burst boundary was crossed.
        if (res.burstBytes > 0 && (sent - piece) / res.burstBytes != sent / res.burstBytes && sent < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(res.burstPauseMs));
    }
    constexpr int64_t kEndlessCap = int64_t(64) << 20;
    for (int64_t out = limit; res.endless && !m_stopping && length > 0 && out < kEndlessCap; out += length) {
        if (!sendAll(fd, body->data(), static_cast<size_t>(length)))
            return false;
        std::lock_guard lock(m_mutex);
        m_stats[key].bytes += length;
    }
    if (drop || res.chunked || res.announcedLength >= 0)
        return false; // close: the client sees the body end early or at EOF
    return true;
}

void LoopbackServer::waitForStop()
{
    std::unique_lock lock(m_stopMutex);
    m_stopped.wait(lock, [this] { return m_stopping.load(); });
}
