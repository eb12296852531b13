#pragma once

#include <memory>

class DownloadedItem;

// What a finished-item row shows when its item changes; the node forwards the item's news to
// it on the main thread.
class DownloadedRowDisplay
{
public:
    virtual ~DownloadedRowDisplay() = default;

    virtual void displayViewCtroller(const std::shared_ptr<DownloadedItem> &item) = 0;
    virtual void taskProgressChanged(const std::shared_ptr<DownloadedItem> &item) = 0;
};
