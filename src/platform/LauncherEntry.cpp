#include "platform/LauncherEntry.h"

#include <QDBusMessage>

#include <cmath>

LauncherEntry::LauncherEntry(const QString &appUri, const QDBusConnection &bus)
    : m_appUri(appUri), m_bus(bus)
{
}

QVariantMap LauncherEntry::properties(double progress, bool progressVisible, int count)
{
    QVariantMap p;
    // A download of unknown size can give NaN; panels would draw that as anything.
    p.insert(QStringLiteral("progress"), std::isnan(progress) ? 0.0 : qBound(0.0, progress, 1.0));
    p.insert(QStringLiteral("progress-visible"), progressVisible);
    p.insert(QStringLiteral("count"), qint64(qMax(0, count)));
    p.insert(QStringLiteral("count-visible"), count > 0);
    return p;
}

bool LauncherEntry::update(double progress, bool progressVisible, int count)
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(ObjectPath), QString::fromLatin1(Interface),
                                                     QStringLiteral("Update"));
    signal << m_appUri << properties(progress, progressVisible, count);
    return m_bus.send(signal);
}
