#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

// Helpers shared by the whole application: texts of sizes, speeds and times, file-name
// cleaning, entity and percent decoding, the final address of a page and the failed-download
// log. Headless; colours and default pictures are GolobFunDesktop's. No instances.
class GolobFun
{
public:
    // Longest file name the file systems take, in UTF-8 bytes, and what is kept of a longer one
    // (room for a "(n)" suffix and an extension).
    static constexpr int MaxFileNameBytes = 255;
    static constexpr int KeptFileNameBytes = 249;

    // A name safe to use as one path component: the nine characters * | : " < > ? \ / become
    // "_", control characters are dropped, a name of 255 UTF-8 bytes or more keeps its first
    // 249 bytes (never cutting a character), and "", "." and ".." never come back.
    static QString validFileName(const QString &name);

    static QString speed(qint64 bytesPerSecond);
    static QString convertSizeToString(qint64 bytes);
    static QString ConvertTimeToString(qint64 seconds);
    static QString convertTimeToHMSPro(double seconds);
    static qint64 convertStringToTime(const QString &hms);
    // Monotonic milliseconds; spaces repeated user actions. Never wraps in practice.
    static quint64 timeGetTime();

    // Decodes the listed upper-case escapes ("%20", "%2F", ...) in one pass: "%2520" gives "%20".
    static QString replacePercentString(const QString &text);
    // Decodes HTML entities in one pass; text holding neither "&" nor ";" comes back unchanged.
    static QString convertHtml(const QString &text);
    static bool isYouTubeURL(const QString &text);

    static QString windowTitle();

    // The program runs only on systems newer than all of these releases.
    static bool isOSOfSnowLeopard();
    static bool isOSOfLion();
    static bool isOSOfMountainLion();
    static bool isMavericksOS();

    // What a failed address lookup hands to the callback; callers compare against it.
    static constexpr const char *ResponseErrorText = "___RError____RError__RError";
    // result: the address after redirects, or ResponseErrorText; error: empty on success, else
    // why it failed.
    using ResponseCallback = std::function<void(const QString &result, const QString &error)>;
    // Follows the address's redirects with a GET (30 s time-out, one retry when the answer is
    // not 200) and calls back exactly once, on the main thread, also for an address that is not
    // a usable http(s) address. Only the headers are read.
    static void cbsResponstString(const QString &address, ResponseCallback callback);

    // Failed-download log (the last six failures, with the engine log of each).
    static void addDowbloadFailedLog(const QString &logName, const QString &url);
    static QVariantMap createDowbloadFailedInfo(const QString &logName, const QString &url);
    static QString getLastFailedURLS();

    // Registered defaults and the one-time preference import (GolobFunDefaults.cpp).
    // The factory values, rebuilt on every call. Stored texts are neutral codes ("Date",
    // "Descending", "480P"); pages translate them only for display.
    static QVariantMap defaultValues();
    // Carries settings over from the two older sibling products once (see AppDelegate).
    static void importPlist();
    // The accepted keys of an older product's preferences; a newer key always wins over the
    // old name of the same setting.
    static QVariantMap validatedPlistDictionary(const QVariantMap &source);
    // Where the older products kept their preferences (in the user's configuration folder).
    static QString olderDownloaderPreferencesPath();
    static QString olderStudioPreferencesPath();
    // "custom.plist": installation values, kept in the user's configuration folder and
    // written atomically.
    static QString customPlistPath();
    static QVariant infoValueForKey(const QString &key);
    static bool setInfoValue(const QVariant &value, const QString &key);
    static void removeCustomPlist();
};
