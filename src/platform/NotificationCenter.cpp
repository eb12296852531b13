#include "platform/NotificationCenter.h"

#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMutexLocker>

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter *center = new NotificationCenter();
    return *center;
}

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

int NotificationCenter::addObserver(QObject *owner, const QString &name, Handler handler, QObject *sender)
{
    QMutexLocker lock(&m_mutex);
    const int id = m_nextId++;
    m_entries.append(Entry{id, owner, owner != nullptr, name, sender, sender != nullptr, std::move(handler)});
    lock.unlock();
    if (owner) {
        QObject::connect(owner, &QObject::destroyed, this, [this, owner]() { removeObserver(owner); },
                         Qt::DirectConnection);
    }
    return id;
}

void NotificationCenter::removeObserver(int id)
{
    QMutexLocker lock(&m_mutex);
    m_entries.removeIf([id](const Entry &e) { return e.id == id; });
}

void NotificationCenter::removeObserver(QObject *owner)
{
    QMutexLocker lock(&m_mutex);
    // During destruction the QPointer is already null; drop those too.
    m_entries.removeIf([owner](const Entry &e) { return e.hadOwner && (e.owner == owner || e.owner.isNull()); });
}

void NotificationCenter::removeObserver(QObject *owner, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    m_entries.removeIf([&](const Entry &e) { return e.hadOwner && e.owner == owner && e.name == name; });
}

void NotificationCenter::post(const QString &name, const QVariant &object, const QVariantMap &userInfo, bool wait)
{
    post(Notification{name, object, userInfo}, wait);
}

void NotificationCenter::post(const Notification &n, bool wait)
{
    if (dispatch::isMainThread()) {
        deliver(n);
        return;
    }
    if (wait)
        dispatch::sync_main([this, n]() { deliver(n); });
    else
        dispatch::async_main([this, n]() { deliver(n); });
}

void NotificationCenter::deliver(const Notification &n)
{
    QList<int> ids;
    {
        QMutexLocker lock(&m_mutex);
        QObject *sender = n.objectPointer();
        for (const Entry &e : m_entries) {
            if (!e.name.isEmpty() && e.name != n.name)
                continue;
            if (e.hadSender && (e.sender.isNull() || e.sender.data() != sender))
                continue;
            ids.append(e.id);
        }
    }
    // Look each observer up again before calling it: an earlier observer may have removed it.
    for (int id : ids) {
        Handler handler;
        {
            QMutexLocker lock(&m_mutex);
            for (const Entry &e : m_entries) {
                if (e.id == id && (!e.hadOwner || !e.owner.isNull())) {
                    handler = e.handler;
                    break;
                }
            }
        }
        if (handler)
            handler(n);
    }
}
