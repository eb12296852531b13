#pragma once

#include "platform/KeyedArchiver.h"

#include <QString>

// One downloadable portion of a candidate media, with the progress of its download.
class QVSniffingMediaSegment : public KeyedArchivable
{
public:
    // A new segment waits for download (status 4); a decoded one keeps its stored status.
    QVSniffingMediaSegment();

    qint64 bytes() const { return m_bytes; }
    void setBytes(qint64 v) { m_bytes = v; }
    QString url() const { return m_url; }
    void setUrl(const QString &v) { m_url = v; }
    qint64 duration() const { return m_duration; }
    void setDuration(qint64 v) { m_duration = v; }
    quint32 mediaFormat() const { return m_mediaFormat; }
    void setMediaFormat(quint32 v) { m_mediaFormat = v; }
    qint32 mediaQuality() const { return m_mediaQuality; }
    void setMediaQuality(qint32 v) { m_mediaQuality = v; }
    qint32 downloadStatus() const { return m_downloadStatus; }
    void setDownloadStatus(qint32 v) { m_downloadStatus = v; }
    qint64 downloadedBytes() const { return m_downloadedBytes; }
    void setDownloadedBytes(qint64 v) { m_downloadedBytes = v; }
    qint64 downloadSpeed() const { return m_downloadSpeed; }
    void setDownloadSpeed(qint64 v) { m_downloadSpeed = v; }
    QString savePath() const { return m_savePath; }
    void setSavePath(const QString &v) { m_savePath = v; }

    QString extName() const;
    QString description() const;

    bool operator==(const QVSniffingMediaSegment &other) const;
    bool operator!=(const QVSniffingMediaSegment &other) const { return !(*this == other); }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    qint64 m_bytes = 0;
    QString m_url;
    qint64 m_duration = 0;
    quint32 m_mediaFormat = 0;
    qint32 m_mediaQuality = 0;
    qint32 m_downloadStatus = 4;
    qint64 m_downloadedBytes = 0;
    qint64 m_downloadSpeed = 0;
    QString m_savePath;
};
