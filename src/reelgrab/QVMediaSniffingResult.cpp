#include "reelgrab/QVMediaSniffingResult.h"

#include <QUrl>

std::optional<QVMediaSniffingResult>
QVMediaSniffingResult::mediaSniffingResultWithFileUrl(const QString &url, quint32 mediaFormat, qint64 filesize)
{
    if (url.isEmpty())
        return std::nullopt;
    QVSniffingMediaSegment segment;
    segment.setUrl(url);
    segment.setMediaFormat(mediaFormat);
    segment.setBytes(filesize);
    QVSniffingMedia media;
    media.setMediaFormat(mediaFormat);
    media.setSegments({segment});
    QVMediaSniffingResult result;
    const QUrl parsed(url);
    QString title = parsed.isValid() ? parsed.fileName() : QString();
    if (title.isEmpty())
        title = url.section(u'/', -1);
    result.setMediaTitle(title);
    result.setCandidateMedias({media});
    return result;
}

QString QVMediaSniffingResult::description() const
{
    QStringList medias;
    for (const auto &m : m_candidateMedias)
        medias.append(m.description());
    QStringList subtitles;
    for (const auto &s : m_candidateSubtitles)
        subtitles.append(QStringLiteral("%1 (%2)").arg(s.language(), s.langCode()));
    return QStringLiteral("\n     Media Title:    %1 \n     Media Icon:     %2 \n     Media Thumbnail:%3 \n"
                          "     Candidate Media:(%4) \n     Candidate Subtitle:(%5)")
        .arg(m_mediaTitle, m_mediaIcon, m_mediaThumbnail, medias.join(QStringLiteral(",\n")),
             subtitles.join(QStringLiteral(", ")));
}

bool QVMediaSniffingResult::operator==(const QVMediaSniffingResult &o) const
{
    return m_sniffer == o.m_sniffer && m_mediaTitle == o.m_mediaTitle && m_mediaThumbnail == o.m_mediaThumbnail
        && m_mediaIcon == o.m_mediaIcon && m_candidateMedias == o.m_candidateMedias
        && m_candidateSubtitles == o.m_candidateSubtitles;
}

QString QVMediaSniffingResult::archiveClassName() const
{
    return QStringLiteral("QVMediaSniffingResult");
}

void QVMediaSniffingResult::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeInt32(QStringLiteral("sniffer"), m_sniffer);
    coder.encodeString(QStringLiteral("media-title"), m_mediaTitle);
    coder.encodeString(QStringLiteral("media-icon"), m_mediaIcon);
    coder.encodeString(QStringLiteral("media-thumbnail"), m_mediaThumbnail);
    coder.encodeObjectList(QStringLiteral("candidate-medias"), m_candidateMedias);
    coder.encodeObjectList(QStringLiteral("candidate-subtitles"), m_candidateSubtitles);
}

void QVMediaSniffingResult::initWithCoder(KeyedUnarchiver &coder)
{
    setSniffer(coder.decodeInt32(QStringLiteral("sniffer")));
    setMediaTitle(coder.decodeString(QStringLiteral("media-title")));
    setMediaIcon(coder.decodeString(QStringLiteral("media-icon")));
    setMediaThumbnail(coder.decodeString(QStringLiteral("media-thumbnail")));
    setCandidateMedias(coder.decodeObjectList<QVSniffingMedia>(QStringLiteral("candidate-medias")));
    setCandidateSubtitles(coder.decodeObjectList<QVSniffingMediaSubtitle>(QStringLiteral("candidate-subtitles")));
}
