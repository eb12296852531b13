#include "downloads/VideoInfosCache.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/PrivateFolder.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

namespace {
QMutex &handleVideoInfosLock()
{
    static QMutex lock;
    return lock;
}
// A cache file larger than this is not one this program wrote.
constexpr qint64 MaxCacheBytes = 8 * 1024 * 1024;
} // namespace

VideoInfosCache::VideoInfosCache(const QString &path)
    : m_path(path.isEmpty() ? defaultPath() : path)
{
}

QString VideoInfosCache::defaultPath()
{
    // The user's address history: in the private cache folder, never at a shared name.
    QString error;
    const QString folder = PrivateFolder::cacheRoot(&error);
    if (folder.isEmpty()) {
        ScribletLogError(QStringLiteral("VideoInfos.plist has no private folder: %1").arg(error));
        return {};
    }
    return QDir(folder).filePath(QStringLiteral("VideoInfos.plist"));
}

bool VideoInfosCache::isEnabled()
{
    const QVariant v = MainBundle::infoValue(QStringLiteral("IsCacheSnifferVideoInfo"));
    return !v.isValid() || v.toBool();
}

QVariantMap VideoInfosCache::sanitizedEntry(const QVariantMap &entry)
{
    static const QRegularExpression resolutionKey(QStringLiteral("^[1-9][0-9]{0,5}$"));
    QVariantMap clean;
    bool hasResolution = false;
    for (auto it = entry.cbegin(); it != entry.cend(); ++it) {
        if (!resolutionKey.match(it.key()).hasMatch())
            continue;
        bool ok = false;
        const qint64 format = it.value().toLongLong(&ok);
        if (!ok || format < 0 || format > 0xFFFFFFFFLL || it.value().typeId() == QMetaType::QString)
            continue;
        clean.insert(it.key(), format);
        hasResolution = true;
    }
    const QVariant title = entry.value(QLatin1String(TitleKey));
    if (!hasResolution || title.typeId() != QMetaType::QString || title.toString().isEmpty())
        return {};
    clean.insert(QLatin1String(TitleKey), title.toString());
    QStringList codes;
    const QVariant codesValue = entry.value(QLatin1String(SubtitleCodesKey));
    if (codesValue.canConvert<QVariantList>() && codesValue.typeId() != QMetaType::QString)
        for (const QVariant &c : codesValue.toList())
            if (c.typeId() == QMetaType::QString && !c.toString().isEmpty() && c.toString().size() <= 32)
                codes << c.toString();
    clean.insert(QLatin1String(SubtitleCodesKey), codes);
    bool ok = false;
    const qint64 duration = entry.value(QLatin1String(DurationKey)).toLongLong(&ok);
    clean.insert(QLatin1String(DurationKey), ok && duration > 0 ? duration : 0);
    return clean;
}

QVariantMap VideoInfosCache::readAll() const
{
    const QFileInfo info(m_path);
    if (!info.isFile() || info.size() > MaxCacheBytes)
        return {};
    QString error;
    const QVariant all = PropertyList::readFile(m_path, &error);
    if (all.typeId() != QMetaType::QVariantMap) {
        if (!error.isEmpty())
            ScribletLogError(QStringLiteral("VideoInfos.plist unreadable: %1").arg(error));
        return {};
    }
    return all.toMap();
}

QVariantMap VideoInfosCache::entryForURL(const QString &url) const
{
    if (url.isEmpty())
        return {};
    QMutexLocker lock(&handleVideoInfosLock());
    const QVariant entry = readAll().value(url);
    if (entry.typeId() != QMetaType::QVariantMap)
        return {};
    return sanitizedEntry(entry.toMap());
}

bool VideoInfosCache::storeEntry(const QString &url, const QVariantMap &entry)
{
    if (url.isEmpty() || entry.isEmpty() || m_path.isEmpty())
        return false;
    QMutexLocker lock(&handleVideoInfosLock());
    QVariantMap all = readAll();
    if (all.contains(url) && !sanitizedEntry(all.value(url).toMap()).isEmpty())
        return false;
    all.insert(url, entry);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QString error;
    if (!PropertyList::writeFile(m_path, all, &error)) {
        ScribletLogError(QStringLiteral("VideoInfos.plist not written: %1").arg(error));
        return false;
    }
    return true;
}
