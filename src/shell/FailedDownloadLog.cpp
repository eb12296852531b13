#include "shell/FailedDownloadLog.h"

#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString CoreKey = QStringLiteral("core");
const QString UrlKey = QStringLiteral("FailedURL");

// The last maxBytes of a file, starting on a UTF-8 character.
QByteArray readTail(QFile &file, qint64 maxBytes)
{
    const qint64 size = file.size();
    if (size <= maxBytes)
        return file.readAll();
    file.seek(size - maxBytes);
    QByteArray data = file.read(maxBytes);
    qsizetype start = 0;
    while (start < data.size() && start < 4 && (uchar(data.at(start)) & 0xC0) == 0x80)
        ++start;
    return data.mid(start);
}

} // namespace

FailedDownloadLog &FailedDownloadLog::shared()
{
    static FailedDownloadLog log(QDir(AppPaths::productSupport()).filePath(QStringLiteral("DownloadFailedLog.plist")),
                                 AppPaths::reelgrabKitLogs());
    return log;
}

FailedDownloadLog::FailedDownloadLog(const QString &filePath, const QString &engineLogFolder)
    : m_filePath(filePath)
    , m_engineLogFolder(engineLogFolder)
{
}

QString FailedDownloadLog::engineLogPath(const QString &logName) const
{
    // The name is one file-name part; anything that would leave the logs folder is refused.
    if (logName.isEmpty() || logName.contains(QLatin1Char('/')) || logName.contains(QChar(0))
        || logName == QLatin1String("..") || logName == QLatin1String("."))
        return {};
    return QDir(m_engineLogFolder).filePath(QStringLiteral("%1-%2.log").arg(logName, QStringLiteral("core")));
}

QVariantMap FailedDownloadLog::createEntry(const QString &logName, const QString &url) const
{
    const QString path = engineLogPath(logName);
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!QFileInfo(path).isFile() || !SafeFileReader::open(file))
        return {};
    const QString text = QString::fromUtf8(readTail(file, MaxLogBytes));
    if (text.size() < MinLogLength)
        return {};
    QVariantMap entry;
    entry.insert(CoreKey, text);
    if (!url.isEmpty())
        entry.insert(UrlKey, url);
    return entry;
}

void FailedDownloadLog::loadLocked()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_entries.clear();
    if (!QFileInfo::exists(m_filePath))
        return;
    QString error;
    const QVariant value = PropertyList::readFile(m_filePath, &error, PropertyList::OnDamage::MoveAside);
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        for (const QVariant &item : list) {
            if (item.typeId() == QMetaType::QVariantMap)
                m_entries.append(item);
        }
        while (m_entries.size() > MaxEntries)
            m_entries.removeFirst();
        return;
    }
    // Not an array: keep the file for inspection and start an empty log in its place.
    if (QFileInfo::exists(m_filePath)) {
        const QString aside = PropertyList::moveAside(m_filePath);
        ScribletLogInfo(QStringLiteral("DownloadFailedLog is not an array, moved to %1").arg(aside));
    } else {
        ScribletLogInfo(QStringLiteral("DownloadFailedLog damaged (%1), moved aside").arg(error));
    }
}

void FailedDownloadLog::add(const QString &logName, const QString &url)
{
    const QVariantMap entry = createEntry(logName, url);
    QMutexLocker locker(&m_mutex);
    loadLocked();
    if (entry.isEmpty())
        return;
    if (!url.isEmpty()) {
        for (qsizetype i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).toMap().value(UrlKey).toString() == url) {
                m_entries.removeAt(i);
                break;
            }
        }
    }
    while (m_entries.size() >= MaxEntries)
        m_entries.removeFirst();
    m_entries.append(entry);
    QString error;
    if (!PropertyList::writeFile(m_filePath, m_entries, &error))
        ScribletLogInfo(QStringLiteral("addDowbloadFailedLog %1").arg(error));
}

QString FailedDownloadLog::lastFailedUrls()
{
    QMutexLocker locker(&m_mutex);
    loadLocked();
    if (m_entries.isEmpty())
        return {};
    QString text = QStringLiteral("Failed URL:");
    for (const QVariant &item : std::as_const(m_entries)) {
        const QString url = item.toMap().value(UrlKey).toString();
        if (!url.isEmpty())
            text = QStringLiteral("%1\n%2").arg(text, url);
    }
    return text;
}

QVariantList FailedDownloadLog::entries()
{
    QMutexLocker locker(&m_mutex);
    loadLocked();
    return m_entries;
}
