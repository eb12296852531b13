#pragma once

#include "devices/MediaMetadata.h"

#include <QString>

#include <memory>

class IAsyncTask;
class IAsyncTaskDelegate;

// A media object created on a device (IAudio, IVideo): takes tags, then the file's bytes.
class IMediaItem
{
public:
    virtual ~IMediaItem() = default;

    virtual MediaMetadata metadata() const = 0;
    virtual void setMetadata(const MediaMetadata &metadata) = 0;
    // Where the bytes go on the device.
    virtual QString destinationPath() const = 0;
    // The object that really plays on the device when this one stands for it; nullptr when none.
    virtual IMediaItem *playableMedia() { return nullptr; }
    // Starts writing the local file; nullptr when the write cannot start.
    virtual std::shared_ptr<IAsyncTask> write(const QString &sourcePath, std::weak_ptr<IAsyncTaskDelegate> delegate,
                                              int userState = 0) = 0;
};
