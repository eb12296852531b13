#pragma once

#include <QList>
#include <QMutex>

#include <memory>

class IMobileDevice;
class QVMobileDeviceItem;

// The one list of connected devices with one current device. Device arrival and removal call
// in from the device manager's thread and connection results from a background queue.
class QVMobileDeviceDataSource
{
public:
    using Item = std::shared_ptr<QVMobileDeviceItem>;

    // Made on first use, never freed.
    static QVMobileDeviceDataSource &share();
    QVMobileDeviceDataSource() = default;

    int count() const;
    Item deviceAtIndex(int index) const;
    QList<Item> allItems() const;
    QList<Item> allExceptCarItems() const;
    QList<Item> carItems() const;
    Item findDevicesItem(const IMobileDevice *device) const;
    Item getFirstCanUseDviceItem() const;
    // The item of that device; made and appended when there is none yet.
    Item addDeviceItem(const std::shared_ptr<IMobileDevice> &device);
    // Removes the device's item only when it is the current one, and clears the current item.
    void removeDeviceItem(const IMobileDevice *device);
    // Removes the item and clears the current item, whichever it was.
    void removeObject(const Item &item);
    // Makes the first non-car item current when there is none; returns the current item.
    Item switchDeviceItem();
    Item curDeviceItem() const;
    void setCurDeviceItem(const Item &item);

private:
    mutable QMutex m_lock;
    QList<Item> m_dataSource;
    mutable QMutex m_currentLock;
    Item m_curDeviceItem;
};
