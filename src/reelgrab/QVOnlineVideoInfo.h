#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

// One format and quality a quick sniff reports.
struct MediaTrackInfo
{
    quint32 mediaFormat = 0;
    qint32 mediaQuality = 0;
    bool operator==(const MediaTrackInfo &) const = default;
};

// The answer of a quick sniff. Filled on a worker thread and read on the main thread, so every
// accessor locks.
class QVOnlineVideoInfo
{
public:
    QVOnlineVideoInfo() = default;
    QVOnlineVideoInfo(const QVOnlineVideoInfo &other);
    QVOnlineVideoInfo &operator=(const QVOnlineVideoInfo &other);

    QString mediaTitle() const;
    void setMediaTitle(const QString &v);
    qint32 duration() const;
    void setDuration(qint32 v);
    QList<MediaTrackInfo> mediaInfos() const;
    void setMediaInfos(const QList<MediaTrackInfo> &v);
    QStringList subtitleCodes() const;
    void setSubtitleCodes(const QStringList &v);

private:
    mutable QMutex m_mutex;
    QString m_mediaTitle;
    qint32 m_duration = 0;
    QList<MediaTrackInfo> m_mediaInfos;
    QStringList m_subtitleCodes;
};
