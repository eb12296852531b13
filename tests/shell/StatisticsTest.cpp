// The statistics collector's vocabulary, buckets and device bookkeeping; the statistics client's
// counters and upload; the crash reporter.
#include "outside/crashreporter/BugSplat.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"
#include "shell/WKDataColleciton.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSize>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Event
{
    bool comm;
    QString group;
    QString value;
    bool operator==(const Event &o) const { return comm == o.comm && group == o.group && value == o.value; }
};

struct Recorder
{
    QList<Event> events;
    QMutex lock;
    WKDataColleciton::Sink sink()
    {
        return [this](bool comm, const QString &g, const QString &v) {
            QMutexLocker l(&lock);
            events.append({comm, g, v});
        };
    }
};

QString folder(const char *name)
{
    return TestEnvironment::home() + QLatin1Char('/') + QLatin1String(name);
}

CollectedDevice android(const QString &serial)
{
    CollectedDevice d;
    d.OSPlatform = 1;
    d.serialNumber = serial;
    d.memoryTotal = qint64(16) << 30;
    d.externalCardTotal = 1;
    d.OSVersion = QStringLiteral("13");
    d.brand = QStringLiteral("Brand");
    d.model = QStringLiteral("Model");
    d.carrier = QStringLiteral("Carrier");
    d.manufacturer = QStringLiteral("Maker");
    d.PID = 7;
    d.VID = 9;
    d.connectPrepareCheck = 15;
    return d;
}

// A loopback HTTP server answering every request with the given status.
class TinyHttpServer : public QTcpServer
{
public:
    explicit TinyHttpServer(int status) : m_status(status)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_buffer += s->readAll();
                    const int end = m_buffer.indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    int length = 0;
                    for (const QByteArray &line : m_buffer.left(end).toLower().split('\n'))
                        if (line.startsWith("content-length:"))
                            length = line.mid(15).trimmed().toInt();
                    if (m_buffer.size() < end + 4 + length)
                        return;
                    bodies.append(m_buffer.mid(end + 4, length));
                    m_buffer.clear();
                    s->write("HTTP/1.1 " + QByteArray::number(m_status) + " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    s->disconnectFromHost();
                });
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/collect").arg(serverPort())); }
    QList<QByteArray> bodies;

private:
    int m_status;
    QByteArray m_buffer;
};

} // namespace

TEST(WKDataColleciton, EventVocabulary)
{
    Recorder rec;
    WKDataColleciton c(folder("stats"), rec.sink());
    const struct
    {
        std::function<void()> call;
        QList<Event> expected;
    } cases[] = {
        {[&] { c.collectOpenFennixApp(); }, {{true, "CrashRate", "StartProgram"}}},
        {[&] { c.collectCloseFennixApp(); }, {{true, "CrashRate", "ExitProgram"}}},
        {[&] { c.collectAppLauchedMode(true); }, {{true, "Start_From", "Plugin"}}},
        {[&] { c.collectAppLauchedMode(false); }, {{true, "Start_From", "Program"}}},
        {[&] { c.collectMainFeature(QStringLiteral("MainFeature_Record")); }, {{true, "MainFeature", "MainFeature_Record"}}},
        {[&] { c.collectMainFeature(QString()); }, {}},
        {[&] { c.collectOnlineComplete(false); }, {{false, "Online_Complete", "Online_Complete_No"}}},
        {[&] { c.collectOnlineEnterSite(QString()); }, {}},
        {[&] { c.collectConvertComplete(true); }, {{false, "Convert_Complete", "Convert_Complete_Yes"}}},
        {[&] { c.collectConvertState(QStringLiteral("ConvertSuccess")); }, {{true, "ConvertRate", "ConvertSuccess"}}},
        {[&] { c.collectConvertState(QStringLiteral("")); }, {}},
        {[&] { c.collectConvertAddFormat(QStringLiteral("mkv")); }, {{false, "ConvertAddFileFormart", "mkv"}}},
        {[&] { c.collectConvertSourceFrom(QStringLiteral("Record")); }, {{true, "Convert_SourceFrom", "Record"}}},
        {[&] { c.collectTransferComplete(false); }, {{false, "Transfer_Complete", "Transfer_Complete_No"}}},
        {[&] { c.collectTransferSourceFormat(QStringLiteral("mp4")); }, {{false, "Transfer_SourceFormat", "mp4"}}},
        {[&] { c.collectRecordComplete(true); }, {{true, "Record_Complete", "Yes"}}},
        {[&] { c.collectRecordTime(0); }, {}},
        {[&] { c.collectRecordTime(42); }, {{false, "RecordTime", "42"}}},
        {[&] { c.collectRecordScreenSize(1080); }, {{false, "RecordSize", "1080p"}}},
        {[&] { c.collectRecordAudioCardState(false); }, {{true, "VirtualCardInstalled", "VirtualCardInstalledFailed"}}},
        {[&] { c.collectSDCardOrNot(true); }, {{true, "AndroidSDCard", "AndroidSDCard_Yes"}}},
        {[&] { c.collectAndroidIsRoot(false); }, {{true, "AndroidRoot", "AndroidRoot_No"}}},
        {[&] { c.collectDeviceConnectSucc(QStringLiteral("iPod"), false); }, {{true, "iPodConnectSuccessRate", "iPodConnectFail"}}},
        {[&] { c.collectDeviceConnectSucc(QStringLiteral("Car"), true); }, {}},
        {[&] { c.collectDeviceInfoDeivceCapacity(QStringLiteral("17")); }, {{false, "DeivceCapacityAndroid", "17"}}},
        {[&] { c.collectAuthorizedReconnectCount(0); }, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        rec.events.clear();
        cases[i].call();
        ASSERT_EQ(rec.events.size(), cases[i].expected.size());
        for (int k = 0; k < rec.events.size(); ++k) {
            EXPECT_EQ(rec.events[k].comm, cases[i].expected[k].comm);
            EXPECT_EQ(rec.events[k].group, cases[i].expected[k].group);
            EXPECT_EQ(rec.events[k].value, cases[i].expected[k].value);
        }
    }
}

TEST(WKDataColleciton, Buckets)
{
    const struct
    {
        qint64 count;
        const char *authorized;
    } cases[] = {{-1, ""}, {0, ""}, {1, "Authorized_1_2"}, {2, "Authorized_1_2"}, {3, "Authorized_3_5"}, {5, "Authorized_3_5"},
                 {6, "Authorized_6_10"}, {10, "Authorized_6_10"}, {11, "Authorized_10more"}, {1000000, "Authorized_10more"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(WKDataColleciton::countBucket(QStringLiteral("Authorized"), c.count), QString::fromLatin1(c.authorized));
    }
    const struct
    {
        int status;
        const char *reason;
    } reasons[] = {{1, "ChargeMode"}, {5, "SleepFailed"}, {6, "Authorized"}, {7, "Password"}, {9, "iPodPathUnmount"}, {0, "OtherConnectFail"}, {8, "OtherConnectFail"}};
    for (const auto &r : reasons)
        EXPECT_EQ(WKDataColleciton::curFailedReason(r.status), QString::fromLatin1(r.reason));

    Recorder rec;
    WKDataColleciton c(folder("stats-count"), rec.sink());
    const char *const expected[] = {"DeviceCount_1", "DeviceCount_2", "DeviceCount_3", "DeviceCount_4", "DeviceCount_more", "DeviceCount_more"};
    for (int n = 1; n <= 6; ++n) {
        c.addDeviceSerialNumber(QStringLiteral("serial-%1").arg(n));
        rec.events.clear();
        c.collectDeviceConnectCount();
        ASSERT_EQ(rec.events.size(), 1);
        EXPECT_EQ(rec.events[0].value, QString::fromLatin1(expected[n - 1]));
    }
}

TEST(WKDataColleciton, DeviceDescribedOncePerMachineWithHashedSerials)
{
    Recorder rec;
    {
        WKDataColleciton c(folder("stats-dev"), rec.sink());
        // The device list starts as a real, empty array.
        EXPECT_TRUE(c.readLocalDeviceLists().isEmpty());
        const QVariant onDisk = PropertyList::readFile(c.deviceListPath());
        EXPECT_EQ(onDisk.typeId(), QMetaType::QVariantList);

        CollectedDevice d = android(QStringLiteral("SERIAL-ABC-123"));
        c.collectDeviceInfo(&d);
        QStringList groups;
        for (const Event &e : rec.events)
            groups.append(e.group);
        EXPECT_TRUE(groups.contains(QStringLiteral("AndroidSDCard")));
        EXPECT_TRUE(groups.contains(QStringLiteral("DeivceCapacityAndroid")));
        for (const Event &e : rec.events) {
            if (e.group == QLatin1String("DeivceCapacityAndroid")) {
                EXPECT_EQ(e.value, QStringLiteral("17"));  // 16 GiB + 1 byte
            }
            EXPECT_FALSE(e.value.contains(QStringLiteral("SERIAL-ABC-123"))) << qPrintable(e.group);
        }
        EXPECT_TRUE(rec.events.contains(Event{true, "AndroidConnectSuccessRate", "AndroidConnectSuccess"}));
        EXPECT_TRUE(rec.events.contains(Event{true, "ConnectSuccessPidVidSerial",
                                              "7_9_" + WKDataColleciton::hashedSerial(QStringLiteral("SERIAL-ABC-123"))}));
        QFile file(c.deviceListPath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains("SERIAL-ABC-123"));
    }
    // After a restart the device is known.
    rec.events.clear();
    WKDataColleciton again(folder("stats-dev"), rec.sink());
    CollectedDevice d = android(QStringLiteral("serial-abc-123"));
    again.collectDeviceInfo(&d);
    EXPECT_TRUE(rec.events.isEmpty());
}

TEST(WKDataColleciton, ConnectionRecords)
{
    Recorder rec;
    WKDataColleciton c(folder("stats-rec"), rec.sink());
    CollectedDevice car = android(QStringLiteral("CAR1"));
    car.OSPlatform = 48;
    c.collectConnectInsertDevice(&car);
    c.collectDeviceConnectFailed(&car);
    EXPECT_TRUE(c.deviceRecord(QStringLiteral("CAR1")).isEmpty());

    CollectedDevice a = android(QStringLiteral("A1"));
    a.connectPrepareCheck = 7;
    a.connectionStatus = 6;
    c.collectConnectInsertDevice(&a);
    c.collectDeviceConnectFailed(&a);
    QVariantMap r = c.deviceRecord(QStringLiteral("A1"));
    EXPECT_EQ(r.value(QStringLiteral("DeviceConnectFailedReason")).toString(), QStringLiteral("USBdebugging"));
    EXPECT_EQ(r.value(QStringLiteral("UsbDebuggingReplugCount")).toInt(), 1);
    EXPECT_FALSE(r.contains(QStringLiteral("AuthorizedReconnectCount")));

    a.connectPrepareCheck = 15;
    c.collectDeviceConnectFailed(&a);
    r = c.deviceRecord(QStringLiteral("A1"));
    EXPECT_EQ(r.value(QStringLiteral("DeviceConnectFailedReason")).toString(), QStringLiteral("Authorized"));
    EXPECT_EQ(r.value(QStringLiteral("AuthorizedReconnectCount")).toInt(), 1);

    CollectedDevice ipod = android(QString(39, QLatin1Char('x')));
    ipod.OSPlatform = 2;
    EXPECT_EQ(c.curDeviceType(&ipod), QStringLiteral("iPod"));
    ipod.serialNumber = QString(40, QLatin1Char('x'));
    EXPECT_EQ(c.curDeviceType(&ipod), QStringLiteral("iOS"));

    bool failed = false;
    rec.events.clear();
    c.collectDeviceConnectInfo(&failed);
    EXPECT_TRUE(failed);
    EXPECT_TRUE(rec.events.contains(Event{true, "ConnectFailedAndroid", "Authorized"}));
    EXPECT_TRUE(rec.events.contains(Event{true, "AndroidConnectSuccessRate", "AndroidConnectFail"}));

    // Records change under one lock: many threads at once lose no count.
    CollectedDevice busy = android(QStringLiteral("BUSY"));
    QList<QThread *> threads;
    for (int t = 0; t < 8; ++t)
        threads.append(QThread::create([&c, busy] {
            for (int i = 0; i < 500; ++i)
                c.collectDeviceAuthorizedReconnect(&busy);
        }));
    for (QThread *t : threads)
        t->start();
    for (QThread *t : threads) {
        t->wait();
        delete t;
    }
    EXPECT_EQ(c.deviceRecord(QStringLiteral("BUSY")).value(QStringLiteral("AuthorizedReconnectCount")).toInt(), 4000);
}

TEST(WKDataColleciton, SystemParametersAndIdentity)
{
    Recorder rec;
    WKDataColleciton c(folder("stats-sys"), rec.sink());
    c.collectSystemParam();
    c.waitForQueue();
    QStringList groups;
    for (const Event &e : rec.events)
        groups.append(e.group);
    EXPECT_EQ(groups, (QStringList{"CrashRate", "SysOS", "SysCountry", "SysLanguage", "SysResolution", "MacType", "iTunesVersion", "Browser"}));
    // A headless process knows no screen; the window layer hands in the size before it collects.
    for (const Event &e : rec.events) {
        if (e.group == QLatin1String("SysResolution")) {
            EXPECT_EQ(e.value, QStringLiteral("0*0"));
        }
    }
    c.setScreenSize(QSize(2560, 1440));
    EXPECT_EQ(c.getSystemPix(), QStringLiteral("2560*1440"));
    // Later launches report only the start.
    EXPECT_FALSE(c.isFirstTimeRunApp());
    rec.events.clear();
    c.collectSystemParam();
    c.waitForQueue();
    ASSERT_EQ(rec.events.size(), 1);
    EXPECT_EQ(rec.events[0].group, QStringLiteral("CrashRate"));
    // No list of other installed programs.
    rec.events.clear();
    c.collectCompeteProductInfo();
    c.waitForQueue();
    EXPECT_TRUE(rec.events.isEmpty());
    const QString id = c.createClientID();
    EXPECT_EQ(id.size(), 64);
    EXPECT_FALSE(id.contains(QString::fromLatin1(QSysInfo::machineUniqueId())));
    EXPECT_EQ(c.getClietIdFromUserInfo(), QStringLiteral("ERROR"));
    c.writeClientIdToUserInfo(id);
    EXPECT_EQ(c.getClietIdFromUserInfo(), id);
    EXPECT_TRUE(c.isNewDeviceSn(QStringLiteral("SN1")));
    EXPECT_TRUE(c.restoreNewDeviceSnToFile(QStringLiteral("SN1")));
    EXPECT_FALSE(c.restoreNewDeviceSnToFile(QStringLiteral("sn1")));
    EXPECT_FALSE(c.isNewDeviceSn(QStringLiteral("SN1")));
    EXPECT_TRUE(c.snFilePath().startsWith(TestEnvironment::home()));
}

TEST(QVHPHelper, CountsLocallyAndUploadsOnlyToANamedEndpoint)
{
    const QString store = folder("kelvra/Counters.plist");
    {
        QVHPHelper helper(store);
        helper.startHelper();
        helper.commIncreaseDataCollect(QStringLiteral("CrashRate"), QStringLiteral("StartProgram"));
        helper.autoCreatedIncreaseDataCollect(QStringLiteral("CrashRate"), QStringLiteral("StartProgram"));
        helper.commIncreaseDataCollect(QStringLiteral("Start_From"), QString());  // no value: not counted
        EXPECT_EQ(helper.count(QStringLiteral("CrashRate"), QStringLiteral("StartProgram")), 2);
        EXPECT_FALSE(helper.counters().contains(QStringLiteral("Start_From")));
        EXPECT_FALSE(helper.directUploadData());  // no endpoint: nothing leaves the machine
        helper.stopHelper();
    }
    QVHPHelper helper(store);
    helper.startHelper();
    EXPECT_EQ(helper.count(QStringLiteral("CrashRate"), QStringLiteral("StartProgram")), 2);

    TinyHttpServer failing(500);
    helper.setEndpoint(failing.url());
    EXPECT_FALSE(helper.directUploadData());
    EXPECT_EQ(helper.count(QStringLiteral("CrashRate"), QStringLiteral("StartProgram")), 2);

    TinyHttpServer server(200);
    helper.setEndpoint(server.url());
    helper.setDataCollectPID(QStringLiteral("1001"));
    ASSERT_TRUE(helper.directUploadData());
    ASSERT_EQ(server.bodies.size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(server.bodies.first()).object();
    EXPECT_EQ(body.value(QStringLiteral("pid")).toString(), QStringLiteral("1001"));
    EXPECT_EQ(body.value(QStringLiteral("counters")).toObject().value(QStringLiteral("CrashRate")).toObject().value(QStringLiteral("StartProgram")).toInt(), 2);
    EXPECT_EQ(body.value(QStringLiteral("client")).toString(), QVHPHelper::clientIdentity());
    EXPECT_TRUE(helper.counters().isEmpty());

    // Bounded: a flood of distinct values stops growing.
    for (int i = 0; i < QVHPHelper::MaxValuesPerGroup + 50; ++i)
        helper.autoCreatedIncreaseDataCollect(QStringLiteral("Flood"), QString::number(i));
    EXPECT_EQ(helper.counters().value(QStringLiteral("Flood")).toMap().size(), QVHPHelper::MaxValuesPerGroup);
    // The shipped bundle names no endpoint.
    EXPECT_TRUE(MainBundle::infoString(QStringLiteral("StatisticsEndpoint")).isEmpty());
}

TEST(BugSplat, FatalSignalWritesTheReportAndEndsOurChildren)
{
    const QString logFile = folder("crash/product.log");
    const QString failedLog = folder("crash/DownloadFailedLog.plist");
    QDir().mkpath(folder("crash"));
    for (const QString &p : {logFile, failedLog}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("contents of " + QFileInfo(p).fileName().toUtf8());
    }
    BugSplat reporter(QStringLiteral("db"), QStringLiteral("FennixPro"), QStringLiteral("1.0.0"));
    EXPECT_TRUE(reporter.addAdditionalFile(logFile));
    EXPECT_TRUE(reporter.addAdditionalFile(failedLog));

    // Everything is prepared before the fork: the crashing child runs only the signal handler.
    const pid_t sleeper = ::fork();
    ASSERT_GE(sleeper, 0);
    if (sleeper == 0) {
        for (;;)
            ::pause();
    }
    BugSplat::setChildPidsForCrash({qint64(sleeper)});
    reporter.install();
    const pid_t crasher = ::fork();
    ASSERT_GE(crasher, 0);
    if (crasher == 0) {
        ::raise(SIGSEGV);
        ::_exit(0);
    }
    reporter.uninstall();
    BugSplat::setChildPidsForCrash({});
    int status = 0;
    ASSERT_EQ(::waitpid(crasher, &status, 0), crasher);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    int childStatus = 0;
    ASSERT_EQ(::waitpid(sleeper, &childStatus, 0), sleeper);
    EXPECT_TRUE(WIFSIGNALED(childStatus));
    EXPECT_EQ(WTERMSIG(childStatus), SIGTERM);

    const QStringList reports = QDir(BugSplat::reportsFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(reports.size(), 1);
    const QDir report(BugSplat::reportsFolder() + QLatin1Char('/') + reports.first());
    QFile text(report.filePath(QStringLiteral("report.txt")));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray body = text.readAll();
    EXPECT_TRUE(body.contains("signal: 11")) << body.constData();
    EXPECT_TRUE(body.contains("app: FennixPro"));
    QFile copied(report.filePath(QStringLiteral("product.log")));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("contents of product.log"));
    EXPECT_TRUE(report.exists(QStringLiteral("DownloadFailedLog.plist")));
    EXPECT_EQ(QFileInfo(report.absolutePath()).permissions() & (QFileDevice::WriteOther | QFileDevice::WriteGroup), 0);
}
