#pragma once

#include <optional>

// Work a device does in the background (a load, a write, a commit).
class IAsyncTask
{
public:
    virtual ~IAsyncTask() = default;

    virtual bool isDone() const = 0;
    // Blocks until the task has ended (or timeoutMs passed; -1 waits for ever); true when ended.
    virtual bool waitDone(int timeoutMs = -1) = 0;
    // The outcome (AsyncTaskResult); empty when the task ended without a result object.
    virtual std::optional<int> result() const = 0;
    // Last reported percent, 0 to 100.
    virtual int progress() const = 0;
    // Asks the work to stop; it ends as soon as it notices.
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};
