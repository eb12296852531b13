#include "recording/RecordingFiles.h"

#include "platform/UserDefaults.h"

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace RecordingFiles {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// "<folder>/<stem>.mp4", then "<stem>(1).mp4", "(2)"…
QString dateTimeCandidate(const QString &folder, const QString &stem, int n)
{
    return n == 0 ? QStringLiteral("%1/%2.mp4").arg(folder, stem) : QStringLiteral("%1/%2(%3).mp4").arg(folder, stem).arg(n);
}

constexpr int MaxCandidates = 1000;

const QString kTakesInProgress = QStringLiteral("RecordTakesInProgress");

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

QString recorderFileName(const QDateTime &when)
{
    return QStringLiteral("Capvane %1.mp4").arg(when.toString(QLatin1String(RecorderStampFormat)));
}

bool isRecorderFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^Capvane \\d{8}-\\d{6}-\\d{3}\\.mp4$"));
    return pattern.match(fileName).hasMatch();
}

void markTakeStarted(const QString &path)
{
    QStringList takes = takesInProgress();
    if (!takes.contains(path)) {
        takes << path;
        // Written through at once: the point is to outlive a program that is killed.
        UserDefaults::standard().setObject(kTakesInProgress, takes);
        UserDefaults::standard().synchronize();
    }
}

void markTakeEnded(const QString &path)
{
    QStringList takes = takesInProgress();
    if (takes.removeAll(path) > 0) {
        UserDefaults::standard().setObject(kTakesInProgress, takes);
        UserDefaults::standard().synchronize();
    }
}

QStringList takesInProgress() { return UserDefaults::standard().stringArrayForKey(kTakesInProgress); }

void forgetTakesInProgress() { UserDefaults::standard().removeObjectForKey(kTakesInProgress); }

QStringList unlistedTakes(const QString &folder, const QStringList &listed, const QStringList &inProgress)
{
    QSet<QString> known;
    for (const QString &path : listed)
        known.insert(canonicalOrAbsolute(path));
    QSet<QString> pending;
    for (const QString &path : inProgress)
        pending.insert(canonicalOrAbsolute(path));
    QFileInfoList found;
    const QDir dir(folder);
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed)) {
        // A link could lead anywhere: only the folder's own files are taken.
        if (file.isSymLink() || !file.isFile() || file.size() == 0)
            continue;
        const QString path = canonicalOrAbsolute(file.filePath());
        if (known.contains(path))
            continue;
        if (isRecorderFileName(file.fileName()) || pending.contains(path))
            found << file;
    }
    QStringList paths;
    for (const QFileInfo &file : std::as_const(found))
        paths << file.absoluteFilePath();
    return paths;
}

bool isTrustedRecording(const QString &path, const QString &folder, QString *error)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isAbsolute()) {
        setError(error, QStringLiteral("The recorder reported no usable file: \"%1\"").arg(path));
        return false;
    }
    if (file.isSymLink() || !file.exists() || !file.isFile()) {
        setError(error, QStringLiteral("The recorder's file is not a plain file: \"%1\"").arg(path));
        return false;
    }
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString real = file.canonicalFilePath();
    if (root.isEmpty() || real.isEmpty() || !real.startsWith(root + QLatin1Char('/'))) {
        setError(error, QStringLiteral("The recorder's file \"%1\" is outside the recordings folder \"%2\".").arg(path, folder));
        return false;
    }
    return true;
}

bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::syscall(SYS_renameat2, AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the no-replace rename: a hard link fails on an existing name too.
    if (::link(a.constData(), b.constData()) != 0)
        return false;
    if (::unlink(a.constData()) != 0) {
        const int saved = errno;
        ::unlink(b.constData());
        errno = saved;
        return false;
    }
    return true;
}

QString moveToDateTimeName(const QString &path, const QDateTime &when, QString *error)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    const QString stem = when.toString(QLatin1String(DateFormat));
    if (QFileInfo(path).absoluteFilePath() == dateTimeCandidate(folder, stem, 0))
        return path;
    for (int n = 0; n < MaxCandidates; ++n) {
        const QString candidate = dateTimeCandidate(folder, stem, n);
        if (renameNoReplace(path, candidate))
            return candidate;
        if (errno != EEXIST) {
            setError(error, QStringLiteral("\"%1\" could not be renamed: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            return path;
        }
    }
    setError(error, QStringLiteral("No free name for \"%1\".").arg(path));
    return path;
}

QString reserveDateTimeName(const QString &folder, const QDateTime &when, QString *error)
{
    const QString stem = when.toString(QLatin1String(DateFormat));
    const QString dir = QFileInfo(folder).absoluteFilePath();
    for (int n = 0; n < MaxCandidates; ++n) {
        const QString candidate = dateTimeCandidate(dir, stem, n);
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) {
            setError(error, QStringLiteral("\"%1\" could not be made: %2").arg(candidate, QString::fromLocal8Bit(std::strerror(errno))));
            return {};
        }
    }
    setError(error, QStringLiteral("No free name in \"%1\".").arg(folder));
    return {};
}

QString screenCaptureUnavailableReason()
{
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("Screen recording needs an X11 session. This desktop runs Wayland, where the screen cannot be captured; log in with an X11 (Xorg) session to record.");
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("Screen recording needs an X11 session, and no X display is available.");
    return QString();
}

} // namespace RecordingFiles
