// helper_bench [runs] [helper program]: time from queueing a direct media address to its first progress report
// (a real helper and engine against a loopback server), with the helper launched for the task
// and with a spare helper already waiting, and the round trip of one message over
// each connection road. Prints medians. A second helper program (say, an earlier build with its
// engine library in ../lib) can be given to compare runs on the same machine.
#include "EventWait.h"
#include "LoopbackServer.h"
#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"
#include "reelgrab/QVXConnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct FirstProgress : QVReelgrabTaskDispatcherDelegate, QVReelgrabTaskObserver
{
    QElapsedTimer clock;
    qint64 firstProgressMs = -1;
    bool finished = false;
    void reelgrabTaskDidAdded(QVReelgrabTask *t) override { t->addObserver(this); }
    void reelgrabDownloadingWithSpeed(QVReelgrabTask *, qint64) override
    {
        if (firstProgressMs < 0)
            firstProgressMs = clock.elapsed();
    }
    void reelgrabTaskDidFinished(QVReelgrabTask *) override { finished = true; }
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Echo : QVRemoteMessageTarget
{
    int received = 0;
    void sendMessage(const QString &, const QByteArray &) override { ++received; }
};

double roundTripMs(bool sockets, int rounds)
{
    if (sockets)
        qputenv("APP_SANDBOX_CONTAINER_ID", "bench");
    else
        qunsetenv("APP_SANDBOX_CONTAINER_ID");
    Echo taskSide, helperSide;
    QVXConnection task, helper;
    helper.setTerminateHandler([](int) {});
    const QString name = task.registeRootObject(&taskSide, QStringLiteral("RGK-bench-%1").arg(sockets));
    helper.initWithClientName(name);
    const QString service = helper.registeRootObject(&helperSide, name + QStringLiteral("-s"));
    auto proxy = task.rootObjectNamed(service);
    helper.sendMessage(QStringLiteral("warm"), {});
    EventWait::until([&] { return taskSide.received > 0; }, 5000);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        const int before = taskSide.received;
        proxy->sendMessage(QStringLiteral("ping"), QByteArray(200, 'p'));
        EventWait::until([&] { return helperSide.received > i; }, 5000);
        helper.sendMessage(QStringLiteral("pong"), QByteArray(200, 'q'));
        EventWait::until([&] { return taskSide.received > before; }, 5000);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/share")).toLocal8Bit());
    QVReelgrabTask::setHelperExecutable(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(REELGRAB_PROGRAM));

    LoopbackServer server;
    LoopbackServer::Resource r;
    r.body = std::string(4 * 1024 * 1024, 'm');
    r.contentType = "video/mp4";
    server.add("/media.mp4", r);

    // Cold: the task launches its helper. Warm: the queue has had a moment to start a spare
    // helper, as it has in the running application.
    auto startToFirstProgress = [&](bool spare) {
        std::vector<double> starts;
        for (int i = 0; i < runs; ++i) {
            FirstProgress watch;
            QVReelgrabTaskDispatcher d({});
            d.setDelegate(&watch);
            const QString folder = home.path() + QStringLiteral("/dl%1-%2").arg(spare).arg(i);
            QDir().mkpath(folder);
            d.setObjectForPreferenceKey(folder, QStringLiteral("download-directory"));
            d.setObjectForPreferenceKey(spare, QStringLiteral("download-spare-helper"));
            if (spare && !EventWait::until([&] { return d.hasReadySpareHelper(); }, 30000))
                continue;
            if (spare)
                EventWait::pause(300); // announced; let it finish settling in
            watch.clock.start();
            d.addReelgrabTask(QString::fromStdString(server.url("/media.mp4")) + QStringLiteral("?run=%1-%2").arg(spare).arg(i), {});
            if (EventWait::until([&] { return watch.firstProgressMs >= 0; }, 30000))
                starts.push_back(double(watch.firstProgressMs));
            EventWait::until([&] { return watch.finished; }, 30000);
            d.cancelAllTasks();
        }
        return starts;
    };
    const auto cold = startToFirstProgress(false);
    std::printf("queued to first progress, helper launched for the task: median %.1f ms over %zu runs (target <= 50 ms)\n",
                median(cold), cold.size());
    const auto warm = startToFirstProgress(true);
    std::printf("queued to first progress, spare helper taken: median %.1f ms over %zu runs (target <= 10 ms)\n",
                median(warm), warm.size());
    std::printf("message round trip, named connections: median %.3f ms\n", roundTripMs(false, 200));
    std::printf("message round trip, socket transport: median %.3f ms\n", roundTripMs(true, 200));
    return 0;
}
