#pragma once

#include "platform/PowerService.h"

#include <QDBusConnection>

// logind's Manager.PowerOff and Manager.Suspend with interactive set, so polkit may ask the user
// where the system wants that rather than refusing outright.
class LogindPowerService : public PowerService
{
public:
    explicit LogindPowerService(const QDBusConnection &bus = QDBusConnection::systemBus());
    int powerOff() override;
    int suspend() override;

private:
    int call(const char *method);

    QDBusConnection m_bus;
};
