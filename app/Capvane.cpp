// Capvane: the screen recorder the application starts for each recording. Its one argument is
// the address of the application's endpoint; it records the screen (and the system sound) with
// ffmpeg and reports the finished file there.
#include "tools/capvane/CapvaneRecorder.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Capvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() != 2 || args.at(1).isEmpty() || args.at(1).startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: Capvane <endpoint address>\n"
                             "The application starts Capvane with the address of its endpoint; it takes exactly one argument.\n");
        return 2;
    }
    CapvaneRecorder recorder(args.at(1));
    QObject::connect(&recorder, &CapvaneRecorder::finished, &app, [](int code) { QCoreApplication::exit(code); });
    recorder.run();
    return app.exec();
}
