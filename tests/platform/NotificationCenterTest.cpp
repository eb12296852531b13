#include "platform/NotificationCenter.h"

#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(NotificationCenter, DeliversNameObjectAndUserInfo)
{
    NotificationCenter center;
    QObject owner;
    QList<Notification> seen;
    center.addObserver(&owner, QStringLiteral("AddToConverterNotification"),
                       [&](const Notification &n) { seen.append(n); });
    center.post(QStringLiteral("Other"));
    center.post(QStringLiteral("AddToConverterNotification"), QStringLiteral("obj"),
                {{QStringLiteral("AminFrame"), QStringLiteral("{{1, 2}, {40, 40}}")}});
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].object.toString(), QStringLiteral("obj"));
    EXPECT_EQ(seen[0].userInfo.value("AminFrame").toString(), QStringLiteral("{{1, 2}, {40, 40}}"));
}

TEST(NotificationCenter, PostsFromOtherThreadsArriveOnTheMainThread)
{
    NotificationCenter center;
    QObject owner;
    std::atomic<int> count{0};
    QThread *main = QThread::currentThread();
    bool allOnMain = true;
    center.addObserver(&owner, QStringLiteral("N"), [&](const Notification &) {
        allOnMain = allOnMain && QThread::currentThread() == main;
        ++count;
    });
    std::thread poster([&] {
        center.post(QStringLiteral("N"));
        center.post(QStringLiteral("N"));
    });
    poster.join();
    EXPECT_EQ(count.load(), 0);  // queued, not delivered on the poster's thread
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return count.load() == 2; }));
    EXPECT_TRUE(allOnMain);
}

TEST(NotificationCenter, WaitingPostFromWorkerReturnsAfterDelivery)
{
    NotificationCenter center;
    QObject owner;
    std::atomic<bool> delivered{false};
    std::atomic<bool> sawDeliveredOnReturn{false};
    center.addObserver(&owner, QStringLiteral("N"), [&](const Notification &) { delivered = true; });
    std::thread poster([&] {
        center.post(QStringLiteral("N"), {}, {}, true);
        sawDeliveredOnReturn = delivered.load();
    });
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return sawDeliveredOnReturn.load(); }));
    poster.join();
}

TEST(NotificationCenter, ObserverGoesAwayWithItsOwner)
{
    NotificationCenter center;
    int calls = 0;
    auto *owner = new QObject;
    center.addObserver(owner, QStringLiteral("N"), [&](const Notification &) { ++calls; });
    center.post(QStringLiteral("N"));
    delete owner;
    center.post(QStringLiteral("N"));
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, QueuedPostToAnOwnerThatDiedMeanwhileIsDropped)
{
    NotificationCenter center;
    int calls = 0;
    auto *owner = new QObject;
    center.addObserver(owner, QStringLiteral("N"), [&](const Notification &) { ++calls; });
    std::thread([&] { center.post(QStringLiteral("N")); }).join();
    delete owner;
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

TEST(NotificationCenter, SenderFilterAndRemovalDuringDelivery)
{
    NotificationCenter center;
    QObject owner, a, b;
    int fromA = 0, second = 0;
    int secondId = 0;
    center.addObserver(&owner, QStringLiteral("DeleteNotification"), [&](const Notification &) {
        ++fromA;
        center.removeObserver(secondId);
    }, &a);
    secondId = center.addObserver(&owner, QStringLiteral("DeleteNotification"), [&](const Notification &) { ++second; });
    center.post(QStringLiteral("DeleteNotification"), QVariant::fromValue<QObject *>(&b));
    EXPECT_EQ(fromA, 0);
    EXPECT_EQ(second, 1);
    center.post(QStringLiteral("DeleteNotification"), QVariant::fromValue<QObject *>(&a));
    EXPECT_EQ(fromA, 1);
    EXPECT_EQ(second, 1);  // removed by the first observer before its turn
}
