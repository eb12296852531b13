#include "reelgrab/HelperProcess.h"

#include "platform/Dispatch.h"
#include "reelgrab/QVXConnection.h"

#include <QProcess>

namespace HelperProcess {

void end(QProcess *process, QObject *listener, int graceMs)
{
    if (!process)
        return;
    process->disconnect(listener);
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(graceMs)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
    process->deleteLater();
}

void release(std::unique_ptr<QVXConnection> connection)
{
    if (!connection)
        return;
    connection->invalidate();
    dispatch::async_main([dead = std::shared_ptr<QVXConnection>(connection.release())]() {});
}

} // namespace HelperProcess
