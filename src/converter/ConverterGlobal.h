#pragma once

#include "converter/EncFormatMgr.h"
#include "converter/MacPreferences.h"
#include "media/IM_EncodeParamEx.h"

#include <QString>

#include <memory>

// The converter's process-wide objects and settings, made once at launch on the main thread
// by InitGlobalData and LoadGlobalEncodeParam, read afterwards. The images the pages draw are
// made by InitGlobalImages (ImageManager.h) on top.
extern std::unique_ptr<MacPreferences> g_productSettings;
extern std::unique_ptr<EncFormatMgr> g_formatMgr;  // null when the built-in presets are unreadable
extern IM_EncodeParamEx g_encodeParam;              // bit rates in kbit/s, as presets give them
extern QString g_strVideoOutputPath;
extern QString g_strAudioOutputPath;
extern QString g_strSnapFolder;
extern QString g_strDefaultSubtitleEncoding;
extern QString g_strDefaultSubtitleFontName;
extern bool g_bAnalysisDVD;
extern bool g_bSilentPlayMode;
extern bool g_bOpenSnapFoler;
extern bool g_bExportToItunesLib;
extern bool g_bKeepDvdChapterMarks;
extern bool g_bOnlyLoadMainTitle;
extern bool g_bIgnorShortTitle;
extern bool g_bCustomVideoBitrate;
extern bool g_bCustomAudioBitrate;
extern int g_iFunctionMode;  // non-zero: audio output

void InitGlobalData();
void LoadGlobalEncodeParam();
void SaveGlobalSettings();
void SaveGlobalEncodeParam();
bool DisableCheckUpdateModule();
QString GetPreferedLanguage();
// The system's first preferred language the way the settings name it ("en", "zh-Hans", ...).
QString FirstPreferredLanguage();
qint64 getFileSize(const QString &path);
// Drops everything InitGlobalData made (tests run it more than once per process).
void ResetGlobalData();

// "~/Library/Application Support/iQuenmark/Orrisca_Studio" as it maps here.
QString ProductSupportFolder();

// Where the converter's resources are; tests point them elsewhere (empty: the built-in ones).
namespace ConverterResources {
QString formatFile();
QString imageListFile();
void setOverridesForTesting(const QString &formatFile, const QString &imageListFile);
} // namespace ConverterResources

// Four-character codes in memory order ("mp4" is the bytes 'm' 'p' '4' ' ').
namespace NSStringFourCC {
QString stringFromFourCC(uint32_t code);
uint32_t fourCCValue(const QString &text);
} // namespace NSStringFourCC
