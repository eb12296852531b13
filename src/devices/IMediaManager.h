#pragma once

#include "devices/ILoadable.h"

#include <QtGlobal>

#include <memory>

class IAsyncTask;
class IAsyncTaskDelegate;
class IFolderList;
class IMediaList;

// A device's music, video or media library.
class IMediaManager : public ILoadable
{
public:
    // DeviceSyncMethodTransactions when writes are grouped and committed.
    virtual quint32 supportSyncMethods() const = 0;
    virtual void beginTransaction() = 0;
    // Ends the transaction; the task ends when everything written so far is in place.
    virtual std::shared_ptr<IAsyncTask> commit(std::weak_ptr<IAsyncTaskDelegate> delegate, int userState = 0) = 0;
    virtual IMediaList *musics() = 0;
    virtual IFolderList *folders() = 0;
    virtual ILoadable *playlists() = 0;
};
