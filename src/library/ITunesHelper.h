#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

// The music library of this desktop: the user's music folder, with named play lists kept as
// ".m3u8" files in it. Files added to the library are copied into the folder (the way a
// music library that "copies files to the library" does); play lists list absolute paths.
//
// Identifiers are texts: the library's is derived from the folder's path, a play list's is
// stored in its file ("#X-FENNIX-PLAYLIST-ID:"), an item's is derived from the path of its
// file in the folder. "0" is the main library play list (the folder itself). A failed call
// sets error() and answers an empty value or false. Not locked: make one per use or keep it
// on one thread.
class ITunesHelper
{
public:
    // The transfer platform value this target has among devices.
    static constexpr int DevicePlatform = 64;
    static constexpr const char *MainPlaylistID = "0";

    ITunesHelper();
    // A library in another folder (tests, a chosen folder).
    explicit ITunesHelper(const QString &musicFolder);

    static ITunesHelper &sharediTunesHelper();

    QString musicFolder() const { return m_musicFolder; }
    bool error() const { return error_; }

    QString iTunesID();
    // [{"playlist_name", "playlist_persistent_id"}] by file base name (older twins first).
    QVariantList getPlaylist();
    // [{"item_persistent_id", "item_path"}]
    QVariantList getPlaylistContent(const QString &playlist);
    QString addPlaylist(const QString &name);
    bool renamePlaylist(const QString &playlist, const QString &name);
    bool removePlaylist(const QString &playlist);
    bool editID3ForFile(const QString &item, const QVariantMap &attributes);
    bool removeFile(const QString &item, const QString &playlist);
    // Copies the file into the library (unless it is there already) and lists it in the play
    // list; the item's identifier, or empty on failure. itemID is not used.
    QString addFile(const QString &path, const QString &playlist, const QString &itemID = {});
    bool fileIsExistInPlaylist(const QString &item, const QString &playlist);
    QString getFilePathWithID(const QString &item);
    bool isCopyFilesToLibrarySelected() const { return true; }
    bool isRunningModalWindow() const { return false; }
    bool isiTunesRunning() const;

    QString playlistIDForName(const QString &name);
    bool isPlaylistExist(const QString &name);
    QString addFilesToMainPlaylistWithPath(const QString &path, const QString &itemID = {});
    QString addFilesToUserPlaylistWithPath(const QString &path, const QString &itemID = {});

    bool isMainPlaylist(const QString &) const { return true; }
    bool fileInDeviceIsSameInItunesPlaylist(const QString &, const QString &) const { return false; }
    QString addFilesToMusicCategoryWithPath(const QString &, const QString &) const { return {}; }
    void stopPlay() const;

    // The item identifier of a file at this path.
    static QString itemIDForPath(const QString &path);

private:
    struct Playlist
    {
        QString file;
        QString name;
        QString id;
        QStringList paths;
    };
    QList<Playlist> readPlaylists();
    bool readPlaylist(const QString &file, Playlist *out);
    bool writePlaylist(const Playlist &playlist);
    std::optional<Playlist> playlistWithID(const QString &id);
    QString copyIntoLibrary(const QString &path);
    bool fail(const QString &why);

    QString m_musicFolder;
    QString iTunesID_;
    bool error_ = false;
};
