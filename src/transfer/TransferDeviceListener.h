#pragma once

#include "devices/IMobileDeviceMgr.h"

#include <QMutex>

#include <functional>

// Hands the device manager's arrivals and removals (on its thread) to two functions until
// detached; detach() waits for a call under way, so the owner may go right after it.
class TransferDeviceListener : public IMobileDeviceMgr
{
public:
    using Handler = std::function<void(const std::shared_ptr<IMobileDevice> &device)>;
    TransferDeviceListener(Handler inserted, Handler removed);

    void detach();
    void mobileDeviceInserted(const std::shared_ptr<IMobileDevice> &device) override;
    void mobileDeviceRemoved(const std::shared_ptr<IMobileDevice> &device) override;

private:
    QMutex m_lock;
    Handler m_inserted;
    Handler m_removed;
};
