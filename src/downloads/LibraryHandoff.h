#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class DownloadedItem;
class QLineEdit;
class QObject;
class QVReelgrabTask;
class QWidget;

// Where the Download page hands finished downloads: the library. Without the library page the
// finished item is only stored (DatabaseLibraryHandoff); the page itself answers view() too.
class LibraryHandoff
{
public:
    virtual ~LibraryHandoff() = default;
    // Takes a finished task; answers the item, or null when it could not be taken.
    virtual std::shared_ptr<DownloadedItem> addNodeByReelgrabTask(QVReelgrabTask *task) = 0;
    virtual int displayItemCount() const = 0;
    // Members of a play list already in the library.
    virtual int getPlaylistCountByID(const QString &playlistID) const = 0;
    // The library tab's body; null when there is none to show.
    virtual QWidget *view() { return nullptr; }
    // The field whose text filters the library.
    virtual void setSearchFeild(QLineEdit *field) { (void)field; }
    // Called after every change of displayItemCount().
    virtual void setItemCountObserver(std::function<void()> observer) { (void)observer; }
    // Whether a conversion of the library is queued or running (asked before a shut-down).
    virtual bool hasConvertingTask() const { return false; }
    // Plays a finished item in the application's player; false when this library has none.
    virtual bool playItem(qint32 downloadID) { (void)downloadID; return false; }

    // The library tab's tool-bar buttons, on the library's selection (sender null): delete
    // (asks first), reveal the file, hand the items to the Convert or the Transfer page. A
    // library without a page of its own has no selection and does nothing.
    virtual void deleteItem(QObject *sender = nullptr) { (void)sender; }
    virtual void showInFinder(QObject *sender = nullptr) { (void)sender; }
    virtual void converterItem(QObject *sender = nullptr) { (void)sender; }
    virtual void transferItem(QObject *sender = nullptr) { (void)sender; }
};
