// Device items and the shared list: loading, free space, the screen-off time-out through adb,
// and the list's bookkeeping.

#include "TransferFixtures.h"
#include "AdbDeviceHarness.h"

#include "devices/DeviceTypes.h"
#include "devices/StoreMediaManager.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "transfer/QVMobileDeviceDataSource.h"
#include "transfer/QVMobileDeviceItem.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QString readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll()).trimmed();
}

TEST(DeviceItem, ScreenOffTimeoutIsRaisedOnlyWhereAllowed)
{
    struct Case { const char *version; const char *current; bool allowed; bool changed; };
    const Case cases[] = {
        {"4.4", "15000", true, true},   {"10", "300000", true, true},  {"10", "1", true, true},
        {"4.2", "15000", true, false},  {"4.1", "15000", true, false}, {"10", "0", true, false},
        {"10", "300001", true, false},  {"10", "15000", false, false}, {"10", "null", true, false},
    };
    for (const Case &c : cases) {
        AdbDeviceHarness adb;
        adb.setState("device");
        FakeDevice phone(DeviceTransferPlatform::Android, QString::fromLatin1(c.version));
        auto info = phone.device->deviceInfo()->fields();
        info.serialNumber = "FAKEADB01";
        phone.device->setInfo(info);
        writeFile(adb.root() + "/settings-screen_off_timeout", 0);
        QFile settings(adb.root() + "/settings-screen_off_timeout");
        settings.open(QIODevice::WriteOnly);
        settings.write(QByteArray(c.current) + "\n");
        settings.close();
        auto item = std::make_shared<QVMobileDeviceItem>(phone.device);
        UserDefaults::standard().removeObjectForKey(item->screenOffDefaultsKey());
        if (c.allowed)
            item->settingDeviceScreenOffUserDefaults();
        EXPECT_EQ(item->adjustDeviceScreenOffTimeout(), c.changed) << c.version << "/" << c.current;
        EXPECT_EQ(readAll(settings.fileName()), c.changed ? "300000" : QString::fromLatin1(c.current)) << c.version;
    }
}

TEST(DeviceItem, ScreenCommandsAnswerByOutputAndOnlyOnAndroid)
{
    AdbDeviceHarness adb;
    adb.setState("device");
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto info = phone.device->deviceInfo()->fields();
    info.serialNumber = "FAKEADB01";
    phone.device->setInfo(info);
    QVMobileDeviceItem item(phone.device);
    EXPECT_EQ(item.setDeviceScreenOffTimeout(60000), 1);
    EXPECT_EQ(item.getDeviceScreenOffTimeout(), 60000);
    EXPECT_EQ(item.turnScreenOn(), 1);
    EXPECT_EQ(item.turnScreenOff(), 1);
    EXPECT_EQ(readAll(adb.root() + "/input"), "keyevent 224\nkeyevent 223");
    adb.setState(QString());
    EXPECT_EQ(item.turnScreenOn(), 0);

    FakeDevice ios(DeviceTransferPlatform::iOS);
    QVMobileDeviceItem iosItem(ios.device);
    EXPECT_EQ(iosItem.getDeviceScreenOffTimeout(), -1);
    EXPECT_EQ(iosItem.setDeviceScreenOffTimeout(1), -1);
    EXPECT_EQ(iosItem.turnScreenOff(), -1);
    iosItem.settingDeviceScreenOffUserDefaults();
    EXPECT_FALSE(UserDefaults::standard().boolForKey(iosItem.screenOffDefaultsKey()));
}

TEST(DeviceItem, LoadingReportsFractionsAndMarksTheItemLoaded)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto item = std::make_shared<QVMobileDeviceItem>(phone.device);
    QList<float> seen;
    item->syncLoadDeviceItemData([&](QVMobileDeviceItem &, float f) { seen << f; });
    ASSERT_EQ(seen.size(), 3);
    EXPECT_TRUE(seen[0] >= 0.51f && seen[0] < 0.7f);
    EXPECT_TRUE(seen[1] >= 0.71f && seen[1] < 0.9f);
    EXPECT_EQ(seen[2], 1.0f);
    EXPECT_TRUE(item->isLoaded());
    seen.clear();
    item->syncLoadDeviceItemData([&](QVMobileDeviceItem &, float f) { seen << f; });
    EXPECT_EQ(seen, QList<float>{1.0f});
}

TEST(DeviceItem, ADeviceRemovedBetweenLoadsStaysUnloadedAndStillGetsOne)
{
    FakeDevice phone(DeviceTransferPlatform::Android);
    auto device = phone.device;
    static_cast<StoreMediaManager *>(device->musicManager())->setLoadReader([device] {
        device->markRemoved();
        return true;
    });
    auto item = std::make_shared<QVMobileDeviceItem>(device);
    QList<float> seen;
    item->syncLoadDeviceItemData([&](QVMobileDeviceItem &, float f) { seen << f; });
    EXPECT_EQ(seen, QList<float>{1.0f});
    EXPECT_FALSE(item->isLoaded());

    std::atomic<bool> called{false};
    item->asyncLoadDeviceItemData([&] { called = true; });
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return called.load(); }));
}

TEST(DeviceItem, FreeSpaceFollowsCardsAndTheCardSetting)
{
    struct Case {
        std::optional<StorageMedium> memory, card, external;
        quint32 platform;
        bool autoCard;
        qint64 cardFree, externalFree, total;
    };
    const StorageMedium memory{1000, 400, "/m", true};   // 600 free
    const StorageMedium tiny{50, 10, "/c", true};        // a tiny card: the memory counts
    const StorageMedium card{5000, 1000, "/c", true};    // 4000 free
    const StorageMedium external{3000, 2000, "/e", true};  // 1000 free
    const Case cases[] = {
        {memory, tiny, std::nullopt, 1, false, 600, 0, 600},
        {memory, card, std::nullopt, 1, false, 4000, 0, 4000},
        {memory, card, external, 1, false, 4000, 1000, 1000},
        {memory, card, external, 1, true, 4000, 1000, 5000},
        {memory, card, external, 2, false, 4000, 1000, 5000},
        {std::nullopt, std::nullopt, std::nullopt, 1, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        FakeDevice phone(c.platform);
        auto script = phone.store->script();
        script.storages = {c.memory, c.card, c.external};
        phone.store->setScript(script);
        UserDefaults::standard().setBool("AutoTansferInSdcard", c.autoCard);
        QVMobileDeviceItem item(phone.device);
        EXPECT_EQ(item.getFreeSpaceSize(), c.total);
        EXPECT_EQ(item.freeSizeInCard(), c.cardFree);
        EXPECT_EQ(item.freeSizeInExternalCard(), c.externalFree);
        EXPECT_TRUE(item.isHasSpaceOnMobileDevice(c.total));
        EXPECT_FALSE(item.isHasSpaceOnMobileDevice(c.total + 1));
    }
    UserDefaults::standard().removeObjectForKey("AutoTansferInSdcard");
}

TEST(DeviceList, OneEntryPerDeviceAndTheCurrentItemRules)
{
    QVMobileDeviceDataSource list;
    FakeDevice android(DeviceTransferPlatform::Android), car(DeviceTransferPlatform::Car), ios(DeviceTransferPlatform::iOS);
    auto carItem = list.addDeviceItem(car.device);
    auto androidItem = list.addDeviceItem(android.device);
    EXPECT_EQ(list.addDeviceItem(android.device), androidItem);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.deviceAtIndex(-1), nullptr);
    EXPECT_EQ(list.deviceAtIndex(2), nullptr);
    EXPECT_EQ(list.carItems(), QList<QVMobileDeviceDataSource::Item>{carItem});
    EXPECT_EQ(list.allExceptCarItems(), QList<QVMobileDeviceDataSource::Item>{androidItem});
    EXPECT_EQ(list.findDevicesItem(android.device.get()), androidItem);
    EXPECT_EQ(list.findDevicesItem(ios.device.get()), nullptr);

    EXPECT_EQ(list.switchDeviceItem(), androidItem);  // never the car device
    list.removeDeviceItem(car.device.get());          // not current: stays
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.curDeviceItem(), androidItem);
    list.removeObject(carItem);                       // clears the current item all the same
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.curDeviceItem(), nullptr);
    list.setCurDeviceItem(androidItem);
    list.removeDeviceItem(android.device.get());
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.curDeviceItem(), nullptr);
    list.removeObject(nullptr);

    auto iosItem = list.addDeviceItem(ios.device);
    ios.device->markRemoved();
    auto again = list.addDeviceItem(android.device);
    EXPECT_EQ(list.getFirstCanUseDviceItem(), again);
    EXPECT_NE(list.getFirstCanUseDviceItem(), iosItem);
}

TEST(DeviceList, ConcurrentArrivalsOfOneDeviceGiveOneEntry)
{
    QVMobileDeviceDataSource list;
    FakeDevice android(DeviceTransferPlatform::Android);
    std::atomic<int> done{0};
    for (int i = 0; i < 8; ++i)
        dispatch::global(dispatch::Priority::Default, [&] { list.addDeviceItem(android.device); ++done; });
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return done == 8; }));
    EXPECT_EQ(list.count(), 1);
}

} // namespace
