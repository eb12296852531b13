#include "platform/SafeSaveFile.h"

#include <QFileInfo>

bool SafeSaveFile::open(OpenMode mode)
{
    const QString name = fileName();
    // The link itself goes; the file is then made afresh at the name.
    if (QFileInfo(name).isSymLink() && !QFile::remove(name)) {
        setErrorString(QStringLiteral("cannot replace the link at %1").arg(name));
        return false;
    }
    return QSaveFile::open(mode);
}
