// sniff_bench [runs]: how soon a queued page is answered by a real helper against a loopback
// server: a page without any media must fail within 15 s of being queued (the page is read,
// then loaded until it has gone quiet), and a page whose player adds its video late must still
// be found. Prints medians and the target; waits on events, never spins.
#include "LoopbackServer.h"
#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Outcome : QVReelgrabTaskDispatcherDelegate, QVReelgrabTaskObserver
{
    QElapsedTimer clock;
    qint64 answeredMs = -1;
    bool found = false;
    QString reason;
    QEventLoop *loop = nullptr;

    void reelgrabTaskDidAdded(QVReelgrabTask *t) override { t->addObserver(this); }
    void answered(bool media, const QString &why)
    {
        if (answeredMs >= 0)
            return;
        answeredMs = clock.elapsed();
        found = media;
        reason = why;
        if (loop)
            loop->quit();
    }
    void reelgrabSniffingDidCompleted(QVReelgrabTask *) override { answered(true, {}); }
    void reelgrabSniffingDidFailed(QVReelgrabTask *, const QVReelgrabError &e) override { answered(false, e.reason()); }
    void reelgrabDownloadDidStarted(QVReelgrabTask *) override { answered(true, {}); }
};

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/share")).toLocal8Bit());
    QVReelgrabTask::setHelperExecutable(QStringLiteral(REELGRAB_PROGRAM));

    LoopbackServer server;
    LoopbackServer::Resource empty;
    empty.contentType = "text/html";
    empty.body = "<html><head><title>Nothing here</title><script src='/app.js'></script></head><body><p>text</p></body></html>";
    server.add("/empty.html", empty);
    LoopbackServer::Resource script;
    script.contentType = "application/javascript";
    script.body = "document.title = 'Still nothing';";
    server.add("/app.js", script);
    LoopbackServer::Resource video;
    video.contentType = "video/webm";
    video.body = std::string(2 * 1024 * 1024, 'v');
    server.add("/late/clip.webm", video);
    LoopbackServer::Resource late;
    late.contentType = "text/html";
    late.body = "<html><head><title>Late</title></head><body><script>setTimeout(function(){var v=document.createElement('video');"
                "v.muted=true;v.src='/la'+'te/clip.we'+'bm';document.body.appendChild(v);v.play();},500);</script></body></html>";
    server.add("/late.html", late);

    auto measure = [&](const char *path, bool expectMedia) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            Outcome watch;
            QVReelgrabTaskDispatcher d({});
            d.setDelegate(&watch);
            const QString folder = home.path() + QStringLiteral("/dl-%1").arg(i);
            QDir().mkpath(folder);
            d.setObjectForPreferenceKey(folder, QStringLiteral("download-directory"));
            QEventLoop loop;
            watch.loop = &loop;
            QTimer::singleShot(120000, &loop, &QEventLoop::quit);
            watch.clock.start();
            d.addReelgrabTask(QString::fromStdString(server.url(path)) + QStringLiteral("?run=%1").arg(i), {});
            loop.exec();
            if (watch.answeredMs >= 0 && watch.found == expectMedia)
                times.push_back(watch.answeredMs / 1000.0);
            else
                std::printf("  run %d of %s: %s\n", i, path,
                            watch.answeredMs < 0 ? "no answer within 120 s" : watch.reason.toLocal8Bit().constData());
            d.cancelAllTasks();
        }
        return times;
    };
    const auto none = measure("/empty.html", false);
    const double noneMedian = median(none);
    std::printf("page without media, queued to failure: median %.2f s over %zu runs (target < 15 s): %s\n", noneMedian,
                none.size(), !none.empty() && *std::max_element(none.begin(), none.end()) < 15.0 ? "met" : "NOT met");
    const auto found = measure("/late.html", true);
    std::printf("page whose player adds its video late, queued to found: median %.2f s over %zu runs\n", median(found),
                found.size());
    return 0;
}
