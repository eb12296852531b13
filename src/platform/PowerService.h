#pragma once

class QDBusConnection;

// Powering off and suspending the machine: the one way the application's after-tasks choices
// (shell and converter) reach the system. The interface is headless; the application installs
// the logind service of the desktop platform at start, tests install a fake.
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

    // The installed service; without one, a service that refuses every request with NoBus (a
    // process with no session, such as a helper or a headless test).
    static PowerService &shared();
    // The caller keeps the service alive while it is installed; nullptr uninstalls it.
    static void setShared(PowerService *service);
};
