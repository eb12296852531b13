#pragma once

#include <QString>

#include <memory>

class TBVideoConvertTaskDelegate;

// What a finished-download record needs of the conversion job working on it. The converter's
// job class implements this; the record never owns the job.
class ConvertJob
{
public:
    // taskStatus() values.
    enum Status : qint32 {
        Waiting = 0,
        Paused = 1,
        Converting = 2,
        Finished = 3,
        StoppedByUser = 4,
        StoppedByFailure = 5,
    };

    virtual ~ConvertJob() = default;

    // The job keeps the delegate weakly: a record that has gone away is not called.
    virtual void setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate> delegate) = 0;
    virtual qint32 taskStatus() const = 0;
    // Whole seconds left, as the conversion tool estimates them.
    virtual qint64 remainTime() const = 0;

    virtual QString sourceFilePath() const = 0;
    virtual QString targetFilePath() const = 0;
    // Picture lines of the target.
    virtual double targetResolution() const = 0;
    // Bytes of the target as the job knows them.
    virtual qint64 targetFileSize() const = 0;
};
