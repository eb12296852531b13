#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Deeper trees than this are not ours: the work folders are one or two levels deep.
constexpr int MaxRemoveDepth = 32;

class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString errnoText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// The folder a user's environment names (runtime or cache home) may itself be a link the user
// made, so it is opened following links; it must be ours and writable by nobody else.
int openBase(const QString &base, QString *error)
{
    const QByteArray p = QFile::encodeName(base);
    const int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        fail(error, QStringLiteral("%1: %2").arg(base, errnoText(errno)));
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0) {
        ::close(fd);
        fail(error, QStringLiteral("%1 is not a private folder of this user").arg(base));
        return -1;
    }
    return fd;
}

bool validComponents(const QStringList &parts)
{
    for (const QString &c : parts)
        if (c.isEmpty() || c == QLatin1String(".") || c == QLatin1String(".."))
            return false;
    return true;
}

// Opens (making it first) the private folder `name` in `dirFd`.
int openPrivateChild(int dirFd, const QString &name, const QString &shown, QString *error)
{
    const QByteArray n = QFile::encodeName(name);
    if (::mkdirat(dirFd, n.constData(), 0700) != 0 && errno != EEXIST) {
        fail(error, QStringLiteral("%1: %2").arg(shown, errnoText(errno)));
        return -1;
    }
    const int fd = ::openat(dirFd, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        fail(error, e == ELOOP || e == ENOTDIR ? QStringLiteral("%1 is a link or not a folder; refusing to use it").arg(shown)
                                                : QStringLiteral("%1: %2").arg(shown, errnoText(e)));
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        fail(error, QStringLiteral("%1 belongs to another user; refusing to use it").arg(shown));
        return -1;
    }
    // Our own folder with a loosened mode is tightened through the descriptor we checked.
    if ((st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        ::close(fd);
        fail(error, QStringLiteral("%1: %2").arg(shown, errnoText(errno)));
        return -1;
    }
    return fd;
}

// Makes the missing folders of an XDG home the way the base directory rules ask (0700).
bool makeHome(const QString &path)
{
    if (QFileInfo::exists(path))
        return true;
    const QString parent = QFileInfo(path).absolutePath();
    if (parent == path || !makeHome(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST;
}

bool emptyFolder(int fd, int depth, QString *error)
{
    if (depth > MaxRemoveDepth)
        return fail(error, QStringLiteral("folder nested too deeply"));
    const int listFd = ::dup(fd);
    if (listFd < 0)
        return fail(error, errnoText(errno));
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return fail(error, errnoText(errno));
    }
    bool ok = true;
    while (struct dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (!std::strcmp(name, ".") || !std::strcmp(name, ".."))
            continue;
        struct stat st;
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            Fd child(::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (child.get() < 0 || !emptyFolder(child.get(), depth + 1, error)) {
                ok = false;
                continue;
            }
            if (::unlinkat(fd, name, AT_REMOVEDIR) != 0)
                ok = fail(error, errnoText(errno));
        } else if (::unlinkat(fd, name, 0) != 0) {
            ok = fail(error, errnoText(errno));
        }
    }
    ::closedir(dir);
    return ok;
}

// Opens the folder holding `path` (below `root`) without following a link on the way; `name`
// gets the last component. -1 when a level is missing (ENOENT kept in errno) or not a folder.
int openParent(const QString &root, const QString &path, QByteArray *name, QString *error)
{
    if (!PrivateFolder::isBelow(root, path)) {
        fail(error, QStringLiteral("%1 is not inside %2").arg(path, root));
        return -1;
    }
    const QStringList parts = QDir::cleanPath(path).mid(QDir::cleanPath(root).size() + 1).split(QLatin1Char('/'));
    Fd fd(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) {
        fail(error, QStringLiteral("%1: %2").arg(root, errnoText(errno)));
        return -1;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const int next = ::openat(fd.get(), QFile::encodeName(parts[i]).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int e = errno;
            fail(error, QStringLiteral("%1: %2").arg(path, errnoText(e)));
            errno = e;
            return -1;
        }
        fd.reset(next);
    }
    *name = QFile::encodeName(parts.last());
    return fd.release();
}

} // namespace

QString PrivateFolder::ensure(const QString &base, const QString &relative, QString *error)
{
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty() || !validComponents(parts)) {
        fail(error, QStringLiteral("invalid folder name \"%1\"").arg(relative));
        return {};
    }
    Fd fd(openBase(base, error));
    if (fd.get() < 0)
        return {};
    QString path = QDir::cleanPath(base);
    for (const QString &part : parts) {
        path += QLatin1Char('/') + part;
        const int next = openPrivateChild(fd.get(), part, path, error);
        if (next < 0)
            return {};
        fd.reset(next);
    }
    return path;
}

QString PrivateFolder::runtimeRoot(QString *error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return ensure(runtime, QStringLiteral("fennixpro"), error);
    // No runtime folder: one in our cache home, which no other user can name or take.
    const QString root = cacheRoot(error);
    return root.isEmpty() ? QString() : ensure(root, QStringLiteral("run"), error);
}

QString PrivateFolder::cacheRoot(QString *error)
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::home().filePath(QStringLiteral(".cache"));
    if (!makeHome(base)) {
        fail(error, QStringLiteral("%1: %2").arg(base, errnoText(errno)));
        return {};
    }
    return ensure(base, QStringLiteral("fennixpro"), error);
}

QString PrivateFolder::cache(const QString &relative, QString *error)
{
    const QString root = cacheRoot(error);
    return root.isEmpty() ? QString() : ensure(root, relative, error);
}

bool PrivateFolder::isBelow(const QString &root, const QString &path)
{
    if (root.isEmpty() || !QDir::isAbsolutePath(root) || !QDir::isAbsolutePath(path))
        return false;
    const QString r = QDir::cleanPath(root);
    const QString p = QDir::cleanPath(path);
    return p.size() > r.size() + 1 && p.startsWith(r) && (r == QLatin1String("/") || p.at(r.size()) == QLatin1Char('/'));
}

bool PrivateFolder::removeTree(const QString &root, const QString &path, QString *error)
{
    QByteArray name;
    Fd parent(openParent(root, path, &name, error));
    if (parent.get() < 0)
        return errno == ENOENT && isBelow(root, path);
    struct stat st;
    if (::fstatat(parent.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) {
        // A link (or file) where a folder should be goes itself; what it points at stays.
        if (::unlinkat(parent.get(), name.constData(), 0) != 0)
            return fail(error, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
        return true;
    }
    Fd dir(::openat(parent.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.get() < 0)
        return fail(error, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    if (!emptyFolder(dir.get(), 0, error))
        return false;
    if (::unlinkat(parent.get(), name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        return fail(error, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    return true;
}

bool PrivateFolder::removeFile(const QString &root, const QString &path, QString *error)
{
    QByteArray name;
    Fd parent(openParent(root, path, &name, error));
    if (parent.get() < 0)
        return errno == ENOENT && isBelow(root, path);
    if (::unlinkat(parent.get(), name.constData(), 0) != 0 && errno != ENOENT)
        return fail(error, QStringLiteral("%1: %2").arg(path, errnoText(errno)));
    return true;
}
