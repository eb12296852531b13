#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QVariant>

#include <functional>

struct Notification
{
    QString name;
    QVariant object;  // often a QObject* (QVariant::fromValue) or a value
    QVariantMap userInfo;

    QObject *objectPointer() const { return object.value<QObject *>(); }
};

// Named notifications. Observers run on the main thread whatever thread posts; an observer
// goes away with the QObject that owns it.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();
    NotificationCenter();
    ~NotificationCenter() override;

    // name empty: every notification. sender non-null: only notifications whose object is it.
    int addObserver(QObject *owner, const QString &name, Handler handler, QObject *sender = nullptr);
    void removeObserver(int id);
    void removeObserver(QObject *owner);
    void removeObserver(QObject *owner, const QString &name);

    // On the main thread observers run at once; from another thread, delivery is queued
    // to the main thread, or waited for when wait is true.
    void post(const Notification &n, bool wait = false);
    void post(const QString &name, const QVariant &object = {}, const QVariantMap &userInfo = {},
              bool wait = false);

private:
    struct Entry
    {
        int id;
        QPointer<QObject> owner;
        bool hadOwner;
        QString name;
        QPointer<QObject> sender;
        bool hadSender;
        Handler handler;
    };
    void deliver(const Notification &n);

    QMutex m_mutex;
    QList<Entry> m_entries;
    int m_nextId = 1;
};
