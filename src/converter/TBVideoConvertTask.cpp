#include "converter/TBVideoConvertTask.h"

#include "converter/TBMultiMediaItem.h"
#include "downloads/TBVideoConvertTaskDelegate.h"
#include "platform/log/ScribletLogger.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/SwiftcarryToolRun.h"
#include "platform/Dispatch.h"
#include "platform/NamedConnection.h"

#include <QFileInfo>

using namespace SwiftcarryProtocol;

TBVideoConvertTask::TBVideoConvertTask() = default;

TBVideoConvertTask::~TBVideoConvertTask() { terminate(); }

QString TBVideoConvertTask::connectionName() const { return convertConnectionName(m_taskID); }

QStringList TBVideoConvertTask::toolArguments() const
{
    QStringList args{connectionName(), QStringLiteral("-inFile"), sourceFilePath()};
    const QString subtitle = m_targetItem ? m_targetItem->subtitlePath() : QString();
    if (!subtitle.isEmpty())
        args << QStringLiteral("-subtitle") << subtitle;
    args << QStringLiteral("-outFile") << targetFilePath() << QStringLiteral("-lossless")
         << QString::number(m_losslessConvert ? 1 : 0);
    return args;
}

bool TBVideoConvertTask::hasToolProcess() const { return m_task && m_task->isRunning(); }

qint64 TBVideoConvertTask::toolProcessId() const { return m_task ? m_task->processId() : 0; }

bool TBVideoConvertTask::start()
{
    ScribletLogInfo(QStringLiteral("TBVideoConvertTask start:%1 (%2 -> %3)")
                        .arg(m_taskID)
                        .arg(sourceFilePath(), targetFilePath()));
    terminate();  // a restart never leaves an older tool behind
    m_task = new SwiftcarryToolRun(this);
    connect(m_task, &SwiftcarryToolRun::messageReceived, this, &TBVideoConvertTask::onToolMessage);
    connect(m_task, &SwiftcarryToolRun::toolEnded, this, &TBVideoConvertTask::swiftcarryProcessDidEnd);
    QString error;
    const QStringList args = toolArguments();
    if (!m_task->publish(connectionName(), &error) || !m_task->launch(args.mid(1), &error)) {
        ScribletLogError(QStringLiteral("TBVideoConvertTask %1 cannot start the tool: %2").arg(m_taskID).arg(error));
        terminate();
        endWithStatus(StoppedByFailure);
        return false;
    }
    m_taskStatus = Converting;
    if (auto d = m_delegate.lock())
        d->convertTaskDidStarted(*this);
    return true;
}

void TBVideoConvertTask::pause()
{
    m_taskStatus = Paused;
    if (m_swiftcarryConverter)
        m_swiftcarryConverter->sendMessage(QLatin1String(Pause), {});
}

void TBVideoConvertTask::resume()
{
    if (m_swiftcarryConverter)
        m_swiftcarryConverter->sendMessage(QLatin1String(Resume), {});
    m_taskStatus = Converting;
    if (auto d = m_delegate.lock())
        d->convertTaskDidStarted(*this);
}

void TBVideoConvertTask::stop()
{
    if (!dispatch::isMainThread()) {
        auto self = shared_from_this();
        dispatch::async_main([self]() { self->stopOnMainThread(); });
        return;
    }
    stopOnMainThread();
}

void TBVideoConvertTask::stopOnMainThread()
{
    // Every stop ends the job, delegate or not, so its queue moves on.
    auto keep = weak_from_this().lock();
    // The tool (and the ffmpeg it runs) is gone first: the item then moves the partial output
    // away, and nothing writes it again behind its back.
    endTool(StopWaitMs);
    m_taskStatus = StoppedByUser;
    if (auto d = m_delegate.lock())
        d->convertTaskDidFinished(*this);
    if (m_taskCompletedBlcok && keep)
        m_taskCompletedBlcok(keep);
}

void TBVideoConvertTask::terminate() { endTool(0); }

void TBVideoConvertTask::endTool(int waitMs)
{
    if (m_task) {
        disconnect(m_task, nullptr, this, nullptr);
        if (waitMs > 0)
            m_task->endAndWait(waitMs);
        else
            m_task->end();
        m_task->setParent(nullptr);
        m_task->deleteLater();
        m_task = nullptr;
    }
    if (m_swiftcarryConverter) {
        m_swiftcarryConverter->invalidate();
        m_swiftcarryConverter.release()->deleteLater();
    }
}

void TBVideoConvertTask::onToolMessage(const QString &message, const QByteArray &object)
{
    if (message == QLatin1String(MediaConvertDidProgressed))
        mediaConvertDidProgressed(unarchiveDictionary(object));
    else if (message == QLatin1String(MediaConvertDidProgressedWith)) {
        const QVariantMap args = unarchiveDictionary(object);
        mediaConvertDidProgressedWith(args.value(QStringLiteral("remainTime")).toUInt(),
                                      args.value(QStringLiteral("pecent")).toInt());
    } else if (message == QLatin1String(MediaConvertWillStart))
        mediaConvertWillStart(unarchiveString(object));
    else if (message == QLatin1String(EncodeParamsRequest))
        replyEncodeParams();
    else if (message == QLatin1String(MediaConvertDidFinished))
        mediaConvertDidFinished();
    else if (message == QLatin1String(MediaConvertDidStoped))
        mediaConvertDidStoped();
    else if (message == QLatin1String(MediaConvertDidPaused))
        mediaConvertDidPaused();
}

void TBVideoConvertTask::replyEncodeParams()
{
    if (!m_swiftcarryConverter)
        return;
    QVariantMap values;
    values.insert(QStringLiteral("encodeParams"), m_encodeParams);
    values.insert(QStringLiteral("isLosslessConvert"), m_losslessConvert);
    values.insert(QStringLiteral("taskID"), m_taskID);
    values.insert(QStringLiteral("sourceItem"), sourceFilePath());
    values.insert(QStringLiteral("targetItem"), targetFilePath());
    values.insert(QStringLiteral("export2iTunesWhenFinish"), m_export2iTunesWhenFinish);
    m_swiftcarryConverter->sendMessage(QLatin1String(EncodeParamsReply), archiveDictionary(values));
}

void TBVideoConvertTask::mediaConvertWillStart(const QString &converterName)
{
    if (converterName.isEmpty())
        return;
    QString error;
    m_swiftcarryConverter = NamedConnection::connectTo(converterName, 2000, &error);
    if (!m_swiftcarryConverter)
        ScribletLogError(QStringLiteral("TBVideoConvertTask %1: no converter %2: %3").arg(m_taskID).arg(converterName, error));
}

void TBVideoConvertTask::mediaConvertDidProgressed(const QVariantMap &progress)
{
    if (m_taskStatus != Converting)
        return;
    if (progress.value(QLatin1String(DictionaryContent)).toString() != QLatin1String(ConvertProgressContent))
        return;
    mediaConvertDidProgressedWith(quint32(progress.value(QStringLiteral("remain-time")).toULongLong()),
                                  progress.value(QStringLiteral("progress")).toInt());
}

void TBVideoConvertTask::mediaConvertDidProgressedWith(quint32 remainTime, qint32 percent)
{
    if (m_taskStatus != Converting)
        return;
    m_remainTime = remainTime;
    m_percent = percent;
    if (auto d = m_delegate.lock())
        d->convertTaskDidChangeProgress(*this, m_percent);
}

void TBVideoConvertTask::mediaConvertDidFinished() { endWithStatus(Finished); }

void TBVideoConvertTask::mediaConvertDidStoped() { endWithStatus(StoppedByFailure); }

void TBVideoConvertTask::endWithStatus(qint32 status)
{
    auto keep = weak_from_this().lock();
    m_taskStatus = status;
    if (auto d = m_delegate.lock())
        d->convertTaskDidFinished(*this);
    if (m_taskCompletedBlcok) {
        Completion block = std::move(m_taskCompletedBlcok);  // runs at most once
        m_taskCompletedBlcok = nullptr;
        if (keep)
            block(keep);
    }
}

void TBVideoConvertTask::swiftcarryProcessDidEnd(bool bySignal, int exitCode)
{
    if (sender() != m_task)
        return;
    const bool final = m_taskStatus == Finished || m_taskStatus == StoppedByUser || m_taskStatus == StoppedByFailure;
    terminate();
    if (bySignal) {
        mediaConvertDidStoped();
    } else if (!final) {
        // The tool left without its end report: the output cannot be trusted.
        ScribletLogError(QStringLiteral("TBVideoConvertTask %1: tool exited (%2) without a report").arg(m_taskID).arg(exitCode));
        mediaConvertDidStoped();
    }
}

QString TBVideoConvertTask::sourceFilePath() const { return m_sourceItem ? m_sourceItem->filePath() : QString(); }

QString TBVideoConvertTask::targetFilePath() const { return m_targetItem ? m_targetItem->filePath() : QString(); }

double TBVideoConvertTask::targetResolution() const { return m_targetItem ? m_targetItem->nearlyResolution() : 0; }

qint64 TBVideoConvertTask::targetFileSize() const
{
    const QFileInfo info(targetFilePath());
    return info.exists() ? info.size() : 0;
}
