#include "downloads/DatabaseLibraryHandoff.h"

#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedItem.h"
#include "platform/NotificationNames.h"
#include "platform/NotificationCenter.h"
#include "reelgrab/QVReelgrabTask.h"

#include <QDateTime>
#include <QFileInfo>

DatabaseLibraryHandoff::DatabaseLibraryHandoff(DataBaseManager *manager)
    : m_manager(manager)
{
}

std::shared_ptr<DownloadedItem> DatabaseLibraryHandoff::itemFromTask(QVReelgrabTask *task)
{
    auto item = std::make_shared<DownloadedItem>();
    const QString file = task->storedTargetFileName();
    item->setPageURL(task->pageUrl());
    item->setFilePath(file);
    item->setThumbnailPath(task->mediaThumbnail());
    item->setWebIconPath(task->mediaIcon());
    const QFileInfo info(file);
    item->setVideoSize(info.exists() ? info.size() : task->mediaSize());
    const qint32 quality = task->mediaQuality();
    if (quality > 0 && quality < QVReelgrabTask::HighestQuality && !(task->downloadContent() & QVReelgrabContentAudio))
        item->setResolution(quality);
    item->setPlaylistName(task->playlistName());
    item->setPlaylistUId(task->playlistUUID());
    item->setPlaylistIndex(qint32(task->indexInPlaylist()));
    item->setAddDate(QDateTime::currentDateTimeUtc());
    return item;
}

std::shared_ptr<DownloadedItem> DatabaseLibraryHandoff::addNodeByReelgrabTask(QVReelgrabTask *task)
{
    if (!task)
        return nullptr;
    auto item = itemFromTask(task);
    DataBaseManager &db = m_manager ? *m_manager : DataBaseManager::defaultManager();
    // A record that cannot be written now is kept by the manager and written later: the
    // download stays finished here either way.
    db.recordFinishedItem(item);
    m_items << item;
    // Storing was all the work this library does on a download: the scheduler may go on.
    NotificationCenter::defaultCenter().post(NotificationNames::TimeForScheduledTask);
    return item;
}

int DatabaseLibraryHandoff::getPlaylistCountByID(const QString &playlistID) const
{
    if (playlistID.isEmpty())
        return 0;
    return int(std::count_if(m_items.begin(), m_items.end(),
                             [&](const auto &item) { return item->playlistUId() == playlistID; }));
}
