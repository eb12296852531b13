#include "reelgrab/QVReelgrabService.h"

#include "engine/Corvidash.h"
#include "platform/AppPaths.h"
#include "platform/DefaultBrowser.h"
#include "platform/Dispatch.h"
#include "platform/FileLock.h"
#include "platform/PrivateFolder.h"
#include "platform/PropertyList.h"
#include "platform/SafeFileReader.h"
#include "reelgrab/DirectMedia.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/EngineProbe.h"
#include "reelgrab/Func.h"
#include "reelgrab/GUID.h"
#include "reelgrab/MediaFormatCode.h"
#include "reelgrab/QVReelgrabAdjuster.h"
#include "reelgrab/RGKMessage.h"
#include "reelgrab/SyncHttp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

using LogInitFn = int (*)(const char *);
using LogLevelFn = void (*)(int);
using LogFreeFn = void (*)();
using CookiesFn = const char *(*)(const char *, const char *);

const QString kYouTube = QStringLiteral("youtube.com");
const QString kYouTubeShort = QStringLiteral("youtu.be");

// Engine code for a helper that has no engine to run: "Faile To Init".
constexpr qint64 EngineInitFailed = 1002;
// Engine code for a segment without a place to be written: "File error".
constexpr qint64 EngineFileError = 1006;

} // namespace

QVReelgrabService::QVReelgrabService(const QString &libPath, const QString &logFileID, QObject *parent)
    : QObject(parent), m_libPath(libPath), m_logFileID(logFileID)
{
    // The engine and the ~30 libraries it links take longer to open than anything else at the
    // start; the connection, the client's first messages and the first request go on meanwhile.
    QPointer<QVReelgrabService> self(this);
    m_libraryLoad = EngineLibrary::openInBackground(libPath, [self]() {
        // Engine runs go to the shared pool: its first thread is made now, beside the main
        // thread's work, instead of when the download starts.
        dispatch::global(dispatch::Priority::Low, []() {});
        dispatch::async_main([self]() {
            if (self)
                self->prepareEngine();
        });
    });
}

void QVReelgrabService::prepareEngine()
{
    if (!libHandle())
        return;
    reelgraber();
    if (!m_defaultBrowser)
        m_defaultBrowser = DefaultBrowser::desktopEntry();
}

void *QVReelgrabService::libHandle()
{
    if (m_libraryReady)
        return m_libHandle;
    const EngineLibrary::Load load = m_libraryLoad.get();
    m_libraryReady = true;
    m_libHandle = load.handle;
    Func(FuncLogInfo, QStringLiteral("initWithLibPath _libHandle:%1").arg(quintptr(m_libHandle), 0, 16));
    if (!m_libHandle) {
        Func(FuncLogError, QStringLiteral("Reelgrab could not open the engine library %1: %2").arg(m_libPath, load.error));
        return nullptr;
    }
    auto logInit = EngineLibrary::symbol<LogInitFn>(m_libHandle, "ALogInit");
    auto logLevel = EngineLibrary::symbol<LogLevelFn>(m_libHandle, "ALogSetLevel");
    fLogDFunc = EngineLibrary::symbol<LogDFunction>(m_libHandle, "LogD");
    if (logInit && logLevel) {
        const QString folder = AppPaths::reelgrabKitLogs();
        AppPaths::ensureFolder(folder);
        const QString id = m_logFileID.isEmpty() ? QStringLiteral("standalone") : QFileInfo(m_logFileID).fileName();
        logInit(QFile::encodeName(QDir(folder).filePath(QStringLiteral("%1-%2.log").arg(id, QStringLiteral("core")))).constData());
        logLevel(2);
    }
    Func(FuncLogInfo, QStringLiteral("ReelgrabService(%1) Load Library From %2 Successed.").arg(::getpid()).arg(m_libPath));
    return m_libHandle;
}

bool QVReelgrabService::isLibraryLoaded()
{
    return libHandle() != nullptr;
}

QVReelgrabService::~QVReelgrabService()
{
    unlockTarget();
    m_mediaSniffer.reset();
    m_reelgraber.reset();
    if (m_libHandle) {
        fLogDFunc = nullptr;
        if (auto logFree = EngineLibrary::symbol<LogFreeFn>(m_libHandle, "ALogFree"))
            logFree();
        // The engine may still hold threads of its own; keep its code mapped until exit.
    }
}

QVariantMap QVReelgrabService::preferences() const
{
    // Asked for at every segment and step: read the file again only when it is another file or
    // has been written since (an atomic replace gives a new inode).
    PreferencesCache &cache = m_preferencesCache;
    struct stat st{};
    if (m_preferencesFilePath.isEmpty() || ::stat(QFile::encodeName(m_preferencesFilePath).constData(), &st) != 0
        || !S_ISREG(st.st_mode)) {
        cache = {};
        return {};
    }
    QByteArray stamp;
    for (const qint64 v : {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                           qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)})
        stamp.append(reinterpret_cast<const char *>(&v), sizeof v);
    if (cache.path == m_preferencesFilePath && cache.stamp == stamp)
        return cache.values;
    // File times are coarse (a few milliseconds): two writes of the same length close together
    // can leave the same stamp. A file written within the last second is read each time.
    struct timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const bool settled = now.tv_sec - st.st_mtim.tv_sec > 1 && now.tv_sec - st.st_ctim.tv_sec > 1;
    cache.path = m_preferencesFilePath;
    cache.stamp = settled ? stamp : QByteArray();
    cache.values = PropertyList::readFile(m_preferencesFilePath, nullptr, PropertyList::OnDamage::Keep).toMap();
    return cache.values;
}

QString QVReelgrabService::toolPath(const char *key, const char *fallbackProgram) const
{
    const QString path = preferences().value(QString::fromLatin1(key)).toString();
    if (!path.isEmpty() || !fallbackProgram)
        return path;
    return QStandardPaths::findExecutable(QString::fromLatin1(fallbackProgram));
}

void QVReelgrabService::send(const char *name, const QByteArray &object)
{
    if (m_delegate)
        m_delegate->sendMessage(QString::fromLatin1(name), object);
}

QVReelgraber *QVReelgrabService::reelgraber()
{
    if (!m_reelgraber) {
        m_reelgraber = std::make_unique<QVReelgraber>(libHandle());
        m_reelgraber->setDelegate(this);
    }
    return m_reelgraber.get();
}

QVMediaSniffer *QVReelgrabService::mediaSniffer()
{
    if (!m_mediaSniffer) {
        m_mediaSniffer = std::make_unique<QVMediaSniffer>(libHandle());
        m_mediaSniffer->setDelegate(this);
    }
    const QVariant budget = preferences().value(QStringLiteral("download-webview-seconds"));
    if (budget.isValid())
        m_mediaSniffer->setWebViewBudget(budget.toFloat());
    return m_mediaSniffer.get();
}

QVSniffingMediaSegment *QVReelgrabService::currentSegment()
{
    return m_downloadTask ? m_downloadTask->segmentAt(m_downloadingSegment) : nullptr;
}

void QVReelgrabService::sendMessage(const QString &name, const QByteArray &object)
{
    if (name == QLatin1String(RGKMessage::ReelgrabPreferences)) {
        if (const auto path = RGKMessage::stringFromArchive(object))
            m_preferencesFilePath = *path;
    } else if (name == QLatin1String(RGKMessage::AttachDownloadTask)) {
        QString error;
        std::unique_ptr<QVReelgrabTask> task = QVReelgrabTask::taskWithArchive(object, &error);
        Func(FuncLogInfo, QStringLiteral("receive log%1").arg(task ? task->guid() : error));
        if (!task)
            return;
        Func(FuncLogInfo, QStringLiteral("in task"));
        m_retrySpeedOff = false;
        m_retryClearTmpDir = false;
        m_retryCount = RetryCount;
        m_timeOutsLeft = RetryCount;
        m_furthestBytes.clear();
        attachDownloadTask(std::move(task));
    } else if (name == QLatin1String(RGKMessage::PauseDownloadTask)) {
        pauseDownloadTask();
    } else if (name == QLatin1String(RGKMessage::ResumeDownloadTask)) {
        resumeDownloadTask();
    } else {
        Func(FuncLogError, QStringLiteral("Unknow Message Named \"%1\" Reviceive").arg(name));
    }
}

quint32 QVReelgrabService::formatForDirectMime(const QString &mime)
{
    return DirectMedia::formatForMime(mime);
}

QPair<QString, QString> QVReelgrabService::suggestedNameParts(const QString &suggested)
{
    // A server may suggest "../../x" or "a/b.sh": only the last component counts, and only a
    // media extension survives.
    QString name = suggested;
    name.replace(u'\\', u'/');
    name = name.section(u'/', -1);
    name.remove(QChar(0));
    const QFileInfo info(name);
    QString ext = info.suffix().toLower();
    QString base = info.completeBaseName();
    if (!DirectMedia::ofName(name).media) {
        ext.clear();
        base = name;
    }
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        base.clear();
    return {base, ext};
}

void QVReelgrabService::attachDownloadTask(std::unique_ptr<QVReelgrabTask> task)
{
    if (!task) {
        Func(FuncLogError, QStringLiteral("attach DownloadTask faile without any task."));
        return;
    }
    m_downloadTask = std::move(task);
    QVReelgrabTask *t = m_downloadTask.get();
    if (!libHandle() || !reelgraber()->isUsable()) {
        // Nothing could ever download this task: say so instead of waiting for ever.
        Func(FuncLogError, QStringLiteral("dylib handle is nil"));
        finalFailure(QVReelgrabError::reelgrab(EngineInitFailed,
                                               QStringLiteral("The download engine %1 could not be loaded.").arg(m_libPath)));
        return;
    }
    if (!t->segments().isEmpty()) {
        if (t->cookies().isEmpty())
            t->setCookies(getCookies());
        QList<QVSniffingMediaSegment> segments = t->segments();
        for (auto &s : segments)
            if (s.downloadStatus() != QVReelgrabTaskStatusCompleted)
                s.setDownloadStatus(QVReelgrabTaskStatusWaiting);
        t->setSegments(segments);
        t->synchronizeSubtitle();
        downloadNextSegments();
        return;
    }
    // Cookies handed over with the page (by the browser extension or an address) belong to its
    // host: they stay, after what the browser's store gives, so a name in both keeps the value
    // that came with the page.
    const QString handedOver = QVReelgrabAdjuster::scopeCookies(t->cookies(), t->pageUrl());
    t->setCookies(QVReelgrabAdjuster::scopeCookies(getCookies(), t->pageUrl()) + handedOver);
    // A task without segments starts with a probe of its address, asked of the engine's own
    // client on this thread; an engine without one leaves it to the network thread.
    QElapsedTimer probeClock;
    probeClock.start();
    const std::optional<SyncHttp::Response> engineProbe = EngineProbe::head(m_libHandle, t->pageUrl(), probeTimeoutMs());
    SyncHttp::Response probe = engineProbe ? *engineProbe : SyncHttp::head(t->pageUrl(), probeTimeoutMs());
    const auto answered = [](const SyncHttp::Response &r) { return r.ok && r.status / 100 == 2; };
    QString mime = answered(probe) ? probe.mimeType : QString();
    std::optional<QByteArray> head;
    if (DirectMedia::isNeutralType(mime)) {
        // The type says nothing: the first bytes and the name decide. A server that refuses
        // HEAD is described by this answer instead.
        // Both probes share one time-out: a silent server is not waited for twice.
        const int left = probeTimeoutMs() - int(probeClock.elapsed());
        SyncHttp::Response first;
        if (left > 0) {
            const auto fromEngine = EngineProbe::firstBytes(m_libHandle, t->pageUrl(), DirectMedia::HeadBytes, left);
            first = fromEngine ? *fromEngine : SyncHttp::firstBytes(t->pageUrl(), DirectMedia::HeadBytes, left);
        }
        if (answered(first)) {
            if (!answered(probe)) {
                probe = first;
                probe.contentLength = first.status == 206 ? -1 : first.contentLength;
                mime = first.mimeType;
            }
            head = first.body;
        }
    }
    const DirectMedia::Verdict verdict =
        DirectMedia::decide(mime, head ? &*head : nullptr, probe.suggestedFileName, t->pageUrl());
    if (verdict.media) {
        t->setDownloadStatus(QVReelgrabTaskStatusDownloading);
        const auto [base, ext] = suggestedNameParts(probe.suggestedFileName);
        const quint32 format = verdict.format;
        QString extension = ext;
        if (extension.isEmpty())
            extension = !verdict.extension.isEmpty() ? verdict.extension
                        : format                     ? MediaFormatCode::extName(format)
                                                     : QStringLiteral("mp4");
        t->setMediaTitle(base);
        t->setMediaExtName(extension);
        QVSniffingMediaSegment segment;
        segment.setUrl(t->pageUrl());
        segment.setBytes(probe.contentLength);
        segment.setMediaFormat(format);
        t->setSegments({segment});
        adoptResumableTarget();
        lockTarget(t->targetFileName()); // reserves the name with an empty placeholder
        downloadNextSegments();
        return;
    }
    QVMediaSniffer *sniffer = mediaSniffer();
    const QString pageUrl = t->pageUrl();
    const QString cookies = t->cookies();
    const QString userAgent = t->userAgent();
    dispatch::global(dispatch::Priority::High,
                     [sniffer, pageUrl, cookies, userAgent]() { sniffer->sniffingPageUrl(pageUrl, cookies, userAgent); });
}

QString QVReelgrabService::getCookies()
{
    if (!libHandle()) {
        Func(FuncLogError, QStringLiteral("dylib handle is nil"));
        return {};
    }
    if (!m_downloadTask)
        return {};
    QStringList browsers{QStringLiteral("chrome"), QStringLiteral("firefox"), QStringLiteral("safari")};
    const QString browser = m_downloadTask->browser();
    if (!browser.isEmpty()) {
        browsers.prepend(browser);
        Func(FuncLogInfo, QStringLiteral("insert plugin browser:%1 to get cookies").arg(browser));
    } else {
        // Looked up once per helper; a retry asks again for the cookies, not for the browser.
        if (!m_defaultBrowser)
            m_defaultBrowser = DefaultBrowser::desktopEntry();
        const QString front = QVMediaSniffer::cookieSource(*m_defaultBrowser);
        browsers.prepend(front);
        Func(FuncLogInfo, QStringLiteral("insert default browser %1 to get cookies!").arg(front));
    }
    QString cookies;
    if (auto get = EngineLibrary::symbol<CookiesFn>(m_libHandle, "GetWebBrowserCookies")) {
        const QByteArray page = m_downloadTask->pageUrl().toUtf8();
        for (const QString &name : browsers) {
            const char *text = get(name.toUtf8().constData(), page.constData());
            cookies = text ? QString::fromUtf8(text) : QString();
            if (cookies.startsWith(QStringLiteral("fennix_exception:"))) {
                Func(FuncLogError, QStringLiteral("Get Cookies exception: %1").arg(cookies));
                cookies.clear();
            }
            if (cookies.size() >= 2) {
                Func(FuncLogInfo, QStringLiteral("get cookies from %1").arg(name));
                break;
            }
        }
    }
    const QString page = m_downloadTask->pageUrl();
    cookies = QVReelgrabAdjuster::adjustCookies(cookies, page);
    if ((page.contains(kYouTube) || page.contains(kYouTubeShort)) && cookies.size() > YouTubeCookieLimit) {
        Func(FuncLogInfo, QStringLiteral("youtube cookies length %1,  clear it").arg(cookies.size()));
        cookies.clear();
    }
    return cookies;
}

bool QVReelgrabService::isTurboTask() const
{
    return preferences().value(QStringLiteral("download-speedup")).toBool() && m_downloadTask
        && m_downloadTask->isSiteof(QStringLiteral("youtube"));
}

bool QVReelgrabService::downloadNextSegments()
{
    if (!m_downloadTask)
        return false;
    QVReelgrabTask *t = m_downloadTask.get();
    qsizetype index = -1;
    for (qsizetype i = 0; i < t->segments().size(); ++i)
        if (t->segments()[i].downloadStatus() != QVReelgrabTaskStatusCompleted) {
            index = i;
            break;
        }
    if (index < 0)
        return false;
    const QString savePath = t->savePath4Segment(index);
    if (savePath.isEmpty()) {
        finalFailure(QVReelgrabError::reelgrab(EngineFileError, QStringLiteral("No place to write the download.")));
        return true;
    }
    t->segmentAt(index)->setSavePath(savePath);
    const QVSniffingMediaSegment &segment = t->segments()[index];
    QVReelgraber *binding = reelgraber();
    binding->setCookies(QVReelgrabAdjuster::scopeCookies(t->cookies(), t->pageUrl()));
    binding->setUserAgent(t->userAgent());
    binding->setDownloadUrl(segment.url());
    binding->setSavePath(savePath);
    const bool turbo = isTurboTask() && !m_retrySpeedOff;
    Func(FuncLogInfo, QStringLiteral("download with speedup:%1, resume:%2").arg(int(turbo)).arg(int(m_bResume)));
    m_downloadingSegment = index;
    m_attemptBytes = 0;
    if (!binding->download(turbo, m_bResume))
        finalFailure(QVReelgrabError::reelgrab(EngineInitFailed, QStringLiteral("The download engine cannot run.")));
    return true;
}

void QVReelgrabService::pauseDownloadTask()
{
    if (m_downloadTask && m_downloadTask->downloadStatus() == QVReelgrabTaskStatusDownloading && !m_postProcessing)
        reelgraber()->pause();
}

void QVReelgrabService::resumeDownloadTask()
{
    if (!m_downloadTask || m_downloadTask->downloadStatus() != QVReelgrabTaskStatusPaused)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusDownloading);
    downloadNextSegments();
}

// --- sniffer events ---

void QVReelgrabService::sniffingDidStarted(QVMediaSniffer *)
{
    if (!m_downloadTask)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusSniffing);
    send(RGKMessage::SniffingStarted);
}

void QVReelgrabService::sniffingInProgress(QVMediaSniffer *, float progress)
{
    if (m_downloadTask && m_downloadTask->downloadStatus() == QVReelgrabTaskStatusSniffing)
        send(RGKMessage::SniffingSniffing, RGKMessage::archiveNumber(progress));
}

void QVReelgrabService::sniffingDidCompleted(QVMediaSniffer *, const QVMediaSniffingResult &result)
{
    if (!m_downloadTask)
        return;
    QVReelgrabTask *t = m_downloadTask.get();
    Func(FuncLogInfo, QStringLiteral("Sniffing Did Completed With Result:%1").arg(result.description()));
    t->setSniffingResult(result);
    if (t->segments().isEmpty()) {
        t->setDownloadStatus(QVReelgrabTaskStatusSniffingFailed);
        send(RGKMessage::SniffingFailed, RGKMessage::archiveError(QVReelgrabError::reelgrab(QVReelgrabError::NoMediaFound)));
        return;
    }
    t->setDownloadStatus(QVReelgrabTaskStatusDownloading);
    adoptResumableTarget();
    t->synchronizeSubtitle();
    lockTarget(t->targetFileName()); // reserves the name with an empty placeholder
    send(RGKMessage::SniffingCompleted, t->archivedData());
    downloadNextSegments();
}

void QVReelgrabService::sniffingDidFailed(QVMediaSniffer *, const QVReelgrabError &error)
{
    if (!m_downloadTask || m_downloadTask->downloadStatus() == QVReelgrabTaskStatusSniffingFailed)
        return; // a late page error after the failure was already told
    if (m_downloadTask->downloadStatus() != QVReelgrabTaskStatusSniffing
        && m_downloadTask->downloadStatus() != QVReelgrabTaskStatusQueued)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusSniffingFailed);
    const QVReelgrabError e = error.isNull() ? QVReelgrabError::reelgrab(QVReelgrabError::NoMediaFound) : error;
    Func(FuncLogError, QStringLiteral("sniffing %1 failed: %2").arg(m_downloadTask->pageUrl(), e.reason()));
    send(RGKMessage::SniffingFailed, RGKMessage::archiveError(e));
}

void QVReelgrabService::sniffingDidCanceled(QVMediaSniffer *)
{
    if (m_downloadTask)
        m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusCancelled);
}

// --- engine events ---

void QVReelgrabService::downloadDidStarted(QVReelgraber *)
{
    if (!m_downloadTask)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusDownloading);
    if (auto *s = currentSegment())
        s->setDownloadStatus(QVReelgrabTaskStatusDownloading);
    send(RGKMessage::DownloadStarted, m_downloadTask->archivedData());
}

void QVReelgrabService::downloadDidProcessing(QVReelgraber *, qint64 speed, qint64 downloadSize, qint64 totalSize)
{
    if (!m_downloadTask || m_downloadTask->downloadStatus() != QVReelgrabTaskStatusDownloading)
        return;
    m_attemptBytes = std::max(m_attemptBytes, downloadSize);
    if (downloadSize > m_furthestBytes.value(m_downloadingSegment) + ProgressResetsRetries)
        m_retryCount = RetryCount;
    m_bResume = true;
    if (auto *s = currentSegment()) {
        s->setDownloadedBytes(downloadSize);
        s->setDownloadSpeed(speed);
        if (totalSize != 2147483647)
            s->setBytes(totalSize);
    }
    send(RGKMessage::DownloadDownloading, RGKMessage::archiveSegments(m_downloadTask->segments()));
}

void QVReelgrabService::downloadDidCompleted(QVReelgraber *)
{
    if (!m_downloadTask)
        return;
    if (auto *s = currentSegment()) {
        s->setDownloadStatus(QVReelgrabTaskStatusCompleted);
        s->setDownloadSpeed(0);
    }
    if (downloadNextSegments())
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusCompleted);
    send(RGKMessage::DownloadCompleted);
    startPostProcessing();
}

void QVReelgrabService::startPostProcessing()
{
    QVReelgrabTask *t = m_downloadTask.get();
    QVReelgrabPostProcessor::Job job;
    job.segments = t->segments();
    job.downloadContent = t->downloadContent();
    job.target = t->targetFileName();
    job.pageUrl = t->pageUrl();
    job.guid = t->guid();
    if (const auto *s = currentSegment())
        job.currentSegmentPath = s->savePath();
    job.ffmpegPath = toolPath("download-ffmpeg", "ffmpeg");
    job.swiftcarryPath = toolPath("download-swiftcarry", nullptr);
    const qsizetype count = job.segments.size();
    if (count == 1)
        job.engineBytes = reelgraber()->downloadedBytes();
    m_postProcessing = true;
    QPointer<QVReelgrabService> self(this);
    // The tools may run for minutes: off the main thread, the result handed back to it.
    dispatch::global(dispatch::Priority::Default, [self, job, count]() {
        const QVReelgrabPostProcessor::Result result = QVReelgrabPostProcessor::run(job);
        dispatch::async_main([self, result, count]() {
            if (self)
                self->postProcessingDone(result, count);
        });
    });
}

void QVReelgrabService::postProcessingDone(const QVReelgrabPostProcessor::Result &result, qsizetype segmentCount)
{
    m_postProcessing = false;
    if (result.ok) {
        if (segmentCount > 1)
            clearWorkFolder();
        send(RGKMessage::DownloadFinished, RGKMessage::archiveString(result.path));
        return;
    }
    const QVReelgrabError error = QVReelgrabError::reelgrab(QVReelgrabError::OutputMissingOrTooSmall);
    if (segmentCount < 2) {
        discardEmptyFiles();
        send(RGKMessage::DownloadFailed, RGKMessage::archiveError(error));
    }
    else
        handleFailure(error, true);
}

void QVReelgrabService::adoptResumableTarget()
{
    QVReelgrabTask *t = m_downloadTask.get();
    if (!t->storedTargetFileName().isEmpty() || t->targetFilePath().isEmpty())
        return;
    // An earlier run that was killed left its reserved (empty) name, with the engine's state
    // beside it or in that run's work folder: continue there instead of starting a second copy.
    const QString candidate = QDir(t->targetFilePath()).filePath(QStringLiteral("%1.%2").arg(t->mediaFileName(), t->mediaExtName()));
    const QFileInfo info(candidate);
    if (!info.isFile() || info.size() != 0)
        return;
    // A run that is still alive holds its name: leave it alone and reserve a name of our own.
    if (!lockTarget(candidate)) {
        Func(FuncLogInfo, QStringLiteral("%1 is being downloaded by another helper").arg(candidate));
        return;
    }
    if (QFileInfo::exists(candidate + QStringLiteral(".cvctl"))) {
        t->setTargetFileName(candidate);
        return;
    }
    const QString folder = resumableWorkFolder(info.completeBaseName());
    if (folder.isEmpty()) {
        unlockTarget();
        return;
    }
    Func(FuncLogInfo, QStringLiteral("continue the download kept in %1").arg(folder));
    t->setGuid(QFileInfo(folder).fileName());
    t->setTargetFileName(candidate);
}

bool QVReelgrabService::lockTarget(const QString &path)
{
    if (m_targetLock.isLocked())
        return true;
    // The lock sits on the reserved file itself: nothing extra on disk, and a killed helper's
    // lock is gone with it.
    QString error;
    switch (m_targetLock.tryLock(path, FileLock::Open::Existing, &error)) {
    case FileLock::Result::Locked:
    case FileLock::Result::Missing: // nothing there to take over
        return true;
    case FileLock::Result::Busy:
        return false;
    case FileLock::Result::Failed:
        break;
    }
    Func(FuncLogError, error);
    return true;
}

void QVReelgrabService::unlockTarget()
{
    m_targetLock.unlock();
}

QString QVReelgrabService::resumableWorkFolder(const QString &baseName) const
{
    // A work folder is taken over only when it is named like a task's and the engine's state
    // in it is for one of this task's addresses under this task's file name.
    QStringList urls;
    for (const auto &s : m_downloadTask->segments())
        urls << s.url();
    const QString rootPath = QVReelgrabTask::workRoot();
    if (rootPath.isEmpty())
        return {};
    const QDir root(rootPath);
    for (const QFileInfo &dir : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!isGUID(dir.fileName()) || dir.isSymLink())
            continue;
        for (const QFileInfo &ctl : QDir(dir.filePath()).entryInfoList({QStringLiteral("*.cvctl")}, QDir::Files)) {
            if (!ctl.fileName().startsWith(baseName) || ctl.size() > 64 * 1024)
                continue;
            QFile file(ctl.filePath());
            if (!SafeFileReader::open(file))
                continue;
            for (const QByteArray &line : file.readAll().split('\n'))
                if (line.startsWith("url ") && urls.contains(QString::fromUtf8(line.mid(4))))
                    return dir.filePath();
        }
    }
    return {};
}

void QVReelgrabService::clearWorkFolder()
{
    // Only the task's own folder, named by its identifier in the private work root; a link
    // found there is removed as a link, never followed.
    if (!m_downloadTask || !isGUID(m_downloadTask->guid()))
        return;
    const QString root = QVReelgrabTask::workRoot();
    QString error;
    if (!root.isEmpty() && !PrivateFolder::removeTree(root, m_downloadTask->workFolder(), &error))
        Func(FuncLogError, QStringLiteral("work folder not cleared: %1").arg(error));
}

void QVReelgrabService::downloadDidFailed(QVReelgraber *, const QVReelgrabError &error)
{
    handleFailure(error, false);
}

void QVReelgrabService::handleFailure(const QVReelgrabError &error, bool fromPostProcessing)
{
    if (!m_downloadTask)
        return;
    // Only the service's own post-processing failure takes this road; an engine code that
    // happens to be 4 is an ordinary engine failure.
    if (fromPostProcessing && error.code() == QVReelgrabError::OutputMissingOrTooSmall) {
        if (isTurboTask() && !m_retryClearTmpDir) {
            m_retrySpeedOff = true;
            m_retryClearTmpDir = true;
            m_bResume = false;
            Func(FuncLogError, QStringLiteral("downloadDidFailed with Combine InvalidMedia, retry download with single thread."));
            clearWorkFolder();
            QList<QVSniffingMediaSegment> segments = m_downloadTask->segments();
            for (auto &s : segments)
                s.setDownloadStatus(QVReelgrabTaskStatusWaiting);
            m_downloadTask->setSegments(segments);
            attachDownloadTask(std::move(m_downloadTask));
            return;
        }
        finalFailure(error);
        return;
    }
    // What the next attempt must pass to count as progress.
    qint64 &furthest = m_furthestBytes[m_downloadingSegment];
    furthest = std::max(furthest, m_attemptBytes);
    // Failures that another attempt cannot mend end the task at once: a full disk (retrying
    // would only fill it again up to its reserve), a refusal or missing media, a bad address.
    static const QList<qint64> lasting{CORVIDASH_INVALID_URL,         CORVIDASH_ACCESS_DENIED,
                                       CORVIDASH_WRITE_FAILED,        CORVIDASH_UNSUPPORTED_PROTOCOL,
                                       CORVIDASH_MALFORMED_URL,       CORVIDASH_FILE_ERROR,
                                       CORVIDASH_LIVE_STREAM};
    if (error.domain() == QLatin1String(QVReelgrabError::Domain) && lasting.contains(error.code())) {
        finalFailure(error);
        return;
    }
    if (error.domain() == QLatin1String(QVReelgrabError::Domain) && error.code() == CORVIDASH_TIMED_OUT && --m_timeOutsLeft <= 0) {
        finalFailure(error);
        return;
    }
    --m_retryCount;
    if (m_retryCount > 0) {
        Func(FuncLogError, QStringLiteral("downloadDidFailed, retry download"));
        retryLater();
        return;
    }
    if (isTurboTask() && !m_retrySpeedOff) {
        m_retryCount = RetryCount;
        m_bResume = false;
        m_retrySpeedOff = true;
        Func(FuncLogError, QStringLiteral("downloadDidFailed, SpeedOff retry download"));
        retryLater();
        return;
    }
    finalFailure(error);
}

void QVReelgrabService::retryLater()
{
    int base = RetryDelayMs;
    bool ok = false;
    if (const int set = qEnvironmentVariableIntValue("REELGRAB_RETRY_DELAY_MS", &ok); ok && set >= 0)
        base = set;
    // 1 s before the second attempt, 2 s before the third: a server that is briefly gone gets
    // time to come back, and a run of failures costs seconds, not a storm of requests. Time-outs
    // count alike, however much each attempt got.
    const int delay = base << std::clamp(RetryCount - 1 - std::min(m_retryCount, m_timeOutsLeft), 0, 4);
    QPointer<QVReelgrabService> self(this);
    QTimer::singleShot(delay, this, [self]() {
        if (self && self->m_downloadTask)
            self->attachDownloadTask(std::move(self->m_downloadTask));
    });
}

int QVReelgrabService::probeTimeoutMs()
{
    bool ok = false;
    const int stall = qEnvironmentVariableIntValue("CORVIDASH_STALL_SECONDS", &ok);
    return ok && stall > 0 ? std::min(ProbeTimeoutMs, stall * 1000) : ProbeTimeoutMs;
}

void QVReelgrabService::discardEmptyFiles()
{
    QVReelgrabTask *t = m_downloadTask.get();
    if (!t)
        return;
    // Nothing under the user's name may look like a download that is not there: the reserved
    // empty target goes, and so do engine part files that hold no byte to resume from.
    QStringList paths{t->storedTargetFileName()};
    for (const auto &seg : t->segments())
        paths << seg.savePath();
    for (const QString &path : std::as_const(paths)) {
        if (path.isEmpty())
            continue;
        const QFileInfo part(path + QStringLiteral(".cvpart"));
        if (part.isFile() && !part.isSymLink() && part.size() == 0) {
            QFile::remove(part.filePath());
            QFile::remove(path + QStringLiteral(".cvctl"));
        }
        const QFileInfo file(path);
        // A retry resumes from the part files beside the name, which the task keeps.
        if (file.isFile() && !file.isSymLink() && file.size() == 0)
            QFile::remove(path);
    }
}

void QVReelgrabService::finalFailure(const QVReelgrabError &error)
{
    QVReelgrabTask *t = m_downloadTask.get();
    discardEmptyFiles();
    Func(FuncLogError, QStringLiteral("download of %1 failed: %2").arg(t->pageUrl(), error.reason()));
    t->setDownloadStatus(QVReelgrabTaskStatusFailed);
    if (auto *s = currentSegment()) {
        s->setDownloadStatus(QVReelgrabTaskStatusFailed);
        s->setDownloadSpeed(0);
    }
    removeEmptyPlaceholder();
    t->setSniffingResult(QVMediaSniffingResult());
    t->setSegments({});
    m_downloadingSegment = -1;
    send(RGKMessage::DownloadFailed, RGKMessage::archiveError(error));
}

void QVReelgrabService::removeEmptyPlaceholder()
{
    // The empty file that reserved the name goes with a failed download, unless resume data
    // (beside it or in the work folder) still needs the name for the next run.
    const QString target = m_downloadTask->targetFileName();
    if (target.isEmpty())
        return;
    const QByteArray native = QFile::encodeName(target);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0)
        return;
    // Control data, or partial bytes, are worth keeping; an empty partial file is not.
    const QFileInfo part(target + QStringLiteral(".cvpart"));
    if (QFileInfo::exists(target + QStringLiteral(".cvctl")) || (part.exists() && (part.isSymLink() || part.size() > 0)))
        return;
    const QString work = m_downloadTask->workFolder();
    if (!work.isEmpty() && !QDir(work).entryList({QStringLiteral("*.cvctl")}, QDir::Files).isEmpty())
        return;
    if (part.exists())
        ::unlink(QFile::encodeName(part.filePath()).constData());
    if (::unlink(native.constData()) == 0)
        Func(FuncLogInfo, QStringLiteral("removed the empty %1 of the failed download").arg(target));
    unlockTarget();
}

void QVReelgrabService::downloadWillPause(QVReelgraber *)
{
    if (!m_downloadTask)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusPaused);
    if (auto *s = currentSegment()) {
        s->setDownloadStatus(QVReelgrabTaskStatusPaused);
        s->setDownloadSpeed(0);
    }
    send(RGKMessage::DownloadWillPause);
}

void QVReelgrabService::downloadDidPaused(QVReelgraber *)
{
    if (!m_downloadTask)
        return;
    // A resume may already have come in; then the task is downloading again.
    if (m_downloadTask->downloadStatus() == QVReelgrabTaskStatusPaused)
        if (auto *s = currentSegment()) {
            s->setDownloadStatus(QVReelgrabTaskStatusPaused);
            s->setDownloadSpeed(0);
        }
    send(RGKMessage::DownloadPaused);
}

void QVReelgrabService::downloadDidCancel(QVReelgraber *)
{
    if (!m_downloadTask)
        return;
    m_downloadTask->setDownloadStatus(QVReelgrabTaskStatusFailed);
    if (auto *s = currentSegment()) {
        s->setDownloadStatus(QVReelgrabTaskStatusFailed);
        s->setDownloadSpeed(0);
    }
}
