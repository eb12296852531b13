// Time from REC to the first frame written by the recorder's capture (what starts the take's
// clock), with and without sound, on a private 1280×720 X server and a private sound server.
// Each run records one second and is thrown away. Prints the first run and the median, best
// and worst of all.
#include "tools/capvane/ScreenCapture.h"

#include "EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Servers
{
    QTemporaryDir dir;
    QProcess x;
    QProcess sound;
    QString display;
    QString soundServer;

    Servers()
    {
        x.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                         QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x720x24")});
        QByteArray out;
        EventWait::until([&] {
            out += x.readAllStandardOutput();
            return out.contains('\n') || x.state() == QProcess::NotRunning;
        },
                         15000);
        if (!out.trimmed().isEmpty())
            display = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
            return;
        QFile script(dir.filePath(QStringLiteral("server.pa")));
        script.open(QIODevice::WriteOnly);
        script.write("load-module module-null-sink sink_name=speakers\n");
        script.write(QStringLiteral("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n")
                         .arg(dir.filePath(QStringLiteral("native")))
                         .toLocal8Bit());
        script.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        sound.setProcessEnvironment(env);
        sound.start(QStringLiteral("pulseaudio"), {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                                                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                                                   QStringLiteral("-F"), script.fileName()});
        if (EventWait::until([&] { return QFile::exists(dir.filePath(QStringLiteral("native"))); }, 10000))
            soundServer = QStringLiteral("unix:") + dir.filePath(QStringLiteral("native"));
    }
    ~Servers()
    {
        for (QProcess *p : {&sound, &x}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }
};

void measure(const Servers &servers, bool withSound, int runs)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        ScreenCapture capture;
        ScreenCapture::Options o;
        o.display = servers.display;
        o.screenSize = QSize(1280, 720);
        o.outputPath = servers.dir.filePath(QStringLiteral("take-%1.mp4").arg(i));
        if (withSound)
            o.audioSource = QStringLiteral("speakers.monitor");
        bool started = false, finished = false;
        QObject::connect(&capture, &ScreenCapture::started, [&] { started = true; });
        QObject::connect(&capture, &ScreenCapture::finished, [&] { finished = true; });
        QElapsedTimer rec;
        rec.start();
        QString error;
        if (!capture.start(o, &error)) {
            std::printf("cannot start: %s\n", qPrintable(error));
            return;
        }
        if (!EventWait::until([&] { return started || finished; }, 30000) || !started) {
            std::printf("no first frame\n");
            return;
        }
        ms << double(rec.elapsed());
        EventWait::pause(1000);
        capture.stop();
        EventWait::until([&] { return finished; }, 30000);
        QFile::remove(o.outputPath);
    }
    const double first = ms.first();
    std::sort(ms.begin(), ms.end());
    std::printf("REC to first frame, %s: first %.0f ms, median %.0f ms, best %.0f ms, worst %.0f ms (%d runs)\n",
                withSound ? "with sound" : "picture only", first, ms[ms.size() / 2], ms.first(), ms.last(), int(ms.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    Servers servers;
    if (servers.display.isEmpty()) {
        std::printf("no Xvfb\n");
        return 1;
    }
    qputenv("PULSE_SERVER", servers.soundServer.toLocal8Bit());
    measure(servers, false, runs);
    if (servers.soundServer.isEmpty())
        std::printf("no pulseaudio: sound not measured\n");
    else
        measure(servers, true, runs);
    return 0;
}
