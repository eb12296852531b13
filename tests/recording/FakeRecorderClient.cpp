// A stand-in for the recorder program in the server's tests. It writes its arguments to
// $FAKE_RECORDER_ARGS and behaves as $FAKE_RECORDER_MODE says:
//   report   answers liveness, saves "clip.mp4" in the folder it is told, reports it
//   symlink  reports a symbolic link in that folder instead
//   outside  reports $FAKE_RECORDER_FILE (a file elsewhere)
//   stop     reports that it stopped without a file
//   silent   connects and never answers the liveness question
//   exit     ends at once
#include "recording/ScreenRecordServer.h"

#include <QCoreApplication>
#include <QFile>

namespace {

class Client : public RmiTarget
{
public:
    Client(const QString &address, const QString &mode)
        : m_connection(address, false), m_mode(mode)
    {
        m_connection.setTargetObject(this);
        m_connection.setRemoteObjectProtocol(ScreenRecordServer::clientProtocol());
        m_connection.setBExitOnCheckFailed(true);
        m_connection.start();
        if (m_mode == QLatin1String("stop"))
            m_connection.forwardCall(QStringLiteral("screenRecordIsStopped"), {});
        if (m_mode == QLatin1String("outside"))
            report(qEnvironmentVariable("FAKE_RECORDER_FILE"));
    }

    std::optional<QString> rmiMethodSignature(const QString &selector) const override
    {
        if (const auto m = ScreenRecordServer::serverProtocol().find(selector))
            return m->argumentTypes;
        return std::nullopt;
    }

    void rmiInvoke(const QString &selector, const QVariantList &arguments) override
    {
        if (selector == QLatin1String("askClientIsAlive") && m_mode != QLatin1String("silent"))
            m_connection.forwardCall(QStringLiteral("setClientLive"), {});
        if (selector != QLatin1String("getScreenRecordOutPutFileSavePath:"))
            return;
        const QString folder = arguments.value(0).toString();
        const QString clip = folder + QStringLiteral("/clip.mp4");
        QFile f(clip);
        if (f.open(QIODevice::WriteOnly))
            f.write("not really a video");
        f.close();
        if (m_mode == QLatin1String("report")) {
            report(clip);
        } else if (m_mode == QLatin1String("symlink")) {
            const QString link = folder + QStringLiteral("/link.mp4");
            QFile::link(clip, link);
            report(link);
        }
    }

private:
    void report(const QString &path)
    {
        m_connection.forwardCall(QStringLiteral("screenRecordIsStart"), {});
        m_connection.forwardCall(QStringLiteral("screenRecordGenerateFileSuccess:"), {path});
    }

    QVRmiConnection m_connection;
    QString m_mode;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QFile args(qEnvironmentVariable("FAKE_RECORDER_ARGS"));
    if (args.open(QIODevice::WriteOnly)) {
        for (const QString &a : app.arguments().mid(1))
            args.write(a.toLocal8Bit() + '\n');
        args.close();
    }
    const QString mode = qEnvironmentVariable("FAKE_RECORDER_MODE");
    if (mode == QLatin1String("exit") || argc != 2)
        return 3;
    Client client(QString::fromLocal8Bit(argv[1]), mode);
    return app.exec();
}
