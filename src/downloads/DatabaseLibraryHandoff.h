#pragma once

#include "downloads/LibraryHandoff.h"

#include <QList>

class DataBaseManager;

// Stores each finished download as a row of table "Downloaded" of the library database.
class DatabaseLibraryHandoff : public LibraryHandoff
{
public:
    // manager null: the default manager.
    explicit DatabaseLibraryHandoff(DataBaseManager *manager = nullptr);

    std::shared_ptr<DownloadedItem> addNodeByReelgrabTask(QVReelgrabTask *task) override;
    int displayItemCount() const override { return int(m_items.size()); }
    int getPlaylistCountByID(const QString &playlistID) const override;
    const QList<std::shared_ptr<DownloadedItem>> &items() const { return m_items; }

    // The library record of a finished task (not stored).
    static std::shared_ptr<DownloadedItem> itemFromTask(QVReelgrabTask *task);

private:
    DataBaseManager *m_manager;
    QList<std::shared_ptr<DownloadedItem>> m_items;
};
