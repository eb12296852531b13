#pragma once

#include <QString>

class ScreenRecordCtrl;

// What a recording tells the Record page. Main thread.
class ScreenRecordCtrlDelegate
{
public:
    virtual ~ScreenRecordCtrlDelegate() = default;
    // The recording is finished under its final name.
    virtual void recordDidEnd(ScreenRecordCtrl *ctrl, const QString &outFile) = 0;
    // Nothing was recorded: the user closed the recorder, or it failed (the user was told).
    virtual void cropWillClose(ScreenRecordCtrl *ctrl) = 0;
};
