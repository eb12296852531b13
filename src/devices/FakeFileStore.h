#pragma once

#include "devices/DeviceFileStore.h"

#include <QList>
#include <QMutex>

#include <memory>

class StoreMobileDevice;

// The scripted device storage: a local folder stands for the device's file system ("/" of the
// device is the folder), and a script says how writes end. For tests and the demo switch.
class FakeFileStore : public DeviceFileStore
{
public:
    struct Script
    {
        DeviceStorageInfos::Snapshot storages;
        bool storagesReadable = true;
        // Percent values reported while copying, in order.
        QList<int> progressSteps{0, 25, 50, 75, 100};
        // Set: every write ends with this (an empty inner value: no result object).
        std::optional<std::optional<int>> forcedResult;
        // At this percent the device is pulled out, or goes offline; the write fails.
        int removeAtPercent = -1;
        int offlineAtPercent = -1;
        // The device returns no write task.
        bool refuseWrites = false;
        // Called on the write thread before each progress report (tests block or act here).
        std::function<void(const QString &path, int percent)> onProgress;
    };

    explicit FakeFileStore(const QString &rootFolder);
    FakeFileStore(const QString &rootFolder, Script script);

    void setDevice(std::weak_ptr<StoreMobileDevice> device);
    Script script() const;
    void setScript(const Script &script);
    QString rootFolder() const { return m_root; }
    // The local file that stands for a device path; empty for unsafe paths.
    QString localPath(const QString &path) const;
    QStringList scannedPaths() const;

    std::optional<DeviceStorageInfos::Snapshot> readStorages() override;
    std::optional<RemoteFileInfo> stat(const QString &path) override;
    bool makePath(const QString &folder, QString *error) override;
    bool canStartWrite() override;
    std::optional<int> push(const QString &localPath, const QString &path, const Progress &progress,
                            const Cancelled &cancelled, QString *error) override;
    void mediaScan(const QString &path) override;

private:
    QString m_root;
    mutable QMutex m_lock;
    Script m_script;
    std::weak_ptr<StoreMobileDevice> m_device;
    QStringList m_scanned;
};
