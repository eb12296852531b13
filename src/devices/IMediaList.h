#pragma once

#include <QString>

#include <memory>

class IMediaItem;

// A list of media objects on a device to which new ones are added.
class IMediaList
{
public:
    virtual ~IMediaList() = default;
    // A new object whose file goes to that path on the device; nullptr when refused.
    virtual std::shared_ptr<IMediaItem> addByPath(const QString &destinationPath) = 0;
    // A new object named after the file; the device picks the place. nullptr when refused.
    virtual std::shared_ptr<IMediaItem> addByName(const QString &fileName, int category) = 0;
};
