#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class FileInfoItem;
class QVHPHelper;

// Statistics of a finished item by length, size, format and resolution ("Id_Vid_*"), with the
// buckets read from the application's resources "CBSHelper_TimeLength" (minutes),
// "CBSHeiper_VideoSize" (megabytes) and "CBSHelper_VideoResolution" (key per resolution).
// Values not known yet (0 length, 0 size, 0 lines) are not counted: they would land in the
// "more than" buckets and count every unread file as long and large.
class LibraryItemStatistics
{
public:
    struct Count
    {
        QString group;
        QString key;
        bool autoCreated = true;  // false: a group the statistics client knows beforehand
        bool operator==(const Count &) const = default;
    };

    // The tables from the application's resources (empty when one is missing or damaged).
    LibraryItemStatistics();
    LibraryItemStatistics(const QVariantList &lengthMinutes, const QVariantList &sizeMegabytes, const QVariantMap &resolutionKeys);

    QList<Count> countsFor(const FileInfoItem &item) const;
    // Counts the item with the client.
    void collect(const FileInfoItem &item, QVHPHelper &helper) const;

    QString lengthKey(qint64 seconds) const;
    QString sizeKey(qint64 bytes) const;
    static QString formatKey(const QString &suffix);
    QString resolutionKey(int lines) const;

private:
    QVariantList m_length;
    QVariantList m_size;
    QVariantMap m_resolution;
};
