#include "reelgrab/QVSniffingMedia.h"

#include "reelgrab/MediaFormatCode.h"

#include <limits>

void QVSniffingMedia::setMediaFormatByUrlFormat(int urlFormat)
{
    using namespace MediaFormatCode;
    switch (urlFormat) {
    case 1: m_mediaFormat = MP4; break;
    case 2: m_mediaFormat = FLV; break;
    case 3: m_mediaFormat = TS; break;
    case 4: m_mediaFormat = WebM; break;
    case 5: m_mediaFormat = ThreeGP; break;
    case 6: m_mediaFormat = MP4Video; break;
    case 7: m_mediaFormat = MP4Audio; break;
    case 8: m_mediaFormat = Rev5; break;
    case 9: m_mediaFormat = AD; break;
    case 11: m_mediaFormat = MP3; break;
    default: m_mediaFormat = Nil; break;
    }
}

void QVSniffingMedia::setMediaQualityByUrlQuality(int urlQuality)
{
    switch (urlQuality) {
    case 0: m_mediaQuality = 0; break;
    case 1: m_mediaQuality = 240; break;
    case 2: m_mediaQuality = 360; break;
    case 3: m_mediaQuality = 480; break;
    case 4: m_mediaQuality = 720; break;
    case 5: m_mediaQuality = 1080; break;
    case 6: m_mediaQuality = 1440; break;
    case 7: m_mediaQuality = 2160; break;
    default: m_mediaQuality = std::numeric_limits<qint32>::max(); break;
    }
}

QString QVSniffingMedia::extName() const
{
    return MediaFormatCode::extName(m_mediaFormat);
}

QString QVSniffingMedia::description() const
{
    return QString::asprintf("Bitrate:%d      Seekable:%d     Media-Format:%s     Media-Quality:%d    Segments:%d",
                             m_bitrate, int(m_seekable), extName().toUtf8().constData(), m_mediaQuality,
                             int(m_segments.size()));
}

bool QVSniffingMedia::operator==(const QVSniffingMedia &o) const
{
    return m_bitrate == o.m_bitrate && m_seekable == o.m_seekable && m_mediaFormat == o.m_mediaFormat
           && m_mediaQuality == o.m_mediaQuality && m_segments == o.m_segments && m_soundUrl == o.m_soundUrl;
}

QString QVSniffingMedia::archiveClassName() const
{
    return QStringLiteral("QVSniffingMedia");
}

void QVSniffingMedia::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeInt32(QStringLiteral("bitrate"), m_bitrate);
    coder.encodeBool(QStringLiteral("seekable"), m_seekable);
    coder.encodeInt64(QStringLiteral("media-format"), m_mediaFormat);
    coder.encodeInt32(QStringLiteral("media-quality"), m_mediaQuality);
    coder.encodeObjectList(QStringLiteral("segments"), m_segments);
    // Only where there is one: archives of every other media stay as they were.
    if (!m_soundUrl.isEmpty())
        coder.encodeString(QStringLiteral("sound-url"), m_soundUrl);
}

void QVSniffingMedia::initWithCoder(KeyedUnarchiver &coder)
{
    setBitrate(coder.decodeInt32(QStringLiteral("bitrate")));
    setSeekable(coder.decodeBool(QStringLiteral("seekable")));
    setMediaFormat(quint32(coder.decodeInt64(QStringLiteral("media-format"))));
    setMediaQuality(coder.decodeInt32(QStringLiteral("media-quality")));
    setSegments(coder.decodeObjectList<QVSniffingMediaSegment>(QStringLiteral("segments")));
    setSoundUrl(coder.decodeString(QStringLiteral("sound-url")));
}
