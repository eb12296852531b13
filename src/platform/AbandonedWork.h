#pragma once

#include "platform/FileLock.h"

#include <QString>

// Work that this user's earlier runs left behind when they were killed: sockets nothing listens
// on any more, and work folders no live process holds. A work folder is held by an flock on its
// HeldFileName file for as long as its owner lives; the kernel drops the lock with the process,
// so a killed owner's folder is seen as abandoned at once. Only entries owned by this user, of
// the expected kind and not links are ever touched; another user's entries and live ones stay.
// QtCore only.
class AbandonedWork
{
public:
    static constexpr const char *HeldFileName = ".held";
    // A folder without the held file (made by an older build, or its owner killed before it
    // could mark it) counts as abandoned once it is older than this.
    static constexpr int UnheldAgeSeconds = 24 * 3600;

    // Marks folder as in use for the life of the returned lock (not locked on failure, with
    // *error set).
    static FileLock hold(const QString &folder, QString *error = nullptr);

    // Removes the sockets directly in folder that belong to this user and that nothing listens
    // on; the number removed.
    static int sweepSockets(const QString &folder);

    // Removes the folders parent/prefix* of this user that no live process holds, with
    // everything in them (links are removed, never followed); the number removed.
    static int sweepFolders(const QString &parent, const QString &prefix);
};
