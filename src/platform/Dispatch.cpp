#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace dispatch {

bool isMainThread()
{
    const auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void async_main(std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void sync_main(std::function<void()> fn)
{
    if (isMainThread()) {
        fn();
        return;
    }
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::BlockingQueuedConnection);
}

void after(int ms, std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    if (isMainThread()) {
        QTimer::singleShot(ms, app, std::move(fn));
        return;
    }
    async_main([ms, fn = std::move(fn)]() mutable { QTimer::singleShot(ms, QCoreApplication::instance(), std::move(fn)); });
}

void global(Priority priority, std::function<void()> fn)
{
    QThreadPool::globalInstance()->start(std::move(fn), int(priority));
}

void waitGlobal(int timeoutMs)
{
    QThreadPool::globalInstance()->waitForDone(timeoutMs);
}

struct SerialQueue::State
{
    QString label;
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    bool running = false;
    std::thread::id worker;
};

namespace {
void drain(const std::shared_ptr<SerialQueue::State> &state);
}

SerialQueue::SerialQueue(const QString &label) : m_state(std::make_shared<State>())
{
    m_state->label = label;
}

SerialQueue::~SerialQueue()
{
    std::unique_lock lock(m_state->mutex);
    if (m_state->worker == std::this_thread::get_id())
        return;  // destroyed from one of its own jobs: the worker finishes the rest
    m_state->idle.wait(lock, [this] { return !m_state->running && m_state->jobs.empty(); });
}

QString SerialQueue::label() const { return m_state->label; }

void SerialQueue::async(std::function<void()> fn)
{
    std::unique_lock lock(m_state->mutex);
    m_state->jobs.push_back(std::move(fn));
    if (m_state->running)
        return;
    m_state->running = true;
    lock.unlock();
    auto state = m_state;
    QThreadPool::globalInstance()->start([state]() { drain(state); });
}

void SerialQueue::sync(std::function<void()> fn)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->worker == std::this_thread::get_id()) {
            // Already on this queue: running inline keeps the order and avoids a deadlock.
            fn();
            return;
        }
    }
    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;
    async([&]() {
        fn();
        std::lock_guard l(doneMutex);
        done = true;
        doneCv.notify_one();
    });
    std::unique_lock l(doneMutex);
    doneCv.wait(l, [&] { return done; });
}

namespace {
void drain(const std::shared_ptr<SerialQueue::State> &state)
{
    std::unique_lock lock(state->mutex);
    state->worker = std::this_thread::get_id();
    while (!state->jobs.empty()) {
        auto job = std::move(state->jobs.front());
        state->jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
    state->worker = std::thread::id();
    state->running = false;
    state->idle.notify_all();
}

class MonotonicClock : public Clock
{
public:
    qint64 nowMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

MonotonicClock g_monotonic;
std::atomic<const Clock *> g_clock{&g_monotonic};
} // namespace

const Clock &Clock::current() { return *g_clock.load(); }

void Clock::setForTesting(const Clock *clock) { g_clock.store(clock ? clock : &g_monotonic); }

} // namespace dispatch
