#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The tag data of one media file, as a tag reader gives it and as a device's media object
// takes it. Numbers are 0 and texts empty when unknown.
struct MediaMetadata
{
    // What the reader found: file kind (1 audio, 2 video, 4 image, 8 other) and the tag's
    // media type (1 music, 2 movie, 6 podcast, 9 music video, 10 TV show, 23 audio book,
    // 24 voice memo, 25 home video).
    int tagFileType = 0;
    int tagMediaType = 0;

    // The device side.
    int mediaType = 0;
    int category = 0;
    int kind = 0;

    QString title, album, albumArtist, artist, copyright, comments, composer, genre, grouping;
    QString sortAlbum, sortArtist, sortAlbumArtist, sortComposer, sortTitle;
    QString episodeShow, episodeID, tvEpisode, feedURL, podcastIdentifier, iTunesAccount;
    qint64 fileSize = 0;  // bytes
    QDateTime addedTime, modifiedTime, releasedDate, purchasedDate;
    int bitRate = 0;       // kbit/s
    int sampleRate = 0;    // Hz
    double duration = 0;   // seconds
    int discCount = 0, discNumber = 0, trackCount = 0, trackNumber = 0;
    int year = 0, season = 0;
    int userPlayCount = 0, recentPlayCount = 0, rating = 0;
    QByteArray artwork;  // image file bytes
};
