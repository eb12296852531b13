#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

// A real SMTP server (aiosmtpd under the system python3) on 127.0.0.1, port 0, that takes
// the login "user"/"secret" and reports each message it accepts. Mode "starttls" requires
// STARTTLS before the login; "tls" speaks TLS from the first byte.
class AiosmtpdServer
{
public:
    AiosmtpdServer(const QString &mode, const QString &certPath, const QString &keyPath);
    ~AiosmtpdServer();

    // False (with why()) when python3 or aiosmtpd is missing or the server did not come up.
    bool start();
    QString why() const { return m_why; }
    quint16 port() const { return m_port; }
    // Waits up to the time-out for the next accepted message: "from", "to" (array) and the
    // message bytes (dataOf); empty when none came.
    QJsonObject nextMessage(int timeoutMs = 30000);
    static QByteArray dataOf(const QJsonObject &message);

private:
    QJsonObject readLine(int timeoutMs);

    QString m_mode, m_cert, m_key;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_why;
};
