#include "support/HttpsStub.h"

#include "support/TestCertificates.h"

#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

#include <utility>

HttpsStub::HttpsStub(const TestCertificates &certificates, QObject *parent)
    : QObject(parent), m_server(new QSslServer(this))
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setLocalCertificateChain(QSslCertificate::fromPath(certificates.certPath()));
    QFile key(certificates.keyPath());
    if (key.open(QIODevice::ReadOnly))
        conf.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    conf.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setSslConfiguration(conf);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (auto *socket = qobject_cast<QSslSocket *>(m_server->nextPendingConnection()))
            serve(socket);
    });
}

HttpsStub::~HttpsStub() = default;

bool HttpsStub::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 HttpsStub::port() const
{
    return m_server->serverPort();
}

QUrl HttpsStub::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://localhost:%1%2").arg(port()).arg(path));
}

void HttpsStub::setResponse(const QString &path, const QByteArray &body, const QByteArray &contentType, int status)
{
    m_responses.insert(path, Response {body, contentType, status});
}

void HttpsStub::serve(QSslSocket *socket)
{
    m_maxOpen = qMax(m_maxOpen, ++m_open);
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QIODevice::readyRead, this, [this, socket] {
        if (!socket->property("head").toByteArray().contains("\r\n\r\n"))
            socket->setProperty("head", socket->property("head").toByteArray() + socket->readAll());
        const QByteArray head = socket->property("head").toByteArray();
        if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
            return;
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QUrl target = requestLine.size() >= 2 ? url(QString::fromLatin1(requestLine[1])) : QUrl();
        m_requests.append(target);
        if (m_stalled) {
            socket->setProperty("target", target);
            if (!m_held.contains(socket))
                m_held.append(socket);
            return;
        }
        answer(socket, target);
    });
}

void HttpsStub::answer(QSslSocket *socket, const QUrl &target)
{
    socket->setProperty("answered", true);
    const Response r = m_responses.value(target.path(), Response {"not found", "text/plain", 404});
    socket->write("HTTP/1.1 " + QByteArray::number(r.status) + " X\r\nContent-Type: " + r.contentType
                  + "\r\nContent-Length: " + QByteArray::number(r.body.size()) + "\r\nConnection: close\r\n\r\n"
                  + r.body);
    socket->disconnectFromHost();
}

void HttpsStub::releaseStalled()
{
    m_stalled = false;
    const QList<QPointer<QSslSocket>> held = std::exchange(m_held, {});
    for (const QPointer<QSslSocket> &socket : held) {
        if (!socket)
            continue;
        answer(socket, socket->property("target").toUrl());
    }
}
