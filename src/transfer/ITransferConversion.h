#pragma once

#include <QString>

#include <functional>
#include <memory>

class TBVideoConvertTaskDelegate;

// One conversion a transfer item runs before it writes: the converter's job, or a stand-in.
class ITransferConversion
{
public:
    struct Request
    {
        QString sourcePath;
        QString targetPath;
        bool video = true;
        quint32 taskID = 0;
        std::weak_ptr<TBVideoConvertTaskDelegate> delegate;
    };
    using Factory = std::function<std::shared_ptr<ITransferConversion>(const Request &request)>;

    virtual ~ITransferConversion() = default;
    // Called on the main thread.
    virtual void start() = 0;
    // Any thread.
    virtual void stop() = 0;
    // ConvertJob::Status.
    virtual qint32 taskStatus() const = 0;
    virtual QString targetFilePath() const = 0;
};
