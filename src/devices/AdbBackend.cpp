#include "devices/AdbBackend.h"

#include "devices/AdbFileStore.h"
#include "devices/AdbHelper.h"
#include "devices/DeviceTypes.h"
#include "devices/Dexmoor.h"
#include "devices/StoreMobileDevice.h"
#include "platform/ProcessRegistry.h"

#include <QDebug>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>

namespace {
constexpr int RestartDelayMs = 2000;
// One getprop per arriving phone; a phone that does not answer in time is named by its serial.
std::atomic<int> g_propertyTimeoutMs{AdbBackend::DefaultPropertyTimeoutMs};
}

void AdbBackend::setPropertyTimeoutMs(int ms)
{
    g_propertyTimeoutMs = ms;
}

AdbBackend::AdbBackend() = default;

AdbBackend::~AdbBackend() = default;

int AdbBackend::statusForState(const QString &state)
{
    if (state == QLatin1String("device"))
        return DeviceConnectionStatus::Connected;
    if (state == QLatin1String("unauthorized") || state == QLatin1String("authorizing"))
        return DeviceConnectionStatus::WaitingForTrust;
    if (state == QLatin1String("connecting"))
        return DeviceConnectionStatus::Connecting;
    return DeviceConnectionStatus::Failed;
}

QList<QHash<QString, QString>> AdbBackend::takeDeviceLists(QByteArray &buffer)
{
    QList<QHash<QString, QString>> lists;
    while (buffer.size() >= 4) {
        bool ok = false;
        const int length = buffer.left(4).toInt(&ok, 16);
        if (!ok || length < 0) {
            buffer.clear();  // not a track-devices stream; drop it rather than misread it
            break;
        }
        if (buffer.size() < 4 + length)
            break;
        QHash<QString, QString> states;
        qsizetype listed = 0;
        for (const QByteArray &line : buffer.mid(4, length).split('\n')) {
            const qsizetype tab = line.indexOf('\t');
            if (tab <= 0)
                continue;
            // Each phone costs a getprop: a listing of thousands is not a desk of phones.
            if (states.size() < MaxDevicesPerListing)
                states.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)).trimmed());
            ++listed;
        }
        if (listed > MaxDevicesPerListing)
            qWarning("adb listed %lld devices; only the first %d are taken", qlonglong(listed), MaxDevicesPerListing);
        buffer.remove(0, 4 + length);
        lists.append(states);
    }
    return lists;
}

QHash<QString, QString> AdbBackend::parseProperties(const QByteArray &output)
{
    static const QRegularExpression line(QStringLiteral("^\\[([^\\]]+)\\]: \\[(.*)\\]$"));
    QHash<QString, QString> properties;
    for (const QByteArray &raw : output.split('\n')) {
        const auto match = line.match(QString::fromUtf8(raw).trimmed());
        if (match.hasMatch())
            properties.insert(match.captured(1), match.captured(2));
    }
    return properties;
}

DeviceInfo::Fields AdbBackend::readInfo(const QString &serial)
{
    const auto props = parseProperties(AdbHelper::shell(serial, QStringLiteral("getprop"), g_propertyTimeoutMs).output);
    DeviceInfo::Fields info;
    info.serialNumber = serial;
    info.OSPlatform = DeviceTransferPlatform::Android;
    info.OSVersion = props.value(QStringLiteral("ro.build.version.release"));
    info.brand = props.value(QStringLiteral("ro.product.brand"));
    info.model = props.value(QStringLiteral("ro.product.model"));
    info.displayName = props.value(QStringLiteral("ro.product.marketname"), info.model);
    if (info.displayName.isEmpty())
        info.displayName = serial;
    return info;
}

void AdbBackend::start(Dexmoor &manager)
{
    m_manager = &manager;
    m_stopping = false;
    m_context = new QObject;
    startWatch();
}

void AdbBackend::startWatch()
{
    if (m_stopping)
        return;
    const QString adb = AdbHelper::adbProgram();
    if (adb.isEmpty())
        return;  // no adb installed: Android phones are seen only by the USB watch
    if (m_watch)
        m_watch->deleteLater();
    m_buffer.clear();
    // Tied to our life: quitting must not leave the watch behind. (Not registered: it lives on
    // the device thread, and the registry ends its processes from the main thread.)
    m_watch = new QProcess;
    ProcessRegistry::setDieWithParent(m_watch);
    m_watch->setProgram(adb);
    m_watch->setArguments({QStringLiteral("track-devices")});
    QObject::connect(m_watch, &QProcess::readyReadStandardOutput, m_watch, [this] {
        m_buffer += m_watch->readAllStandardOutput();
        for (const auto &list : takeDeviceLists(m_buffer))
            applyList(list);
    });
    QObject::connect(m_watch, &QProcess::finished, m_watch, [this] {
        if (!m_stopping)
            QTimer::singleShot(RestartDelayMs, m_context, [this] { startWatch(); });
    });
    m_watch->start();
}

void AdbBackend::stop()
{
    m_stopping = true;
    if (m_watch) {
        m_watch->kill();
        m_watch->waitForFinished(3000);
        delete m_watch;
        m_watch = nullptr;
    }
    delete m_context;
    m_context = nullptr;
    m_devices.clear();
    m_manager = nullptr;
}

void AdbBackend::applyList(const QHash<QString, QString> &states)
{
    for (auto it = m_devices.begin(); it != m_devices.end();) {
        if (states.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->markRemoved();
        if (m_manager)
            m_manager->deviceLeft(it.value());
        it = m_devices.erase(it);
    }
    for (auto it = states.begin(); it != states.end(); ++it) {
        // Quitting does not wait for the rest of a long listing.
        if (!m_manager || !m_manager->isListening())
            return;
        const QString serial = it.key();
        const int status = statusForState(it.value());
        if (auto known = m_devices.value(serial)) {
            if (status == DeviceConnectionStatus::Connected && known->connectionStatus() != status)
                known->setInfo(readInfo(serial));
            known->setConnectionStatus(status);
            continue;
        }
        StoreMobileDevice::Setup setup;
        if (status == DeviceConnectionStatus::Connected) {
            setup.info = readInfo(serial);
        } else {
            setup.info.serialNumber = setup.info.displayName = serial;
            setup.info.OSPlatform = DeviceTransferPlatform::Android;
        }
        setup.store = std::make_shared<AdbFileStore>(serial);
        setup.musicFolder = AdbFileStore::builtInRoot() + QStringLiteral("/Music");
        setup.videoFolder = AdbFileStore::builtInRoot() + QStringLiteral("/Video");
        setup.extCardWritable = true;
        setup.connectionStatus = status;
        setup.connector = [serial] {
            const auto result = AdbHelper::run({QStringLiteral("get-state")}, serial, 10000);
            return result.ok() ? statusForState(QString::fromUtf8(result.output).trimmed())
                               : DeviceConnectionStatus::Failed;
        };
        auto device = std::make_shared<StoreMobileDevice>(setup);
        m_devices.insert(serial, device);
        if (m_manager)
            m_manager->deviceArrived(device);
    }
}
