#include "platform/MacOSXManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPower, "basquire.power")

MacOSXManager &MacOSXManager::sharedManager()
{
    static MacOSXManager *manager = new MacOSXManager;
    return *manager;
}

MacOSXManager::MacOSXManager(QObject *parent) : QObject(parent) {}

MacOSXManager::~MacOSXManager() = default;

void MacOSXManager::enabledPowersave(bool enabled)
{
    if (enabled) {
        if (m_lock.isValid())
            qCInfo(lcPower) << "power save enabled; sleep inhibitor released";
        // Closing the descriptor ends logind's inhibitor.
        m_lock = QDBusUnixFileDescriptor();
        return;
    }
    if (m_lock.isValid())
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCInfo(lcPower) << "no system bus; power save left as it is";
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("FennixPro")
         << QStringLiteral("Downloads are running") << QStringLiteral("block");
    QDBusReply<QDBusUnixFileDescriptor> reply = bus.call(call, QDBus::Block, 3000);
    if (!reply.isValid()) {
        qCInfo(lcPower) << "logind refused the sleep inhibitor:" << reply.error().message();
        return;
    }
    m_lock = reply.value();
    qCInfo(lcPower) << "power save disabled; sleep inhibitor held";
}
