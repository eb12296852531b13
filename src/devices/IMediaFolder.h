#pragma once

#include <QString>

class IMediaList;

// A folder of a device's video (or music) manager.
class IMediaFolder
{
public:
    virtual ~IMediaFolder() = default;
    virtual int category() const = 0;  // DeviceVideoFolderCategory for the video folder
    virtual QString Id() const = 0;
    virtual QString path() const = 0;
    virtual IMediaList *items() = 0;
};
