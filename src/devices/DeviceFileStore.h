#pragma once

#include "devices/DeviceStorageInfos.h"
#include "devices/RemoteFileInfo.h"

#include <QString>

#include <functional>
#include <optional>

// The transport under a device's files: adb, a mounted volume, AFC or the scripted fake. Paths
// are the device's own absolute paths; every implementation refuses unsafe ones (see
// isSafePath). Calls come from the device's write thread and from loaders, one at a time per
// device for writes.
class DeviceFileStore
{
public:
    using Progress = std::function<void(int percent)>;
    using Cancelled = std::function<bool()>;

    virtual ~DeviceFileStore() = default;

    virtual std::optional<DeviceStorageInfos::Snapshot> readStorages() = 0;
    virtual std::optional<RemoteFileInfo> stat(const QString &path) = 0;
    // Makes the folder and its parents.
    virtual bool makePath(const QString &folder, QString *error) = 0;
    // False when the device takes no new write now.
    virtual bool canStartWrite() { return true; }
    // Copies a local file to path with progress 0 to 100; the AsyncTaskResult, or empty for
    // an end without a result object.
    virtual std::optional<int> push(const QString &localPath, const QString &path, const Progress &progress,
                                    const Cancelled &cancelled, QString *error) = 0;
    // Tells the device's media index a new file is there.
    virtual void mediaScan(const QString &path) {}

    // An absolute path whose components are neither empty, "." nor "..", without control
    // characters; the only paths a store acts on.
    static bool isSafePath(const QString &path);
    // A single file name that is safe as the last component of a path.
    static bool isSafeFileName(const QString &name);
    static QString joinPath(const QString &folder, const QString &name);
    static QString parentPath(const QString &path);
};
