#include "devices/DeviceStorageInfos.h"

DeviceStorageInfos::DeviceStorageInfos(Source source)
{
    setSource(std::move(source));
}

void DeviceStorageInfos::setSource(Source source)
{
    {
        QMutexLocker lock(&m_dataLock);
        m_source = std::move(source);
    }
    setReader([this] {
        Source source;
        {
            QMutexLocker lock(&m_dataLock);
            source = m_source;
        }
        if (!source)
            return true;
        const std::optional<Snapshot> read = source();
        if (!read)
            return false;
        setSnapshot(*read);
        return true;
    });
}

std::optional<StorageMedium> DeviceStorageInfos::memory() const
{
    QMutexLocker lock(&m_dataLock);
    return m_snapshot.memory;
}

std::optional<StorageMedium> DeviceStorageInfos::card() const
{
    QMutexLocker lock(&m_dataLock);
    return m_snapshot.card;
}

std::optional<StorageMedium> DeviceStorageInfos::externalCard() const
{
    QMutexLocker lock(&m_dataLock);
    return m_snapshot.externalCard;
}

DeviceStorageInfos::Snapshot DeviceStorageInfos::snapshot() const
{
    QMutexLocker lock(&m_dataLock);
    return m_snapshot;
}

void DeviceStorageInfos::setSnapshot(const Snapshot &snapshot)
{
    QMutexLocker lock(&m_dataLock);
    m_snapshot = snapshot;
}
