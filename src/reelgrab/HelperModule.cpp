#include "reelgrab/HelperModule.h"

#include "reelgrab/Func.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace HelperModule {

QString pathOf(const char *fileName)
{
    const QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString name = QString::fromLatin1(fileName);
    for (const QString &candidate : {QDir(folder).filePath(name), QDir::cleanPath(folder + QStringLiteral("/../lib/") + name)})
        if (QFileInfo(candidate).isFile())
            return candidate;
    return {};
}

void *symbol(const char *fileName, const char *what, const char *name)
{
    const QString path = pathOf(fileName);
    if (path.isEmpty()) {
        Func(FuncLogError, QStringLiteral("no %1 %2 beside the program").arg(QString::fromLatin1(what), QString::fromLatin1(fileName)));
        return nullptr;
    }
    // dlopen counts references: a module opened twice stays one mapping, never closed.
    void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        Func(FuncLogError, QStringLiteral("the %1 did not open: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(::dlerror())));
        return nullptr;
    }
    return ::dlsym(handle, name);
}

} // namespace HelperModule
