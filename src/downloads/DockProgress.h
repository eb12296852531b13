#pragma once

#include <QList>

// The overall progress the taskbar entry shows, computed over every task of the running list.
namespace DockProgress {

struct TaskState
{
    int status = 0;
    qint64 downloadedSize = 0;
    qint64 mediaSize = 0;
};

struct Summary
{
    double progress = 0.0; // 0.0 - 1.0
    int count = 0;         // the number shown beside the ring; 0 hides it
    int failedCount = 0;   // shown as badge when nothing is active
    int activeCount = 0;
    bool operator==(const Summary &) const = default;
};

// Tasks queued, sniffing, cancelled, downloading or paused are active and add their part done;
// failed tasks are counted apart. A task of unknown size counts as not started.
Summary summarize(const QList<TaskState> &tasks);

} // namespace DockProgress
