#include "library/LibraryDelete.h"

#include "downloads/DataBaseManager.h"
#include "platform/MainBundle.h"

#include <QFileInfo>
#include <QSet>

namespace LibraryDelete {

bool isBusy(const DownloadedItem &item)
{
    return item.status() == DownloadedItem::StatusMarkedForConvert;
}

QList<DownloadNode::Ptr> rowMembers(const DownloadNode::Ptr &row)
{
    QList<DownloadNode::Ptr> members;
    if (!row)
        return members;
    members.append(row);
    const auto parent = row->parentNode();
    if (parent && !parent->isExtend())
        for (const auto &member : parent->displayNodeArray())
            if (member && member != row)
                members.append(member);
    return members;
}

void trashItemFiles(const DownloadedItem &item, QStringList *kept)
{
    for (const QString &path : {item.subtitlePath(), item.filePath()}) {
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        if (!DownloadedItem::deleteFileToTrash(path) && kept)
            kept->append(path);
    }
}

Report deleteRows(const QList<DownloadNode::Ptr> &rows, int answer, DataBaseManager &db,
                  QList<DownloadNode::Ptr> &libraryNodes)
{
    Report report;
    if (answer != Delete && answer != DeleteWithFiles)
        return report;
    QSet<const DownloadNode *> done;
    for (const auto &row : rows) {
        for (const auto &node : rowMembers(row)) {
            if (!node || done.contains(node.get()))
                continue;
            done.insert(node.get());
            const auto item = node->downloadItem();
            if (!item)
                continue;
            if (isBusy(*item)) {
                ++report.skippedBusy;
                continue;
            }
            db.deleteDownloadedItem(*item);
            if (answer == DeleteWithFiles)
                trashItemFiles(*item, &report.keptFiles);
            libraryNodes.removeAll(node);
            if (const auto parent = node->parentNode()) {
                parent->removeChildrenNode(node);
                QList<DownloadNode::Ptr> shown = parent->displayNodeArray();
                shown.removeAll(node);
                parent->setDisplayNodeArray(shown);
            }
            report.removed.append(node);
        }
    }
    return report;
}

QStringList deleteAllVideoSegment(const QStringList &segmentPaths)
{
    QStringList kept;
    for (const QString &path : segmentPaths) {
        const QFileInfo info(path);
        // Only the download's own files: a folder named in the list is never taken whole.
        if (path.isEmpty() || !info.exists() || info.isDir())
            continue;
        if (!DownloadedItem::deleteFileToTrash(path))
            kept.append(path);
    }
    return kept;
}

QString keptFilesText(const QStringList &kept)
{
    if (kept.isEmpty())
        return {};
    return MainBundle::localizedString("These files could not be moved to the Trash and were left where they are:")
           + QLatin1Char('\n') + kept.join(QLatin1Char('\n'));
}

} // namespace LibraryDelete
