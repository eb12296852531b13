#include "shell/SystemPowerService.h"

#include "platform/log/ScribletLogger.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
SystemPowerService *g_testing = nullptr;
} // namespace

SystemPowerService &SystemPowerService::shared()
{
    static LogindPowerService logind;
    return g_testing ? *g_testing : logind;
}

void SystemPowerService::setSharedForTesting(SystemPowerService *service)
{
    g_testing = service;
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
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        ScribletLogError(QStringLiteral("[SystemPowerService] no system bus for %1").arg(QLatin1String(method)));
        return NoBus;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QLatin1String(method));
    message << true;  // interactive
    const QDBusMessage reply = bus.call(message, QDBus::Block, 25000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        ScribletLogError(QStringLiteral("[SystemPowerService] %1 failed:%2").arg(QLatin1String(method), reply.errorMessage()));
        return CallFailed;
    }
    return NoErr;
}

int SendAppleEventToSystemProcess(const QString &eventId)
{
    if (eventId == QLatin1String("shut"))
        return SystemPowerService::shared().powerOff();
    if (eventId == QLatin1String("slep"))
        return SystemPowerService::shared().suspend();
    return SystemPowerService::UnknownEvent;
}
