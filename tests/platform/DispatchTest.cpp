#include "platform/Dispatch.h"

#include "support/TestEnvironment.h"

#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

TEST(Dispatch, SyncMainRunsInlineOnTheMainThread)
{
    bool ran = false;
    dispatch::sync_main([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Dispatch, SyncMainFromWorkerWaitsForTheMainThread)
{
    QThread *main = QThread::currentThread();
    std::atomic<bool> ranOnMain{false}, returned{false};
    std::thread worker([&] {
        dispatch::sync_main([&] { ranOnMain = QThread::currentThread() == main; });
        returned = true;
    });
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return returned.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnMain);
}

TEST(Dispatch, AsyncMainNeverRunsInline)
{
    bool ran = false;
    dispatch::async_main([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return ran; }));
}

TEST(Dispatch, AfterWaitsAtLeastTheDelay)
{
    std::atomic<bool> ran{false};
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point at;
    std::thread([&] { dispatch::after(50, [&] { at = std::chrono::steady_clock::now(); ran = true; }); }).join();
    EXPECT_TRUE(TestEnvironment::waitFor([&] { return ran.load(); }));
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(at - start).count(), 45);
}

TEST(Dispatch, SerialQueueKeepsOrderAndNeverOverlaps)
{
    std::vector<int> order;
    std::atomic<int> active{0};
    bool overlapped = false;
    {
        dispatch::SerialQueue queue(QStringLiteral("com.Halvorn.Harpwick.CollectData"));
        for (int i = 0; i < 200; ++i) {
            queue.async([&, i] {
                if (active.fetch_add(1) != 0)
                    overlapped = true;
                order.push_back(i);
                active.fetch_sub(1);
            });
        }
        int seen = -1;
        queue.sync([&] { seen = int(order.size()); });
        EXPECT_EQ(seen, 200);
        // sync from inside the queue runs inline instead of deadlocking
        bool inner = false;
        queue.sync([&] { queue.sync([&] { inner = true; }); });
        EXPECT_TRUE(inner);
    }
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(Dispatch, GlobalRunsEveryJob)
{
    std::atomic<int> done{0};
    for (int i = 0; i < 50; ++i)
        dispatch::global(i % 2 ? dispatch::Priority::High : dispatch::Priority::Background, [&] { ++done; });
    dispatch::waitGlobal();
    EXPECT_EQ(done.load(), 50);
}

TEST(Dispatch, ClockCanBeReplacedInTests)
{
    struct FakeClock : dispatch::Clock
    {
        qint64 now = 1000;
        qint64 nowMs() const override { return now; }
    } fake;
    const qint64 real1 = dispatch::Clock::current().nowMs();
    dispatch::Clock::setForTesting(&fake);
    EXPECT_EQ(dispatch::Clock::current().nowMs(), 1000);
    fake.now = 1800;
    EXPECT_EQ(dispatch::Clock::current().nowMs(), 1800);
    dispatch::Clock::setForTesting(nullptr);
    EXPECT_GE(dispatch::Clock::current().nowMs(), real1);
}
