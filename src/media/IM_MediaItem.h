#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QString>
#include <QStringList>

class QVMediaFileInfo;
class QVProgramInfo;

// What the converter needs to know of a source.
struct IM_MediaInfo
{
    bool hasVideo = false;
    bool hasAudio = false;
    int width = 0;
    int height = 0;
    double frameRate = 0;
    int sampleRate = 0;
    int channels = 0;
    double duration = 0;  // seconds
    uint32_t videoFourCC = 0;
    uint32_t audioFourCC = 0;
    int videoCodecId = 0;
    int audioCodecId = 0;
    int64_t videoBitrate = 0;
    int64_t audioBitrate = 0;
    // The stream can be copied unchanged into the current target (set by the lossless check).
    bool videoLossless = false;
    bool audioLossless = false;
};

// One source as a conversion sees it: its analysis, the target's encoder block and names.
class IM_MediaItem
{
public:
    IM_MediaItem() = default;
    IM_MediaItem(const QVProgramInfo *program, const QVMediaFileInfo &file);
    static IM_MediaItem initMediaItemWithProgramInfo(const QVProgramInfo *program, const QVMediaFileInfo &file)
    {
        return IM_MediaItem(program, file);
    }

    // Changed in place by the checks and the settings panel.
    IM_EncodeParamEx &encodeParam() { return m_param; }
    const IM_EncodeParamEx &encodeParam() const { return m_param; }
    void setEncodeParam(const IM_EncodeParamEx &param) { m_param = param; }

    uint32_t formatId() const { return m_param.containerFourCC; }
    QString dstTitle() const;  // file name without folder and extension
    QString dstName() const { return m_dstName; }
    void setDstName(const QString &name) { m_dstName = name; }
    QString mediaPath() const { return m_mediaPath; }
    const IM_MediaInfo &mediaInfo() const { return m_info; }
    IM_MediaInfo &mediaInfo() { return m_info; }
    uint32_t encAutoFlag() const { return m_param.smartFitMask; }
    void setEncAutoFlag(uint32_t flag) { m_param.smartFitMask = flag; }
    // True when the current target can not take every stream unchanged.
    bool isAffectLossless() const;
    // 0 video (has a picture), 1 audio only.
    int mediaType() const { return m_info.hasVideo ? 0 : 1; }

    QString subtitlePath() const { return m_subtitlePath; }
    void setSubtitlePath(const QString &path) { m_subtitlePath = path; }

    // Subtitle files that can be burnt in, lower case, no dot.
    static QStringList arrayOfSupportedExternalSubtitleExtensions();
    // Bytes the output of `length` seconds takes with these settings (bit rates in bit/s).
    static int64_t estimateDiskSpaceWithMediaInfo(const IM_EncodeParamEx &param, double length);

private:
    IM_EncodeParamEx m_param = EncodeParamData::zeroed();
    IM_MediaInfo m_info;
    QString m_mediaPath;
    QString m_dstName;
    QString m_subtitlePath;
};
