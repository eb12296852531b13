#include "reelgrab/QVMediaMetaData.h"

bool QVMediaMetaData::operator==(const QVMediaMetaData &o) const
{
    return m_title == o.m_title && m_album == o.m_album && m_artist == o.m_artist && m_comment == o.m_comment
        && m_genre == o.m_genre && m_year == o.m_year && m_trackNo == o.m_trackNo
        && m_trackCount == o.m_trackCount && m_artworks == o.m_artworks;
}

QString QVMediaMetaData::archiveClassName() const
{
    return QStringLiteral("QVMediaMetaData");
}

void QVMediaMetaData::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(QStringLiteral("title"), m_title);
    coder.encodeString(QStringLiteral("album"), m_album);
    coder.encodeString(QStringLiteral("artist"), m_artist);
    coder.encodeString(QStringLiteral("comment"), m_comment);
    coder.encodeString(QStringLiteral("genre"), m_genre);
    coder.encodeInt32(QStringLiteral("year"), m_year);
    coder.encodeInt32(QStringLiteral("trackNo"), m_trackNo);
    coder.encodeInt32(QStringLiteral("trackCount"), m_trackCount);
    coder.encodeVariant(QStringLiteral("artworks"), m_artworks);
}

void QVMediaMetaData::initWithCoder(KeyedUnarchiver &coder)
{
    setTitle(coder.decodeString(QStringLiteral("title")));
    setAlbum(coder.decodeString(QStringLiteral("album")));
    setArtist(coder.decodeString(QStringLiteral("artist")));
    setComment(coder.decodeString(QStringLiteral("comment")));
    setGenre(coder.decodeString(QStringLiteral("genre")));
    setYear(coder.decodeInt32(QStringLiteral("year")));
    setTrackNo(coder.decodeInt32(QStringLiteral("trackNo")));
    setTrackCount(coder.decodeInt32(QStringLiteral("trackCount")));
    setArtworks(coder.decodeVariant(QStringLiteral("artworks")).toList());
}
