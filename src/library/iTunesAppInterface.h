#pragma once

#include <QRecursiveMutex>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The music application as the library's items see it: one shared object that adds a
// converted file to the music library (the user's music folder, see ITunesHelper) and lists
// its play lists. Calls are serialised on the object's own lock, so any thread may use it.
class iTunesAppInterface
{
public:
    static iTunesAppInterface &shareInstanse();

    // [{"name", "kind"}]: the one library source, kind "kLib".
    QVariantList iTunesSource();
    // Play lists of the library source as {"playlist_name", "playlist_persistent_id"}:
    // user play lists, the library play list ("0"), or both.
    QVariantList playlists();
    QVariantList userPlaylists();
    QVariantList libraryPlaylists();
    // The added track {"item_persistent_id", "item_path"}; an empty map when the file could
    // not be added. An empty play list adds to the library only.
    QVariantMap addFileToPlaylist(const QString &path, const QString &playlistID = {});
    // The user play list with that identifier; an empty map when there is none.
    QVariantMap playlistWithPersistentID(const QString &persistentID);

    // Another music folder (tests); empty returns to the user's.
    void setMusicFolder(const QString &folder);
    QString musicFolder();

private:
    iTunesAppInterface() = default;
    iTunesAppInterface(const iTunesAppInterface &) = delete;
    iTunesAppInterface &operator=(const iTunesAppInterface &) = delete;

    QRecursiveMutex m_lock;
    QString m_folder;
};
