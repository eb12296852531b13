#pragma once

#include <QByteArray>
#include <QString>

// Turns icons and thumbnails (ICO, JPEG, GIF, ...) into PNG through a small module that links
// the image toolkit, opened on first use, so the helper itself starts without it.
namespace PngConverter {

inline constexpr const char *ModuleFileName = "libfennix_reelgrab_png.so";

// The module beside the running program, else in the build layout's ../lib; empty when neither.
QString modulePath();

// PNG bytes, or empty when the bytes are no image or the module is missing.
QByteArray pngOf(const QByteArray &imageBytes);

} // namespace PngConverter
