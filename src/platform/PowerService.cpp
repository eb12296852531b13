#include "platform/PowerService.h"

#include <QtGlobal>

#include <atomic>

namespace {

class NoPowerService : public PowerService
{
public:
    int powerOff() override { return refuse("power off"); }
    int suspend() override { return refuse("suspend"); }

private:
    static int refuse(const char *what)
    {
        qWarning("power service: cannot %s, no service is installed in this process", what);
        return NoBus;
    }
};

std::atomic<PowerService *> g_installed{nullptr};

} // namespace

PowerService &PowerService::shared()
{
    static NoPowerService none;
    PowerService *installed = g_installed.load();
    return installed ? *installed : none;
}

void PowerService::setShared(PowerService *service)
{
    g_installed.store(service);
}
