#pragma once

#include <QString>

#include <memory>

class DownloadedItem;
class QVReelgrabTask;

// Where the Download page hands finished downloads: the library. The library page of its own
// comes later; until then the finished item is only stored.
class LibraryHandoff
{
public:
    virtual ~LibraryHandoff() = default;
    // Takes a finished task; answers the stored item, or null when it could not be stored.
    virtual std::shared_ptr<DownloadedItem> addNodeByReelgrabTask(QVReelgrabTask *task) = 0;
    virtual int displayItemCount() const = 0;
    // Members of a play list already in the library.
    virtual int getPlaylistCountByID(const QString &playlistID) const = 0;
};
