#pragma once

#include "reelgrab/kit/QVReelgrabTaskDispatcher.h"
#include "reelgrab/QVOnlineVideoInfo.h"

#include <memory>

// The client framework's front door: makes the task queue, and sniffs a page quickly for the
// media options dialog.
class ReelgrabKit
{
public:
    // Keys "download-swiftcarry" and "download-ffmpeg": the tool paths the helper is given.
    std::unique_ptr<QVReelgrabTaskDispatcher> createReelgrabTaskDispatcherWithPreference(const QVariantMap &preference);
    // Synchronous; an empty answer when the engine library cannot be opened.
    QVOnlineVideoInfo quickSniffingPageUrl(const QString &pageUrl, const QString &browser);
    qint64 filesizeofResolution(qint32 resolution, qint64 seconds);

    // The engine the facade opens: "download-library" when it names a file, else the default.
    static QString engineLibraryPath();
};
