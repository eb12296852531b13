#include "downloads/LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>

LauncherEntry::LauncherEntry(const QString &appUri)
    : m_appUri(appUri)
{
}

QVariantMap LauncherEntry::properties(double progress, bool progressVisible, int count)
{
    QVariantMap p;
    p.insert(QStringLiteral("progress"), qBound(0.0, progress, 1.0));
    p.insert(QStringLiteral("progress-visible"), progressVisible);
    p.insert(QStringLiteral("count"), qint64(qMax(0, count)));
    p.insert(QStringLiteral("count-visible"), count > 0);
    return p;
}

bool LauncherEntry::update(double progress, bool progressVisible, int count)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath), QString::fromLatin1(Interface),
                                                     QStringLiteral("Update"));
    signal << m_appUri << properties(progress, progressVisible, count);
    return bus.send(signal);
}
