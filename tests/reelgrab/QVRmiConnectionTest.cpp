#include "reelgrab/QVRmiConnection.h"
#include "reelgrab/RmiSockets.h"

#include "platform/NotificationCenter.h"
#include "support/TestEnvironment.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

struct SocketPair
{
    int a = -1, b = -1;
    SocketPair()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) == 0) {
            a = fds[0];
            b = fds[1];
        }
        timeval tv{2, 0};
        ::setsockopt(a, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(b, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    ~SocketPair()
    {
        ::close(a);
        ::close(b);
    }
};

QByteArray readExactly(int fd, int n)
{
    QByteArray out(n, '\0');
    int got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, out.data() + got, n - got, 0);
        if (r <= 0)
            return out.left(got);
        got += int(r);
    }
    return out;
}

bool quiet(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 0;
}

QByteArray patterned(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(i * 31 + 7);
    return b;
}

} // namespace

// The sender side against a hand-driven receiver: where a "c" is owed and where it is not.
TEST(RmiWireFormat, ChunkBoundariesOfTheSender)
{
    struct Case { int length; QList<int> pieces; QList<bool> ackAfter; };
    const Case cases[] = {
        {10240, {10240}, {}},
        {10241, {10240, 1}, {false}},
        {20480, {10240, 10240}, {false}},
        {25000, {10240, 10240, 4520}, {true, false}},
        {40961, {10240, 10240, 10240, 10240, 1}, {true, true, true, false}},
    };
    for (const Case &c : cases) {
        SocketPair sp;
        const QByteArray body = patterned(c.length);
        bool sent = false;
        std::thread sender([&] { sent = QVRmiConnection::sendFrame(sp.a, body); });
        const QByteArray header = readExactly(sp.b, 4);
        qint32 length = 0;
        std::memcpy(&length, header.constData(), 4);  // native byte order
        EXPECT_EQ(length, c.length);
        QByteArray received;
        for (int i = 0; i < c.pieces.size(); ++i) {
            received += readExactly(sp.b, c.pieces[i]);
            if (i < c.ackAfter.size() && c.ackAfter[i]) {
                EXPECT_TRUE(quiet(sp.b, 100)) << c.length << ": sender went on without its \"c\"";
                ::send(sp.b, "c", 1, 0);
            }
        }
        EXPECT_TRUE(quiet(sp.b, 50)) << c.length << ": bytes beyond the body";
        ::send(sp.b, "a", 1, 0);
        sender.join();
        EXPECT_TRUE(sent) << c.length;
        EXPECT_EQ(received, body) << c.length;
    }
}

TEST(RmiWireFormat, ReceiverAnswersCBetweenPiecesAndAAtTheEnd)
{
    for (int length : {1, 10240, 10241, 20480, 25000, 40961}) {
        SocketPair sp;
        const QByteArray body = patterned(length);
        QByteArray got;
        QVRmiConnection::ReceiveResult result{};
        std::thread receiver([&] { result = QVRmiConnection::receiveFrame(sp.b, &got); });
        qint32 l = length;
        ::send(sp.a, &l, 4, 0);
        int offset = 0;
        QByteArray acks;
        while (length - offset > 10240) {
            ::send(sp.a, body.constData() + offset, 10240, 0);
            offset += 10240;
            if (length - offset > 10240)
                acks += readExactly(sp.a, 1);
        }
        ::send(sp.a, body.constData() + offset, length - offset, 0);
        acks += readExactly(sp.a, 1);
        receiver.join();
        EXPECT_EQ(result, QVRmiConnection::ReceiveResult::Ok) << length;
        EXPECT_EQ(got, body) << length;
        const int expectedC = length > 10240 ? (length - 1) / 10240 - 1 : 0;
        EXPECT_EQ(acks, QByteArray(expectedC, 'c') + "a") << length;
    }
}

TEST(RmiWireFormat, AWrongAcknowledgementFailsTheSend)
{
    SocketPair sp;
    bool sent = true;
    std::thread sender([&] { sent = QVRmiConnection::sendFrame(sp.a, QByteArray("hello")); });
    readExactly(sp.b, 9);
    ::send(sp.b, "x", 1, 0);
    sender.join();
    EXPECT_FALSE(sent);
}

TEST(RmiWireFormat, BadLengthsAndTruncatedBodiesFailTheReceiver)
{
    struct Case { const char *name; qint32 length; QByteArray body; bool closeAfter; };
    const Case cases[] = {
        {"negative", -5, {}, false},
        {"oversized", QVRmiConnection::MaxFrameSize + 1, {}, false},
        {"truncated then closed", 100, QByteArray(40, 'x'), true},
        {"length cut short", 0, {}, true},
    };
    for (const Case &c : cases) {
        SocketPair sp;
        if (std::string(c.name) == "length cut short")
            ::send(sp.a, "ab", 2, 0);
        else
            ::send(sp.a, &c.length, 4, 0);
        if (!c.body.isEmpty())
            ::send(sp.a, c.body.constData(), c.body.size(), 0);
        if (c.closeAfter)
            ::shutdown(sp.a, SHUT_WR);
        QByteArray got;
        EXPECT_EQ(QVRmiConnection::receiveFrame(sp.b, &got), QVRmiConnection::ReceiveResult::Failed) << c.name;
        EXPECT_TRUE(got.isEmpty()) << c.name;
    }
    SocketPair idle;
    QByteArray got;
    timeval tv{0, 100000};
    ::setsockopt(idle.b, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    EXPECT_EQ(QVRmiConnection::receiveFrame(idle.b, &got), QVRmiConnection::ReceiveResult::TimedOut);
}

TEST(RmiWireFormat, CallArchivesCarryTheSelectorAndTypedArguments)
{
    const QByteArray body = QVRmiConnection::archiveCall(QStringLiteral("recordWithRate:seconds:muted:title:"), QStringLiteral("fqc@"),
                                                         {29.97, qint64(1) << 40, true, QStringLiteral("clip")});
    QString selector;
    QVariantList args;
    ASSERT_TRUE(QVRmiConnection::unarchiveCall(body, &selector, [](const QString &) { return std::optional<QString>(QStringLiteral("fqc@")); }, &args));
    EXPECT_EQ(selector, QStringLiteral("recordWithRate:seconds:muted:title:"));
    ASSERT_EQ(args.size(), 4);
    EXPECT_FLOAT_EQ(float(args[0].toDouble()), 29.97f);
    EXPECT_EQ(args[1].toLongLong(), qint64(1) << 40);
    EXPECT_TRUE(args[2].toBool());
    EXPECT_EQ(args[3].toString(), QStringLiteral("clip"));
    EXPECT_FALSE(QVRmiConnection::unarchiveCall(body, &selector, [](const QString &) { return std::optional<QString>(); }, &args));
    EXPECT_FALSE(QVRmiConnection::unarchiveCall(QByteArray("\xff\x00junk", 6), &selector, [](const QString &) { return std::optional<QString>(QString()); }, &args));
}

TEST(RmiSockets, PathsOfOneConnection)
{
    char server[256];
    ASSERT_EQ(generate_socket_path(server, sizeof server, RmiSocketServer, nullptr), 1);
    const QString s = QString::fromLocal8Bit(server);
    EXPECT_TRUE(s.startsWith(TestEnvironment::runtimeDir() + QStringLiteral("/fennixpro/M")));
    const QString name = QFileInfo(s).fileName();
    EXPECT_EQ(name.size(), 11);
    EXPECT_EQ(name.mid(1, 5), QStringLiteral("%1").arg(::getpid() % 100000, 5, 10, QLatin1Char('0')));
    char client[256];
    ASSERT_EQ(generate_socket_path(client, sizeof client, RmiSocketCheck, server), 1);
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(client)).fileName(), QStringLiteral("C") + name.mid(1));
    ASSERT_EQ(generate_socket_path(client, sizeof client, RmiSocketReceive, "M0000100002"), 1);
    EXPECT_STREQ(client, "R0000100002");
    EXPECT_EQ(generate_socket_path(client, sizeof client, RmiSocketSend, "/x/M"), 0);
    char second[256];
    generate_socket_path(second, sizeof second, RmiSocketServer, nullptr);
    EXPECT_STRNE(server, second);
}

TEST(RmiSockets, AcceptRefusesForeignOrStaleClientSockets)
{
    char server[256];
    ASSERT_EQ(generate_socket_path(server, sizeof server, RmiSocketServer, nullptr), 1);
    const int listenFd = serv_listen(server);
    ASSERT_GE(listenFd, 0);
    struct Case { const char *name; int mode; bool old; int expected; };
    const Case cases[] = {
        {"good", 0700, false, 0},
        {"group readable", 0750, false, -4},
        {"older than 30 s", 0700, true, -5},
    };
    for (const Case &c : cases) {
        char clientPath[256];
        generate_socket_path(clientPath, sizeof clientPath, RmiSocketSend, server);
        const int fd = cli_conn(server, clientPath);
        ASSERT_GE(fd, 0) << c.name;
        ::chmod(clientPath, c.mode);
        if (c.old) {
            timeval times[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
            ::lutimes(clientPath, times);
        }
        char accepted[256];
        const int result = serv_accept(listenFd, accepted, sizeof accepted);
        if (c.expected == 0) {
            EXPECT_GE(result, 0) << c.name;
            EXPECT_FALSE(QFileInfo::exists(QString::fromLocal8Bit(clientPath))) << "accepted file is removed";
            ::close(result);
        } else {
            EXPECT_EQ(result, c.expected) << c.name;
        }
        ::close(fd);
        ::unlink(clientPath);
    }
    ::close(listenFd);
    EXPECT_EQ(cli_conn(server, "Snot-listening"), -4);
}

namespace {

struct Recorder : RmiTarget
{
    QList<QPair<QString, QByteArray>> calls;
    std::optional<QString> rmiMethodSignature(const QString &selector) const override
    {
        if (selector == QLatin1String("sendMessage:withObject:"))
            return QStringLiteral("@@");
        return std::nullopt;
    }
    void rmiInvoke(const QString &selector, const QVariantList &args) override
    {
        calls.append({args.value(0).toString(), args.value(1).toByteArray()});
    }
};

RmiProtocol messageProtocol()
{
    RmiProtocol p;
    p.required.append({QStringLiteral("sendMessage:withObject:"), QStringLiteral("@@")});
    return p;
}

} // namespace

TEST(QVRmiConnection, BothSidesExchangeCallsOfEverySize)
{
    Recorder serverSide, clientSide;
    QVRmiConnection server(QString(), true);
    server.setTargetObject(&serverSide);
    server.setRemoteObjectProtocol(messageProtocol());
    int inits = 0;
    QObject watcher;
    NotificationCenter::defaultCenter().addObserver(&watcher, QString::fromLatin1(QVRmiConnection::DidFinishInitNotification),
                                                    [&](const Notification &) { ++inits; });
    server.start();
    server.start();  // a second start does nothing
    ASSERT_FALSE(server.serverAddress().isEmpty());

    QVRmiConnection client(server.serverAddress(), false);
    client.setTargetObject(&clientSide);
    client.setRemoteObjectProtocol(messageProtocol());
    client.start();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return server.status() == QVRmiConnection::Connected && client.status() == QVRmiConnection::Connected; }, 5000));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return inits == 2; }));

    const QList<int> sizes{0, 100, 10240, 10241, 20480, 30000, 2 * 1024 * 1024};
    for (int n : sizes) {
        EXPECT_TRUE(server.sendMessage(QStringLiteral("to-client-%1").arg(n), patterned(n)));
        EXPECT_TRUE(client.sendMessage(QStringLiteral("to-server-%1").arg(n), patterned(n)));
    }
    EXPECT_FALSE(client.forwardCall(QStringLiteral("terminate"), {}));  // not in the protocol
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return serverSide.calls.size() == sizes.size() && clientSide.calls.size() == sizes.size(); }, 10000));
    for (int i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(serverSide.calls[i].first, QStringLiteral("to-server-%1").arg(sizes[i]));
        EXPECT_EQ(clientSide.calls[i].second, patterned(sizes[i]));
    }

    int deaths = 0;
    NotificationCenter::defaultCenter().addObserver(&watcher, QString::fromLatin1(QVRmiConnection::DidDieNotification),
                                                    [&](const Notification &n) { deaths += n.objectPointer() == &client; });
    server.invalidate();
    EXPECT_EQ(server.status(), QVRmiConnection::Invalidated);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return client.status() == QVRmiConnection::Failed; }, 5000));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return deaths == 1; }, 5000));
}

TEST(QVRmiConnection, APeerThatStopsItsHeartbeatFailsTheConnection)
{
    QVRmiConnection::setHeartbeatTimeoutForTesting(200);
    QVRmiConnection server(QString(), true);
    server.start();
    const QByteArray address = server.serverAddress().toLocal8Bit();
    // A client that connects all three sockets but never answers the heartbeat.
    int fds[3];
    const int kinds[3] = {RmiSocketSend, RmiSocketReceive, RmiSocketCheck};
    for (int i = 0; i < 3; ++i) {
        char path[256];
        generate_socket_path(path, sizeof path, kinds[i], address.constData());
        fds[i] = cli_conn(address.constData(), path);
        ASSERT_GE(fds[i], 0);
    }
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return server.status() == QVRmiConnection::Connected; }, 3000));
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return server.status() == QVRmiConnection::Failed; }, 5000));
    for (int fd : fds)
        ::close(fd);
    QVRmiConnection::setHeartbeatTimeoutForTesting(0);
}

TEST(QVRmiConnection, ClientOfAMissingServerFailsAndSaysSo)
{
    QVRmiConnection client(QStringLiteral("M9999999999"), false);
    QObject watcher;
    int deaths = 0;
    NotificationCenter::defaultCenter().addObserver(&watcher, QString::fromLatin1(QVRmiConnection::DidDieNotification),
                                                    [&](const Notification &n) { deaths += n.objectPointer() == &client; });
    client.start();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return client.status() == QVRmiConnection::Failed && deaths == 1; }, 3000));
    EXPECT_TRUE(client.isCancelable());
    EXPECT_FALSE(client.isValid());
}

TEST(QVRmiConnection, AServerThatCannotListenSaysSo)
{
    QVRmiConnection server(QStringLiteral("/nonexistent-folder-of-the-test/M0000100001"), true);
    server.setPostsListeningNotification(true);
    QObject watcher;
    int failed = 0;
    int listening = 0;
    NotificationCenter::defaultCenter().addObserver(&watcher, QString::fromLatin1(QVRmiConnection::DidFailListeningNotification),
                                                    [&](const Notification &n) { failed += n.objectPointer() == &server; });
    NotificationCenter::defaultCenter().addObserver(&watcher, QString::fromLatin1(QVRmiConnection::DidStartListeningNotification),
                                                    [&](const Notification &) { ++listening; });
    server.start();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return failed == 1; }, 3000));
    EXPECT_EQ(server.status(), QVRmiConnection::Failed);
    EXPECT_EQ(listening, 0);
}
