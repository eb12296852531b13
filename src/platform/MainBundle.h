#pragma once

#include <QString>
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
    // Replaces the Info.plist dictionary (tests and tools without the resource).
    static void setInfoDictionaryForTesting(const QVariantMap &info);
};
