#include "BenchHome.h"

#include <QFile>

namespace BenchHome {

void use(const QString &home)
{
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/config")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(home + QStringLiteral("/state")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/cache")));
}

} // namespace BenchHome
