#include "TransferFixtures.h"

#include "devices/DeviceTypes.h"
#include "devices/FakeDeviceBackend.h"
#include "downloads/TBVideoConvertTaskDelegate.h"

#include <QDir>
#include <QFile>

void FakeConversion::start()
{
    m_status = Converting;
    m_started = true;
    if (m_autoFinish) {
        // Ends on the main thread, right after its start there.
        dispatch::async_main([this] {
            progress(60);
            finish(Finished);
        });
    }
}

void FakeConversion::stop()
{
    if (m_status < Finished)
        finish(StoppedByUser);
}

void FakeConversion::progress(int percent)
{
    if (auto d = m_request.delegate.lock())
        d->convertTaskDidChangeProgress(*this, percent);
}

void FakeConversion::finish(qint32 status)
{
    if (status == Finished)
        QFile::copy(m_request.sourcePath, m_request.targetPath);
    m_status = status;
    if (auto d = m_request.delegate.lock())
        d->convertTaskDidFinished(*this);
}

ITransferConversion::Factory FakeConverter::factory()
{
    return [this](const ITransferConversion::Request &request) {
        auto conversion = std::make_shared<FakeConversion>(request, m_autoFinish);
        QMutexLocker lock(&m_lock);
        m_made.append(conversion);
        return conversion;
    };
}

QList<std::shared_ptr<FakeConversion>> FakeConverter::made() const
{
    QMutexLocker lock(&m_lock);
    return m_made;
}

void RecordingItemDelegate::transferItemProgress(TransferFileItem &, int percent)
{
    QMutexLocker lock(&m_lock);
    m_progress.append(percent);
}

void RecordingItemDelegate::transferItemFinished(TransferFileItem &)
{
    ++m_ends;
}

QList<int> RecordingItemDelegate::progress() const
{
    QMutexLocker lock(&m_lock);
    return m_progress;
}

FakeDevice::FakeDevice(quint32 platform, const QString &version, bool transactions)
{
    const QString root = platform == DeviceTransferPlatform::iOS ? QStringLiteral("/Documents") : QStringLiteral("/storage/emulated/0");
    store = makePhoneStore(dir.path(), root);
    StoreMobileDevice::Setup setup;
    setup.info.displayName = QStringLiteral("Fake");
    setup.info.serialNumber = QStringLiteral("FAKE%1").arg(platform);
    setup.info.OSPlatform = platform;
    setup.info.OSVersion = version;
    setup.musicFolder = root + QStringLiteral("/Music");
    setup.videoFolder = root + QStringLiteral("/Video");
    setup.transactions = transactions;
    device = FakeDeviceBackend::makeDevice(store, setup);
    QDir().mkpath(dir.path() + setup.musicFolder);
    QDir().mkpath(dir.path() + setup.videoFolder);
}

QString writeFile(const QString &path, qint64 size)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray block(4096, 'a');
    for (qint64 left = size; left > 0; left -= block.size())
        f.write(block.constData(), std::min<qint64>(left, block.size()));
    return path;
}

std::shared_ptr<FakeFileStore> makePhoneStore(const QString &folder, const QString &root)
{
    QDir().mkpath(folder + root);
    FakeFileStore::Script script;
    const StorageMedium internal{16LL << 30, 6LL << 30, root, true};
    script.storages.memory = internal;
    script.storages.card = internal;
    return std::make_shared<FakeFileStore>(folder, script);
}
