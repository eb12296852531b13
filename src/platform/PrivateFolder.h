#pragma once

#include <QString>

// Folders only this user can enter, for work, list, cache and socket files. Every folder is
// made and checked through descriptors (owned by us, a directory, not a link, mode 0700), so a
// name another local user planted is refused rather than followed. QtCore only.
class PrivateFolder
{
public:
    // "$XDG_RUNTIME_DIR/fennixpro" when the runtime folder is ours and 0700; without one,
    // "$XDG_CACHE_HOME/fennixpro/run" (never a name in the shared /tmp another user could take).
    // Empty with *error set when no private folder can be had.
    static QString runtimeRoot(QString *error = nullptr);
    // "$XDG_CACHE_HOME/fennixpro" (default ~/.cache/fennixpro): large work files survive a log-out.
    static QString cacheRoot(QString *error = nullptr);
    // The folder `relative` ("a/b") under cacheRoot(), every level made and checked.
    static QString cache(const QString &relative, QString *error = nullptr);

    // Makes `relative` below the existing folder `base` one level at a time; each level is
    // created 0700 and checked (a loosened mode of our own folder is tightened). `base` itself
    // must be ours and writable by nobody else. Returns the full path, or empty with *error.
    static QString ensure(const QString &base, const QString &relative, QString *error = nullptr);

    // Removes `path` and everything below it without following any link: a link is removed as
    // a link, never entered. Refuses unless `path` lies strictly below `root`. True when nothing
    // is left at `path` afterwards.
    static bool removeTree(const QString &root, const QString &path, QString *error = nullptr);
    // Removes the single file or link `path` below `root` (never its target).
    static bool removeFile(const QString &root, const QString &path, QString *error = nullptr);

    // True when `path` is below `root` after normalising both (no "..", no link resolution).
    static bool isBelow(const QString &root, const QString &path);
};
