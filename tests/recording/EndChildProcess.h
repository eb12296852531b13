#pragma once

#include <QProcess>

// Ends a test's helper server: politely, then for good.
inline void endChildProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}
