#pragma once

#include <QList>
#include <QString>

#include <cstdint>

// One elementary stream of a media file.
class QVStreamInfo
{
public:
    int ID() const { return m_id; }
    int64_t bitRate() const { return m_bitRate; }       // bit/s, 0 when unknown
    uint32_t fourCC() const { return m_fourCC; }        // framework code, else the file's tag
    int codecId() const { return m_codecId; }           // FFmpeg codec id
    QString codecName() const { return m_codecName; }
    // Video
    int width() const { return m_width; }
    int height() const { return m_height; }
    double frameRate() const { return m_frameRate; }
    // Audio
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

private:
    friend class QVMediaFileInfo;
    int m_id = 0;
    int64_t m_bitRate = 0;
    uint32_t m_fourCC = 0;
    int m_codecId = 0;
    QString m_codecName;
    int m_width = 0;
    int m_height = 0;
    double m_frameRate = 0;
    int m_sampleRate = 0;
    int m_channels = 0;
};

// The streams of one stream list (count/itemAtIndex as the callers use them).
class QVStreamInfoList
{
public:
    int count() const { return int(m_items.size()); }
    const QVStreamInfo *itemAtIndex(int index) const;

private:
    friend class QVMediaFileInfo;
    QList<QVStreamInfo> m_items;
};

// One program of a file: its video and audio streams.
class QVProgramInfo
{
public:
    const QVStreamInfoList &videoStreamInfos() const { return m_video; }
    const QVStreamInfoList &audioStreamInfos() const { return m_audio; }

private:
    friend class QVMediaFileInfo;
    QVStreamInfoList m_video;
    QVStreamInfoList m_audio;
};

// Analysis of one media file, read in process with libavformat. A file that cannot be read,
// or has neither a video nor an audio stream, is invalid with an error text; nothing throws.
class QVMediaFileInfo
{
public:
    // delegate: kept for callers that pass one; analysis is synchronous.
    explicit QVMediaFileInfo(const QString &path, void *delegate = nullptr);

    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    QString mediaPath() const { return m_path; }
    double duration() const { return m_duration; }  // seconds
    int64_t bitRate() const { return m_bitRate; }
    QString formatName() const { return m_formatName; }
    // Known container code of the file's format, 0 when none matches.
    uint32_t containerFourCC() const { return m_containerFourCC; }

    int programCount() const { return m_programs.isEmpty() ? 0 : 1; }
    // The file as one program (index 0); nullptr for other indexes or an invalid file.
    const QVProgramInfo *programInfoAtIndex(int index) const;
    // Child files are not split out: index 0 is the file itself.
    const QVMediaFileInfo *mediafileInfoAtchildFileIndex(int index) const;

    // First video / audio stream, or nullptr.
    const QVStreamInfo *firstVideo() const;
    const QVStreamInfo *firstAudio() const;

private:
    void analyse();

    QString m_path;
    QString m_error;
    double m_duration = 0;
    int64_t m_bitRate = 0;
    QString m_formatName;
    uint32_t m_containerFourCC = 0;
    QList<QVProgramInfo> m_programs;
};
