#pragma once

#include <QString>

// The user's Trash (the freedesktop home trash). Needs no desktop session, so helpers and core
// libraries may move files there.
class Trash
{
public:
    // A failed move is reported and the file is left where it was.
    static bool moveToTrash(const QString &path, QString *trashedPath = nullptr, QString *error = nullptr);
};
