#include "devices/StoreMediaItem.h"

#include "devices/StoreMobileDevice.h"

StoreMediaItem::StoreMediaItem(std::weak_ptr<StoreMobileDevice> device, const QString &path)
    : m_device(std::move(device))
    , m_path(path)
{
}

MediaMetadata StoreMediaItem::metadata() const
{
    QMutexLocker lock(&m_lock);
    return m_metadata;
}

void StoreMediaItem::setMetadata(const MediaMetadata &metadata)
{
    QMutexLocker lock(&m_lock);
    m_metadata = metadata;
}

std::shared_ptr<IAsyncTask> StoreMediaItem::write(const QString &sourcePath, std::weak_ptr<IAsyncTaskDelegate> delegate,
                                                  int)
{
    auto device = m_device.lock();
    if (!device)
        return nullptr;
    return device->startWrite(sourcePath, m_path, std::move(delegate));
}
