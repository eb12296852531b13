#include "converter/ConverterGlobal.h"

#include "converter/ConverterUtilities.h"
#include "converter/IM_MediaItemExtended.h"
#include "converter/TBMultiMediaItem.h"
#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <cstring>

std::unique_ptr<MacPreferences> g_productSettings;
std::unique_ptr<EncFormatMgr> g_formatMgr;
IM_EncodeParamEx g_encodeParam = EncodeParamData::zeroed();
QString g_strVideoOutputPath;
QString g_strAudioOutputPath;
QString g_strSnapFolder;
QString g_strDefaultSubtitleEncoding;
QString g_strDefaultSubtitleFontName;
bool g_bAnalysisDVD = false;
bool g_bSilentPlayMode = false;
bool g_bOpenSnapFoler = false;
bool g_bExportToItunesLib = false;
bool g_bKeepDvdChapterMarks = false;
bool g_bOnlyLoadMainTitle = false;
bool g_bIgnorShortTitle = false;
bool g_bCustomVideoBitrate = false;
bool g_bCustomAudioBitrate = false;
int g_iFunctionMode = 0;

namespace {

QString g_formatOverride;
QString g_imageListOverride;

const char *const kLastUsedFormat = "Marrowin/LastUsedFormatID";
const char *const kLastUsedEnc = "Marrowin/LastUsedEnc";

struct BoolSetting
{
    const char *key;
    bool *variable;
};

const BoolSetting kBoolSettings[] = {
    {"AnalysisDVDKey", &g_bAnalysisDVD},
    {"SilentPlayModeKey", &g_bSilentPlayMode},
    {"OpenSnapFolderImmediatelyKey", &g_bOpenSnapFoler},
    {"ExportToItunesLibKey", &g_bExportToItunesLib},
    {"KeepDvdChapterMarksKey", &g_bKeepDvdChapterMarks},
    {"OnlyLoadMainTitleWhenLoadKey", &g_bOnlyLoadMainTitle},
    {"IgnorShortDVDTitleWhenLoadKey", &g_bIgnorShortTitle},
};

QString folderOfDefault(const char *key, const QString &fallback)
{
    const QString stored = UserDefaults::standard().stringForKey(QLatin1String(key));
    return stored.isEmpty() ? fallback : AppPaths::mapPath(stored);
}

double cutRate(double rate) { return std::trunc((rate + 0.001) * 100.0) / 100.0; }

void installDefaultTargets()
{
    // The default conversion targets come from the catalogue's MP4 and MP3 presets.
    TBMultiMediaItem::setDefaultSettingsProvider([](bool audioPreset, IM_EncodeParamEx *block) {
        if (!g_formatMgr)
            return false;
        const auto preset = audioPreset ? g_formatMgr->defaultMp3Format() : g_formatMgr->defaultMp4Format();
        if (!preset)
            return false;
        preset->getDefaultSettings(block);
        return true;
    });
}

} // namespace

namespace ConverterResources {

QString formatFile()
{
    return g_formatOverride.isEmpty() ? MainBundle::pathForResource(QStringLiteral("Format"), QStringLiteral("std"))
                                      : g_formatOverride;
}

QString imageListFile()
{
    return g_imageListOverride.isEmpty() ? QStringLiteral(":/converter/Images/ImageMgr.xml") : g_imageListOverride;
}

void setOverridesForTesting(const QString &formatFile, const QString &imageListFile)
{
    g_formatOverride = formatFile;
    g_imageListOverride = imageListFile;
}

} // namespace ConverterResources

QString ProductSupportFolder()
{
    QString product = QStringLiteral("Orrisca Studio");
    product.replace(u' ', u'_');
    return AppPaths::mapPath(QStringLiteral("~/Library/Application Support/iQuenmark/") + product);
}

void ResetGlobalData()
{
    TBMultiMediaItem::setDefaultSettingsProvider({});
    g_productSettings.reset();
    g_formatMgr.reset();
    g_encodeParam = EncodeParamData::zeroed();
    g_strVideoOutputPath.clear();
    g_strAudioOutputPath.clear();
    g_strSnapFolder.clear();
    g_strDefaultSubtitleEncoding.clear();
    g_strDefaultSubtitleFontName.clear();
    for (const BoolSetting &s : kBoolSettings)
        *s.variable = false;
    g_bCustomVideoBitrate = false;
    g_bCustomAudioBitrate = false;
    g_iFunctionMode = 0;
}

void InitGlobalData()
{
    const QString language = FirstPreferredLanguage();
    g_productSettings = std::make_unique<MacPreferences>();

    const QString support = ProductSupportFolder();
    MakeSureFolderExist(support);
    g_formatMgr = EncFormatMgr::initWithFile(ConverterResources::formatFile(), support + QStringLiteral("/CustomFormat.pro"));
    ScribletLogInfo(QStringLiteral("++++ :%1").arg(support));
    installDefaultTargets();

    MacPreferences &settings = *g_productSettings;
    for (const BoolSetting &s : kBoolSettings)
        if (settings.hasValueForKey(QLatin1String(s.key)))
            *s.variable = settings.boolValueForKey(QLatin1String(s.key));

    g_strVideoOutputPath = settings.stringValueForKey(QStringLiteral("VideoOutputPathKey"));
    if (g_strVideoOutputPath.isEmpty() || !QFileInfo::exists(g_strVideoOutputPath)) {
        g_strVideoOutputPath = folderOfDefault("downloadedSavePath", AppPaths::defaultDownloadFolder());
        QDir().mkpath(g_strVideoOutputPath);
        QDir().mkpath(folderOfDefault("convertedPath", AppPaths::convertedFolder()));
        QDir().mkpath(folderOfDefault("recordPath", AppPaths::recordFolder()));
    }
    g_strAudioOutputPath = QStringLiteral("");

    g_strSnapFolder = settings.stringValueForKey(QStringLiteral("SnapFolderPathKey"));
    if (g_strSnapFolder.isEmpty() || !QFileInfo::exists(g_strSnapFolder)) {
        g_strSnapFolder = QDir::homePath() + QStringLiteral("/Desktop");
        MakeSureFolderExist(g_strSnapFolder);
    }

    g_strDefaultSubtitleEncoding = settings.stringValueForKey(QStringLiteral("DefaultSubtitleEncodingKey"));
    g_strDefaultSubtitleFontName = settings.stringValueForKey(QStringLiteral("DefaultSubtitleFontNameKey"));
    if (g_strDefaultSubtitleEncoding.isEmpty()) {
        g_strDefaultSubtitleEncoding = language == QLatin1String("zh-Hans") ? QStringLiteral("GBK")
            : language == QLatin1String("zh-Hant")                          ? QStringLiteral("BIG5")
            : language == QLatin1String("ja")                               ? QStringLiteral("SHIFT_JIS")
                                                                            : QStringLiteral("UTF-8");
        const qsizetype index = IM_MediaItemExtended::externalSubtitleFontCodePagesArrayExtend().indexOf(g_strDefaultSubtitleEncoding);
        if (index >= 0)
            settings.setIntValue(index, QStringLiteral("DefaultSubtitleEncodingNameKey"));
    }
    if (g_strDefaultSubtitleFontName.isEmpty()) {
        const bool chinese = language == QLatin1String("zh-Hans") || language == QLatin1String("zh-Hant");
        g_strDefaultSubtitleFontName = chinese ? QStringLiteral("Hei")
            : language == QLatin1String("ja")  ? QStringLiteral("Hiragino Kaku")
                                               : QStringLiteral("Arial");
        const int languageIndex = language == QLatin1String("de") ? 1
            : language == QLatin1String("es")                     ? 2
            : language == QLatin1String("fr")                     ? 3
            : chinese                                             ? 4
            : language == QLatin1String("ja")                     ? 5
                                                                  : 0;
        settings.setIntValue(languageIndex, QStringLiteral("DefaultSubtitleLanguageKey"));
    }

    UserDefaults &defaults = UserDefaults::standard();
    if (!defaults.hasUserValue(QStringLiteral("UseCompatabilityModeKey"))) {
        defaults.setBool(QStringLiteral("UseCompatabilityModeKey"), false);
        defaults.setBool(QStringLiteral("ShouldChangeCompatabilityModeKey"), false);
        defaults.synchronize();
    }
}

void LoadGlobalEncodeParam()
{
    g_encodeParam = EncodeParamData::zeroed();
    g_encodeParam.presetDefaultsFlag = 1;
    if (!g_formatMgr)
        return;
    int presetId = -1;
    if (g_productSettings && g_productSettings->hasValueForKey(QLatin1String(kLastUsedFormat)))
        presetId = int(g_productSettings->intValueForKey(QLatin1String(kLastUsedFormat)));
    auto preset = g_formatMgr->formatItemForID(presetId);
    if (!preset)
        preset = g_formatMgr->defaultFormatItem();
    if (!preset)
        return;
    preset->getDefaultSettings(&g_encodeParam);
    const IM_EncodeParamEx presetDefaults = g_encodeParam;

    // The last-used encoder values win only when all of them were stored.
    const QVariantMap last = g_productSettings ? g_productSettings->dictionaryValueForKey(QLatin1String(kLastUsedEnc)) : QVariantMap();
    if (last.contains(QStringLiteral("CustomVideoBitrate")))
        g_bCustomVideoBitrate = last.value(QStringLiteral("CustomVideoBitrate")).toBool();
    if (last.contains(QStringLiteral("CustomAudioBitrate")))
        g_bCustomAudioBitrate = last.value(QStringLiteral("CustomAudioBitrate")).toBool();
    static const char *const members[] = {"FourCC",       "VideoDisable",   "AudioDisable",     "VideoFourCC",
                                          "VideoWidth",   "VideoHeight",    "VideoFramerate",   "VideoBitrate",
                                          "AudioFourCC",  "AudioSampleRate", "AudioChnanel",    "AudioBitrate",
                                          "bUse2Dto3D",   "type2Dto3D",     "offset2Dto3D"};
    bool all = true;
    for (const char *key : members)
        all = all && last.contains(QLatin1String(key));
    if (all) {
        auto u32 = [&](const char *key) { return uint32_t(last.value(QLatin1String(key)).toLongLong()); };
        auto i32 = [&](const char *key) { return int32_t(last.value(QLatin1String(key)).toLongLong()); };
        g_encodeParam.containerFourCC = u32("FourCC");
        g_encodeParam.videoDisabled = i32("VideoDisable");
        g_encodeParam.audioDisabled = i32("AudioDisable");
        g_encodeParam.videoFourCC = u32("VideoFourCC");
        g_encodeParam.width = i32("VideoWidth");
        g_encodeParam.height = i32("VideoHeight");
        g_encodeParam.frameRate = last.value(QStringLiteral("VideoFramerate")).toDouble();
        g_encodeParam.videoBitrate = u32("VideoBitrate");
        g_encodeParam.audioFourCC = u32("AudioFourCC");
        g_encodeParam.sampleRate = u32("AudioSampleRate");
        g_encodeParam.channels = u32("AudioChnanel");
        g_encodeParam.audioBitrate = u32("AudioBitrate");
        g_encodeParam.convert2DTo3D = last.value(QStringLiteral("bUse2Dto3D")).toBool() ? 1 : 0;
        g_encodeParam.convert3DType = i32("type2Dto3D");
        g_encodeParam.convert3DOffset = i32("offset2Dto3D");
        g_encodeParam.audioBitsPerSample = 16;
        g_encodeParam.presetDefaultsFlag = 1;
        g_encodeParam.videoBitDepth = 24;
    } else {
        g_encodeParam = presetDefaults;
    }
    g_encodeParam.frameRate = cutRate(g_encodeParam.frameRate);
}

void SaveGlobalEncodeParam()
{
    if (!g_productSettings)
        return;
    const IM_EncodeParamEx &b = g_encodeParam;
    QVariantMap last;
    last.insert(QStringLiteral("CustomVideoBitrate"), g_bCustomVideoBitrate);
    last.insert(QStringLiteral("CustomAudioBitrate"), g_bCustomAudioBitrate);
    last.insert(QStringLiteral("FourCC"), qint64(b.containerFourCC));
    last.insert(QStringLiteral("VideoDisable"), qint64(b.videoDisabled));
    last.insert(QStringLiteral("AudioDisable"), qint64(b.audioDisabled));
    last.insert(QStringLiteral("VideoFourCC"), qint64(b.videoFourCC));
    last.insert(QStringLiteral("VideoWidth"), qint64(b.width));
    last.insert(QStringLiteral("VideoHeight"), qint64(b.height));
    last.insert(QStringLiteral("VideoFramerate"), cutRate(b.frameRate));
    last.insert(QStringLiteral("VideoBitrate"), qint64(b.videoBitrate));
    last.insert(QStringLiteral("AudioFourCC"), qint64(b.audioFourCC));
    last.insert(QStringLiteral("AudioSampleRate"), qint64(b.sampleRate));
    last.insert(QStringLiteral("AudioChnanel"), qint64(b.channels));
    last.insert(QStringLiteral("AudioBitrate"), qint64(b.audioBitrate));
    last.insert(QStringLiteral("bUse2Dto3D"), b.convert2DTo3D != 0);
    last.insert(QStringLiteral("type2Dto3D"), qint64(b.convert3DType));
    last.insert(QStringLiteral("offset2Dto3D"), qint64(b.convert3DOffset));
    g_productSettings->setAutoSync(false);
    g_productSettings->setDictionaryValue(last, QLatin1String(kLastUsedEnc));
    g_productSettings->syncPreferences();
    g_productSettings->setAutoSync(true);
}

void SaveGlobalSettings()
{
    if (!g_productSettings)
        return;
    MacPreferences &settings = *g_productSettings;
    settings.setAutoSync(false);
    for (const BoolSetting &s : kBoolSettings)
        settings.setBoolValue(*s.variable, QLatin1String(s.key));
    settings.setStringValue(g_strVideoOutputPath, QStringLiteral("VideoOutputPathKey"));
    settings.setStringValue(g_strSnapFolder, QStringLiteral("SnapFolderPathKey"));
    settings.setStringValue(g_strDefaultSubtitleEncoding, QStringLiteral("DefaultSubtitleEncodingKey"));
    settings.setStringValue(g_strDefaultSubtitleFontName, QStringLiteral("DefaultSubtitleFontNameKey"));
    settings.syncPreferences();
    settings.setAutoSync(true);
}

bool DisableCheckUpdateModule()
{
    const QVariant value = MainBundle::infoValue(QStringLiteral("DisableUpdate"));
    return value.isValid() ? UserDefaults::toBool(value) : true;
}

QString GetPreferedLanguage() { return QStringLiteral("en"); }

QString FirstPreferredLanguage()
{
    const QStringList stored = UserDefaults::standard().stringArrayForKey(QStringLiteral("AppleLanguages"));
    if (!stored.isEmpty())
        return stored.first();
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::Chinese)
        return locale.script() == QLocale::TraditionalChineseScript || locale.territory() == QLocale::Taiwan
                || locale.territory() == QLocale::HongKong
            ? QStringLiteral("zh-Hant")
            : QStringLiteral("zh-Hans");
    const QString name = locale.name().section(u'_', 0, 0);
    return name.isEmpty() || name == QLatin1String("C") ? QStringLiteral("en") : name;
}

qint64 getFileSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

namespace NSStringFourCC {

QString stringFromFourCC(uint32_t code)
{
    char bytes[4];
    std::memcpy(bytes, &code, 4);
    QByteArray text;
    for (char c : bytes) {
        if (c == 0)
            break;
        text += c;
    }
    return QString::fromLatin1(text).remove(u' ');
}

uint32_t fourCCValue(const QString &text)
{
    if (text.isEmpty())
        return 0;
    char bytes[4] = {' ', ' ', ' ', ' '};
    const QByteArray utf8 = text.toUtf8();
    std::memcpy(bytes, utf8.constData(), size_t(qMin<qsizetype>(utf8.size(), 4)));
    uint32_t code = 0;
    std::memcpy(&code, bytes, 4);
    return code;
}

} // namespace NSStringFourCC
