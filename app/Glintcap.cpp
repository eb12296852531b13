// Glintcap: the capture tool of the region recorder. Its one argument is the name the recorder
// published; it records the rectangle it is given with ffmpeg and ends when the take is saved.
#include "recording/RecordingFiles.h"
#include "tools/capvane/GlintcapProtocol.h"
#include "tools/capvane/GlintcapRecorder.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: Glintcap <connection name>\n"
                             "The region recorder starts Glintcap with the name it published; it takes exactly one argument.\n");
        return GlintcapProtocol::Usage;
    }
    // Checked before the window system is opened: without an X display there is nothing to grab.
    const QString unavailable = RecordingFiles::screenCaptureUnavailableReason();
    if (!unavailable.isEmpty()) {
        std::fprintf(stderr, "Glintcap: %s\n", qPrintable(unavailable));
        return GlintcapProtocol::Failed;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Glintcap"));
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "Glintcap: no screen to record\n");
        return GlintcapProtocol::Failed;
    }
    GlintcapRecorder::Screen info;
    info.display = qEnvironmentVariable("DISPLAY");
    info.scale = screen->devicePixelRatio();
    const QRect g = screen->geometry();
    info.pixels = QRect(qRound(g.x() * info.scale), qRound(g.y() * info.scale), qRound(g.width() * info.scale),
                        qRound(g.height() * info.scale));
    GlintcapRecorder recorder(QString::fromLocal8Bit(argv[1]), info);
    QObject::connect(&recorder, &GlintcapRecorder::finished, &app, [](int code) { QCoreApplication::exit(code); });
    QString error;
    if (!recorder.start(&error)) {
        std::fprintf(stderr, "Glintcap: %s\n", qPrintable(error));
        return GlintcapProtocol::Failed;
    }
    return app.exec();
}
