#include "devices/DeviceFileStore.h"

#include <QStringList>

namespace {
bool hasControl(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}
} // namespace

bool DeviceFileStore::isSafeFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !hasControl(name) && name.toUtf8().size() <= 255;
}

bool DeviceFileStore::isSafePath(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')) || hasControl(path))
        return false;
    if (path == QLatin1String("/"))
        return true;
    const QStringList parts = path.mid(1).split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        // A trailing "/" is allowed; empty components elsewhere are not.
        if (parts[i].isEmpty() && i == parts.size() - 1)
            continue;
        if (!isSafeFileName(parts[i]))
            return false;
    }
    return true;
}

QString DeviceFileStore::joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString DeviceFileStore::parentPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return QStringLiteral("/");
    return path.left(slash);
}
