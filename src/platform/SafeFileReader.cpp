#include "platform/SafeFileReader.h"

#include <QDebug>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(int e)
{
    return QString::fromLocal8Bit(std::strerror(e));
}

QString refusal(const QString &path, const QString &what)
{
    const QString message = QStringLiteral("refused to read %1: it is %2, not a regular file").arg(path, what);
    qWarning().noquote() << QStringLiteral("SafeFileReader:") << message;
    return message;
}

void setOutcome(SafeFileReader::Status *status, QString *error, SafeFileReader::Status s, const QString &message)
{
    if (status)
        *status = s;
    if (error)
        *error = message;
}

// What stands at a name stat() could not follow: a dangling link, or nothing.
bool danglingLink(const QByteArray &native)
{
    struct stat st = {};
    return ::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Compiled-in resources (":/…") are no file anybody can plant anything at.
bool isResource(const QString &path)
{
    return path.startsWith(QLatin1Char(':')) || path.startsWith(QLatin1String("qrc:"));
}

} // namespace

QString SafeFileReader::describeMode(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFIFO: return QStringLiteral("a FIFO");
    case S_IFDIR: return QStringLiteral("a folder");
    case S_IFSOCK: return QStringLiteral("a socket");
    case S_IFCHR: return QStringLiteral("a character device");
    case S_IFBLK: return QStringLiteral("a block device");
    case S_IFLNK: return QStringLiteral("a link");
    case S_IFREG: return QStringLiteral("a regular file");
    default: return QStringLiteral("a special file");
    }
}

int SafeFileReader::openDescriptor(const QString &path, Status *status, QString *error, Links links)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty()) {
        setOutcome(status, error, Status::Missing, QString());
        return -1;
    }
    // Look before opening: opening a device can act on it, and a FIFO is best never opened.
    struct stat st = {};
    const int looked = links == Links::Follow ? ::stat(native.constData(), &st) : ::lstat(native.constData(), &st);
    if (looked != 0) {
        const int e = errno;
        if (e == ENOENT && links == Links::Follow && danglingLink(native)) {
            setOutcome(status, error, Status::Refused, refusal(path, QStringLiteral("a dangling link")));
            return -1;
        }
        setOutcome(status, error, e == ENOENT || e == ENOTDIR ? Status::Missing : Status::Failed,
                   e == ENOENT || e == ENOTDIR ? QString() : QStringLiteral("cannot read %1: %2").arg(path, systemError(e)));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        setOutcome(status, error, Status::Refused, refusal(path, describeMode(st.st_mode)));
        return -1;
    }
    // O_NONBLOCK: the name may have been swapped for a FIFO since the look.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(native.constData(), flags);
    if (fd < 0) {
        const int e = errno;
        if (e == ENXIO) { // a socket took the name meanwhile
            setOutcome(status, error, Status::Refused, refusal(path, QStringLiteral("a socket")));
        } else if (e == ELOOP && links == Links::Refuse) {
            setOutcome(status, error, Status::Refused, refusal(path, QStringLiteral("a link")));
        } else {
            setOutcome(status, error, e == ENOENT ? Status::Missing : Status::Failed,
                       e == ENOENT ? QString() : QStringLiteral("cannot read %1: %2").arg(path, systemError(e)));
        }
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setOutcome(status, error, Status::Refused, refusal(path, describeMode(st.st_mode)));
        return -1;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0)
        ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    setOutcome(status, error, Status::Ok, QString());
    return fd;
}

SafeFileReader::Result SafeFileReader::read(const QString &path, qint64 maxBytes, Links links)
{
    Result result;
    if (isResource(path)) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly)) {
            result.status = Status::Missing;
        } else if (resource.size() > maxBytes) {
            result.status = Status::TooLarge;
            result.error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
        } else {
            result.status = Status::Ok;
            result.data = resource.readAll();
        }
        return result;
    }
    const int fd = openDescriptor(path, &result.status, &result.error, links);
    if (fd < 0)
        return result;
    struct stat st = {};
    if (::fstat(fd, &st) == 0 && st.st_size > maxBytes) {
        ::close(fd);
        result.status = Status::TooLarge;
        result.error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
        return result;
    }
    QByteArray data;
    data.reserve(qsizetype(std::min<qint64>(st.st_size, maxBytes)) + 1);
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            result.status = Status::Failed;
            result.error = QStringLiteral("cannot read %1: %2").arg(path, systemError(e));
            return result;
        }
        if (n == 0)
            break;
        // A file that grows while read (a log being written) is cut off at the cap.
        if (data.size() + n > maxBytes) {
            ::close(fd);
            result.status = Status::TooLarge;
            result.error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
            return result;
        }
        data.append(buffer, n);
    }
    ::close(fd);
    result.status = Status::Ok;
    result.data = std::move(data);
    return result;
}

bool SafeFileReader::open(QFile &file, QString *error, Links links, Status *status)
{
    Status s = Status::Failed;
    QString message;
    if (isResource(file.fileName())) {
        const bool opened = file.open(QIODevice::ReadOnly);
        if (status)
            *status = opened ? Status::Ok : Status::Missing;
        if (error)
            *error = opened ? QString() : QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
        return opened;
    }
    const int fd = openDescriptor(file.fileName(), &s, &message, links);
    if (fd >= 0 && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        s = Status::Failed;
        message = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
    }
    if (s == Status::Missing)
        message = QStringLiteral("cannot read %1: no such file").arg(file.fileName());
    if (status)
        *status = s;
    if (error)
        *error = message;
    return s == Status::Ok;
}

bool SafeFileReader::isRegularOrMissing(const QString &path, QString *error)
{
    if (error)
        error->clear();
    const QByteArray native = QFile::encodeName(path);
    struct stat st = {};
    if (native.isEmpty() || isResource(path))
        return true;
    if (::stat(native.constData(), &st) != 0) {
        if (errno != ENOENT)
            return true; // the library reports what it meets itself
        if (!danglingLink(native))
            return true;
        const QString message = refusal(path, QStringLiteral("a dangling link"));
        if (error)
            *error = message;
        return false;
    }
    if (S_ISREG(st.st_mode))
        return true;
    const QString message = refusal(path, describeMode(st.st_mode));
    if (error)
        *error = message;
    return false;
}
