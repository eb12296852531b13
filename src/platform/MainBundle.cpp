#include "platform/MainBundle.h"

#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_mutex;
bool g_loaded = false;
QVariantMap g_info;

void loadLocked()
{
    if (g_loaded)
        return;
    g_loaded = true;
    QFile f(QStringLiteral(":/Info.plist"));
    if (!f.open(QIODevice::ReadOnly))
        return;
    g_info = PropertyList::fromXml(f.readAll()).toMap();
}

QHash<QString, QVariantMap> g_tables;

QVariantMap tableLocked(const QString &table)
{
    auto it = g_tables.constFind(table);
    if (it != g_tables.constEnd())
        return *it;
    QVariantMap entries;
    if (!table.contains(QLatin1Char('/')) && !table.contains(QLatin1String(".."))) {
        QFile f(QStringLiteral(":/strings/%1.plist").arg(table));
        if (f.open(QIODevice::ReadOnly))
            entries = PropertyList::fromXml(f.readAll()).toMap();
    }
    g_tables.insert(table, entries);
    return entries;
}

} // namespace

QVariantMap MainBundle::infoDictionary()
{
    QMutexLocker lock(&g_mutex);
    loadLocked();
    return g_info;
}

QVariant MainBundle::infoValue(const QString &key)
{
    QMutexLocker lock(&g_mutex);
    loadLocked();
    return g_info.value(key);
}

QString MainBundle::infoString(const QString &key) { return infoValue(key).toString(); }

void MainBundle::setInfoDictionaryForTesting(const QVariantMap &info)
{
    QMutexLocker lock(&g_mutex);
    g_loaded = true;
    g_info = info;
}

QString MainBundle::resourcesFolder()
{
    const QString env = qEnvironmentVariable("FENNIX_RESOURCES");
    if (!env.isEmpty())
        return env;
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {QStringLiteral("../share/fennixpro"), QStringLiteral("resources"),
                                     QStringLiteral("../resources")}) {
        const QString p = QDir(appDir).filePath(candidate);
        if (QDir(p).exists())
            return QDir::cleanPath(p);
    }
    return {};
}

QString MainBundle::pathForResource(const QString &name, const QString &type)
{
    if (name.isEmpty() || name.contains(QLatin1String("..")))
        return {};
    const QString file = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    const QString compiled = QStringLiteral(":/") + file;
    if (QFile::exists(compiled))
        return compiled;
    const QString folder = resourcesFolder();
    if (!folder.isEmpty()) {
        const QString onDisk = QDir(folder).filePath(file);
        if (QFile::exists(onDisk))
            return onDisk;
    }
    return {};
}

QString MainBundle::localizedString(const char *english)
{
    return QCoreApplication::translate("FennixPro", english);
}

QString MainBundle::localizedString(const QString &english)
{
    return QCoreApplication::translate("FennixPro", english.toUtf8().constData());
}

QString MainBundle::localizedString(const QString &key, const QString &table)
{
    QMutexLocker lock(&g_mutex);
    const QString text = tableLocked(table).value(key).toString();
    return text.isEmpty() ? key : text;
}

QStringList MainBundle::stringTableKeys()
{
    QStringList keys;
    QDirIterator it(QStringLiteral(":/strings"), {QStringLiteral("*.plist")}, QDir::Files);
    while (it.hasNext()) {
        const QString table = QFileInfo(it.next()).completeBaseName();
        QMutexLocker lock(&g_mutex);
        const QVariantMap entries = tableLocked(table);
        for (auto e = entries.constBegin(); e != entries.constEnd(); ++e)
            if (e.value().toString() != e.key())
                keys << e.key();
    }
    return keys;
}
