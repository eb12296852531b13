#include "reelgrab/QVXConnection.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct Inbox : QVRemoteMessageTarget
{
    QList<QPair<QString, QByteArray>> messages;
    void sendMessage(const QString &name, const QByteArray &object) override { messages.append({name, object}); }
};

class QVXConnectionRoads : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetParam())
            qputenv("APP_SANDBOX_CONTAINER_ID", "com.iquenmark.fennixpro");
        else
            qputenv("APP_SANDBOX_CONTAINER_ID", "");  // empty selects named connections
    }
    void TearDown() override { qunsetenv("APP_SANDBOX_CONTAINER_ID"); }
};

} // namespace

TEST_P(QVXConnectionRoads, TaskAndHelperTalkBothWaysAndTheHelperEndsWithItsClient)
{
    EXPECT_EQ(QVXConnection::sandboxEnabled(), GetParam());
    Inbox taskInbox, serviceInbox;
    auto task = std::make_unique<QVXConnection>();
    const QString clientName = task->registeRootObject(&taskInbox, QStringLiteral("RGK-%1").arg(QVXConnection::generateUuid()));
    ASSERT_FALSE(clientName.isEmpty());

    QVXConnection helper;
    int exitCode = 1;
    helper.setTerminateHandler([&](int code) { exitCode = code; });
    ASSERT_TRUE(helper.initWithClientName(clientName));
    const QString serviceName = helper.registeRootObject(&serviceInbox, clientName + QStringLiteral("-s"));
    ASSERT_FALSE(serviceName.isEmpty());
    if (!GetParam())
        EXPECT_EQ(serviceName, clientName + QStringLiteral("-s"));
    else
        EXPECT_EQ(serviceName, clientName);  // the socket road keeps the server address
    helper.sendMessage(QStringLiteral("RGKMessage-Process-Launched"), serviceName.toUtf8());
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !taskInbox.messages.isEmpty(); }, 5000));
    EXPECT_EQ(taskInbox.messages[0].first, QStringLiteral("RGKMessage-Process-Launched"));
    EXPECT_EQ(QString::fromUtf8(taskInbox.messages[0].second), serviceName);

    auto service = task->rootObjectNamed(QString::fromUtf8(taskInbox.messages[0].second));
    ASSERT_TRUE(service);
    EXPECT_TRUE(service->sendMessage(QStringLiteral("RGKMessage-Attch-DownloadTask"), QByteArray(30000, 't')));
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return !serviceInbox.messages.isEmpty(); }, 5000));
    EXPECT_EQ(serviceInbox.messages[0].second.size(), 30000);

    service.reset();
    task.reset();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return exitCode == -1; }, 8000));
}

INSTANTIATE_TEST_SUITE_P(NamedAndSockets, QVXConnectionRoads, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Sockets" : "Named"; });

TEST(QVXConnection, ANameIsRegisteredOnceAndAnEmptyNameGetsAnIdentifier)
{
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    Inbox inbox;
    QVXConnection first, second, third;
    EXPECT_EQ(first.registeRootObject(&inbox, QStringLiteral("RGK-same")), QStringLiteral("RGK-same"));
    EXPECT_TRUE(second.registeRootObject(&inbox, QStringLiteral("RGK-same")).isEmpty());
    const QString fresh = third.registeRootObject(&inbox, QString());
    EXPECT_EQ(fresh.size(), 36);
    EXPECT_EQ(third.registeName(), fresh);
    QVXConnection helper;
    EXPECT_FALSE(helper.initWithClientName(QStringLiteral("RGK-nobody")));
}
