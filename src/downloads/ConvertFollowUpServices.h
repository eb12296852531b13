#pragma once

#include <QString>

// Services of other parts of the program that a record calls when its conversion ends:
// usage counters and the hand-off to the music library. The application installs the real
// ones with DownloadedItem::setFollowUpServices; by default nothing happens.
class ConvertFollowUpServices
{
public:
    virtual ~ConvertFollowUpServices() = default;

    // "Convert_Complete"
    virtual void collectConvertComplete(bool complete) {}
    // "ConvertSuccess", "ConvertCancel", "ConvertFailed"
    virtual void collectConvertState(const QString &state) {}
    // Extension of the output that failed.
    virtual void collectConvertFailedFormat(const QString &format) {}
    // Called on the main thread.
    virtual void addFileToItunes(const QString &path) {}
};
