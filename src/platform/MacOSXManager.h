#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>

// System power save: while power save is disabled, the machine must not go to sleep or idle.
// On Linux this holds a systemd-logind "sleep:idle" inhibitor lock; without a system bus (or
// logind) the call is logged and nothing else happens.
class MacOSXManager : public QObject
{
    Q_OBJECT
public:
    static MacOSXManager &sharedManager();
    explicit MacOSXManager(QObject *parent = nullptr);
    ~MacOSXManager() override;

    // YES lets the system sleep again, NO keeps it awake. Repeated calls with the same value
    // take or release the lock only once.
    void enabledPowersave(bool enabled);
    bool isInhibiting() const { return m_lock.isValid(); }

private:
    QDBusUnixFileDescriptor m_lock;
};
