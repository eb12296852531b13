#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

// One media file as a conversion sees it: a job's source (only the path counts) or its
// target (path, subtitle to burn in, the encoder values and the encoder block itself).
class TBMultiMediaItem
{
public:
    quint32 itemID() const { return m_itemID; }
    void setItemID(quint32 id) { m_itemID = id; }
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    QSizeF resolution() const { return m_resolution; }
    void setResolution(const QSizeF &size) { m_resolution = size; }
    float frameRate() const { return m_frameRate; }
    void setFrameRate(float rate) { m_frameRate = rate; }
    quint32 videoBitrate() const { return m_videoBitrate; }  // bit/s
    void setVideoBitrate(quint32 rate) { m_videoBitrate = rate; }
    quint32 audioBitrate() const { return m_audioBitrate; }  // bit/s
    void setAudioBitrate(quint32 rate) { m_audioBitrate = rate; }
    quint32 sampleRate() const { return m_sampleRate; }
    void setSampleRate(quint32 rate) { m_sampleRate = rate; }
    quint32 channel() const { return m_channel; }
    void setChannel(quint32 channels) { m_channel = channels; }
    quint64 videoEncoder() const { return m_videoEncoder; }
    void setVideoEncoder(quint64 code) { m_videoEncoder = code; }
    quint64 audioEncoder() const { return m_audioEncoder; }
    void setAudioEncoder(quint64 code) { m_audioEncoder = code; }
    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }
    quint64 fourCC() const { return m_fourCC; }
    void setFourCC(quint64 code) { m_fourCC = code; }
    qint64 filesize() const { return m_filesize; }
    void setFilesize(qint64 bytes) { m_filesize = bytes; }
    QString subtitlePath() const { return m_subtitlePath; }
    void setSubtitlePath(const QString &path) { m_subtitlePath = path; }
    quint32 smartFixFlag() const { return m_smartFitFlag; }
    void setSmartFixFlag(quint32 flag) { m_smartFitFlag = flag; }
    QByteArray encData() const { return m_encData; }
    void setEncData(const QByteArray &data) { m_encData = data; }

    // Nearest standard frame height of resolution().
    int nearlyResolution() const;
    // Takes the encoder values of a block (those of a disabled stream stay as they are).
    void fillFromEncodeParam(const IM_EncodeParamEx &block);

    // Default targets; the item has no path yet.
    static std::shared_ptr<TBMultiMediaItem> defuatVideoConverterParam();
    static std::shared_ptr<TBMultiMediaItem> defuatAudioConverterParam();

    // Writes a preset's default settings (bit rates in kbit/s) into the block; true when it
    // did. Installed by the preset catalogue; without one built-in MP4 and MP3 defaults apply.
    using DefaultSettings = std::function<bool(bool audioPreset, IM_EncodeParamEx *block)>;
    static void setDefaultSettingsProvider(DefaultSettings provider);
    static bool builtInDefaultSettings(bool audioPreset, IM_EncodeParamEx *block);

private:
    static std::shared_ptr<TBMultiMediaItem> defaultTarget(bool audioPreset);

    quint32 m_itemID = 0;
    QString m_filePath;
    QSizeF m_resolution{0, 0};
    float m_frameRate = 0;
    quint32 m_videoBitrate = 0;
    quint32 m_audioBitrate = 0;
    quint32 m_sampleRate = 0;
    quint32 m_channel = 0;
    quint64 m_videoEncoder = 0;
    quint64 m_audioEncoder = 0;
    double m_duration = 0;
    quint64 m_fourCC = 0;
    qint64 m_filesize = 0;
    QString m_subtitlePath;
    quint32 m_smartFitFlag = 0;
    QByteArray m_encData;
};
