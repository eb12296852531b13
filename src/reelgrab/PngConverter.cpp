#include "reelgrab/PngConverter.h"

#include "reelgrab/Func.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

namespace PngConverter {

namespace {

using EncodeFn = int (*)(const unsigned char *, size_t, unsigned char **, size_t *);
using FreeFn = void (*)(unsigned char *);

struct Module
{
    EncodeFn encode = nullptr;
    FreeFn release = nullptr;
};

const Module &module()
{
    static const Module m = []() {
        Module out;
        const QString path = modulePath();
        if (path.isEmpty()) {
            Func(FuncLogError, QStringLiteral("no image module %1 beside the program").arg(QString::fromLatin1(ModuleFileName)));
            return out;
        }
        void *handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            Func(FuncLogError, QStringLiteral("the image module did not open: %1").arg(QString::fromLocal8Bit(::dlerror())));
            return out;
        }
        out.encode = reinterpret_cast<EncodeFn>(::dlsym(handle, "fennix_reelgrab_png_encode"));
        out.release = reinterpret_cast<FreeFn>(::dlsym(handle, "fennix_reelgrab_png_free"));
        if (!out.encode || !out.release)
            out = Module();
        return out; // kept open for the life of the process
    }();
    return m;
}

} // namespace

QString modulePath()
{
    const QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                        : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString name = QString::fromLatin1(ModuleFileName);
    for (const QString &candidate : {QDir(folder).filePath(name), QDir::cleanPath(folder + QStringLiteral("/../lib/") + name)})
        if (QFileInfo(candidate).isFile())
            return candidate;
    return {};
}

QByteArray pngOf(const QByteArray &imageBytes)
{
    const Module &m = module();
    if (!m.encode || imageBytes.isEmpty())
        return {};
    unsigned char *out = nullptr;
    size_t size = 0;
    if (m.encode(reinterpret_cast<const unsigned char *>(imageBytes.constData()), size_t(imageBytes.size()), &out, &size) != 0
        || !out)
        return {};
    const QByteArray png(reinterpret_cast<const char *>(out), qsizetype(size));
    m.release(out);
    return png;
}

} // namespace PngConverter
