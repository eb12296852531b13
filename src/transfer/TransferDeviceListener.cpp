#include "transfer/TransferDeviceListener.h"

TransferDeviceListener::TransferDeviceListener(Handler inserted, Handler removed)
    : m_inserted(std::move(inserted))
    , m_removed(std::move(removed))
{
}

void TransferDeviceListener::detach()
{
    QMutexLocker lock(&m_lock);
    m_inserted = {};
    m_removed = {};
}

void TransferDeviceListener::mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    if (m_inserted)
        m_inserted(device);
}

void TransferDeviceListener::mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    if (m_removed)
        m_removed(device);
}
