#include "platform/AbandonedWork.h"

#include "platform/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The names in a folder, read through its descriptor; empty when it cannot be read.
QList<QByteArray> namesIn(const QString &folder, int *fd)
{
    QList<QByteArray> names;
    *fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (*fd < 0)
        return names;
    const int listing = ::dup(*fd);
    DIR *dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// True when a connection to the socket at path is refused: nothing listens there any more.
bool nobodyListens(const QByteArray &path)
{
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A full backlog answers EAGAIN: someone listens.
    const bool refused = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 && errno == ECONNREFUSED;
    ::close(fd);
    return refused;
}

// Whether the folder `name` (ours, a real folder) is held by a live process.
bool isHeld(int parent, const QByteArray &name, const struct stat &folder)
{
    const QByteArray held = name + '/' + AbandonedWork::HeldFileName;
    const int fd = ::openat(parent, held.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        // Not marked: young folders may still be being set up by their owner.
        return errno != ENOENT || std::time(nullptr) - folder.st_mtime < AbandonedWork::UnheldAgeSeconds;
    }
    struct stat st = {};
    bool live = true;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            live = false;
            ::flock(fd, LOCK_UN);
        } else {
            live = errno == EWOULDBLOCK;
        }
    }
    ::close(fd);
    return live;
}

} // namespace

FileLock AbandonedWork::hold(const QString &folder, QString *error)
{
    FileLock lock;
    lock.tryLock(folder + QLatin1Char('/') + QLatin1String(HeldFileName), FileLock::Open::Create, error);
    return lock;
}

int AbandonedWork::sweepSockets(const QString &folder)
{
    int fd = -1;
    const QList<QByteArray> names = namesIn(folder, &fd);
    if (fd < 0)
        return 0;
    const QByteArray base = QFile::encodeName(folder) + '/';
    int removed = 0;
    for (const QByteArray &name : names) {
        struct stat st = {};
        if (::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid())
            continue;
        if (nobodyListens(base + name) && ::unlinkat(fd, name.constData(), 0) == 0)
            ++removed;
    }
    ::close(fd);
    return removed;
}

int AbandonedWork::sweepFolders(const QString &parent, const QString &prefix)
{
    if (prefix.isEmpty())
        return 0;
    int fd = -1;
    const QList<QByteArray> names = namesIn(parent, &fd);
    if (fd < 0)
        return 0;
    const QByteArray start = QFile::encodeName(prefix);
    int removed = 0;
    for (const QByteArray &name : names) {
        if (!name.startsWith(start))
            continue;
        struct stat st = {};
        // Another user's folder, or a link planted under the name, is never entered.
        if (::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
            continue;
        if (isHeld(fd, name, st))
            continue;
        if (PrivateFolder::removeTree(parent, parent + QLatin1Char('/') + QFile::decodeName(name)))
            ++removed;
    }
    ::close(fd);
    return removed;
}
