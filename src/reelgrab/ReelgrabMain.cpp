#include "reelgrab/ReelgrabMain.h"

#include "platform/AppPaths.h"
#include "platform/Dispatch.h"
#include "reelgrab/EngineLibrary.h"
#include "reelgrab/Func.h"
#include "reelgrab/QVReelgrabService.h"
#include "reelgrab/QVXConnection.h"
#include "reelgrab/RGKMessage.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThreadPool>
#include <QUuid>

#include <cstdio>

namespace ReelgrabMain {

Arguments parseArguments(const QStringList &argv, const QString &defaultLibrary)
{
    Arguments a;
    a.libraryPath = defaultLibrary;
    for (qsizetype i = 1; i < argv.size(); ++i) {
        const QString &arg = argv[i];
        QString *slot = nullptr;
        if (arg == QLatin1String("-l") || arg == QLatin1String("-lib"))
            slot = &a.libraryPath;
        else if (arg == QLatin1String("-c") || arg == QLatin1String("-client"))
            slot = &a.clientName;
        else if (arg == QLatin1String("-u") || arg == QLatin1String("-url"))
            slot = &a.pageUrl;
        else if (arg == QLatin1String("-p") || arg == QLatin1String("-preferences"))
            slot = &a.preferencesPath;
        if (slot && i + 1 < argv.size())
            *slot = argv[++i];
    }
    return a;
}

QString standaloneGuid(const QString &pageUrl)
{
    static const QUuid ns(QStringLiteral("{6f1c2b64-3f55-4c51-9d8e-2b7f0c4f9a10}"));
    return QUuid::createUuidV5(ns, pageUrl).toString(QUuid::WithoutBraces).toUpper();
}

namespace {

// Carries the service's reports to the client and, in standalone mode, ends the process with
// the task.
class Outbox : public QVRemoteMessageTarget
{
public:
    Outbox(QVXConnection *connection, bool standalone) : m_connection(connection), m_standalone(standalone) {}

    void sendMessage(const QString &name, const QByteArray &object) override
    {
        if (m_connection)
            m_connection->sendMessage(name, object);
        if (!m_standalone)
            return;
        if (name == QLatin1String(RGKMessage::DownloadFinished)) {
            const QString path = RGKMessage::stringFromArchive(object).value_or(QString());
            std::fprintf(stdout, "%s\n", path.toLocal8Bit().constData());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        } else if (name == QLatin1String(RGKMessage::DownloadFailed) || name == QLatin1String(RGKMessage::SniffingFailed)) {
            const QVReelgrabError error = RGKMessage::errorFromArchive(object);
            const QString what = name == QLatin1String(RGKMessage::SniffingFailed) ? QStringLiteral("sniffing failed")
                                                                                  : QStringLiteral("download failed");
            // The sentence the row shows, then the code for a report.
            std::fprintf(stderr, "Reelgrab: %s: %s (%s error %lld)\n", what.toLocal8Bit().constData(),
                         error.reason().toLocal8Bit().constData(), error.domain().toLocal8Bit().constData(),
                         static_cast<long long>(error.code()));
            std::fflush(stderr);
            QCoreApplication::exit(1);
        }
    }

private:
    QVXConnection *m_connection;
    bool m_standalone;
};

// Stands for the service until it exists: the helper announces itself while the engine library
// is still loading, and whatever the client sends meanwhile waits here.
class ServiceDoor : public QVRemoteMessageTarget
{
public:
    void sendMessage(const QString &name, const QByteArray &object) override
    {
        QVRemoteMessageTarget *service = nullptr;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_service) {
                m_waiting.append({name, object});
                return;
            }
            service = m_service;
        }
        service->sendMessage(name, object);
    }

    void open(QVRemoteMessageTarget *service)
    {
        QList<QPair<QString, QByteArray>> waiting;
        {
            QMutexLocker lock(&m_mutex);
            m_service = service;
            waiting.swap(m_waiting);
        }
        for (const auto &[name, object] : waiting)
            service->sendMessage(name, object);
    }

private:
    QMutex m_mutex;
    QVRemoteMessageTarget *m_service = nullptr;
    QList<QPair<QString, QByteArray>> m_waiting;
};

} // namespace

void startEngineEarly(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    EngineLibrary::startEarly(parseArguments(arguments, EngineLibrary::defaultPath()).libraryPath);
}

int run(const QStringList &argv)
{
    const Arguments args = parseArguments(argv, EngineLibrary::defaultPath());
    const bool standalone = !args.pageUrl.isEmpty();
    // A waiting helper may wait for minutes: the engine's worker thread, made while it waits,
    // stays for the task.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);

    // The service takes the engine library load begun in main() (or begins one); the connection
    // to the client and the announcement go on meanwhile. Neither makes a thread on the named
    // road, so neither waits for the loader.
    auto service = std::make_unique<QVReelgrabService>(args.libraryPath, args.clientName);

    auto connection = std::make_unique<QVXConnection>();
    if (!args.clientName.isEmpty()) {
        if (!connection->initWithClientName(args.clientName)) {
            // Nobody would ever send work or end this process: leave at once.
            Func(FuncLogError, QStringLiteral("Reelgrab could not reach its client %1").arg(args.clientName));
            return -1;
        }
    }
    ServiceDoor door;
    if (!args.clientName.isEmpty()) {
        connection->registeRootObject(&door, args.clientName + QStringLiteral("-s"));
        connection->sendMessage(QString::fromLatin1(RGKMessage::ProcessLaunched), connection->registeName().toUtf8());
    }
    Outbox outbox(connection.get(), standalone);
    service->setDelegate(&outbox);
    door.open(service.get());

    if (standalone) {
        QVReelgrabService *s = service.get();
        const Arguments a = args;
        // Started as soon as the loop runs: nothing on this road needs time to settle first.
        dispatch::async_main([s, a]() {
            QVReelgrabTask task;
            task.setGuid(standaloneGuid(a.pageUrl));
            task.setPageUrl(a.pageUrl);
            task.setTargetFilePath(AppPaths::downloads());
            if (!a.preferencesPath.isEmpty())
                s->sendMessage(QString::fromLatin1(RGKMessage::ReelgrabPreferences), RGKMessage::archiveString(a.preferencesPath));
            s->sendMessage(QString::fromLatin1(RGKMessage::AttachDownloadTask), task.archivedData());
        });
    }

    const int status = QCoreApplication::exec();
    connection->invalidate();
    service.reset();
    connection.reset();
    return status;
}

} // namespace ReelgrabMain
