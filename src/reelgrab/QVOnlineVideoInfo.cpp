#include "reelgrab/QVOnlineVideoInfo.h"

#include <QMutexLocker>

QVOnlineVideoInfo::QVOnlineVideoInfo(const QVOnlineVideoInfo &other)
{
    *this = other;
}

QVOnlineVideoInfo &QVOnlineVideoInfo::operator=(const QVOnlineVideoInfo &other)
{
    if (this == &other)
        return *this;
    QString title;
    qint32 duration;
    QList<MediaTrackInfo> infos;
    QStringList codes;
    {
        QMutexLocker lock(&other.m_mutex);
        title = other.m_mediaTitle;
        duration = other.m_duration;
        infos = other.m_mediaInfos;
        codes = other.m_subtitleCodes;
    }
    QMutexLocker lock(&m_mutex);
    m_mediaTitle = title;
    m_duration = duration;
    m_mediaInfos = infos;
    m_subtitleCodes = codes;
    return *this;
}

QString QVOnlineVideoInfo::mediaTitle() const
{
    QMutexLocker lock(&m_mutex);
    return m_mediaTitle;
}

void QVOnlineVideoInfo::setMediaTitle(const QString &v)
{
    QMutexLocker lock(&m_mutex);
    m_mediaTitle = v;
}

qint32 QVOnlineVideoInfo::duration() const
{
    QMutexLocker lock(&m_mutex);
    return m_duration;
}

void QVOnlineVideoInfo::setDuration(qint32 v)
{
    QMutexLocker lock(&m_mutex);
    m_duration = v;
}

QList<MediaTrackInfo> QVOnlineVideoInfo::mediaInfos() const
{
    QMutexLocker lock(&m_mutex);
    return m_mediaInfos;
}

void QVOnlineVideoInfo::setMediaInfos(const QList<MediaTrackInfo> &v)
{
    QMutexLocker lock(&m_mutex);
    m_mediaInfos = v;
}

QStringList QVOnlineVideoInfo::subtitleCodes() const
{
    QMutexLocker lock(&m_mutex);
    return m_subtitleCodes;
}

void QVOnlineVideoInfo::setSubtitleCodes(const QStringList &v)
{
    QMutexLocker lock(&m_mutex);
    m_subtitleCodes = v;
}
