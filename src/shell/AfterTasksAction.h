#pragma once

#include <QList>
#include <functional>

// What the end of scheduled work leads to ("TimeSchedulerMode": 1 nothing, 2 shut down,
// 3 sleep, 4 quit) and the action once the count-down has run out.
class AfterTasksAction
{
public:
    static constexpr int CountDownSeconds = 30;
    enum Mode { DoNothing = 1, ShutDown = 2, Sleep = 3, Quit = 4 };

    // True when the count-down should start: no page is busy and the mode is 2, 3 or 4.
    static bool shouldCountDown(const QList<bool> &pagesBusy, qint64 mode);
    // Runs the action of a finished count-down: 4 calls quit, 3 suspends, 2 powers off (through
    // SendAppleEventToSystemProcess); other codes do nothing. The status of the machine
    // action, 0 for quit and for nothing.
    static int perform(qint64 code, const std::function<void()> &quit);
};
