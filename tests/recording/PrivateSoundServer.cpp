#include "recording/PrivateSoundServer.h"

#include "recording/EndChildProcess.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

PrivateSoundServer::PrivateSoundServer(const QStringList &sinkNames)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty() || !m_dir.isValid()) {
        m_reason = QStringLiteral("no pulseaudio program on PATH");
        return;
    }
    QFile script(m_dir.filePath(QStringLiteral("server.pa")));
    if (!script.open(QIODevice::WriteOnly)) {
        m_reason = QStringLiteral("cannot write the server script");
        return;
    }
    for (const QString &sink : sinkNames)
        script.write(QStringLiteral("load-module module-null-sink sink_name=%1\n").arg(sink).toLocal8Bit());
    // The socket comes last: once it exists, the sinks are there.
    script.write(QStringLiteral("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n")
                     .arg(m_dir.filePath(QStringLiteral("native")))
                     .toLocal8Bit());
    script.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The server's own state (cookie, runtime files) stays in the temporary folder.
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                              QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                              QStringLiteral("--log-target=stderr"), QStringLiteral("-F"), script.fileName()});
    if (!m_process.waitForStarted(5000)) {
        m_reason = QStringLiteral("pulseaudio did not start: %1").arg(m_process.errorString());
        return;
    }
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    m_running = TestEnvironment::waitFor(
        [&] { return m_process.state() == QProcess::Running && QFileInfo(socket).exists(); },
        10000);
    if (!m_running)
        m_reason = QStringLiteral("pulseaudio did not come up: %1").arg(QString::fromLocal8Bit(m_process.readAll()).left(500));
}

PrivateSoundServer::~PrivateSoundServer()
{
    endChildProcess(m_process);
}

QString PrivateSoundServer::serverString() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}
