#include "library/ThumbnailServerWraper.h"

#include "platform/NotificationNames.h"
#include "platform/log/ScribletLogger.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/SwiftcarryToolRun.h"
#include "platform/Dispatch.h"
#include "platform/NamedConnection.h"
#include "platform/NotificationCenter.h"

#include <QFileInfo>
#include <QPointer>

using namespace SwiftcarryProtocol;

namespace {
bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }
} // namespace

ThumbnailServerWraper &ThumbnailServerWraper::share()
{
    static ThumbnailServerWraper *instance = new ThumbnailServerWraper(true);
    return *instance;
}

ThumbnailServerWraper::ThumbnailServerWraper(bool startTool)
    : m_toolPath(toolPath())
{
    m_restartTimer.setSingleShot(true);
    connect(&m_restartTimer, &QTimer::timeout, this, &ThumbnailServerWraper::establishConnection);
    NotificationCenter::defaultCenter().addObserver(this, NotificationNames::FENNIXPROWillQuitNotification,
                                                    [this](const Notification &) { terminateThumbnailProc(); });
    if (startTool)
        establishConnection();
}

ThumbnailServerWraper::~ThumbnailServerWraper()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    stopThumbnailTimer();
    stopProcess();
}

bool ThumbnailServerWraper::hasTool() const { return m_task && m_task->isRunning(); }

qint64 ThumbnailServerWraper::toolProcessId() const { return m_task ? m_task->processId() : 0; }

void ThumbnailServerWraper::establishConnection()
{
    stopProcess();
    const QString name = uniqueConnectionName(ThumbnailService);
    m_task = new SwiftcarryToolRun(this);
    connect(m_task, &SwiftcarryToolRun::messageReceived, this, &ThumbnailServerWraper::onToolMessage);
    connect(m_task, &SwiftcarryToolRun::toolEnded, this, &ThumbnailServerWraper::analystIsDie);
    QString error;
    if (!m_task->publish(name, &error)) {
        ScribletLogError(QStringLiteral("thumbnail service cannot register %1: %2").arg(name, error));
    } else {
        ScribletLogInfo(QStringLiteral("main process for thumbnail sever name = %1").arg(name));
        m_blThumbnailing = false;
        ++m_launchCount;
        if (!m_task->launch({}, &error))
            ScribletLogError(QStringLiteral("thumbnail tool cannot start: %1").arg(error));
    }
    if (m_arrThumbnail.isEmpty())
        return;
    Request &first = m_arrThumbnail.first();
    first.videoTime = 1;
    if (fileExists(first.videoPath)) {
        m_thumbnaliingDic = m_arrThumbnail.takeFirst();
        ScribletLogInfo(QStringLiteral("==>>restart to thumbnail: %1, count:%2")
                            .arg(m_thumbnaliingDic->videoPath)
                            .arg(m_arrThumbnail.size()));
        connectThumbnailProcessToStart(*m_thumbnaliingDic);
    }
}

void ThumbnailServerWraper::DownloadedFileForThumbnail(const QString &path, qint64 videoID, bool priority)
{
    setMediaFilePathForThumbnail(path, videoID, priority, 1);
}

void ThumbnailServerWraper::DownloadingFileForThumbnail(const QString &path, qint64 videoID, bool priority)
{
    setMediaFilePathForThumbnail(path, videoID, priority, 0);
}

void ThumbnailServerWraper::setMediaFilePathForThumbnail(const QString &path, qint64 videoID, bool priority, int typeID)
{
    if (!fileExists(path))
        return;
    Request request{videoID, path, typeID, 0};
    if (m_blThumbnailing) {
        if (priority)
            m_arrThumbnail.prepend(request);
        else
            m_arrThumbnail.append(request);
        return;
    }
    request.videoTime = 1;
    m_thumbnaliingDic = request;
    connectThumbnailProcessToStart(*m_thumbnaliingDic);
}

void ThumbnailServerWraper::connectThumbnailProcessToStart(const Request &request)
{
    m_blThumbnailing = true;
    m_currentSent = false;
    if (m_proxy && m_proxy->isValid()) {
        m_currentSent = m_proxy->sendMessage(QLatin1String(ThumbnailWithFiles), archiveStringList({request.videoPath}));
    }
    if (!m_currentSent)
        m_blThumbnailing = false;
    startThumbnailTimer();
}

void ThumbnailServerWraper::startThumbnailTimer()
{
    if (m_tThumbnailtimeOut)
        return;
    m_isTimeout = false;
    m_tThumbnailtimeOut = new QTimer(this);
    connect(m_tThumbnailtimeOut, &QTimer::timeout, this, &ThumbnailServerWraper::doThumbnailtimeOut);
    m_tThumbnailtimeOut->start(m_timeoutMs);
}

void ThumbnailServerWraper::stopThumbnailTimer()
{
    if (!m_tThumbnailtimeOut)
        return;
    m_tThumbnailtimeOut->stop();
    m_tThumbnailtimeOut->deleteLater();
    m_tThumbnailtimeOut = nullptr;
}

void ThumbnailServerWraper::doThumbnailtimeOut()
{
    m_blThumbnailing = false;
    stopThumbnailTimer();
    m_isTimeout = true;
    selectVideoToThumbnail(false);
    ScribletLogInfo(QStringLiteral("doThumbnailtimeOut"));
}

void ThumbnailServerWraper::selectVideoToThumbnail(bool next)
{
    if (next) {
        m_thumbnaliingDic.reset();
        while (!m_arrThumbnail.isEmpty()) {
            Request candidate = m_arrThumbnail.takeFirst();
            if (!fileExists(candidate.videoPath))
                continue;  // gone while it waited
            candidate.videoTime = 1;
            m_thumbnaliingDic = candidate;
            connectThumbnailProcessToStart(*m_thumbnaliingDic);
            return;
        }
        return;
    }
    // Again: also when nothing else waits, or the current request would never be answered.
    if (!m_thumbnaliingDic)
        return;
    if (m_thumbnaliingDic->videoTime >= MaxTries) {
        ScribletLogError(QStringLiteral("no thumbnail of %1 after %2 tries; restarting the tool")
                             .arg(m_thumbnaliingDic->videoPath)
                             .arg(m_thumbnaliingDic->videoTime));
        m_thumbnaliingDic.reset();
        establishConnection();
        return;
    }
    ++m_thumbnaliingDic->videoTime;
    ScribletLogInfo(QStringLiteral("==>> starting Thumbnail try time = %1").arg(m_thumbnaliingDic->videoTime));
    if (fileExists(m_thumbnaliingDic->videoPath))
        connectThumbnailProcessToStart(*m_thumbnaliingDic);
    else
        selectVideoToThumbnail(true);
}

void ThumbnailServerWraper::onToolMessage(const QString &message, const QByteArray &object)
{
    if (message == QLatin1String(ThumbnailDidConnected)) {
        thumbnailDidConnected(unarchiveString(object));
    } else if (message == QLatin1String(ThumbnailDidCaptured)) {
        const QVariantMap answer = unarchiveDictionary(object);
        thumbnailDidCapturedTo(answer.value(QStringLiteral("thumbnailPath")).toString(),
                               answer.value(QStringLiteral("filePath")).toString());
    } else if (message == QLatin1String(SetClientLive)) {
        setClientLive();
    }
}

void ThumbnailServerWraper::thumbnailDidConnected(const QString &capturerName)
{
    ScribletLogInfo(QStringLiteral("thumbnail child process sever name = %1").arg(capturerName));
    QString error;
    m_proxy = NamedConnection::connectTo(capturerName, 2000, &error);
    if (!m_proxy) {
        ScribletLogError(QStringLiteral("no thumbnail capturer %1: %2").arg(capturerName, error));
        return;
    }
    // A request made before the tool was ready goes out now rather than after a time-out.
    if (m_thumbnaliingDic && !m_currentSent && fileExists(m_thumbnaliingDic->videoPath)) {
        stopThumbnailTimer();
        connectThumbnailProcessToStart(*m_thumbnaliingDic);
    }
}

void ThumbnailServerWraper::thumbnailDidCapturedTo(const QString &thumbnailPath, const QString &videoPath)
{
    QPointer<ThumbnailServerWraper> self(this);
    dispatch::async_main([self, thumbnailPath, videoPath]() {
        if (self)
            self->deliver(thumbnailPath, videoPath);
    });
}

void ThumbnailServerWraper::deliver(const QString &thumbnailPath, const QString &videoPath)
{
    stopThumbnailTimer();
    m_blThumbnailing = false;
    if (!fileExists(thumbnailPath)) {
        selectVideoToThumbnail(false);
        return;
    }
    if (m_thumbnaliingDic) {
        const qint64 id = m_thumbnaliingDic->videoID;
        const int type = m_thumbnaliingDic->typeID;
        if (type == 0) {
            if (auto r = m_downloadingDelegate.lock())
                r->getThumbnailPath(thumbnailPath, videoPath, id, 0);
        } else if (type == 1) {
            for (const auto &weak : {m_downloadedDelegate, m_recordDelegate, m_converterDelegate, m_transferDelegate})
                if (auto r = weak.lock())
                    r->getThumbnailPath(thumbnailPath, videoPath, id, 1);
        }
    }
    selectVideoToThumbnail(true);
}

int ThumbnailServerWraper::videoPathForID(const QString &path) const
{
    if (m_arrThumbnail.isEmpty() || m_arrThumbnail.first().videoPath != path)
        return -1;
    return int(m_arrThumbnail.first().videoID);
}

int ThumbnailServerWraper::videoPathForTypeID(const QString &path) const
{
    if (m_arrThumbnail.isEmpty() || m_arrThumbnail.first().videoPath != path)
        return -1;
    return m_arrThumbnail.first().typeID;
}

void ThumbnailServerWraper::analystIsDie(bool bySignal, int exitCode)
{
    if (sender() != m_task)
        return;
    disconnect(m_task, nullptr, this, nullptr);
    if (bySignal) {
        ScribletLogError(QStringLiteral("-->>ThumbnailConsole exit unnormally."));
        stopProcess();
        m_restartTimer.start(m_restartDelayMs);
    } else {
        ScribletLogInfo(QStringLiteral("-->>ThumbnailConsole exit normally. (%1)").arg(exitCode));
    }
}

void ThumbnailServerWraper::stopProcess()
{
    m_blThumbnailing = false;
    m_currentSent = false;
    m_restartTimer.stop();
    if (m_task) {
        disconnect(m_task, nullptr, this, nullptr);
        m_task->end();
        m_task->deleteLater();
        m_task = nullptr;
    }
    if (m_proxy) {
        m_proxy->invalidate();
        m_proxy.release()->deleteLater();
    }
}

void ThumbnailServerWraper::terminateThumbnailProc()
{
    if (!m_task)
        return;
    m_downloadedDelegate.reset();
    m_downloadingDelegate.reset();
    stopProcess();
}
