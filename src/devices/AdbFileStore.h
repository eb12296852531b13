#pragma once

#include "devices/DeviceFileStore.h"

// An Android phone's storage over adb. Text for the phone's shell quotes every path with
// AdbHelper::shellQuote; file copies go through `adb push`, whose paths never meet a shell.
class AdbFileStore : public DeviceFileStore
{
public:
    explicit AdbFileStore(const QString &serialNumber);

    QString serialNumber() const { return m_serial; }

    std::optional<DeviceStorageInfos::Snapshot> readStorages() override;
    std::optional<RemoteFileInfo> stat(const QString &path) override;
    bool makePath(const QString &folder, QString *error) override;
    std::optional<int> push(const QString &localPath, const QString &path, const Progress &progress,
                            const Cancelled &cancelled, QString *error) override;
    void mediaScan(const QString &path) override;

    // The built-in storage every current phone shows to adb.
    static QString builtInRoot() { return QStringLiteral("/storage/emulated/0"); }
    // One `df -k` data line: 1K-blocks, used and available as a medium (used = total − free).
    static std::optional<StorageMedium> parseDfLine(const QString &output, const QString &root);

private:
    std::optional<StorageMedium> readMedium(const QString &root);
    QString m_serial;
};
