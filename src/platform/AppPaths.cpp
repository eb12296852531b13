#include "platform/AppPaths.h"

#include "platform/PrivateFolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>

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

// A folder of the application's own (data, configuration, state, logs): made 0700, and an
// existing one with a looser mode tightened, so other local users cannot read what is stored
// there. A name that is a link or another user's folder is used as it is, and logged once.
QString privateEnsured(const QString &base, const QString &relative)
{
    AppPaths::ensureFolder(base);
    QString error;
    const QString path = PrivateFolder::ensure(base, relative, &error);
    if (!path.isEmpty())
        return path;
    // PrivateFolder refuses a base others may write to, as ~/.local/share is under umask 002;
    // our own levels below it are still made private, one at a time, without following links.
    QString current = base;
    for (const QString &level : relative.split(QLatin1Char('/'))) {
        current = joined(current, level);
        const QByteArray native = QFile::encodeName(current);
        ::mkdir(native.constData(), 0700);
        struct stat st = {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()
            || ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)) {
            static QMutex lock;
            static QSet<QString> told;
            QMutexLocker hold(&lock);
            if (!told.contains(current)) {
                told.insert(current);
                qWarning().noquote() << QStringLiteral("AppPaths: %1 is not made private (%2)").arg(current, error);
            }
            return ensured(joined(base, relative));
        }
    }
    return current;
}

QString xdgFolder(QStandardPaths::StandardLocation location, const char *fallbackUnderHome)
{
    QString path = QStandardPaths::writableLocation(location);
    // Qt answers $HOME for movies/downloads when no user-dirs entry exists; keep them apart.
    if (path.isEmpty() || QDir(path) == QDir::home())
        path = QDir::home().filePath(QString::fromLatin1(fallbackUnderHome));
    return path;
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

QString AppPaths::productSupport() { return privateEnsured(applicationSupport(), QString::fromLatin1(ProductFolderName)); }

QString AppPaths::reelgrabKit() { return privateEnsured(applicationSupport(), QStringLiteral("ReelgrabKit")); }
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
    return PrivateFolder::runtimeRoot();
}

QString AppPaths::logFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = state.isEmpty() ? QDir::home().filePath(QStringLiteral(".local/state")) : state;
    return privateEnsured(base, QStringLiteral("fennixpro/logs"));
}

QString AppPaths::settingsFolder()
{
    QString organization = QCoreApplication::organizationName();
    if (organization.isEmpty())
        organization = QStringLiteral("Unknown Organization");
    return privateEnsured(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation), organization);
}

void AppPaths::makePrivateFolders()
{
    productSupport();
    reelgrabKit();
    logFolder();
    settingsFolder();
}

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
