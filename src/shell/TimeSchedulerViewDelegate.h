#pragma once

class TimeSchedulerViewCtrl;

// Told when the after-tasks choice of the scheduler pop-over changed ("TimeSchedulerMode").
class TimeSchedulerViewDelegate
{
public:
    virtual ~TimeSchedulerViewDelegate() = default;
    virtual void timeSchedulerValueDidChange(TimeSchedulerViewCtrl *sender) = 0;
};
