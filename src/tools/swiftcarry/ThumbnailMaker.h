#pragma once

#include <QString>

// One JPEG picture of a video, taken a tenth into it, at most maxWidth wide. Read and encoded in
// process with the FFmpeg libraries.
namespace ThumbnailMaker {
bool capture(const QString &mediaPath, const QString &jpegPath, int maxWidth, QString *error);
// Where the tool keeps the thumbnail of a media file.
QString thumbnailPathFor(const QString &mediaPath);
}
