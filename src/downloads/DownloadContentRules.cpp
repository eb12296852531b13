#include "downloads/DownloadContentRules.h"

#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "reelgrab/QVReelgrabTask.h"

namespace DownloadContentRules {

namespace {
const QString Contents = QStringLiteral("Contents");
const QString Quality = QStringLiteral("Quality");
const QString Format = QStringLiteral("Format");
const QString SubtitleCode = QStringLiteral("SubtitleCode");
const QString Browser = QStringLiteral("Browser");
} // namespace

Settings Settings::fromUserDefaults()
{
    UserDefaults &d = UserDefaults::standard();
    Settings s;
    s.youTubeAutoDownloadMode = d.boolForKey(QStringLiteral("YouTubeAutoDownloadMode"));
    s.downAndConvertOneMode = d.boolForKey(QStringLiteral("values.DownAndConvertOneMode"));
    s.desiredFormatIsAudio =
        d.stringForKey(QStringLiteral("DesiredDownloadFormat")) == MainBundle::localizedString("Audio");
    s.autoDownloadCaptions = d.boolForKey(QStringLiteral("AutoDownloadYouTubeCaptions"));
    s.defaultSubtitleCode = d.stringForKey(QStringLiteral("DefaultSubtitleLanguageCode"));
    return s;
}

bool isYouTubeAddress(const QString &url)
{
    const QString lower = url.toLower();
    return lower.contains(QLatin1String("youtube.com")) || lower.contains(QLatin1String("youtu.be"));
}

std::optional<QVariantMap> taskParams(int classification, const QString &url, const QVariantMap &callerParams,
                                      bool showOptions, const Settings &settings, const OptionsDialog &dialog)
{
    QVariantMap d = callerParams;
    if (classification == QVReelgrabContentNoOptions) {
        const qint32 given = callerParams.contains(Contents) ? callerParams.value(Contents).toInt() : 0;
        d[Contents] = given | QVReelgrabContentNoOptions;
        return d;
    }
    if (classification != QVReelgrabContentVideo)
        return std::nullopt;
    if (!showOptions || !isYouTubeAddress(url)) {
        if (!d.contains(Contents))
            d[Contents] = qint32(QVReelgrabContentVideo);
        return d;
    }

    if (settings.youTubeAutoDownloadMode || settings.downAndConvertOneMode) {
        if (!settings.downAndConvertOneMode) {
            qint32 kind = settings.desiredFormatIsAudio ? QVReelgrabContentAudio : QVReelgrabContentVideo;
            if (callerParams.contains(Contents))
                kind = callerParams.value(Contents).toInt();
            if (kind != QVReelgrabContentVideo) {
                d[Contents] = kind;
                return d;
            }
        }
        if (settings.autoDownloadCaptions) {
            d[SubtitleCode] = settings.defaultSubtitleCode;
            d[Contents] = qint32(QVReelgrabContentVideo | QVReelgrabContentSubtitle);
        } else {
            d[Contents] = qint32(QVReelgrabContentVideo);
        }
        return d;
    }

    if (!dialog)
        return std::nullopt;
    const OptionsChoice choice = dialog(url, callerParams.value(Browser).toString());
    if (choice.result == 0)
        return std::nullopt;
    if (choice.result == 1) {
        if (choice.resolution > 0) {
            d[Quality] = choice.resolution;
            qint32 contents = QVReelgrabContentVideo;
            d[Format] = choice.format;
            // The dialog answers an empty code when subtitles are off: no subtitle bit then.
            if (!choice.subtitleCode.isEmpty()) {
                contents |= QVReelgrabContentSubtitle;
                d[SubtitleCode] = choice.subtitleCode;
            }
            d[Contents] = contents;
        } else {
            d[Contents] = qint32(QVReelgrabContentAudio);
        }
    }
    return d;
}

} // namespace DownloadContentRules
