#include "platform/MacOSXManager.h"

#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

namespace {

// logind's manager on a private bus. Each Inhibit gets the writing end of a fresh pipe; the lock
// is held for as long as some process keeps that end open, which the reading end shows.
class FakeLogin1 : public QDBusVirtualObject
{
public:
    enum Mode { Grant,
                Refuse,
                Hold };
    ~FakeLogin1() override
    {
        for (int fd : readEnds)
            ::close(fd);
    }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.login1.Manager") || message.member() != QLatin1String("Inhibit"))
            return false;
        QStringList args;
        for (const QVariant &a : message.arguments())
            args << a.toString();
        calls << args.join(QLatin1Char('|'));
        if (mode == Refuse)
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("Permission denied")));
        else if (mode == Hold)
            held = message;
        else
            grant(message, connection);
        return true;
    }
    void grant(const QDBusMessage &message, const QDBusConnection &connection)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        readEnds << ends[0];
        connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
        ::close(ends[1]); // the message keeps its own copy until it is sent
    }
    // True once nobody holds the lock handed out last.
    bool lastReleased() const
    {
        pollfd p{readEnds.last(), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }

    Mode mode = Grant;
    QStringList calls;
    QList<int> readEnds;
    QDBusMessage held;
};

class PowerSaveFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString address = TestEnvironment::privateSessionBus();
        if (address.isEmpty())
            GTEST_SKIP() << "dbus-daemon could not start";
        service = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, QStringLiteral("login1-side")));
        ASSERT_TRUE(service->isConnected());
        ASSERT_TRUE(service->registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &login1));
        ASSERT_TRUE(service->registerService(QStringLiteral("org.freedesktop.login1")));
        manager = std::make_unique<MacOSXManager>(QDBusConnection::connectToBus(address, QStringLiteral("app-side")));
    }
    void TearDown() override
    {
        manager.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("app-side"));
        QDBusConnection::disconnectFromBus(QStringLiteral("login1-side"));
    }

    FakeLogin1 login1;
    std::unique_ptr<QDBusConnection> service;
    std::unique_ptr<MacOSXManager> manager;
};

} // namespace

TEST_F(PowerSaveFixture, TakesTheSleepInhibitorOnceAndGivesItBack)
{
    // Every progress update says "keep awake"; logind is asked once.
    for (int i = 0; i < 5; ++i)
        manager->enabledPowersave(false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return manager->isInhibiting(); }));
    manager->enabledPowersave(false);
    EXPECT_EQ(login1.calls, QStringList{QStringLiteral("sleep:idle|FennixPro|Downloads are running|block")});
    EXPECT_FALSE(login1.lastReleased());

    manager->enabledPowersave(true);
    EXPECT_FALSE(manager->isInhibiting());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return login1.lastReleased(); }));
    manager->enabledPowersave(true);

    // The next download asks again.
    manager->enabledPowersave(false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return manager->isInhibiting(); }));
    EXPECT_EQ(login1.calls.size(), 2);
    // The lock ends with the manager too (the application quits).
    manager.reset();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return login1.lastReleased(); }));
}

TEST_F(PowerSaveFixture, ARefusalIsNotAskedAgainUntilPowerSaveWasBackOn)
{
    login1.mode = FakeLogin1::Refuse;
    manager->enabledPowersave(false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !manager->isAsking(); }));
    // A request is marked before it leaves, so none left if none is marked.
    for (int i = 0; i < 5; ++i) {
        manager->enabledPowersave(false);
        EXPECT_FALSE(manager->isAsking());
    }
    EXPECT_EQ(login1.calls.size(), 1);
    EXPECT_FALSE(manager->isInhibiting());

    login1.mode = FakeLogin1::Grant;
    manager->enabledPowersave(true);
    manager->enabledPowersave(false);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return manager->isInhibiting(); }));
    EXPECT_EQ(login1.calls.size(), 2);
}

TEST_F(PowerSaveFixture, ALockGrantedAfterPowerSaveCameBackIsLetGo)
{
    login1.mode = FakeLogin1::Hold;
    manager->enabledPowersave(false);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return login1.held.type() == QDBusMessage::MethodCallMessage; }));
    EXPECT_TRUE(manager->isAsking());
    // Downloads ended before logind answered.
    manager->enabledPowersave(true);
    login1.grant(login1.held, *service);
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !manager->isAsking(); }));
    EXPECT_FALSE(manager->isInhibiting());
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return login1.lastReleased(); }));
    EXPECT_EQ(login1.calls.size(), 1);
}

TEST(MacOSXManager, WithoutABusIsAQuietNoOp)
{
    MacOSXManager manager{QDBusConnection(QStringLiteral("no-such-connection"))};
    manager.enabledPowersave(false);
    EXPECT_FALSE(manager.isInhibiting());
    EXPECT_FALSE(manager.isAsking());
    manager.enabledPowersave(true);
    manager.enabledPowersave(true);
    EXPECT_FALSE(manager.isInhibiting());
}
