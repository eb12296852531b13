#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QSslServer;
class TestCertificates;

// An HTTPS server on 127.0.0.1 (port 0) in the test's thread, serving fixed answers by path
// with the test authority's certificate. It records each request and how many connections
// are open at once; stalled, it takes connections and never answers.
class HttpsStub : public QObject
{
public:
    explicit HttpsStub(const TestCertificates &certificates, QObject *parent = nullptr);
    ~HttpsStub() override;

    bool listen();
    quint16 port() const;
    // https://localhost:<port><path>
    QUrl url(const QString &path) const;
    void setResponse(const QString &path, const QByteArray &body, const QByteArray &contentType = "text/xml",
                     int status = 200);
    void setStalled(bool stalled) { m_stalled = stalled; }
    // Ends the stall and answers the requests it held, oldest first.
    void releaseStalled();

    QList<QUrl> requests() const { return m_requests; }
    int openConnections() const { return m_open; }
    int maxOpenConnections() const { return m_maxOpen; }

private:
    struct Response {
        QByteArray body;
        QByteArray contentType;
        int status = 200;
    };
    void serve(class QSslSocket *socket);
    void answer(class QSslSocket *socket, const QUrl &target);

    QSslServer *m_server;
    QHash<QString, Response> m_responses;
    bool m_stalled = false;
    QList<QUrl> m_requests;
    QList<QPointer<class QSslSocket>> m_held;
    int m_open = 0;
    int m_maxOpen = 0;
};
