#include "devices/StoreMobileDevice.h"

#include "devices/AsyncTask.h"
#include "devices/DeviceFileStore.h"
#include "devices/DeviceTypes.h"
#include "devices/MobileDeviceDelegate.h"
#include "devices/StoreMediaManager.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>

#include <thread>

namespace {
std::atomic<int> g_stallTimeoutMs{StoreMobileDevice::DefaultStallTimeoutMs};
}

int StoreMobileDevice::stallTimeoutMs()
{
    return g_stallTimeoutMs.load();
}

void StoreMobileDevice::setStallTimeoutMs(int ms)
{
    g_stallTimeoutMs = ms;
}

// Tickets handed out in start order; a write runs when the turn reaches its ticket.
struct StoreWriteTurns
{
    QMutex lock;
    QWaitCondition turnChanged;
    quint64 nextTicket = 0;
    quint64 turn = 0;
};

StoreMobileDevice::StoreMobileDevice(Setup setup)
    : m_setup(std::move(setup))
    , m_info(m_setup.info)
    , m_turns(std::make_shared<StoreWriteTurns>())
{
    m_status = m_setup.connectionStatus;
    m_prepareCheck = m_setup.prepareCheck;
    m_storage.setSource([store = m_setup.store] { return store->readStorages(); });
    m_music = std::make_unique<StoreMediaManager>(*this, m_setup.musicFolder, QString(), m_setup.transactions);
    m_video = std::make_unique<StoreMediaManager>(*this, m_setup.musicFolder, m_setup.videoFolder, false);
}

StoreMobileDevice::~StoreMobileDevice() = default;

IMediaManager *StoreMobileDevice::musicManager()
{
    return m_music.get();
}

IMediaManager *StoreMobileDevice::videoManager()
{
    return m_video.get();
}

void StoreMobileDevice::setDeviceDelegate(std::weak_ptr<MobileDeviceDelegate> delegate)
{
    QMutexLocker lock(&m_lock);
    m_delegate = std::move(delegate);
}

std::shared_ptr<MobileDeviceDelegate> StoreMobileDevice::delegate() const
{
    QMutexLocker lock(&m_lock);
    return m_delegate.lock();
}

void StoreMobileDevice::connect()
{
    const auto self = shared_from_this();
    if (auto d = delegate())
        d->mobileDeviceBeginConnected(self);
    if (m_setup.connector && !IsDeviceRemoved()) {
        const int status = m_setup.connector();
        QMutexLocker lock(&m_lock);
        if (!m_removed)
            m_status = status;
    }
    if (connectionStatus() == DeviceConnectionStatus::Connected) {
        if (auto d = delegate())
            d->mobileDeviceConnected(self);
    }
    if (auto d = delegate())
        d->mobileDeviceEndConnected(self);
}

int StoreMobileDevice::connectionStatus() const
{
    QMutexLocker lock(&m_lock);
    return m_status;
}

int StoreMobileDevice::connectPrepareCheck() const
{
    QMutexLocker lock(&m_lock);
    return m_prepareCheck;
}

void StoreMobileDevice::setPrepareCheck(int check)
{
    QMutexLocker lock(&m_lock);
    m_prepareCheck = check;
}

void StoreMobileDevice::waitReady(int, std::shared_ptr<IMobileDevice>, std::function<bool()> handler)
{
    if (!handler)
        return;
    {
        QMutexLocker lock(&m_lock);
        if (m_removed)
            return;
        if (m_status != DeviceConnectionStatus::Connected) {
            m_readyHandlers.append(std::move(handler));
            return;
        }
    }
    handler();
}

void StoreMobileDevice::setConnectionStatus(int status)
{
    QList<std::function<bool()>> ready;
    {
        QMutexLocker lock(&m_lock);
        if (m_removed)
            return;
        m_status = status;
        if (status == DeviceConnectionStatus::Connected)
            ready.swap(m_readyHandlers);
    }
    for (const auto &handler : ready)
        handler();
}

bool StoreMobileDevice::IsOnline() const
{
    QMutexLocker lock(&m_lock);
    return !m_removed && m_status == DeviceConnectionStatus::Connected;
}

bool StoreMobileDevice::IsDeviceRemoved() const
{
    QMutexLocker lock(&m_lock);
    return m_removed;
}

void StoreMobileDevice::markRemoved()
{
    {
        QMutexLocker lock(&m_lock);
        if (m_removed)
            return;
        m_removed = true;
        m_readyHandlers.clear();
    }
    if (auto d = delegate())
        d->mobileDeviceDisConnected(shared_from_this());
}

std::optional<RemoteFileInfo> StoreMobileDevice::getFileInfo(const QString &path)
{
    if (!DeviceFileStore::isSafePath(path) || IsDeviceRemoved())
        return std::nullopt;
    return m_setup.store->stat(path);
}

QString StoreMobileDevice::freePathFor(const QString &folder, const QString &fileName)
{
    const QString first = DeviceFileStore::joinPath(folder, fileName);
    if (!DeviceFileStore::isSafePath(first))
        return QString();
    if (!m_setup.store->stat(first))
        return first;
    const QFileInfo info(fileName);
    const QString base = info.completeBaseName();
    const QString ext = info.suffix();
    for (int n = 1; n < 100000; ++n) {
        QString name = QStringLiteral("%1(%2)").arg(base).arg(n);
        if (!ext.isEmpty())
            name += QLatin1Char('.') + ext;
        const QString candidate = DeviceFileStore::joinPath(folder, name);
        if (!m_setup.store->stat(candidate))
            return candidate;
    }
    return QString();
}

std::shared_ptr<IAsyncTask> StoreMobileDevice::queueWork(std::weak_ptr<IAsyncTaskDelegate> delegate,
                                                         std::function<std::optional<int>(AsyncTask &)> work)
{
    quint64 ticket;
    {
        QMutexLocker lock(&m_turns->lock);
        ticket = m_turns->nextTicket++;
    }
    auto turns = m_turns;
    return AsyncTask::run(std::move(delegate), [turns, ticket, work = std::move(work)](AsyncTask &task) {
        {
            QMutexLocker lock(&turns->lock);
            while (turns->turn != ticket)
                turns->turnChanged.wait(&turns->lock);
        }
        std::optional<int> result;
        try {
            result = work(task);
        } catch (...) {
            result = AsyncTaskResult::Failed;
        }
        // Ended before the next turn: whatever waits behind this write sees it finished.
        task.finish(result);
        QMutexLocker lock(&turns->lock);
        ++turns->turn;
        turns->turnChanged.wakeAll();
        return result;
    });
}

std::shared_ptr<IAsyncTask> StoreMobileDevice::startWrite(const QString &sourcePath, const QString &path,
                                                          std::weak_ptr<IAsyncTaskDelegate> delegate)
{
    if (IsDeviceRemoved() || !DeviceFileStore::isSafePath(path) || !m_setup.store->canStartWrite())
        return nullptr;
    ++m_writesStarted;
    std::weak_ptr<StoreMobileDevice> weakSelf = std::static_pointer_cast<StoreMobileDevice>(shared_from_this());
    auto store = m_setup.store;
    return queueWork(std::move(delegate), [weakSelf, store, sourcePath, path](AsyncTask &task) -> std::optional<int> {
        auto self = weakSelf.lock();
        const auto gone = [&] { return !self || self->IsDeviceRemoved() || task.isCancelled(); };
        if (gone() || !self->IsOnline())
            return AsyncTaskResult::Failed;
        QString error;
        if (!store->makePath(DeviceFileStore::parentPath(path), &error))
            return AsyncTaskResult::Failed;
        task.setProgress(0);
        // Any report from the store is a sign of life, even one that repeats the percent.
        const int stallMs = stallTimeoutMs();
        QElapsedTimer quiet;
        quiet.start();
        std::atomic<qint64> lastSign{0};
        bool stalled = false;
        int reported = -1; // the store's own first report always goes through
        const auto progress = [&](int percent) {
            lastSign = quiet.elapsed();
            if (percent != reported)
                task.setProgress(reported = percent);
        };
        const auto stop = [&] {
            stalled = !gone() && quiet.elapsed() - lastSign.load() >= stallMs;
            return stalled || gone();
        };
        const std::optional<int> result = store->push(sourcePath, path, progress, stop, &error);
        if (stalled) {
            qWarning().noquote() << QStringLiteral("device write of %1 to %2 stalled: nothing for %3 ms")
                                        .arg(sourcePath, path)
                                        .arg(stallMs);
            return AsyncTaskResult::Stalled;
        }
        if (gone())
            return AsyncTaskResult::Failed;
        if (result && *result == AsyncTaskResult::Done)
            store->mediaScan(path);
        return result;
    });
}

std::shared_ptr<IAsyncTask> StoreMobileDevice::afterQueuedWrites(std::weak_ptr<IAsyncTaskDelegate> delegate)
{
    return queueWork(std::move(delegate), [](AsyncTask &) -> std::optional<int> { return AsyncTaskResult::Done; });
}
