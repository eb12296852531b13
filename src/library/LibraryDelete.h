#pragma once

#include "downloads/DownloadNode.h"

#include <QList>
#include <QStringList>

class DataBaseManager;

// Taking items out of the library, optionally with their files, which go to the Trash.
namespace LibraryDelete {

// The answers of the delete confirmation window.
enum Answer { Cancel = 0, Delete = 1, DeleteWithFiles = 2 };

// A download-then-convert conversion is queued or running for the item.
bool isBusy(const DownloadedItem &item);

// The nodes a row stands for: the row itself and, for the header of a collapsed play list,
// every member the current search shows.
QList<DownloadNode::Ptr> rowMembers(const DownloadNode::Ptr &row);

struct Report
{
    QList<DownloadNode::Ptr> removed; // in the order they were taken out
    QStringList keptFiles;            // files that could not go to the Trash and stayed
    int skippedBusy = 0;              // busy items left in the library
};

// For each row and then each further member of a collapsed header: the database row goes,
// with answer DeleteWithFiles the subtitle and then the media file go to the Trash, and the
// node leaves libraryNodes and its play list. Busy items stay. Nothing happens for Cancel.
Report deleteRows(const QList<DownloadNode::Ptr> &rows, int answer, DataBaseManager &db,
                  QList<DownloadNode::Ptr> &libraryNodes);

// The files of one item, subtitle first; each that cannot go to the Trash stays and is
// listed in kept.
void trashItemFiles(const DownloadedItem &item, QStringList *kept);

// Segment files of a download: each listed file goes to the Trash, the folder that holds
// them stays (it may hold other downloads' segments). Answers the files that stayed.
QStringList deleteAllVideoSegment(const QStringList &segmentPaths);

// The message for files that stayed where they were (empty when none did).
QString keptFilesText(const QStringList &kept);

} // namespace LibraryDelete
