#pragma once

#include <QString>

// What the recorder server tells the recording that started it. Main thread.
class ScreenRecordServerDelegate
{
public:
    virtual ~ScreenRecordServerDelegate() = default;
    // The recorder began capturing.
    virtual void screenRecordIsStartNeedUpdateButtonState() {}
    // A finished recording, already checked to be a plain file in the recordings folder. The
    // client connection is closed right after this call.
    virtual void screenRecordIsOverNeedAddFileToResource(const QString &path) { (void)path; }
    // The recorder is gone without a file. reason is empty when the user closed it, else it
    // says what went wrong (it could not start, it died, it stopped answering).
    virtual void screenRecordIsStoppedNeedUpdateButtonState(const QString &reason) { (void)reason; }
};
