#pragma once

#include <QList>
#include <QString>

#include <memory>

class DownloadedItem;

// The record list between runs: "RecordData.data" in the product folder, an archive whose root
// is the array of recordings, each written with the keys of a file-information item, in list
// order. A damaged file is moved aside (never overwritten by the next save) and what could be
// read before the damage is kept. Main thread.
class RecordListStore
{
public:
    static constexpr const char *FileName = "RecordData.data";
    static constexpr const char *ItemClassName = "DownloadedItem";

    struct LoadResult
    {
        QList<std::shared_ptr<DownloadedItem>> items;
        bool damaged = false;
        QString keptAsidePath;  // where a damaged file went
        QString error;
    };

    // path empty: "<product support>/RecordData.data".
    explicit RecordListStore(const QString &path = QString());
    QString path() const { return m_path; }

    LoadResult load() const;
    // Writes atomically; the folder is made when missing.
    bool save(const QList<std::shared_ptr<DownloadedItem>> &items, QString *error = nullptr) const;

    static QByteArray archive(const QList<std::shared_ptr<DownloadedItem>> &items);
    // Reads as many whole recordings as the bytes hold; false when anything was damaged.
    static bool unarchive(const QByteArray &data, QList<std::shared_ptr<DownloadedItem>> *items, QString *error);

private:
    QString m_path;
    // A damaged file that could not be moved aside is never written over.
    mutable bool m_protectDamaged = false;
};
