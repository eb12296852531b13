#pragma once

class IAsyncTask;

// Told of a device task's progress and end, on the device layer's thread. Both optional.
class IAsyncTaskDelegate
{
public:
    virtual ~IAsyncTaskDelegate() = default;
    virtual void asyncTaskProgressChanged(IAsyncTask &task, int percent) {}
    virtual void asyncTaskFinished(IAsyncTask &task) {}
};
