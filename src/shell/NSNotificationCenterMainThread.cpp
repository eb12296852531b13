#include "shell/NSNotificationCenterMainThread.h"

#include "platform/Dispatch.h"

namespace NSNotificationCenterMainThread {

void postNotificationOnMainThread(NotificationCenter &center, const Notification &notification,
                                  bool waitUntilDone)
{
    if (dispatch::isMainThread()) {
        center.post(notification);
        return;
    }
    // The centre the caller named, not always the default one.
    NotificationCenter *target = &center;
    if (waitUntilDone)
        dispatch::sync_main([target, notification] { target->post(notification); });
    else
        dispatch::async_main([target, notification] { target->post(notification); });
}

void postNotificationOnMainThreadWithName(NotificationCenter &center, const QString &name,
                                          const QVariant &object, const QVariantMap &userInfo,
                                          bool waitUntilDone)
{
    postNotificationOnMainThread(center, Notification{name, object, userInfo}, waitUntilDone);
}

} // namespace NSNotificationCenterMainThread
