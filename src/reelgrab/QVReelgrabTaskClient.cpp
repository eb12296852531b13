// The client half of a download task: launching its helper process and handling its messages.
#include "reelgrab/QVReelgrabTask.h"

#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/ProcessRegistry.h"
#include "platform/UserDefaults.h"
#include "reelgrab/Func.h"
#include "reelgrab/HelperProcess.h"
#include "reelgrab/QVReelgrabSpareHelper.h"
#include "reelgrab/RGKMessage.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTimer>

namespace {
QString g_helperExecutable;
int g_launchTimeoutMs = 30000;
}

int QVReelgrabTask::launchTimeoutMs() { return g_launchTimeoutMs; }

void QVReelgrabTask::setLaunchTimeoutForTesting(int ms) { g_launchTimeoutMs = ms > 0 ? ms : 30000; }

QVReelgrabTaskObserver::~QVReelgrabTaskObserver()
{
    const auto tasks = m_observedTasks;
    for (QVReelgrabTask *task : tasks)
        task->removeObserver(this);
}

void QVReelgrabTask::addObserver(QVReelgrabTaskObserver *observer)
{
    if (!observer || m_observers.contains(observer))
        return;
    m_observers.append(observer);
    observer->m_observedTasks.append(this);
}

void QVReelgrabTask::removeObserver(QVReelgrabTaskObserver *observer)
{
    if (!observer)
        return;
    m_observers.removeAll(observer);
    observer->m_observedTasks.removeAll(this);
}

template <typename F>
void QVReelgrabTask::tellObservers(F f)
{
    // In the order they were added; one removed by an earlier callback is skipped.
    const auto snapshot = m_observers;
    QPointer<QVReelgrabTask> self(this);
    for (QVReelgrabTaskObserver *o : snapshot) {
        if (!self)
            return;
        if (m_observers.contains(o))
            f(o);
    }
}

void QVReelgrabTask::setHelperExecutable(const QString &path) { g_helperExecutable = path; }

QString QVReelgrabTask::helperExecutable()
{
    if (!g_helperExecutable.isEmpty())
        return g_helperExecutable;
    const QString env = qEnvironmentVariable("FENNIX_REELGRAB");
    if (!env.isEmpty())
        return env;
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath() + QStringLiteral("/Reelgrab");
}

QString QVReelgrabTask::clientPreferencesPath()
{
    QString bundleId = MainBundle::infoString(QStringLiteral("CFBundleIdentifier"));
    bundleId.remove(QLatin1Char('/'));
    if (bundleId.isEmpty() || bundleId.startsWith(QLatin1Char('.')))
        bundleId = QStringLiteral("com.iquenmark.fennixpro");
    return QDir(AppPaths::reelgrabKitClients()).filePath(bundleId + QStringLiteral("/preferences.plist"));
}

bool QVReelgrabTask::hasHelperProcess() const { return m_process && m_process->state() != QProcess::NotRunning; }

qint64 QVReelgrabTask::helperProcessId() const { return m_process ? m_process->processId() : 0; }

QStringList QVReelgrabTask::helperArguments()
{
    const QString library = UserDefaults::standard().stringForKey(QStringLiteral("download-library"));
    if (!library.isEmpty() && QFileInfo(library).isFile())
        return {QStringLiteral("-l"), library};
    return {};
}

bool QVReelgrabTask::run()
{
    if (m_serviceProxy) {
        m_serviceProxy->sendMessage(QString::fromLatin1(RGKMessage::ResumeDownloadTask), QByteArray());
        return true;
    }
    if (m_process)
        return true;  // launched, not yet announced
    return launchHelper(true);
}

bool QVReelgrabTask::launchHelper(bool maySpare)
{
    const QString executable = helperExecutable();
    if (!QFileInfo(executable).isFile()) {
        Func(FuncLogError, QStringLiteral("Run Reelgrab Task Failed. Coun't Find Reelgrab Executable At %1.").arg(executable));
        return false;
    }
    const QStringList extra = helperArguments();
    if (maySpare && m_dispatcher) {
        if (QVReelgrabSpareHelper *spare = m_dispatcher->takeSpareHelper(executable, extra)) {
            const bool adopted = adoptHelper(spare);
            delete spare;
            if (adopted)
                return true;
        }
    }
    auto connection = std::make_unique<QVXConnection>();
    // The time alone can repeat when two tasks start in one millisecond; the guid cannot.
    const QString clientName = QStringLiteral("RGK-%1-%2")
                                   .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), m_guid);
    const QString registered = connection->registeRootObject(this, clientName);
    if (registered.isEmpty()) {
        Func(FuncLogError, QStringLiteral("Run Reelgrab Task Failed. Coun't Register %1.").arg(clientName));
        return false;
    }
    m_logFileID = clientName;
    m_connection = std::move(connection);
    m_downloadStatus = QVReelgrabTaskStatusSniffing;

    QProcess *process = ProcessRegistry::shared().createProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    watchProcess(process);
    m_launchTimer = new QTimer(this);
    m_launchTimer->setSingleShot(true);
    connect(m_launchTimer, &QTimer::timeout, this, [this]() {
        if (m_serviceProxy || !m_process)
            return;
        Func(FuncLogError, QStringLiteral("Reelgrab did not announce itself within %1 s.").arg(launchTimeoutMs() / 1000));
        failHelper(QVReelgrabError::reelgrab(QVReelgrabError::ProcessEndedUnexpectedly,
                                             QStringLiteral("the download helper did not start")));
    });
    m_launchTimer->start(launchTimeoutMs());
    process->start(executable, QStringList{QStringLiteral("-c"), registered} + extra);
    return true;
}

void QVReelgrabTask::watchProcess(QProcess *process)
{
    m_process = process;
    connect(process, &QProcess::finished, this, [this, process]() {
        if (process == m_process)
            helperDidTerminate();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart && process == m_process)
            helperDidTerminate();
    });
}

bool QVReelgrabTask::adoptHelper(QVReelgrabSpareHelper *spare)
{
    QVReelgrabSpareHelper::Handover h = spare->handOver(this);
    if (!h.connection || !h.process || !h.serviceProxy)
        return false;
    h.process->setParent(this);
    m_connection = std::move(h.connection);
    m_serviceProxy = std::move(h.serviceProxy);
    m_logFileID = h.clientName;
    m_downloadStatus = QVReelgrabTaskStatusSniffing;
    watchProcess(h.process);
    m_helperUnconfirmed = true;
    // It was ready when taken but may have gone since: then a helper of its own after all.
    if (h.process->state() == QProcess::Running
        && m_serviceProxy->sendMessage(QString::fromLatin1(RGKMessage::ReelgrabPreferences),
                                       RGKMessage::archiveString(clientPreferencesPath()))
        && m_serviceProxy->sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), archivedData()))
        return true;
    Func(FuncLogWarning, QStringLiteral("A spare Reelgrab was gone when taken; launching one."));
    terminateReelgrabTask();
    m_helperUnconfirmed = false;
    m_downloadStatus = QVReelgrabTaskStatusQueued;
    return false;
}

void QVReelgrabTask::pause()
{
    if (m_downloadStatus == QVReelgrabTaskStatusWaiting) {
        m_downloadStatus = QVReelgrabTaskStatusPaused;
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidPaused(this); });
        if (m_dispatcher)
            m_dispatcher->attachNextTask();
        return;
    }
    if (m_downloadStatus == QVReelgrabTaskStatusDownloading && m_serviceProxy)
        m_serviceProxy->sendMessage(QString::fromLatin1(RGKMessage::PauseDownloadTask), QByteArray());
}

void QVReelgrabTask::resume()
{
    if (m_downloadStatus != QVReelgrabTaskStatusPaused)
        return;
    m_downloadStatus = QVReelgrabTaskStatusWaiting;
    tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidReset(this); });
    if (m_dispatcher)
        m_dispatcher->attachNextTask();
}

void QVReelgrabTask::cancel()
{
    if (m_downloadStatus == QVReelgrabTaskStatusQueued) {
        m_downloadStatus = QVReelgrabTaskStatusCancelled;
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabSniffingDidCanceled(this); });
        return;
    }
    if (!m_serviceProxy)
        return;
    terminateReelgrabTask();
    m_downloadStatus = QVReelgrabTaskStatusCancelled;
    tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabSniffingDidCanceled(this); });
    if (m_dispatcher) {
        m_dispatcher->attachNextTask();
        m_dispatcher->synchronize();
    }
}

void QVReelgrabTask::retry()
{
    m_downloadStatus = QVReelgrabTaskStatusQueued;
    m_failureReason.clear();
    tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidReset(this); });
    if (m_dispatcher)
        m_dispatcher->attachNextTask();
}

void QVReelgrabTask::removeFromDispatcher()
{
    terminateReelgrabTask();
    // A finished task's file is the user's download now: removing the task never deletes it.
    const QString target = storedTargetFileName();
    if (!target.isEmpty() && m_downloadStatus != QVReelgrabTaskStatusFinished) {
        // The engine's part files are kept for a retry only while the task is listed.
        for (const QString &suffix : {QString(), QStringLiteral(".ds"), QStringLiteral(".info"), QStringLiteral(".cvpart"),
                                      QStringLiteral(".cvctl"), QStringLiteral(".cvctl.new")}) {
            const QString path = target + suffix;
            if (QFileInfo(path).isFile())
                QFile::remove(path);
        }
    }
    if (m_dispatcher)
        m_dispatcher->removeReelgrabTask(this);
}

void QVReelgrabTask::terminateReelgrabTask()
{
    m_serviceProxy.reset();
    if (m_launchTimer) {
        m_launchTimer->stop();
        m_launchTimer->deleteLater();
        m_launchTimer = nullptr;
    }
    HelperProcess::end(std::exchange(m_process, nullptr), this, 2000);
    HelperProcess::release(std::move(m_connection));
}

void QVReelgrabTask::failHelper(const QVReelgrabError &error)
{
    terminateReelgrabTask();
    m_downloadStatus = QVReelgrabTaskStatusFailed;
    m_failureReason = error.reason();
    if (m_dispatcher) {
        m_dispatcher->synchronize(); // the stored task keeps its reason
        m_dispatcher->attachNextTask();
    }
    tellObservers([this, &error](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidFailed(this, error); });
}

void QVReelgrabTask::failToLaunch()
{
    m_downloadStatus = QVReelgrabTaskStatusFailed;
    const QVReelgrabError error = QVReelgrabError::reelgrab(QVReelgrabError::ProcessEndedUnexpectedly,
                                                            QStringLiteral("The download helper could not be started"));
    m_failureReason = error.reason();
    tellObservers([this, &error](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidFailed(this, error); });
}

void QVReelgrabTask::helperDidTerminate()
{
    if (m_helperUnconfirmed.exchange(false)) {
        // A taken spare that died before it said a word about this task never had it.
        Func(FuncLogWarning, QStringLiteral("A spare Reelgrab ended before taking its task; launching one."));
        terminateReelgrabTask();
        if (launchHelper(false))
            return;
        m_downloadStatus = QVReelgrabTaskStatusQueued;
    }
    // The helper ended without being told to: the task fails with code 0 and nothing else.
    failHelper(QVReelgrabError::reelgrab(QVReelgrabError::ProcessEndedUnexpectedly));
}

void QVReelgrabTask::sendMessage(const QString &name, const QByteArray &object)
{
    using namespace RGKMessage;
    auto is = [&name](const char *n) { return name == QLatin1String(n); };
    QPointer<QVReelgrabTask> self(this);
    m_helperUnconfirmed = false;
    auto endHelperLater = [self]() {
        dispatch::async_main([self]() {
            if (self)
                self->terminateReelgrabTask();
        });
    };

    if (is(ProcessLaunched)) {
        const QString serviceName = QString::fromUtf8(object);
        if (!m_connection)
            return;
        m_serviceProxy = m_connection->rootObjectNamed(serviceName);
        if (!m_serviceProxy)
            return;
        if (m_launchTimer)
            m_launchTimer->stop();
        auto send = [self]() {
            if (!self || !self->m_serviceProxy)
                return;
            self->m_serviceProxy->sendMessage(QString::fromLatin1(ReelgrabPreferences), archiveString(clientPreferencesPath()));
            self->m_serviceProxy->sendMessage(QString::fromLatin1(AttachDownloadTask), self->archivedData());
        };
        if (dispatch::isMainThread())
            send();
        else
            dispatch::async_main(send);
        return;
    }
    if (is(SniffingStarted)) {
        m_downloadStatus = QVReelgrabTaskStatusSniffing;
        if (m_dispatcher)
            m_dispatcher->synchronize();
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabSniffingDidStarted(this); });
    } else if (is(SniffingSniffing)) {
        m_downloadStatus = QVReelgrabTaskStatusSniffing;
        const double progress = numberFromArchive(object).value_or(0.0);
        tellObservers([this, progress](QVReelgrabTaskObserver *o) { o->reelgrabSniffingInProgress(this, progress); });
    } else if (is(SniffingCompleted)) {
        m_downloadStatus = QVReelgrabTaskStatusDownloading;
        if (auto copy = taskWithArchive(object)) {
            setSniffingResult(copy->sniffingResult());
            m_targetFileName = copy->storedTargetFileName();
            m_mediaTitle = copy->storedMediaTitle();
            m_matchSubtitle = copy->matchSubtitle();
        }
        if (m_dispatcher)
            m_dispatcher->synchronize();
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabSniffingDidCompleted(this); });
    } else if (is(SniffingFailed)) {
        m_downloadStatus = QVReelgrabTaskStatusSniffingFailed;
        const QVReelgrabError error = errorFromArchive(object);
        m_failureReason = error.reason();
        if (m_dispatcher) {
            m_dispatcher->synchronize();
            m_dispatcher->attachNextTask();
        }
        tellObservers([this, &error](QVReelgrabTaskObserver *o) { o->reelgrabSniffingDidFailed(this, error); });
        endHelperLater();
    } else if (is(DownloadStarted)) {
        m_downloadStatus = QVReelgrabTaskStatusDownloading;
        if (auto copy = taskWithArchive(object)) {
            m_mediaTitle = copy->storedMediaTitle();
            m_targetFileName = copy->storedTargetFileName();
        }
        if (m_dispatcher)
            m_dispatcher->synchronize();
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidStarted(this); });
    } else if (is(DownloadDownloading)) {
        m_downloadStatus = QVReelgrabTaskStatusDownloading;
        if (auto segments = segmentsFromArchive(object))
            m_segments = *segments;
        const qint64 speed = downloadSpeed();
        tellObservers([this, speed](QVReelgrabTaskObserver *o) { o->reelgrabDownloadingWithSpeed(this, speed); });
    } else if (is(DownloadWillPause)) {
        m_downloadStatus = QVReelgrabTaskStatusPaused;
        if (m_dispatcher)
            m_dispatcher->synchronize();
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadWillPause(this); });
    } else if (is(DownloadPaused)) {
        // The engine's stop can end after the task moved on: the user resumed or retried it
        // (it waits to be run again) or the helper already runs it again. Going back to
        // paused then would lose that, and the task would sit paused for good; only a task
        // still pausing takes the pause.
        const bool pausing = m_downloadStatus == QVReelgrabTaskStatusPaused;
        if (m_dispatcher) {
            m_dispatcher->synchronize();
            m_dispatcher->attachNextTask();
        }
        if (pausing)
            tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidPaused(this); });
    } else if (is(DownloadCompleted)) {
        m_downloadStatus = QVReelgrabTaskStatusCompleted;
        if (m_dispatcher)
            m_dispatcher->synchronize();
        tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidCompleted(this); });
    } else if (is(DownloadFinished)) {
        m_downloadStatus = QVReelgrabTaskStatusFinished;
        if (auto path = stringFromArchive(object))
            m_targetFileName = *path;
        // The helper is ended below on purpose: its exit is no failure.
        if (m_process)
            m_process->disconnect(this);
        if (m_dispatcher) {
            m_dispatcher->synchronize();
            m_dispatcher->reelgrabTaskDidFinished(this);
        }
        if (self)
            tellObservers([this](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidFinished(this); });
        endHelperLater();
    } else if (is(DownloadFailed)) {
        m_downloadStatus = QVReelgrabTaskStatusFailed;
        m_segments.clear();
        const QVReelgrabError error = errorFromArchive(object);
        m_failureReason = error.reason();
        if (m_process)
            m_process->disconnect(this);
        if (m_dispatcher) {
            m_dispatcher->synchronize();
            m_dispatcher->attachNextTask();
        }
        if (self)
            tellObservers([this, &error](QVReelgrabTaskObserver *o) { o->reelgrabDownloadDidFailed(this, error); });
        endHelperLater();
    }
}
