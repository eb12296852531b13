#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class NamedConnection;
class SwiftcarryToolRun;

// A list that shows thumbnails: told of every finished thumbnail of its kind, it picks out
// its own item (by path or identifier) and ignores the rest.
class ThumbnailReceiver
{
public:
    virtual ~ThumbnailReceiver() = default;
    virtual void getThumbnailPath(const QString &thumbnailPath, const QString &videoPath, qint64 videoID, int typeID) = 0;
};

// The shared thumbnail service: one long-lived conversion tool process makes thumbnails one
// request at a time; an answer that does not come within the time-out is asked for again, and
// after three tries the tool is restarted, as it is after it dies. Main thread only.
class ThumbnailServerWraper : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        qint64 videoID = 0;      // "KeyThumbnailVideoID"
        QString videoPath;       // "KeyThumbnailVideoPath"
        int typeID = 1;          // "KeyThumbnailTypeID": 0 downloading, 1 finished
        int videoTime = 0;       // "KeyThumbnailVideoTime": times sent
    };

    static ThumbnailServerWraper &share();
    // A service of its own (the application uses share()); starts the tool unless told not to.
    explicit ThumbnailServerWraper(bool startTool = true);
    ~ThumbnailServerWraper() override;

    void DownloadedFileForThumbnail(const QString &path, qint64 videoID, bool priority);
    void DownloadingFileForThumbnail(const QString &path, qint64 videoID, bool priority);
    void setMediaFilePathForThumbnail(const QString &path, qint64 videoID, bool priority, int typeID);

    void setDownloadedDelegate(std::weak_ptr<ThumbnailReceiver> r) { m_downloadedDelegate = std::move(r); }
    void setDownloadingDelegate(std::weak_ptr<ThumbnailReceiver> r) { m_downloadingDelegate = std::move(r); }
    void setRecodeDelegate(std::weak_ptr<ThumbnailReceiver> r) { m_recordDelegate = std::move(r); }
    void setConverterDelegate(std::weak_ptr<ThumbnailReceiver> r) { m_converterDelegate = std::move(r); }
    void setTransferDelegate(std::weak_ptr<ThumbnailReceiver> r) { m_transferDelegate = std::move(r); }
    std::shared_ptr<ThumbnailReceiver> downloadedDelegate() const { return m_downloadedDelegate.lock(); }
    std::shared_ptr<ThumbnailReceiver> downloadingDelegate() const { return m_downloadingDelegate.lock(); }
    std::shared_ptr<ThumbnailReceiver> recodeDelegate() const { return m_recordDelegate.lock(); }
    std::shared_ptr<ThumbnailReceiver> converterDelegate() const { return m_converterDelegate.lock(); }
    std::shared_ptr<ThumbnailReceiver> transferDelegate() const { return m_transferDelegate.lock(); }

    void terminateThumbnailProc();

    // Messages of the tool.
    void thumbnailDidConnected(const QString &capturerName);
    void thumbnailDidCapturedTo(const QString &thumbnailPath, const QString &videoPath);
    void setClientLive() { m_blLive = true; }
    int videoPathForID(const QString &path) const;
    int videoPathForTypeID(const QString &path) const;

    // State for the lists' tests and the benchmark.
    int waitingCount() const { return int(m_arrThumbnail.size()); }
    std::optional<Request> currentRequest() const { return m_thumbnaliingDic; }
    bool isThumbnailing() const { return m_blThumbnailing; }
    bool isLive() const { return m_blLive; }
    bool isTimeout() const { return m_isTimeout; }
    bool hasTool() const;
    qint64 toolProcessId() const;
    int launchCount() const { return m_launchCount; }
    void setAnswerTimeoutMs(int ms) { m_timeoutMs = ms; }
    void setRestartDelayMs(int ms) { m_restartDelayMs = ms; }

    static constexpr int AnswerTimeoutMs = 15000;
    static constexpr int RestartDelayMs = 1000;
    static constexpr int MaxTries = 3;

private:
    void establishConnection();
    void connectThumbnailProcessToStart(const Request &request);
    void send(Request &request);
    void startThumbnailTimer();
    void stopThumbnailTimer();
    void doThumbnailtimeOut();
    void selectVideoToThumbnail(bool next);
    void analystIsDie(bool bySignal, int exitCode);
    void stopProcess();
    void onToolMessage(const QString &message, const QByteArray &object);
    void deliver(const QString &thumbnailPath, const QString &videoPath);

    QString m_toolPath;
    SwiftcarryToolRun *m_task = nullptr;
    std::unique_ptr<NamedConnection> m_proxy;
    QList<Request> m_arrThumbnail;
    std::optional<Request> m_thumbnaliingDic;
    bool m_currentSent = false;
    bool m_isTimeout = false;
    bool m_blThumbnailing = false;
    bool m_blLive = false;
    std::weak_ptr<ThumbnailReceiver> m_downloadingDelegate;
    std::weak_ptr<ThumbnailReceiver> m_downloadedDelegate;
    std::weak_ptr<ThumbnailReceiver> m_recordDelegate;
    std::weak_ptr<ThumbnailReceiver> m_converterDelegate;
    std::weak_ptr<ThumbnailReceiver> m_transferDelegate;
    QTimer *m_tThumbnailtimeOut = nullptr;
    QTimer m_restartTimer;
    int m_timeoutMs = AnswerTimeoutMs;
    int m_restartDelayMs = RestartDelayMs;
    int m_launchCount = 0;
};
