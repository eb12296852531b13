#include "transfer/TransferMediaTask.h"

#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/DeviceTypes.h"
#include "devices/IAsyncTask.h"
#include "devices/IFileManager.h"
#include "devices/IMediaManager.h"
#include "devices/IMobileDevice.h"
#include "devices/Version.h"
#include "platform/AbandonedWork.h"
#include "platform/Dispatch.h"
#include "platform/log/ScribletLogger.h"
#include "transfer/TransferDataItem.h"
#include "transfer/TransferFileItem.h"
#include "transfer/TransferFun.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Process-wide locks the device layer's callers share.
QMutex g_syncItemFileInfo;      // "SyncItemFileInfo"
QMutex g_loadingMobileDexmoor;  // "LoadingMobileDexmoor"

constexpr qint64 CardReserveBytes = 10240;
constexpr qint64 SmallestCardBytes = 1025;
constexpr qint64 TinyCardBytes = 100;

QString numbered(const QString &folder, const QString &base, int n, const QString &ext)
{
    QString name = QStringLiteral("%1(%2)").arg(base).arg(n);
    if (!ext.isEmpty())
        name += QLatin1Char('.') + ext;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

TransferMediaTask::TransferMediaTask() = default;
TransferMediaTask::~TransferMediaTask() = default;

void TransferMediaTask::setDestDevice(const std::shared_ptr<IMobileDevice> &device)
{
    QMutexLocker lock(&m_lock);
    m_destDevice = device;
}

std::shared_ptr<IMobileDevice> TransferMediaTask::destDevice() const
{
    QMutexLocker lock(&m_lock);
    return m_destDevice;
}

quint32 TransferMediaTask::platform() const
{
    const auto device = destDevice();
    return device ? device->deviceInfo()->OSPlatform() : 0;
}

QList<std::shared_ptr<TransferFileItem>> TransferMediaTask::items() const
{
    QMutexLocker lock(&m_lock);
    return m_items;
}

void TransferMediaTask::addWithTransferItemArray(const QList<std::shared_ptr<TransferDataItem>> &rows)
{
    if (destDevice() && platform() != DeviceTransferPlatform::iTunes)
        reGetAllSdcardPathAndFreeSize();
    for (const auto &row : rows)
        addTransferItem({}, row, row ? row->transferFilePath() : QString());
    m_state = StateItemsAdded;
}

void TransferMediaTask::addWithTransferItem(const std::shared_ptr<TransferDataItem> &row)
{
    addWithTransferItemArray({row});
}

void TransferMediaTask::addWithFileArray(const QStringList &paths)
{
    if (destDevice() && platform() != DeviceTransferPlatform::iTunes)
        reGetAllSdcardPathAndFreeSize();
    for (const QString &path : paths)
        addTransferItem({}, nullptr, path);
    m_state = StateItemsAdded;
}

void TransferMediaTask::addWithFile(const QString &path)
{
    addWithFileArray({path});
}

int TransferMediaTask::filePathMediaType(const QString &path)
{
    const QString ext = QFileInfo(path).suffix();
    if (ext.isEmpty())
        return 0;
    if (TransferFun::listHasExtension(TransferFun::DefaultImportVideoExt(), ext))
        return 1;
    if (TransferFun::listHasExtension(TransferFun::DefaultImportAudioExt(), ext))
        return 2;
    if (TransferFun::listHasExtension(TransferFun::DefaultImportImageExt(), ext))
        return 3;
    return 0;
}

void TransferMediaTask::addTransferItem(const QVariant &, const std::shared_ptr<TransferDataItem> &row, const QString &path)
{
    switch (filePathMediaType(path)) {
    case 2: addLocalToDevicesFile(path, row, true); break;
    case 1: addLocalToDevicesFile(path, row, false); break;
    default: addLocalToDevicesOtherFile(path, row); break;
    }
}

void TransferMediaTask::appendItem(const std::shared_ptr<TransferFileItem> &item, const std::shared_ptr<TransferDataItem> &row)
{
    if (row) {
        item->addDelegate(row);
        row->setTransferItem(item);
    }
    QMutexLocker lock(&m_lock);
    m_items.append(item);
}

void TransferMediaTask::addLocalToDevicesFile(const QString &path, const std::shared_ptr<TransferDataItem> &row, bool audio)
{
    const quint32 target = platform();
    const QFileInfo info(path);
    const bool supported = audio ? TransferFun::isAudioSupportByDevice(target, info.suffix())
                                 : TransferFun::isVideoSupportByDevice(target, info.suffix());
    const qint64 size = info.isFile() ? info.size() : 0;
    bool useCard = true;
    QString dest = path;
    if (target != DeviceTransferPlatform::iOS && target != DeviceTransferPlatform::Any) {
        const QString folder = audio ? QStringLiteral("/Music") : QStringLiteral("/Video");
        m_totalFileSize += size;
        // Once the running sum passes the card's free space, this and every later file of the
        // job go to the built-in storage.
        if (m_cardFreeSize < m_totalFileSize + CardReserveBytes)
            useCard = false;
        const QString destFolder = sdCardUpdatePath(folder, useCard);
        const QString name = supported ? info.fileName()
                                       : info.completeBaseName() + (audio ? QStringLiteral(".mp3") : QStringLiteral(".mp4"));
        dest = destFolder.isEmpty() ? QString() : destFolder + QLatin1Char('/') + name;
    }
    auto item = audio ? TransferFileItem::initWithAudioFilePath(path) : TransferFileItem::initWithVideoFilePath(path);
    item->setWriteSDCardStyle(useCard && m_systemNewerThan441 ? 2 : 1);
    item->setDestMobileDevice(destDevice());
    item->setIsFileExist(false);
    item->setWriteDestFilePath(dest);
    item->setFileSize(size);
    item->setIsNeedConverter(!supported);
    if (!supported)
        item->setTempFolder(taskTempFilePath());
    appendItem(item, row);
}

void TransferMediaTask::addLocalToDevicesOtherFile(const QString &path, const std::shared_ptr<TransferDataItem> &row)
{
    auto item = TransferFileItem::initWithOtherFilePath(path);
    item->setDestMobileDevice(destDevice());
    appendItem(item, row);
}

void TransferMediaTask::setConverterCompleted(Completion block)
{
    QMutexLocker lock(&m_lock);
    m_completion = std::move(block);
}

bool TransferMediaTask::start()
{
    // The queue may ask twice before the job's thread runs; a job runs once.
    if (m_started.exchange(true))
        return false;
    m_state = StateRunning;
    auto self = shared_from_this();
    dispatch::global(dispatch::Priority::Default, [self] { self->run(); });
    return true;
}

void TransferMediaTask::run()
{
    m_state = StateRunning;
    const bool iOS = platform() == DeviceTransferPlatform::iOS;
    const bool grouped = iOS;
    if (iOS)
        taskBeginTransaction();
    QList<std::shared_ptr<TransferFileItem>> pending;
    int started = 0;
    for (int i = 0;; ++i) {
        std::shared_ptr<TransferFileItem> item;
        {
            QMutexLocker lock(&m_lock);
            if (i >= m_items.size())
                break;
            item = m_items.at(i);
        }
        const quint32 target = item->platform();
        if (target == DeviceTransferPlatform::Android || target == DeviceTransferPlatform::Car) {
            const QString dest = item->writeDestFilePath();
            const auto existing = dest.isEmpty() ? std::nullopt : fileInfoForfileManager(dest);
            if (existing && *existing > 0)
                item->setWriteDestFilePath(getUnUsedFileName(dest, -1, nullptr));
        }
        if (item->isStop())
            continue;
        item->startTransfer();
        if (grouped) {
            pending.append(item);
            if (++started % CommitGroup == 0) {
                taskCommitTransaction();
                taskBeginTransaction();
                flushPending(pending);
            }
        }
    }
    if (grouped) {
        taskCommitTransaction();
        // Without transactions too: every item started reports its end.
        flushPending(pending);
    }
    {
        QMutexLocker lock(&m_lock);
        m_tempFolder.reset();
    }
    m_state = StateFinished;
    Completion completion;
    {
        QMutexLocker lock(&m_lock);
        completion = m_completion;
    }
    if (completion)
        completion(shared_from_this());
}

void TransferMediaTask::flushPending(QList<std::shared_ptr<TransferFileItem>> &pending)
{
    for (const auto &item : pending) {
        item->waitWriteDone();
        item->sendItemFinished();
    }
    pending.clear();
}

void TransferMediaTask::taskBeginTransaction()
{
    const auto device = destDevice();
    if (!device || device->deviceInfo()->OSPlatform() != DeviceTransferPlatform::iOS)
        return;
    IMediaManager *music = device->musicManager();
    bool support = music && (music->supportSyncMethods() & DeviceSyncMethodTransactions);
    IMediaManager *manager = nullptr;
    if (device->mediaManager()) {
        manager = device->mediaManager();
        support = true;
    } else if (support) {
        manager = music;
    }
    {
        QMutexLocker lock(&m_lock);
        m_transactionSupport = support;
    }
    if (support && manager)
        manager->beginTransaction();
}

void TransferMediaTask::taskCommitTransaction()
{
    const auto device = destDevice();
    if (!device || device->deviceInfo()->OSPlatform() != DeviceTransferPlatform::iOS)
        return;
    {
        QMutexLocker lock(&m_lock);
        if (!m_transactionSupport)
            return;
    }
    IMediaManager *manager = device->mediaManager() ? device->mediaManager() : device->musicManager();
    if (!manager)
        return;
    if (auto task = manager->commit({}, 0))
        task->waitDone();
}

void TransferMediaTask::reGetAllSdcardPathAndFreeSize()
{
    const auto device = destDevice();
    if (!device)
        return;
    DeviceStorageInfos *storage = device->deviceStorageInfos();
    if (storage->syncState() != DeviceSyncState::Loaded) {
        if (auto task = storage->load(0))
            task->waitDone();
    }
    const auto card = storage->card();
    const auto external = storage->externalCard();
    const qint64 systemFree = freeSizeInCard();
    const qint64 cardFree = freeSizeInExternalCard();
    const bool newer = Version::createFromString(device->deviceInfo()->OSVersion())
                           .compare(Version::createFromString(QStringLiteral("4.4.1"))) > 0;
    QMutexLocker lock(&m_lock);
    m_systemPath = card ? card->StoreMediumrootPath : QString();
    m_cardPath = external ? external->StoreMediumrootPath : QString();
    m_systemFreeSize = systemFree;
    m_cardFreeSize = cardFree;
    m_systemNewerThan441 = newer;
}

qint64 TransferMediaTask::freeSizeInCard() const
{
    const auto device = destDevice();
    if (!device)
        return 0;
    const auto card = device->deviceStorageInfos()->card();
    if (!card)
        return 0;
    if (card->total < TinyCardBytes) {
        const auto memory = device->deviceStorageInfos()->memory();
        return memory ? memory->freeBytes() : 0;
    }
    return card->freeBytes();
}

qint64 TransferMediaTask::freeSizeInExternalCard() const
{
    const auto device = destDevice();
    if (!device)
        return 0;
    const auto external = device->deviceStorageInfos()->externalCard();
    return external ? external->freeBytes() : 0;
}

QString TransferMediaTask::sdCardUpdatePath(const QString &folder, bool extSdcard) const
{
    QString root;
    {
        QMutexLocker lock(&m_lock);
        root = extSdcard ? m_cardPath : m_systemPath;
    }
    if (root.isEmpty()) {
        // A phone's usual root is a path on this machine when the device is a mounted volume.
        if (platform() == DeviceTransferPlatform::Car)
            return QString();
        root = QStringLiteral("/storage/emulated/0");
    }
    QString tail = folder.isEmpty() ? QStringLiteral("/") : folder;
    if (!tail.startsWith(QLatin1Char('/')))
        tail.prepend(QLatin1Char('/'));
    if (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root + tail;
}

QString TransferMediaTask::getSdCardUpdatePath()
{
    {
        QMutexLocker lock(&m_lock);
        if (!m_cardPath.isEmpty())
            return m_cardPath;
    }
    const auto device = destDevice();
    if (!device)
        return QString();
    DeviceStorageInfos *storage = device->deviceStorageInfos();
    const auto external = storage->externalCard();
    std::optional<StorageMedium> picked;
    quint32 style = 1;
    if (external && external->total >= SmallestCardBytes) {
        if (!m_systemNewerThan441 && external->canWrite) {
            picked = external;
            style = 1;
        } else if (device->IsExtSDCardCanWrite()) {
            picked = external;
            style = 2;
        }
    }
    if (!picked) {
        picked = storage->card();
        style = 1;
    }
    device->setWriteSDCardStyle(style);
    if (!picked || !picked->canWrite)
        ScribletLogError(QStringLiteral("sdCard***************************************can't write file**********************************"));
    const QString root = picked ? picked->StoreMediumrootPath : QString();
    if (root.isEmpty())
        ScribletLogInfo(QStringLiteral("sdCard StoreMediumrootPath = nil"));
    QMutexLocker lock(&m_lock);
    m_cardPath = root;
    return root;
}

QString TransferMediaTask::userSelectedPath(int kind, bool isAudio)
{
    switch (kind) {
    case 7: return QStringLiteral("/TVShows");
    case 6: return QStringLiteral("/iTunesU");
    case 5: return QStringLiteral("/Podcasts");
    case 8: return QStringLiteral("/Audio Book");
    default: return isAudio ? QStringLiteral("/Music") : QStringLiteral("/Video");
    }
}

void TransferMediaTask::loadDestDeviceInfo()
{
    const auto device = destDevice();
    if (!device)
        return;
    QMutexLocker lock(&g_loadingMobileDexmoor);
    const auto loadUnless = [](ILoadable *part, int loadedState) {
        if (part && part->syncState() != loadedState) {
            if (auto task = part->load(0))
                task->waitDone();
        }
    };
    if (IMediaManager *music = device->musicManager()) {
        loadUnless(music, DeviceSyncState::Loaded);
        loadUnless(music->playlists(), DeviceSyncState::Loaded);
    }
    loadUnless(device->videoManager(), DeviceSyncState::Loaded);
    loadUnless(device->deviceStorageInfos(), DeviceSyncState::Loading);
}

std::optional<qint64> TransferMediaTask::fileInfoForfileManager(const QString &path) const
{
    const auto device = destDevice();
    if (!device || !device->fileManager())
        return std::nullopt;
    QMutexLocker lock(&g_syncItemFileInfo);
    const auto info = device->fileManager()->getFileInfo(path);
    if (!info)
        return std::nullopt;
    return info->length;
}

bool TransferMediaTask::existsPhoneFileName(const QString &name, const QString &folder, qint64 *length) const
{
    const QString path = folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
    const auto found = fileInfoForfileManager(path);
    if (!found)
        return false;
    if (length)
        *length = *found;
    return true;
}

std::pair<QString, int> TransferMediaTask::stripNumberedSuffix(const QString &name)
{
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (open <= 0 || !name.endsWith(QLatin1Char(')')))
        return {name, 0};
    const QString digits = name.mid(open + 1, name.size() - open - 2);
    if (digits.isEmpty())
        return {name, 0};
    for (QChar c : digits) {
        if (!c.isDigit())
            return {name, 0};
    }
    return {name.left(open), digits.toInt()};
}

QString TransferMediaTask::getUnUsedFileName(const QString &path, qint64 fileSize, bool *isExist) const
{
    if (isExist)
        *isExist = false;
    const QFileInfo info(path);
    const QString folder = info.path();
    const QString ext = info.suffix();
    const QString base = stripNumberedSuffix(info.completeBaseName()).first;
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = numbered(folder, base, n, ext);
        qint64 length = 0;
        if (!existsPhoneFileName(QFileInfo(candidate).fileName(), folder, &length))
            return candidate;
        if (isExist && length == fileSize) {
            *isExist = true;
            return candidate;
        }
    }
    return QString();
}

QString TransferMediaTask::getUnUsedLocalFileName(const QString &path)
{
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QString base = stripNumberedSuffix(info.completeBaseName()).first;
    for (int n = 1; n < 100000; ++n) {
        const QString candidate = numbered(info.path(), base, n, info.suffix());
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    return QString();
}

QString TransferMediaTask::getUnUsedDestFile(const QString &path)
{
    const QFileInfo info(path);
    const auto [base, number] = stripNumberedSuffix(info.completeBaseName());
    return numbered(info.path(), base, number + 1, info.suffix());
}

qint64 TransferMediaTask::getFileSizeForSourceFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}

QString TransferMediaTask::taskTempFilePath()
{
    QMutexLocker lock(&m_lock);
    if (!m_tempFolder) {
        // Private to this job (0700, a unique name), never a guessable name in the shared folder.
        m_tempFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/fennix-transfer-XXXXXX"));
        if (!m_tempFolder->isValid()) {
            m_tempFolder.reset();
            return QString();
        }
        m_tempHold = AbandonedWork::hold(m_tempFolder->path());
    }
    return m_tempFolder->path();
}
