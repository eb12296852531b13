#include "downloads/DownloadedItem.h"

#include "downloads/ConvertFollowUpServices.h"
#include "downloads/ConvertJob.h"
#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedItemObserver.h"
#include "downloads/LocalFileNames.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/Trash.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>

namespace {

ConvertFollowUpServices s_silentServices;
std::atomic<ConvertFollowUpServices *> s_services{&s_silentServices};

ConvertFollowUpServices &services()
{
    return *s_services.load();
}

// A translated format is used only when it carries the same conversion as the English one,
// so a bad translation can never feed printf a wrong argument.
QString localizedFormat(const char *english, const char *conversion)
{
    const QString text = MainBundle::localizedString(english);
    if (text.count(QLatin1Char('%')) == 1 && text.contains(QLatin1String(conversion)))
        return text;
    return QString::fromLatin1(english);
}

} // namespace

DownloadedItem::DownloadedItem() = default;

DownloadedItem::DownloadedItem(const FileInfoItem &info)
    : FileInfoItem(info)
{
}

DownloadedItem::~DownloadedItem() = default;

QString DownloadedItem::percentString() const
{
    return QString::asprintf("%d%%", m_percent);
}

void DownloadedItem::setConverterItem(const std::shared_ptr<ConvertJob> &job)
{
    m_converterItem = job;
    if (!job)
        return;
    // Without an owning shared_ptr the job gets an empty delegate and simply reports to no one.
    job->setDelegate(std::weak_ptr<TBVideoConvertTaskDelegate>(weak_from_this().lock()));
    m_taskStatus = TaskWaiting;
}

void DownloadedItem::addDelegate(const std::shared_ptr<DownloadedItemObserver> &observer)
{
    if (!observer)
        return;
    QMutexLocker lock(&m_observerLock);
    std::erase_if(m_observers, [](const auto &w) { return w.expired(); });
    for (const auto &w : m_observers)
        if (w.lock().get() == observer.get())
            return;
    m_observers.push_back(observer);
}

void DownloadedItem::removeDelegate(const DownloadedItemObserver *observer)
{
    QMutexLocker lock(&m_observerLock);
    std::erase_if(m_observers, [observer](const auto &w) {
        const auto live = w.lock();
        return !live || live.get() == observer;
    });
}

int DownloadedItem::delegateCount() const
{
    QMutexLocker lock(&m_observerLock);
    return int(std::count_if(m_observers.begin(), m_observers.end(),
                             [](const auto &w) { return !w.expired(); }));
}

DownloadedItem::ObserverList DownloadedItem::observerSnapshot() const
{
    QMutexLocker lock(&m_observerLock);
    return m_observers;
}

// Each observer is kept alive by the locked pointer while its callback runs.
void DownloadedItem::sendTaskDidChangeState()
{
    for (const auto &w : observerSnapshot())
        if (const auto observer = w.lock())
            observer->taskDidChangeState(*this);
}

void DownloadedItem::sendTaskProgressChanged(qint32 percent)
{
    for (const auto &w : observerSnapshot())
        if (const auto observer = w.lock())
            observer->taskDidChangeProgress(*this, percent);
}

void DownloadedItem::sendFileInfoItemDataChange()
{
    for (const auto &w : observerSnapshot())
        if (const auto observer = w.lock())
            observer->fileInfoItemDataChange(*this);
}

bool DownloadedItem::deleteFileToTrash(const QString &path, QString *error)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return true;
    QString why;
    if (Trash::moveToTrash(path, nullptr, &why))
        return true;
    ScribletLogError(QStringLiteral("move %1 to trash failed!!!").arg(path));
    if (error)
        *error = why.isEmpty() ? QStringLiteral("move %1 to trash failed").arg(path) : why;
    return false;
}

QString DownloadedItem::remainingTimeText(qint64 r)
{
    if (r > 3600)
        return QString::asprintf(qPrintable(localizedFormat("%0.1f hours remaining", "%0.1f")),
                                 double(r) / 3600.0);
    if (r == 3600)
        return MainBundle::localizedString("1 hour remaining");
    if (r > 60)
        return QString::asprintf(qPrintable(localizedFormat("%0.1f minutes remaining", "%0.1f")),
                                 double(r) / 60.0);
    if (r == 60)
        return MainBundle::localizedString("1 minute remaining");
    if (r > 1)
        return QString::asprintf(qPrintable(localizedFormat("%d seconds remaining", "%d")), int(r));
    return MainBundle::localizedString("1 second remaining");
}

void DownloadedItem::setFollowUpServices(ConvertFollowUpServices *servicesToUse)
{
    s_services.store(servicesToUse ? servicesToUse : &s_silentServices);
}

void DownloadedItem::convertTaskDidStarted(ConvertJob &job)
{
    ScribletLogInfo(QStringLiteral("DownloadedItem converter start:%1").arg(filePath()));
    m_percent = 0;
    m_prePercent = 0;
    m_taskStatus = TaskWaiting;
    sendTaskDidChangeState();
}

void DownloadedItem::convertTaskDidChangeProgress(ConvertJob &job, qint32 percent)
{
    percent = std::clamp(percent, 0, 100);
    m_taskStatus = TaskRunning;
    if (m_prePercent > percent)
        return; // progress never goes back
    m_prePercent = percent;
    m_percent = percent;
    m_taskStateStr = job.taskStatus() == ConvertJob::Converting ? remainingTimeText(job.remainTime())
                                                                 : QString();
    sendTaskProgressChanged(percent);
}

void DownloadedItem::convertTaskDidFinished(ConvertJob &job)
{
    services().collectConvertComplete(true);
    // Keep the job alive through this call even if the converter drops it meanwhile.
    const auto keepJob = m_converterItem.lock();
    switch (job.taskStatus()) {
    case ConvertJob::Finished:
        ScribletLogInfo(QStringLiteral("DownloadedItem converter Finished:%1").arg(filePath()));
        m_status = StatusConverted;
        m_taskStatus = TaskFinished;
        m_percent = 100;
        m_covertedFilePath = job.targetFilePath();
        m_convertParam.clear();
        finishConvertAfterDoSomething(job);
        services().collectConvertState(QStringLiteral("ConvertSuccess"));
        NotificationCenter::defaultCenter().post(NotificationNames::TimeForScheduledTask);
        break;
    case ConvertJob::StoppedByUser:
        ScribletLogInfo(QStringLiteral("DownloadedItem converter Stop:%1").arg(filePath()));
        m_taskStatus = TaskNone;
        discardUnfinishedOutput(job);
        m_convertParam.clear();
        m_taskStateStr = QString();
        services().collectConvertState(QStringLiteral("ConvertCancel"));
        break;
    case ConvertJob::StoppedByFailure: {
        ScribletLogInfo(QStringLiteral("DownloadedItem converter failed:%1").arg(filePath()));
        m_taskStatus = TaskFailed;
        const QString failed = job.targetFilePath().isEmpty() ? m_covertedFilePath : job.targetFilePath();
        discardUnfinishedOutput(job);
        services().collectConvertState(QStringLiteral("ConvertFailed"));
        services().collectConvertFailedFormat(QFileInfo(failed).suffix());
        break;
    }
    default:
        break;
    }
    sendTaskDidChangeState();
    m_converterItem.reset();
}

// The unfinished output of this job goes to the Trash. A converted file of an earlier job
// that covertedFilePath may still name is the user's and stays.
void DownloadedItem::discardUnfinishedOutput(ConvertJob &job)
{
    const QString target = job.targetFilePath();
    if (!target.isEmpty() && target != filePath() && target != job.sourceFilePath()) {
        QString error;
        if (!deleteFileToTrash(target, &error))
            reportFollowUpError(error);
    }
    if (!m_covertedFilePath.isEmpty() && m_covertedFilePath == target)
        m_covertedFilePath.clear();
}

void DownloadedItem::reportFollowUpError(const QString &text)
{
    ScribletLogError(text);
    m_followUpError = text;
}

bool DownloadedItem::finishConvertAfterDoSomething(ConvertJob &job)
{
    m_followUpError.clear();
    bool ok = true;
    const QString target = job.targetFilePath();

    if (m_isDownAndConvertOneMode) {
        if (!target.isEmpty() && QFileInfo::exists(target)) {
            // The converted file takes the download's name, in the converted file's folder.
            const QString source = filePath();
            const QFileInfo targetInfo(target);
            QString wanted = targetInfo.path() + QLatin1Char('/') + fileName();
            if (!targetInfo.suffix().isEmpty())
                wanted += QLatin1Char('.') + targetInfo.suffix();
            const QString newName = wanted == target ? target : LocalFileNames::unusedFileName(wanted);

            // Move the converted file in first: the download goes only once it has a successor.
            bool moved = newName == target || QFile::rename(target, newName);
            if (!moved) {
                ok = false;
                reportFollowUpError(QStringLiteral("sDownAndConvertOneMode : %1 error:%2")
                                        .arg(newName, QStringLiteral("cannot move %1").arg(target)));
            } else {
                setFilePath(newName);
                m_covertedFilePath = newName;
                if (source != newName) {
                    QString error;
                    if (!deleteFileToTrash(source, &error)) {
                        ok = false;
                        reportFollowUpError(error);
                    }
                }
                setResolution(qint32(job.targetResolution()));
                setVideoSize(job.targetFileSize());
                const QFileInfo placed(newName);
                if (placed.exists())
                    setVideoSize(placed.size());
            }
        }
        DataBaseManager::defaultManager().updateDownloadedItem(*this);
    } else {
        setResolution(qint32(job.targetResolution()));
        const QFileInfo converted(m_covertedFilePath);
        if (!m_covertedFilePath.isEmpty() && converted.exists())
            setVideoSize(converted.size());
    }

    if (m_isAddToItunes) {
        const QString converted = m_covertedFilePath.isEmpty() ? target : m_covertedFilePath;
        dispatch::async_main([converted] { services().addFileToItunes(converted); });
        m_status = StatusConverted;
    }
    return ok;
}

QString DownloadedItem::archiveClassName() const
{
    return QStringLiteral("DownloadedItem");
}

void DownloadedItem::initWithCoder(KeyedUnarchiver &coder)
{
    FileInfoItem::initWithCoder(coder);
    m_isDownAndConvertOneMode = false;
}
