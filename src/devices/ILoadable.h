#pragma once

#include <memory>

class IAsyncTask;

// A part of a device that is read from it on demand (information, storage, media lists).
class ILoadable
{
public:
    virtual ~ILoadable() = default;
    // DeviceSyncState.
    virtual int syncState() const = 0;
    // Reads the part; the task ends when it is loaded.
    virtual std::shared_ptr<IAsyncTask> load(int userState = 0) = 0;
};
