#include "devices/StoreMediaManager.h"

#include "devices/DeviceFileStore.h"
#include "devices/DeviceTypes.h"
#include "devices/StoreMediaFolder.h"
#include "devices/StoreMobileDevice.h"

StoreMediaManager::StoreMediaManager(StoreMobileDevice &device, const QString &musicFolder,
                                     const QString &videoFolder, bool transactions)
    : m_device(device)
    , m_musicFolder(musicFolder)
    , m_transactions(transactions)
{
    if (!videoFolder.isEmpty())
        m_folders.append(std::make_shared<StoreMediaFolder>(device, videoFolder, DeviceVideoFolderCategory));
}

StoreMediaManager::~StoreMediaManager() = default;

quint32 StoreMediaManager::supportSyncMethods() const
{
    return m_transactions ? DeviceSyncMethodTransactions : 0;
}

void StoreMediaManager::beginTransaction()
{
    QMutexLocker lock(&m_lock);
    ++m_begun;
}

std::shared_ptr<IAsyncTask> StoreMediaManager::commit(std::weak_ptr<IAsyncTaskDelegate> delegate, int)
{
    {
        QMutexLocker lock(&m_lock);
        m_commitLog.append(m_device.writesStarted());
    }
    return m_device.afterQueuedWrites(std::move(delegate));
}

std::shared_ptr<IMediaItem> StoreMediaManager::addByPath(const QString &destinationPath)
{
    StoreMediaFolder music(m_device, m_musicFolder, 0);
    return music.addByPath(destinationPath);
}

std::shared_ptr<IMediaItem> StoreMediaManager::addByName(const QString &fileName, int category)
{
    StoreMediaFolder music(m_device, m_musicFolder, 0);
    return music.addByName(fileName, category);
}

int StoreMediaManager::count() const
{
    QMutexLocker lock(&m_lock);
    return int(m_folders.size());
}

std::shared_ptr<IMediaFolder> StoreMediaManager::item(int index) const
{
    QMutexLocker lock(&m_lock);
    if (index < 0 || index >= m_folders.size())
        return nullptr;
    return m_folders.at(index);
}

std::shared_ptr<IMediaFolder> StoreMediaManager::findByPath(const QString &path) const
{
    QMutexLocker lock(&m_lock);
    for (const auto &folder : m_folders) {
        if (folder->path() == path)
            return folder;
    }
    return nullptr;
}

std::shared_ptr<IMediaFolder> StoreMediaManager::addByPath(const QString &path, int category)
{
    if (auto known = findByPath(path))
        return known;
    QString error;
    if (!DeviceFileStore::isSafePath(path) || !m_device.store().makePath(path, &error))
        return nullptr;
    auto folder = std::make_shared<StoreMediaFolder>(m_device, path, category);
    QMutexLocker lock(&m_lock);
    m_folders.append(folder);
    return folder;
}

QList<int> StoreMediaManager::commitLog() const
{
    QMutexLocker lock(&m_lock);
    return m_commitLog;
}

int StoreMediaManager::transactionsBegun() const
{
    QMutexLocker lock(&m_lock);
    return m_begun;
}
