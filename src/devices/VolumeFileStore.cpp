#include "devices/VolumeFileStore.h"

#include "devices/DeviceTypes.h"
#include "platform/SafeFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

VolumeFileStore::VolumeFileStore(const QString &mountPoint)
    : m_mountPoint(QDir::cleanPath(mountPoint))
{
}

void VolumeFileStore::setChunkHook(std::function<void(int)> hook)
{
    QMutexLocker lock(&m_lock);
    m_chunkHook = std::move(hook);
}

bool VolumeFileStore::isInside(const QString &path) const
{
    if (!isSafePath(path))
        return false;
    const QString clean = QDir::cleanPath(path);
    const QString root = m_mountPoint == QLatin1String("/") ? QString() : m_mountPoint;
    if (clean != m_mountPoint && !clean.startsWith(root + QLatin1Char('/')))
        return false;
    // What exists of the path must resolve inside the volume too (no link out of it).
    const QString canonicalRoot = QFileInfo(m_mountPoint).canonicalFilePath();
    if (canonicalRoot.isEmpty())
        return false;
    QString probe = clean;
    while (!QFileInfo::exists(probe) && probe.size() > m_mountPoint.size())
        probe = QFileInfo(probe).path();
    const QString resolved = QFileInfo(probe).canonicalFilePath();
    return resolved == canonicalRoot || resolved.startsWith(canonicalRoot + QLatin1Char('/'));
}

std::optional<DeviceStorageInfos::Snapshot> VolumeFileStore::readStorages()
{
    const QStorageInfo info(m_mountPoint);
    if (!info.isValid() || !QFileInfo(m_mountPoint).isDir())
        return std::nullopt;
    StorageMedium medium;
    medium.total = info.bytesTotal();
    medium.used = info.bytesTotal() - info.bytesAvailable();
    medium.StoreMediumrootPath = m_mountPoint;
    medium.canWrite = !info.isReadOnly() && QFileInfo(m_mountPoint).isWritable();
    DeviceStorageInfos::Snapshot snapshot;
    snapshot.memory = medium;
    snapshot.card = medium;
    return snapshot;
}

std::optional<RemoteFileInfo> VolumeFileStore::stat(const QString &path)
{
    if (!isInside(path))
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return RemoteFileInfo{path, info.isDir() ? 0 : info.size(), info.isDir()};
}

bool VolumeFileStore::makePath(const QString &folder, QString *error)
{
    if (!isInside(folder) || !QDir().mkpath(folder) || !isInside(folder)) {
        if (error)
            *error = QStringLiteral("cannot make %1 on the volume").arg(folder);
        return false;
    }
    return true;
}

std::optional<int> VolumeFileStore::push(const QString &localPath, const QString &path, const Progress &progress,
                                         const Cancelled &cancelled, QString *error)
{
    const auto failed = [&](const QString &why) {
        if (error)
            *error = why;
        return std::optional<int>(AsyncTaskResult::Failed);
    };
    if (!isInside(path) || path == m_mountPoint)
        return failed(QStringLiteral("%1 is not on the volume").arg(path));
    QFile in(localPath);
    if (!SafeFileReader::open(in))
        return failed(in.errorString());
    QFile out(path);
    // A new file only: an existing one (or a link planted in its place) is never written through.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failed(out.errorString());
    std::function<void(int)> hook;
    {
        QMutexLocker lock(&m_lock);
        hook = m_chunkHook;
    }
    const qint64 size = in.size();
    qint64 copied = 0;
    int last = -1;
    const auto abandon = [&](const QString &why) {
        out.close();
        QFile::remove(path);
        return failed(why);
    };
    while (true) {
        if (cancelled() || !QFileInfo(m_mountPoint).isDir())
            return abandon(QStringLiteral("the volume went away"));
        const QByteArray chunk = in.read(ChunkBytes);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size() || !out.flush())
            return abandon(out.errorString());
        copied += chunk.size();
        const int percent = size > 0 ? int(copied * 100 / size) : 100;
        // Every chunk is reported, a repeated percent too: a sign of life for the stall watch.
        last = percent;
        progress(percent);
        if (hook)
            hook(percent);
    }
    if (!out.flush() || cancelled())
        return abandon(QStringLiteral("the volume went away"));
    out.close();
    if (last < 100)
        progress(100);
    return AsyncTaskResult::Done;
}
