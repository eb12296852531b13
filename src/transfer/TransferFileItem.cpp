#include "transfer/TransferFileItem.h"

#include "devices/DeviceInfo.h"
#include "devices/DeviceTypes.h"
#include "devices/IAsyncTask.h"
#include "devices/IFolderList.h"
#include "devices/IMediaFolder.h"
#include "devices/IMediaItem.h"
#include "devices/IMediaList.h"
#include "devices/IMediaManager.h"
#include "devices/IMobileDevice.h"
#include "downloads/ConvertJob.h"
#include "platform/AbandonedWork.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "transfer/TransferConvertTask.h"
#include "transfer/TransferFun.h"
#include "transfer/TransferItemDelegate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
std::atomic<quint32> g_conversionTaskID{900000};
constexpr int ConversionPollMs = 1000;
}

TransferFileItem::TransferFileItem(const QString &path, quint32 type)
    : m_filePath(path)
    , m_fileType(type)
    , m_conversionFactory(&TransferConvertTask::create)
{
}

TransferFileItem::~TransferFileItem()
{
    discardConvertedFile();
}

std::shared_ptr<TransferFileItem> TransferFileItem::initWithAudioFilePath(const QString &path)
{
    return std::shared_ptr<TransferFileItem>(new TransferFileItem(path, Audio));
}

std::shared_ptr<TransferFileItem> TransferFileItem::initWithVideoFilePath(const QString &path)
{
    return std::shared_ptr<TransferFileItem>(new TransferFileItem(path, Video));
}

std::shared_ptr<TransferFileItem> TransferFileItem::initWithOtherFilePath(const QString &path)
{
    return std::shared_ptr<TransferFileItem>(new TransferFileItem(path, Other));
}

quint32 TransferFileItem::nextConversionTaskID()
{
    return ++g_conversionTaskID;
}

void TransferFileItem::addDelegate(const std::shared_ptr<TransferItemDelegate> &delegate)
{
    if (!delegate)
        return;
    QMutexLocker lock(&m_lock);
    for (const auto &known : m_delegates) {
        if (known.lock() == delegate)
            return;
    }
    m_delegates.append(delegate);
}

void TransferFileItem::removeDelegate(const TransferItemDelegate *delegate)
{
    QMutexLocker lock(&m_lock);
    m_delegates.removeIf([delegate](const std::weak_ptr<TransferItemDelegate> &d) {
        auto live = d.lock();
        return !live || live.get() == delegate;
    });
}

QList<std::shared_ptr<TransferItemDelegate>> TransferFileItem::delegates() const
{
    QMutexLocker lock(&m_lock);
    QList<std::shared_ptr<TransferItemDelegate>> live;
    for (const auto &d : m_delegates) {
        if (auto strong = d.lock())
            live.append(strong);
    }
    return live;
}

void TransferFileItem::setDestMobileDevice(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    m_destMobileDevice = device;
    m_platform = device ? device->deviceInfo()->OSPlatform() : 0;
}

std::shared_ptr<IMobileDevice> TransferFileItem::destMobileDevice() const
{
    QMutexLocker lock(&m_lock);
    return m_destMobileDevice;
}

qint64 TransferFileItem::fileSize()
{
    QMutexLocker lock(&m_lock);
    if (m_fileSize > 0)
        return m_fileSize;
    const QFileInfo info(m_filePath);
    m_fileSize = info.isFile() ? info.size() : -1;
    return m_fileSize;
}

void TransferFileItem::setFileSize(qint64 bytes)
{
    QMutexLocker lock(&m_lock);
    m_fileSize = bytes;
}

QString TransferFileItem::errorText() const
{
    QMutexLocker lock(&m_lock);
    return m_errorText;
}

QString TransferFileItem::writeDestFilePath() const
{
    QMutexLocker lock(&m_lock);
    return m_writeDestFilePath;
}

void TransferFileItem::setWriteDestFilePath(const QString &path)
{
    QMutexLocker lock(&m_lock);
    m_writeDestFilePath = path;
}

QString TransferFileItem::filePath() const
{
    QMutexLocker lock(&m_lock);
    return m_filePath;
}

void TransferFileItem::setTempFolder(const QString &folder)
{
    QMutexLocker lock(&m_lock);
    m_tempFolder = folder;
}

void TransferFileItem::setConversionFactory(ITransferConversion::Factory factory)
{
    QMutexLocker lock(&m_lock);
    m_conversionFactory = std::move(factory);
}

QString TransferFileItem::privateFolder()
{
    QMutexLocker lock(&m_lock);
    if (!m_tempFolder.isEmpty())
        return m_tempFolder;
    if (!m_ownTempFolder) {
        m_ownTempFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/fennix-transfer-XXXXXX"));
        if (!m_ownTempFolder->isValid())
            return QString();
        m_ownTempHold = AbandonedWork::hold(m_ownTempFolder->path());
    }
    return m_ownTempFolder->path();
}

void TransferFileItem::fail(quint32 status, const char *reason)
{
    {
        QMutexLocker lock(&m_lock);
        if (reason)
            m_errorText = QString::fromLatin1(reason);
    }
    m_itemStatus = status;
}

void TransferFileItem::startTransfer()
{
    if (isStop())
        return;
    if (m_fileType == Other) {
        ScribletLogInfo(QStringLiteral("unsurport file : %1").arg(filePath()));
        fail(StatusFailed, ReasonUnsupported);
        sendItemFinished();
        return;
    }
    if (m_isNeedConverter)
        convert();
    write();
}

void TransferFileItem::convert()
{
    const QString source = filePath();
    const QString folder = privateFolder();
    const bool video = m_fileType == Video;
    const QString target = folder.isEmpty() ? QString()
        : folder + QLatin1Char('/') + QFileInfo(source).completeBaseName() + (video ? QStringLiteral(".mp4") : QStringLiteral(".mp3"));
    ITransferConversion::Factory factory;
    {
        QMutexLocker lock(&m_lock);
        factory = m_conversionFactory;
    }
    std::shared_ptr<ITransferConversion> conversion;
    if (!target.isEmpty() && factory) {
        ITransferConversion::Request request{source, target, video, nextConversionTaskID(), weak_from_this()};
        conversion = factory(request);
    }
    if (!conversion) {
        ScribletLogError(QStringLiteral("ConverterItem exception:%1").arg(QStringLiteral("no conversion for ") + source));
        fail(StatusConversionFailed, ReasonConversion);
        return;
    }
    {
        QMutexLocker lock(&m_lock);
        m_conversion = conversion;
        m_convertedPath = target;
    }
    // The application quitting stops the conversion like the user would.
    auto *quitWatch = new QObject;
    std::weak_ptr<ITransferConversion> weakConversion = conversion;
    NotificationCenter::defaultCenter().addObserver(quitWatch, NotificationNames::FENNIXPROWillQuitNotification,
                                                    [weakConversion](const Notification &) {
                                                        if (auto c = weakConversion.lock())
                                                            c->stop();
                                                    });
    dispatch::async_main([conversion] { conversion->start(); });
    {
        QMutexLocker lock(&m_lock);
        while (conversion->taskStatus() <= ConvertJob::Converting && !isStop())
            m_conversionChanged.wait(&m_lock, ConversionPollMs);
    }
    NotificationCenter::defaultCenter().removeObserver(quitWatch);
    dispatch::async_main([quitWatch] { delete quitWatch; });
}

void TransferFileItem::write()
{
    const auto device = destMobileDevice();
    if (!device || device->IsDeviceRemoved()) {
        // Every end is reported: a row must never stay queued behind a device that went away.
        fail(StatusFailed, ReasonRemoved);
        discardConvertedFile();
        sendItemFinished();
        return;
    }
    if (!device->IsOnline()) {
        fail(StatusFailed, ReasonOffline);
        discardConvertedFile();
        sendItemFinished();
        return;
    }
    qint64 size;
    {
        QMutexLocker lock(&m_lock);
        size = m_fileSize;
    }
    if (size < 1) {
        fail(StatusEmptyOrRefused, ReasonEmpty);
        sendItemFinished();
        return;
    }
    if (m_isFileExist) {
        m_itemStatus = StatusDone;
        sendItemFinished();
        return;
    }
    std::shared_ptr<ITransferConversion> conversion;
    {
        QMutexLocker lock(&m_lock);
        conversion = m_conversion;
    }
    if (m_isNeedConverter) {
        if (!conversion || conversion->taskStatus() != ConvertJob::Finished) {
            ScribletLogError(QStringLiteral("convert failed : %1").arg(filePath()));
            fail(StatusConversionFailed, ReasonConversion);
            discardConvertedFile();
            sendItemFinished();
            return;
        }
        QMutexLocker lock(&m_lock);
        m_filePath = conversion->targetFilePath();
    }
    if (writeDestFilePath().isEmpty() && m_platform != DeviceTransferPlatform::iOS) {
        fail(StatusFailed, ReasonNoDestination);
        discardConvertedFile();
        sendItemFinished();
        return;
    }
    if (device->WriteSDCardStyle() != m_writeSDCardStyle)
        device->setWriteSDCardStyle(m_writeSDCardStyle);
    if (m_fileType == Video)
        writeVideo();
    else
        writeAudio();
}

bool TransferFileItem::waitsForWrite() const
{
    // Car devices are written like Android phones: one file after another.
    return m_platform == DeviceTransferPlatform::Android || m_platform == DeviceTransferPlatform::Any
        || m_platform == DeviceTransferPlatform::Car;
}

void TransferFileItem::writeAudio()
{
    m_itemStatus = StatusWriting;
    const auto device = destMobileDevice();
    std::shared_ptr<IMediaItem> media;
    IMediaManager *music = device->musicManager();
    if (m_platform == DeviceTransferPlatform::iOS) {
        if (music)
            media = music->musics()->addByName(QFileInfo(filePath()).fileName(), int(m_mediaListType));
        if (media)
            TransferFun::loadMediaInfo(media.get(), filePath());
    } else if (waitsForWrite() && music) {
        media = music->musics()->addByPath(writeDestFilePath());
    }
    ScribletLogInfo(QStringLiteral("IAudioItem start doStartItem :%1").arg(filePath()));
    startWrite(media, StatusEmptyOrRefused);
}

void TransferFileItem::writeVideo()
{
    m_itemStatus = StatusWriting;
    const auto device = destMobileDevice();
    std::shared_ptr<IMediaItem> media;
    IMediaManager *videos = device->videoManager();
    IFolderList *folders = videos ? videos->folders() : nullptr;
    std::shared_ptr<IMediaFolder> videoFolder;
    for (int i = 0; folders && i < folders->count(); ++i) {
        auto folder = folders->item(i);
        if (folder && folder->category() == DeviceVideoFolderCategory) {
            videoFolder = folder;
            break;
        }
    }
    const QString dest = writeDestFilePath();
    if (m_platform == DeviceTransferPlatform::iOS) {
        if (videoFolder)
            media = videoFolder->items()->addByName(QFileInfo(filePath()).fileName(), int(m_mediaListType));
        if (media)
            TransferFun::loadMediaInfo(media.get(), filePath());
    } else if (waitsForWrite() && folders) {
        const QString dir = QFileInfo(dest).path();
        auto folder = folders->findByPath(dir);
        if (!folder)
            folder = folders->addByPath(dir, 0);
        if (device->WriteSDCardStyle() != m_writeSDCardStyle)
            device->setWriteSDCardStyle(m_writeSDCardStyle);
        ScribletLogInfo(QStringLiteral("dest file Path : %1").arg(dest));
        if (folder)
            media = folder->items()->addByPath(dest);
    }
    if (!media) {
        fail(StatusFailed, ReasonNoDestination);
        discardConvertedFile();
        sendItemFinished();
        return;
    }
    ScribletLogInfo(QStringLiteral("UpVideoItem source :%1  \n %2").arg(filePath(), dest));
    startWrite(media, StatusFailed);
}

void TransferFileItem::startWrite(const std::shared_ptr<IMediaItem> &media, quint32 statusWithoutTask)
{
    std::shared_ptr<IAsyncTask> task;
    if (media) {
        {
            QMutexLocker lock(&m_lock);
            m_destMedia = media;
        }
        task = media->write(filePath(), weak_from_this(), 0);
    }
    if (!task) {
        fail(statusWithoutTask, ReasonWriteFailed);
        discardConvertedFile();
        // On iOS the job reports the end with its group; elsewhere nobody else would.
        if (m_platform != DeviceTransferPlatform::iOS)
            sendItemFinished();
        return;
    }
    {
        QMutexLocker lock(&m_lock);
        m_writeTask = task;
    }
    if (waitsForWrite())
        task->waitDone();
}

void TransferFileItem::waitWriteDone()
{
    std::shared_ptr<IAsyncTask> task;
    {
        QMutexLocker lock(&m_lock);
        task = m_writeTask;
    }
    if (task)
        task->waitDone();
}

void TransferFileItem::stopTransfer()
{
    m_stop = true;
    std::shared_ptr<ITransferConversion> conversion;
    {
        QMutexLocker lock(&m_lock);
        conversion = m_conversion;
        m_conversionChanged.wakeAll();
    }
    if (conversion && conversion->taskStatus() < ConvertJob::Finished)
        conversion->stop();
}

void TransferFileItem::reportProgress(int percent, bool throttled)
{
    {
        // The monotonic clock: CPU time stands still while the process waits for a device.
        const qint64 now = dispatch::Clock::current().nowMs();
        QMutexLocker lock(&m_lock);
        if (throttled && m_lastReportMs && now - *m_lastReportMs < ReportIntervalMs)
            return;
        m_lastReportMs = now;
    }
    for (const auto &d : delegates())
        d->transferItemProgress(*this, percent);
}

void TransferFileItem::convertTaskDidChangeProgress(ConvertJob &job, qint32 percent)
{
    if (job.taskStatus() < ConvertJob::Finished)
        reportProgress(std::clamp(percent, 0, 100) / 2, true);
}

void TransferFileItem::convertTaskDidFinished(ConvertJob &)
{
    reportProgress(50, false);
    QMutexLocker lock(&m_lock);
    m_conversionChanged.wakeAll();
}

void TransferFileItem::asyncTaskProgressChanged(IAsyncTask &, int percent)
{
    if (m_itemStatus == StatusDone)
        return;
    percent = std::clamp(percent, 0, 100);
    int overall = m_isNeedConverter ? percent / 2 + 50 : percent;
    // On iOS the file is in place only after the job's commit: 100 is not reached before.
    if (m_platform == DeviceTransferPlatform::iOS)
        overall = std::min(overall, 99);
    reportProgress(overall, true);
}

void TransferFileItem::asyncTaskFinished(IAsyncTask &task)
{
    const bool iOS = m_platform == DeviceTransferPlatform::iOS;
    reportProgress(iOS ? 99 : 100, false);
    if (m_itemStatus != StatusDone) {
        const std::optional<int> result = task.result();
        if (!result) {
            // No result object is no proof the file arrived.
            fail(StatusFailed, ReasonWriteFailed);
        } else if (*result == AsyncTaskResult::Stalled) {
            fail(StatusFailed, ReasonStalled);
        } else if (*result == AsyncTaskResult::Failed || *result == AsyncTaskResult::Refused) {
            fail(StatusFailed, ReasonWriteFailed);
        } else if (*result == AsyncTaskResult::DeviceOutcome3) {
            m_itemStatus = StatusDeviceResult3;
        } else if (*result == AsyncTaskResult::Cancelled) {
            m_itemStatus = StatusDeviceResult4;
        } else if (*result == AsyncTaskResult::Ignore) {
            return;
        } else {
            m_itemStatus = StatusDone;
        }
    }
    discardConvertedFile();
    if (!iOS)
        sendItemFinished();
}

void TransferFileItem::sendItemFinished()
{
    if (m_endReported.exchange(true))
        return;
    for (const auto &d : delegates())
        d->transferItemFinished(*this);
}

void TransferFileItem::discardConvertedFile()
{
    QString path;
    {
        QMutexLocker lock(&m_lock);
        path.swap(m_convertedPath);
    }
    if (!path.isEmpty())
        QFile::remove(path);
}
