#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

// What a new download asks for ("Contents", "Quality", "Format", "SubtitleCode"), decided from
// the queue's class of the address, the caller's parameters, the stored choices and, on the
// paste road for YouTube pages, the media options dialog.
namespace DownloadContentRules {

// The stored choices that decide without a dialog.
struct Settings
{
    bool youTubeAutoDownloadMode = false; // "YouTubeAutoDownloadMode"
    bool downAndConvertOneMode = false;   // "values.DownAndConvertOneMode"
    bool desiredFormatIsAudio = false;    // "DesiredDownloadFormat" is the localised "Audio"
    bool autoDownloadCaptions = false;    // "AutoDownloadYouTubeCaptions"
    QString defaultSubtitleCode;          // "DefaultSubtitleLanguageCode"

    static Settings fromUserDefaults();
};

// The answer of the media options dialog.
struct OptionsChoice
{
    int result = 0;        // 1 download, 0 cancelled, other: keep the parameters as they are
    int resolution = 0;    // > 0 video lines; 0 or less audio only
    QString format;        // passed through as "Format"
    QString subtitleCode;  // empty: no subtitles wanted
};
using OptionsDialog = std::function<OptionsChoice(const QString &url, const QString &browser)>;

bool isYouTubeAddress(const QString &url);

// The parameters to queue the address with, or nothing when it is refused or the dialog was
// cancelled. classification: the queue's userSelectedContentOfURL answer.
std::optional<QVariantMap> taskParams(int classification, const QString &url, const QVariantMap &callerParams,
                                      bool showOptions, const Settings &settings, const OptionsDialog &dialog);

} // namespace DownloadContentRules
