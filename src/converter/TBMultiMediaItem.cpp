#include "converter/TBMultiMediaItem.h"

#include "media/VexlumeCodecs.h"

#include <QMutex>

namespace {

QMutex g_providerLock;
TBMultiMediaItem::DefaultSettings g_provider;

} // namespace

int TBMultiMediaItem::nearlyResolution() const
{
    struct Size
    {
        int w, h;
    };
    static const Size sizes[] = {{320, 240},  {640, 360},   {854, 480},  {1280, 720},
                                 {1920, 1080}, {2560, 1440}, {4096, 2160}};
    const double w = m_resolution.width();
    const double h = m_resolution.height();
    auto distance = [&](const Size &s) { return qint64((w - s.w) * (w - s.w) + (h - s.h) * (h - s.h)); };
    int best = sizes[0].h;
    qint64 bestDistance = distance(sizes[0]);
    for (const Size &s : sizes) {
        const qint64 d = distance(s);
        if (d < bestDistance) {  // strictly nearer: a tie keeps the smaller size
            bestDistance = d;
            best = s.h;
        }
    }
    return best;
}

void TBMultiMediaItem::fillFromEncodeParam(const IM_EncodeParamEx &b)
{
    if (!b.audioDisabled) {
        m_audioBitrate = b.audioBitrate;
        m_audioEncoder = b.audioFourCC;
        m_channel = b.channels;
        m_sampleRate = b.sampleRate;
    }
    if (!b.videoDisabled) {
        m_videoBitrate = b.videoBitrate;
        m_videoEncoder = b.videoFourCC;
        m_resolution = QSizeF(b.width, b.height);
        m_frameRate = float(b.frameRate);
    }
    m_smartFitFlag = b.smartFitMask;
    m_fourCC = b.containerFourCC;
}

void TBMultiMediaItem::setDefaultSettingsProvider(DefaultSettings provider)
{
    QMutexLocker lock(&g_providerLock);
    g_provider = std::move(provider);
}

bool TBMultiMediaItem::builtInDefaultSettings(bool audioPreset, IM_EncodeParamEx *b)
{
    using VexlumeCodecs::fourCC;
    if (audioPreset) {
        b->videoDisabled = 1;
        b->containerFourCC = fourCC("mp3 ");
        b->audioFourCC = fourCC(".mp3");
        b->audioBitrate = 192;
    } else {
        b->containerFourCC = fourCC("mp4 ");
        b->videoFourCC = fourCC("avc1");
        b->width = 1280;
        b->height = 720;
        b->frameRate = 30;
        b->videoBitrate = 1500;
        b->videoBitDepth = 24;
        b->audioFourCC = fourCC("mp4a");
        b->audioBitrate = 128;
    }
    b->sampleRate = 44100;
    b->channels = 2;
    b->audioBitsPerSample = 16;
    return true;
}

std::shared_ptr<TBMultiMediaItem> TBMultiMediaItem::defaultTarget(bool audioPreset)
{
    IM_EncodeParamEx block = EncodeParamData::zeroed();
    block.presetDefaultsFlag = 1;
    DefaultSettings provider;
    {
        QMutexLocker lock(&g_providerLock);
        provider = g_provider;
    }
    if (!provider || !provider(audioPreset, &block)) {
        block = EncodeParamData::zeroed();
        block.presetDefaultsFlag = 1;
        builtInDefaultSettings(audioPreset, &block);
    }
    // Presets speak kbit/s; blocks and items carry bit/s.
    block.videoBitrate *= 1000;
    block.audioBitrate *= 1000;
    SetAutomaticOfEncParam(&block, IM_AutoResolution, true);
    SetAutomaticOfEncParam(&block, IM_AutoFrameRate, true);
    SetAutomaticOfEncParam(&block, IM_AutoVideoBitrate, true);
    auto item = std::make_shared<TBMultiMediaItem>();
    item->fillFromEncodeParam(block);
    item->setEncData(EncodeParamData::toData(block));
    return item;
}

std::shared_ptr<TBMultiMediaItem> TBMultiMediaItem::defuatVideoConverterParam() { return defaultTarget(false); }

std::shared_ptr<TBMultiMediaItem> TBMultiMediaItem::defuatAudioConverterParam() { return defaultTarget(true); }
