#include "AiosmtpdServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

const char kScript[] = R"PY(
import asyncio, base64, json, ssl, sys
try:
    from aiosmtpd.smtp import SMTP, AuthResult
except ImportError:
    print(json.dumps({"error": "aiosmtpd is not installed"}), flush=True)
    sys.exit(3)
mode, cert, key = sys.argv[1:4]
ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
ctx.load_cert_chain(cert, key)

class Handler:
    async def handle_DATA(self, server, session, envelope):
        data = envelope.original_content or envelope.content
        if isinstance(data, str):
            data = data.encode()
        print(json.dumps({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                          "data": base64.b64encode(data).decode()}), flush=True)
        return "250 Message accepted for delivery"

def authenticate(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=(auth_data.login == b"user" and auth_data.password == b"secret"))

async def main():
    loop = asyncio.get_running_loop()
    if mode == "starttls":
        factory = lambda: SMTP(Handler(), hostname="localhost", tls_context=ctx, require_starttls=True,
                               auth_require_tls=True, authenticator=authenticate)
        server = await loop.create_server(factory, "127.0.0.1", 0)
    else:
        factory = lambda: SMTP(Handler(), hostname="localhost", auth_require_tls=False,
                               authenticator=authenticate)
        server = await loop.create_server(factory, "127.0.0.1", 0, ssl=ctx)
    print(json.dumps({"port": server.sockets[0].getsockname()[1]}), flush=True)
    # Runs until the test closes standard input.
    await loop.run_in_executor(None, sys.stdin.read)

asyncio.run(main())
)PY";

}

AiosmtpdServer::AiosmtpdServer(const QString &mode, const QString &certPath, const QString &keyPath)
    : m_mode(mode), m_cert(certPath), m_key(keyPath)
{
}

AiosmtpdServer::~AiosmtpdServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

bool AiosmtpdServer::start()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python)) {
        m_why = QStringLiteral("/usr/bin/python3 is not installed");
        return false;
    }
    const QString script = m_dir.filePath(QStringLiteral("smtpd.py"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly) || f.write(kScript) < 0) {
        m_why = QStringLiteral("cannot write the server script");
        return false;
    }
    f.close();
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(python, {script, m_mode, m_cert, m_key});
    if (!m_process.waitForStarted(10000)) {
        m_why = QStringLiteral("python3 did not start");
        return false;
    }
    const QJsonObject first = readLine(30000);
    m_port = quint16(first.value(QStringLiteral("port")).toInt());
    if (m_port == 0) {
        m_why = first.value(QStringLiteral("error")).toString();
        if (m_why.isEmpty())
            m_why = QStringLiteral("aiosmtpd did not come up: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
        return false;
    }
    return true;
}

QJsonObject AiosmtpdServer::readLine(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return {};
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return QJsonDocument::fromJson(m_process.readLine()).object();
}

QJsonObject AiosmtpdServer::nextMessage(int timeoutMs)
{
    return readLine(timeoutMs);
}

QByteArray AiosmtpdServer::dataOf(const QJsonObject &message)
{
    return QByteArray::fromBase64(message.value(QStringLiteral("data")).toString().toLatin1());
}
