#pragma once

#include <QString>
#include <QVariantMap>

// "VideoInfos.plist" in the private cache folder: the options dialog's quick-sniff results by page
// address. An entry, once stored, is never replaced. Reads are defensive (a broken file or a
// malformed entry reads as no entry) and writes replace the file atomically; one process-wide
// lock guards both.
class VideoInfosCache
{
public:
    // path empty: the default file.
    explicit VideoInfosCache(const QString &path = QString());

    static QString defaultPath();
    QString path() const { return m_path; }
    // Caching is on unless the Info.plist key "IsCacheSnifferVideoInfo" is present and false.
    static bool isEnabled();

    // The checked entry of the address, or an empty map.
    QVariantMap entryForURL(const QString &url) const;
    // Adds the entry unless the address has one; false when nothing was written.
    bool storeEntry(const QString &url, const QVariantMap &entry);

    // Keeps only well-formed values: resolution keys ("%d", 1 to 6 digits) with a format number,
    // the title, subtitle codes and duration. Empty when no title or no resolution survives.
    static QVariantMap sanitizedEntry(const QVariantMap &entry);

    static constexpr const char *TitleKey = "MediaURLMediaTitle";
    static constexpr const char *SubtitleCodesKey = "MediaURLSubtitleCodes";
    static constexpr const char *DurationKey = "MediaURLMediaDuration";

private:
    QVariantMap readAll() const;
    QString m_path;
};
