#include "shell/NSNotificationCenterMainThread.h"

#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace NSNotificationCenterMainThread;

namespace {

struct Seen
{
    std::atomic<int> count{0};
    std::atomic<bool> allOnMain{true};
    QVariantMap lastInfo;
};

void observe(NotificationCenter &center, QObject *owner, const QString &name, Seen &seen)
{
    center.addObserver(owner, name, [&seen](const Notification &n) {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            seen.allOnMain = false;
        seen.lastInfo = n.userInfo;
        ++seen.count;
    });
}

} // namespace

TEST(NSNotificationCenterMainThread, OnTheMainThreadPostsAtOnce)
{
    NotificationCenter center;
    QObject owner;
    Seen seen;
    observe(center, &owner, QStringLiteral("Ping"), seen);
    postNotificationOnMainThreadWithName(center, QStringLiteral("Ping"), {}, {{QStringLiteral("k"), 1}});
    EXPECT_EQ(seen.count.load(), 1);
    EXPECT_EQ(seen.lastInfo.value(QStringLiteral("k")).toInt(), 1);
}

TEST(NSNotificationCenterMainThread, FromAWorkerTheReceiverPostsOnTheMainThread)
{
    // A centre of its own: the post must reach it, not the default centre.
    NotificationCenter center;
    QObject owner;
    Seen mine;
    Seen onDefault;
    observe(center, &owner, QStringLiteral("FromWorker"), mine);
    observe(NotificationCenter::defaultCenter(), &owner, QStringLiteral("FromWorker"), onDefault);

    QThread *worker = QThread::create([&] {
        postNotificationOnMainThreadWithName(center, QStringLiteral("FromWorker"));
        postNotificationOnMainThread(center, Notification{QStringLiteral("FromWorker"), {}, {}});
    });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(mine.count.load(), 0); // handed over, not run on the worker
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return mine.count.load() == 2; }));
    EXPECT_TRUE(mine.allOnMain.load());
    EXPECT_EQ(onDefault.count.load(), 0);
}

TEST(NSNotificationCenterMainThread, WaitUntilDoneDeliversBeforeReturning)
{
    NotificationCenter center;
    QObject owner;
    Seen seen;
    observe(center, &owner, QStringLiteral("Waited"), seen);
    std::atomic<int> countWhenReturned{-1};
    QThread *worker = QThread::create([&] {
        postNotificationOnMainThreadWithName(center, QStringLiteral("Waited"), {}, {}, true);
        countWhenReturned = seen.count.load();
    });
    worker->start();
    ASSERT_TRUE(TestEnvironment::waitFor([&] { return countWhenReturned.load() >= 0; }));
    worker->wait();
    delete worker;
    EXPECT_EQ(countWhenReturned.load(), 1);
    EXPECT_TRUE(seen.allOnMain.load());
}
