#include "platform/PowerService.h"

#include "platform/LogindPowerService.h"

#include <atomic>

namespace {
std::atomic<PowerService *> g_testing{nullptr};
} // namespace

PowerService &PowerService::shared()
{
    static LogindPowerService logind;
    PowerService *testing = g_testing.load();
    return testing ? *testing : logind;
}

void PowerService::setSharedForTesting(PowerService *service)
{
    g_testing.store(service);
}
