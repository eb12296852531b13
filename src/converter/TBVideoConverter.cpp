#include "converter/TBVideoConverter.h"

#include "converter/TBVideoConvertTask.h"
#include "downloads/TBVideoConvertTaskDelegate.h"
#include "platform/Dispatch.h"

#include <QPointer>

class TBVideoConverter::Forwarder : public TBVideoConvertTaskDelegate
{
public:
    explicit Forwarder(TBVideoConverter *queue)
        : m_queue(queue)
    {
    }
    void convertTaskDidStarted(ConvertJob &job) override
    {
        if (auto *d = owner())
            d->convertTaskDidStarted(job);
    }
    void convertTaskDidChangeProgress(ConvertJob &job, qint32 percent) override
    {
        if (auto *d = owner())
            d->convertTaskDidChangeProgress(job, percent);
    }
    void convertTaskDidFinished(ConvertJob &job) override
    {
        if (auto *d = owner())
            d->convertTaskDidFinished(job);
        // Deferred: the job is still inside its end report.
        QPointer<TBVideoConverter> queue = m_queue;
        dispatch::async_main([queue] {
            if (queue)
                queue->runNextTask();
        });
    }

private:
    TBVideoConverterDelegate *owner() const { return m_queue ? m_queue->delegate() : nullptr; }
    QPointer<TBVideoConverter> m_queue;
};

TBVideoConverter::TBVideoConverter()
    : TBConverterTaskManager(0, false)
    , m_forwarder(std::make_shared<Forwarder>(this))
{
}

TBVideoConverter::~TBVideoConverter() = default;

void TBVideoConverter::installCompletion(const std::shared_ptr<TBVideoConvertTask> &task)
{
    task->setDelegate(m_forwarder);
}
