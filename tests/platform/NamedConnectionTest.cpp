#include "platform/NamedConnection.h"

#include "support/TestEnvironment.h"

#include <QCborMap>
#include <QCborValue>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QtEndian>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>

namespace {
struct Received
{
    QList<QPair<QString, QByteArray>> calls;
    NamedConnection::Root root()
    {
        return [this](const QString &m, const QByteArray &o) { calls.append({m, o}); };
    }
};
} // namespace

TEST(NamedConnection, CallsReachThePublishedRootInOrder)
{
    Received got;
    QString error;
    auto server = NamedConnection::publish(QStringLiteral("RGK-1234"), got.root(), &error);
    ASSERT_TRUE(server) << error.toStdString();
    auto client = NamedConnection::connectTo(QStringLiteral("RGK-1234"), 2000, &error);
    ASSERT_TRUE(client) << error.toStdString();
    const QByteArray big(3 * 1024 * 1024, 'x');
    EXPECT_TRUE(client->sendMessage(QStringLiteral("RGKMessage-Process-Launched"), QByteArray("RGK-1234-s")));
    EXPECT_TRUE(client->sendMessage(QStringLiteral("RGKMessage-Download-Progress"), big));
    EXPECT_TRUE(client->sendMessage(QStringLiteral("RGKMessage-Download-Finished"), QByteArray()));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return got.calls.size() == 3; }));
    EXPECT_EQ(got.calls[0].first, QStringLiteral("RGKMessage-Process-Launched"));
    EXPECT_EQ(got.calls[0].second, QByteArray("RGK-1234-s"));
    EXPECT_EQ(got.calls[1].second.size(), big.size());
    EXPECT_EQ(got.calls[2].first, QStringLiteral("RGKMessage-Download-Finished"));
}

TEST(NamedConnection, CallsFromOtherThreadsAreQueued)
{
    Received got;
    auto server = NamedConnection::publish(QStringLiteral("threads"), got.root());
    auto client = NamedConnection::connectTo(QStringLiteral("threads"));
    ASSERT_TRUE(server && client);
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            client->sendMessage(QStringLiteral("m%1").arg(i), {});
    });
    worker.join();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return got.calls.size() == 100; }));
    EXPECT_EQ(got.calls[99].first, QStringLiteral("m99"));
}

TEST(NamedConnection, ANameIsTakenOnceButAStaleSocketIsReplaced)
{
    Received got;
    auto first = NamedConnection::publish(QStringLiteral("taken"), got.root());
    ASSERT_TRUE(first);
    QString error;
    EXPECT_FALSE(NamedConnection::publish(QStringLiteral("taken"), got.root(), &error));
    EXPECT_FALSE(error.isEmpty());
    first.reset();
    // A file left at the path by a dead process does not block the name.
    const QString path = NamedConnection::socketPathForName(QStringLiteral("stale"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(NamedConnection::publish(QStringLiteral("stale"), got.root(), &error)) << error.toStdString();
    EXPECT_FALSE(NamedConnection::connectTo(QStringLiteral("nobody-home"), 200));
}

TEST(NamedConnection, NamesNeverEscapeThePrivateFolder)
{
    for (const QString &bad : {QString(), QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral("a\nb")})
        EXPECT_FALSE(NamedConnection::publish(bad, {})) << bad.toStdString();
    const QString odd = NamedConnection::socketPathForName(QStringLiteral("..hidden name ü") + QString(300, QLatin1Char('z')));
    ASSERT_FALSE(odd.isEmpty());
    EXPECT_TRUE(odd.startsWith(TestEnvironment::runtimeDir() + QStringLiteral("/fennixpro/n-")));
    EXPECT_LT(odd.toUtf8().size(), 108);
    auto server = NamedConnection::publish(QStringLiteral("mode"), {});
    ASSERT_TRUE(server);
    struct stat st;
    ASSERT_EQ(::stat((TestEnvironment::runtimeDir() + QStringLiteral("/fennixpro")).toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(NamedConnection, PeerDeathIsNoticedAtOnce)
{
    Received got;
    auto server = NamedConnection::publish(QStringLiteral("dies"), got.root());
    auto client = NamedConnection::connectTo(QStringLiteral("dies"));
    ASSERT_TRUE(server && client);
    QSignalSpy clientSaw(client.get(), &NamedConnection::connectionDidDie);
    server.reset();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return clientSaw.count() == 1; }, 2000));
    EXPECT_FALSE(client->isValid());
    EXPECT_FALSE(client->sendMessage(QStringLiteral("late"), {}));

    auto server2 = NamedConnection::publish(QStringLiteral("dies2"), got.root());
    auto client2 = NamedConnection::connectTo(QStringLiteral("dies2"));
    ASSERT_TRUE(server2 && client2);
    QSignalSpy serverSaw(server2.get(), &NamedConnection::connectionDidDie);
    // A message through shows the server has taken the client before it goes.
    got.calls.clear();
    ASSERT_TRUE(client2->sendMessage(QStringLiteral("hello"), {}));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !got.calls.isEmpty(); }, 5000));
    client2.reset();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return serverSaw.count() == 1; }, 2000));
}

TEST(NamedConnection, HostileFramesCloseTheConnectionAndInvokeNothing)
{
    Received got;
    auto server = NamedConnection::publish(QStringLiteral("hostile"), got.root());
    ASSERT_TRUE(server);
    auto frameWith = [](const QByteArray &payload, qint32 declared) {
        QByteArray f(4, '\0');
        qToBigEndian<qint32>(declared, f.data());
        return f + payload;
    };
    QCborMap other;
    other.insert(QStringLiteral("sel"), QStringLiteral("terminate"));
    other.insert(QStringLiteral("name"), QStringLiteral("x"));
    const QByteArray otherPayload = other.toCborValue().toCbor();
    const QByteArray cases[] = {
        frameWith({}, -1),
        frameWith({}, NamedConnection::MaxFrameSize + 1),
        frameWith(otherPayload, qint32(otherPayload.size())),
        frameWith("garbage!", 8),
    };
    for (const QByteArray &bytes : cases) {
        QLocalSocket raw;
        raw.connectToServer(NamedConnection::socketPathForName(QStringLiteral("hostile")));
        ASSERT_TRUE(raw.waitForConnected(1000));
        raw.write(bytes);
        raw.write(NamedConnection::encodeFrame(QStringLiteral("after"), {}));
        raw.flush();
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return raw.state() == QLocalSocket::UnconnectedState; }, 2000));
    }
    EXPECT_TRUE(got.calls.isEmpty());
}
