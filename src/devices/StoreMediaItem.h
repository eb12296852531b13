#pragma once

#include "devices/IMediaItem.h"

#include <QMutex>

class StoreMobileDevice;

// A file about to be written to a StoreMobileDevice. Tags are kept for the caller; a file store
// has no library to put them in.
class StoreMediaItem : public IMediaItem
{
public:
    StoreMediaItem(std::weak_ptr<StoreMobileDevice> device, const QString &path);

    MediaMetadata metadata() const override;
    void setMetadata(const MediaMetadata &metadata) override;
    QString destinationPath() const override { return m_path; }
    std::shared_ptr<IAsyncTask> write(const QString &sourcePath, std::weak_ptr<IAsyncTaskDelegate> delegate,
                                      int userState = 0) override;

private:
    std::weak_ptr<StoreMobileDevice> m_device;
    QString m_path;
    mutable QMutex m_lock;
    MediaMetadata m_metadata;
};
