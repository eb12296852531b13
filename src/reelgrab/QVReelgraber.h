#pragma once

#include "reelgrab/QVReelgrabError.h"

#include <QObject>
#include <QString>

#include <limits>
#include <memory>

struct CorvidashEvent;
class QVReelgraber;

// What the binding tells its owner. Every call arrives on the thread that owns the binding
// (the main thread), never on the engine's thread. Callbacks are optional.
class QVReelgraberDelegate
{
public:
    virtual ~QVReelgraberDelegate() = default;
    virtual void downloadDidStarted(QVReelgraber *) {}
    virtual void downloadDidProcessing(QVReelgraber *, qint64 speed, qint64 downloadSize, qint64 totalSize) {}
    virtual void downloadDidCompleted(QVReelgraber *) {}
    virtual void downloadDidFailed(QVReelgraber *, const QVReelgrabError &error) {}
    virtual void downloadWillPause(QVReelgraber *) {}
    virtual void downloadDidPaused(QVReelgraber *) {}
    virtual void downloadDidCancel(QVReelgraber *) {}
};

// Engine event -> binding. context is the QVReelgraber that set the callback.
extern "C" void ReelgrabCallback(const CorvidashEvent *event, void *context);

// One engine download object for one download at a time. Engine events come on the engine's
// thread; they are handed to the binding's thread so the owner never sees two threads at once.
class QVReelgraber : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 UnknownTotal = std::numeric_limits<qint64>::min();

    explicit QVReelgraber(void *libHandle, QObject *parent = nullptr);
    ~QVReelgraber() override;

    QVReelgraberDelegate *delegate() const { return m_delegate; }
    void setDelegate(QVReelgraberDelegate *d) { m_delegate = d; }
    QString filePath() const { return m_filePath; }
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    // False when the library gave no engine object (missing library or VantrelCreate).
    bool isUsable() const;

    void setDownloadUrl(const QString &url);
    void setSavePath(const QString &path);
    void setUserAgent(const QString &userAgent);
    void setCookies(const QString &cookies);
    // Starts a run in the background and returns at once. False when the engine lacks what a
    // run needs (nothing will be reported then).
    bool download(bool turbo, bool resume);
    void pause();
    void cancel();
    void deleteTempFile();

    // The log text of an engine result code.
    static QString errorText(qint64 code);

    // Engine side of an event; any thread.
    void engineEvent(const CorvidashEvent &event);

private:
    void handleEvent(int type, qint64 code, qint64 downloaded, qint64 total, const QString &reason);
    void didStart();
    void didComplete();
    void didFail(const QVReelgrabError &error);
    void attachCallback();
    void detachCallback();

    void *m_engine = nullptr;
    void *m_libHandle = nullptr;
    QVReelgraberDelegate *m_delegate = nullptr;
    QString m_filePath;
    qint64 m_downloadedBytes = 0;
    // Runs are strictly one after another: a start waits for the previous run and for stops.
    // Events of a run that was detached (paused) are dropped even when already on their way.
    struct Runner;
    std::shared_ptr<Runner> m_runner;
};
