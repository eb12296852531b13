#include "platform/FileLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

FileLock::~FileLock()
{
    unlock();
}

FileLock::FileLock(FileLock &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{
}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        unlock();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

FileLock::Result FileLock::tryLock(const QString &path, Open open, QString *error)
{
    if (m_fd >= 0) {
        if (m_path == path)
            return Result::Locked;
        unlock();
    }
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO planted under the name must not hang the open.
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | (open == Open::Create ? O_RDWR | O_CREAT : O_RDONLY);
    const int fd = native.isEmpty() ? -1 : ::open(native.constData(), flags, 0600);
    if (fd < 0) {
        const int e = native.isEmpty() ? ENOENT : errno;
        if (e == ENOENT && open == Open::Existing)
            return Result::Missing;
        if (error)
            *error = QStringLiteral("cannot open the lock file %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(e)));
        return Result::Failed;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = QStringLiteral("%1 is not a regular file").arg(path);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK)
            return Result::Busy;
        if (error)
            *error = QStringLiteral("cannot lock %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(e)));
        return Result::Failed;
    }
    m_fd = fd;
    m_path = path;
    return Result::Locked;
}

void FileLock::unlock()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}
