#pragma once

#include "platform/KeyedArchiver.h"
#include "reelgrab/QVSniffingMediaSegment.h"

#include <QList>

// One candidate media of a page: a format and quality with the segments that make it up.
class QVSniffingMedia : public KeyedArchivable
{
public:
    qint32 bitrate() const { return m_bitrate; }
    void setBitrate(qint32 v) { m_bitrate = v; }
    bool seekable() const { return m_seekable; }
    void setSeekable(bool v) { m_seekable = v; }
    quint32 mediaFormat() const { return m_mediaFormat; }
    void setMediaFormat(quint32 v) { m_mediaFormat = v; }
    qint32 mediaQuality() const { return m_mediaQuality; }
    void setMediaQuality(qint32 v) { m_mediaQuality = v; }
    const QList<QVSniffingMediaSegment> &segments() const { return m_segments; }
    void setSegments(const QList<QVSniffingMediaSegment> &v) { m_segments = v; }
    // A picture-only media: the first address of the sound candidate it plays with; empty when
    // its stream names none and any sound fits.
    QString soundUrl() const { return m_soundUrl; }
    void setSoundUrl(const QString &v) { m_soundUrl = v; }

    // Engine format number -> format code (1 "mp4 ", 2 "flv ", ... any other "nil ").
    void setMediaFormatByUrlFormat(int urlFormat);
    // Engine quality number -> picture lines (0 -> 0, 1 -> 240, ... any other the largest value).
    void setMediaQualityByUrlQuality(int urlQuality);

    QString extName() const;
    QString description() const;

    bool operator==(const QVSniffingMedia &other) const;
    bool operator!=(const QVSniffingMedia &other) const { return !(*this == other); }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    qint32 m_bitrate = 0;
    bool m_seekable = false;
    quint32 m_mediaFormat = 0;
    qint32 m_mediaQuality = 0;
    QList<QVSniffingMediaSegment> m_segments;
    QString m_soundUrl;
};
