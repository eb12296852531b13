#include "shell/NSStringPath.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace NSStringPath {

QString pathDirectory(SearchPathDirectory directory)
{
    switch (directory) {
    case SearchPathDirectory::ApplicationSupport:
        return AppPaths::applicationSupport();
    case SearchPathDirectory::Movies:
        return AppPaths::movies();
    case SearchPathDirectory::Downloads:
        return AppPaths::downloads();
    case SearchPathDirectory::Documents:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    case SearchPathDirectory::Desktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case SearchPathDirectory::Music:
        return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    case SearchPathDirectory::Pictures:
        return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    case SearchPathDirectory::Caches:
        return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    }
    return {};
}

QString suffixAppendToDirectory(const QString &name, SearchPathDirectory directory)
{
    const QString path = appendingPathComponent(pathDirectory(directory), name);
    if (pathExtension(name).isEmpty() && !QFileInfo(path).isDir())
        AppPaths::ensureFolder(path);
    return path;
}

QString checkSameNamePath(const QString &path)
{
    if (!pathTaken(path))
        return path;
    const QString folder = deletingLastPathComponent(path);
    const QString base = deletingPathExtension(lastPathComponent(path));
    const QString extension = pathExtension(path);
    for (int n = 1; n <= 9999; ++n) {
        const QString candidate =
            appendingPathComponent(folder, appendingPathExtension(base + QString::number(n), extension));
        if (!pathTaken(candidate))
            return candidate;
    }
    return {};
}

QString lastPathComponent(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || p == QLatin1String("/"))
        return p;
    return p.mid(slash + 1);
}

QString pathExtension(const QString &path)
{
    const QString name = lastPathComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {};
    return name.mid(dot + 1);
}

QString deletingLastPathComponent(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

QString deletingPathExtension(const QString &path)
{
    const QString extension = pathExtension(path);
    if (extension.isEmpty())
        return path;
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p.left(p.size() - extension.size() - 1);
}

QString appendingPathComponent(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString appendingPathExtension(const QString &name, const QString &extension)
{
    if (extension.isEmpty())
        return name;
    return name + QLatin1Char('.') + extension;
}

bool pathTaken(const QString &path)
{
    if (path.isEmpty())
        return false;
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace NSStringPath
