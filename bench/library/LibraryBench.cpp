// Loads a library of 100,000 finished items the way the library page does at start-up and
// compares it with the sqlite3 command-line shell reading the same rows. The load goal is
// under one second; the program exits 1 when it misses it.

#include "BenchHome.h"

#include "downloads/DataBaseManager.h"
#include "downloads/DownloadedItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr qint64 LoadGoalMs = 1000;

std::shared_ptr<DownloadedItem> sampleItem(int i)
{
    auto item = std::make_shared<DownloadedItem>();
    const QString name = QStringLiteral("Some video title number %1 - \"quoted\" ü").arg(i);
    item->setFilePath(QStringLiteral("/home/user/Videos/iQuenmark Orrisca Studio Videos/%1.mp4").arg(name));
    item->setPageURL(QStringLiteral("https://www.example.com/watch?v=%1&list=PL%2").arg(i).arg(i / 20));
    item->setThumbnailPath(QStringLiteral("/home/user/.local/share/iQuenmark Orrisca Studio/Thumbnail/%1.jpg").arg(i));
    item->setWebIconPath(QStringLiteral("/home/user/.local/share/ReelgrabKit/FavoriteIcons/example.com.ico"));
    item->setTime(60 + i % 3600);
    item->setVideoSize(Q_INT64_C(1000000) + i * 1024);
    item->setResolution(i % 2 ? 720 : 1080);
    item->setStatus(i % 7 == 0 ? 5 : 0);
    item->setAddDate(QDateTime::currentDateTimeUtc().addSecs(-i));
    if (i % 3 == 0) {
        item->setPlaylistName(QStringLiteral("Playlist %1").arg(i / 20));
        item->setPlaylistUId(QStringLiteral("PL%1").arg(i / 20));
        item->setPlaylistIndex(i % 20);
    }
    return item;
}

double best(const QList<double> &runs)
{
    return *std::min_element(runs.begin(), runs.end());
}

} // namespace

int main(int argc, char **argv)
{
    // Logs and settings of this run stay in a private home.
    QTemporaryDir home;
    BenchHome::use(home.path());
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QString folder = home.path() + QStringLiteral("/library");

    QElapsedTimer timer;
    {
        DataBaseManager db(folder);
        db.loadDataBase();
        timer.start();
        for (int i = 0; i < count; ++i) {
            auto item = sampleItem(i);
            if (db.insertDownloadedItem(*item) < 0) {
                std::fprintf(stderr, "insert %d failed\n", i);
                return 2;
            }
        }
        const qint64 ms = timer.elapsed();
        std::printf("insert   %7d items, one transaction each: %7lld ms (%.1f us/item)\n", count, ms,
                    ms * 1000.0 / count);
    }

    QList<double> open, load, search;
    qsizetype loaded = 0;
    for (int run = 0; run < 5; ++run) {
        DataBaseManager db(folder);
        timer.start();
        db.loadDataBase();
        open.append(timer.nsecsElapsed() / 1e6);
        timer.start();
        const auto items = db.getAllDownloadedItems();
        load.append(timer.nsecsElapsed() / 1e6);
        loaded = items ? items->size() : -1;
        timer.start();
        db.isTheFileInDataBase(QStringLiteral("/nowhere/not in the library.mp4"));
        search.append(timer.nsecsElapsed() / 1e6);
    }
    std::printf("open     (WAL set-up, quick check, migration probes): %8.1f ms\n", best(open));
    std::printf("load     %7lld items into records:                  %8.1f ms\n", qlonglong(loaded), best(load));
    std::printf("search   file path, full scan:                       %8.1f ms\n", best(search));

    // The same rows read by the sqlite3 shell, as a floor for reading them at all.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!shell.isEmpty()) {
        QList<double> runs;
        for (int run = 0; run < 3; ++run) {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            timer.start();
            process.start(shell, {folder + QStringLiteral("/Library.db"), QStringLiteral("SELECT * FROM Downloaded")});
            process.waitForFinished(-1);
            runs.append(timer.nsecsElapsed() / 1e6);
        }
        std::printf("sqlite3  shell, same rows to /dev/null:             %8.1f ms  (ratio load/shell %.2f)\n",
                    best(runs), best(load) / best(runs));
    }

    const bool met = loaded == count && best(open) + best(load) < LoadGoalMs;
    std::printf("goal     open + load under %lld ms: %s\n", LoadGoalMs, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
