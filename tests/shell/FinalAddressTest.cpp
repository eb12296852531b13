#include "shell/GolobFun.h"

#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// A loopback HTTP server: "/start" redirects to "/final", "/final" answers 200 with a large
// body, "/hop" redirects to "/start", anything else is 404. It counts requests by path.
class LoopbackHttp
{
public:
    LoopbackHttp()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    int count(const QString &path) const { return m_counts.value(path); }

private:
    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray line = buffer.left(buffer.indexOf("\r\n"));
        buffer.remove(0, end + 4);
        const QString path = QString::fromLatin1(line.split(' ').value(1));
        ++m_counts[path];
        QByteArray reply;
        if (path == QLatin1String("/start") || path == QLatin1String("/hop")) {
            const QString target = path == QLatin1String("/hop") ? QStringLiteral("/start") : QStringLiteral("/final");
            reply = "HTTP/1.1 302 Found\r\nLocation: " + target.toLatin1() + "\r\nContent-Length: 0\r\n\r\n";
        } else if (path == QLatin1String("/final")) {
            // Claims a body far larger than anything sent: only the headers may be needed.
            reply = "HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: 1000000000\r\n\r\n";
            reply += QByteArray(64 * 1024, 'v');
        } else {
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found";
        }
        socket->write(reply);
    }

    QTcpServer m_server;
    QHash<QString, int> m_counts;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

struct Answer
{
    int calls = 0;
    QString result;
    QString error;
    bool onMainThread = false;
};

GolobFun::ResponseCallback recorder(Answer &answer)
{
    return [&answer](const QString &result, const QString &error) {
        ++answer.calls;
        answer.result = result;
        answer.error = error;
        answer.onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
}

// Lets late, duplicate callbacks queued behind the first show up before the count is checked.
void settle()
{
    ASSERT_TRUE(TestEnvironment::drainPostedEvents());
}

} // namespace

TEST(FinalAddress, FollowsRedirectsAndAnswersOnce)
{
    LoopbackHttp http;
    for (const char *start : {"/start", "/hop"}) {
        SCOPED_TRACE(start);
        Answer answer;
        GolobFun::cbsResponstString(http.url(QString::fromLatin1(start)), recorder(answer));
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return answer.calls > 0; }, 10000));
        settle();
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.result, http.url(QStringLiteral("/final")));
        EXPECT_TRUE(answer.error.isEmpty());
        EXPECT_TRUE(answer.onMainThread);
    }
}

TEST(FinalAddress, NotFoundIsTriedTwiceThenReported)
{
    LoopbackHttp http;
    Answer answer;
    GolobFun::cbsResponstString(http.url(QStringLiteral("/missing")), recorder(answer));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return answer.calls > 0; }, 10000));
    settle();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.result, QString::fromLatin1(GolobFun::ResponseErrorText));
    EXPECT_FALSE(answer.error.isEmpty());
    EXPECT_EQ(http.count(QStringLiteral("/missing")), 2);
}

TEST(FinalAddress, RefusedConnectionIsReported)
{
    quint16 port;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
        port = closed.serverPort();
    }
    Answer answer;
    GolobFun::cbsResponstString(QStringLiteral("http://127.0.0.1:%1/x").arg(port), recorder(answer));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return answer.calls > 0; }, 10000));
    settle();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.result, QString::fromLatin1(GolobFun::ResponseErrorText));
    EXPECT_FALSE(answer.error.isEmpty());
}

TEST(FinalAddress, BadAddressesGetAnExplicitError)
{
    for (const char *bad : {"", "not an address", "ftp://127.0.0.1/file", "http://", "http://exa mple.com/", "javascript:alert(1)"}) {
        SCOPED_TRACE(bad);
        Answer answer;
        GolobFun::cbsResponstString(QString::fromLatin1(bad), recorder(answer));
        EXPECT_EQ(answer.calls, 0); // never inline
        ASSERT_TRUE(TestEnvironment::waitFor([&] { return answer.calls > 0; }, 5000));
        settle();
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.result, QString::fromLatin1(GolobFun::ResponseErrorText));
        EXPECT_EQ(answer.error, QStringLiteral("invalid address"));
        EXPECT_TRUE(answer.onMainThread);
    }
}

TEST(FinalAddress, CallsFromAWorkerThreadAnswerOnTheMainThread)
{
    LoopbackHttp http;
    Answer answer;
    QThread *worker = QThread::create([&] { GolobFun::cbsResponstString(http.url(QStringLiteral("/start")), recorder(answer)); });
    worker->start();
    worker->wait();
    delete worker;
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return answer.calls > 0; }, 10000));
    settle();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.onMainThread);
    EXPECT_EQ(answer.result, http.url(QStringLiteral("/final")));
}
