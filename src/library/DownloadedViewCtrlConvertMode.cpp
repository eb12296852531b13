// The library page's load queue and "Download then Convert": finished downloads get their
// media information one at a time, join the library, and, with the mode on, are converted by
// the page's own queue with the stored choice; the converted file then takes their place.
#include "library/DownloadedViewCtrl.h"

#include "converter/TBConverterTaskManager.h"
#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "converter/IM_MediaItemExtended.h"
#include "downloads/DataBaseManager.h"
#include "library/ITunesHelper.h"
#include "library/OneModeConvertSetting.h"
#include "converter/OneModeOutputNames.h"
#include "converter/OutputNameWatcher.h"
#include "library/ThumbnailServerWraper.h"
#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "media/QVMediaFileInfo.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "shell/WKDataColleciton.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

bool DownloadedViewCtrl::isDownAndConvertOneMode() const
{
    return OneModeConvertSetting::isDownAndConvertOneMode(UserDefaults::standard());
}

void DownloadedViewCtrl::loadNextDownloadFile()
{
    if (downloadedItemArr_.isEmpty() || isNetWorkLoader_)
        return;
    isNetWorkLoader_ = true;
    const auto item = downloadedItemArr_.first();
    if (!_loaderController) {
        _loaderController = std::make_shared<MediaLoaderController>();
        _loaderController->setDelegate(this);
    }
    _loaderController->loadMediaFiles({item->filePath()}, QVariant(item->downloadID()));
}

void DownloadedViewCtrl::networkDidEndLoadFiles(const QList<std::shared_ptr<DownloadedItem>> &items, const QVariant &)
{
    isNetWorkLoader_ = false;
    if (downloadedItemArr_.isEmpty())
        return;
    const auto item = downloadedItemArr_.takeFirst();
    const auto record = items.isEmpty() ? nullptr : items.first();
    if (record) {
        item->setTime(record->time());
        item->setResolution(record->resolution());
        item->setVideoSize(record->videoSize());
        item->setVideoWidth(record->videoWidth());
        item->setVideoHeight(record->videoHeight());
        halvornHelper(*item);
    } else {
        // The download still belongs in the library; its values stay unknown.
        ScribletLogError(QStringLiteral("media information of %1 could not be read").arg(item->filePath()));
    }
    const auto node = addDownloadNodeWithItem(item, true);
    m_dataBase->recordFinishedItem(item);

    if (item->thumbnailPath().isEmpty()) {
        if (record && !record->thumbnailPath().isEmpty() && QFileInfo::exists(record->thumbnailPath()))
            item->setThumbnailPath(record->thumbnailPath());
        else if (thumbnailServerWraper_)
            thumbnailServerWraper_->DownloadedFileForThumbnail(item->filePath(), item->downloadID(), true);
    }

    bool converting = false;
    if (record && node && item->taskStatus() == DownloadedItem::TaskNone && isDownAndConvertOneMode()) {
        item->setIsDownAndConvertOneMode(true);
        DownloadedItemToConvertForOneMode(node);
        converting = LibraryItemIsBusy(*item);
    }
    changeVideoInfomationPicture();
    refreshDownloadedTableView();
    tellCountChanged();

    loadNextDownloadFile();
    // With a conversion under way its end tells the scheduler instead.
    if (downloadedItemArr_.isEmpty() && !isNetWorkLoader_ && !converting)
        NotificationCenter::defaultCenter().post(NotificationNames::TimeForScheduledTask);
}

bool DownloadedViewCtrl::LibraryItemIsBusy(const DownloadedItem &item)
{
    return item.status() == DownloadedItem::StatusMarkedForConvert;
}

QString DownloadedViewCtrl::targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID)
{
    OneModeOutputNames names;
    return names.targetFilePathWith(sourcePath, size, formatID);
}

bool DownloadedViewCtrl::DownloadedItemToConvertForOneMode(const DownloadNode::Ptr &node)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item || !_converterTaskManager)
        return false;
    ScribletLogInfo(QStringLiteral("sart Downloaded To Convert Mode:%1").arg(item->filePath()));
    WKDataColleciton::share().collectConvertSourceFrom(QStringLiteral("OneClickConvert"));

    QString error;
    const auto setting = OneModeConvertSetting::readStored(UserDefaults::standard(), &error);
    if (!setting) {
        // Nothing usable is stored: the item stays a plain, finished download.
        ScribletLogError(QStringLiteral("Download then Convert of %1 not started: %2").arg(item->filePath(), error));
        item->setStatus(DownloadedItem::StatusPlain);
        return false;
    }
    item->setConvertParam(setting->dictionary);
    item->setStatus(DownloadedItem::StatusMarkedForConvert);
    item->setIsAddToItunes(setting->isExportToItunes);
    item->setIsOpenConvertedFile(setting->isShowInFinder);

    const IM_EncodeParamEx block = setting->block();
    auto target = std::make_shared<TBMultiMediaItem>();
    target->fillFromEncodeParam(block);
    target->setSmartFixFlag(block.smartFitMask);
    target->setFourCC(block.containerFourCC);
    target->setEncData(setting->encParam);
    const QVMediaFileInfo info(item->filePath());
    IM_MediaItemExtended media(info.isValid() && info.programInfoAtIndex(0)
                                   ? IM_MediaItem::initMediaItemWithProgramInfo(info.programInfoAtIndex(0), info)
                                   : IM_MediaItem());
    media.setEncodeParam(block);
    media.setFormatId(setting->formatID);
    media.setEncAutoFlag(block.smartFitMask);
    if (setting->isMergeSubtitle) {
        target->setSubtitlePath(item->subtitlePath());
        if (!item->subtitlePath().isEmpty())
            media.addExternalSubtitle(item->subtitlePath(), true);
    }
    // Named after the lossless check: a source taken over unchanged keeps its own frame size.
    const bool lossless = info.isValid() && media.isMediaItemLossless();
    const QByteArray jobBlock = lossless ? EncodeParamData::toData(media.encodeParam()) : setting->encParam;
    const QString targetPath = targetFilePathWith(
        item->filePath(), media.outputFrameSize(lossless ? media.encodeParam() : block, lossless), setting->formatID);
    target->setFilePath(targetPath);

    const auto job = _converterTaskManager->addConvertTaskWithFile(item->filePath(), target);
    job->setLosslessConvert(lossless);
    job->setEncodeParams(jobBlock);
    ScribletLogInfo(QStringLiteral("[ %>_<% ] LossLessConvert Enabled:%1").arg(lossless ? "YES" : "NO"));
    item->setCovertedFilePath(targetPath);
    ScribletLogInfo(QStringLiteral("Encode Param Description: %1").arg(EncodeParamDescription(&block, 4)));

    if (!m_oneModeWatcher) {
        // An item whose conversion failed (or never started) is no longer busy: it may be
        // renamed, deleted or queued again.
        QPointer<DownloadedViewCtrl> page(this);
        m_oneModeWatcher = std::make_shared<OutputNameWatcher>([page](DownloadedItem &ended, quint32 state) {
            if (page)
                page->oneModeConversionDidEnd(ended, state);
        });
    }
    m_oneModeWatcher->watch(item, targetPath);
    item->setConverterItem(job);
    item->addDelegate(node);
    item->addDelegate(m_oneModeWatcher);
    _converterTaskManager->runNextTask();
    return true;
}

void DownloadedViewCtrl::oneModeConversionDidEnd(DownloadedItem &ended, quint32 state)
{
    // An item whose conversion failed (or never started) is no longer busy: it may be renamed,
    // deleted or queued again.
    if (state == DownloadedItem::TaskFailed && ended.status() == DownloadedItem::StatusMarkedForConvert) {
        ended.setStatus(DownloadedItem::StatusPlain);
        tellCountChanged();
    }
    // "Open the output folder when the conversion is done.": the converted file's folder, once
    // the library has no conversion left.
    if (state == DownloadedItem::TaskFinished && ended.isOpenConvertedFile() && !ended.covertedFilePath().isEmpty())
        m_folderToOpen = QFileInfo(ended.covertedFilePath()).absolutePath();
    if (m_folderToOpen.isEmpty() || isHasConvertingTask())
        return;
    QTimer::singleShot(0, this, [folder = std::exchange(m_folderToOpen, QString())] { Workspace::openFolder(folder); });
}

bool DownloadedViewCtrl::isHasConvertingTask() const
{
    return std::any_of(_downloadedNodeArr.begin(), _downloadedNodeArr.end(), [](const DownloadNode::Ptr &n) {
        return n->downloadItem() && LibraryItemIsBusy(*n->downloadItem());
    });
}

void DownloadedViewCtrl::downloadedItemStartConverter(const DownloadNode::Ptr &node)
{
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    DownloadedItemToConvertForOneMode(node);
}

void DownloadedViewCtrl::taskItemWillDelete(const DownloadNode::Ptr &node)
{
    if (!node || !node->downloadItem())
        return;
    stopTaskItemForDownloadedItem(node, false);
    refreshDownloadedTableView();
    tellCountChanged();
}

void DownloadedViewCtrl::stopTaskItemForDownloadedItem(const DownloadNode::Ptr &node, bool)
{
    const auto item = node ? node->downloadItem() : nullptr;
    if (!item || !LibraryItemIsBusy(*item))
        return;
    if (const auto job = item->converterItem())
        if (auto *task = dynamic_cast<TBVideoConvertTask *>(job.get()))
            task->stop();
    item->setTaskStatus(DownloadedItem::TaskNone);
    tellCountChanged();
}

void DownloadedViewCtrl::convertedButtonWillChange(qint32, QAbstractButton *)
{
}

bool DownloadedViewCtrl::finishConvertAfterDoSomething(const std::shared_ptr<DownloadedItem> &item)
{
    const auto job = item ? item->converterItem() : nullptr;
    if (!job)
        return false;
    const QString source = job->sourceFilePath();
    const QString target = job->targetFilePath();
    const QFileInfo t(target);
    const QString newPath = t.path() + QLatin1Char('/') + QFileInfo(source).completeBaseName() + QLatin1Char('.') + t.suffix();
    // The converted file moves in before the download leaves, so a failure loses nothing.
    bool ok = newPath == target || (!QFileInfo::exists(newPath) && QFile::rename(target, newPath));
    if (ok) {
        item->setFilePath(newPath);
        if (source != newPath && !DownloadedItem::deleteFileToTrash(source))
            ok = false;
    }
    if (item->isAddToItunes()) {
        const bool video = [&] {
            auto *task = dynamic_cast<TBVideoConvertTask *>(job.get());
            return task && task->targetItem() && task->targetItem()->videoEncoder() != 0;
        }();
        const QString path = item->filePath();
        dispatch::async_main([path, video] {
            ITunesHelper helper;
            const QString playlist = helper.playlistIDForName(video ? QStringLiteral("iQuenmark Orrisca Studio Videos")
                                                                    : QStringLiteral("iQuenmark Orrisca Studio Audios"));
            if (playlist.isEmpty() || helper.addFile(path, playlist).isEmpty())
                ScribletLogError(QStringLiteral("catch exception when exportToITunes"));
        });
        item->setStatus(DownloadedItem::StatusConverted);
    }
    return ok;
}
