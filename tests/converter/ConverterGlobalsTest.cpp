#include "PresetFixtures.h"
#include "support/TestEnvironment.h"

#include "converter/CMMenuData.h"
#include "converter/ConverterGlobal.h"
#include "converter/ConverterUtilities.h"
#include "platform/PowerService.h"
#include "converter/FileLog.h"
#include "converter/ImageManager.h"
#include "converter/MacPreferences.h"
#include "converter/TBMultiMediaItem.h"
#include "media/FourCC.h"
#include "platform/AppPaths.h"
#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

namespace {

// Every test starts from a fresh preferences domain and fresh globals.
class Globals : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetGlobalData();
        ResetGlobalImages();
        ConverterResources::setOverridesForTesting({}, {});
        QFile::remove(MacPreferences().filePath());
        for (const char *key : {"UseCompatabilityModeKey", "ShouldChangeCompatabilityModeKey", "downloadedSavePath",
                                "convertedPath", "recordPath", "AppleLanguages"})
            UserDefaults::standard().removeObjectForKey(QLatin1String(key));
    }
    void TearDown() override
    {
        ResetGlobalData();
        ResetGlobalImages();
        ConverterResources::setOverridesForTesting({}, {});
    }
};

} // namespace

TEST(MacPreferencesKeys, GroupedKeysAsTheDomainStoresThem)
{
    MacPreferences prefs(QStringLiteral("test.fennix.keys"));
    QFile::remove(prefs.filePath());
    MacPreferences p(QStringLiteral("test.fennix.keys"));

    // "A/B" replaces a text under A by a dictionary holding only B.
    p.setStringValue(QStringLiteral("just text"), QStringLiteral("A"));
    p.setIntValue(5, QStringLiteral("A/B"));
    EXPECT_EQ(p.dictionaryValueForKey(QStringLiteral("A")), (QVariantMap{{QStringLiteral("B"), qint64(5)}}));
    // ... and keeps the dictionary's other entries.
    p.setStringValue(QStringLiteral("x"), QStringLiteral("A/C"));
    EXPECT_EQ(p.intValueForKey(QStringLiteral("A/B")), 5);
    EXPECT_EQ(p.stringValueForKey(QStringLiteral("A/C")), QStringLiteral("x"));
    // Three parts: nothing stored, nothing read.
    p.setIntValue(9, QStringLiteral("A/B/C"));
    EXPECT_FALSE(p.preferencesValueForKey(QStringLiteral("A/B/C")).isValid());
    EXPECT_EQ(p.intValueForKey(QStringLiteral("A/B/C")), 0);
    EXPECT_EQ(p.dictionaryValueForKey(QStringLiteral("A")).size(), 2);
    // Text "1": a number reader takes 1, a boolean reader only numbers.
    p.setStringValue(QStringLiteral("1"), QStringLiteral("T"));
    EXPECT_FALSE(p.boolValueForKey(QStringLiteral("T")));
    EXPECT_EQ(p.intValueForKey(QStringLiteral("T")), 1);
    // A missing value removes nothing; a typed write of the wrong kind does nothing.
    p.setPreferencesValue(QVariant(), QStringLiteral("T"));
    p.setNumber(QStringLiteral("7"), QStringLiteral("T"));
    p.setArrayValue(QStringLiteral("7"), QStringLiteral("T"));
    EXPECT_EQ(p.stringValueForKey(QStringLiteral("T")), QStringLiteral("1"));
    // Reads of a key under something that is not a dictionary answer nothing.
    EXPECT_FALSE(p.preferencesValueForKey(QStringLiteral("T/x")).isValid());

    // Kinds survive a new run.
    p.setBoolValue(true, QStringLiteral("Flag"));
    p.setDoubleValue(29.97, QStringLiteral("Rate"));
    MacPreferences again(QStringLiteral("test.fennix.keys"));
    EXPECT_TRUE(again.boolValueForKey(QStringLiteral("Flag")));
    EXPECT_DOUBLE_EQ(again.doubleValueForKey(QStringLiteral("Rate")), 29.97);
    EXPECT_FALSE(again.boolValueForKey(QStringLiteral("T")));
    EXPECT_EQ(again.intValueForKey(QStringLiteral("A/B")), 5);
}

TEST(MacPreferencesKeys, BatchWriteSyncsOnceAndDamagedDomainStartsEmpty)
{
    MacPreferences p(QStringLiteral("test.fennix.batch"));
    QFile::remove(p.filePath());
    p.setAutoSync(false);
    p.setIntValue(1, QStringLiteral("K"));
    EXPECT_FALSE(QFileInfo::exists(p.filePath()));
    EXPECT_TRUE(p.syncPreferences());
    EXPECT_TRUE(QFileInfo::exists(p.filePath()));

    PresetFixtures::write(QFileInfo(p.filePath()).path(), QFileInfo(p.filePath()).fileName(), "<plist><dict><key>K</key>");
    MacPreferences damaged(QStringLiteral("test.fennix.batch"));
    EXPECT_FALSE(damaged.preferencesValueForKey(QStringLiteral("K")).isValid());
}

TEST_F(Globals, FirstLaunchWithEnglishSystem)
{
    UserDefaults::standard().setObject(QStringLiteral("AppleLanguages"), QStringList{QStringLiteral("en")});
    InitGlobalData();
    ASSERT_TRUE(g_formatMgr);
    ASSERT_TRUE(g_productSettings);
    EXPECT_EQ(g_strDefaultSubtitleEncoding, QStringLiteral("UTF-8"));
    EXPECT_EQ(g_strDefaultSubtitleFontName, QStringLiteral("Arial"));
    EXPECT_EQ(g_productSettings->intValueForKey(QStringLiteral("DefaultSubtitleLanguageKey")), 0);
    EXPECT_EQ(g_productSettings->intValueForKey(QStringLiteral("DefaultSubtitleEncodingNameKey")), 0);
    EXPECT_EQ(g_strSnapFolder, QDir::homePath() + QStringLiteral("/Desktop"));
    EXPECT_TRUE(QFileInfo(g_strSnapFolder).isDir());
    EXPECT_TRUE(UserDefaults::standard().hasUserValue(QStringLiteral("UseCompatabilityModeKey")));
    EXPECT_FALSE(UserDefaults::standard().boolForKey(QStringLiteral("ShouldChangeCompatabilityModeKey")));
    EXPECT_TRUE(QFileInfo(ProductSupportFolder()).isDir());
    EXPECT_TRUE(ProductSupportFolder().endsWith(QStringLiteral("/iQuenmark/Orrisca_Studio")));
    EXPECT_TRUE(g_strAudioOutputPath.isEmpty());
    InitGlobalImages();
    EXPECT_FALSE(g_popupButtonImages.value(QStringLiteral("VCPopupBtnLeftN")).isNull());
    EXPECT_EQ(g_popupButtonImages.value(QStringLiteral("PullDownRightP")).size(),
              g_popupButtonImages.value(QStringLiteral("VCPopupBtnRightP")).size());

    // The default conversion targets now come from the catalogue, in bit/s.
    const auto mp4 = g_formatMgr->defaultMp4Format();
    const auto target = TBMultiMediaItem::defuatVideoConverterParam();
    EXPECT_EQ(target->videoBitrate(), uint32_t(mp4->videoBitrate()) * 1000);
    const auto audio = TBMultiMediaItem::defuatAudioConverterParam();
    EXPECT_EQ(audio->resolution(), QSizeF(0, 0));
    EXPECT_EQ(audio->audioBitrate(), uint32_t(g_formatMgr->defaultMp3Format()->audioBitrate()) * 1000);
}

TEST_F(Globals, SubtitleDefaultsFollowTheLanguage)
{
    const struct
    {
        const char *language, *encoding, *font;
        int encodingIndex, languageIndex;
    } cases[] = {{"zh-Hans", "GBK", "Hei", 3, 4}, {"zh-Hant", "BIG5", "Hei", 5, 4},
                 {"ja", "SHIFT_JIS", "Hiragino Kaku", 2, 5}, {"de", "UTF-8", "Arial", 0, 1}};
    for (const auto &c : cases) {
        SetUp();
        UserDefaults::standard().setObject(QStringLiteral("AppleLanguages"), QStringList{QLatin1String(c.language)});
        InitGlobalData();
        EXPECT_EQ(g_strDefaultSubtitleEncoding, QLatin1String(c.encoding)) << c.language;
        EXPECT_EQ(g_strDefaultSubtitleFontName, QLatin1String(c.font)) << c.language;
        EXPECT_EQ(g_productSettings->intValueForKey(QStringLiteral("DefaultSubtitleEncodingNameKey")), c.encodingIndex);
        EXPECT_EQ(g_productSettings->intValueForKey(QStringLiteral("DefaultSubtitleLanguageKey")), c.languageIndex);
    }
}

TEST_F(Globals, MissingOutputFolderFallsBackAndCreatesTheThreeFolders)
{
    const QString base = TestEnvironment::home() + QStringLiteral("/out-fallback");
    UserDefaults::standard().setString(QStringLiteral("downloadedSavePath"), base + QStringLiteral("/Downloads"));
    UserDefaults::standard().setString(QStringLiteral("convertedPath"), base + QStringLiteral("/Downloads/Converted"));
    UserDefaults::standard().setString(QStringLiteral("recordPath"), base + QStringLiteral("/Downloads/Record"));
    {
        MacPreferences p;
        p.setStringValue(base + QStringLiteral("/gone"), QStringLiteral("VideoOutputPathKey"));
        p.setBoolValue(true, QStringLiteral("ExportToItunesLibKey"));
    }
    InitGlobalData();
    EXPECT_EQ(g_strVideoOutputPath, base + QStringLiteral("/Downloads"));
    for (const char *sub : {"/Downloads", "/Downloads/Converted", "/Downloads/Record"})
        EXPECT_TRUE(QFileInfo(base + QLatin1String(sub)).isDir()) << sub;
    EXPECT_TRUE(g_bExportToItunesLib);
    EXPECT_FALSE(g_bAnalysisDVD);

    // A stored folder that exists is kept and nothing is created.
    ResetGlobalData();
    QDir().mkpath(base + QStringLiteral("/kept"));
    MacPreferences().setStringValue(base + QStringLiteral("/kept"), QStringLiteral("VideoOutputPathKey"));
    QDir(base + QStringLiteral("/Downloads")).removeRecursively();
    InitGlobalData();
    EXPECT_EQ(g_strVideoOutputPath, base + QStringLiteral("/kept"));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("/Downloads")));
}

TEST_F(Globals, EncoderDefaultsFromLastUsedOrDefaultPreset)
{
    InitGlobalData();
    ASSERT_TRUE(g_formatMgr);
    // A stored preset that no longer exists falls back to the default preset.
    g_productSettings->setIntValue(987654, QStringLiteral("Marrowin/LastUsedFormatID"));
    LoadGlobalEncodeParam();
    IM_EncodeParamEx expected = EncodeParamData::zeroed();
    expected.presetDefaultsFlag = 1;
    g_formatMgr->defaultFormatItem()->getDefaultSettings(&expected);
    expected.frameRate = std::trunc((expected.frameRate + 0.001) * 100) / 100;
    EXPECT_EQ(std::memcmp(&g_encodeParam, &expected, sizeof expected), 0);
    EXPECT_EQ(g_encodeParam.presetDefaultsFlag, 1);

    const auto mp3 = g_formatMgr->defaultMp3Format();
    g_productSettings->setIntValue(mp3->iD(), QStringLiteral("Marrowin/LastUsedFormatID"));
    LoadGlobalEncodeParam();
    EXPECT_EQ(g_encodeParam.videoDisabled, 1);
    EXPECT_EQ(g_encodeParam.audioBitrate, uint32_t(mp3->audioBitrate()));  // kbit/s, as the preset gives it

    // Saved encoder values come back only as a whole.
    g_encodeParam.audioBitrate = 256;
    g_encodeParam.frameRate = 23.976;
    g_bCustomAudioBitrate = true;
    SaveGlobalEncodeParam();
    g_bCustomAudioBitrate = false;
    LoadGlobalEncodeParam();
    EXPECT_EQ(g_encodeParam.audioBitrate, 256u);
    EXPECT_DOUBLE_EQ(g_encodeParam.frameRate, 23.97);
    EXPECT_TRUE(g_bCustomAudioBitrate);
    QVariantMap last = g_productSettings->dictionaryValueForKey(QStringLiteral("Marrowin/LastUsedEnc"));
    last.remove(QStringLiteral("AudioChnanel"));
    g_productSettings->setDictionaryValue(last, QStringLiteral("Marrowin/LastUsedEnc"));
    LoadGlobalEncodeParam();
    EXPECT_EQ(g_encodeParam.audioBitrate, uint32_t(mp3->audioBitrate()));
}

TEST_F(Globals, UnreadablePresetsLeaveNoCatalogue)
{
    QTemporaryDir dir;
    ConverterResources::setOverridesForTesting(PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), "<<not xml"),
                                               QDir(dir.path()).filePath(QStringLiteral("missing.xml")));
    InitGlobalData();
    InitGlobalImages();
    EXPECT_FALSE(g_formatMgr);
    EXPECT_TRUE(g_popupButtonImages.value(QStringLiteral("VCPopupBtnLeftN")).isNull());
    LoadGlobalEncodeParam();
    IM_EncodeParamEx expected = EncodeParamData::zeroed();
    expected.presetDefaultsFlag = 1;
    EXPECT_EQ(std::memcmp(&g_encodeParam, &expected, sizeof expected), 0);
    // The default targets keep working without the catalogue.
    EXPECT_GT(TBMultiMediaItem::defuatVideoConverterParam()->videoBitrate(), 0u);
}

TEST(ConverterGlobalHelpers, FourCCInMemoryOrderAndSmallHelpers)
{
    const uint32_t webm = NSStringFourCC::fourCCValue(QStringLiteral("webm"));
    EXPECT_EQ(std::memcmp(&webm, "webm", 4), 0);
    EXPECT_EQ(NSStringFourCC::fourCCValue(QString()), 0u);
    const uint32_t mp4 = NSStringFourCC::fourCCValue(QStringLiteral("mp4"));
    EXPECT_EQ(std::memcmp(&mp4, "mp4 ", 4), 0);
    EXPECT_EQ(NSStringFourCC::stringFromFourCC(mp4), QStringLiteral("mp4"));
    uint32_t shortCode = 0;
    std::memcpy(&shortCode, "ab\0d", 4);
    EXPECT_EQ(NSStringFourCC::stringFromFourCC(shortCode), QStringLiteral("ab"));
    EXPECT_EQ(GetPreferedLanguage(), QStringLiteral("en"));

    QTemporaryDir dir;
    const QString file = PresetFixtures::write(dir.path(), QStringLiteral("f.bin"), QByteArray(1234, 'x'));
    EXPECT_EQ(getFileSize(file), 1234);
    EXPECT_EQ(getFileSize(dir.filePath(QStringLiteral("none"))), 0);
}

TEST(ConverterUtilitiesTest, MakeSureFolderExistCreatesParentsButNotOverFiles)
{
    QTemporaryDir dir;
    EXPECT_FALSE(MakeSureFolderExist(QString()));
    EXPECT_TRUE(MakeSureFolderExist(dir.filePath(QStringLiteral("a/b/c"))));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("a/b/c"))).isDir());
    const QString file = PresetFixtures::write(dir.path(), QStringLiteral("plain"), "x");
    EXPECT_FALSE(MakeSureFolderExist(file));
    EXPECT_FALSE(MakeSureFolderExist(file + QStringLiteral("/under")));
    EXPECT_FALSE(ValueForKeyInInfoPlist(QString()).isValid());
}

TEST(ConverterUtilitiesTest, SleepAndShutDownGoToThePowerService)
{
    struct FakePower : PowerService
    {
        int powerOff() override { return calls << QStringLiteral("PowerOff"), int(CallFailed); }
        int suspend() override { return calls << QStringLiteral("Suspend"), int(NoErr); }
        QStringList calls;
    } power;
    PowerService::setShared(&power);
    EXPECT_EQ(SendAppleEventToSystemProcess(kAESleep), 0);
    EXPECT_EQ(SendAppleEventToSystemProcess(kAEShutDown), errAEEventFailed);
    EXPECT_EQ(SendAppleEventToSystemProcess(0x71756974 /* 'quit' */), errAEEventNotHandled);
    EXPECT_EQ(power.calls, (QStringList{QStringLiteral("Suspend"), QStringLiteral("PowerOff")}));
    // With no service installed (a process without a session) the request fails, never passes.
    PowerService::setShared(nullptr);
    EXPECT_EQ(PowerService::shared().suspend(), int(PowerService::NoBus));
    EXPECT_EQ(SendAppleEventToSystemProcess(kAESleep), errAEEventFailed);
    EXPECT_EQ(power.calls.size(), 2);
}

TEST(FileLogTest, NamesWithBlanksAndRotatesOneFilePerStart)
{
    EXPECT_EQ(FileLog::logFileName(QDateTime(QDate(2026, 2, 3), QTime(9, 5, 7))), QStringLiteral("Log_2026_ 2_ 3_ 9_ 5_ 7.txt"));

    QTemporaryDir dir;
    const QStringList names = {QStringLiteral("Log_2026_ 1_ 1_ 1_ 1_ 1.txt"), QStringLiteral("Log_2026_ 1_ 2_ 1_ 1_ 1.txt"),
                               QStringLiteral("Log_2026_ 1_ 3_ 1_ 1_ 1.txt"), QStringLiteral("Log_2026_ 1_ 4_ 1_ 1_ 1.txt"),
                               QStringLiteral("Log_2026_ 1_ 5_ 1_ 1_ 1.txt"), QStringLiteral("Log_2026_ 1_ 6_ 1_ 1_ 1.txt")};
    for (int i = 0; i < 5; ++i)
        PresetFixtures::write(dir.path(), names[i], "old");
    auto log = FileLog::initWithPath(dir.path(), 5, QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0)));
    ASSERT_TRUE(log);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(names[0])));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(names[1])));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);

    // Six logs (five old plus the one just made): still only one goes.
    PresetFixtures::write(dir.path(), names[5], "old");
    auto next = FileLog::initWithPath(dir.path(), 5, QDateTime(QDate(2026, 3, 2), QTime(10, 0, 0)));
    ASSERT_TRUE(next);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(names[1])));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 6);

    next->recordLogInfo(QStringLiteral("hello"));
    next->recordNewLine();
    next->logProductInfo({{QStringLiteral("Version"), QStringLiteral("1.0")}});
    next->logSystemInfo();
    next.reset();
    QFile f(dir.filePath(FileLog::logFileName(QDateTime(QDate(2026, 3, 2), QTime(10, 0, 0)))));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("hello \r\nVersion: 1.0\r\n\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("CPU Number:"));
    EXPECT_FALSE(FileLog::initWithFile(QString()));
    EXPECT_FALSE(FileLog::initWithFile(dir.path()));  // a folder is no log file
}

TEST(FormatMenuModel, CategoriesEntriesAndSelection)
{
    CMMenuData menu;
    EXPECT_FALSE(menu.removeAllItem());
    EXPECT_FALSE(menu.addSubMenuItem(1, QStringLiteral("x"), {}, {}, 7, false));
    menu.addMenuItem(7, QStringLiteral("first seven"), {}, true);
    menu.addMenuItem(7, QStringLiteral("second seven"), {}, true);
    menu.addMenuItem(100, QStringLiteral("recent"), {}, false);  // to the front
    EXPECT_EQ(menu.menuItemArray().first()->iID, 100);
    ASSERT_TRUE(menu.addSubMenuItem(1, QStringLiteral("MP4"), {}, QStringLiteral("1280*720"), 7, false));
    ASSERT_TRUE(menu.addSubMenuItem(2, QStringLiteral("MOV"), {}, {}, 7, false));
    ASSERT_TRUE(menu.addSubMenuItem(3, QStringLiteral("front"), {}, {}, 7, true));
    const auto &first = menu.menuItemArray()[1];
    EXPECT_EQ(first->sTitle, QStringLiteral("first seven"));
    ASSERT_EQ(first->subItemArray.size(), 3);
    EXPECT_EQ(first->subItemArray[0]->iID, 3);
    EXPECT_EQ(first->subItemArray[2]->iID, 2);
    EXPECT_TRUE(menu.menuItemArray()[2]->subItemArray.isEmpty());
    EXPECT_EQ(first->frame, QRectF(0, 0, 1, 1));

    menu.setSelID(2, 7);
    ASSERT_TRUE(menu.selSubItem());
    EXPECT_EQ(menu.selSubItem()->sTitle, QStringLiteral("MOV"));
    menu.setSelID(9, 7);
    EXPECT_FALSE(menu.selItem());
    EXPECT_FALSE(menu.selSubItem());

    menu.setSelID(1, 7);
    menu.deleteAllSubItemInItem(55);
    EXPECT_EQ(first->subItemArray.size(), 3);
    menu.deleteAllSubItemInItem(7);
    EXPECT_TRUE(first->subItemArray.isEmpty());
    EXPECT_FALSE(menu.selSubItem());
    EXPECT_TRUE(menu.removeAllItem());
    EXPECT_TRUE(menu.menuItemArray().isEmpty());
}
