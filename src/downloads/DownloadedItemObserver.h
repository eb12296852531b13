#pragma once

#include <QtGlobal>

class DownloadedItem;

// What list nodes and rows hear from a DownloadedItem. Every callback is optional: the
// defaults do nothing. Items hold observers weakly (see DownloadedItem::addDelegate), so an
// observer that has gone away is never called. Callbacks may come on any thread.
class DownloadedItemObserver
{
public:
    virtual ~DownloadedItemObserver() = default;

    virtual void taskDidChangeState(DownloadedItem &item) {}
    virtual void taskDidChangeProgress(DownloadedItem &item, qint32 percent) {}
    virtual void fileInfoItemDataChange(DownloadedItem &item) {}
};
