#include "media/IM_MediaItem.h"

#include "media/QVMediaFileInfo.h"

#include <QFileInfo>

IM_MediaItem::IM_MediaItem(const QVProgramInfo *program, const QVMediaFileInfo &file)
    : m_mediaPath(file.mediaPath())
{
    m_info.duration = file.duration();
    if (!program)
        return;
    if (const QVStreamInfo *v = program->videoStreamInfos().itemAtIndex(0)) {
        m_info.hasVideo = true;
        m_info.width = v->width();
        m_info.height = v->height();
        m_info.frameRate = v->frameRate();
        m_info.videoFourCC = v->fourCC();
        m_info.videoCodecId = v->codecId();
        m_info.videoBitrate = v->bitRate();
    }
    if (const QVStreamInfo *a = program->audioStreamInfos().itemAtIndex(0)) {
        m_info.hasAudio = true;
        m_info.sampleRate = a->sampleRate();
        m_info.channels = a->channels();
        m_info.audioFourCC = a->fourCC();
        m_info.audioCodecId = a->codecId();
        m_info.audioBitrate = a->bitRate();
    }
}

QString IM_MediaItem::dstTitle() const { return QFileInfo(m_mediaPath).completeBaseName(); }

bool IM_MediaItem::isAffectLossless() const
{
    const bool videoKept = !m_info.hasVideo || m_param.videoDisabled || m_info.videoLossless;
    const bool audioKept = !m_info.hasAudio || m_param.audioDisabled || m_info.audioLossless;
    return !(videoKept && audioKept);
}

QStringList IM_MediaItem::arrayOfSupportedExternalSubtitleExtensions()
{
    return {QStringLiteral("srt"), QStringLiteral("ass"), QStringLiteral("ssa"), QStringLiteral("vtt")};
}

int64_t IM_MediaItem::estimateDiskSpaceWithMediaInfo(const IM_EncodeParamEx &param, double length)
{
    if (length <= 0)
        return 0;
    int64_t bits = 0;
    if (!param.videoDisabled)
        bits += param.videoBitrate;
    if (!param.audioDisabled)
        bits += param.audioBitrate;
    return int64_t(double(bits) * length / 8.0);
}
