#include "transfer/QVMobileDeviceDataSource.h"

#include "devices/DeviceTypes.h"
#include "devices/IMobileDevice.h"
#include "transfer/QVMobileDeviceItem.h"

QVMobileDeviceDataSource &QVMobileDeviceDataSource::share()
{
    static QVMobileDeviceDataSource *source = new QVMobileDeviceDataSource;
    return *source;
}

int QVMobileDeviceDataSource::count() const
{
    QMutexLocker lock(&m_lock);
    return int(m_dataSource.size());
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::deviceAtIndex(int index) const
{
    QMutexLocker lock(&m_lock);
    if (index < 0 || index >= m_dataSource.size())
        return nullptr;
    return m_dataSource.at(index);
}

QList<QVMobileDeviceDataSource::Item> QVMobileDeviceDataSource::allItems() const
{
    QMutexLocker lock(&m_lock);
    return m_dataSource;
}

QList<QVMobileDeviceDataSource::Item> QVMobileDeviceDataSource::allExceptCarItems() const
{
    QList<Item> out;
    for (const Item &item : allItems()) {
        if (item->platform() != DeviceTransferPlatform::Car)
            out.append(item);
    }
    return out;
}

QList<QVMobileDeviceDataSource::Item> QVMobileDeviceDataSource::carItems() const
{
    QList<Item> out;
    for (const Item &item : allItems()) {
        if (item->platform() == DeviceTransferPlatform::Car)
            out.append(item);
    }
    return out;
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::findDevicesItem(const IMobileDevice *device) const
{
    QMutexLocker lock(&m_lock);
    for (const Item &item : m_dataSource) {
        if (item->mobileDevice().get() == device)
            return item;
    }
    return nullptr;
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::getFirstCanUseDviceItem() const
{
    for (const Item &item : allItems()) {
        if (item->mobileDevice() && !item->mobileDevice()->IsDeviceRemoved())
            return item;
    }
    return nullptr;
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::addDeviceItem(const std::shared_ptr<IMobileDevice> &device)
{
    if (!device)
        return nullptr;
    QMutexLocker lock(&m_lock);
    // Looked up and appended under one lock: two arrivals of one device give one entry.
    for (const Item &item : m_dataSource) {
        if (item->mobileDevice() == device)
            return item;
    }
    auto item = std::make_shared<QVMobileDeviceItem>(device);
    m_dataSource.append(item);
    return item;
}

void QVMobileDeviceDataSource::removeDeviceItem(const IMobileDevice *device)
{
    const Item current = curDeviceItem();
    if (!current || current->mobileDevice().get() != device)
        return;
    {
        QMutexLocker lock(&m_lock);
        m_dataSource.removeOne(current);
    }
    setCurDeviceItem(nullptr);
}

void QVMobileDeviceDataSource::removeObject(const Item &item)
{
    if (!item)
        return;
    {
        QMutexLocker lock(&m_lock);
        m_dataSource.removeOne(item);
    }
    setCurDeviceItem(nullptr);
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::switchDeviceItem()
{
    QMutexLocker lock(&m_currentLock);
    if (!m_curDeviceItem) {
        const QList<Item> candidates = allExceptCarItems();
        if (!candidates.isEmpty())
            m_curDeviceItem = candidates.first();
    }
    return m_curDeviceItem;
}

QVMobileDeviceDataSource::Item QVMobileDeviceDataSource::curDeviceItem() const
{
    QMutexLocker lock(&m_currentLock);
    return m_curDeviceItem;
}

void QVMobileDeviceDataSource::setCurDeviceItem(const Item &item)
{
    QMutexLocker lock(&m_currentLock);
    m_curDeviceItem = item;
}
