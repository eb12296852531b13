#include "support/TestCertificates.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QStandardPaths>

namespace {

QSslConfiguration &original()
{
    static QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    return conf;
}

}

TestCertificates::TestCertificates()
{
    original();
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
        m_why = QStringLiteral("openssl is not installed");
        return;
    }
    QFile ext(m_dir.filePath(QStringLiteral("ext.cnf")));
    if (!ext.open(QIODevice::WriteOnly)) {
        m_why = QStringLiteral("cannot write in the temporary folder");
        return;
    }
    ext.write("subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
              "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n");
    ext.close();
    const QString ec = QStringLiteral("ec");
    const QString curve = QStringLiteral("ec_paramgen_curve:prime256v1");
    m_ok = run({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), ec, QStringLiteral("-pkeyopt"),
                curve, QStringLiteral("-nodes"), QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("ca.key")),
                QStringLiteral("-out"), caPath(), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                QStringLiteral("/CN=Feedback Test Authority"), QStringLiteral("-addext"),
                QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")})
        && run({QStringLiteral("req"), QStringLiteral("-newkey"), ec, QStringLiteral("-pkeyopt"), curve,
                QStringLiteral("-nodes"), QStringLiteral("-keyout"), keyPath(), QStringLiteral("-out"),
                m_dir.filePath(QStringLiteral("server.csr")), QStringLiteral("-subj"), QStringLiteral("/CN=localhost")})
        && run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                m_dir.filePath(QStringLiteral("server.csr")), QStringLiteral("-CA"), caPath(), QStringLiteral("-CAkey"),
                m_dir.filePath(QStringLiteral("ca.key")), QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                certPath(), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"), ext.fileName()});
}

bool TestCertificates::run(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_why = QStringLiteral("openssl %1 failed: %2").arg(args.first(), QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

void TestCertificates::trust() const
{
    QSslConfiguration conf = original();
    conf.addCaCertificates(QSslCertificate::fromPath(caPath()));
    QSslConfiguration::setDefaultConfiguration(conf);
}

void TestCertificates::untrustAll()
{
    QSslConfiguration::setDefaultConfiguration(original());
}
