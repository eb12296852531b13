#pragma once

#include "devices/DeviceFileStore.h"

#include <QMutex>

// A car device's storage: a mounted removable volume. Device paths are this machine's paths,
// and every one must lie inside the mount point (symbolic links on the volume included), so a
// destination meant for a phone ("/storage/emulated/0/…") or a crafted name never writes
// elsewhere. Copies go in chunks; a volume that disappears ends the copy as failed and removes
// the partial file.
class VolumeFileStore : public DeviceFileStore
{
public:
    explicit VolumeFileStore(const QString &mountPoint);

    QString mountPoint() const { return m_mountPoint; }
    // The path is inside the mount point (the mount point itself included).
    bool isInside(const QString &path) const;

    std::optional<DeviceStorageInfos::Snapshot> readStorages() override;
    std::optional<RemoteFileInfo> stat(const QString &path) override;
    bool makePath(const QString &folder, QString *error) override;
    std::optional<int> push(const QString &localPath, const QString &path, const Progress &progress,
                            const Cancelled &cancelled, QString *error) override;

    // Called after each chunk with the percent copied (tests pull the volume here).
    void setChunkHook(std::function<void(int percent)> hook);
    static constexpr qint64 ChunkBytes = 1 << 20;

private:
    QString m_mountPoint;
    QMutex m_lock;
    std::function<void(int)> m_chunkHook;
};
