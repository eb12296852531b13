#pragma once

#include "platform/NotificationCenter.h"

// Posting from any thread so that observers run on the main thread. On the main thread the
// centre posts at once; from another thread the post is handed to the main thread, waiting for
// delivery when asked. The centre must outlive a post that is not waited for (the default
// centre always does).
namespace NSNotificationCenterMainThread {

void postNotificationOnMainThread(NotificationCenter &center, const Notification &notification,
                                  bool waitUntilDone = false);
void postNotificationOnMainThreadWithName(NotificationCenter &center, const QString &name,
                                          const QVariant &object = {}, const QVariantMap &userInfo = {},
                                          bool waitUntilDone = false);

} // namespace NSNotificationCenterMainThread
