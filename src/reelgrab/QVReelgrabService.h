#pragma once

#include "platform/FileLock.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/QVMediaSniffer.h"
#include "reelgrab/QVReelgrabPostProcessor.h"
#include "reelgrab/QVReelgrabTask.h"
#include "reelgrab/QVReelgraber.h"
#include "reelgrab/QVXConnection.h"

#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <future>
#include <memory>
#include <optional>

// The root object of a helper process: takes the four commands, runs its one task (cookies,
// probe, sniffing, segment downloads, post-processing) and reports every step. Everything runs
// on the main thread; engine and sniffer events are handed over to it.
class QVReelgrabService : public QObject,
                          public QVRemoteMessageTarget,
                          public QVReelgraberDelegate,
                          public QVMediaSnifferDelegate
{
    Q_OBJECT
public:
    static constexpr qint32 RetryCount = 3;
    // New bytes beyond the furthest point earlier attempts reached that restore the count: a
    // server that breaks off at the same place every time gets no more than the count.
    static constexpr qint64 ProgressResetsRetries = 1024;
    // Waits before the first and the second retry (doubling). REELGRAB_RETRY_DELAY_MS sets the
    // first one, for tests.
    static constexpr int RetryDelayMs = 1000;
    // A server that does not answer the probe in this time is left to the sniffer, which fails
    // at once on a silent page: together well within a minute. CORVIDASH_STALL_SECONDS
    // shortens it as it shortens the engine's waits.
    static constexpr int ProbeTimeoutMs = 15000;
    static constexpr int YouTubeCookieLimit = 51200;

    // Starts opening the engine library in the background and returns at once; the first step
    // that needs the engine waits for it. Once it has opened, the engine is made ready on the
    // main thread, so a helper waiting for its task starts that task without set-up.
    QVReelgrabService(const QString &libPath, const QString &logFileID, QObject *parent = nullptr);
    ~QVReelgrabService() override;

    // Incoming command (name and keyed-archive object).
    void sendMessage(const QString &name, const QByteArray &object) override;

    QVRemoteMessageTarget *delegate() const { return m_delegate; }
    void setDelegate(QVRemoteMessageTarget *d) { m_delegate = d; }
    QVReelgrabTask *downloadTask() const { return m_downloadTask.get(); }
    void setDownloadTask(std::unique_ptr<QVReelgrabTask> task) { m_downloadTask = std::move(task); }
    QString preferencesFilePath() const { return m_preferencesFilePath; }
    void setPreferencesFilePath(const QString &p) { m_preferencesFilePath = p; }
    bool isLibraryLoaded(); // waits for the library
    qint32 retryCount() const { return m_retryCount; }

    void attachDownloadTask(std::unique_ptr<QVReelgrabTask> task);
    void pauseDownloadTask();
    void resumeDownloadTask();
    QString getCookies();
    bool downloadNextSegments();
    // The client's preferences file, read again only when it has changed.
    QVariantMap preferences() const;

    // Media type of a direct download by its exact MIME type; 0 when not in the table.
    static quint32 formatForDirectMime(const QString &mime);
    // The usable part of a server-suggested name: its last component, split into a base name
    // and a whitelisted media extension (empty when the extension is not one).
    static QPair<QString, QString> suggestedNameParts(const QString &suggested);

    // QVReelgraberDelegate
    void downloadDidStarted(QVReelgraber *) override;
    void downloadDidProcessing(QVReelgraber *, qint64 speed, qint64 downloadSize, qint64 totalSize) override;
    void downloadDidCompleted(QVReelgraber *) override;
    void downloadDidFailed(QVReelgraber *, const QVReelgrabError &error) override;
    void downloadWillPause(QVReelgraber *) override;
    void downloadDidPaused(QVReelgraber *) override;
    void downloadDidCancel(QVReelgraber *) override;

    // QVMediaSnifferDelegate
    void sniffingDidStarted(QVMediaSniffer *) override;
    void sniffingInProgress(QVMediaSniffer *, float progress) override;
    void sniffingDidCompleted(QVMediaSniffer *, const QVMediaSniffingResult &result) override;
    void sniffingDidFailed(QVMediaSniffer *, const QVReelgrabError &error) override;
    void sniffingDidCanceled(QVMediaSniffer *) override;
    bool sniffingCouldSniffByWebView() override { return true; }

private:
    struct PreferencesCache
    {
        QString path;
        QByteArray stamp; // file identity, size and times; empty when nothing is cached
        QVariantMap values;
    };

    void *libHandle();
    // The engine's log, its download object and a worker thread for its runs.
    void prepareEngine();
    void send(const char *name, const QByteArray &object = QByteArray());
    QVReelgraber *reelgraber();
    QVMediaSniffer *mediaSniffer();
    QVSniffingMediaSegment *currentSegment();
    bool isTurboTask() const;
    void handleFailure(const QVReelgrabError &error, bool fromPostProcessing);
    // Attaches the task again after the back-off of the retry that is due.
    void retryLater();
    static int probeTimeoutMs();
    // Removes the reserved empty target and part files without data after a failure.
    void discardEmptyFiles();
    void finalFailure(const QVReelgrabError &error);
    void startPostProcessing();
    void postProcessingDone(const QVReelgrabPostProcessor::Result &result, qsizetype segmentCount);
    QString toolPath(const char *key, const char *fallbackProgram) const;
    void clearWorkFolder();
    void removeEmptyPlaceholder();
    void adoptResumableTarget();
    QString resumableWorkFolder(const QString &baseName) const;
    bool lockTarget(const QString &path);
    void unlockTarget();

    void *m_libHandle = nullptr;
    QString m_libPath;
    QString m_logFileID;
    std::shared_future<EngineLibrary::Load> m_libraryLoad;
    bool m_libraryReady = false;
    std::optional<QString> m_defaultBrowser;
    mutable PreferencesCache m_preferencesCache;
    QVRemoteMessageTarget *m_delegate = nullptr;
    std::unique_ptr<QVReelgrabTask> m_downloadTask;
    qsizetype m_downloadingSegment = -1;
    std::unique_ptr<QVMediaSniffer> m_mediaSniffer;
    std::unique_ptr<QVReelgraber> m_reelgraber;
    QString m_preferencesFilePath;
    bool m_retrySpeedOff = false;
    bool m_retryClearTmpDir = false;
    bool m_bResume = true;
    qint32 m_retryCount = RetryCount;
    // Time-outs (a silent or trickling server) left before the task fails. Progress does not
    // give them back: a server that sends a little each minute would be asked for ever.
    qint32 m_timeOutsLeft = RetryCount;
    QHash<qsizetype, qint64> m_furthestBytes; // per segment, over every attempt
    qint64 m_attemptBytes = 0;                // the furthest point of the running attempt
    bool m_postProcessing = false;
    // An advisory lock on the file this helper writes, held for its life (the system drops it
    // when the process dies), so that another helper never takes over a running download.
    FileLock m_targetLock;
};
