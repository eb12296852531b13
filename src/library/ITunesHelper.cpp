#include "library/ITunesHelper.h"

#include "downloads/LocalFileNames.h"
#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString NameTag = QStringLiteral("#PLAYLIST:");
const QString IdTag = QStringLiteral("#X-FENNIX-PLAYLIST-ID:");
// Play list files larger than this are not ours to read.
constexpr qint64 MaxPlaylistBytes = 16 * 1024 * 1024;

QString hashID(const QString &text)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))
        .toUpper();
}

// A name as a file name: separators and control characters become "-".
QString fileNameFor(const QString &name)
{
    QString safe;
    for (QChar c : name)
        safe += (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) ? QChar(u'-') : c;
    safe = safe.trimmed();
    if (safe.isEmpty() || safe.startsWith(QLatin1Char('.')))
        safe.prepend(QStringLiteral("Playlist "));
    return safe.left(200);
}

bool lineSafe(const QString &text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

} // namespace

ITunesHelper::ITunesHelper()
    : ITunesHelper(QStandardPaths::writableLocation(QStandardPaths::MusicLocation))
{
}

ITunesHelper::ITunesHelper(const QString &musicFolder)
    : m_musicFolder(QDir::cleanPath(musicFolder))
{
}

ITunesHelper &ITunesHelper::sharediTunesHelper()
{
    static ITunesHelper shared;
    return shared;
}

bool ITunesHelper::fail(const QString &why)
{
    ScribletLogError(QStringLiteral("music library: %1").arg(why));
    error_ = true;
    return false;
}

QString ITunesHelper::iTunesID()
{
    error_ = false;
    if (iTunesID_.isEmpty())
        iTunesID_ = hashID(m_musicFolder);
    return iTunesID_;
}

bool ITunesHelper::isiTunesRunning() const
{
    return !m_musicFolder.isEmpty() && QDir().mkpath(m_musicFolder);
}

QString ITunesHelper::itemIDForPath(const QString &path)
{
    return hashID(QFileInfo(path).absoluteFilePath());
}

bool ITunesHelper::readPlaylist(const QString &file, Playlist *out)
{
    QFile f(file);
    if (f.size() > MaxPlaylistBytes || !SafeFileReader::open(f))
        return false;
    Playlist p;
    p.file = file;
    p.name = QFileInfo(file).completeBaseName();
    p.id = hashID(QFileInfo(file).fileName());
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(NameTag))
            p.name = line.mid(NameTag.size());
        else if (line.startsWith(IdTag))
            p.id = line.mid(IdTag.size()).trimmed();
        else if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            p.paths.append(QDir::isAbsolutePath(line) ? line : QDir(m_musicFolder).filePath(line));
    }
    *out = p;
    return true;
}

QList<ITunesHelper::Playlist> ITunesHelper::readPlaylists()
{
    QList<Playlist> list;
    const QDir dir(m_musicFolder);
    QStringList names = dir.entryList({QStringLiteral("*.m3u8")}, QDir::Files);
    // By base name, so "X.m3u8" comes before the "X(1).m3u8" made after it.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const QString ba = QFileInfo(a).completeBaseName();
        const QString bb = QFileInfo(b).completeBaseName();
        return ba != bb ? ba < bb : a < b;
    });
    for (const QString &name : std::as_const(names)) {
        Playlist p;
        if (readPlaylist(dir.filePath(name), &p))
            list.append(p);
    }
    return list;
}

bool ITunesHelper::writePlaylist(const Playlist &p)
{
    QSaveFile f(p.file);
    if (!f.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1").arg(p.file));
    QString text = QStringLiteral("#EXTM3U\n") + NameTag + p.name + QLatin1Char('\n') + IdTag + p.id + QLatin1Char('\n');
    for (const QString &path : p.paths)
        text += path + QLatin1Char('\n');
    f.write(text.toUtf8());
    if (!f.commit())
        return fail(QStringLiteral("cannot write %1").arg(p.file));
    return true;
}

std::optional<ITunesHelper::Playlist> ITunesHelper::playlistWithID(const QString &id)
{
    for (const Playlist &p : readPlaylists())
        if (p.id == id)
            return p;
    return std::nullopt;
}

QVariantList ITunesHelper::getPlaylist()
{
    error_ = false;
    QVariantList list;
    for (const Playlist &p : readPlaylists())
        list.append(QVariantMap{{QStringLiteral("playlist_name"), p.name}, {QStringLiteral("playlist_persistent_id"), p.id}});
    return list;
}

QVariantList ITunesHelper::getPlaylistContent(const QString &playlist)
{
    error_ = false;
    QStringList paths;
    if (playlist == QLatin1String(MainPlaylistID)) {
        const QDir dir(m_musicFolder);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            if (!name.endsWith(QLatin1String(".m3u8")))
                paths.append(dir.filePath(name));
    } else if (const auto p = playlistWithID(playlist)) {
        paths = p->paths;
    } else {
        fail(QStringLiteral("no play list %1").arg(playlist));
        return {};
    }
    QVariantList items;
    for (const QString &path : paths)
        items.append(QVariantMap{{QStringLiteral("item_persistent_id"), itemIDForPath(path)}, {QStringLiteral("item_path"), path}});
    return items;
}

QString ITunesHelper::addPlaylist(const QString &name)
{
    error_ = false;
    if (name.isEmpty() || !lineSafe(name)) {
        fail(QStringLiteral("a play list needs a one-line name"));
        return {};
    }
    if (!QDir().mkpath(m_musicFolder)) {
        fail(QStringLiteral("cannot make %1").arg(m_musicFolder));
        return {};
    }
    Playlist p;
    p.name = name;
    p.file = LocalFileNames::unusedFileName(QDir(m_musicFolder).filePath(fileNameFor(name) + QStringLiteral(".m3u8")));
    p.id = QString::number(QRandomGenerator::global()->generate64(), 16).toUpper().rightJustified(16, QLatin1Char('0'));
    if (!writePlaylist(p))
        return {};
    return p.id;
}

bool ITunesHelper::renamePlaylist(const QString &playlist, const QString &name)
{
    error_ = false;
    auto p = playlistWithID(playlist);
    if (!p || name.isEmpty() || !lineSafe(name))
        return fail(QStringLiteral("cannot rename play list %1").arg(playlist));
    p->name = name;
    return writePlaylist(*p);
}

bool ITunesHelper::removePlaylist(const QString &playlist)
{
    error_ = false;
    const auto p = playlistWithID(playlist);
    if (!p || !QFile::remove(p->file))
        return fail(QStringLiteral("cannot remove play list %1").arg(playlist));
    return true;
}

bool ITunesHelper::editID3ForFile(const QString &item, const QVariantMap &attributes)
{
    ScribletLogInfo(QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(attributes)).toJson(QJsonDocument::Compact)));
    error_ = false;
    // Tags are not written into library files here.
    return fail(QStringLiteral("tags of %1 cannot be edited").arg(item));
}

bool ITunesHelper::removeFile(const QString &item, const QString &playlist)
{
    error_ = false;
    auto p = playlistWithID(playlist);
    if (!p)
        return fail(QStringLiteral("no play list %1").arg(playlist));
    const qsizetype before = p->paths.size();
    p->paths.erase(std::remove_if(p->paths.begin(), p->paths.end(),
                                  [&](const QString &path) { return itemIDForPath(path) == item; }),
                   p->paths.end());
    if (p->paths.size() == before)
        return fail(QStringLiteral("%1 is not in play list %2").arg(item, playlist));
    return writePlaylist(*p);
}

QString ITunesHelper::copyIntoLibrary(const QString &path)
{
    const QFileInfo source(path);
    if (source.absolutePath() == m_musicFolder)
        return source.absoluteFilePath();
    const QString target = LocalFileNames::unusedFileName(QDir(m_musicFolder).filePath(source.fileName()));
    if (!QFile::copy(path, target)) {
        fail(QStringLiteral("cannot copy %1 to %2").arg(path, target));
        return {};
    }
    return target;
}

QString ITunesHelper::addFile(const QString &path, const QString &playlist, const QString &itemID)
{
    Q_UNUSED(itemID);
    error_ = false;
    const QFileInfo source(path);
    if (path.isEmpty() || !source.isFile() || !lineSafe(path)) {
        fail(QStringLiteral("no file to add at %1").arg(path));
        return {};
    }
    if (!QDir().mkpath(m_musicFolder)) {
        fail(QStringLiteral("cannot make %1").arg(m_musicFolder));
        return {};
    }
    std::optional<Playlist> list;
    if (!playlist.isEmpty() && playlist != QLatin1String(MainPlaylistID)) {
        list = playlistWithID(playlist);
        if (!list) {
            fail(QStringLiteral("no play list %1").arg(playlist));
            return {};
        }
    }
    const QString placed = copyIntoLibrary(path);
    if (placed.isEmpty())
        return {};
    if (list) {
        if (!list->paths.contains(placed))
            list->paths.append(placed);
        if (!writePlaylist(*list))
            return {};
    }
    const QString id = itemIDForPath(placed);
    ScribletLogInfo(QStringLiteral("itemID: %1").arg(id));
    return id;
}

bool ITunesHelper::fileIsExistInPlaylist(const QString &item, const QString &playlist)
{
    ScribletLogInfo(QStringLiteral("%1,%2,%3").arg(iTunesID(), playlist, item));
    for (const QVariant &entry : getPlaylistContent(playlist))
        if (entry.toMap().value(QStringLiteral("item_persistent_id")).toString() == item)
            return true;
    return false;
}

QString ITunesHelper::getFilePathWithID(const QString &item)
{
    error_ = false;
    QVariantList all = getPlaylistContent(QLatin1String(MainPlaylistID));
    for (const Playlist &p : readPlaylists())
        for (const QString &path : p.paths)
            all.append(QVariantMap{{QStringLiteral("item_persistent_id"), itemIDForPath(path)}, {QStringLiteral("item_path"), path}});
    for (const QVariant &entry : all)
        if (entry.toMap().value(QStringLiteral("item_persistent_id")).toString() == item)
            return entry.toMap().value(QStringLiteral("item_path")).toString();
    fail(QStringLiteral("no item %1").arg(item));
    return {};
}

QString ITunesHelper::playlistIDForName(const QString &name)
{
    if (name.isNull())
        return {};
    QString found;
    for (const QVariant &entry : getPlaylist()) {
        const QVariantMap map = entry.toMap();
        if (map.value(QStringLiteral("playlist_name")).toString() == name)
            found = map.value(QStringLiteral("playlist_persistent_id")).toString();
    }
    return found.isEmpty() ? addPlaylist(name) : found;
}

bool ITunesHelper::isPlaylistExist(const QString &name)
{
    for (const QVariant &entry : getPlaylist())
        if (entry.toMap().value(QStringLiteral("playlist_name")).toString() == name)
            return true;
    return false;
}

QString ITunesHelper::addFilesToMainPlaylistWithPath(const QString &path, const QString &itemID)
{
    return addFile(path, QLatin1String(MainPlaylistID), itemID);
}

QString ITunesHelper::addFilesToUserPlaylistWithPath(const QString &path, const QString &itemID)
{
    const QString playlist = playlistIDForName(QFileInfo(QFileInfo(path).absolutePath()).fileName());
    if (playlist.isEmpty())
        return {};
    return addFile(path, playlist, itemID);
}

void ITunesHelper::stopPlay() const
{
    ScribletLogInfo(QStringLiteral("wait to be implemented"));
}
