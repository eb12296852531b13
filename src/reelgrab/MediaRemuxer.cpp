#include "reelgrab/MediaRemuxer.h"

#include "reelgrab/HelperModule.h"

#include <QFile>

#include <vector>

namespace MediaRemuxer {

namespace {

using RemuxFn = int (*)(const char *const *, int, const char *, char *, size_t, char *, size_t);

RemuxFn module()
{
    static const RemuxFn fn =
        reinterpret_cast<RemuxFn>(HelperModule::symbol(ModuleFileName, "stream module", "fennix_reelgrab_remux"));
    return fn;
}

} // namespace

QString modulePath()
{
    return HelperModule::pathOf(ModuleFileName);
}

bool available()
{
    return module() != nullptr;
}

Result remux(const QStringList &inputs, const QString &output)
{
    Result r;
    const RemuxFn fn = module();
    if (!fn) {
        r.message = QStringLiteral("the stream module is missing");
        return r;
    }
    std::vector<QByteArray> names;
    std::vector<const char *> pointers;
    for (const QString &input : inputs)
        names.push_back(QFile::encodeName(input));
    for (const QByteArray &n : names)
        pointers.push_back(n.constData());
    char container[8] = {};
    char message[1024] = {};
    const int code = fn(pointers.data(), int(pointers.size()), QFile::encodeName(output).constData(), container,
                        sizeof container, message, sizeof message);
    r.ok = code == 0;
    r.container = QString::fromLatin1(container);
    r.message = QString::fromUtf8(message);
    return r;
}

} // namespace MediaRemuxer
