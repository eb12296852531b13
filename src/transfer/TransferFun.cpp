#include "transfer/TransferFun.h"

#include "devices/DeviceTypes.h"
#include "devices/ID3MediaHandle.h"
#include "devices/IMediaItem.h"
#include "shell/CommonFun.h"

#include <QFileInfo>
#include <QSet>

namespace {

QStringList words(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *w : list)
        out << QString::fromLatin1(w);
    return out;
}

bool has(const QStringList &list, const QString &format)
{
    return list.contains(format.toLower());
}

IMediaItem *target(IMediaItem *media)
{
    if (IMediaItem *playable = media->playableMedia())
        return playable;
    return media;
}

QString orFallback(const QString &value, const QString &fallback)
{
    return value.isEmpty() ? fallback : value;
}

// The fields both copies take, with the fallbacks of empty names and sort names.
void copyCommon(MediaMetadata &m, const MediaMetadata &s)
{
    m.fileSize = s.fileSize;
    m.addedTime = s.addedTime;
    m.modifiedTime = s.modifiedTime;
    m.bitRate = s.bitRate;
    m.sampleRate = s.sampleRate;
    m.album = s.album;
    m.albumArtist = orFallback(s.albumArtist, s.artist);
    m.artist = s.artist;
    m.comments = s.comments;
    m.composer = s.composer;
    m.discCount = s.discCount;
    m.discNumber = s.discNumber;
    m.genre = s.genre;
    m.grouping = s.grouping;
    m.sortAlbum = orFallback(s.sortAlbum, m.album);
    m.sortArtist = orFallback(s.sortArtist, m.artist);
    m.sortAlbumArtist = orFallback(s.sortAlbumArtist, m.albumArtist);
    m.sortComposer = orFallback(s.sortComposer, m.composer);
    m.sortTitle = orFallback(s.sortTitle, m.title);
    m.trackCount = s.trackCount;
    m.trackNumber = s.trackNumber;
    m.year = s.year;
    m.season = s.season;
    m.episodeID = s.episodeID;
    m.feedURL = s.feedURL;
    m.podcastIdentifier = s.podcastIdentifier;
    m.iTunesAccount = s.iTunesAccount;
    m.releasedDate = s.releasedDate;
    m.purchasedDate = s.purchasedDate;
    m.artwork = s.artwork;
}

} // namespace

QStringList TransferFun::AndroidAudioSupportTypes() { return words({"mp3", "aac", "ogg", "m4a", "flac", "m4b"}); }
bool TransferFun::isAndroidAudioSupportType(const QString &f) { return has(AndroidAudioSupportTypes() << QStringLiteral("m4p"), f); }
QStringList TransferFun::AndroidVideoSupportTypes() { return words({"mp4", "3gp", "m4v", "m4p"}); }
bool TransferFun::isAndroidVideoSupportType(const QString &f) { return has(AndroidVideoSupportTypes(), f); }
QStringList TransferFun::iOSAudioSupportTypes() { return words({"mp3", "m4a", "m4b", "m4r", "aac", "wav", "aif"}); }
bool TransferFun::isiOSAudioSupportType(const QString &f) { return has(iOSAudioSupportTypes() << words({"aiff", "m4p"}), f); }
bool TransferFun::isCarAudioSupportType(const QString &f) { return has(words({"mp3", "wav"}), f); }
QStringList TransferFun::iOSVideoSupportTypes() { return words({"mp4", "3gp", "m4v", "mov", "m4p"}); }
bool TransferFun::isiOSVideoSupportType(const QString &f) { return has(iOSVideoSupportTypes(), f); }
QStringList TransferFun::iTunesSupportTypes()
{
    return words({"mp2", "mp3", "m4a", "wav", "aif", "aiff", "m4r", "m4b", "3g2", "m4v", "mov", "mp4"});
}
bool TransferFun::isiTunesAudioSupportType(const QString &f)
{
    return has(words({"mp2", "mp3", "m4a", "m4b", "wav", "aif", "aiff", "m4p"}), f);
}
bool TransferFun::isiTunesVideoSupportType(const QString &f)
{
    return has(words({"3g2", "3gp", "m4v", "mov", "mp4", "mpg", "m4p"}), f);
}
QStringList TransferFun::supportArtworkTypes() { return words({"jpg", "jpeg", "png"}); }
QStringList TransferFun::convertAudioSupportTypes() { return CommonFun::convertAudioSupportTypes(); }
QStringList TransferFun::convertVideoSupportTypes() { return CommonFun::convertVideoSupportTypes(); }

bool TransferFun::isVideoSupportByDevice(quint32 platform, const QString &format)
{
    switch (platform) {
    case DeviceTransferPlatform::Android: return isAndroidVideoSupportType(format);
    case DeviceTransferPlatform::iOS:
    case DeviceTransferPlatform::Car: return isiOSVideoSupportType(format);
    case DeviceTransferPlatform::iTunes: return isiTunesVideoSupportType(format);
    case DeviceTransferPlatform::Any: return true;
    default: return false;
    }
}

bool TransferFun::isAudioSupportByDevice(quint32 platform, const QString &format)
{
    switch (platform) {
    case DeviceTransferPlatform::Android: return isAndroidAudioSupportType(format);
    case DeviceTransferPlatform::iOS: return isiOSAudioSupportType(format);
    case DeviceTransferPlatform::Car: return isCarAudioSupportType(format);
    case DeviceTransferPlatform::iTunes: return isiTunesAudioSupportType(format);
    case DeviceTransferPlatform::Any: return true;
    default: return false;
    }
}

QString TransferFun::DefaultImportAudioExt()
{
    return QStringLiteral("mp3;m4a;wma;m4r;aac;ac3;aiff;caf;wav;ape;flac;alac;mka;ogg;mp2;amr;aif;au;mpa;ra;ram;amr;3ga;"
                          "cda;dts;dtshd;iff;atrac;mpga;oga;nsa;sd;sd2;m4b;m4p;");
}

QString TransferFun::DefaultImportVideoExt()
{
    return QStringLiteral("mts;m2ts;mov;mp4;m4v;wmv;asf;flv;f4v;dat;m2v;dpg;mpg;mpeg;ps;vob;mod;evo;ts;trp;tod;avi;3gp;3gpp;"
                          "3g2;divx;mkv;dv;dif;dv-avi;rm;rmvb;ogm;ogv;webm;m2t;ifo;bup;tp;mxf;dvr-ms;nsv;");
}

QString TransferFun::DefaultImportImageExt()
{
    return QStringLiteral("bmp;dib;rle;jpeg;jfif;jpg;jpe;jpeg 2000;j2k;jp2;jpc;j2c;png;psd; pdd;pcd;tiff;tif;fax;g3n;g3f;ico;"
                          "gif;wmf;emf;wmz;emz;pcx;dcx;cut;pxm;ppm;pbm;pgm;tga;targa;vda;icb;vst;win;crw;cr2;nef;pef;raf; "
                          "x3f;raw;bay;orf;mrw;srf;mrw;");
}

bool TransferFun::listHasExtension(const QString &list, const QString &extension)
{
    const QString wanted = extension.trimmed().toLower();
    if (wanted.isEmpty())
        return false;
    // Whole entries only: "p3" is not "mp3", and an empty extension is nothing.
    for (const QString &entry : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entry.trimmed() == wanted)
            return true;
    }
    return false;
}

int TransferFun::tagFileType(const QString &path)
{
    const QString ext = QFileInfo(path).suffix();
    if (listHasExtension(DefaultImportAudioExt(), ext))
        return 1;
    if (listHasExtension(DefaultImportVideoExt(), ext))
        return 2;
    if (listHasExtension(DefaultImportImageExt(), ext))
        return 4;
    return 0;
}

bool TransferFun::loadMediaInfo(IMediaItem *media, const QString &path)
{
    if (!media || path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    ID3MediaHandle handle(path);
    const std::optional<MediaMetadata> full = handle.fullMetaData();
    loadMediaInfo(media, full ? &*full : nullptr);
    if (!full) {
        MediaMetadata own = media->metadata();
        own.title = QFileInfo(path).completeBaseName();
        if (tagFileType(path) != 2) {
            own.mediaType = 1;
            own.category = 1;
        } else {
            own.mediaType = 2;
            own.category = media->playableMedia() ? 2 : 4096;
        }
        media->setMetadata(own);
    }
    return true;
}

bool TransferFun::loadMediaInfo(IMediaItem *media, const MediaMetadata *metadata)
{
    if (!media)
        return true;
    IMediaItem *dest = target(media);
    MediaMetadata m = dest->metadata();
    const MediaMetadata none;
    const MediaMetadata &tag = metadata ? *metadata : none;
    switch (tag.tagFileType) {
    case 2: m.mediaType = 2; m.category = 4096; break;
    case 1: m.mediaType = 1; m.category = 1; break;
    case 4: m.mediaType = 4; break;
    case 8: m.mediaType = 16; break;
    default: break;
    }
    m.title = tag.title;
    switch (tag.tagMediaType) {
    case 1: m.category = 1; break;
    case 9: m.category = 2; break;
    case 24: m.category = 128; break;
    case 23: m.category = 256; break;
    case 10: m.category = 1024; break;
    case 6: m.category = 512; break;
    case 2: m.category = 2048; break;
    case 25: m.category = 4096; break;
    default: break;
    }
    copyCommon(m, tag);
    m.copyright = tag.copyright;
    m.duration = double(qint64(tag.duration));
    m.episodeShow = tag.episodeID;
    m.tvEpisode = tag.tvEpisode;
    dest->setMetadata(m);
    return true;
}

void TransferFun::loadMediaItemInfo(IMediaItem *media, const IMediaItem *sourceItem)
{
    if (!media || !sourceItem)
        return;
    IMediaItem *dest = target(media);
    const MediaMetadata s = sourceItem->metadata();
    MediaMetadata m = dest->metadata();
    m.mediaType = s.mediaType;
    m.title = s.title;
    m.category = s.category;
    copyCommon(m, s);
    m.duration = s.duration;
    m.recentPlayCount = s.userPlayCount;
    m.rating = s.rating;
    dest->setMetadata(m);
}

bool TransferFun::reSaveID3Info(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    ID3MediaHandle handle(path);
    handle.basicMetaData();
    return handle.saveID3();
}
