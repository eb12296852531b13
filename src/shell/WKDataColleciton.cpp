#include "shell/WKDataColleciton.h"

#include "outside/kelvra/QVHPHelper.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimeZone>

#include <cmath>

namespace {

const QString kType = QStringLiteral("DeviceConnectType");
const QString kSuccess = QStringLiteral("DeviceConnectSuccess");
const QString kReason = QStringLiteral("DeviceConnectFailedReason");
const QString kVendor = QStringLiteral("DeviceConnectVendorName");
const QString kPidVid = QStringLiteral("DeviceConnectPidVidSerial");
const QString kAuthorized = QStringLiteral("AuthorizedReconnectCount");
const QString kUsb = QStringLiteral("UsbDebuggingReplugCount");

constexpr int CarPlatform = 48;

QString yesNo(const char *prefix, bool yes)
{
    return QString::fromLatin1(prefix) + (yes ? QStringLiteral("_Yes") : QStringLiteral("_No"));
}

} // namespace

WKDataColleciton &WKDataColleciton::share()
{
    static WKDataColleciton *instance = new WKDataColleciton(
        AppPaths::applicationSupport() + QStringLiteral("/Orrisca Studio"),
        [](bool comm, const QString &group, const QString &value) {
            if (comm)
                QVHPHelper::share().commIncreaseDataCollect(group, value);
            else
                QVHPHelper::share().autoCreatedIncreaseDataCollect(group, value);
        });
    return *instance;
}

WKDataColleciton::WKDataColleciton(const QString &supportFolder, Sink sink)
    : m_folder(supportFolder), m_sink(std::move(sink)),
      m_queue(std::make_unique<dispatch::SerialQueue>(QStringLiteral("com.Halvorn.Harpwick.CollectData")))
{
}

WKDataColleciton::~WKDataColleciton() = default;

void WKDataColleciton::send(bool comm, const QString &group, const QString &value)
{
    if (m_sink)
        m_sink(comm, group, value);
}

void WKDataColleciton::waitForQueue()
{
    m_queue->sync([] {});
}

// ---- launch and identity

void WKDataColleciton::collectSystemParam()
{
    collectOpenFennixApp();
    if (!isFirstTimeRunApp())
        return;
    // Machine parameters go once per installation.
    writeFirstTimeFlagToUserInfo();
    // The screen is read here, on the calling (main) thread; the rest on the queue.
    const QString pix = getSystemPix();
    m_queue->async([this, pix] {
        send(false, QStringLiteral("SysOS"), getCurMacSystemVersion());
        send(false, QStringLiteral("SysCountry"), getCountryFromTimeZone());
        send(false, QStringLiteral("SysLanguage"), getCurLanguageForMacOS());
        send(false, QStringLiteral("SysResolution"), pix);
        send(false, QStringLiteral("MacType"), getCurMacType());
        send(false, QStringLiteral("iTunesVersion"), getItunesVersion());
        send(false, QStringLiteral("Browser"), getSystemBrowser());
    });
}

bool WKDataColleciton::isFirstTimeRunApp() const
{
    return UserDefaults::standard().stringForKey(QStringLiteral("IsFirstTimeRunApp")).isEmpty();
}

void WKDataColleciton::writeFirstTimeFlagToUserInfo()
{
    UserDefaults::standard().setString(QStringLiteral("IsFirstTimeRunApp"), QStringLiteral("FirstTime"));
}

void WKDataColleciton::writeClientIdToUserInfo(const QString &clientId)
{
    if (!clientId.isEmpty())
        UserDefaults::standard().setString(QStringLiteral("MAC_IDENTITY"), clientId);
}

QString WKDataColleciton::getClietIdFromUserInfo() const
{
    UserDefaults &d = UserDefaults::standard();
    const QString id = d.stringForKey(QStringLiteral("MAC_IDENTITY"));
    if (!id.isEmpty())
        return id;
    d.removeObjectForKey(QStringLiteral("MAC_IDENTITY"));
    return QStringLiteral("ERROR");
}

QString WKDataColleciton::createClientID() const
{
    return QVHPHelper::clientIdentity();
}

void WKDataColleciton::collectCompeteProductInfo()
{
    // Which other programs a user has installed is none of our business.
}

QString WKDataColleciton::hashedSerial(const QString &serial)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral("device serial/"));
    hash.addData(serial.trimmed().toLower().toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(32));
}

QString WKDataColleciton::snFilePath() const
{
    return m_folder + QStringLiteral("/deviceSn.dat");
}

bool WKDataColleciton::isNewDeviceSn(const QString &serial) const
{
    if (serial.isEmpty())
        return false;
    QMutexLocker lock(&m_fileLock);
    const QVariantList list = PropertyList::readFile(snFilePath()).toList();
    return !list.contains(hashedSerial(serial));
}

bool WKDataColleciton::restoreNewDeviceSnToFile(const QString &serial)
{
    if (serial.isEmpty())
        return false;
    QMutexLocker lock(&m_fileLock);
    QVariantList list = PropertyList::readFile(snFilePath()).toList();
    const QString h = hashedSerial(serial);
    if (list.contains(h))
        return false;
    list.append(h);
    return AppPaths::ensureFolder(m_folder) && PropertyList::writeFile(snFilePath(), list);
}

// ---- system parameters

QString WKDataColleciton::getCurMacSystemVersion() const
{
    const QString v = QSysInfo::productVersion();
    return (v.isEmpty() || v == QLatin1String("unknown")) ? QStringLiteral("ERROR") : v;
}

QString WKDataColleciton::getCountryFromTimeZone() const
{
    return QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

QString WKDataColleciton::getCurLanguageForMacOS() const
{
    QStringList languages = UserDefaults::standard().stringArrayForKey(QStringLiteral("AppleLanguages"));
    if (languages.isEmpty())
        languages = QLocale::system().uiLanguages();
    if (languages.isEmpty() || languages.first().isEmpty()) {
        ScribletLogInfo(QStringLiteral("getCurLanguageForMac___ERRor"));
        return QStringLiteral("ERROR");
    }
    return languages.first();
}

QString WKDataColleciton::getSystemPix() const
{
    QMutexLocker lock(&m_screenLock);
    return QString::asprintf("%.0f*%.0f", double(m_screenSize.width()), double(m_screenSize.height()));
}

void WKDataColleciton::setScreenSize(const QSize &pixels)
{
    QMutexLocker lock(&m_screenLock);
    m_screenSize = pixels.isValid() ? pixels : QSize(0, 0);
}

QString WKDataColleciton::getCurMacType() const
{
    // The model name of the machine, not anything that identifies it.
    QFile file(QStringLiteral("/sys/devices/virtual/dmi/id/product_name"));
    QString model;
    if (file.open(QIODevice::ReadOnly))
        model = QString::fromUtf8(file.read(256)).trimmed();
    return model.isEmpty() ? QStringLiteral("Just an Apple Computer") : model;
}

QString WKDataColleciton::getItunesVersion() const
{
    return {};
}

QString WKDataColleciton::getSystemBrowser() const
{
    // The handler of "x-scheme-handler/http" in the user's mimeapps.list, as a bare name.
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        if (!SafeFileReader::isRegularOrMissing(folder + QStringLiteral("/mimeapps.list")))
            continue;
        QSettings apps(folder + QStringLiteral("/mimeapps.list"), QSettings::IniFormat);
        const QString handler = apps.value(QStringLiteral("Default Applications/x-scheme-handler/http")).toString();
        if (!handler.isEmpty()) {
            QString name = QFileInfo(handler.section(QLatin1Char(';'), 0, 0)).fileName();
            if (name.endsWith(QLatin1String(".desktop")))
                name.chop(8);
            return name;
        }
    }
    return QStringLiteral("ERROR");
}

// ---- events

void WKDataColleciton::collectOpenFennixApp() { send(true, QStringLiteral("CrashRate"), QStringLiteral("StartProgram")); }
void WKDataColleciton::collectCloseFennixApp() { send(true, QStringLiteral("CrashRate"), QStringLiteral("ExitProgram")); }

void WKDataColleciton::collectAppLauchedMode(bool fromPlugin)
{
    send(true, QStringLiteral("Start_From"), fromPlugin ? QStringLiteral("Plugin") : QStringLiteral("Program"));
}

void WKDataColleciton::collectMainFeature(const QString &feature)
{
    if (!feature.isNull())
        send(true, QStringLiteral("MainFeature"), feature);
}

#define WK_TEXT_EVENT(method, comm, group)                                                                        \
    void WKDataColleciton::method(const QString &text)                                                            \
    {                                                                                                             \
        if (!text.isEmpty())                                                                                      \
            send(comm, QStringLiteral(group), text);                                                              \
    }
#define WK_PLAIN_EVENT(method, group)                                                                             \
    void WKDataColleciton::method(const QString &text) { send(false, QStringLiteral(group), text); }

WK_TEXT_EVENT(collectOnlineEnterSite, false, "Online_EnterSite")
WK_TEXT_EVENT(collectConvertState, true, "ConvertRate")
WK_TEXT_EVENT(collectConvertAddFormat, false, "ConvertAddFileFormart")
WK_TEXT_EVENT(collectConvertSourceAimsFormat, false, "ConvertFormat")
WK_TEXT_EVENT(collectConvertFailedReason, false, "ConvertFailedReason")
WK_TEXT_EVENT(collectConvertFailedFormat, false, "ConvertFailedFormat")
WK_TEXT_EVENT(collectConvertSourceFrom, true, "Convert_SourceFrom")
WK_TEXT_EVENT(collectTransferState, true, "TransferRate")
WK_TEXT_EVENT(collectTransferFailedReason, false, "TransferFailedReason")
WK_TEXT_EVENT(collectTransferSourceFormat, false, "Transfer_SourceFormat")
WK_TEXT_EVENT(collectTransferSourceFrom, true, "Transfer_SourceFrom")
WK_TEXT_EVENT(collectRecordState, true, "Record_State")
WK_TEXT_EVENT(collectRecordAudioCardFailedReason, false, "VirtualCardFailedReason")
WK_PLAIN_EVENT(collectDeviceInfoDeviceBrand, "DeviceBrand")
WK_PLAIN_EVENT(collectDeviceInfoDeviceName, "DeviceName")
WK_PLAIN_EVENT(collectDeviceInfoDeviceType, "DeviceType")
WK_PLAIN_EVENT(collectDeviceInfoDeviceSystem, "DeviceSystem")
WK_PLAIN_EVENT(collectDeviceInfoDeviceModel, "DeviceNameModel")
WK_PLAIN_EVENT(collectDeviceInfoSystemVersionAndroid, "SystemVersionAndroid")
WK_PLAIN_EVENT(collectDeviceInfoSystemVersioniOS, "SystemVersioniOS")
WK_PLAIN_EVENT(collectDeviceInfoDeivceCapacityiOS, "DeivceCapacityiOS")
WK_PLAIN_EVENT(collectDeviceInfoDeviceCarrier, "DeviceCarrier")
WK_PLAIN_EVENT(collectDeviceInfoDeviceScreenSize, "DeviceScreenSize")
WK_PLAIN_EVENT(collectDeviceInfoDeivceCapacity, "DeivceCapacityAndroid")
WK_PLAIN_EVENT(collectDeviceInfoSDCardCapacity, "SDCardCapacity")
#undef WK_TEXT_EVENT
#undef WK_PLAIN_EVENT

void WKDataColleciton::collectOnlineComplete(bool yes) { send(false, QStringLiteral("Online_Complete"), yesNo("Online_Complete", yes)); }
void WKDataColleciton::collectConvertComplete(bool yes) { send(false, QStringLiteral("Convert_Complete"), yesNo("Convert_Complete", yes)); }
void WKDataColleciton::collectTransferComplete(bool yes) { send(false, QStringLiteral("Transfer_Complete"), yesNo("Transfer_Complete", yes)); }
void WKDataColleciton::collectRecordComplete(bool yes) { send(true, QStringLiteral("Record_Complete"), yes ? QStringLiteral("Yes") : QStringLiteral("No")); }
void WKDataColleciton::collectSDCardOrNot(bool yes) { send(true, QStringLiteral("AndroidSDCard"), yesNo("AndroidSDCard", yes)); }
void WKDataColleciton::collectAndroidIsRoot(bool yes) { send(true, QStringLiteral("AndroidRoot"), yesNo("AndroidRoot", yes)); }

void WKDataColleciton::collectTransferDeviceInfo(const CollectedDevice *device)
{
    if (!device)
        return;
    send(true, QStringLiteral("DeviceOS"), device->OSPlatform == 2 ? QStringLiteral("DeviceOS_iOS") : QStringLiteral("DeviceOS_Android"));
    send(false, QStringLiteral("DeviceType"), QStringLiteral("%1_%2_%3").arg(device->manufacturer, device->brand, device->model));
}

void WKDataColleciton::collectRecordTime(int seconds)
{
    if (seconds > 0)
        send(false, QStringLiteral("RecordTime"), QString::number(seconds));
}

void WKDataColleciton::collectRecordScreenSize(int size) { send(false, QStringLiteral("RecordSize"), QStringLiteral("%1p").arg(size)); }

void WKDataColleciton::collectRecordAudioCardState(bool installed)
{
    send(true, QStringLiteral("VirtualCardInstalled"),
         installed ? QStringLiteral("VirtualCardInstalledSuccess") : QStringLiteral("VirtualCardInstalledFailed"));
}

void WKDataColleciton::collectitunesLibMusicCount(int count) { send(false, QStringLiteral("iTunesMusicAmount"), QString::number(count)); }
void WKDataColleciton::collectitunesLibMusicSize(int size) { send(false, QStringLiteral("iTunesMusicSize"), QString::number(size)); }

void WKDataColleciton::collectDeviceConnectSucc(const QString &kind, bool success)
{
    if (kind != QLatin1String("iOS") && kind != QLatin1String("iPod") && kind != QLatin1String("Android"))
        return;
    send(true, kind + QStringLiteral("ConnectSuccessRate"), kind + (success ? QStringLiteral("ConnectSuccess") : QStringLiteral("ConnectFail")));
}

QString WKDataColleciton::pidVidSerial(const CollectedDevice *device) const
{
    return QStringLiteral("%1_%2_%3").arg(device->PID).arg(device->VID).arg(hashedSerial(device->serialNumber));
}

void WKDataColleciton::collectConnectSuccDevicePidVidSerial(const CollectedDevice *device)
{
    if (!ignored(device))
        send(true, QStringLiteral("ConnectSuccessPidVidSerial"), pidVidSerial(device));
}

QString WKDataColleciton::countBucket(const QString &prefix, qint64 count)
{
    if (count <= 0)
        return {};
    if (count <= 2)
        return prefix + QStringLiteral("_1_2");
    if (count <= 5)
        return prefix + QStringLiteral("_3_5");
    if (count <= 10)
        return prefix + QStringLiteral("_6_10");
    return prefix + QStringLiteral("_10more");
}

void WKDataColleciton::collectDeviceConnectCount()
{
    qsizetype n = 0;
    {
        QMutexLocker lock(&m_devicesLock);
        n = m_devicesDic.size();
    }
    const QString value = n <= 1 ? QStringLiteral("DeviceCount_1")
                        : n >= 5 ? QStringLiteral("DeviceCount_more")
                                 : QStringLiteral("DeviceCount_%1").arg(n);
    send(true, QStringLiteral("DeviceCount"), value);
}

void WKDataColleciton::collectAuthorizedReconnectCount(qint64 count)
{
    const QString bucket = countBucket(QStringLiteral("Authorized"), count);
    if (!bucket.isEmpty())
        send(true, QStringLiteral("AuthorizedReconnectCount"), bucket);
}

void WKDataColleciton::collectUsbDebuggingReplugCount(qint64 count)
{
    const QString bucket = countBucket(QStringLiteral("UsbDebugging"), count);
    if (!bucket.isEmpty())
        send(true, QStringLiteral("UsbDebuggingReplugCount"), bucket);
}

// ---- device bookkeeping

bool WKDataColleciton::ignored(const CollectedDevice *device) const
{
    return !device || device->OSPlatform == CarPlatform;
}

QString WKDataColleciton::curDeviceType(const CollectedDevice *device) const
{
    if (!device || device->OSPlatform != 2)
        return QStringLiteral("Android");
    return device->serialNumber.size() < 40 ? QStringLiteral("iPod") : QStringLiteral("iOS");
}

QString WKDataColleciton::curFailedReason(int connectionStatus)
{
    switch (connectionStatus) {
    case 1: return QStringLiteral("ChargeMode");
    case 5: return QStringLiteral("SleepFailed");
    case 6: return QStringLiteral("Authorized");
    case 7: return QStringLiteral("Password");
    case 9: return QStringLiteral("iPodPathUnmount");
    default: return QStringLiteral("OtherConnectFail");
    }
}

void WKDataColleciton::addDeviceSerialNumber(const QString &serial)
{
    if (serial.isEmpty())
        return;
    QMutexLocker lock(&m_devicesLock);
    if (!m_devicesDic.contains(serial))
        m_devicesDic.insert(serial, QVariantMap());
}

void WKDataColleciton::updateRecord(const QString &serial, const std::function<void(QVariantMap &)> &change)
{
    if (serial.isEmpty())
        return;
    QMutexLocker lock(&m_devicesLock);
    QVariantMap &record = m_devicesDic[serial];
    change(record);
}

QVariantMap WKDataColleciton::deviceRecord(const QString &serial) const
{
    QMutexLocker lock(&m_devicesLock);
    return m_devicesDic.value(serial);
}

void WKDataColleciton::collectConnectInsertDevice(const CollectedDevice *device)
{
    if (ignored(device))
        return;
    const QString type = curDeviceType(device);
    updateRecord(device->serialNumber, [&](QVariantMap &r) { r.insert(kType, type); });
}

void WKDataColleciton::collectDeviceConnectSuccess(const CollectedDevice *device)
{
    if (ignored(device))
        return;
    updateRecord(device->serialNumber, [](QVariantMap &r) {
        r.insert(kSuccess, true);
        r.remove(kReason);
    });
}

void WKDataColleciton::collectDeviceConnectFailed(const CollectedDevice *device)
{
    if (ignored(device))
        return;
    QString reason = curFailedReason(device->connectionStatus);
    if (device->OSPlatform == 1 && !isPrepareAllOKStatus(device->connectPrepareCheck))
        reason = QStringLiteral("USBdebugging");
    updateRecord(device->serialNumber, [&](QVariantMap &r) {
        r.insert(kSuccess, false);
        r.insert(kReason, reason);
    });
    collectConnectFailedVendorName(device);
    if (reason == QLatin1String("USBdebugging"))
        collectDeviceDebuggingReplug(device);
    else if (reason == QLatin1String("Authorized"))
        collectDeviceAuthorizedReconnect(device);
}

void WKDataColleciton::collectConnectFailedVendorName(const CollectedDevice *device)
{
    if (ignored(device))
        return;
    const QString pidVid = pidVidSerial(device);
    updateRecord(device->serialNumber, [&](QVariantMap &r) {
        r.insert(kPidVid, pidVid);
        r.insert(kVendor, device->manufacturer);
    });
}

void WKDataColleciton::collectDeviceAuthorizedReconnect(const CollectedDevice *device)
{
    if (!ignored(device))
        updateRecord(device->serialNumber, [](QVariantMap &r) { r.insert(kAuthorized, r.value(kAuthorized).toLongLong() + 1); });
}

void WKDataColleciton::collectDeviceDebuggingReplug(const CollectedDevice *device)
{
    if (!ignored(device))
        updateRecord(device->serialNumber, [](QVariantMap &r) { r.insert(kUsb, r.value(kUsb).toLongLong() + 1); });
}

QString WKDataColleciton::deviceListPath() const
{
    return m_folder + QStringLiteral("/Device.plist");
}

QStringList WKDataColleciton::readLocalDeviceLists() const
{
    QMutexLocker lock(&m_fileLock);
    const QString path = deviceListPath();
    if (!QFileInfo::exists(path)) {
        // A real empty list, so the file always reads back as what it is.
        if (AppPaths::ensureFolder(m_folder))
            PropertyList::writeFile(path, QVariantList());
        return {};
    }
    QStringList out;
    const QVariant v = PropertyList::readFile(path, nullptr, PropertyList::OnDamage::Keep);
    for (const QVariant &item : v.toList())
        out.append(item.toString());
    return out;
}

bool WKDataColleciton::saveLocalDeviceLists(const QStringList &list) const
{
    QMutexLocker lock(&m_fileLock);
    QVariantList values;
    for (const QString &s : list)
        values.append(s);
    return AppPaths::ensureFolder(m_folder) && PropertyList::writeFile(deviceListPath(), values);
}

void WKDataColleciton::collectDeviceInfo(const CollectedDevice *device)
{
    if (!device || !device->hasDeviceInfo)
        return;
    QStringList list = readLocalDeviceLists();
    const QString h = hashedSerial(device->serialNumber);
    if (list.contains(h))
        return;
    // Capacity in whole GiB, rounded up.
    const qint64 total = device->memoryTotal.value_or(0) + device->cardTotal.value_or(0) + device->externalCardTotal.value_or(0);
    const qint64 gib = qint64(1) << 30;
    const QString capacity = QString::number(total <= 0 ? 0 : (total + gib - 1) / gib);
    if (device->OSPlatform == 1) {
        collectSDCardOrNot(device->externalCardTotal.value_or(0) > 0);
        collectAndroidIsRoot(device->hasRoot);
        collectDeviceInfoDeivceCapacity(capacity);
        collectDeviceInfoSystemVersionAndroid(device->OSVersion);
    } else if (device->OSPlatform == 2) {
        collectDeviceInfoSystemVersioniOS(device->OSVersion);
        collectDeviceInfoDeivceCapacityiOS(capacity);
    }
    collectDeviceInfoDeviceBrand(device->brand);
    collectDeviceInfoDeviceModel(device->model);
    collectDeviceInfoDeviceCarrier(device->carrier);
    if (device->OSPlatform == 1) {
        collectDeviceInfoDeviceSystem(QStringLiteral("DeviceSystem_Android"));
    } else if (device->OSPlatform == 2 && device->productType) {
        const QString type = device->productType->toLower();
        if (type.contains(QLatin1String("iphone")))
            collectDeviceInfoDeviceSystem(QStringLiteral("DeviceSystem_iOS"));
        else if (type.contains(QLatin1String("ipod")))
            collectDeviceInfoDeviceSystem(QStringLiteral("DeviceSystem_iPod"));
        else if (type.contains(QLatin1String("ipad")))
            collectDeviceInfoDeviceSystem(QStringLiteral("DeviceSystem_iOS"));
    }
    collectDeviceConnectSucc(curDeviceType(device), true);
    collectConnectSuccDevicePidVidSerial(device);
    list.append(h);
    saveLocalDeviceLists(list);
}

void WKDataColleciton::collectDeviceConnectInfo(bool *reportedFailure)
{
    QMap<QString, QVariantMap> records;
    {
        QMutexLocker lock(&m_devicesLock);
        records = m_devicesDic;
    }
    if (records.isEmpty())
        return;
    collectDeviceConnectCount();
    QStringList list = readLocalDeviceLists();
    for (auto it = records.cbegin(); it != records.cend(); ++it) {
        const QString h = hashedSerial(it.key());
        if (list.contains(h) || it.value().isEmpty())
            continue;
        const QVariantMap &r = it.value();
        collectAuthorizedReconnectCount(r.value(kAuthorized).toLongLong());
        collectUsbDebuggingReplugCount(r.value(kUsb).toLongLong());
        if (!r.value(kSuccess).toBool()) {
            const QString type = r.value(kType).toString();
            collectDeviceConnectSucc(type, false);
            if (reportedFailure)
                *reportedFailure = true;
            const QString reason = r.value(kReason).toString();
            if (!reason.isEmpty()) {
                if (type == QLatin1String("iOS"))
                    send(true, QStringLiteral("ConnectFailediOS"), reason);
                else if (type == QLatin1String("Android"))
                    send(true, QStringLiteral("ConnectFailedAndroid"), reason);
                else if (type == QLatin1String("iPod"))
                    send(true, QStringLiteral("ConnectFailediPod"), reason);
            }
            if (!r.value(kVendor).toString().isEmpty())
                send(true, QStringLiteral("VendorName"), r.value(kVendor).toString());
            if (!r.value(kPidVid).toString().isEmpty())
                send(true, QStringLiteral("ConnectFailedPidVidSerial"), r.value(kPidVid).toString());
        }
        list.append(h);
        saveLocalDeviceLists(list);
    }
}
