#pragma once

#include <QSizeF>
#include <QString>

class EncFormatMgr;

// Output file names of every conversion of this process (the library's download-then-convert
// beside the source, the Convert page in its "convertedPath" folder):
// "base_TITLE.ext" for audio presets, "base_WxH_TITLE.ext" otherwise, with "(n)" after the
// base (or the size) while a name is taken. A name counts as taken when a file is there or
// another conversion of this process has chosen it already: names are reserved when chosen
// and released when their conversion ends, so two sources with the same base name never
// write to the same output.
class OneModeOutputNames
{
public:
    // The catalogue presets are looked up in; the global one unless set.
    explicit OneModeOutputNames(const EncFormatMgr *catalogue = nullptr);

    // The reserved output path in `folder` (empty: the source's folder), or empty for an empty
    // source or a folder that cannot be made. Creates the folder with its parents when it is
    // missing; nothing else is made on disk.
    QString targetFilePathWith(const QString &sourcePath, const QSizeF &size, int formatID,
                               const QString &folder = QString());

    // Process-wide reservations.
    static bool isReserved(const QString &path);
    static void release(const QString &path);

    // A preset title as it may stand in a file name: path separators and the other
    // characters a library name refuses become "-", and it never names a folder.
    static QString safeTitle(const QString &title);

private:
    const EncFormatMgr *m_catalogue;
};
