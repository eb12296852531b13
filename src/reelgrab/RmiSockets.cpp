#include "reelgrab/RmiSockets.h"

#include "platform/AppPaths.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::atomic<int> g_counter{0};

QByteArray runtimeFolder() { return QFile::encodeName(AppPaths::runtimeFolder()); }

void closeKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

bool fillAddress(const char *path, sockaddr_un &addr, socklen_t &len)
{
    char resolved[sizeof(addr.sun_path)];
    if (!rmi_resolve_path(path, resolved, sizeof resolved))
        return false;
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    // rmi_resolve_path wrote a terminated text into a buffer of sun_path's size, so it fits.
    const size_t length = std::strlen(resolved);
    std::memcpy(addr.sun_path, resolved, length + 1);
    len = socklen_t(offsetof(sockaddr_un, sun_path) + length + 1);
    return true;
}

} // namespace

bool rmi_resolve_path(const char *address, char *out, size_t outSize)
{
    if (!address || !*address)
        return false;
    int n;
    if (address[0] == '/') {
        n = std::snprintf(out, outSize, "%s", address);
    } else {
        const QByteArray folder = runtimeFolder();
        if (folder.isEmpty())
            return false;
        n = std::snprintf(out, outSize, "%s/%s", folder.constData(), address);
    }
    return n > 0 && size_t(n) < outSize;
}

int generate_socket_path(char *buffer, size_t size, int kind, const char *serverPath)
{
    if (!buffer || size == 0)
        return 0;
    if (kind == RmiSocketServer) {
        const QByteArray folder = runtimeFolder();
        if (folder.isEmpty())
            return 0;
        for (int attempt = 0; attempt < 99999; ++attempt) {
            const int counter = (g_counter.fetch_add(1) + 1) % 99999;
            char number[16];
            std::snprintf(number, sizeof number, "%05d%05d", int(::getpid() % 100000), counter);
            char candidate[256];
            std::snprintf(candidate, sizeof candidate, "%s/M%s", folder.constData(), number);
            struct stat st;
            if (::lstat(candidate, &st) == 0)
                continue;
            for (const char *prefix : {"R", "S", "C"}) {
                char old[256];
                std::snprintf(old, sizeof old, "%s/%s%s", folder.constData(), prefix, number);
                ::unlink(old);
            }
            // Addresses stay below 104 characters; a long folder gives a bare, folder-relative name.
            int n;
            if (std::strlen(candidate) >= 104)
                n = std::snprintf(buffer, size, "M%s", number);
            else
                n = std::snprintf(buffer, size, "%s", candidate);
            if (n <= 0 || size_t(n) >= size)
                return 0;
            std::printf("generate_socket_path  socket_path is  %s\n", buffer);
            return 1;
        }
        return 0;
    }
    if (kind < RmiSocketReceive || kind > RmiSocketCheck || !serverPath)
        return 0;
    const char *prefix = kind == RmiSocketReceive ? "R" : kind == RmiSocketSend ? "S" : "C";
    const char *slash = std::strrchr(serverPath, '/');
    const char *last = slash ? slash + 1 : serverPath;
    if (std::strlen(last) < 2)
        return 0;
    const char *number = last + 1;
    int n;
    if (slash)
        n = std::snprintf(buffer, size, "%.*s/%s%s", int(slash - serverPath), serverPath, prefix, number);
    else
        n = std::snprintf(buffer, size, "%s%s", prefix, number);
    if (n <= 0 || size_t(n) >= size)
        return 0;
    return 1;
}

int serv_listen(const char *path)
{
    sockaddr_un addr;
    socklen_t len;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (!fillAddress(path, addr, len)) {
        closeKeepingErrno(fd);
        return -2;
    }
    ::unlink(addr.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), len) < 0) {
        closeKeepingErrno(fd);
        return -2;
    }
    ::chmod(addr.sun_path, 0700);
    if (::listen(fd, 10) < 0) {
        closeKeepingErrno(fd);
        return -3;
    }
    return fd;
}

int serv_accept(int listenFd, char *clientPath, size_t clientPathSize)
{
    sockaddr_un addr;
    socklen_t len = sizeof addr;
    std::memset(&addr, 0, sizeof addr);
    const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr *>(&addr), &len, SOCK_CLOEXEC);
    if (fd < 0)
        return -1;
    const size_t pathLen = len > offsetof(sockaddr_un, sun_path) ? len - offsetof(sockaddr_un, sun_path) : 0;
    char path[sizeof(addr.sun_path) + 1];
    std::memcpy(path, addr.sun_path, pathLen);
    path[pathLen] = '\0';
    if (clientPath && clientPathSize)
        std::snprintf(clientPath, clientPathSize, "%s", path);
    struct stat st;
    if (path[0] == '\0' || ::lstat(path, &st) < 0) {
        closeKeepingErrno(fd);
        return -2;
    }
    if (!S_ISSOCK(st.st_mode)) {
        closeKeepingErrno(fd);
        return -3;
    }
    if ((st.st_mode & 0777) != 0700) {
        closeKeepingErrno(fd);
        return -4;
    }
    const time_t stale = ::time(nullptr) - 30;
    if (st.st_atime < stale || st.st_ctime < stale || st.st_mtime < stale) {
        closeKeepingErrno(fd);
        return -5;
    }
    struct ucred cred {};
    socklen_t credLen = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &credLen) != 0 || cred.uid != ::getuid()) {
        closeKeepingErrno(fd);
        return -6;
    }
    ::unlink(path);
    return fd;
}

int cli_conn(const char *serverPath, const char *clientPath)
{
    sockaddr_un clientAddr, serverAddr;
    socklen_t clientLen, serverLen;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (!fillAddress(clientPath, clientAddr, clientLen)) {
        closeKeepingErrno(fd);
        return -2;
    }
    ::unlink(clientAddr.sun_path);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&clientAddr), clientLen) < 0) {
        closeKeepingErrno(fd);
        return -2;
    }
    if (::chmod(clientAddr.sun_path, 0700) < 0) {
        closeKeepingErrno(fd);
        return -3;
    }
    if (!fillAddress(serverPath, serverAddr, serverLen)
        || ::connect(fd, reinterpret_cast<sockaddr *>(&serverAddr), serverLen) < 0) {
        ::unlink(clientAddr.sun_path);
        closeKeepingErrno(fd);
        return -4;
    }
    return fd;
}
