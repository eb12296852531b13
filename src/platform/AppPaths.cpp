#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString joined(const QString &base, const QString &name)
{
    return QDir(base).filePath(name);
}

QString ensured(const QString &path)
{
    AppPaths::ensureFolder(path);
    return path;
}

QString xdgFolder(QStandardPaths::StandardLocation location, const char *fallbackUnderHome)
{
    QString path = QStandardPaths::writableLocation(location);
    // Qt answers $HOME for movies/downloads when no user-dirs entry exists; keep them apart.
    if (path.isEmpty() || QDir(path) == QDir::home())
        path = QDir::home().filePath(QString::fromLatin1(fallbackUnderHome));
    return path;
}

bool privateFolder(const QString &path)
{
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(p.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace

bool AppPaths::ensureFolder(const QString &path)
{
    if (path.isEmpty())
        return false;
    QFileInfo info(path);
    if (info.isDir())
        return true;
    // QDir::mkpath creates with 0777 & ~umask, like mkdir -p.
    return QDir().mkpath(path);
}

QString AppPaths::applicationSupport()
{
    return ensured(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString AppPaths::productSupport() { return ensured(joined(applicationSupport(), QString::fromLatin1(ProductFolderName))); }

QString AppPaths::reelgrabKit() { return ensured(joined(applicationSupport(), QStringLiteral("ReelgrabKit"))); }
QString AppPaths::reelgrabKitLogs() { return ensured(joined(reelgrabKit(), QStringLiteral("aLogs"))); }
QString AppPaths::reelgrabKitIcons() { return ensured(joined(reelgrabKit(), QStringLiteral("FavoriteIcons"))); }
QString AppPaths::reelgrabKitThumbnails() { return ensured(joined(reelgrabKit(), QStringLiteral("thumbnails"))); }
QString AppPaths::reelgrabKitClients() { return ensured(joined(reelgrabKit(), QStringLiteral("clients"))); }

QString AppPaths::movies() { return ensured(xdgFolder(QStandardPaths::MoviesLocation, "Videos")); }
QString AppPaths::defaultDownloadFolder() { return ensured(joined(movies(), QString::fromLatin1(VideosFolderName))); }
QString AppPaths::convertedFolder() { return ensured(joined(defaultDownloadFolder(), QStringLiteral("Converted"))); }
QString AppPaths::recordFolder() { return ensured(joined(defaultDownloadFolder(), QStringLiteral("Record"))); }
QString AppPaths::downloads() { return ensured(xdgFolder(QStandardPaths::DownloadLocation, "Downloads")); }

QString AppPaths::runtimeFolder()
{
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString path;
    if (!base.isEmpty() && QFileInfo(base).isDir())
        path = joined(base, QStringLiteral("fennixpro"));
    else
        path = QStringLiteral("/tmp/fennixpro-%1").arg(::getuid());
    // Sockets live here: refuse a folder someone else owns or can enter.
    if (!privateFolder(path))
        return {};
    return path;
}

QString AppPaths::logFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = state.isEmpty() ? QDir::home().filePath(QStringLiteral(".local/state")) : state;
    return ensured(joined(base, QStringLiteral("fennixpro/logs")));
}

QString AppPaths::temporary() { return QDir::tempPath(); }

QString AppPaths::mapPath(const QString &macPath)
{
    QString p = macPath;
    if (p == QLatin1String("~"))
        return QDir::homePath();
    if (!p.startsWith(QLatin1String("~/")))
        return p;
    p = p.mid(2);
    struct Mapping { const char *prefix; QString (*base)(); };
    static const Mapping mappings[] = {
        {"Library/Application Support", [] { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }},
        {"Movies", [] { return xdgFolder(QStandardPaths::MoviesLocation, "Videos"); }},
        {"Downloads", [] { return xdgFolder(QStandardPaths::DownloadLocation, "Downloads"); }},
    };
    for (const Mapping &m : mappings) {
        const QString prefix = QString::fromLatin1(m.prefix);
        if (p == prefix)
            return m.base();
        if (p.startsWith(prefix + QLatin1Char('/')))
            return QDir(m.base()).filePath(p.mid(prefix.size() + 1));
    }
    return QDir::home().filePath(p);
}
