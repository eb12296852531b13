#pragma once

#include "converter/TBConverterTaskManager.h"

#include <memory>

// A conversion queue that is its jobs' delegate: it runs one job at a time like
// TBConverterTaskManager, hands every job's start, progress and end on to its own delegate, and
// starts the next waiting job after one ends. Its numbers start at 1 for each queue, and it
// leaves the end of the application to its owner. Main thread only.
class TBVideoConverter : public TBConverterTaskManager
{
    Q_OBJECT
public:
    TBVideoConverter();
    ~TBVideoConverter() override;

protected:
    void installCompletion(const std::shared_ptr<TBVideoConvertTask> &task) override;

private:
    class Forwarder;
    std::shared_ptr<Forwarder> m_forwarder; // the jobs' delegate; jobs hold it weakly
};
