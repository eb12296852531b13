#pragma once

#include "platform/KeyedArchiver.h"

#include <QString>

// File information of one media file: where it came from, where it lies, its side files and
// its media properties. A plain value: copying copies every field. Used on the main thread.
class FileInfoItem : public KeyedArchivable
{
public:
    FileInfoItem() = default;
    FileInfoItem(const FileInfoItem &) = default;
    FileInfoItem &operator=(const FileInfoItem &) = default;
    ~FileInfoItem() override = default;

    // A copy of just the file information, always of this class.
    FileInfoItem fileInfoCopy() const { return FileInfoItem(*this); }

    qint32 fileID() const { return m_fileID; }
    void setFileID(qint32 id) { m_fileID = id; }
    QString pageURL() const { return m_pageURL; }
    void setPageURL(const QString &url) { m_pageURL = url; }
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    // The stored subtitle path, as set (the subtitlePath() lookup checks the disk).
    QString storedSubtitlePath() const { return m_subtitlePath; }
    void setSubtitlePath(const QString &path) { m_subtitlePath = path; }
    QString thumbnailPath() const { return m_thumbnailPath; }
    void setThumbnailPath(const QString &path) { m_thumbnailPath = path; }
    QString iconFilePath() const { return m_iconFilePath; }
    void setIconFilePath(const QString &path) { m_iconFilePath = path; }
    qint64 time() const { return m_time; }           // seconds
    void setTime(qint64 seconds) { m_time = seconds; }
    qint64 videoSize() const { return m_videoSize; } // bytes
    void setVideoSize(qint64 bytes) { m_videoSize = bytes; }
    qint32 resolution() const { return m_resolution; } // picture lines
    void setResolution(qint32 lines) { m_resolution = lines; }
    // The stored resolution of a "width*height" text: the nearest of 0, 240, 360, 480, 720,
    // 1080, 1440 and 2160 to the height (the earlier one on a tie); 0 without a height.
    static qint32 covertStringToResolution(const QString &widthTimesHeight);
    qint32 videoWidth() const { return m_videoWidth; }
    void setVideoWidth(qint32 w) { m_videoWidth = w; }
    qint32 videoHeight() const { return m_videoHeight; }
    void setVideoHeight(qint32 h) { m_videoHeight = h; }
    double videoFrame() const { return m_videoFrame; } // frames per second
    void setVideoFrame(double fps) { m_videoFrame = fps; }
    qint32 videoBitrate() const { return m_videoBitrate; }
    void setVideoBitrate(qint32 rate) { m_videoBitrate = rate; }

    // Last path component of filePath without its extension.
    QString fileName() const;
    // Extension of filePath, without the dot.
    QString fileExt() const;
    // time as "mm:ss" or "hh:mm:ss".
    QString timeString() const;
    // The stored subtitle when it exists, else "<folder>/<fileName>.srt" when that exists,
    // else a null string.
    QString subtitlePath() const;

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    qint32 m_fileID = 0;
    QString m_pageURL;
    QString m_filePath;
    QString m_subtitlePath;
    QString m_thumbnailPath;
    QString m_iconFilePath;
    qint64 m_time = 0;
    qint64 m_videoSize = 0;
    qint32 m_resolution = 0;
    qint32 m_videoWidth = 0;
    qint32 m_videoHeight = 0;
    double m_videoFrame = 0.0;
    qint32 m_videoBitrate = 0;
};
