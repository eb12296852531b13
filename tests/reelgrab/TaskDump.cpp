#include "TaskDump.h"

#include "reelgrab/QVReelgrabTask.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QStringList>

namespace {

QString quoted(const QString &s)
{
    // JSON quoting keeps control characters and line breaks on one line.
    return QString::fromUtf8(QJsonDocument(QJsonArray{QJsonValue(s)}).toJson(QJsonDocument::Compact));
}

void dumpSegment(QStringList &out, const QString &prefix, const QVSniffingMediaSegment &s)
{
    out << prefix + QStringLiteral("bytes=%1").arg(s.bytes()) << prefix + QStringLiteral("url=") + quoted(s.url())
        << prefix + QStringLiteral("duration=%1").arg(s.duration())
        << prefix + QStringLiteral("format=%1").arg(s.mediaFormat())
        << prefix + QStringLiteral("quality=%1").arg(s.mediaQuality())
        << prefix + QStringLiteral("status=%1").arg(s.downloadStatus())
        << prefix + QStringLiteral("downloaded=%1").arg(s.downloadedBytes())
        << prefix + QStringLiteral("speed=%1").arg(s.downloadSpeed())
        << prefix + QStringLiteral("savePath=") + quoted(s.savePath());
}

} // namespace

QString dumpTask(const QVReelgrabTask &t)
{
    QStringList out;
    out << QStringLiteral("guid=") + t.guid() << QStringLiteral("taskId=%1").arg(t.taskId())
        << QStringLiteral("pageUrl=") + quoted(t.storedPageUrl()) << QStringLiteral("cookies=") + quoted(t.cookies())
        << QStringLiteral("userAgent=") + quoted(t.storedUserAgent())
        << QStringLiteral("downloadContent=%1").arg(t.downloadContent())
        << QStringLiteral("downloadStatus=%1").arg(t.downloadStatus())
        << QStringLiteral("mediaTitle=") + quoted(t.storedMediaTitle()) << QStringLiteral("browser=") + t.browser()
        << QStringLiteral("subtitleCode=") + t.subtitleCode()
        << QStringLiteral("matchSubtitle=%1").arg(t.matchSubtitle())
        << QStringLiteral("targetFilePath=") + quoted(t.targetFilePath())
        << QStringLiteral("targetFileName=") + quoted(t.storedTargetFileName())
        << QStringLiteral("expectMediaQuality=%1").arg(t.expectMediaQuality())
        << QStringLiteral("mediaExtName=") + t.mediaExtName()
        << QStringLiteral("playlistName=") + quoted(t.playlistName())
        << QStringLiteral("playlistUUID=") + t.playlistUUID()
        << QStringLiteral("indexInPlaylist=%1").arg(t.indexInPlaylist());

    const QVMediaSniffingResult &r = t.sniffingResult();
    out << QStringLiteral("result.sniffer=%1").arg(r.sniffer()) << QStringLiteral("result.title=") + quoted(r.mediaTitle())
        << QStringLiteral("result.thumbnail=") + quoted(r.mediaThumbnail())
        << QStringLiteral("result.icon=") + quoted(r.mediaIcon());
    for (qsizetype i = 0; i < r.candidateMedias().size(); ++i) {
        const QVSniffingMedia &m = r.candidateMedias().at(i);
        const QString p = QStringLiteral("result.media[%1].").arg(i);
        out << p + QStringLiteral("bitrate=%1").arg(m.bitrate()) << p + QStringLiteral("seekable=%1").arg(m.seekable())
            << p + QStringLiteral("format=%1").arg(m.mediaFormat()) << p + QStringLiteral("quality=%1").arg(m.mediaQuality());
        for (qsizetype j = 0; j < m.segments().size(); ++j)
            dumpSegment(out, p + QStringLiteral("segment[%1].").arg(j), m.segments().at(j));
    }
    for (qsizetype i = 0; i < r.candidateSubtitles().size(); ++i) {
        const QVSniffingMediaSubtitle &s = r.candidateSubtitles().at(i);
        const QString p = QStringLiteral("result.subtitle[%1].").arg(i);
        out << p + QStringLiteral("type=%1").arg(s.subtitleType()) << p + QStringLiteral("format=%1").arg(s.subtitleFormat())
            << p + QStringLiteral("language=") + quoted(s.language()) << p + QStringLiteral("langCode=") + s.langCode()
            << p + QStringLiteral("default=%1").arg(s.asDefault()) << p + QStringLiteral("content=") + quoted(s.content());
    }
    for (qsizetype i = 0; i < t.segments().size(); ++i)
        dumpSegment(out, QStringLiteral("segment[%1].").arg(i), t.segments().at(i));

    const QVMediaMetaData &md = t.metaData();
    out << QStringLiteral("meta.title=") + quoted(md.title()) << QStringLiteral("meta.album=") + quoted(md.album())
        << QStringLiteral("meta.artist=") + quoted(md.artist()) << QStringLiteral("meta.comment=") + quoted(md.comment())
        << QStringLiteral("meta.genre=") + quoted(md.genre()) << QStringLiteral("meta.year=%1").arg(md.year())
        << QStringLiteral("meta.trackNo=%1").arg(md.trackNo()) << QStringLiteral("meta.trackCount=%1").arg(md.trackCount());
    for (qsizetype i = 0; i < md.artworks().size(); ++i) {
        const QVariant &a = md.artworks().at(i);
        out << QStringLiteral("meta.artwork[%1]=%2:%3")
                   .arg(QString::number(i), QString::fromLatin1(a.typeName()),
                        a.metaType().id() == QMetaType::QByteArray ? QString::fromLatin1(a.toByteArray().toHex())
                                                                   : quoted(a.toString()));
    }
    return out.join(u'\n');
}
