// Second process of the archive test: reads a task archive from a file, writes the archive of
// what it read to another file and prints the task's fields.
//   reelgrab_task_roundtrip <in> <out>
#include "TaskDump.h"
#include "reelgrab/Func.h"
#include "reelgrab/QVReelgrabTask.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

static void quietLogD(int, const char *, ...) {}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    fLogDFunc = quietLogD;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <archive in> <archive out>\n", argv[0]);
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    QString error;
    const std::unique_ptr<QVReelgrabTask> task = QVReelgrabTask::taskWithArchive(in.readAll(), &error);
    if (!task) {
        std::fprintf(stderr, "not a task archive: %s\n", qPrintable(error));
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(task->archivedData()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 2;
    }
    const QByteArray dump = dumpTask(*task).toUtf8();
    std::fwrite(dump.constData(), 1, size_t(dump.size()), stdout);
    return 0;
}
