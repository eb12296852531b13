// A stand-in for the download helper that follows a script, so the task's side of the message
// protocol can be tested without sniffing or downloading anything.
//   FAKE_RGK_MODE: finish | pause | hold | fail | sniff-fail | crash | silent
//                  (hold: like pause, and a resume is only logged, never answered)
//   FAKE_RGK_LOG:  file that gets a line with the arguments after "-c name" at launch, and one
//                  line per message received
//   FAKE_RGK_DELAY_MS: how long a download takes in the finish mode
#include "reelgrab/QVReelgrabTask.h"
#include "reelgrab/QVXConnection.h"
#include "reelgrab/RGKMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdlib>

namespace {

class FakeService : public QVRemoteMessageTarget
{
public:
    FakeService(QVXConnection &c, QString mode) : m_connection(c), m_mode(std::move(mode)) {}

    void sendMessage(const QString &name, const QByteArray &object) override
    {
        log(name);
        using namespace RGKMessage;
        if (name == QLatin1String(AttachDownloadTask)) {
            m_task = QVReelgrabTask::taskWithArchive(object);
            if (!m_task)
                return;
            if (m_mode == QLatin1String("crash"))
                std::_Exit(3);
            if (m_mode == QLatin1String("sniff-fail")) {
                send(SniffingStarted);
                send(SniffingFailed, QVReelgrabError::reelgrab(QVReelgrabError::NoMediaFound).archivedData());
                return;
            }
            send(SniffingStarted);
            send(SniffingSniffing, archiveNumber(0.5));
            m_task->setMediaTitle(QStringLiteral("Fake title"));
            send(SniffingCompleted, m_task->archivedData());
            send(DownloadStarted, m_task->archivedData());
            if (m_mode == QLatin1String("fail")) {
                send(DownloadFailed, QVReelgrabError::reelgrab(7, QStringLiteral("connection refused")).archivedData());
                return;
            }
            send(DownloadDownloading, archiveSegments({}));
            if (m_mode == QLatin1String("pause") || m_mode == QLatin1String("hold"))
                return;  // waits for the pause command
            const int delay = qEnvironmentVariableIntValue("FAKE_RGK_DELAY_MS");
            if (delay > 0)
                QTimer::singleShot(delay, [this] { finish(); });
            else
                finish();
        } else if (name == QLatin1String(PauseDownloadTask)) {
            send(DownloadWillPause);
            send(DownloadPaused);
        } else if (name == QLatin1String(ResumeDownloadTask)) {
            if (m_mode == QLatin1String("hold"))
                return;
            send(DownloadDownloading, archiveSegments({}));
            finish();
        }
    }

private:
    void finish()
    {
        const QString path = QDir::home().filePath(QStringLiteral("fake-download.mp4"));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(QByteArray(2048, 'v'));
        f.close();
        send(RGKMessage::DownloadCompleted);
        send(RGKMessage::DownloadFinished, RGKMessage::archiveString(path));
    }
    void send(const char *name, const QByteArray &object = {}) { m_connection.sendMessage(QString::fromLatin1(name), object); }
    void log(const QString &line)
    {
        const QString path = qEnvironmentVariable("FAKE_RGK_LOG");
        if (path.isEmpty())
            return;
        QFile f(path);
        if (f.open(QIODevice::Append))
            f.write(line.toUtf8() + '\n');
    }

    QVXConnection &m_connection;
    QString m_mode;
    std::unique_ptr<QVReelgrabTask> m_task;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int c = args.indexOf(QStringLiteral("-c"));
    if (c < 0 || c + 1 >= args.size())
        return 2;
    const QString logPath = qEnvironmentVariable("FAKE_RGK_LOG");
    if (!logPath.isEmpty()) {
        QFile f(logPath);
        if (f.open(QIODevice::Append))
            f.write("launched " + args.mid(c + 2).join(QLatin1Char(' ')).toUtf8() + '\n');
    }
    const QString mode = qEnvironmentVariable("FAKE_RGK_MODE", QStringLiteral("finish"));
    if (mode == QLatin1String("silent")) {
        QTimer::singleShot(60000, &app, &QCoreApplication::quit);
        return app.exec();
    }
    QVXConnection connection;
    if (!connection.initWithClientName(args[c + 1]))
        return 3;
    FakeService service(connection, mode);
    const QString registered = connection.registeRootObject(&service, args[c + 1] + QStringLiteral("-s"));
    connection.sendMessage(QString::fromLatin1(RGKMessage::ProcessLaunched), registered.toUtf8());
    return app.exec();
}
