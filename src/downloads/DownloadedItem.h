#pragma once

#include "downloads/FileInfoItem.h"
#include "downloads/TBVideoConvertTaskDelegate.h"

#include <QDateTime>
#include <QMutex>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

class ConvertFollowUpServices;
class ConvertJob;
class DownloadedItemObserver;

// The record of one finished download, recording or imported file, with the live state of a
// follow-up job (a conversion, or a transfer in a subclass).
//
// Threads: fields are read and written on the main thread. The observer list is guarded by a
// lock, and notifications go out over a snapshot, so observers may be added, removed or
// destroyed from any thread. Create items with std::make_shared: a conversion job and the
// nodes hold them by shared or weak pointer.
class DownloadedItem : public FileInfoItem,
                       public TBVideoConvertTaskDelegate,
                       public std::enable_shared_from_this<DownloadedItem>
{
public:
    // taskStatus(): the follow-up job.
    enum TaskStatus : quint32 {
        TaskNone = 0, // no job, or stopped by the user
        TaskWaiting = 1,
        TaskRunning = 2,
        TaskPaused = 3,
        TaskFinished = 4,
        TaskFailed = 5,
    };
    // status(): the library status.
    enum Status : qint32 {
        StatusPlain = 0,
        StatusMarkedForConvert = 1, // "Download then Convert"
        StatusConverted = 5,
    };

    DownloadedItem();
    explicit DownloadedItem(const FileInfoItem &info);
    ~DownloadedItem() override;
    DownloadedItem(const DownloadedItem &) = delete;
    DownloadedItem &operator=(const DownloadedItem &) = delete;

    qint32 downloadID() const { return fileID(); }
    void setDownloadID(qint32 id) { setFileID(id); }
    QString webIconPath() const { return iconFilePath(); }
    void setWebIconPath(const QString &path) { setIconFilePath(path); }
    QString fileSuffix() const { return fileExt(); }

    QDateTime addDate() const { return m_addDate; }
    void setAddDate(const QDateTime &date) { m_addDate = date; }
    QString playlistName() const { return m_playlistName; }
    void setPlaylistName(const QString &name) { m_playlistName = name; }
    QString playlistUId() const { return m_playlistUId; }
    void setPlaylistUId(const QString &uid) { m_playlistUId = uid; }
    qint32 playlistIndex() const { return m_playlistIndex; }
    void setPlaylistIndex(qint32 index) { m_playlistIndex = index; }
    QStringList videoPaths() const { return m_videoPaths; }
    void setVideoPaths(const QStringList &paths) { m_videoPaths = paths; }
    QStringList audioPaths() const { return m_audioPaths; }
    void setAudioPaths(const QStringList &paths) { m_audioPaths = paths; }
    qint32 percent() const { return m_percent; }
    void setPercent(qint32 percent) { m_percent = percent; }
    qint32 prePercent() const { return m_prePercent; }
    void setPrePercent(qint32 percent) { m_prePercent = percent; }
    QString percentString() const;
    QString taskStateStr() const { return m_taskStateStr; }
    void setTaskStateStr(const QString &text) { m_taskStateStr = text; }
    QString task2StateStr() const { return m_task2StateStr; }
    void setTask2StateStr(const QString &text) { m_task2StateStr = text; }
    QString taskFinishStr() const { return m_taskFinishStr; }
    void setTaskFinishStr(const QString &text) { m_taskFinishStr = text; }
    quint32 taskStatus() const { return m_taskStatus; }
    void setTaskStatus(quint32 status) { m_taskStatus = status; }
    qint32 status() const { return m_status; }
    void setStatus(qint32 status) { m_status = status; }
    bool isAddToItunes() const { return m_isAddToItunes; }
    void setIsAddToItunes(bool add) { m_isAddToItunes = add; }
    bool isOpenConvertedFile() const { return m_isOpenConvertedFile; }
    void setIsOpenConvertedFile(bool open) { m_isOpenConvertedFile = open; }
    QVariantMap convertParam() const { return m_convertParam; }
    void setConvertParam(const QVariantMap &param) { m_convertParam = param; }
    QString covertedFilePath() const { return m_covertedFilePath; }
    void setCovertedFilePath(const QString &path) { m_covertedFilePath = path; }
    bool isReplace() const { return m_isReplace; }
    void setIsReplace(bool replace) { m_isReplace = replace; }
    bool isDownAndConvertOneMode() const { return m_isDownAndConvertOneMode; }
    void setIsDownAndConvertOneMode(bool on) { m_isDownAndConvertOneMode = on; }
    // Why the last follow-up step did not fully succeed; empty when it did.
    QString followUpError() const { return m_followUpError; }

    // The job working on the item (not owned); it reports to the item from now on.
    std::shared_ptr<ConvertJob> converterItem() const { return m_converterItem.lock(); }
    void setConverterItem(const std::shared_ptr<ConvertJob> &job);

    // Observers are held weakly: one that is destroyed is dropped, never called.
    void addDelegate(const std::shared_ptr<DownloadedItemObserver> &observer);
    void removeDelegate(const DownloadedItemObserver *observer);
    int delegateCount() const; // live observers
    void sendTaskDidChangeState();
    void sendTaskProgressChanged(qint32 percent);
    void sendFileInfoItemDataChange();

    // Moves an existing file to the Trash. A failed move is logged and the file stays: it is
    // never deleted instead.
    static bool deleteFileToTrash(const QString &path, QString *error = nullptr);

    // Row text for r whole seconds left.
    static QString remainingTimeText(qint64 seconds);

    // Usage counters and the music-library hand-off; nullptr restores the silent default.
    static void setFollowUpServices(ConvertFollowUpServices *services);

    void convertTaskDidStarted(ConvertJob &job) override;
    void convertTaskDidChangeProgress(ConvertJob &job, qint32 percent) override;
    void convertTaskDidFinished(ConvertJob &job) override;

    // After a successful conversion: put the converted file in place (in "Download then
    // Convert" mode it replaces the download) and take over its properties. False, with
    // followUpError() set, when the converted file could not be moved in or the download
    // could not go to the Trash; the item then still points at a file that exists.
    bool finishConvertAfterDoSomething(ConvertJob &job);

    QString archiveClassName() const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    using ObserverList = std::vector<std::weak_ptr<DownloadedItemObserver>>;
    ObserverList observerSnapshot() const;
    void discardUnfinishedOutput(ConvertJob &job);
    void reportFollowUpError(const QString &text);

    QDateTime m_addDate;
    QString m_playlistName;
    QString m_playlistUId;
    qint32 m_playlistIndex = 0;
    QStringList m_videoPaths;
    QStringList m_audioPaths;
    qint32 m_percent = 0;
    qint32 m_prePercent = 0;
    QString m_taskStateStr;
    QString m_task2StateStr;
    QString m_taskFinishStr;
    quint32 m_taskStatus = TaskNone;
    qint32 m_status = StatusPlain;
    bool m_isAddToItunes = false;
    bool m_isOpenConvertedFile = false;
    QVariantMap m_convertParam;
    QString m_covertedFilePath;
    bool m_isReplace = false;
    std::weak_ptr<ConvertJob> m_converterItem;
    bool m_isDownAndConvertOneMode = false;
    QString m_followUpError;

    mutable QMutex m_observerLock;
    ObserverList m_observers;
};
