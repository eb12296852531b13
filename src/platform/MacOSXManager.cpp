#include "platform/MacOSXManager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPower, "platform.power")

MacOSXManager &MacOSXManager::sharedManager()
{
    static MacOSXManager *manager = new MacOSXManager;
    return *manager;
}

MacOSXManager::MacOSXManager(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

MacOSXManager::~MacOSXManager() = default;

void MacOSXManager::enabledPowersave(bool enabled)
{
    m_keepAwake = !enabled;
    if (enabled) {
        m_refused = false;
        if (m_lock.isValid())
            qCInfo(lcPower) << "power save enabled; sleep inhibitor released";
        m_lock = QDBusUnixFileDescriptor();
        return;
    }
    if (m_lock.isValid() || m_asking || m_refused)
        return;
    if (!m_bus.isConnected()) {
        m_refused = true;
        qCInfo(lcPower) << "no system bus; power save left as it is";
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("FennixPro")
         << QStringLiteral("Downloads are running") << QStringLiteral("block");
    // The caller is the main thread on every progress tick: it never waits for logind.
    m_asking = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_asking = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError()) {
            m_refused = m_keepAwake;
            qCInfo(lcPower) << "logind refused the sleep inhibitor:" << reply.error().message();
            return;
        }
        // Power save came back on while logind answered: the lock is let go at once.
        if (!m_keepAwake)
            return;
        m_lock = reply.value();
        qCInfo(lcPower) << "power save disabled; sleep inhibitor held";
    });
}
