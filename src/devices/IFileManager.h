#pragma once

#include "devices/RemoteFileInfo.h"

#include <optional>

// Plain file access on a device.
class IFileManager
{
public:
    virtual ~IFileManager() = default;
    // The file or folder at path; empty when there is none (or it cannot be read).
    virtual std::optional<RemoteFileInfo> getFileInfo(const QString &path) = 0;
};
