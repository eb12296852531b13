#include "devices/ID3MediaHandle.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

struct ID3MediaHandle::Private
{
    TagLib::FileRef file;
};

namespace {

QString qs(const TagLib::String &s)
{
    return QString::fromStdWString(s.toWString()).trimmed();
}

TagLib::String ts(const QString &s)
{
    return TagLib::String(s.toStdWString());
}

QString first(const TagLib::PropertyMap &map, const char *key)
{
    const auto it = map.find(key);
    if (it == map.end() || it->second.isEmpty())
        return QString();
    return qs(it->second.front());
}

// "3/12" → (3, 12)
std::pair<int, int> numberOf(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    return {parts.value(0).toInt(), parts.value(1).toInt()};
}

int fileKind(const QString &path)
{
    static const QSet<QString> video{"mp4", "m4v", "mov", "3gp", "3g2", "mkv", "avi", "webm", "wmv", "flv", "mpg", "mpeg", "ts"};
    return video.contains(QFileInfo(path).suffix().toLower()) ? 2 : 1;
}

} // namespace

ID3MediaHandle::ID3MediaHandle(const QString &path)
    : m_path(path)
    , d(std::make_unique<Private>())
{
    if (QFileInfo(path).isFile())
        d->file = TagLib::FileRef(QFile::encodeName(path).constData(), true, TagLib::AudioProperties::Average);
}

ID3MediaHandle::~ID3MediaHandle() = default;

bool ID3MediaHandle::isValid() const
{
    return !d->file.isNull() && d->file.tag();
}

std::optional<MediaMetadata> ID3MediaHandle::basicMetaData()
{
    if (!isValid())
        return std::nullopt;
    const TagLib::Tag *tag = d->file.tag();
    MediaMetadata m;
    m.tagFileType = fileKind(m_path);
    m.tagMediaType = m.tagFileType == 1 ? 1 : 0;
    m.title = qs(tag->title());
    m.artist = qs(tag->artist());
    m.album = qs(tag->album());
    m.genre = qs(tag->genre());
    m.comments = qs(tag->comment());
    m.year = int(tag->year());
    m.trackNumber = int(tag->track());
    if (const TagLib::AudioProperties *audio = d->file.audioProperties()) {
        m.duration = audio->lengthInMilliseconds() / 1000.0;
        m.bitRate = audio->bitrate();
        m.sampleRate = audio->sampleRate();
    }
    const QFileInfo info(m_path);
    m.fileSize = info.size();
    m.modifiedTime = info.lastModified();
    m.addedTime = QDateTime::currentDateTime();
    return m;
}

std::optional<MediaMetadata> ID3MediaHandle::fullMetaData()
{
    std::optional<MediaMetadata> m = basicMetaData();
    if (!m)
        return std::nullopt;
    const TagLib::PropertyMap props = d->file.file()->properties();
    m->albumArtist = first(props, "ALBUMARTIST");
    m->composer = first(props, "COMPOSER");
    m->copyright = first(props, "COPYRIGHT");
    m->grouping = first(props, "GROUPING");
    m->sortAlbum = first(props, "ALBUMSORT");
    m->sortArtist = first(props, "ARTISTSORT");
    m->sortAlbumArtist = first(props, "ALBUMARTISTSORT");
    m->sortComposer = first(props, "COMPOSERSORT");
    m->sortTitle = first(props, "TITLESORT");
    m->podcastIdentifier = first(props, "PODCASTID");
    m->feedURL = first(props, "PODCASTURL");
    const auto disc = numberOf(first(props, "DISCNUMBER"));
    m->discNumber = disc.first;
    m->discCount = disc.second;
    const auto track = numberOf(first(props, "TRACKNUMBER"));
    if (track.first)
        m->trackNumber = track.first;
    m->trackCount = track.second;

    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(d->file.file())) {
        if (mpeg->hasID3v2Tag()) {
            const auto frames = mpeg->ID3v2Tag()->frameListMap()["APIC"];
            if (!frames.isEmpty()) {
                if (auto *pic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame *>(frames.front()))
                    m->artwork = QByteArray(pic->picture().data(), int(pic->picture().size()));
            }
        }
    } else if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(d->file.file())) {
        if (mp4->hasMP4Tag()) {
            const TagLib::MP4::Tag *tag = mp4->tag();
            if (tag->contains("covr")) {
                const auto covers = tag->item("covr").toCoverArtList();
                if (!covers.isEmpty())
                    m->artwork = QByteArray(covers.front().data().data(), int(covers.front().data().size()));
            }
            if (tag->contains("stik"))
                m->tagMediaType = tag->item("stik").toInt();
            if (tag->contains("tvsh"))
                m->episodeShow = qs(tag->item("tvsh").toStringList().toString());
            if (tag->contains("tven"))
                m->episodeID = qs(tag->item("tven").toStringList().toString());
            if (tag->contains("tvsn"))
                m->season = tag->item("tvsn").toInt();
        }
    }
    const bool described = !m->title.isEmpty() || !m->artist.isEmpty() || !m->album.isEmpty() || !m->genre.isEmpty()
        || !m->comments.isEmpty() || m->year || m->trackNumber || !m->albumArtist.isEmpty() || !m->composer.isEmpty()
        || !m->artwork.isEmpty();
    if (!described)
        return std::nullopt;
    return m;
}

void ID3MediaHandle::setBasicMetaData(const MediaMetadata &metadata)
{
    if (!isValid())
        return;
    TagLib::Tag *tag = d->file.tag();
    tag->setTitle(ts(metadata.title));
    tag->setArtist(ts(metadata.artist));
    tag->setAlbum(ts(metadata.album));
    tag->setGenre(ts(metadata.genre));
    tag->setComment(ts(metadata.comments));
    tag->setYear(uint(std::max(0, metadata.year)));
    tag->setTrack(uint(std::max(0, metadata.trackNumber)));
}

bool ID3MediaHandle::saveID3()
{
    return isValid() && d->file.save();
}
