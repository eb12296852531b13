#pragma once

#include "devices/DeviceFileStore.h"

// The storage of a device seen on USB but not reachable (a phone without USB debugging):
// nothing can be read or written until the user changes the phone's setting.
class DetachedFileStore : public DeviceFileStore
{
public:
    std::optional<DeviceStorageInfos::Snapshot> readStorages() override { return std::nullopt; }
    std::optional<RemoteFileInfo> stat(const QString &) override { return std::nullopt; }
    bool makePath(const QString &, QString *error) override;
    bool canStartWrite() override { return false; }
    std::optional<int> push(const QString &, const QString &, const Progress &, const Cancelled &, QString *error) override;
};
