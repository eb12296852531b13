#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

// The taskbar entry of the application as docks and panels that follow the
// "com.canonical.Unity.LauncherEntry" D-Bus signal show it: progress and a count.
class LauncherEntry
{
public:
    // The desktop file the entry belongs to, "application://FennixPro.desktop" by default; the
    // signal goes out on bus (tests give a private one).
    explicit LauncherEntry(const QString &appUri = QStringLiteral("application://FennixPro.desktop"),
                           const QDBusConnection &bus = QDBusConnection::sessionBus());

    // Properties of one update: the progress ring when asked for, the count when above 0.
    static QVariantMap properties(double progress, bool progressVisible, int count);
    // Sends the "Update" signal; false without a bus.
    bool update(double progress, bool progressVisible, int count);

    QString appUri() const { return m_appUri; }
    static constexpr const char *Interface = "com.canonical.Unity.LauncherEntry";
    static constexpr const char *ObjectPath = "/com/canonical/unity/launcherentry/fennixpro";

private:
    QString m_appUri;
    QDBusConnection m_bus;
};
