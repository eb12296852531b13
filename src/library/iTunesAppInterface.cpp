#include "library/iTunesAppInterface.h"

#include "library/ITunesHelper.h"

#include <QStandardPaths>

namespace {

ITunesHelper helperFor(const QString &folder)
{
    return folder.isEmpty() ? ITunesHelper() : ITunesHelper(folder);
}

} // namespace

iTunesAppInterface &iTunesAppInterface::shareInstanse()
{
    static iTunesAppInterface shared;
    return shared;
}

void iTunesAppInterface::setMusicFolder(const QString &folder)
{
    QMutexLocker lock(&m_lock);
    m_folder = folder;
}

QString iTunesAppInterface::musicFolder()
{
    QMutexLocker lock(&m_lock);
    return helperFor(m_folder).musicFolder();
}

QVariantList iTunesAppInterface::iTunesSource()
{
    QMutexLocker lock(&m_lock);
    return {QVariantMap{{QStringLiteral("name"), QStringLiteral("Library")}, {QStringLiteral("kind"), QStringLiteral("kLib")},
                        {QStringLiteral("path"), helperFor(m_folder).musicFolder()}}};
}

QVariantList iTunesAppInterface::userPlaylists()
{
    QMutexLocker lock(&m_lock);
    return helperFor(m_folder).getPlaylist();
}

QVariantList iTunesAppInterface::libraryPlaylists()
{
    return {QVariantMap{{QStringLiteral("playlist_name"), QStringLiteral("Library")},
                        {QStringLiteral("playlist_persistent_id"), QLatin1String(ITunesHelper::MainPlaylistID)}}};
}

QVariantList iTunesAppInterface::playlists()
{
    QMutexLocker lock(&m_lock);
    return libraryPlaylists() + userPlaylists();
}

QVariantMap iTunesAppInterface::addFileToPlaylist(const QString &path, const QString &playlistID)
{
    QMutexLocker lock(&m_lock);
    ITunesHelper helper = helperFor(m_folder);
    const QString id = helper.addFile(path, playlistID.isEmpty() ? QLatin1String(ITunesHelper::MainPlaylistID) : playlistID);
    if (id.isEmpty())
        return {};
    return {{QStringLiteral("item_persistent_id"), id}, {QStringLiteral("item_path"), helper.getFilePathWithID(id)}};
}

QVariantMap iTunesAppInterface::playlistWithPersistentID(const QString &persistentID)
{
    QMutexLocker lock(&m_lock);
    for (const QVariant &entry : helperFor(m_folder).getPlaylist())
        if (entry.toMap().value(QStringLiteral("playlist_persistent_id")).toString() == persistentID)
            return entry.toMap();
    return {};
}
