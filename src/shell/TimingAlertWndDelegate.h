#pragma once

// Told how the count-down before the after-tasks action ended. Both have empty defaults: a
// delegate answers only what it cares about.
class TimingAlertWndDelegate
{
public:
    virtual ~TimingAlertWndDelegate() = default;
    // The count-down ran out or the now button was pressed; code 2 shut down, 3 sleep, 4 quit.
    virtual void excuteTaskRightNowByCode(int code) { (void)code; }
    virtual void cancelTimingTask() {}
};
