#pragma once

#include "platform/KeyedArchiver.h"

#include <QString>
#include <QVariantList>

// Tags to write into a finished file.
class QVMediaMetaData : public KeyedArchivable
{
public:
    QString title() const { return m_title; }
    void setTitle(const QString &v) { m_title = v; }
    QString album() const { return m_album; }
    void setAlbum(const QString &v) { m_album = v; }
    QString artist() const { return m_artist; }
    void setArtist(const QString &v) { m_artist = v; }
    QString comment() const { return m_comment; }
    void setComment(const QString &v) { m_comment = v; }
    QString genre() const { return m_genre; }
    void setGenre(const QString &v) { m_genre = v; }
    qint32 year() const { return m_year; }
    void setYear(qint32 v) { m_year = v; }
    qint32 trackNo() const { return m_trackNo; }
    void setTrackNo(qint32 v) { m_trackNo = v; }
    qint32 trackCount() const { return m_trackCount; }
    void setTrackCount(qint32 v) { m_trackCount = v; }
    // Cover pictures: image bytes or paths, as plain values.
    QVariantList artworks() const { return m_artworks; }
    void setArtworks(const QVariantList &v) { m_artworks = v; }

    bool operator==(const QVMediaMetaData &other) const;
    bool operator!=(const QVMediaMetaData &other) const { return !(*this == other); }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    QString m_title;
    QString m_album;
    QString m_artist;
    QString m_comment;
    QString m_genre;
    qint32 m_year = 0;
    qint32 m_trackNo = 0;
    qint32 m_trackCount = 0;
    QVariantList m_artworks;
};
