#include "platform/DesktopNotification.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

DesktopNotification::DesktopNotification(const QDBusConnection &bus, QObject *parent) : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(QString(), QString::fromLatin1(Path), QString::fromLatin1(Service), QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(QString(), QString::fromLatin1(Path), QString::fromLatin1(Service), QStringLiteral("NotificationClosed"),
                  this, SLOT(onClosed(uint, uint)));
}

void DesktopNotification::notify(const QString &summary, const QString &body, const Actions &actions,
                                 std::function<void(bool)> delivered)
{
    if (!m_bus.isConnected()) {
        if (delivered)
            delivered(false);
        return;
    }
    QStringList flat;
    for (const auto &[key, title] : actions)
        flat << key << title;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                                       QString::fromLatin1(Service), QStringLiteral("Notify"));
    // The body is markup to some servers: the title of a web page must not become markup.
    QString plainBody = body.toHtmlEscaped();
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("video-x-generic") << summary << plainBody
         << flat << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("FennixPro")}} << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 3000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, delivered](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        const bool ok = !reply.isError();
        if (ok)
            m_ids.insert(reply.value());
        if (delivered)
            delivered(ok);
    });
}

void DesktopNotification::onActionInvoked(uint id, const QString &key)
{
    if (m_ids.contains(id))
        emit actionInvoked(key);
}

void DesktopNotification::onClosed(uint id, uint)
{
    m_ids.remove(id);
}
