// Any bytes handed to the task reader must give a task or an error, never a crash; a task that
// reads must survive its derived values and a second archive round.
#include "reelgrab/Func.h"
#include "reelgrab/QVReelgrabTask.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

static void quietLogD(int, const char *, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fLogDFunc = quietLogD; // keep the pick-out log quiet
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    std::unique_ptr<QVReelgrabTask> task = QVReelgrabTask::taskWithArchive(bytes, &error);
    if (!task)
        return 0;
    (void)task->mediaFileName();
    (void)task->mediaQuality();
    (void)task->mediaSize();
    (void)task->pageUrl();
    (void)task->userAgent();
    (void)task->pickoutSubtitle();
    (void)task->sniffingResult().description();
    // Re-running the segment choice exercises the pick-out on hostile values.
    QVMediaSniffingResult result = task->sniffingResult();
    task->setSniffingResult(result);
    const QByteArray again = task->archivedData();
    if (!QVReelgrabTask::taskWithArchive(again))
        __builtin_trap();
    return 0;
}
