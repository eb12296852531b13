#include "downloads/DockProgress.h"

namespace DockProgress {

Summary summarize(const QList<TaskState> &tasks)
{
    Summary s;
    if (tasks.isEmpty())
        return s;
    double sum = 0.0;
    for (const TaskState &t : tasks) {
        switch (t.status) {
        case 0:
        case 1:
        case 2:
        case 5:
        case 6:
            // A size not known yet (0) must not turn the sum into NaN or infinity.
            if (t.mediaSize > 0)
                sum += qBound(0.0, double(t.downloadedSize) / double(t.mediaSize), 1.0);
            ++s.activeCount;
            break;
        case 3:
        case 7:
            ++s.failedCount;
            break;
        default:
            break;
        }
    }
    if (s.activeCount > 0) {
        s.progress = sum / s.activeCount;
        s.count = int(tasks.size());
    }
    return s;
}

} // namespace DockProgress
