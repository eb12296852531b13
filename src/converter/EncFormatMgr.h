#pragma once

#include "converter/FormatItem.h"

#include <QDomElement>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>

// The output-format preset catalogue: built-in presets from the application's "Format.std"
// and the user's own from "CustomFormat.pro", looked up by identifier, title and position.
class EncFormatMgr
{
public:
    using Item = std::shared_ptr<FormatItem>;

    // Empty catalogue: no presets, default identifier -1, no user file.
    EncFormatMgr() = default;
    // Null when the built-in file cannot be read (or a path is missing).
    static std::unique_ptr<EncFormatMgr> initWithFile(const QString &formatFile, const QString &customFormatFile);

    QList<QVariantMap> formatCategorys() const { return m_categoryList; }
    QList<Item> formatItems() const { return m_formatList; }
    int categotyCount() const { return int(m_categoryList.size()); }
    int formatCount() const { return int(m_formatList.size()); }

    Item formatItemAtIndex(int index) const;
    Item formatItemForID(int id) const;
    Item formatItemForTitle(const QString &title) const;
    Item defaultMp3Format() const;
    Item defaultMp4Format() const;
    Item defaultFormatItem() const;
    Item defaultAudioFormat() const;

    void deleteFormatForID(int id);
    // Removes a user preset from the list and from the user file; false when there is no
    // such user preset or the file could not be written.
    bool deleteCustomFormatWithId(int id);
    int getUnUsedFormatIDStartWith(int n) const;
    // The preset's own element, read again from its file; null when none or unreadable.
    QDomElement getFormatElement(const FormatItem &item) const;

    QString formatFile() const { return m_strFormatFile; }
    QString customFormatFile() const { return m_strCustomFormatFile; }
    // Why the user file was not read whole (empty when it was, or when there is none).
    QString customFormatError() const { return m_customError; }

private:
    bool readPresetFile(const QString &path, bool custom);
    bool idInUse(int id) const;

    QString m_strFormatFile;
    QList<Item> m_formatList;
    QList<QVariantMap> m_categoryList;
    int m_iDefaultFormatId = -1;
    int m_iDefaultAudioFormatId = -1;
    QString m_strCustomFormatFile;
    QString m_customError;
};
