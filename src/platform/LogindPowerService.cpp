#include "platform/LogindPowerService.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

LogindPowerService::LogindPowerService(const QDBusConnection &bus)
    : m_bus(bus)
{
}

int LogindPowerService::powerOff()
{
    return call("PowerOff");
}

int LogindPowerService::suspend()
{
    return call("Suspend");
}

int LogindPowerService::call(const char *method)
{
    const QString name = QLatin1String(method);
    if (!m_bus.isConnected()) {
        qWarning().noquote() << QStringLiteral("[PowerService] no system bus for %1").arg(name);
        return NoBus;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), name);
    message << true; // interactive
    // A polkit question may take the user minutes to answer; never hold the caller for it.
    const QDBusPendingCall pending = m_bus.asyncCall(message, 10 * 60 * 1000);
    if (pending.isFinished() && pending.isError()) {
        qWarning().noquote() << QStringLiteral("[PowerService] %1 not sent: %2").arg(name, pending.error().message());
        return CallFailed;
    }
    auto *watcher = new QDBusPendingCallWatcher(pending);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [name](QDBusPendingCallWatcher *w) {
        if (w->isError())
            qWarning().noquote() << QStringLiteral("[PowerService] %1 refused: %2").arg(name, w->error().message());
        w->deleteLater();
    });
    return NoErr;
}
