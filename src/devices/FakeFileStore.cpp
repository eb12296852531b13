#include "devices/FakeFileStore.h"

#include "devices/DeviceTypes.h"
#include "devices/StoreMobileDevice.h"
#include "platform/SafeFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

FakeFileStore::FakeFileStore(const QString &rootFolder)
    : FakeFileStore(rootFolder, Script())
{
}

FakeFileStore::FakeFileStore(const QString &rootFolder, Script script)
    : m_root(QDir::cleanPath(rootFolder))
    , m_script(std::move(script))
{
}

void FakeFileStore::setDevice(std::weak_ptr<StoreMobileDevice> device)
{
    QMutexLocker lock(&m_lock);
    m_device = std::move(device);
}

FakeFileStore::Script FakeFileStore::script() const
{
    QMutexLocker lock(&m_lock);
    return m_script;
}

void FakeFileStore::setScript(const Script &script)
{
    QMutexLocker lock(&m_lock);
    m_script = script;
}

QString FakeFileStore::localPath(const QString &path) const
{
    if (!isSafePath(path))
        return QString();
    return m_root + path;
}

QStringList FakeFileStore::scannedPaths() const
{
    QMutexLocker lock(&m_lock);
    return m_scanned;
}

std::optional<DeviceStorageInfos::Snapshot> FakeFileStore::readStorages()
{
    QMutexLocker lock(&m_lock);
    if (!m_script.storagesReadable)
        return std::nullopt;
    return m_script.storages;
}

std::optional<RemoteFileInfo> FakeFileStore::stat(const QString &path)
{
    const QString local = localPath(path);
    const QFileInfo info(local);
    if (local.isEmpty() || !info.exists())
        return std::nullopt;
    return RemoteFileInfo{path, info.isDir() ? 0 : info.size(), info.isDir()};
}

bool FakeFileStore::makePath(const QString &folder, QString *error)
{
    const QString local = localPath(folder);
    if (local.isEmpty() || !QDir().mkpath(local)) {
        if (error)
            *error = QStringLiteral("cannot make folder %1").arg(folder);
        return false;
    }
    return true;
}

bool FakeFileStore::canStartWrite()
{
    QMutexLocker lock(&m_lock);
    return !m_script.refuseWrites;
}

std::optional<int> FakeFileStore::push(const QString &localPath, const QString &path, const Progress &progress,
                                       const Cancelled &cancelled, QString *error)
{
    const Script script = this->script();
    std::shared_ptr<StoreMobileDevice> device;
    {
        QMutexLocker lock(&m_lock);
        device = m_device.lock();
    }
    const QString target = this->localPath(path);
    QFile in(localPath);
    QFile out(target);
    if (target.isEmpty() || !SafeFileReader::open(in) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = QStringLiteral("cannot copy %1 to %2").arg(localPath, path);
        return AsyncTaskResult::Failed;
    }
    const qint64 size = in.size();
    for (int percent : script.progressSteps) {
        if (script.onProgress)
            script.onProgress(path, percent);
        if (percent == script.removeAtPercent && device) {
            device->markRemoved();
            return AsyncTaskResult::Failed;
        }
        if (percent == script.offlineAtPercent && device) {
            device->setConnectionStatus(DeviceConnectionStatus::Failed);
            return AsyncTaskResult::Failed;
        }
        if (cancelled())
            return AsyncTaskResult::Failed;
        const qint64 wanted = size * std::clamp(percent, 0, 100) / 100;
        while (out.size() < wanted) {
            const QByteArray chunk = in.read(std::min<qint64>(wanted - out.size(), 1 << 20));
            if (chunk.isEmpty() || out.write(chunk) != chunk.size())
                return AsyncTaskResult::Failed;
        }
        progress(percent);
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (out.write(chunk) != chunk.size())
            return AsyncTaskResult::Failed;
    }
    out.close();
    if (script.forcedResult)
        return *script.forcedResult;
    return AsyncTaskResult::Done;
}

void FakeFileStore::mediaScan(const QString &path)
{
    QMutexLocker lock(&m_lock);
    m_scanned.append(path);
}
