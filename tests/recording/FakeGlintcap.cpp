// A stand-in for the capture tool in the region recorder's tests: it speaks the tool's protocol,
// writes each message it hears to FAKE_GLINTCAP_LOG and, instead of recording, writes a few
// bytes into the output file when stopped. FAKE_GLINTCAP_MODE: "hang" ignores the stop, "die"
// ends with a failure at the start, "mute" never announces itself, "slow" never reports a
// written frame.
#include "platform/KeyedArchiver.h"
#include "platform/NamedConnection.h"
#include "tools/capvane/GlintcapProtocol.h"

#include <QCoreApplication>
#include <QFile>

using namespace GlintcapProtocol;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return Usage;
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode = qgetenv("FAKE_GLINTCAP_MODE");
    QFile log(qEnvironmentVariable("FAKE_GLINTCAP_LOG"));
    if (!log.fileName().isEmpty())
        log.open(QIODevice::Append);
    auto controller = NamedConnection::connectTo(name);
    if (!controller)
        return Failed;
    QString output;
    bool started = false;
    auto root = NamedConnection::publish(toolRootName(name), [&](const QString &message, const QByteArray &object) {
        log.write(message.toUtf8() + '\n');
        log.flush();
        if (message == QLatin1String(SetOutputFile))
            output = KeyedUnarchiver::rootString(object);
        if (message == QLatin1String(StartCapture)) {
            started = true;
            if (mode == "die") {
                std::fprintf(stderr, "Glintcap: the screen went away\n");
                QCoreApplication::exit(Failed);
                return;
            }
            // The first frame is written at once.
            if (mode != "slow")
                controller->sendMessage(QLatin1String(ScreenRecorderCtrDidCapture), {});
        }
        if (message == QLatin1String(StopCapture) && mode != "hang") {
            if (!started) {
                QCoreApplication::exit(NothingRecorded);
                return;
            }
            QFile f(output);
            f.open(QIODevice::WriteOnly);
            f.write("a finished take");
            QCoreApplication::exit(Recorded);
        }
    });
    if (!root)
        return Failed;
    QObject::connect(controller.get(), &NamedConnection::connectionDidDie, &app, [] { QCoreApplication::exit(NothingRecorded); });
    if (mode != "mute")
        controller->sendMessage(QLatin1String(ScreenRecorderCtrDidStart), KeyedArchiver::archivedRootString(toolRootName(name)));
    return app.exec();
}
