#pragma once

#include <QString>

// What ffprobe reads of a media file: its length, the first video stream's size and whether an
// audio stream is there. ok is false when ffprobe is missing or cannot read the file.
struct MediaProbe
{
    bool ok = false;
    double seconds = 0;       // the file's length
    double videoSeconds = 0;  // the first video stream's
    double audioSeconds = 0;  // the first audio stream's
    int width = 0;
    int height = 0;
    bool hasVideo = false;
    bool hasAudio = false;

    static MediaProbe of(const QString &path);
};
