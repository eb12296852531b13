#pragma once

#include "transfer/ITransferConversion.h"

class TBVideoConvertTask;

// A transfer item's conversion through the converter's job and the conversion tool, with the
// default MP4 (video) or MP3 (audio) target.
class TransferConvertTask : public ITransferConversion
{
public:
    explicit TransferConvertTask(const Request &request);
    ~TransferConvertTask() override;

    static std::shared_ptr<ITransferConversion> create(const Request &request);

    void start() override;
    void stop() override;
    qint32 taskStatus() const override;
    QString targetFilePath() const override;

private:
    std::shared_ptr<TBVideoConvertTask> m_task;
};
