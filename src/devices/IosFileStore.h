#pragma once

#include "devices/DeviceFileStore.h"

#include <QMutex>

struct afc_client_private;
struct house_arrest_client_private;
struct idevice_private;
struct lockdownd_client_private;

// An iOS device's storage over AFC. Debian's libraries cannot add items to the Music or TV
// library of a current iOS device, so files go into the file-sharing area ("/Documents") of a
// media app; without that app nothing can be written. AFC is not safe across threads: every
// call takes the store's lock.
class IosFileStore : public DeviceFileStore
{
public:
    explicit IosFileStore(const QString &udid);
    ~IosFileStore() override;

    // The lockdown handshake: a DeviceConnectionStatus (4 when the device trusts this machine,
    // 6 while it asks the user, 7 while locked with a passcode), filling name and version.
    int connect(QString *name, QString *version, QString *model);
    // Opens the app's file-sharing area; false when the app is missing or the device refuses.
    bool openSharingArea(const QString &appId);
    bool hasSharingArea() const;
    // lockdown's answer as a DeviceConnectionStatus.
    static int statusForLockdownError(int error);
    static QString documentsRoot() { return QStringLiteral("/Documents"); }

    std::optional<DeviceStorageInfos::Snapshot> readStorages() override;
    std::optional<RemoteFileInfo> stat(const QString &path) override;
    bool makePath(const QString &folder, QString *error) override;
    bool canStartWrite() override;
    std::optional<int> push(const QString &localPath, const QString &path, const Progress &progress,
                            const Cancelled &cancelled, QString *error) override;

    static constexpr qint64 ChunkBytes = 256 * 1024;

private:
    void closeLocked();
    std::optional<RemoteFileInfo> statLocked(const QString &path);

    QString m_udid;
    mutable QMutex m_lock;
    idevice_private *m_device = nullptr;
    lockdownd_client_private *m_lockdown = nullptr;
    house_arrest_client_private *m_houseArrest = nullptr;
    afc_client_private *m_afc = nullptr;
};
