#pragma once

#include <QString>

// Machine actions of the after-tasks choice. The real service asks systemd-logind over the
// system bus; tests put a fake in its place.
class SystemPowerService
{
public:
    virtual ~SystemPowerService() = default;
    // 0 on success, else a negative status.
    virtual int powerOff() = 0;
    virtual int suspend() = 0;

    static SystemPowerService &shared();
    // nullptr restores the logind service.
    static void setSharedForTesting(SystemPowerService *service);

    enum Status { NoErr = 0, UnknownEvent = -1, NoBus = -2, CallFailed = -3 };
};

// logind's Manager.PowerOff / Manager.Suspend, interactive so polkit may ask the user.
class LogindPowerService : public SystemPowerService
{
public:
    int powerOff() override;
    int suspend() override;

private:
    int call(const char *method);
};

// The four-character event codes the main window sends to the system: "shut" powers off,
// "slep" suspends; any other code is refused with UnknownEvent.
int SendAppleEventToSystemProcess(const QString &eventId);
