#include "reelgrab/EngineLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace EngineLibrary {

void *open(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no library path");
        return nullptr;
    }
    void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle && error)
        *error = QString::fromLocal8Bit(::dlerror());
    return handle;
}

void close(void *handle)
{
    if (handle)
        ::dlclose(handle);
}

QString defaultPath()
{
    // The kernel's view of the running program; argv[0] may be a relative name or a lie.
    QString folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (folder.isEmpty() && QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    const QString beside = QDir(folder).filePath(QString::fromLatin1(FileName));
    if (QFileInfo::exists(beside))
        return beside;
    const QString inLib = QDir::cleanPath(folder + QStringLiteral("/../lib/") + QString::fromLatin1(FileName));
    if (QFileInfo::exists(inLib))
        return inLib;
    return beside;
}

} // namespace EngineLibrary
