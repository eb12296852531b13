#include "transfer/QVMobileDeviceItem.h"

#include "devices/AdbHelper.h"
#include "devices/DeviceInfo.h"
#include "devices/DeviceStorageInfos.h"
#include "devices/DeviceTypes.h"
#include "devices/IAsyncTask.h"
#include "devices/IMediaManager.h"
#include "devices/IMobileDevice.h"
#include "platform/Dispatch.h"
#include "platform/UserDefaults.h"
#include "shell/WKDataColleciton.h"
#include "platform/log/ScribletLogger.h"
#include "shell/CommonFun.h"

namespace {

void loadManager(IMediaManager *manager, bool force)
{
    if (manager && (force || manager->syncState() != DeviceSyncState::Loaded)) {
        if (auto task = manager->load(0))
            task->waitDone();
    }
}

const char *const ScreenOffGet = "shell settings get system screen_off_timeout";
const char *const ScreenOffPut = "shell settings put system screen_off_timeout %1";

} // namespace

QVMobileDeviceItem::QVMobileDeviceItem(std::shared_ptr<IMobileDevice> device)
    : m_mobileDevice(std::move(device))
    , m_loadDeviceDataQueue(std::make_unique<dispatch::SerialQueue>(QStringLiteral("com.halvorn.Harpwick.loadDeviceDataQueue")))
{
}

QVMobileDeviceItem::~QVMobileDeviceItem() = default;

DeviceInfo *QVMobileDeviceItem::deviceInfo() const
{
    return m_mobileDevice ? m_mobileDevice->deviceInfo() : nullptr;
}

QString QVMobileDeviceItem::deviceName() const
{
    return deviceInfo() ? deviceInfo()->displayName() : QString();
}

QString QVMobileDeviceItem::serialNumber() const
{
    return deviceInfo() ? deviceInfo()->serialNumber() : QString();
}

quint32 QVMobileDeviceItem::platform() const
{
    return deviceInfo() ? deviceInfo()->OSPlatform() : 0;
}

int QVMobileDeviceItem::connectStatus() const
{
    return m_mobileDevice ? m_mobileDevice->connectionStatus() : 0;
}

bool QVMobileDeviceItem::isOnline() const
{
    return connectStatus() == DeviceConnectionStatus::Connected;
}

bool QVMobileDeviceItem::isiPod() const
{
    return m_mobileDevice && m_mobileDevice->isiPod();
}

Version QVMobileDeviceItem::deviceVersion() const
{
    return Version::createFromString(deviceInfo() ? deviceInfo()->OSVersion() : QString());
}

bool QVMobileDeviceItem::isAndroid() const
{
    return platform() == DeviceTransferPlatform::Android;
}

void QVMobileDeviceItem::syncLoadDeviceItemData(const Progress &progress)
{
    {
        QMutexLocker lock(&m_syncObject);
        if (!m_isLoaded && m_mobileDevice) {
            loadManager(m_mobileDevice->musicManager(), m_isForceLoad);
            if (!m_mobileDevice->IsDeviceRemoved()) {
                if (progress)
                    progress(*this, CommonFun::randomFloatBetween(0.51f, 0.7f));
                loadManager(m_mobileDevice->videoManager(), m_isForceLoad);
                if (!m_mobileDevice->IsDeviceRemoved()) {
                    if (progress)
                        progress(*this, CommonFun::randomFloatBetween(0.71f, 0.9f));
                    m_isLoaded = true;
                }
            }
        }
    }
    if (progress)
        progress(*this, 1.0f);
}

void QVMobileDeviceItem::asyncLoadDeviceItemData(std::function<void()> done)
{
    auto self = shared_from_this();
    m_loadDeviceDataQueue->async([self, done = std::move(done)] {
        if (!self->isLoaded())
            self->syncLoadDeviceItemData();
        if (done)
            done();
    });
}

qint64 QVMobileDeviceItem::freeSizeInExternalCard() const
{
    if (!m_mobileDevice)
        return 0;
    const auto external = m_mobileDevice->deviceStorageInfos()->externalCard();
    return external ? external->freeBytes() : 0;
}

qint64 QVMobileDeviceItem::freeSizeInCard() const
{
    if (!m_mobileDevice)
        return 0;
    const auto card = m_mobileDevice->deviceStorageInfos()->card();
    if (!card)
        return 0;
    if (card->total < 100) {
        const auto memory = m_mobileDevice->deviceStorageInfos()->memory();
        return memory ? memory->freeBytes() : 0;
    }
    return card->freeBytes();
}

qint64 QVMobileDeviceItem::getFreeSpaceSize()
{
    if (!m_mobileDevice)
        return 0;
    if (auto task = m_mobileDevice->deviceStorageInfos()->load(0))
        task->waitDone();
    if (platform() == DeviceTransferPlatform::iOS || UserDefaults::standard().boolForKey(QStringLiteral("AutoTansferInSdcard")))
        return freeSizeInExternalCard() + freeSizeInCard();
    const qint64 external = freeSizeInExternalCard();
    return external != 0 ? external : freeSizeInCard();
}

bool QVMobileDeviceItem::isHasSpaceOnMobileDevice(qint64 bytes)
{
    const qint64 free = getFreeSpaceSize();
    ScribletLogInfo(QStringLiteral("HasSpaceOnMobileDevice : deviceSpace %1 transferSize: %2").arg(free).arg(bytes));
    return free >= bytes;
}

QString QVMobileDeviceItem::screenOffDefaultsKey() const
{
    return QStringLiteral("%1_SettingOffTimeout").arg(serialNumber());
}

void QVMobileDeviceItem::settingDeviceScreenOffUserDefaults()
{
    if (!isAndroid())
        return;
    UserDefaults::standard().setBool(screenOffDefaultsKey(), true);
    UserDefaults::standard().synchronize();
}

bool QVMobileDeviceItem::adjustDeviceScreenOffTimeout()
{
    if (!m_mobileDevice || m_mobileDevice->IsDeviceRemoved() || !isAndroid())
        return false;
    if (deviceVersion().compare(Version::createFromString(QStringLiteral("4.2"))) <= 0)
        return false;
    if (!UserDefaults::standard().boolForKey(screenOffDefaultsKey()))
        return false;
    const int current = getDeviceScreenOffTimeout();
    if (current < 1 || current > LongestScreenOffMs)
        return false;
    return setDeviceScreenOffTimeout(LongestScreenOffMs) == 1;
}

int QVMobileDeviceItem::getDeviceScreenOffTimeout()
{
    if (!isAndroid())
        return -1;
    return AdbHelper::pipeExecuteCmd(QString::fromLatin1(ScreenOffGet), serialNumber()).trimmed().toInt();
}

int QVMobileDeviceItem::runScreenCommand(const QString &command)
{
    if (!isAndroid())
        return -1;
    return AdbHelper::pipeExecuteCmd(command, serialNumber()).isEmpty() ? 1 : 0;
}

int QVMobileDeviceItem::setDeviceScreenOffTimeout(int milliseconds)
{
    return runScreenCommand(QString::fromLatin1(ScreenOffPut).arg(milliseconds));
}

int QVMobileDeviceItem::turnScreenOn()
{
    return runScreenCommand(QStringLiteral("shell input keyevent 224"));
}

int QVMobileDeviceItem::turnScreenOff()
{
    return runScreenCommand(QStringLiteral("shell input keyevent 223"));
}

CollectedDevice QVMobileDeviceItem::collectedDevice(IMobileDevice &device)
{
    CollectedDevice out;
    const DeviceInfo::Fields info = device.deviceInfo()->fields();
    out.OSPlatform = int(info.OSPlatform);
    out.connectionStatus = device.connectionStatus();
    out.connectPrepareCheck = device.connectPrepareCheck();
    out.serialNumber = info.serialNumber;
    out.OSVersion = info.OSVersion;
    out.brand = info.brand;
    out.model = info.model;
    if (DeviceStorageInfos *storage = device.deviceStorageInfos()) {
        if (const auto m = storage->memory())
            out.memoryTotal = m->total;
        if (const auto c = storage->card())
            out.cardTotal = c->total;
        if (const auto e = storage->externalCard())
            out.externalCardTotal = e->total;
    }
    return out;
}
