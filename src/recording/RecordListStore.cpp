#include "recording/RecordListStore.h"

#include "downloads/DownloadedItem.h"
#include "platform/AppPaths.h"
#include "platform/KeyedArchiver.h"
#include "platform/SafeFileReader.h"
#include "platform/SafeSaveFile.h"
#include "platform/log/ScribletLogger.h"
#include "recording/RecordingFiles.h"

#include <QCborArray>
#include <QCborStreamReader>
#include <QCborValue>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

RecordListStore::RecordListStore(const QString &path)
    : m_path(path.isEmpty() ? AppPaths::productSupport() + QLatin1Char('/') + QLatin1String(FileName) : path)
{
}

QByteArray RecordListStore::archive(const QList<std::shared_ptr<DownloadedItem>> &items)
{
    QCborArray root;
    for (const auto &item : items)
        if (item)
            root.append(KeyedArchiver::archiveOf(*item));
    return QCborValue(root).toCbor();
}

bool RecordListStore::unarchive(const QByteArray &data, QList<std::shared_ptr<DownloadedItem>> *items, QString *error)
{
    auto damaged = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (data.size() > KeyedUnarchiver::MaxArchiveSize)
        return damaged(QStringLiteral("the file is too large"));
    QCborStreamReader reader(data);
    if (!reader.isArray() || !reader.enterContainer())
        return damaged(QStringLiteral("no list of recordings"));
    while (reader.lastError() == QCborError::NoError && reader.hasNext()) {
        const qint64 start = reader.currentOffset();
        if (!reader.next())
            return damaged(QStringLiteral("entry %1 is cut off or broken").arg(items->size() + 1));
        // Each entry is parsed again with the bounded reader the archives share.
        QCborValue value;
        QString why;
        if (!KeyedUnarchiver::parseCbor(data.mid(start, reader.currentOffset() - start), value, &why) || !value.isMap())
            return damaged(QStringLiteral("entry %1 is not a recording %2").arg(items->size() + 1).arg(why));
        KeyedUnarchiver coder(value.toMap());
        if (coder.className() != QLatin1String(ItemClassName))
            return damaged(QStringLiteral("entry %1 is a \"%2\"").arg(items->size() + 1).arg(coder.className()));
        auto item = std::make_shared<DownloadedItem>();
        item->initWithCoder(coder);
        items->append(item);
    }
    if (reader.lastError() != QCborError::NoError)
        return damaged(reader.lastError().toString());
    if (!reader.leaveContainer() || reader.currentOffset() != data.size())
        return damaged(QStringLiteral("the list is cut off or followed by other data"));
    return true;
}

RecordListStore::LoadResult RecordListStore::load() const
{
    LoadResult result;
    QFile file(m_path);
    if (!file.exists())
        return result;
    if (!SafeFileReader::open(file, &result.error)) {
        return result;
    }
    const QByteArray data = file.read(KeyedUnarchiver::MaxArchiveSize + 1);
    file.close();
    if (unarchive(data, &result.items, &result.error))
        return result;
    result.damaged = true;
    // Kept aside under a free name, so the next save cannot destroy what a repair might find.
    const QString stem = m_path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0; n < 100; ++n) {
        const QString aside = n == 0 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
        if (RecordingFiles::renameNoReplace(m_path, aside)) {
            result.keptAsidePath = aside;
            break;
        }
    }
    m_protectDamaged = result.keptAsidePath.isEmpty();
    ScribletLogInfo(QStringLiteral("RecordData damaged (%1): %2 recording(s) read, file kept as \"%3\"")
                        .arg(result.error)
                        .arg(result.items.size())
                        .arg(result.keptAsidePath));
    return result;
}

bool RecordListStore::save(const QList<std::shared_ptr<DownloadedItem>> &items, QString *error) const
{
    if (m_protectDamaged) {
        if (error)
            *error = QStringLiteral("\"%1\" is damaged and could not be kept aside; it is not written over.").arg(m_path);
        return false;
    }
    if (!AppPaths::ensureFolder(QFileInfo(m_path).absolutePath())) {
        if (error)
            *error = QStringLiteral("The folder of \"%1\" cannot be made.").arg(m_path);
        return false;
    }
    SafeSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(archive(items)) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
