#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Helpers shared by the pages: Info.plist values, free file names, texts of sizes and times and
// media extension lists. Headless; the desktop half is CommonFunDesktop. No instances.
class CommonFun
{
public:
    static QVariant mainBundleInfoForKey(const QString &key);
    // ISO 639 code of the user's language in lower case ("en"); empty when unknown.
    static QString localLanguage();

    // Uniform in [low, high) at a resolution of 1/10000; low when both are equal at that
    // resolution.
    static float randomFloatBetween(float low, float high);
    static QString samsungToSamSung(const QString &deviceName);
    static QString durationTimeToString(qint64 seconds);
    static QString convertSizeToStr(qint64 bytes);

    // The path when nothing is there, else "base(n).ext" in the same folder for the first free n
    // (a trailing "(digits)" of the name is replaced, not stacked). Only a look: a caller that
    // creates the file should use reserveUnUsedLocalFileName so that two tasks cannot pick the
    // same name. Empty when no name is free.
    static QString getUnUsedLocalFileName(const QString &path);
    // Like getUnUsedLocalFileName, but the name is taken by creating an empty file there
    // (O_CREAT|O_EXCL); the caller then writes it. Empty with *error set when nothing could be
    // created (missing folder, no permission, every name taken).
    static QString reserveUnUsedLocalFileName(const QString &path, QString *error = nullptr);

    static QStringList convertAudioSupportTypes();
    static QStringList convertVideoSupportTypes();
    static bool isAudiofile(const QString &extension);

    // Highest n tried for "base(n).ext".
    static constexpr int MaxNameSuffix = 99999;
};
