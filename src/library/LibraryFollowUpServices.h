#pragma once

#include "downloads/ConvertFollowUpServices.h"

// What a library item calls when its conversion ends: the usage counters of the statistics
// collector and the hand-off of the converted file to the music library. The application
// installs one with DownloadedItem::setFollowUpServices at start-up.
class LibraryFollowUpServices : public ConvertFollowUpServices
{
public:
    void collectConvertComplete(bool complete) override;
    void collectConvertState(const QString &state) override;
    void collectConvertFailedFormat(const QString &format) override;
    // Adds the file to the music library, in no play list; a refusal is logged.
    void addFileToItunes(const QString &path) override;
};
