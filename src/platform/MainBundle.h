#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The program's own resources: the Info.plist dictionary compiled in from resources/Info.plist,
// resource files and localised texts (English text as the source).
class MainBundle
{
public:
    static QVariantMap infoDictionary();
    static QVariant infoValue(const QString &key);
    static QString infoString(const QString &key);
    // ":/name.type" when compiled in, else a file of that name in the resources folder next to
    // the program; empty when there is none.
    static QString pathForResource(const QString &name, const QString &type);
    static QString resourcesFolder();
    static QString localizedString(const char *english);
    static QString localizedString(const QString &english);
    // A text of a named string table (":/strings/<table>.plist", keys that are not English
    // texts); the key itself when the table has no entry.
    static QString localizedString(const QString &key, const QString &table);
    // Every key that some string table turns into a text: shown as such, it is a missing lookup.
    static QStringList stringTableKeys();
    // Replaces the Info.plist dictionary (tests and tools without the resource).
    static void setInfoDictionaryForTesting(const QVariantMap &info);
};
