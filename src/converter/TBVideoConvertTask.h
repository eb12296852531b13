#pragma once

#include "downloads/ConvertJob.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <memory>

class NamedConnection;
class SwiftcarryToolRun;
class TBMultiMediaItem;

// One conversion of one source file into one output file, run by a conversion tool process.
// The job publishes itself under its connection name, takes the tool's reports, forwards
// pause and resume, and ends with a final status (3, 4 or 5), telling its delegate and running
// its completion block once. Create with std::make_shared; used on the main thread (stop()
// may be called from any thread).
class TBVideoConvertTask : public QObject,
                           public ConvertJob,
                           public std::enable_shared_from_this<TBVideoConvertTask>
{
    Q_OBJECT
public:
    using Completion = std::function<void(const std::shared_ptr<TBVideoConvertTask> &)>;

    TBVideoConvertTask();
    ~TBVideoConvertTask() override;

    quint32 taskID() const { return m_taskID; }
    void setTaskID(quint32 id) { m_taskID = id; }
    std::shared_ptr<TBMultiMediaItem> sourceItem() const { return m_sourceItem; }
    void setSourceItem(std::shared_ptr<TBMultiMediaItem> item) { m_sourceItem = std::move(item); }
    std::shared_ptr<TBMultiMediaItem> targetItem() const { return m_targetItem; }
    void setTargetItem(std::shared_ptr<TBMultiMediaItem> item) { m_targetItem = std::move(item); }
    qint32 taskStatus() const override { return m_taskStatus; }
    void setTaskStatus(qint32 status) { m_taskStatus = status; }
    void setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate> delegate) override { m_delegate = std::move(delegate); }
    std::shared_ptr<TBVideoConvertTaskDelegate> delegate() const { return m_delegate.lock(); }
    quint32 usedTime() const { return m_usedTime; }
    qint64 remainTime() const override { return m_remainTime; }
    QDateTime startTime() const { return m_startTime; }
    qint32 percent() const { return m_percent; }
    // How long a user stop waits for the tool to be gone before the output is cleared away.
    static constexpr int StopWaitMs = 3000;
    void setPercent(qint32 percent) { m_percent = percent; }
    bool export2iTunesWhenFinish() const { return m_export2iTunesWhenFinish; }
    void setExport2iTunesWhenFinish(bool on) { m_export2iTunesWhenFinish = on; }
    bool isLosslessConvert() const { return m_losslessConvert; }
    void setLosslessConvert(bool on) { m_losslessConvert = on; }
    QByteArray encodeParams() const { return m_encodeParams; }
    void setEncodeParams(const QByteArray &data) { m_encodeParams = data; }
    void setConverterCompleted(Completion block) { m_taskCompletedBlcok = std::move(block); }
    bool hasCompletion() const { return bool(m_taskCompletedBlcok); }

    // The name the job registers: bundle identifier, ":Swiftcarry-MediaConvert." and the number.
    QString connectionName() const;
    // The tool's arguments after the connection name... and the name itself first.
    QStringList toolArguments() const;
    // A tool process is running for this job.
    bool hasToolProcess() const;
    qint64 toolProcessId() const;
    // The tool has announced its converter object (pause and resume reach it).
    bool hasConverter() const { return m_swiftcarryConverter != nullptr; }

    // Starts the tool; false (and the job ends as stopped) when it cannot be registered or
    // launched.
    bool start();
    void pause();
    void resume();
    void stop();
    void terminate();

    // Reports of the tool (public so a transport or a test can deliver them).
    void mediaConvertWillStart(const QString &converterName);
    void mediaConvertDidProgressed(const QVariantMap &progress);
    void mediaConvertDidProgressedWith(quint32 remainTime, qint32 percent);
    void mediaConvertDidFinished();
    void mediaConvertDidStoped();
    void mediaConvertDidPaused() {}

    // ConvertJob
    QString sourceFilePath() const override;
    QString targetFilePath() const override;
    double targetResolution() const override;
    qint64 targetFileSize() const override;

private:
    void onToolMessage(const QString &message, const QByteArray &object);
    void swiftcarryProcessDidEnd(bool bySignal, int exitCode);
    void endWithStatus(qint32 status);
    void replyEncodeParams();
    void stopOnMainThread();
    void endTool(int waitMs);

    quint32 m_taskID = 0;
    std::shared_ptr<TBMultiMediaItem> m_sourceItem;
    std::shared_ptr<TBMultiMediaItem> m_targetItem;
    qint32 m_taskStatus = Waiting;
    std::weak_ptr<TBVideoConvertTaskDelegate> m_delegate;
    quint32 m_usedTime = 0;
    quint32 m_remainTime = 0;
    SwiftcarryToolRun *m_task = nullptr;  // the tool process and the job's connection
    QDateTime m_startTime;
    qint32 m_percent = 0;
    std::unique_ptr<NamedConnection> m_swiftcarryConverter;
    bool m_export2iTunesWhenFinish = false;
    bool m_losslessConvert = false;
    QByteArray m_encodeParams;
    Completion m_taskCompletedBlcok;
};
