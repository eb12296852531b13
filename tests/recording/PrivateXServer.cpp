#include "recording/PrivateXServer.h"

#include "recording/EndChildProcess.h"
#include "support/TestEnvironment.h"

#include <QStandardPaths>

PrivateXServer::PrivateXServer(const QString &screen)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        m_reason = QStringLiteral("no Xvfb program on PATH");
        return;
    }
    // -displayfd 1: the server picks a free display and writes its number to standard output.
    m_process.start(program, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                              QStringLiteral("-screen"), QStringLiteral("0"), screen});
    if (!m_process.waitForStarted(5000)) {
        m_reason = QStringLiteral("Xvfb did not start: %1").arg(m_process.errorString());
        return;
    }
    QByteArray out;
    TestEnvironment::waitFor(
        [&] {
            out += m_process.readAllStandardOutput();
            return out.contains('\n') || m_process.state() == QProcess::NotRunning;
        },
        15000);
    const QByteArray number = out.trimmed();
    if (number.isEmpty()) {
        m_reason = QStringLiteral("Xvfb gave no display: %1").arg(QString::fromLocal8Bit(m_process.readAllStandardError()).left(500));
        return;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(number);
}

PrivateXServer::~PrivateXServer()
{
    endChildProcess(m_process);
}
