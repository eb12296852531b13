#include "platform/LogindPowerService.h"
#include "support/TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <gtest/gtest.h>

namespace {

// logind's manager on a private bus: records each call with its interactive flag and refuses
// Suspend the way polkit does.
class FakeLogin1 : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.login1.Manager"))
            return false;
        const QVariantList args = message.arguments();
        calls << QStringLiteral("%1(%2)").arg(message.member(),
                                              args.size() == 1 && args.first().toBool() ? QStringLiteral("interactive") : QStringLiteral("?"));
        if (message.member() == QLatin1String("Suspend"))
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"), QStringLiteral("Interactive authentication required.")));
        else
            connection.send(message.createReply());
        return true;
    }
    QStringList calls;
};

QStringList g_warnings;
void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtWarningMsg)
        g_warnings << text;
}

} // namespace

TEST(LogindPowerService, AsksLogindInteractivelyWithoutWaitingAndLogsARefusal)
{
    const QString address = TestEnvironment::privateSessionBus();
    if (address.isEmpty())
        GTEST_SKIP() << "dbus-daemon could not start";

    QDBusConnection serviceSide = QDBusConnection::connectToBus(address, QStringLiteral("login1-side"));
    ASSERT_TRUE(serviceSide.isConnected());
    FakeLogin1 login1;
    ASSERT_TRUE(serviceSide.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), &login1));
    ASSERT_TRUE(serviceSide.registerService(QStringLiteral("org.freedesktop.login1")));

    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    {
        LogindPowerService power(QDBusConnection::connectToBus(address, QStringLiteral("caller-side")));
        EXPECT_EQ(power.powerOff(), int(PowerService::NoErr));
        // Sent, not answered yet: the caller never waits for polkit.
        EXPECT_EQ(power.suspend(), int(PowerService::NoErr));
        EXPECT_TRUE(TestEnvironment::waitFor([&] { return login1.calls.size() == 2 && !g_warnings.isEmpty(); }));
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(login1.calls, (QStringList{QStringLiteral("PowerOff(interactive)"), QStringLiteral("Suspend(interactive)")}));
    ASSERT_EQ(g_warnings.size(), 1);
    EXPECT_TRUE(g_warnings.first().contains(QStringLiteral("Suspend refused"))) << g_warnings.first().toStdString();

    // No bus at all is said at once.
    LogindPowerService unconnected(QDBusConnection(QStringLiteral("no-such-connection")));
    EXPECT_EQ(unconnected.suspend(), int(PowerService::NoBus));

    QDBusConnection::disconnectFromBus(QStringLiteral("caller-side"));
    QDBusConnection::disconnectFromBus(QStringLiteral("login1-side"));
}
