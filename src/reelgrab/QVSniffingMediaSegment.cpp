#include "reelgrab/QVSniffingMediaSegment.h"

#include "reelgrab/MediaFormatCode.h"

QVSniffingMediaSegment::QVSniffingMediaSegment() = default;

QString QVSniffingMediaSegment::extName() const
{
    return MediaFormatCode::extName(m_mediaFormat);
}

QString QVSniffingMediaSegment::description() const
{
    return QStringLiteral("Url:%1 Bytes:%2 Duration:%3 Format:%4 Quality:%5 Status:%6 Downloaded:%7 Speed:%8 Save:%9")
        .arg(m_url, QString::number(m_bytes), QString::number(m_duration), extName(),
             QString::number(m_mediaQuality), QString::number(m_downloadStatus), QString::number(m_downloadedBytes),
             QString::number(m_downloadSpeed), m_savePath);
}

bool QVSniffingMediaSegment::operator==(const QVSniffingMediaSegment &o) const
{
    return m_bytes == o.m_bytes && m_url == o.m_url && m_duration == o.m_duration
        && m_mediaFormat == o.m_mediaFormat && m_mediaQuality == o.m_mediaQuality
        && m_downloadStatus == o.m_downloadStatus && m_downloadedBytes == o.m_downloadedBytes
        && m_downloadSpeed == o.m_downloadSpeed && m_savePath == o.m_savePath;
}

QString QVSniffingMediaSegment::archiveClassName() const
{
    return QStringLiteral("QVSniffingMediaSegment");
}

void QVSniffingMediaSegment::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeInt64(QStringLiteral("bytes"), m_bytes);
    coder.encodeString(QStringLiteral("url"), m_url);
    coder.encodeInt64(QStringLiteral("duration"), m_duration);
    coder.encodeInt64(QStringLiteral("format"), m_mediaFormat);
    coder.encodeInt32(QStringLiteral("quality"), m_mediaQuality);
    coder.encodeInt32(QStringLiteral("download-status"), m_downloadStatus);
    coder.encodeInt64(QStringLiteral("downloaded-bytes"), m_downloadedBytes);
    coder.encodeInt64(QStringLiteral("download-speed"), m_downloadSpeed);
    coder.encodeString(QStringLiteral("save-path"), m_savePath);
}

void QVSniffingMediaSegment::initWithCoder(KeyedUnarchiver &coder)
{
    setBytes(coder.decodeInt64(QStringLiteral("bytes")));
    setUrl(coder.decodeString(QStringLiteral("url")));
    setDuration(coder.decodeInt64(QStringLiteral("duration")));
    setMediaFormat(quint32(coder.decodeInt64(QStringLiteral("format"))));
    setMediaQuality(coder.decodeInt32(QStringLiteral("quality")));
    setDownloadStatus(coder.decodeInt32(QStringLiteral("download-status")));
    setDownloadedBytes(coder.decodeInt64(QStringLiteral("downloaded-bytes")));
    setDownloadSpeed(coder.decodeInt64(QStringLiteral("download-speed")));
    setSavePath(coder.decodeString(QStringLiteral("save-path")));
}
