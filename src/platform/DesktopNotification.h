#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include <functional>

// A desktop notification through the freedesktop Notifications service on the session bus,
// with action buttons. Whether a server took it is answered asynchronously, so the caller can
// show its own message instead when nobody did.
class DesktopNotification : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *Service = "org.freedesktop.Notifications";
    static constexpr const char *Path = "/org/freedesktop/Notifications";
    // Action key and its button title.
    using Actions = QList<QPair<QString, QString>>;

    explicit DesktopNotification(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // delivered(true) once a server accepted it, delivered(false) when there is no bus or no
    // server, or it refused (within 3 s).
    void notify(const QString &summary, const QString &body, const Actions &actions,
                std::function<void(bool delivered)> delivered);

signals:
    // A button of one of our notifications was pressed.
    void actionInvoked(const QString &key);

private slots:
    void onActionInvoked(uint id, const QString &key);
    void onClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QSet<uint> m_ids;
};
