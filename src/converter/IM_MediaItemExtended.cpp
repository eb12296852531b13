#include "converter/IM_MediaItemExtended.h"

#include "converter/ConverterGlobal.h"
#include "converter/EncodeParamWrapper.h"
#include "converter/SmartFitRules.h"
#include "platform/log/ScribletLogger.h"
#include "media/FourCC.h"
#include "media/IM_EncodeChecks.h"
#include "platform/MainBundle.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr size_t VideoPartBegin = 0;
constexpr size_t VideoPartEnd = offsetof(IM_EncodeParamEx, audioFourCC);
constexpr size_t AudioPartEnd = offsetof(IM_EncodeParamEx, videoDisabled);

void logFit(const QString &text) { ScribletLogInfo(text); }

QString codeText(uint32_t code) { return FourCCToString(code); }

QString blockVideoLine(const char *prefix, const IM_EncodeParamEx &b)
{
    return QString::fromUtf8(prefix)
        + QString::asprintf("%s %d*%d, %f fps, %d bps", qPrintable(codeText(b.videoFourCC)), b.width, b.height,
                            b.frameRate, int32_t(b.videoBitrate));
}

QString blockAudioLine(const char *prefix, const IM_EncodeParamEx &b)
{
    return QString::fromUtf8(prefix)
        + QString::asprintf("%s %d channels, %d samplerate, %d bps", qPrintable(codeText(b.audioFourCC)),
                            int32_t(b.channels), int32_t(b.sampleRate), int32_t(b.audioBitrate));
}

// Multiple of 4 by the remainder (1: -1, 2: -2, 3: +1), kept positive and inside [lo, hi + 1).
int snapToFour(int v, double lo, double hi)
{
    auto inside = [&](int c) { return c > 0 && c >= lo && c < hi + 1; };
    const int r = ((v % 4) + 4) % 4;
    const int preferred = r == 1 ? v - 1 : r == 2 ? v - 2 : r == 3 ? v + 1 : v;
    if (inside(preferred))
        return preferred;
    for (int c : {v - r, v - r + 4})
        if (inside(c))
            return c;
    // No multiple of 4 fits: an even size inside the area, else the size as it is.
    for (int c : {v - (v & 1), v + (v & 1)})
        if (inside(c))
            return c;
    return v;
}

void fitResolution(IM_EncodeParamEx *b, const QString &value)
{
    const QStringList parts = value.split(QLatin1Char('*'));
    ParameterRange wr;
    ParameterRange hr;
    if (parts.size() != 2 || !NSStringIntelligentParameterExtension::parameterRange(parts[0], &wr)
        || !NSStringIntelligentParameterExtension::parameterRange(parts[1], &hr))
        return;
    const int w = b->width;
    const int h = b->height;
    if (w <= 0 || h <= 0) {
        // No picture size: no aspect ratio to keep, and the tool follows the source.
        logFit(QStringLiteral("warning:no picture size to fit into area (%1,%2)~(%3,%4)")
                   .arg(wr.low, 0, 'f', 2).arg(hr.low, 0, 'f', 2).arg(wr.high, 0, 'f', 2).arg(hr.high, 0, 'f', 2));
        return;
    }
    auto inside = [&](double x, double y) {
        const float fx = float(x), fy = float(y);
        return fx >= float(wr.low) && fx < float(wr.high + 1) && fy >= float(hr.low) && fy < float(hr.high + 1);
    };
    int nw = w;
    int nh = h;
    if (!inside(w, h)) {
        const double ratio = double(h) / double(w);
        const double candidates[4][2] = {{wr.low, wr.low * ratio},
                                         {wr.high, wr.high * ratio},
                                         {hr.low / ratio, hr.low},
                                         {hr.high / ratio, hr.high}};
        double best = 2147483647.0;
        bool found = false;
        for (const auto &c : candidates) {
            const int cx = int(c[0] + 0.5);
            const int cy = int(c[1] + 0.5);
            if (cx <= 0 || cy <= 0 || !inside(cx, cy))
                continue;  // a size of 0 is no size
            const double d = std::hypot(double(cx - w), double(cy - h));
            if (d < best) {
                best = d;
                nw = cx;
                nh = cy;
                found = true;
            }
        }
        if (!found) {
            logFit(QString::asprintf("warning:can not find suitable point for (%d,%d) in area (%.2f,%.2f)~(%.2f,%.2f)", w, h,
                                     wr.low, hr.low, wr.high, hr.high));
            // Keeping a size outside the area would break the format's limits: clamp instead.
            nw = int(qBound(qMax(1.0, wr.low), double(w), qMax(1.0, wr.high)));
            nh = int(qBound(qMax(1.0, hr.low), double(h), qMax(1.0, hr.high)));
        }
    }
    b->width = snapToFour(nw, wr.low, wr.high);
    b->height = snapToFour(nh, hr.low, hr.high);
}

void fitVideoBitrateFromTable(IM_EncodeParamEx *b, const QVariantMap &rules)
{
    if (!rules.contains(QStringLiteral("BitrateControlTable")))
        return;
    const QVariantMap table = rules.value(QStringLiteral("BitrateControlTable")).toMap();
    const QString codec = FourCCToString(b->videoFourCC).trimmed();
    if (codec.isEmpty()) {
        logFit(QStringLiteral("error:can not creat destination video encoder fourcc"));
        return;
    }
    const QString key = table.value(QStringLiteral("FourCCTable")).toMap().value(codec).toString();
    if (key.isEmpty()) {
        logFit(QStringLiteral("warning:can not find codec key of fourcc:%1").arg(codec));
        return;
    }
    const QVariantList lines = table.value(QStringLiteral("ResolutionTable")).toMap().value(key).toList();
    if (lines.isEmpty()) {
        logFit(QStringLiteral("warning:can not find base bitrates of codec key:%1").arg(key));
        return;
    }
    double best = -1;
    QString bestGeometry;
    QString bestKbps;
    for (const QVariant &line : lines) {
        const QStringList pieces = line.toString().split(QLatin1Char(';'));
        if (pieces.size() != 2)
            continue;
        const QStringList g = pieces[0].split(QLatin1Char('*'));
        if (g.size() != 3)
            continue;
        const double dw = g[0].trimmed().toInt() - b->width;
        const double dh = g[1].trimmed().toInt() - b->height;
        const double df = std::trunc(g[2].trimmed().toDouble()) - b->frameRate;
        const double score = dw * dw + dh * dh + df * df;
        if (best == -1 || best > score) {
            best = score;
            bestGeometry = pieces[0];
            bestKbps = pieces[1];
        }
    }
    if (best == -1) {
        logFit(QStringLiteral("error:can not find min distance base bitrate"));
        return;
    }
    adjustVideoBitrateForBaseRule(b, bestGeometry, bestKbps);
}

// Sample rate, channels and audio bit rate take the rule's low bound as a whole number.
bool wholeRuleValue(const QString &value, const char *warning, int *out)
{
    ParameterRange r;
    if (value.isNull() || !NSStringIntelligentParameterExtension::parameterRange(value, &r))
        return false;
    if (r.low != std::trunc(r.low) || r.high != std::trunc(r.high) || r.low != r.high)
        logFit(QString::fromUtf8(warning));
    *out = int(qBound(0.0, std::trunc(r.low), 2147483647.0));
    return true;
}

} // namespace

IM_MediaItemExtended::IM_MediaItemExtended(const IM_MediaItem &item) : m_item(item) {}

std::shared_ptr<FormatItem> IM_MediaItemExtended::formatItem() const
{
    const EncFormatMgr *catalogue = m_catalogue ? m_catalogue : g_formatMgr.get();
    return catalogue ? catalogue->formatItemForID(m_formatId) : nullptr;
}

void IM_MediaItemExtended::setFormatId(int id)
{
    m_formatId = id;
    if (auto preset = formatItem(); preset && !preset->formatExt().isEmpty()) {
        QString ext = preset->formatExt().trimmed();
        if (!ext.startsWith(QLatin1Char('.')))
            ext.prepend(QLatin1Char('.'));
        m_item.setDstName(m_item.dstTitle() + ext);
    }
}

QString IM_MediaItemExtended::autoFormatRuleKey() const
{
    const auto preset = formatItem();
    if (!preset)
        return {};
    const QString formal = preset->formalTitle();
    return formal.isEmpty() ? preset->title() : formal;
}

QString IM_MediaItemExtended::currentFormatName() const
{
    const auto preset = formatItem();
    if (!preset)
        return {};
    const int category = preset->categoryid();
    if (category != 1 && category != 2 && category != 17)
        return {};
    QString name = preset->formalTitle().isNull() ? preset->title() : preset->formalTitle();
    name.remove(QLatin1Char(' '));
    name.replace(QLatin1Char(','), QLatin1Char('-'));
    return name.toLower();
}

QVariantMap IM_MediaItemExtended::sourceMediaStreamInfo() const
{
    QVariantMap info;
    const IM_MediaInfo &media = m_item.mediaInfo();
    if (media.hasVideo) {
        info.insert(QStringLiteral("VideoStreamBitrate"), qint64(media.videoBitrate));
        if (!FourCCToString(media.videoFourCC).isEmpty())
            info.insert(QStringLiteral("Video Encoder Description"), FourCCToString(media.videoFourCC));
    }
    if (media.hasAudio) {
        info.insert(QStringLiteral("AudioStreamBitrate"), qint64(media.audioBitrate));
        if (!FourCCToString(media.audioFourCC).isEmpty())
            info.insert(QStringLiteral("Audio Encoder Description"), FourCCToString(media.audioFourCC));
    }
    return info;
}

IM_EncodeParamEx IM_MediaItemExtended::encParamByHandledAutoMask(uint32_t mask, bool lossLess) const
{
    Q_UNUSED(lossLess);  // the framework keeps one geometry record for both uses
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b = m_item.encodeParam();
    const IM_MediaInfo &media = m_item.mediaInfo();
    const QVariantMap stream = sourceMediaStreamInfo();
    if (IsAutomaticOfMask(mask, IM_AutoFrameRate))
        b.frameRate = media.frameRate;
    if (IsAutomaticOfMask(mask, IM_AutoResolution)) {
        b.width = media.width;
        b.height = media.height;
    }
    if (IsAutomaticOfMask(mask, IM_AutoVideoBitrate))
        b.videoBitrate = uint32_t(qBound<qint64>(0, stream.value(QStringLiteral("VideoStreamBitrate")).toLongLong(), UINT32_MAX));
    if (IsAutomaticOfMask(mask, IM_AutoSampleRate))
        b.sampleRate = uint32_t(qMax(0, media.sampleRate));
    if (IsAutomaticOfMask(mask, IM_AutoChannels))
        b.channels = uint32_t(qMax(0, media.channels));
    if (IsAutomaticOfMask(mask, IM_AutoAudioBitrate))
        b.audioBitrate = uint32_t(qBound<qint64>(0, stream.value(QStringLiteral("AudioStreamBitrate")).toLongLong(), UINT32_MAX));
    return b;
}

void IM_MediaItemExtended::autoAdjustEncodeParam(uint32_t mask)
{
    const QVariantMap rules = SmartFitRules::rules();
    const QString ruleKey = autoFormatRuleKey();
    const QString ruleName = rules.value(QStringLiteral("RuleKeyOfFileFormat")).toMap().value(ruleKey).toString();
    if (ruleName.isEmpty()) {
        logFit(QStringLiteral("Can not find rule for format:%1").arg(ruleKey));
        return;
    }
    const QVariantMap rule = rules.value(QStringLiteral("Rules")).toMap().value(ruleName).toMap();
    const bool hasVideo = rule.contains(QStringLiteral("Video"));
    const bool hasAudio = rule.contains(QStringLiteral("Audio"));
    if (!hasVideo && !hasAudio) {
        logFit(QStringLiteral("Can not find video rule and audio rule for format:%1").arg(ruleKey));
        return;
    }
    IM_EncodeParamEx b = encParamByHandledAutoMask(mask);
    logFit(blockVideoLine("调整之前视频参数--", b));
    logFit(blockAudioLine("调整之前音频参数--", b));
    logFit(QStringLiteral("调整标志位:%1").arg(mask, 0, 16));
    const EncodeParamWrapper wrapper(&b);

    if (hasVideo) {
        const QVariantMap video = rule.value(QStringLiteral("Video")).toMap();
        if (IsAutomaticOfMask(mask, IM_AutoFrameRate)) {
            ParameterRange r;
            if (b.frameRate <= 0) {
                // Unknown rate: 0 keeps the source's, which no range can improve on.
                logFit(QStringLiteral("warning:no source frame rate to fit"));
            } else if (NSStringIntelligentParameterExtension::parameterRange(findRangeForKey(&wrapper, QStringLiteral("FrameRates"), video), &r)) {
                if (b.frameRate > r.high)
                    b.frameRate = r.high;
                else if (b.frameRate < r.low)
                    b.frameRate = r.low;
            }
        }
        if (IsAutomaticOfMask(mask, IM_AutoResolution)) {
            const QString value = findRangeForKey(&wrapper, QStringLiteral("Resolutions"), video);
            if (!value.isNull())
                fitResolution(&b, value);
        }
        if (IsAutomaticOfMask(mask, IM_AutoVideoBitrate)) {
            const QString value = findRangeForKey(&wrapper, QStringLiteral("BitRates"), video);
            ParameterRange r;
            if (value.isNull()) {
                fitVideoBitrateFromTable(&b, rules);
            } else if (NSStringIntelligentParameterExtension::parameterRange(value, &r)) {
                const qint64 high = qint64(std::trunc(r.high)) * 1000;
                const qint64 low = qint64(std::trunc(r.low)) * 1000;
                if (qint64(b.videoBitrate) > high)
                    b.videoBitrate = uint32_t(qBound<qint64>(0, high, UINT32_MAX));
                else if (qint64(b.videoBitrate) < low)
                    b.videoBitrate = uint32_t(qBound<qint64>(0, low, UINT32_MAX));
            } else {
                const QStringList pieces = value.trimmed().split(QStringLiteral("of"));
                if (pieces.size() == 2)
                    adjustVideoBitrateForBaseRule(&b, pieces[1], pieces[0]);
                else
                    logFit(QStringLiteral("adjust video bitrate exception:%1 is no base rule").arg(value));
            }
        }
    }
    if (hasAudio) {
        const QVariantMap audio = rule.value(QStringLiteral("Audio")).toMap();
        int v = 0;
        if (IsAutomaticOfMask(mask, IM_AutoSampleRate)
            && wholeRuleValue(findRangeForKey(&wrapper, QStringLiteral("SampleRates"), audio), "warning:sample rate is not a integer", &v))
            b.sampleRate = uint32_t(v);
        if (IsAutomaticOfMask(mask, IM_AutoChannels)
            && wholeRuleValue(findRangeForKey(&wrapper, QStringLiteral("Channels"), audio), "warning:channle count is not a integer", &v)) {
            if (v != 1 && v != 2 && v != 6) {
                logFit(QStringLiteral("warning:rule want to use %1 as channles count, but we only support 1,2,6; we set 2 as default").arg(v));
                v = 2;
            }
            b.channels = uint32_t(v);
        }
        if (IsAutomaticOfMask(mask, IM_AutoAudioBitrate)
            && wholeRuleValue(findRangeForKey(&wrapper, QStringLiteral("BitRates"), audio), "warning:audio bitrate is not a integer", &v))
            b.audioBitrate = uint32_t(v);
    }
    logFit(blockVideoLine("调整之后视频参数--", b));
    logFit(blockAudioLine("调整之后音频参数--", b));
    m_item.setEncodeParam(b);
}

double IM_MediaItemExtended::snapLosslessFrameRate(double rate)
{
    if (rate > 23.969 && rate < 23.98)
        return 23.97602397;
    if (rate > 29.969 && rate < 29.98)
        return 29.97002997;
    if (rate > 14.979 && rate < 14.99)
        return 14.98501498;
    if (rate > 59.9 && rate < 59.99)
        return 59.94005994;
    return rate;
}

bool IM_MediaItemExtended::affectsLossless() const { return !m_item.subtitlePath().isEmpty(); }

QSizeF IM_MediaItemExtended::outputFrameSize(const IM_EncodeParamEx &jobBlock, bool lossless) const
{
    const IM_MediaInfo &media = m_item.mediaInfo();
    // The tool copies the picture of a lossless job and leaves a size of 0x0 unscaled.
    const bool sourceSize = lossless || (jobBlock.width <= 0 && jobBlock.height <= 0);
    if (sourceSize && media.width > 0 && media.height > 0)
        return QSizeF(media.width, media.height);
    return QSizeF(jobBlock.width, jobBlock.height);
}

bool IM_MediaItemExtended::isMediaItemLossless()
{
    IM_MediaInfo &media = m_item.mediaInfo();
    media.videoLossless = false;
    media.audioLossless = false;
    const uint32_t flag = encAutoFlag();
    autoAdjustEncodeParam(flag & 0x70);

    if (!affectsLossless()) {
        IM_EncodeParamEx p = encParamByHandledAutoMask(flag & 0x7E, true);
        const auto preset = formatItem();
        auto codes = [](const std::optional<EncoderMap> &map) {
            QList<uint32_t> out;
            for (const auto &entry : map.value_or(EncoderMap()))
                out.append(StringToFourCC(entry.first));
            return out;
        };
        const QList<uint32_t> audioList = preset ? codes(preset->getAudioEncList()) : QList<uint32_t>();
        const QList<uint32_t> videoList = preset ? codes(preset->getVideoEncList()) : QList<uint32_t>();
        IM_MediaInfo probe = media;
        const uint16_t pass = IM_ReadLossParams::defaultReadLossParams().checkLossLessOutPutParams(
            &p, audioList, videoList, 0, &probe, true);
        p.frameRate = snapLosslessFrameRate(p.frameRate);
        const uint16_t check = IM_CheckEncodeParam::defaultCheckEncodeParam().checkInputParamforUserInputParamEX(&p);
        // The framework's checks answer 0 (fine) or 1 (corrected) for a stream it can encode.
        const bool videoAccepted = IM_VideoVerdict(check) != IM_CheckUnsupported;
        const bool audioAccepted = IM_AudioVerdict(check) != IM_CheckUnsupported;
        const bool videoLossless = (pass & 0xFF) && videoAccepted;
        const bool audioLossless = (pass >> 8) && audioAccepted;
        auto *dst = reinterpret_cast<unsigned char *>(&m_item.encodeParam());
        const auto *src = reinterpret_cast<const unsigned char *>(&p);
        if (videoLossless)
            std::memcpy(dst + VideoPartBegin, src + VideoPartBegin, VideoPartEnd - VideoPartBegin);
        if (audioLossless)
            std::memcpy(dst + VideoPartEnd, src + VideoPartEnd, AudioPartEnd - VideoPartEnd);
        media.videoLossless = videoLossless;
        media.audioLossless = audioLossless;
        if (videoLossless && audioLossless)
            return true;
        if (videoLossless) {
            autoAdjustEncodeParam(flag & 0x70);
            IM_CheckEncodeParam::defaultCheckEncodeParam().checkInputParamforUserInputParamEX(&m_item.encodeParam());
            return true;
        }
    }
    autoAdjustEncodeParam(flag & 0x7E);
    const IM_EncodeParamEx &b = m_item.encodeParam();
    if (b.frameRate <= 60.0 && b.width <= 1920 && b.height <= 1088)
        IM_CheckEncodeParam::defaultCheckEncodeParam().checkInputParamforUserInputParamEX(&m_item.encodeParam());
    return false;
}

QString IM_MediaItemExtended::formatName() const
{
    const auto preset = formatItem();
    return preset ? preset->title() : QString();
}

double IM_MediaItemExtended::estimatedSize() const
{
    const qint64 bytes = IM_MediaItem::estimateDiskSpaceWithMediaInfo(m_item.encodeParam(), m_item.mediaInfo().duration);
    return double(bytes) / (1024.0 * 1024.0);
}

QString IM_MediaItemExtended::dstSize() const { return QString::asprintf("%0.1fMB", estimatedSize()); }

QString IM_MediaItemExtended::outputFilePath() const
{
    const QString folder = g_iFunctionMode ? g_strAudioOutputPath : g_strVideoOutputPath;
    return folder + QLatin1Char('/') + m_item.dstName();
}

bool IM_MediaItemExtended::exportToiTunes() const
{
    const auto preset = formatItem();
    return g_bExportToItunesLib && preset && preset->canToITunes();
}

bool IM_MediaItemExtended::exportChapters() const
{
    // Chapter marks come only with DVD titles, which the framework does not read here.
    return false;
}

QStringList IM_MediaItemExtended::externalSubtitleFontCodePagesArrayExtend()
{
    static const QStringList codes = {QStringLiteral("UTF-8"), QStringLiteral("CP1252"), QStringLiteral("SHIFT_JIS"),
                                      QStringLiteral("GBK"),   QStringLiteral("CP936"),  QStringLiteral("BIG5")};
    return codes;
}

QStringList IM_MediaItemExtended::externalSubtitleFontCodePagesArrayDescriptionExtend()
{
    static const char *const names[] = {"Unicode (UTF-8)",     "Western (Windows, Latin 1)",
                                        "Japanese (Shift JIS)", "Chinese (GBK)",
                                        "Simplified Chinese (Windows, DOS)", "Traditional Chinese (Big 5)"};
    QStringList out;
    for (const char *name : names)
        out.append(MainBundle::localizedString(name));
    return out;
}

QStringList IM_MediaItemExtended::externalSubtitleLanguages()
{
    static const QStringList languages = {QStringLiteral("English"), QStringLiteral("German"), QStringLiteral("Spanish"),
                                          QStringLiteral("French"),  QStringLiteral("Chinese"), QStringLiteral("Japanese")};
    return languages;
}

QStringList IM_MediaItemExtended::externalSubtitleFontNamesForLanguages()
{
    static const QStringList fonts = {QStringLiteral("Arial"), QStringLiteral("Arial"), QStringLiteral("Arial"),
                                      QStringLiteral("Arial"), QStringLiteral("Hei"),   QStringLiteral("Hiragino Kaku")};
    return fonts;
}

void IM_MediaItemExtended::initExternalSubtitleParams()
{
    m_subtitleEncoding = g_strDefaultSubtitleEncoding;
    m_subtitleFont = g_strDefaultSubtitleFontName;
    if (!m_embedded.isEmpty() || m_item.mediaPath().isEmpty())
        return;
    const QFileInfo media(m_item.mediaPath());
    const QStringList supported = IM_MediaItem::arrayOfSupportedExternalSubtitleExtensions();
    QStringList found;
    for (const QFileInfo &entry : media.absoluteDir().entryInfoList(QDir::Files | QDir::Readable))
        if (supported.contains(entry.suffix().toLower()))
            found.append(entry.absoluteFilePath());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(found.begin(), found.end(), [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    m_externalSubtitles = found;
    m_sameDirCount = int(found.size());
    m_selectedExternal = -1;
    const QString stem = QDir(media.absolutePath()).filePath(media.completeBaseName());
    for (int i = 0; i < found.size(); ++i) {
        const QFileInfo f(found[i]);
        if (QDir(f.absolutePath()).filePath(f.completeBaseName()) == stem) {
            m_selectedExternal = i;
            m_item.setSubtitlePath(found[i]);
            break;
        }
    }
}

void IM_MediaItemExtended::addExternalSubtitle(const QString &path, bool select)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    qsizetype at = m_externalSubtitles.indexOf(absolute);
    if (at < 0) {
        m_externalSubtitles.append(absolute);
        at = m_externalSubtitles.size() - 1;
    }
    if (select) {
        m_selectedExternal = int(at);
        m_item.setSubtitlePath(absolute);
    }
}

bool IM_MediaItemExtended::needLoadExternalSubtitleAction() const
{
    return mediaType() != 1 && mediaType() != 2 && m_embedded.isEmpty();
}

bool IM_MediaItemExtended::usesMenuWithFiles() const { return mediaType() == 0 && m_embedded.isEmpty(); }

int IM_MediaItemExtended::externalSubtitleCountInTheSameDirOfMedia() const
{
    if (!usesMenuWithFiles())
        return 0;
    const QString folder = QFileInfo(m_item.mediaPath()).absolutePath();
    int count = 0;
    for (const QString &path : m_externalSubtitles)
        if (QFileInfo(path).absolutePath() == folder)
            ++count;
    return count;
}

bool IM_MediaItemExtended::hasSecondSeparator() const
{
    const int s = externalSubtitleCountInTheSameDirOfMedia();
    return s >= 1 && s < m_externalSubtitles.size();
}

std::optional<QStringList> IM_MediaItemExtended::generalSubtitleDescriptions() const
{
    const QString none = QStringLiteral("No Subtitle");
    if (!m_embedded.isEmpty() || mediaType() == 1 || mediaType() == 2)
        return QStringList{none} + m_embedded;
    if (mediaType() != 0)
        return std::nullopt;
    QStringList menu = {none, QStringLiteral("Load Subtitle")};
    if (m_externalSubtitles.isEmpty())
        return menu;
    menu.append(subtitleGroupSperatorName());
    QMap<QString, int> nameCount;
    for (const QString &path : m_externalSubtitles)
        ++nameCount[QFileInfo(path).fileName()];
    const int s = externalSubtitleCountInTheSameDirOfMedia();
    for (int i = 0; i < m_externalSubtitles.size(); ++i) {
        const QFileInfo f(m_externalSubtitles[i]);
        QString title = f.fileName();
        if (nameCount.value(title) > 1)
            title += QStringLiteral(" -- ") + f.absoluteDir().dirName();
        menu.append(title);
        if (hasSecondSeparator() && i + 1 == s)
            menu.append(subtitleGroupSperatorName());
    }
    return menu;
}

QString IM_MediaItemExtended::subtitlePathAtIndex(int p) const
{
    if (!usesMenuWithFiles() || p < 3)
        return {};
    const int s = externalSubtitleCountInTheSameDirOfMedia();
    int file = p - 3;
    if (hasSecondSeparator() && p >= s + 3) {
        if (p == s + 3)
            return {};
        file = p - 4;
    }
    if (file < 0 || file >= m_externalSubtitles.size())
        return {};
    return m_externalSubtitles[file];
}

int IM_MediaItemExtended::indexOfSelectedGeneralSubtitle() const
{
    if (!usesMenuWithFiles())
        return qMax(0, m_embeddedIndex + 1);
    const int k = m_selectedExternal;
    if (k < 0 || k >= m_externalSubtitles.size())
        return 0;
    return k + 3 + ((hasSecondSeparator() && k >= externalSubtitleCountInTheSameDirOfMedia()) ? 1 : 0);
}

void IM_MediaItemExtended::setIndexOfSelectedGeneralSubtitle(int p)
{
    if (!usesMenuWithFiles()) {
        m_embeddedIndex = qMax(-1, p - 1);
        return;
    }
    const QString path = subtitlePathAtIndex(p);
    m_selectedExternal = path.isEmpty() ? -1 : int(m_externalSubtitles.indexOf(path));
    m_item.setSubtitlePath(path);
}
