#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

bool Trash::moveToTrash(const QString &path, QString *trashedPath, QString *error)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    // Qt answers success with a relative "./files/..." when it cannot make the home Trash, having
    // moved the file into the current folder; make sure the Trash exists first and check after.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
    if (!QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info"))) {
        if (error)
            *error = QStringLiteral("could not move %1 to the Trash: no Trash folder at %2").arg(path, trash);
        return false;
    }
    QString where;
    if (!QFile::moveToTrash(path, &where)) {
        if (error)
            *error = QStringLiteral("could not move %1 to the Trash").arg(path);
        return false;
    }
    if (QFileInfo(where).isRelative()) {
        QFile::rename(where, path);
        if (error)
            *error = QStringLiteral("could not move %1 to the Trash").arg(path);
        return false;
    }
    if (trashedPath)
        *trashedPath = where;
    return true;
}
