#include "PresetFixtures.h"

#include "converter/ConverterXml.h"
#include "converter/EncFormatMgr.h"
#include "converter/FormatItem.h"
#include "media/FourCC.h"
#include "media/IM_FileFormatMgr.h"
#include "platform/MainBundle.h"

#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using PresetFixtures::write;

namespace {

QDomElement element(const QByteArray &xml, QDomDocument *keep)
{
    keep->setContent(xml);
    return keep->documentElement();
}

IM_EncodeParamEx blockWith(int w, int h, uint32_t vbr = 0, uint32_t abr = 0)
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.width = w;
    b.height = h;
    b.videoBitrate = vbr;
    b.audioBitrate = abr;
    return b;
}

class Catalogue : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString builtInPath() { return write(dir.path(), QStringLiteral("Format.std"), PresetFixtures::builtIn()); }
    QString customPath() { return QDir(dir.path()).filePath(QStringLiteral("CustomFormat.pro")); }
};

} // namespace

TEST(FormatItemRead, ChildOverridesAttributeAndCarriesDefaultAndCustom)
{
    QDomDocument doc;
    const auto item = FormatItem::initWith(
        element(R"(<Format id="12" Resolution="1*1"><Resolution default="640*480" custom="0">320*240,640*480</Resolution></Format>)", &doc), 5);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->value(QStringLiteral("id")).toString(), QStringLiteral("12"));
    EXPECT_EQ(item->iD(), 12);
    EXPECT_EQ(item->value(QStringLiteral("Resolution")).toString(), QStringLiteral("320*240,640*480"));
    EXPECT_EQ(item->value(QStringLiteral("defaultResolution")).toString(), QStringLiteral("640*480"));
    EXPECT_EQ(item->value(QStringLiteral("customResolution")).toBool(), false);
    EXPECT_EQ(item->width(), 640);
    EXPECT_EQ(item->height(), 480);
    EXPECT_EQ(item->getResolutionList(), (QStringList{QStringLiteral("320*240"), QStringLiteral("640*480")}));

    EXPECT_FALSE(FormatItem::initWith(element("<Preset id=\"1\"/>", &doc), 1));
}

TEST(FormatItemRead, FrameRateCutToTwoDecimals)
{
    const struct
    {
        const char *text;
        double expected;
    } cases[] = {{"29.97", 29.97}, {"23.976", 23.97}, {"25", 25.0}, {"59.94", 59.94}};
    for (const auto &c : cases) {
        QDomDocument doc;
        const auto item = FormatItem::initWith(
            element(QByteArray("<Format><FrameRate default=\"") + c.text + "\">25</FrameRate></Format>", &doc), 1);
        EXPECT_DOUBLE_EQ(item->framerate(), c.expected) << c.text;
    }
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.frameRate = 23.976;
    EXPECT_EQ(FormatItem::encodingDictionary(b).value(QStringLiteral("FrameRate")), QStringLiteral("23.97"));
}

TEST(FormatItemRead, EncoderListMatchesWholeTokensOnly)
{
    // "mp4" must not offer the code "mp4a" nor "mp4v" because it occurs inside them.
    EXPECT_FALSE(FormatItem::listHoldsCode(QStringLiteral("mp4a,avc1"), QStringLiteral("mp4")));
    EXPECT_FALSE(FormatItem::listHoldsCode(QStringLiteral("xavc1"), QStringLiteral("avc1")));
    EXPECT_TRUE(FormatItem::listHoldsCode(QStringLiteral(" avc1 , mp4v"), QStringLiteral("mp4v ")));
    EXPECT_TRUE(FormatItem::listHoldsCode(QStringLiteral("mp3,.mp3"), QStringLiteral("mp3 ")));

    QDomDocument doc;
    const auto item = FormatItem::initWith(
        element("<Format FourCC=\"mp4\"><VideoEncoders>avc1x,hvc1</VideoEncoders><AudioEncoders>mp4</AudioEncoders></Format>", &doc), 1);
    const auto video = item->getVideoEncList();
    ASSERT_TRUE(video);
    EXPECT_FALSE(EncoderMaps::contains(*video, QStringLiteral("avc1")));
    EXPECT_TRUE(EncoderMaps::contains(*video, QStringLiteral("hvc1")));
    // A list that names nothing of the container falls back to all of its encoders.
    const auto audio = item->getAudioEncList();
    ASSERT_TRUE(audio);
    EXPECT_TRUE(EncoderMaps::contains(*audio, QStringLiteral("mp4a")));
    EXPECT_TRUE(FormatItem::getAudioEncListWith(QStringLiteral("mp4"), QStringLiteral("mp4"))->isEmpty());
}

TEST(FormatItemRead, UnknownContainerDisablesBothStreams)
{
    QDomDocument doc;
    const auto item = FormatItem::initWith(element("<Format FourCC=\"zzzz\"><Title>X</Title></Format>", &doc), 1);
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    item->getDefaultSettings(&b);
    EXPECT_EQ(b.videoDisabled, 1);
    EXPECT_EQ(b.audioDisabled, 1);
    EXPECT_FALSE(item->getVideoEncList());
}

TEST(FormatItemRules, AppliedInOrderWithLastChangeProtected)
{
    const QByteArray xml = R"(<Format FourCC="mp4">
      <VideoEncoders default="avc1">avc1</VideoEncoders>
      <AudioEncoders default="mp4a">mp4a</AudioEncoders>
      <Resolution default="640*480" custom="0">640*480,1280*720</Resolution>
      <VideoBitrate default="1500">800,1500</VideoBitrate>
      <AudioBitrate default="128" custom="0">96,128</AudioBitrate>
      <Limits>
        <Rule Resolution="640*480"><VideoBitrate default="800">500,800</VideoBitrate><Resolution default="1280*720">1280*720</Resolution></Rule>
        <Rule Resolution="1280*720"><AudioBitrate default="96">96</AudioBitrate></Rule>
        <Rule Resolution="640*480"><SampleRate default="48000">48000</SampleRate></Rule>
      </Limits></Format>)";
    QDomDocument doc;
    const auto item = FormatItem::initWith(element(xml, &doc), 1);
    ASSERT_EQ(item->limits().size(), 3);

    {   // No custom key for the video bit rate: the flag counts as YES and the rate stays.
        IM_EncodeParamEx b = blockWith(640, 480, 1500, 128);
        const FormatSettingsLists lists = item->getSettingsListsWithEncoderParam(&b);
        EXPECT_EQ(lists.list(QStringLiteral("VideoBitrate")), (QStringList{QStringLiteral("500"), QStringLiteral("800")}));
        EXPECT_EQ(b.videoBitrate, 1500u);
        // The first rule moved the size to 1280*720, so the second applies; the third no longer does.
        EXPECT_EQ(b.width, 1280);
        EXPECT_EQ(b.audioBitrate, 96u);
        EXPECT_FALSE(lists.lists.contains(QStringLiteral("SampleRate")));
        EXPECT_EQ(b.containerFourCC, StringToFourCC(QStringLiteral("mp4")));
    }
    {   // The user's own audio bit rate (change type 7) is never re-defaulted by a rule.
        item->setChangeItemType(FormatItem::ChangeAudioBitrate);
        IM_EncodeParamEx b = blockWith(640, 480, 1500, 128);
        item->getSettingsListsWithEncoderParam(&b);
        EXPECT_EQ(b.audioBitrate, 128u);
        // ... while a change of the audio encoder (4) leaves the bit rate to the rules.
        item->setChangeItemType(FormatItem::ChangeAudioEncoder);
        b = blockWith(640, 480, 1500, 128);
        item->getSettingsListsWithEncoderParam(&b);
        EXPECT_EQ(b.audioBitrate, 96u);
        item->setChangeItemType(FormatItem::ChangeResolution);
        b = blockWith(640, 480, 1500, 128);
        item->getSettingsListsWithEncoderParam(&b);
        EXPECT_EQ(b.width, 640);  // the user's size stays, so the second rule never applies
        EXPECT_EQ(b.audioBitrate, 128u);
    }
}

TEST(FormatItemRules, VideoBitrateDefaultedOnlyWithoutCustomFlag)
{
    const QByteArray base = R"(<Format FourCC="mp4"><VideoBitrate default="1500" %1>800,1500</VideoBitrate>
      <Limits><Rule Resolution="640*480"><VideoBitrate default="800">500,800</VideoBitrate></Rule></Limits></Format>)";
    const struct
    {
        const char *custom;
        uint32_t expected;
    } cases[] = {{"custom=\"0\"", 800}, {"custom=\"1\"", 1500}, {"", 1500}};
    for (const auto &c : cases) {
        QDomDocument doc;
        const auto item = FormatItem::initWith(element(QString::fromLatin1(base).arg(QLatin1String(c.custom)).toUtf8(), &doc), 1);
        IM_EncodeParamEx b = blockWith(640, 480, 1500);
        item->getSettingsListsWithEncoderParam(&b);
        EXPECT_EQ(b.videoBitrate, c.expected) << c.custom;
    }
}

TEST(FormatItemRules, BlankResultRemovesListAndKeepsBlock)
{
    QDomDocument doc;
    const auto item = FormatItem::initWith(element(R"(<Format FourCC="mp4"><Resolution default="640*480" custom="0">640*480</Resolution>
      <Limits><Rule><Resolution default="320*240">   </Resolution></Rule></Limits></Format>)", &doc), 1);
    IM_EncodeParamEx b = blockWith(800, 600);
    const FormatSettingsLists lists = item->getSettingsListsWithEncoderParam(&b);
    EXPECT_FALSE(lists.lists.contains(QStringLiteral("Resolution")));
    EXPECT_EQ(b.width, 800);
    // A missing bit-rate list sets the rate to 0 whatever the rule says.
    EXPECT_EQ(b.videoBitrate, 0u);
}

TEST_F(Catalogue, BuildsFromBothFilesWithPositionIdentifiers)
{
    write(dir.path(), QStringLiteral("CustomFormat.pro"), R"(<Custom>
      <Format FourCC="mp4"><Title>Mine A</Title></Format>
      <Format id="40" FourCC="mp4"><Title>Mine B</Title></Format>
      <Format FourCC="mp4"><Title>Mine C</Title></Format>
    </Custom>)");
    auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
    ASSERT_TRUE(mgr);
    EXPECT_EQ(mgr->categotyCount(), 2);
    EXPECT_EQ(mgr->formatCount(), 6);
    EXPECT_EQ(mgr->formatCategorys().first().value(QStringLiteral("pixId")).toString(), QStringLiteral("catVideo"));
    EXPECT_EQ(mgr->defaultFormatItem()->title(), QStringLiteral("MP4"));
    EXPECT_EQ(mgr->defaultAudioFormat()->title(), QStringLiteral("MP3"));
    EXPECT_EQ(mgr->defaultMp4Format()->iD(), 1);
    EXPECT_EQ(mgr->formatItemForID(40)->title(), QStringLiteral("Mine B"));
    EXPECT_TRUE(mgr->formatItemForTitle(QStringLiteral("Mine B"))->isCustomFormat());
    EXPECT_FALSE(mgr->formatItemAtIndex(-1));
    EXPECT_FALSE(mgr->formatItemAtIndex(6));

    // "Mine C" is third in its file (identifier 3), which a built-in preset has: it moves on.
    const auto mineC = mgr->formatItemForTitle(QStringLiteral("Mine C"));
    EXPECT_NE(mineC->iD(), 3);
    EXPECT_EQ(mgr->formatItemForID(3)->title(), QStringLiteral("WebM"));
    QSet<int> ids;
    for (const auto &item : mgr->formatItems())
        ids.insert(item->iD());
    EXPECT_EQ(ids.size(), mgr->formatCount());
    // The same files give the same identifiers every time.
    auto again = EncFormatMgr::initWithFile(builtInPath(), customPath());
    EXPECT_EQ(again->formatItemForTitle(QStringLiteral("Mine C"))->iD(), mineC->iD());
    EXPECT_FALSE(mgr->deleteCustomFormatWithId(3));  // built-in: refused
}

TEST_F(Catalogue, DeletesUserPresetFromFileKeepingOthersIdentity)
{
    write(dir.path(), QStringLiteral("CustomFormat.pro"), R"(<Custom defaultFormat="Mine B">
      <Format FourCC="mp4"><Title>Mine A</Title></Format>
      <Format FourCC="mp4"><Title>Mine B</Title></Format>
      <Format id="50" FourCC="mp4"><Title>Mine C</Title></Format>
    </Custom>)");
    auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
    const int idB = mgr->formatItemForTitle(QStringLiteral("Mine B"))->iD();
    EXPECT_EQ(mgr->defaultFormatItem()->title(), QStringLiteral("Mine B"));  // the user file may name it
    const int idA = mgr->formatItemForTitle(QStringLiteral("Mine A"))->iD();
    ASSERT_TRUE(mgr->deleteCustomFormatWithId(idA));
    EXPECT_FALSE(mgr->formatItemForTitle(QStringLiteral("Mine A")));

    auto reread = EncFormatMgr::initWithFile(builtInPath(), customPath());
    EXPECT_FALSE(reread->formatItemForTitle(QStringLiteral("Mine A")));
    ASSERT_TRUE(reread->formatItemForTitle(QStringLiteral("Mine B")));
    EXPECT_EQ(reread->formatItemForTitle(QStringLiteral("Mine B"))->iD(), idB);
    EXPECT_EQ(reread->formatItemForTitle(QStringLiteral("Mine C"))->iD(), 50);
    ASSERT_TRUE(reread->deleteCustomFormatWithId(50));
    EXPECT_FALSE(EncFormatMgr::initWithFile(builtInPath(), customPath())->formatItemForID(50));
    // No stray temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(Catalogue, DamagedFilesReportedAndSkipped)
{
    {   // Garbage: reported, only built-in presets.
        write(dir.path(), QStringLiteral("CustomFormat.pro"), QByteArray("\x00\x01PK garbage <<<", 17));
        auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
        ASSERT_TRUE(mgr);
        EXPECT_EQ(mgr->formatCount(), 3);
        EXPECT_FALSE(mgr->customFormatError().isEmpty());
    }
    {   // Cut off mid-file: what was whole is read; the damage is reported and the file is
        // never rewritten from the repaired text.
        const QByteArray cut = "<Custom><Format id=\"70\" FourCC=\"mp4\"><Title>Kept</Title></Format><Format id=\"71\"><Tit";
        const QString path = write(dir.path(), QStringLiteral("CustomFormat.pro"), cut);
        auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
        EXPECT_TRUE(mgr->formatItemForID(70));
        EXPECT_FALSE(mgr->customFormatError().isEmpty());
        EXPECT_FALSE(mgr->deleteCustomFormatWithId(70));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), cut);
    }
    {   // A stray "&" is repaired.
        write(dir.path(), QStringLiteral("CustomFormat.pro"), "<Custom><Format id=\"80\" FourCC=\"mp4\"><Title>A & B</Title></Format></Custom>");
        auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
        ASSERT_TRUE(mgr->formatItemForID(80));
        EXPECT_EQ(mgr->formatItemForID(80)->title(), QStringLiteral("A & B"));
    }
    {   // Nested entities that would expand to gigabytes are refused, not expanded.
        QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY a0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">";
        for (int i = 1; i < 10; ++i)
            bomb += QStringLiteral("<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">").arg(i).arg(i - 1).toUtf8();
        bomb += "]><c><Format id=\"90\" FourCC=\"mp4\"><Title>&a9;</Title></Format></c>";
        write(dir.path(), QStringLiteral("CustomFormat.pro"), bomb);
        auto mgr = EncFormatMgr::initWithFile(builtInPath(), customPath());
        ASSERT_TRUE(mgr);
        if (const auto item = mgr->formatItemForID(90)) {
            EXPECT_LT(item->rawTitle().size(), 1024 * 1024);
        }
    }
    // No built-in file: no catalogue at all.
    EXPECT_FALSE(EncFormatMgr::initWithFile(QDir(dir.path()).filePath(QStringLiteral("missing.std")), customPath()));
    EXPECT_FALSE(EncFormatMgr::initWithFile(builtInPath(), QString()));
}

TEST_F(Catalogue, LookupsOnSmallAndEmptyCatalogues)
{
    EncFormatMgr empty;
    EXPECT_FALSE(empty.defaultFormatItem());
    EXPECT_FALSE(empty.defaultAudioFormat());
    EXPECT_EQ(empty.getUnUsedFormatIDStartWith(0), 0);
    EXPECT_EQ(empty.getUnUsedFormatIDStartWith(7), 7);

    // Without an audio-only preset the default audio format is the first preset.
    const QString onlyVideo = write(dir.path(), QStringLiteral("v.std"),
                                    "<L defaultAudioFormat=\"MP3\"><Format id=\"4\" FourCC=\"mp4\"><Title>V</Title></Format></L>");
    auto mgr = EncFormatMgr::initWithFile(onlyVideo, customPath());
    EXPECT_EQ(mgr->defaultAudioFormat()->iD(), 4);
    EXPECT_EQ(mgr->getUnUsedFormatIDStartWith(0), 0);
    EXPECT_EQ(mgr->getUnUsedFormatIDStartWith(4), 5);
    mgr->deleteFormatForID(4);
    EXPECT_EQ(mgr->formatCount(), 0);

    auto full = EncFormatMgr::initWithFile(builtInPath(), customPath());
    const QDomElement e = full->getFormatElement(*full->formatItemForID(3));
    EXPECT_EQ(e.attribute(QStringLiteral("FourCC")), QStringLiteral("webm"));
}

TEST(BuiltInCatalogue, EveryPresetFitsTheInstalledFfmpeg)
{
    const QString path = MainBundle::pathForResource(QStringLiteral("Format"), QStringLiteral("std"));
    ASSERT_FALSE(path.isEmpty());
    const ConverterXml::ReadResult strict = ConverterXml::readFile(path);
    ASSERT_TRUE(strict.ok);
    EXPECT_FALSE(strict.repaired);
    QTemporaryDir dir;
    auto mgr = EncFormatMgr::initWithFile(path, QDir(dir.path()).filePath(QStringLiteral("CustomFormat.pro")));
    ASSERT_TRUE(mgr);
    ASSERT_TRUE(mgr->defaultMp4Format());
    ASSERT_TRUE(mgr->defaultMp3Format());
    EXPECT_FALSE(mgr->defaultMp3Format()->enableVideoOutput());
    QSet<int> categories;
    for (const QVariantMap &c : mgr->formatCategorys())
        categories.insert(c.value(QStringLiteral("id")).toInt());
    QSet<int> ids;
    for (const auto &item : mgr->formatItems()) {
        SCOPED_TRACE(item->rawTitle().toStdString());
        EXPECT_FALSE(ids.contains(item->iD()));
        ids.insert(item->iD());
        EXPECT_TRUE(categories.contains(item->categoryid()));
        EXPECT_FALSE(item->pixID().isEmpty());
        EXPECT_FALSE(item->formatExt().isEmpty());
        const IM_FileFormat *format =
            IM_FileFormatMgr::sharedFileFormatMgr().fileFormatWithFourCC(StringToFourCC(item->fourCC()));
        ASSERT_NE(format, nullptr) << "no muxer for " << item->fourCC().toStdString();
        // Every listed encoder is installed and accepted by the container.
        for (bool video : {true, false}) {
            const QString list = item->value(video ? QStringLiteral("VideoEncoders") : QStringLiteral("AudioEncoders")).toString();
            for (const QString &code : FormatItem::commaList(list)) {
                const auto &codes = video ? format->videoEncoders : format->audioEncoders;
                EXPECT_TRUE(codes.contains(StringToFourCC(code.trimmed()))) << code.toStdString();
            }
        }
        IM_EncodeParamEx b = EncodeParamData::zeroed();
        item->getDefaultSettings(&b);
        EXPECT_EQ(b.audioDisabled, 0);
        EXPECT_NE(b.audioFourCC, 0u);
        EXPECT_EQ(b.videoDisabled != 0, item->value(QStringLiteral("DisableVideo")).toString() == QLatin1String("YES"));
        // Defaults are among their own lists.
        const struct
        {
            const char *key;
        } keys[] = {{"Resolution"}, {"FrameRate"}, {"VideoBitrate"}, {"AudioBitrate"}, {"SampleRate"}, {"Channel"}};
        for (const auto &k : keys) {
            const QStringList list = FormatItem::commaList(item->value(QLatin1String(k.key)).toString());
            if (!list.isEmpty()) {
                EXPECT_TRUE(list.contains(item->value(QStringLiteral("default") + QLatin1String(k.key)).toString())) << k.key;
            }
        }
        IM_EncodeParamEx settings = b;
        item->getSettingsListsWithEncoderParam(&settings);
        EXPECT_EQ(settings.containerFourCC, b.containerFourCC);
    }
}
