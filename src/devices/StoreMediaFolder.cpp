#include "devices/StoreMediaFolder.h"

#include "devices/DeviceFileStore.h"
#include "devices/StoreMediaItem.h"
#include "devices/StoreMobileDevice.h"

StoreMediaFolder::StoreMediaFolder(StoreMobileDevice &device, const QString &path, int category)
    : m_device(device)
    , m_path(path)
    , m_category(category)
{
}

std::shared_ptr<IMediaItem> StoreMediaFolder::addByPath(const QString &destinationPath)
{
    if (!DeviceFileStore::isSafePath(destinationPath))
        return nullptr;
    return std::make_shared<StoreMediaItem>(std::static_pointer_cast<StoreMobileDevice>(m_device.shared_from_this()),
                                            destinationPath);
}

std::shared_ptr<IMediaItem> StoreMediaFolder::addByName(const QString &fileName, int)
{
    if (!DeviceFileStore::isSafeFileName(fileName))
        return nullptr;
    const QString path = m_device.freePathFor(m_path, fileName);
    if (path.isEmpty())
        return nullptr;
    return addByPath(path);
}
