#include "devices/DetachedFileStore.h"

#include "devices/DeviceTypes.h"

namespace {
const QString NotReachable = QStringLiteral("the device is not reachable: USB debugging is off");
}

bool DetachedFileStore::makePath(const QString &, QString *error)
{
    if (error)
        *error = NotReachable;
    return false;
}

std::optional<int> DetachedFileStore::push(const QString &, const QString &, const Progress &, const Cancelled &,
                                           QString *error)
{
    if (error)
        *error = NotReachable;
    return AsyncTaskResult::Failed;
}
