#pragma once

#include "downloads/DownloadedItemObserver.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

// Frees the output name reserved for an item's conversion (OneModeOutputNames) when its job
// ends, however it ends: finished, failed, or stopped. Add it to the item's observers after
// watch(). `ended` hears the item and its final state once the name is free.
class OutputNameWatcher : public DownloadedItemObserver
{
public:
    using Ended = std::function<void(DownloadedItem &item, quint32 taskStatus)>;
    explicit OutputNameWatcher(Ended ended = {});

    void watch(const std::shared_ptr<DownloadedItem> &item, const QString &reservedTarget);
    // Frees every name still held (the owner goes away).
    void releaseAll();
    bool isWatching(const DownloadedItem &item) const { return m_targets.contains(&item); }

    void taskDidChangeState(DownloadedItem &item) override;

private:
    Ended m_ended;
    QHash<const DownloadedItem *, QString> m_targets;
};
