#pragma once

#include "platform/KeyedArchiver.h"
#include "reelgrab/QVSniffingMedia.h"
#include "reelgrab/QVSniffingMediaSubtitle.h"

#include <QList>
#include <QString>

#include <optional>

// What sniffing found on one page: its title, pictures, candidate media and subtitles.
class QVMediaSniffingResult : public KeyedArchivable
{
public:
    qint32 sniffer() const { return m_sniffer; }
    void setSniffer(qint32 v) { m_sniffer = v; }
    QString mediaTitle() const { return m_mediaTitle; }
    void setMediaTitle(const QString &v) { m_mediaTitle = v; }
    QString mediaThumbnail() const { return m_mediaThumbnail; }
    void setMediaThumbnail(const QString &v) { m_mediaThumbnail = v; }
    QString mediaIcon() const { return m_mediaIcon; }
    void setMediaIcon(const QString &v) { m_mediaIcon = v; }
    const QList<QVSniffingMedia> &candidateMedias() const { return m_candidateMedias; }
    void setCandidateMedias(const QList<QVSniffingMedia> &v) { m_candidateMedias = v; }
    const QList<QVSniffingMediaSubtitle> &candidateSubtitles() const { return m_candidateSubtitles; }
    void setCandidateSubtitles(const QList<QVSniffingMediaSubtitle> &v) { m_candidateSubtitles = v; }

    // A result for a plain media file address: titled by the address's last path component,
    // with one candidate of that format holding one segment. Nothing for an empty address.
    static std::optional<QVMediaSniffingResult> mediaSniffingResultWithFileUrl(const QString &url,
                                                                               quint32 mediaFormat,
                                                                               qint64 filesize);

    QString description() const;

    bool operator==(const QVMediaSniffingResult &other) const;
    bool operator!=(const QVMediaSniffingResult &other) const { return !(*this == other); }

    QString archiveClassName() const override;
    void encodeWithCoder(KeyedArchiver &coder) const override;
    void initWithCoder(KeyedUnarchiver &coder) override;

private:
    qint32 m_sniffer = 0;
    QString m_mediaTitle;
    QString m_mediaThumbnail;
    QString m_mediaIcon;
    QList<QVSniffingMedia> m_candidateMedias;
    QList<QVSniffingMediaSubtitle> m_candidateSubtitles;
};
