#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away authority and a server certificate it signed for "localhost" and 127.0.0.1,
// made with the openssl command in a private folder. ok() is false (with why()) when openssl
// is missing or fails.
class TestCertificates
{
public:
    TestCertificates();

    bool ok() const { return m_ok; }
    QString why() const { return m_why; }
    QString caPath() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QString certPath() const { return m_dir.filePath(QStringLiteral("server.pem")); }
    QString keyPath() const { return m_dir.filePath(QStringLiteral("server.key")); }

    // Adds the authority to (or, untrusting, restores) the default TLS configuration.
    void trust() const;
    static void untrustAll();

private:
    bool run(const QStringList &args);

    QTemporaryDir m_dir;
    bool m_ok = false;
    QString m_why;
};
