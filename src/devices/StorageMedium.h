#pragma once

#include <QString>

// One storage of a device: built-in memory, the card (the user-visible built-in storage on
// Android) or a removable card.
struct StorageMedium
{
    qint64 total = 0;  // bytes
    qint64 used = 0;   // bytes
    QString StoreMediumrootPath;  // root on the device; empty when unknown
    bool canWrite = true;

    qint64 freeBytes() const { return total - used; }
};
