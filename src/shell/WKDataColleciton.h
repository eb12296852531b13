#pragma once

#include <QMutex>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace dispatch {
class SerialQueue;
}

// What the collector reads of a mobile device the device manager reports.
struct CollectedDevice
{
    int OSPlatform = 0;            // 1 Android, 2 iOS, 48 car
    int connectionStatus = 0;
    int connectPrepareCheck = 0;   // 15: every preparation step passed
    std::optional<qint64> memoryTotal, cardTotal, externalCardTotal;  // bytes
    bool hasDeviceInfo = true;
    QString serialNumber, OSVersion, brand, model, carrier, manufacturer;
    std::optional<QString> productType;  // only when the device answers it
    int PID = 0, VID = 0;
    bool hasRoot = false;
};

// Turns what happens into usage-statistics events: (group, value) pairs handed to the
// statistics client. It owns the vocabulary, the buckets, the one-time machine parameters and
// the bookkeeping of mobile devices (each described once per machine). Serial numbers and other
// machine identifiers leave it only hashed.
class WKDataColleciton
{
public:
    using Sink = std::function<void(bool comm, const QString &group, const QString &value)>;

    static WKDataColleciton &share();
    // A collector of its own writing to sink (tests); supportFolder holds "Device.plist" and
    // "deviceSn.dat".
    WKDataColleciton(const QString &supportFolder, Sink sink);
    ~WKDataColleciton();

    // Launch and identity.
    void collectSystemParam();
    bool isFirstTimeRunApp() const;
    void writeFirstTimeFlagToUserInfo();
    void writeClientIdToUserInfo(const QString &clientId);
    QString getClietIdFromUserInfo() const;
    // A salted hash of the machine id (never the id itself); empty when there is none.
    QString createClientID() const;
    // Lists of other installed applications are not collected: does nothing.
    void collectCompeteProductInfo();
    bool isNewDeviceSn(const QString &serial) const;
    bool restoreNewDeviceSnToFile(const QString &serial);

    // System parameters.
    QString getCurMacSystemVersion() const;
    QString getCountryFromTimeZone() const;
    QString getCurLanguageForMacOS() const;
    // "width*height" of the screen the window layer reported, "0*0" before (a headless process).
    QString getSystemPix() const;
    void setScreenSize(const QSize &pixels);
    QString getCurMacType() const;
    QString getItunesVersion() const;  // null: there is no iTunes here
    QString getSystemBrowser() const;

    // Events.
    void collectOpenFennixApp();
    void collectCloseFennixApp();
    void collectAppLauchedMode(bool fromPlugin);
    void collectMainFeature(const QString &feature);
    void collectOnlineComplete(bool yes);
    void collectOnlineEnterSite(const QString &site);
    void collectConvertComplete(bool yes);
    void collectConvertState(const QString &state);
    void collectConvertAddFormat(const QString &format);
    void collectConvertSourceAimsFormat(const QString &format);
    void collectConvertFailedReason(const QString &reason);
    void collectConvertFailedFormat(const QString &format);
    void collectConvertSourceFrom(const QString &from);
    void collectTransferComplete(bool yes);
    void collectTransferState(const QString &state);
    void collectTransferFailedReason(const QString &reason);
    void collectTransferSourceFormat(const QString &format);
    void collectTransferSourceFrom(const QString &from);
    void collectTransferDeviceInfo(const CollectedDevice *device);
    void collectRecordComplete(bool yes);
    void collectRecordState(const QString &state);
    void collectRecordTime(int seconds);
    void collectRecordScreenSize(int size);
    void collectRecordAudioCardState(bool installed);
    void collectRecordAudioCardFailedReason(const QString &reason);
    void collectitunesLibMusicCount(int count);
    void collectitunesLibMusicSize(int size);
    void collectDeviceInfoDeviceBrand(const QString &v);
    void collectDeviceInfoDeviceName(const QString &v);
    void collectDeviceInfoDeviceType(const QString &v);
    void collectDeviceInfoDeviceSystem(const QString &v);
    void collectDeviceInfoDeviceModel(const QString &v);
    void collectDeviceInfoSystemVersionAndroid(const QString &v);
    void collectDeviceInfoSystemVersioniOS(const QString &v);
    void collectDeviceInfoDeivceCapacityiOS(const QString &v);
    void collectDeviceInfoDeviceCarrier(const QString &v);
    void collectDeviceInfoDeviceScreenSize(const QString &v);
    void collectDeviceInfoDeivceCapacity(const QString &v);
    void collectDeviceInfoSDCardCapacity(const QString &v);
    void collectSDCardOrNot(bool yes);
    void collectAndroidIsRoot(bool yes);
    void collectDeviceConnectSucc(const QString &kind, bool success);
    void collectConnectSuccDevicePidVidSerial(const CollectedDevice *device);
    void collectDeviceConnectCount();
    void collectAuthorizedReconnectCount(qint64 count);
    void collectUsbDebuggingReplugCount(qint64 count);

    // Device bookkeeping.
    void addDeviceSerialNumber(const QString &serial);
    void collectConnectInsertDevice(const CollectedDevice *device);
    void collectDeviceConnectSuccess(const CollectedDevice *device);
    void collectDeviceConnectFailed(const CollectedDevice *device);
    void collectConnectFailedVendorName(const CollectedDevice *device);
    void collectDeviceAuthorizedReconnect(const CollectedDevice *device);
    void collectDeviceDebuggingReplug(const CollectedDevice *device);
    void collectDeviceInfo(const CollectedDevice *device);
    void collectDeviceConnectInfo(bool *reportedFailure);
    QString curDeviceType(const CollectedDevice *device) const;
    static QString curFailedReason(int connectionStatus);
    static bool isPrepareAllOKStatus(int check) { return check == 15; }
    // Bucket texts of the counts ("Authorized" -> "Authorized_3_5"); empty for 0 or less.
    static QString countBucket(const QString &prefix, qint64 count);

    // The device list of "Device.plist" (hashed serials) and its file.
    QStringList readLocalDeviceLists() const;
    bool saveLocalDeviceLists(const QStringList &list) const;
    QString deviceListPath() const;
    QString snFilePath() const;
    QVariantMap deviceRecord(const QString &serial) const;
    // A salted hash of a serial number, as stored and sent.
    static QString hashedSerial(const QString &serial);
    // Waits for the background collections (tests).
    void waitForQueue();

private:
    void send(bool comm, const QString &group, const QString &value);
    bool ignored(const CollectedDevice *device) const;
    void updateRecord(const QString &serial, const std::function<void(QVariantMap &)> &change);
    QString pidVidSerial(const CollectedDevice *device) const;

    QString m_folder;
    Sink m_sink;
    mutable QMutex m_screenLock;
    QSize m_screenSize{0, 0};
    mutable QMutex m_devicesLock;  // every read and change of m_devicesDic
    QMap<QString, QVariantMap> m_devicesDic;
    mutable QMutex m_fileLock;     // "Device.plist" and "deviceSn.dat"
    std::unique_ptr<dispatch::SerialQueue> m_queue;
};
