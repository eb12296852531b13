#pragma once

class QDBusConnection;

// Powering off and suspending the machine: the one way the application's after-tasks choices
// (shell and converter) reach systemd-logind. Tests put a fake in its place.
class PowerService
{
public:
    enum Status { NoErr = 0, NoBus = -2, CallFailed = -3 };

    virtual ~PowerService() = default;
    // NoErr once the request is on its way, else why it could not be sent. Like the system's own
    // shut-down request this never waits for the answer: polkit may ask the user first, and the
    // caller is the main thread. A refusal that arrives later is logged.
    virtual int powerOff() = 0;
    virtual int suspend() = 0;

    // The logind service on the system bus unless a test replaced it.
    static PowerService &shared();
    // nullptr restores the logind service.
    static void setSharedForTesting(PowerService *service);
};
