#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

// System power save: while power save is disabled, the machine must not go to sleep or idle.
// On Linux this holds a systemd-logind "sleep:idle" inhibitor lock; closing its descriptor
// gives it back. Without a system bus (or logind) the call is logged and nothing else happens.
class MacOSXManager : public QObject
{
    Q_OBJECT
public:
    static MacOSXManager &sharedManager();
    // logind on bus: the system bus unless a test gives a private one.
    explicit MacOSXManager(const QDBusConnection &bus = QDBusConnection::systemBus(), QObject *parent = nullptr);
    ~MacOSXManager() override;

    // YES lets the system sleep again, NO keeps it awake. The download list calls this on
    // every progress update: the lock is asked for once, without waiting for logind, and a
    // refusal is not asked again until power save has been enabled in between.
    void enabledPowersave(bool enabled);
    bool isInhibiting() const { return m_lock.isValid(); }
    bool isAsking() const { return m_asking; }

private:
    QDBusConnection m_bus;
    QDBusUnixFileDescriptor m_lock;
    bool m_keepAwake = false; // what the last call asked for
    bool m_asking = false;    // a request is on its way
    bool m_refused = false;   // logind said no (or is not there) since power save was last enabled
};
