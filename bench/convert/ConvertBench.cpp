// Conversion pipeline against the ffmpeg programs run directly, side by side in one run:
//  1. one conversion through a job and its tool vs the same ffmpeg command (goal: <= 1.05x);
//  2. media information of many files through one tool run vs one ffprobe per file (>= 5x);
//  3. thumbnails through the thumbnail service vs one ffmpeg per thumbnail (>= 3x).
// Exit status 1 when a goal is missed. Options: --files N (media information, default 1000),
// --thumbs N (default 100), --seconds S (conversion source length, default 60), --rounds R
// (conversions each way, default 5; the fastest of each counts, which filters out load from
// other programs). --files 0 skips parts 2 and 3.
#include "EventWait.h"
#include "converter/TBMultiMediaItem.h"
#include "converter/TBVideoConvertTask.h"
#include "downloads/TBVideoConvertTaskDelegate.h"
#include "library/ThumbnailServerWraper.h"
#include "tools/swiftcarry/FfmpegCommand.h"
#include "tools/swiftcarry/MediaFixtures.h"
#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "tools/swiftcarry/SwiftcarryToolRun.h"
#include "media/QVMediaFileInfo.h"
#include "media/VexlumeCodecs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

class Done : public TBVideoConvertTaskDelegate
{
public:
    void convertTaskDidFinished(ConvertJob &) override { finished = true; }
    bool finished = false;
};

int argValue(const QStringList &args, const char *name, int fallback)
{
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

bool report(const char *what, double ours, double theirs, double goal, bool higherIsBetter)
{
    const double ratio = higherIsBetter ? ours / theirs : ours / theirs;
    const bool ok = higherIsBetter ? ratio >= goal : ratio <= goal;
    std::printf("%-34s ours %10.3f  direct %10.3f  ratio %6.3f  goal %s%.2f  %s\n", what, ours, theirs, ratio,
                higherIsBetter ? ">=" : "<=", goal, ok ? "PASS" : "FAIL");
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // A private home: thumbnails and sockets never touch the user's folders.
    char base[] = "/tmp/convert-bench-XXXXXX";
    if (!mkdtemp(base))
        return 2;
    for (const char *var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QByteArray path = QByteArray(base) + '/' + var;
        QDir().mkpath(QString::fromLocal8Bit(path));
        QFile::setPermissions(QString::fromLocal8Bit(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(var, path);
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int fileCount = argValue(args, "--files", 1000);
    const int thumbCount = argValue(args, "--thumbs", 100);
    const int seconds = argValue(args, "--seconds", 60);
    const int rounds = std::max(1, argValue(args, "--rounds", 5));
    QTemporaryDir dir(QString::fromLatin1(base) + QStringLiteral("/work-XXXXXX"));
    bool ok = true;

    // 1. Conversion
    const QString source = MediaFixtures::makeClip(dir.path(), QStringLiteral("source.mp4"), {double(seconds), QStringLiteral("1280x720")});
    if (source.isEmpty()) {
        std::fprintf(stderr, "cannot make the source clip\n");
        return 2;
    }
    const IM_EncodeParamEx block = MediaFixtures::mp4Target(854, 480, 1000000);
    QList<double> ours, direct;
    // Alternating rounds so both sides see the same background load.
    for (int round = 0; round < rounds; ++round) {
        const QString outOurs = dir.filePath(QStringLiteral("ours%1.mp4").arg(round));
        auto job = std::make_shared<TBVideoConvertTask>();
        job->setTaskID(quint32(round + 1));
        auto src = std::make_shared<TBMultiMediaItem>();
        src->setFilePath(source);
        auto dst = std::make_shared<TBMultiMediaItem>();
        dst->setFilePath(outOurs);
        job->setSourceItem(src);
        job->setTargetItem(dst);
        job->setEncodeParams(EncodeParamData::toData(block));
        auto done = std::make_shared<Done>();
        job->setDelegate(done);
        QElapsedTimer t;
        t.start();
        job->start();
        EventWait::until([&] { return done->finished; }, 600000);
        ours << t.elapsed() / 1000.0;
        if (job->taskStatus() != ConvertJob::Finished) {
            std::fprintf(stderr, "conversion through the job failed\n");
            return 2;
        }
        job->terminate();

        QString error;
        const QStringList ffArgs = FfmpegCommand::conversionArguments(block, QVMediaFileInfo(source), source, {},
                                                                      dir.filePath(QStringLiteral("direct%1.mp4").arg(round)),
                                                                      false, &error);
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        t.restart();
        p.start(SwiftcarryProtocol::ffmpegPath(), ffArgs);
        p.waitForFinished(-1);
        direct << t.elapsed() / 1000.0;
    }
    std::printf("conversion of %d s 1280x720 to 854x480, %d rounds each; medians: ours %.3f direct %.3f\n", seconds,
                rounds, median(ours), median(direct));
    ok &= report("conversion seconds (fastest)", *std::min_element(ours.begin(), ours.end()),
                 *std::min_element(direct.begin(), direct.end()), 1.05, false);
    if (fileCount <= 0) {
        QDir(QString::fromLatin1(base)).removeRecursively();
        return ok ? 0 : 1;
    }

    // 2. Media information
    QStringList distinct;
    for (int i = 0; i < 5; ++i)
        distinct << MediaFixtures::makeClip(dir.path(), QStringLiteral("info%1.mp4").arg(i), {1.0 + i * 0.5, QStringLiteral("160x120")});
    QDir().mkpath(dir.filePath(QStringLiteral("many")));
    QStringList files;
    for (int i = 0; i < fileCount; ++i) {
        const QString link = dir.filePath(QStringLiteral("many/file %1.mp4").arg(i));
        if (::link(QFile::encodeName(distinct[i % distinct.size()]).constData(), QFile::encodeName(link).constData()) != 0)
            QFile::copy(distinct[i % distinct.size()], link);
        files << link;
    }
    int reports = 0;
    bool ended = false;
    SwiftcarryToolRun run;
    QObject::connect(&run, &SwiftcarryToolRun::messageReceived, [&](const QString &m, const QByteArray &) {
        if (m == QLatin1String(SwiftcarryProtocol::MediaInfoDidLoad))
            ++reports;
    });
    QObject::connect(&run, &SwiftcarryToolRun::toolEnded, [&](bool, int) { ended = true; });
    QElapsedTimer t;
    t.start();
    run.publish(SwiftcarryProtocol::uniqueConnectionName(SwiftcarryProtocol::MediaInfoService));
    run.launch(files);
    EventWait::until([&] { return reports == fileCount; }, 600000);
    const double oursPerFile = t.elapsed() / 1000.0 / fileCount;
    EventWait::until([&] { return ended; }, 10000);
    const int probeCount = std::min(fileCount, 200);
    t.restart();
    for (int i = 0; i < probeCount; ++i) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("ffprobe"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
                                            QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"),
                                            QStringLiteral("file:") + files[i]});
        p.waitForFinished(-1);
    }
    const double probePerFile = t.elapsed() / 1000.0 / probeCount;
    std::printf("media information: %d files through one tool, %d ffprobe runs\n", fileCount, probeCount);
    ok &= report("media info files per second", 1.0 / oursPerFile, 1.0 / probePerFile, 5.0, true);

    // 3. Thumbnails
    class Counter : public ThumbnailReceiver
    {
    public:
        void getThumbnailPath(const QString &, const QString &, qint64, int) override { ++count; }
        int count = 0;
    };
    auto counter = std::make_shared<Counter>();
    ThumbnailServerWraper service;
    service.setDownloadedDelegate(counter);
    EventWait::until([&] { return service.isLive(); }, 10000);
    const int thumbs = std::min(thumbCount, fileCount);
    t.restart();
    for (int i = 0; i < thumbs; ++i)
        service.DownloadedFileForThumbnail(files[i], i, false);
    EventWait::until([&] { return counter->count == thumbs; }, 600000);
    const double oursRate = thumbs / (t.elapsed() / 1000.0);
    const int directThumbs = std::min(thumbs, 50);
    t.restart();
    for (int i = 0; i < directThumbs; ++i) {
        const QVMediaFileInfo info(files[i]);
        QProcess p;
        p.start(SwiftcarryProtocol::ffmpegPath(),
                {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                 QStringLiteral("-ss"), QString::number(info.duration() / 10.0), QStringLiteral("-i"), QStringLiteral("file:") + files[i],
                 QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-vf"), QStringLiteral("scale=320:-2"),
                 dir.filePath(QStringLiteral("direct-thumb-%1.jpg").arg(i))});
        p.waitForFinished(-1);
    }
    const double directRate = directThumbs / (t.elapsed() / 1000.0);
    std::printf("thumbnails: %d through the service (%d answered), %d ffmpeg runs\n", thumbs, counter->count, directThumbs);
    ok &= report("thumbnails per second", oursRate, directRate, 3.0, true);
    service.terminateThumbnailProc();

    QDir(QString::fromLatin1(base)).removeRecursively();
    return ok ? 0 : 1;
}
