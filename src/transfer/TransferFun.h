#pragma once

#include <QString>
#include <QStringList>

class IMediaItem;
struct MediaMetadata;

// What the transfer code asks about formats and tags: which extensions a kind of target plays
// as they are, what kind of media a path is, and which tag data a media object on a device gets.
// Extensions are compared lower-cased and as whole entries of their lists.
class TransferFun
{
public:
    static QStringList AndroidAudioSupportTypes();
    static bool isAndroidAudioSupportType(const QString &format);
    static QStringList AndroidVideoSupportTypes();
    static bool isAndroidVideoSupportType(const QString &format);
    static QStringList iOSAudioSupportTypes();
    static bool isiOSAudioSupportType(const QString &format);
    static bool isCarAudioSupportType(const QString &format);
    static QStringList iOSVideoSupportTypes();
    static bool isiOSVideoSupportType(const QString &format);
    static QStringList iTunesSupportTypes();
    static bool isiTunesAudioSupportType(const QString &format);
    static bool isiTunesVideoSupportType(const QString &format);
    static QStringList supportArtworkTypes();
    static QStringList convertAudioSupportTypes();
    static QStringList convertVideoSupportTypes();

    // Whether the target (DeviceTransferPlatform) plays the format without conversion.
    static bool isVideoSupportByDevice(quint32 platform, const QString &format);
    static bool isAudioSupportByDevice(quint32 platform, const QString &format);

    // The ";"-separated media kind lists (DefaultImportAudioExt, …Video…, …Image…).
    static QString DefaultImportAudioExt();
    static QString DefaultImportVideoExt();
    static QString DefaultImportImageExt();
    // Whether the extension is one of the entries of such a list.
    static bool listHasExtension(const QString &list, const QString &extension);

    // 1 audio, 2 video, 4 image, 0 anything else (no extension included).
    static int tagFileType(const QString &path);

    // Fills the media object (or the one it stands for) from the file's tags; the file's name
    // as title when it has none. False when there is no file at path.
    static bool loadMediaInfo(IMediaItem *media, const QString &path);
    static bool loadMediaInfo(IMediaItem *media, const MediaMetadata *metadata);
    static void loadMediaItemInfo(IMediaItem *media, const IMediaItem *sourceItem);
    // Reads a file's tags and writes them back.
    static bool reSaveID3Info(const QString &path);
};
