#include "feedback/FolderAssistant.h"

#include <QDir>

QString FolderAssistant::createFolder(const QString &folder, const QString &atPath)
{
    if (folder.isEmpty() || atPath.isEmpty())
        return {};
    if (QDir::isAbsolutePath(folder) || folder.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {};
    const QString path = QStringLiteral("%1/%2").arg(atPath, folder);
    if (!QFileInfo::exists(path))
        QDir().mkpath(path);
    return path;
}
