#include "reelgrab/QVReelgraber.h"

#include "engine/Corvidash.h"
#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"

#include <QFileInfo>
#include <QPointer>

#include <condition_variable>
#include <mutex>

struct QVReelgraber::Runner
{
    std::mutex runMutex; // held for the whole of VantrelStart
    std::mutex stateMutex;
    std::condition_variable stopsDone;
    int pendingStops = 0;
    std::atomic<quint64> generation{0};
};

namespace {

using CreateFn = void *(*)();
using ReleaseFn = void (*)(void *);
using SetTextFn = void (*)(void *, const char *);
using SetCallbackFn = void (*)(void *, CorvidashCallback, void *);
using StartFn = int (*)(void *, int, int);
using HandleFn = void (*)(void *);
using ErrorTextFn = const char *(*)(void *);

} // namespace

extern "C" void ReelgrabCallback(const CorvidashEvent *event, void *context)
{
    if (event && context)
        static_cast<QVReelgraber *>(context)->engineEvent(*event);
}

QVReelgraber::QVReelgraber(void *libHandle, QObject *parent)
    : QObject(parent), m_libHandle(libHandle), m_runner(std::make_shared<Runner>())
{
    if (auto create = EngineLibrary::symbol<CreateFn>(m_libHandle, "VantrelCreate"))
        m_engine = create();
}

QVReelgraber::~QVReelgraber()
{
    m_runner->generation++;
    if (m_engine) {
        detachCallback();
        if (auto stop = EngineLibrary::symbol<HandleFn>(m_libHandle, "VantrelStop"))
            stop(m_engine);
        // Wait until no run is inside the engine before its object goes away.
        std::lock_guard run(m_runner->runMutex);
        if (auto release = EngineLibrary::symbol<ReleaseFn>(m_libHandle, "VantrelRelease"))
            release(m_engine);
    }
}

bool QVReelgraber::isUsable() const
{
    return m_engine && EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback")
        && EngineLibrary::symbol<StartFn>(m_libHandle, "VantrelStart");
}

void QVReelgraber::setDownloadUrl(const QString &url)
{
    if (url.isEmpty()) {
        Func(FuncLogWarning, QStringLiteral("Downloader faile to set url as %1").arg(url));
        return;
    }
    if (auto set = EngineLibrary::symbol<SetTextFn>(m_libHandle, "VantrelSetUrl"))
        set(m_engine, url.toUtf8().constData());
    Func(FuncLogInfo, QStringLiteral("Downloader set url as %1").arg(url));
}

void QVReelgraber::setSavePath(const QString &path)
{
    if (path.isEmpty()) {
        Func(FuncLogWarning, QStringLiteral("Downloader faile to set path as %1").arg(path));
        return;
    }
    m_filePath = path;
    if (auto set = EngineLibrary::symbol<SetTextFn>(m_libHandle, "VantrelSetSavePath"))
        set(m_engine, QFile::encodeName(path).constData());
    Func(FuncLogInfo, QStringLiteral("Downloader set path as :%1").arg(path));
}

void QVReelgraber::setUserAgent(const QString &userAgent)
{
    if (auto set = EngineLibrary::symbol<SetTextFn>(m_libHandle, "VantrelSetUserAgent"))
        set(m_engine, userAgent.toUtf8().constData());
    Func(FuncLogInfo, QStringLiteral("Downloader setUserAgent:%1").arg(userAgent));
}

void QVReelgraber::setCookies(const QString &cookies)
{
    if (auto set = EngineLibrary::symbol<SetTextFn>(m_libHandle, "VantrelSetCookie"))
        set(m_engine, cookies.toUtf8().constData());
    Func(FuncLogInfo, QStringLiteral("Downloader SetCookie:%1").arg(cookies));
}

void QVReelgraber::attachCallback()
{
    if (auto set = EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback"))
        set(m_engine, &ReelgrabCallback, this);
}

void QVReelgraber::detachCallback()
{
    if (auto set = EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback"))
        set(m_engine, nullptr, nullptr);
}

bool QVReelgraber::download(bool turbo, bool resume)
{
    auto start = EngineLibrary::symbol<StartFn>(m_libHandle, "VantrelStart");
    if (!m_engine || !start || !EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback"))
        return false;
    attachCallback();
    const quint64 generation = m_runner->generation.load();
    std::shared_ptr<Runner> runner = m_runner;
    void *engine = m_engine;
    QPointer<QVReelgraber> self(this);
    dispatch::global(dispatch::Priority::Default, [runner, engine, start, generation, self, turbo, resume, this]() {
        {
            // A pause's stop must be through before the next run, or it would end that run.
            std::unique_lock state(runner->stateMutex);
            runner->stopsDone.wait(state, [&] { return runner->pendingStops == 0; });
        }
        std::lock_guard run(runner->runMutex);
        if (runner->generation.load() != generation)
            return; // paused or destroyed before the run began
        // Set again here: a stop that met no run is forgotten once a callback is set after it.
        attachCallback();
        const int result = start(engine, resume ? 1 : 0, turbo ? 1 : 0);
        if (result < 0 && runner->generation.load() == generation) {
            // Misuse answers come without an event; without one the task would wait for ever.
            CorvidashEvent event{CORVIDASH_EVENT_ERROR, result, 0, 0};
            engineEvent(event);
        }
    });
    return true;
}

void QVReelgraber::pause()
{
    auto stop = EngineLibrary::symbol<HandleFn>(m_libHandle, "VantrelStop");
    if (!m_engine || !stop || !EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback"))
        return;
    m_runner->generation++;
    detachCallback();
    if (m_delegate)
        m_delegate->downloadWillPause(this);
    {
        std::lock_guard state(m_runner->stateMutex);
        m_runner->pendingStops++;
    }
    std::shared_ptr<Runner> runner = m_runner;
    void *engine = m_engine;
    QPointer<QVReelgraber> self(this);
    dispatch::global(dispatch::Priority::Default, [runner, engine, stop, self]() {
        stop(engine);
        {
            std::lock_guard state(runner->stateMutex);
            runner->pendingStops--;
        }
        runner->stopsDone.notify_all();
        dispatch::async_main([self]() {
            if (self && self->m_delegate)
                self->m_delegate->downloadDidPaused(self);
        });
    });
}

void QVReelgraber::cancel()
{
    auto stop = EngineLibrary::symbol<HandleFn>(m_libHandle, "VantrelStop");
    if (m_engine && stop && EngineLibrary::symbol<SetCallbackFn>(m_libHandle, "VantrelSetCallback")) {
        m_runner->generation++;
        detachCallback();
        stop(m_engine);
        deleteTempFile();
    }
    if (m_delegate)
        m_delegate->downloadDidCancel(this);
}

void QVReelgraber::deleteTempFile()
{
    if (auto del = EngineLibrary::symbol<HandleFn>(m_libHandle, "VantrelDeleteTempFiles"))
        del(m_engine);
}

QString QVReelgraber::errorText(qint64 code)
{
    switch (code) {
    case 3: return QStringLiteral("Invalid video url");
    case 6: return QStringLiteral("Can't resolve host");
    case 7: return QStringLiteral("Can't connect to server");
    case 9: return QStringLiteral("Access denied");
    case 18: return QStringLiteral("File transfer was shorter or larger than expected");
    case 26: return QStringLiteral("Can't write to disk");
    case 28: return QStringLiteral("Download time out");
    case 56: return QStringLiteral("No data from peer");
    case 1001: return QStringLiteral("Upsupported protocol");
    case 1002: return QStringLiteral("Faile To Init");
    case 1003: return QStringLiteral("Mal Format Url");
    case 1004: return QStringLiteral("Couldn't connect to server");
    case 1005: return QStringLiteral("Operation timeout");
    case 1006: return QStringLiteral("File error");
    case 2000: return QStringLiteral("Memory Error");
    default: return QStringLiteral("Unknow Error");
    }
}

void QVReelgraber::engineEvent(const CorvidashEvent &event)
{
    const quint64 generation = m_runner->generation.load();
    const int type = event.type;
    const qint64 code = event.code;
    const qint64 downloaded = event.downloaded;
    const qint64 total = event.total;
    // The engine's sentence for a failure is only valid during its event.
    QString reason;
    if (type == CORVIDASH_EVENT_ERROR || (type == CORVIDASH_EVENT_FINISHED && code != 0))
        if (auto text = EngineLibrary::symbol<ErrorTextFn>(m_libHandle, "VantrelGetErrorText"))
            if (const char *sentence = text(m_engine))
                reason = QString::fromUtf8(sentence).left(500);
    QPointer<QVReelgraber> self(this);
    std::shared_ptr<Runner> runner = m_runner;
    QMetaObject::invokeMethod(
        this,
        [self, runner, generation, type, code, downloaded, total, reason]() {
            if (!self || runner->generation.load() != generation)
                return;
            self->handleEvent(type, code, downloaded, total, reason);
        },
        Qt::QueuedConnection);
}

void QVReelgraber::handleEvent(int type, qint64 code, qint64 downloaded, qint64 total, const QString &reason)
{
    switch (type) {
    case CORVIDASH_EVENT_ERROR:
        didFail(QVReelgrabError::reelgrab(code, reason));
        return;
    case CORVIDASH_EVENT_STARTED:
        didStart();
        return;
    case CORVIDASH_EVENT_PROGRESS: {
        if (total == UnknownTotal)
            return;
        m_downloadedBytes = downloaded;
        // The speed travels in the code field as an unsigned 32-bit value.
        const qint64 speed = qint64(quint32(qint32(code)));
        if (m_delegate)
            m_delegate->downloadDidProcessing(this, speed, downloaded, total);
        return;
    }
    case CORVIDASH_EVENT_FINISHED:
        if (code != 0) {
            didFail(QVReelgrabError::reelgrab(code, reason));
            return;
        }
        if (const qint64 bytes = std::max(downloaded, total))
            m_downloadedBytes = bytes;
        didComplete();
        return;
    default:
        Func(FuncLogWarning, QStringLiteral("Downlond Unknow Callback.............You got it!!Ha....Ha......."));
        didFail(QVReelgrabError::reelgrab(QVReelgrabError::UnknownEngineEvent));
        return;
    }
}

void QVReelgraber::didStart()
{
    Func(FuncLogInfo, QStringLiteral("Downloader now Connecting to server, file will save at %1").arg(m_filePath));
    if (!m_filePath.isEmpty())
        AppPaths::ensureFolder(QFileInfo(m_filePath).absolutePath());
    if (m_delegate)
        m_delegate->downloadDidStarted(this);
}

void QVReelgraber::didComplete()
{
    Func(FuncLogInfo, QStringLiteral("Download Did Completed, filePath:%1").arg(m_filePath));
    if (m_delegate)
        m_delegate->downloadDidCompleted(this);
}

void QVReelgraber::didFail(const QVReelgrabError &error)
{
    Func(FuncLogError, QStringLiteral("Download Did Failed(%1), Since %2, filePath:%3")
                           .arg(error.code())
                           .arg(errorText(error.code()), m_filePath));
    if (!error.localizedDescription().isEmpty())
        Func(FuncLogError, QStringLiteral("Download failed: %1").arg(error.localizedDescription()));
    if (m_delegate)
        m_delegate->downloadDidFailed(this, error);
}
