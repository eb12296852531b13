#pragma once

#include <QtGlobal>

class ConvertJob;

// Told of the progress of one conversion job. Jobs call it on the main thread.
class TBVideoConvertTaskDelegate
{
public:
    virtual ~TBVideoConvertTaskDelegate() = default;

    virtual void convertTaskDidStarted(ConvertJob &job) {}
    virtual void convertTaskDidChangeProgress(ConvertJob &job, qint32 percent) {}
    virtual void convertTaskDidFinished(ConvertJob &job) {}
};
