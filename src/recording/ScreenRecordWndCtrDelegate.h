#pragma once

#include <QString>

// What the region recorder tells the recording that opened it. Main thread.
class ScreenRecordWndCtrDelegate
{
public:
    virtual ~ScreenRecordWndCtrDelegate() = default;
    // Record was pressed; false keeps the window in cropping.
    virtual bool recordWillStart() = 0;
    // The take is finished and complete in the recorder's outputFile().
    virtual void recordDidStop() = 0;
    // The window closed without a recording; reason is empty when the user closed it, else it
    // says what went wrong.
    virtual void cropWndWillClose(const QString &reason) = 0;
};
