#pragma once

#include "platform/KeyedArchiver.h"
#include "reelgrab/QVMediaMetaData.h"
#include "reelgrab/QVMediaSniffingResult.h"
#include "reelgrab/QVReelgrabError.h"
#include "reelgrab/QVXConnection.h"

#include <QDateTime>
#include <QObject>

#include <atomic>
#include <memory>
#include <optional>

// State of a task; segments carry the same values.
enum QVReelgrabTaskStatus : qint32 {
    QVReelgrabTaskStatusQueued = 0,
    QVReelgrabTaskStatusSniffing = 1, // also: helper being launched
    QVReelgrabTaskStatusCancelled = 2,
    QVReelgrabTaskStatusSniffingFailed = 3,
    QVReelgrabTaskStatusWaiting = 4,
    QVReelgrabTaskStatusDownloading = 5,
    QVReelgrabTaskStatusPaused = 6,
    QVReelgrabTaskStatusFailed = 7,
    QVReelgrabTaskStatusCompleted = 8, // all segments in, post-processing under way
    QVReelgrabTaskStatusFinished = 9,  // final file in place
};

// What to download, as bits.
enum QVReelgrabContent : qint32 {
    QVReelgrabContentVideo = 2,
    QVReelgrabContentAudio = 4,
    QVReelgrabContentSubtitle = 8,
    QVReelgrabContentNoOptions = 16, // queued without the options dialog; the task ignores it
};

class QVReelgrabTask;
class QVReelgrabSpareHelper;

// The owner of the task queue, as a task sees it. Called on the thread the task runs on.
class QVReelgrabTaskDispatchProtocol
{
public:
    virtual ~QVReelgrabTaskDispatchProtocol() = default;
    // The task left the running set; another may be started.
    virtual void attachNextTask() = 0;
    // The task's fields changed in a way worth storing.
    virtual void synchronize() = 0;
    virtual void reelgrabTaskDidFinished(QVReelgrabTask *task) = 0;
    // Take the task out of the queue; it stays alive until the current event is handled.
    virtual void removeReelgrabTask(QVReelgrabTask *task) = 0;
    // A helper already running that a task about to launch executable with arguments may take
    // instead; the caller owns it. None by default.
    virtual QVReelgrabSpareHelper *takeSpareHelper(const QString & /*executable*/, const QStringList & /*arguments*/)
    {
        return nullptr;
    }
};

// Told of a task's life. Every callback is optional (does nothing unless overridden).
// An observer that goes away leaves every task it observed.
class QVReelgrabTaskObserver
{
public:
    virtual ~QVReelgrabTaskObserver();
    virtual void reelgrabSniffingDidStarted(QVReelgrabTask *) {}
    virtual void reelgrabSniffingInProgress(QVReelgrabTask *, double /*progress*/) {}
    virtual void reelgrabSniffingDidCompleted(QVReelgrabTask *) {}
    virtual void reelgrabSniffingDidFailed(QVReelgrabTask *, const QVReelgrabError &) {}
    virtual void reelgrabSniffingDidCanceled(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidStarted(QVReelgrabTask *) {}
    virtual void reelgrabDownloadingWithSpeed(QVReelgrabTask *, qint64 /*bytesPerSecond*/) {}
    virtual void reelgrabDownloadWillPause(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidPaused(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidReset(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidCompleted(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidFinished(QVReelgrabTask *) {}
    virtual void reelgrabDownloadDidFailed(QVReelgrabTask *, const QVReelgrabError &) {}

private:
    friend class QVReelgrabTask;
    QList<QVReelgrabTask *> m_observedTasks;
};

// The record of one download task. Its keyed archive is both the wire form between the
// application and its helper process and the stored form of queued tasks, so keys and value
// types never change.
class QVReelgrabTask : public QObject, public KeyedArchivable, public QVRemoteMessageTarget
{
    Q_OBJECT

public:
    // A helper that has not announced itself within 30 s is ended and the task fails.
    static int launchTimeoutMs();
    static void setLaunchTimeoutForTesting(int ms);

    static constexpr qint32 HighestQuality = 2147483647;
    // Longest title part of a file name, in UTF-8 bytes; leaves room for " 12345", the
    // extension and the ".ds"/".info" companions within the 255-byte name limit.
    static constexpr int MaxFileNameBytes = 200;

    // A new task: fresh guid, video content, highest quality, created now.
    explicit QVReelgrabTask(QObject *parent = nullptr);
    ~QVReelgrabTask() override;

    // A task read from an archive; nullptr with *error set when the bytes are not a task archive.
    static std::unique_ptr<QVReelgrabTask> taskWithArchive(const QByteArray &data, QString *error = nullptr);
    QByteArray archivedData() const;

    QString guid() const { return m_guid; }
    void setGuid(const QString &v) { m_guid = v; }
    qint64 taskId() const { return m_taskId; }
    void setTaskId(qint64 v) { m_taskId = v; }
    // The stored address passed through the site rules; storedPageUrl() is what was entered.
    QString pageUrl() const;
    QString storedPageUrl() const { return m_pageUrl; }
    void setPageUrl(const QString &v) { m_pageUrl = v; }
    QString cookies() const { return m_cookies; }
    void setCookies(const QString &v) { m_cookies = v; }
    QString userAgent() const;
    QString storedUserAgent() const { return m_userAgent; }
    void setUserAgent(const QString &v) { m_userAgent = v; }
    qint32 downloadContent() const { return m_downloadContent; }
    void setDownloadContent(qint32 v) { m_downloadContent = v; }
    qint32 downloadStatus() const { return m_downloadStatus; }
    void setDownloadStatus(qint32 v) { m_downloadStatus = v; }
    // Why the last run failed, in a sentence for the user ("The server answered 404 Not Found");
    // empty while the task has not failed. Archived with the task, so a restart still shows it.
    QString failureReason() const { return m_failureReason; }
    void setFailureReason(const QString &v) { m_failureReason = v; }
    // The stored title, else the sniffing result's.
    QString mediaTitle() const;
    QString storedMediaTitle() const { return m_mediaTitle; }
    void setMediaTitle(const QString &v) { m_mediaTitle = v; }
    QString browser() const { return m_browser; }
    void setBrowser(const QString &v) { m_browser = v; }
    QString subtitleCode() const { return m_subtitleCode; }
    void setSubtitleCode(const QString &v) { m_subtitleCode = v; }
    bool matchSubtitle() const { return m_matchSubtitle; }
    void setMatchSubtitle(bool v) { m_matchSubtitle = v; }
    QString targetFilePath() const { return m_targetFilePath; }
    void setTargetFilePath(const QString &v) { m_targetFilePath = v; }
    // Full path of the target file. Chosen on first read: a name that neither exists nor has
    // an engine partial (".ds") beside it, reserved at once with an empty placeholder file so
    // a second task with the same title gets another name. Empty when there is no target folder.
    QString targetFileName();
    QString storedTargetFileName() const { return m_targetFileName; }
    void setTargetFileName(const QString &v) { m_targetFileName = v; }
    qint32 expectMediaQuality() const { return m_expectMediaQuality; }
    void setExpectMediaQuality(qint32 v) { m_expectMediaQuality = v; }
    const QVMediaSniffingResult &sniffingResult() const { return m_sniffingResult; }
    // Takes the result and picks the segments to download out of it (replacing `segments`).
    void setSniffingResult(const QVMediaSniffingResult &result);
    // A missing result is ignored and the old one stays.
    void setSniffingResult(const QVMediaSniffingResult *result);
    const QList<QVSniffingMediaSegment> &segments() const { return m_segments; }
    void setSegments(const QList<QVSniffingMediaSegment> &v) { m_segments = v; }
    // The segment at index for progress updates; nullptr when out of range.
    QVSniffingMediaSegment *segmentAt(qsizetype index);
    QString mediaExtName() const { return m_mediaExtName; }
    void setMediaExtName(const QString &v) { m_mediaExtName = v; }
    QDateTime generateDateTime() const { return m_generateDateTime; }
    void setGenerateDateTime(const QDateTime &v) { m_generateDateTime = v; }
    const QVMediaMetaData &metaData() const { return m_metaData; }
    void setMetaData(const QVMediaMetaData &v) { m_metaData = v; }
    QString playlistName() const { return m_playlistName; }
    void setPlaylistName(const QString &v) { m_playlistName = v; }
    QString playlistUUID() const { return m_playlistUUID; }
    void setPlaylistUUID(const QString &v) { m_playlistUUID = v; }
    qint64 indexInPlaylist() const { return m_indexInPlaylist; }
    void setIndexInPlaylist(qint64 v) { m_indexInPlaylist = v; }
    QString logFileID() const { return m_logFileID; }
    void setLogFileID(const QString &v) { m_logFileID = v; }

    // The title made safe as one Linux file name component (never empty).
    QString mediaFileName() const;
    static QString safeFileName(const QString &title);
    qint32 mediaQuality() const;
    qint64 mediaSize() const;
    qint64 downloadedSize() const;
    qint64 downloadSpeed() const;
    QString mediaThumbnail() const { return m_sniffingResult.mediaThumbnail(); }
    QString mediaIcon() const { return m_sniffingResult.mediaIcon(); }
    QString mediaSubtitle() const { return {}; }
    // True when the page address is not a valid URL, or its host contains word.
    bool isSiteof(const QString &word) const;

    // The subtitle to write: by code, else English, else the page's default, else the first.
    std::optional<QVSniffingMediaSubtitle> pickoutSubtitle() const;
    // Writes the picked subtitle beside the target when subtitles were asked for; returns its text.
    QString synchronizeSubtitle();
    // Folder for the segment files of this task: <private cache>/ReelgrabKit/Downloading/<guid>;
    // not made here. Empty when no private folder can be had.
    QString workFolder();
    // workFolder(), made and checked (ours, 0700, not a link); empty when refused.
    QString ensuredWorkFolder();
    // The private folder holding every task's work folder, made and checked; empty when refused.
    static QString workRoot();
    // Where the segment at index is written; empty (and logged) when there is no such segment.
    QString savePath4Segment(qsizetype index);
    // The same for a segment given by value: the first equal one in `segments`.
    QString savePath4Segment(const QVSniffingMediaSegment &segment);

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

    // Client half: the helper process of this task and its messages.
    void setDispatcher(QVReelgrabTaskDispatchProtocol *dispatcher) { m_dispatcher = dispatcher; }
    QVReelgrabTaskDispatchProtocol *dispatcher() const { return m_dispatcher; }
    void addObserver(QVReelgrabTaskObserver *observer);
    void removeObserver(QVReelgrabTaskObserver *observer);
    QList<QVReelgrabTaskObserver *> observers() const { return m_observers; }

    bool run();
    void pause();
    void resume();
    void cancel();
    void retry();
    void removeFromDispatcher();
    void terminateReelgrabTask();
    bool hasServiceProxy() const { return bool(m_serviceProxy); }
    // The queue could not start the task (no helper program): it fails and observers are told.
    void failToLaunch();
    bool hasHelperProcess() const;
    qint64 helperProcessId() const;
    // A message from the helper.
    void sendMessage(const QString &name, const QByteArray &object) override;

    // Where the helper program is looked for; empty means next to the running program.
    static void setHelperExecutable(const QString &path);
    static QString helperExecutable();
    // What a helper is launched with after "-c name": "-l" and the engine library when the
    // "download-library" preference names an existing file.
    static QStringList helperArguments();
    static QString clientPreferencesPath();

private:
    bool adoptHelper(QVReelgrabSpareHelper *spare);
    bool launchHelper(bool maySpare);
    void watchProcess(class QProcess *process);
    void helperDidTerminate();
    void failHelper(const QVReelgrabError &error);
    template <typename F> void tellObservers(F f);
    struct NoDefaults {};
    explicit QVReelgrabTask(NoDefaults);
    QList<QVSniffingMediaSegment> pickoutSegments();

    QString m_guid;
    qint64 m_taskId = 0;
    QString m_pageUrl;
    QString m_cookies;
    QString m_userAgent;
    qint32 m_downloadContent = 0;
    qint32 m_downloadStatus = 0;
    QString m_failureReason;
    QString m_mediaTitle;
    QString m_browser;
    QString m_subtitleCode;
    bool m_matchSubtitle = false;
    QString m_targetFilePath;
    QString m_targetFileName;
    qint32 m_expectMediaQuality = 0;
    QVMediaSniffingResult m_sniffingResult;
    QList<QVSniffingMediaSegment> m_segments;
    QString m_mediaExtName;
    QDateTime m_generateDateTime;
    QVMediaMetaData m_metaData;
    QString m_playlistName;
    QString m_playlistUUID;
    qint64 m_indexInPlaylist = 0;
    QString m_logFileID;

    QVReelgrabTaskDispatchProtocol *m_dispatcher = nullptr;
    QList<QVReelgrabTaskObserver *> m_observers;
    class QProcess *m_process = nullptr;
    std::unique_ptr<QVXConnection> m_connection;
    std::shared_ptr<QVRemoteProxy> m_serviceProxy;
    class QTimer *m_launchTimer = nullptr;
    // A taken spare helper that has not yet answered this task: if it dies now it never had
    // the task, and the task launches a helper of its own instead of failing.
    std::atomic<bool> m_helperUnconfirmed = false;
};
