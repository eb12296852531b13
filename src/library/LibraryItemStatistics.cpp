#include "library/LibraryItemStatistics.h"

#include "downloads/FileInfoItem.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/PropertyList.h"

namespace {

QVariant resource(const char *name)
{
    const QString path = MainBundle::pathForResource(QString::fromLatin1(name), QStringLiteral("plist"));
    return path.isEmpty() ? QVariant() : PropertyList::readFile(path);
}

// A limit's text in a key: whole numbers without a fraction.
QString limitText(const QVariant &v)
{
    const double d = v.toDouble();
    return d == qint64(d) ? QString::number(qint64(d)) : QString::number(d);
}

} // namespace

LibraryItemStatistics::LibraryItemStatistics()
    : LibraryItemStatistics(resource("CBSHelper_TimeLength").toList(), resource("CBSHeiper_VideoSize").toList(),
                            resource("CBSHelper_VideoResolution").toMap())
{
}

LibraryItemStatistics::LibraryItemStatistics(const QVariantList &lengthMinutes, const QVariantList &sizeMegabytes,
                                             const QVariantMap &resolutionKeys)
    : m_length(lengthMinutes)
    , m_size(sizeMegabytes)
    , m_resolution(resolutionKeys)
{
}

QString LibraryItemStatistics::lengthKey(qint64 seconds) const
{
    if (seconds <= 0)
        return {};
    // The entry at index 1 may be a fraction of a minute; the others are whole minutes.
    const auto limitSeconds = [this](int i) {
        return i == 1 ? qint64(m_length.at(i).toDouble() * 60) : m_length.at(i).toLongLong() * 60;
    };
    for (int i = 0; i + 1 < m_length.size(); ++i) {
        if (seconds > limitSeconds(i) && seconds <= limitSeconds(i + 1))
            return i == 0 ? QStringLiteral("Id_Vid_Length_half") : QStringLiteral("Id_Vid_Length_") + limitText(m_length.at(i + 1));
    }
    return QStringLiteral("Id_Vid_Length_60more");
}

QString LibraryItemStatistics::sizeKey(qint64 bytes) const
{
    if (bytes <= 0)
        return {};
    for (int j = 1; j < m_size.size(); ++j) {
        const qint64 low = m_size.at(j - 1).toLongLong() << 20;
        const qint64 high = m_size.at(j).toLongLong() << 20;
        if (bytes > low && bytes <= high)
            return QStringLiteral("Id_Vid_Size_") + limitText(m_size.at(j));
    }
    return QStringLiteral("Id_Vid_Size_300more");
}

QString LibraryItemStatistics::formatKey(const QString &suffix)
{
    static const char *const known[] = {"flv", "mp4", "webm", "swf", "asf"};
    for (const char *k : known)
        if (suffix.compare(QLatin1String(k), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Id_Vid_Format_") + QString::fromLatin1(k).toUpper();
    return {};
}

QString LibraryItemStatistics::resolutionKey(int lines) const
{
    if (lines <= 0)
        return {};
    QString name;
    switch (lines) {
    case 240: case 360: case 480: case 720: case 1080: name = QStringLiteral("%1p").arg(lines); break;
    default: name = QStringLiteral("4K"); break;
    }
    return m_resolution.value(name).toString();
}

QList<LibraryItemStatistics::Count> LibraryItemStatistics::countsFor(const FileInfoItem &item) const
{
    QList<Count> out;
    if (const QString k = lengthKey(item.time()); !k.isEmpty())
        out.append({QStringLiteral("Id_Vid_Length"), k, true});
    if (const QString k = sizeKey(item.videoSize()); !k.isEmpty())
        out.append({QStringLiteral("Id_Vid_Size"), k, true});
    if (const QString k = formatKey(item.fileExt()); !k.isEmpty())
        out.append({QStringLiteral("Id_Vid_Format"), k, false});
    if (const QString k = resolutionKey(item.resolution()); !k.isEmpty())
        out.append({QStringLiteral("Id_Vid_Resolution"), k, true});
    return out;
}

void LibraryItemStatistics::collect(const FileInfoItem &item, QVHPHelper &helper) const
{
    for (const Count &c : countsFor(item)) {
        if (c.autoCreated)
            helper.autoCreatedIncreaseDataCollect(c.group, c.key);
        else
            helper.commIncreaseDataCollect(c.group, c.key);
    }
}
