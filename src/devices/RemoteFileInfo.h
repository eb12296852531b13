#pragma once

#include <QString>

// A file or folder on a device.
struct RemoteFileInfo
{
    QString path;
    qint64 length = 0;  // bytes
    bool isDirectory = false;
};
