#pragma once

#include <functional>
#include <memory>

// A one-shot timer for controls that wait before acting (the time label's check). Tests swap
// the maker for one whose timers they fire by hand, so no test waits for real time.
class ControlTimer
{
public:
    virtual ~ControlTimer() = default;
    // Starting again replaces the pending shot.
    virtual void start(int ms, std::function<void()> fired) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

    using Maker = std::function<std::unique_ptr<ControlTimer>()>;
    static std::unique_ptr<ControlTimer> make();
    static void setMakerForTesting(Maker maker);  // empty restores the QTimer one
};
