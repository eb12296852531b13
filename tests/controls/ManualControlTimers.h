#pragma once

#include "controls/ControlTimer.h"

#include <QList>

#include <functional>
#include <memory>
#include <utility>

// Control timers the test fires by hand, so no test waits for real time. Made before the
// control under test, it is the maker of every control timer until it goes.
class ManualControlTimers
{
public:
    struct Timer : ControlTimer
    {
        ManualControlTimers *owner;
        int ms = -1;
        std::function<void()> fired;
        explicit Timer(ManualControlTimers *o) : owner(o) {}
        ~Timer() override
        {
            if (owner)
                owner->live.removeAll(this);
        }
        void start(int interval, std::function<void()> f) override
        {
            ms = interval;
            fired = std::move(f);
        }
        void stop() override { fired = nullptr; }
        bool isActive() const override { return bool(fired); }
    };

    ManualControlTimers()
    {
        ControlTimer::setMakerForTesting([this] {
            auto t = std::make_unique<Timer>(this);
            live.append(t.get());
            return t;
        });
    }
    // Timers may outlive the test's hand (a control deleted later): they stop answering to it.
    ~ManualControlTimers()
    {
        ControlTimer::setMakerForTesting({});
        for (Timer *t : std::as_const(live))
            t->owner = nullptr;
    }
    ManualControlTimers(const ManualControlTimers &) = delete;
    ManualControlTimers &operator=(const ManualControlTimers &) = delete;

    int active(int ms = -1) const
    {
        int n = 0;
        for (Timer *t : live)
            n += t->isActive() && (ms < 0 || t->ms == ms);
        return n;
    }
    // Fires every timer of that interval (any, for -1) pending now once, as that time passing
    // would: timers that firing starts wait for the next call. Answers how many fired.
    int elapse(int ms = -1)
    {
        int n = 0;
        QList<Timer *> due;
        for (Timer *t : std::as_const(live))
            if (t->isActive() && (ms < 0 || t->ms == ms))
                due.append(t);
        for (Timer *t : due)
            if (live.contains(t) && t->isActive()) {
                auto f = std::exchange(t->fired, nullptr);
                f();
                ++n;
            }
        return n;
    }

    QList<Timer *> live;
};
