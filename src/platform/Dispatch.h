#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// The program's queues: the main thread's event loop, global pools by priority, and serial
// queues. Work passed here must not throw.
namespace dispatch {

enum class Priority { Background = 0, Low = 1, Default = 2, High = 3 };

bool isMainThread();
// Runs fn on the main thread later (never inline, even from the main thread).
void async_main(std::function<void()> fn);
// Runs fn on the main thread and waits; runs inline when already there (no deadlock).
void sync_main(std::function<void()> fn);
// Runs fn on the main thread after ms milliseconds.
void after(int ms, std::function<void()> fn);
// Runs fn on a global pool; higher priorities are taken first.
void global(Priority priority, std::function<void()> fn);
// Waits for every job handed to global() so far (used at shut-down and in tests).
void waitGlobal(int timeoutMs = -1);

// Jobs run one at a time, in the order given, on pool threads.
class SerialQueue
{
public:
    explicit SerialQueue(const QString &label);
    ~SerialQueue();  // waits for queued jobs
    void async(std::function<void()> fn);
    void sync(std::function<void()> fn);
    QString label() const;

    struct State;  // shared with the worker so jobs may outlive the queue object

private:
    std::shared_ptr<State> m_state;
};

// Monotonic milliseconds, replaceable in tests.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
    static const Clock &current();
    static void setForTesting(const Clock *clock);  // nullptr restores the real one
};

} // namespace dispatch
