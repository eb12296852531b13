#include "media/IM_EncodeChecks.h"

#include "media/IM_MediaItem.h"
#include "media/VexlumeCodecs.h"

#include <cmath>
#include <cstdlib>

namespace {

// Copy is possible when the target codec is the source's and the container carries it.
bool copyable(uint32_t targetCode, bool video, int sourceCodecId, uint32_t container)
{
    if (!sourceCodecId || !targetCode)
        return false;
    if (VexlumeCodecs::codecIdForFourCC(targetCode, video) != sourceCodecId)
        return false;
    const auto *c = VexlumeCodecs::containerForFourCC(container);
    return !c || VexlumeCodecs::containerAcceptsCodec(c->muxer, sourceCodecId);
}

} // namespace

IM_ReadLossParams &IM_ReadLossParams::defaultReadLossParams()
{
    static IM_ReadLossParams instance;
    return instance;
}

uint16_t IM_ReadLossParams::checkLossLessOutPutParams(IM_EncodeParamEx *block, const QList<uint32_t> &audioEncs,
                                                      const QList<uint32_t> &videoEncs, int,
                                                      IM_MediaInfo *info, bool autoMatch) const
{
    if (!block || !info)
        return 0;
    auto decide = [&](bool video, uint32_t &targetCode, const QList<uint32_t> &list) -> bool {
        const int sourceId = video ? info->videoCodecId : info->audioCodecId;
        if (copyable(targetCode, video, sourceId, block->containerFourCC))
            return true;
        if (!autoMatch)
            return false;
        for (uint32_t code : list)
            if (VexlumeCodecs::codecIdForFourCC(code, video) == sourceId
                && copyable(code, video, sourceId, block->containerFourCC)) {
                targetCode = code;
                return true;
            }
        return false;
    };
    info->videoLossless = info->hasVideo && !block->videoDisabled && decide(true, block->videoFourCC, videoEncs);
    info->audioLossless = info->hasAudio && !block->audioDisabled && decide(false, block->audioFourCC, audioEncs);
    return uint16_t((info->videoLossless ? 1 : 0) | ((info->audioLossless ? 1 : 0) << 8));
}

IM_CheckEncodeParam &IM_CheckEncodeParam::defaultCheckEncodeParam()
{
    static IM_CheckEncodeParam instance;
    return instance;
}

uint16_t IM_CheckEncodeParam::checkInputParamforUserInputParamEX(IM_EncodeParamEx *b) const
{
    if (!b)
        return uint16_t(IM_CheckUnsupported | (IM_CheckUnsupported << 8));
    const auto *container = VexlumeCodecs::containerForFourCC(b->containerFourCC);
    uint8_t video = IM_CheckOK;
    uint8_t audio = IM_CheckOK;
    auto corrected = [](uint8_t &verdict) {
        if (verdict == IM_CheckOK)
            verdict = IM_CheckCorrected;
    };

    if (!b->videoDisabled && !(container && container->audioOnly)) {
        const QString encoder = VexlumeCodecs::encoderForFourCC(b->videoFourCC, true);
        if (encoder.isEmpty()
            || (container
                && !VexlumeCodecs::containerAcceptsCodec(container->muxer,
                                                         VexlumeCodecs::codecIdForFourCC(b->videoFourCC, true)))) {
            video = IM_CheckUnsupported;
        } else {
            // Zero means "as the source"; negative or absurd sizes fall back to that.
            if (b->width < 0 || b->height < 0 || b->width > 8192 || b->height > 8192) {
                b->width = b->height = 0;
                corrected(video);
            }
            if (b->width % 2 || b->height % 2) {  // 4:2:0 encoders need even sizes
                b->width -= b->width % 2;
                b->height -= b->height % 2;
                corrected(video);
            }
            if (!std::isfinite(b->frameRate) || b->frameRate < 0 || b->frameRate > 240) {
                b->frameRate = 0;
                corrected(video);
            }
            if (b->videoBitrate > 200000000u) {
                b->videoBitrate = 200000000u;
                corrected(video);
            }
        }
    }
    if (!b->audioDisabled) {
        const QString encoder = VexlumeCodecs::encoderForFourCC(b->audioFourCC, false);
        if (encoder.isEmpty()
            || (container
                && !VexlumeCodecs::containerAcceptsCodec(container->muxer,
                                                         VexlumeCodecs::codecIdForFourCC(b->audioFourCC, false)))) {
            audio = IM_CheckUnsupported;
        } else {
            const QList<int> rates = VexlumeCodecs::supportedSampleRates(encoder);
            if (b->sampleRate && !rates.isEmpty() && !rates.contains(int(b->sampleRate))) {
                int best = rates.first();
                for (int r : rates)
                    if (std::abs(r - int(b->sampleRate)) < std::abs(best - int(b->sampleRate)))
                        best = r;
                b->sampleRate = uint32_t(best);
                corrected(audio);
            }
            const bool stereoOnly = encoder == QLatin1String("libmp3lame") || encoder == QLatin1String("mp2")
                || encoder == QLatin1String("libopencore_amrnb");
            const uint32_t maxChannels = encoder == QLatin1String("libopencore_amrnb") ? 1 : (stereoOnly ? 2 : 8);
            if (b->channels > maxChannels) {
                b->channels = maxChannels;
                corrected(audio);
            }
            const uint32_t maxRate = stereoOnly ? 320000u : 1536000u;
            if (b->audioBitrate > maxRate) {
                b->audioBitrate = maxRate;
                corrected(audio);
            }
        }
    }
    return uint16_t(video | (audio << 8));
}
