// The output-format sheet and its encoder settings: the dictionary it hands on, the units of
// its bit rates, the recent list and the settings view's rules.
#include "PresetFixtures.h"

#include "controls/MGCheckButton.h"
#include "converter/CascadePanel.h"
#include "converter/ConvFromatController.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "converter/EncSettingViewCtl.h"
#include "converter/VCPopUpButton.h"
#include "library/OneModeConvertSetting.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {


struct Answers : ConvFromatControllerDelegate
{
    void paramWindowClose(int code, const QVariantMap &param) override { list.append({code, param}); }
    QList<QPair<int, QVariantMap>> list;
};

class FormatSheet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString file = PresetFixtures::write(dir.path(), QStringLiteral("Format.std"), PresetFixtures::sheetCatalogue());
        catalogue = EncFormatMgr::initWithFile(file, dir.filePath(QStringLiteral("CustomFormat.pro")));
        ASSERT_TRUE(catalogue);
        g_productSettings = std::make_unique<MacPreferences>();
        g_productSettings->setArrayValue(QVariant(QStringList()), QStringLiteral("RecentUseFormat/VideoFormat"));
        UserDefaults::standard().setBool(QStringLiteral("SmartFitTipsPoped"), true);
        UserDefaults::standard().setBool(QStringLiteral("isExportToItunes"), true);
    }
    void TearDown() override { g_productSettings.reset(); }
    QStringList recent() const
    {
        QStringList out;
        for (const QVariant &v : g_productSettings->arrayValueForKey(QStringLiteral("RecentUseFormat/VideoFormat")))
            out << v.toString();
        return out;
    }
    static IM_EncodeParamEx blockOf(const QVariantMap &param)
    {
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        EXPECT_TRUE(EncodeParamData::fromData(param.value(QStringLiteral("encParam")).toByteArray(), &b));
        return b;
    }
    QTemporaryDir dir;
    std::unique_ptr<EncFormatMgr> catalogue;
};

} // namespace

// Each preset's dictionary as the library and the Convert page read it back, also after a trip
// through the settings file.
TEST_F(FormatSheet, DictionaryPerPresetSurvivesTheSettingsFile)
{
    const struct
    {
        int id, category;
        const char *title;
        bool itunes, video;
        quint32 videoBps, audioBps;
    } cases[] = {
        {1, 1, "MP4", true, true, 1'500'000, 128'000},
        {7, 1, "MKV (Matroska)", false, true, 4'000'000, 192'000},
        {100, 8, "MP3", false, false, 0, 320'000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        ConvFromatController sheet(catalogue.get());
        Answers answers;
        sheet.setDelegate(&answers);
        sheet.prepareForShowing();
        sheet.formatControl()->setSelSubItemID(c.id, c.category);
        EXPECT_EQ(sheet.iTunesBox()->isEnabled(), c.itunes);
        sheet.openFolderBox()->setState(1);
        sheet.clickDone();
        sheet.clickDone(); // a second Done is not a second answer
        ASSERT_EQ(answers.list.size(), 1);
        EXPECT_EQ(answers.list[0].first, 1);
        const QVariantMap param = answers.list[0].second;

        UserDefaults::standard().setObject(QStringLiteral("OneModeConvertSetingParam"), param);
        ASSERT_TRUE(UserDefaults::standard().synchronize());
        UserDefaults reader(UserDefaults::standard().filePath());
        QString error;
        const auto read = OneModeConvertSetting::readStored(reader, &error);
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(read->formatID, c.id);
        EXPECT_EQ(read->formatTitle, QString::fromUtf8(c.title));
        EXPECT_EQ(read->isExportToItunes, c.itunes);
        EXPECT_TRUE(read->isShowInFinder);
        const QVariantMap stored = reader.dictionaryForKey(QStringLiteral("OneModeConvertSetingParam"));
        EXPECT_EQ(stored.value("formatID").typeId(), QMetaType::Int);
        for (const char *flag : {"isExportToItunes", "isShowInFinder", "isMergeSubtitle"})
            EXPECT_EQ(stored.value(flag).typeId(), QMetaType::Bool) << flag;
        const IM_EncodeParamEx b = read->block();
        EXPECT_EQ(b.videoDisabled == 0, c.video);
        if (c.video) {
            EXPECT_EQ(b.videoBitrate, c.videoBps);
        }
        EXPECT_EQ(b.audioBitrate, c.audioBps);
        EXPECT_EQ(b.presetDefaultsFlag, 1);
    }
    EXPECT_TRUE(UserDefaults::standard().boolForKey(QStringLiteral("isExportToItunes")))
        << "Done with a locked iTunes box leaves the stored choice alone";
}

TEST_F(FormatSheet, RecentListRules)
{
    const struct
    {
        QStringList before;
        const char *title;
        QStringList after;
    } table[] = {
        {{}, "MP4", {"MP4"}},
        {{"MP3", "MP4", "MKV"}, "MP4", {"MP4", "MP3", "MKV"}},
        {{"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}, "New", {"New", "A", "B", "C", "D", "E", "F", "G", "H", "I"}},
        {{"MP3"}, "", {"MP3"}},
    };
    for (const auto &c : table)
        EXPECT_EQ(ConvFromatController::recentListAfterChoosing(c.before, QString::fromUtf8(c.title)), c.after) << c.title;

    // No recent presets: category 1 with its first preset. Then the last choice leads.
    ConvFromatController sheet(catalogue.get());
    Answers answers;
    sheet.setDelegate(&answers);
    sheet.prepareForShowing();
    EXPECT_EQ(sheet.formatControl()->menuData().selItem()->iID, 1);
    EXPECT_EQ(sheet.selectedFormatID(), 1);
    sheet.formatControl()->setSelSubItemID(100, 8);
    sheet.clickDone();
    EXPECT_EQ(recent(), QStringList{"MP3"});
    sheet.prepareForShowing();
    EXPECT_EQ(sheet.formatControl()->menuData().selItem()->iID, CascadePanel::RecentCategoryID);
    EXPECT_EQ(sheet.selectedFormatID(), 100);
    // Cancel answers 0 without a dictionary and leaves the list alone; so does Escape.
    sheet.formatControl()->setSelSubItemID(7, 1);
    sheet.cancelButtonClick();
    sheet.prepareForShowing();
    sheet.reject();
    ASSERT_EQ(answers.list.size(), 3);
    EXPECT_EQ(answers.list[1].first, 0);
    EXPECT_TRUE(answers.list[1].second.isEmpty());
    EXPECT_EQ(answers.list[2].first, 0);
    EXPECT_EQ(recent(), QStringList{"MP3"});
    // Titles without a preset are skipped in the sheet and kept in the list.
    g_productSettings->setArrayValue(QVariant(QStringList{"Gone", "MKV (Matroska)"}), QStringLiteral("RecentUseFormat/VideoFormat"));
    sheet.prepareForShowing();
    EXPECT_EQ(sheet.formatControl()->getSubItemCountforParentID(CascadePanel::RecentCategoryID), 1);
    EXPECT_EQ(sheet.selectedFormatID(), 7);
}

// Bit rates stay in bit/s on both sides of the settings view; only a value picked in kbps is
// converted, once.
TEST_F(FormatSheet, BitRateUnits)
{
    const struct
    {
        const char *name;
        bool open;
        const char *pickVideo, *pickAudio;
        quint32 video, audio;
    } cases[] = {
        {"settings never opened", false, nullptr, nullptr, 1'500'000, 128'000},
        {"opened, nothing picked", true, nullptr, nullptr, 1'500'000, 128'000},
        {"video picked", true, "1000 kbps", nullptr, 1'000'000, 128'000},
        {"audio picked", true, nullptr, "192 kbps", 1'500'000, 192'000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ConvFromatController sheet(catalogue.get());
        Answers answers;
        sheet.setDelegate(&answers);
        sheet.prepareForShowing();
        sheet.formatControl()->setSelSubItemID(1, 1);
        if (c.open) {
            sheet.showEncParamInfo(1);
            EncSettingViewCtl *view = sheet.encSettingView();
            if (c.pickVideo)
                view->selectVideoBitRate(QString::fromUtf8(c.pickVideo));
            if (c.pickAudio)
                view->selectAudioBitRate(QString::fromUtf8(c.pickAudio));
            sheet.saveEncParamSetting(1);
        }
        sheet.clickDone();
        ASSERT_EQ(answers.list.size(), 1);
        const IM_EncodeParamEx b = blockOf(answers.list[0].second);
        EXPECT_EQ(b.videoBitrate, c.video);
        EXPECT_EQ(b.audioBitrate, c.audio);
        // A picked video bit rate no longer follows the source.
        EXPECT_EQ((b.smartFitMask & IM_AutoVideoBitrate) != 0, c.pickVideo == nullptr);
    }
}

TEST_F(FormatSheet, SettingsViewRules)
{
    EncSettingViewCtl view;
    const auto mp4 = catalogue->formatItemForID(1);
    IM_EncodeParamEx block = EncodeParamData::zeroed();
    ConvFromatController::fillBlockForPreset(*mp4, &block);
    view.setFormatItem(mp4, block);
    view.show();
    // One video encoder: a read-only label in place of the box; MKV offers two.
    EXPECT_TRUE(view.videoEncoderLabel()->isVisible());
    EXPECT_FALSE(view.videoEncoderBox()->isVisible());
    EXPECT_EQ(view.resolutionPopUp()->currentText(), QStringLiteral("Smart Fit"));
    EXPECT_EQ(view.audioBitRatePopUp()->currentText(), QStringLiteral("128 kbps"));

    // The audio bit rate's pick reports its own change type, so the rule that follows a
    // sample-rate change keeps it.
    view.selectAudioBitRate(QStringLiteral("128 kbps"));
    EXPECT_EQ(view.formatItem()->changeItemType(), FormatItem::ChangeAudioBitrate);
    view.selectAudioSampleRate(QStringLiteral("48000 Hz"));
    view.selectAudioBitRate(QStringLiteral("128 kbps"));
    view.refreshView();
    EXPECT_EQ(view.encodeParam().audioBitrate, 128'000u) << "the rule's default 192 does not replace the pick";

    const auto mkv = catalogue->formatItemForID(7);
    block = EncodeParamData::zeroed();
    ConvFromatController::fillBlockForPreset(*mkv, &block);
    view.setFormatItem(mkv, block);
    EXPECT_FALSE(view.videoEncoderLabel()->isVisible());
    EXPECT_TRUE(view.videoEncoderBox()->isVisible());
    EXPECT_EQ(view.encodeParam().channels, 6u) << "a single channel count becomes the block's";

    // Audio only: the video group is off and the block has no video codec.
    const auto mp3 = catalogue->formatItemForID(100);
    block = EncodeParamData::zeroed();
    ConvFromatController::fillBlockForPreset(*mp3, &block);
    view.setMediaLength(0, false);
    view.setFormatItem(mp3, block);
    EXPECT_FALSE(view.resolutionPopUp()->isEnabled());
    EXPECT_EQ(view.encodeParam().videoFourCC, 0u);
    EXPECT_TRUE(view.validateEnc());
}
